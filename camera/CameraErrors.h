#pragma once

// Exceptions of the camera component: EFCameraError for its own checks (message only), EOleSysError
// for a platform call that was refused (message and the 32-bit result code).

#include <QString>

#include <cstdint>
#include <stdexcept>
#include <string>

class ECameraException : public std::runtime_error {
 public:
  explicit ECameraException(const QString& message)
      : std::runtime_error(message.toStdString()), FMessage(message) {}
  const QString& Message() const { return FMessage; }

 private:
  QString FMessage;
};

class EFCameraError : public ECameraException {
 public:
  using ECameraException::ECameraException;
};

// The selected camera cannot be bound (it is no longer listed): for the window, a camera that has gone.
class EFCameraDeviceNotFound : public EFCameraError {
 public:
  using EFCameraError::EFCameraError;
};

class EOleSysError : public ECameraException {
 public:
  EOleSysError(const QString& message, std::int32_t errorCode, int helpContext = 0)
      : ECameraException(message), FErrorCode(errorCode), FHelpContext(helpContext) {}
  std::int32_t ErrorCode() const { return FErrorCode; }
  int HelpContext() const { return FHelpContext; }

  // The framework's standard error for a code: the system's message for it.
  static EOleSysError FromSystem(std::int32_t errorCode);

 private:
  std::int32_t FErrorCode;
  int FHelpContext;
};

// Message texts of the component, exactly as the user sees them.
namespace CameraMessages {
inline const QString DeviceNotSelected = QStringLiteral("Camera device not selected");
inline QString DeviceNotFound(const QString& name) { return QStringLiteral("Camera device '") + name + QStringLiteral("' not found"); }
inline const QString Inactive = QStringLiteral("Cannot perform this operation on inactive camera component");
inline const QString Active = QStringLiteral("Cannot perform this operation on active camera component");
inline QString CannotRetrieve(const QString& interfaceName) {
  return QStringLiteral("Cannot retrieve '") + interfaceName + QStringLiteral("' interface");
}
inline const QString NoPreviewForm = QStringLiteral("Cannot retrieve preview form");
inline const QString Vmr9Required = QStringLiteral("VMR-9 capture type required");
inline const QString InvalidMediaHeader = QStringLiteral("Invalid MediaHeader");
inline const QString IncorrectFormatType = QStringLiteral("Incorrect format type");
inline const QString IncorrectFormatSize = QStringLiteral("Incorrect format size");
inline const QString FormatNotFound = QStringLiteral("Format not found");
}  // namespace CameraMessages
