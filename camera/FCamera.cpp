// TFCamera: construction, component hooks, the selection names and the checking routines shared by
// every other part of the component.

#include "camera/FCamera.h"

#include <stdexcept>

#include "camera/FSampleGrabberCB.h"

using namespace tavelo::platform;

namespace {
// The platform hands error texts over in a 160-character buffer: at most 159 characters before the NUL.
constexpr qsizetype kMaxErrorTextLength = 159;

QString TruncatedErrorText(const std::string& platformText) {
  QString text = QString::fromStdString(platformText);
  const qsizetype nul = text.indexOf(QChar(u'\0'));
  if (nul >= 0) text.truncate(nul);
  if (text.size() > kMaxErrorTextLength) {
    text.truncate(kMaxErrorTextLength);
    // Never leave half of a surrogate pair at the cut.
    if (text.back().isHighSurrogate()) text.chop(1);
  }
  return text;
}
}  // namespace

TFCamera::TFCamera(QObject* owner, std::shared_ptr<CapturePlatform> platform)
    : QObject(owner), FPlatform(std::move(platform)) {
  if (!FPlatform) throw std::invalid_argument("TFCamera needs a capture platform");
  FBorderColor = 0xFF000000u;
  FCaptureType = TFCaptureType::ctAuto;
  FOutputFileType = TFMediaType::mtAsf;
}

TFCamera::~TFCamera() {
  try {
    SetActive(false);
  } catch (...) {
    // Deactivation raises nothing; a destructor must not pass anything on regardless.
  }
  // In the loading or designing state the graph may still be held; the grabber must not be able to
  // reach this object once it is gone.
  if (auto callback = std::dynamic_pointer_cast<TFSampleGrabberCB>(FSampleGrabberCB)) callback->Detach();
}

void TFCamera::Loaded() {
  FComponentState &= ~static_cast<unsigned>(csLoading);
  SetActive(FActive);
}

QString TFCamera::About() const {
  return QStringLiteral("TFCamera - camera access component of Tavelo: capture devices, properties, video formats "
                        "and capture graphs");
}

// ---- Selection --------------------------------------------------------------------------------------

void TFCamera::SetDeviceName(const QString& value) {
  if (value == FDeviceName) return;
  SelectDevice(value, QString());
}

void TFCamera::SelectDevice(const QString& name, const QString& path) {
  if (name == FDeviceName && path == FDevicePath) return;
  if (!IsDesigningOrLoading()) CheckInactive();
  FDeviceName = name;
  FDevicePath = path;
  // Every cached object may derive from the old camera; the next access binds the new one.
  ReleaseGraph();
}

void TFCamera::SetAudioDeviceName(const QString& value) {
  if (value == FAudioDeviceName) return;
  if (!IsDesigningOrLoading()) CheckInactive();
  FAudioDeviceName = value;
  FAudioCaptureFilter.reset();
}

void TFCamera::SetCompressorName(const QString& value) {
  if (value == FCompressorName) return;
  if (!IsDesigningOrLoading()) CheckInactive();
  FCompressorName = value;
  FCompressorFilter.reset();
}

void TFCamera::SetAudioCompressorName(const QString& value) {
  if (value == FAudioCompressorName) return;
  if (!IsDesigningOrLoading()) CheckInactive();
  FAudioCompressorName = value;
  FAudioCompressorFilter.reset();
}

// ---- Checks -----------------------------------------------------------------------------------------

void TFCamera::CheckResult(Result result) const {
  if (Succeeded(result)) return;
  const QString text = TruncatedErrorText(FPlatform->GetErrorText(result));
  if (text.isEmpty()) throw EOleSysError::FromSystem(result);
  throw EOleSysError(text, result, 0);
}

void TFCamera::Check(bool condition, const QString& message) {
  if (!condition) throw EFCameraError(message);
}

void TFCamera::CheckInterface(const void* object, const QString& interfaceName) {
  Check(object != nullptr, CameraMessages::CannotRetrieve(interfaceName));
}

void TFCamera::CheckDevice() {
  Check(!FDeviceName.isEmpty(), CameraMessages::DeviceNotSelected);
  if (CaptureFilter() == nullptr) throw EFCameraDeviceNotFound(CameraMessages::DeviceNotFound(FDeviceName));
}

void TFCamera::CheckActive() { Check(Active(), CameraMessages::Inactive); }

void TFCamera::CheckInactive() { Check(!Active(), CameraMessages::Active); }

bool TFCamera::IsUnsupported(Result result) { return result == kErrorSetNotFound || result == kErrorNotFound; }
