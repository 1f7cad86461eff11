#include "app/PropertyFramePages.h"

#include <QObject>

#include <cstdlib>
#include <exception>

#include "camera/FCamera.h"
#include "camera/platform/common/OwnedMediaType.h"
#include "ui/PropertyFrame.h"

using namespace tavelo::platform;

namespace {

QString ErrorText(CapturePlatform& platform, Result result) {
  const QString text = QString::fromStdString(platform.GetErrorText(result));
  return text.isEmpty() ? EOleSysError::FromSystem(result).Message() : text;
}

TFrameControlKind KindOf(ControlType type) {
  switch (type) {
    case ControlType::Boolean: return TFrameControlKind::Boolean;
    case ControlType::Menu:
    case ControlType::IntegerMenu: return TFrameControlKind::Menu;
    case ControlType::Button: return TFrameControlKind::Button;
    case ControlType::Integer: break;
  }
  return TFrameControlKind::Integer;
}

// One control class of a device: the tab re-describes the whole device and picks its class by name, so
// states changed through another tab show here too.
class DeviceControlPage final : public TControlPageSource {
 public:
  DeviceControlPage(CapturePlatform& platform, std::shared_ptr<IDeviceControls> device, std::string className)
      : platform_(platform), device_(std::move(device)), className_(std::move(className)) {}

  QString Read(std::vector<TFrameControl>& controls) override {
    controls.clear();
    std::vector<ControlClass> classes;
    if (const Result r = device_->DescribeControls(classes); Failed(r)) return ErrorText(platform_, r);
    for (const ControlClass& group : classes) {
      if (group.name != className_) continue;
      for (const ControlDescription& description : group.controls) controls.push_back(Convert(description));
    }
    return {};
  }

  QString Write(quint32 id, qint64 value) override {
    const Result r = device_->SetControl(id, value);
    return Succeeded(r) ? QString() : ErrorText(platform_, r);
  }

 private:
  TFrameControl Convert(const ControlDescription& description) {
    TFrameControl control;
    control.Id = description.id;
    control.Kind = KindOf(description.type);
    control.Name = QString::fromStdString(description.name);
    control.Minimum = description.minimum;
    control.Maximum = description.maximum;
    control.Step = description.step;
    control.Default = description.defaultValue;
    control.ReadOnly = (description.flags & kControlReadOnly) != 0;
    control.Inactive = (description.flags & kControlInactive) != 0;
    control.Grabbed = (description.flags & kControlGrabbed) != 0;
    for (const ControlMenuItem& item : description.menu)
      control.Menu.push_back({item.index, QString::fromStdString(item.label)});
    const bool readable = description.type != ControlType::Button && (description.flags & kControlWriteOnly) == 0;
    std::int64_t value = 0;
    if (readable && Succeeded(device_->GetControl(description.id, value))) control.Value = value;
    return control;
  }

  CapturePlatform& platform_;
  std::shared_ptr<IDeviceControls> device_;
  std::string className_;
};

bool IsVideoInfo(const AmMediaType& mediaType) {
  return mediaType.formattype == guids::FormatVideoInfo && mediaType.cbFormat >= kVideoInfoHeaderSize &&
         mediaType.pbFormat != nullptr;
}

bool SameFormat(const TFCameraFormat& a, const TFCameraFormat& b) {
  return a.Width == b.Width && a.Height == b.Height && a.AvgTimePerFrame == b.AvgTimePerFrame &&
         a.BitsPerPixel == b.BitsPerPixel && a.Compression == b.Compression;
}

// The formats of a capture pin and its stream configuration.
class StreamFormatPage final : public TStreamPageSource {
 public:
  StreamFormatPage(CapturePlatform& platform, std::shared_ptr<IPin> pin, std::shared_ptr<IAMStreamConfig> config)
      : platform_(platform), pin_(std::move(pin)), config_(std::move(config)) {}

  QString Read(QStringList& formats, int& current) override {
    formats.clear();
    current = -1;
    mediaTypes_.clear();
    std::shared_ptr<IEnumMediaTypes> enumerator;
    if (const Result r = pin_->EnumMediaTypes(enumerator); Failed(r)) return ErrorText(platform_, r);
    std::vector<TFCameraFormat> listed;
    for (Result r = kOk; enumerator && r == kOk;) {
      AmMediaType* raw = nullptr;
      r = enumerator->Next(raw);
      OwnedMediaType mediaType = OwnedMediaType::Adopt(raw);
      if (r != kOk || raw == nullptr || !IsVideoInfo(mediaType.Get())) continue;
      listed.push_back(TFCamera::MediaTypeToFormat(mediaType.Get()));
      mediaTypes_.push_back(std::move(mediaType));
    }
    for (const TFCameraFormat& format : listed) formats.append(StreamFormatText(format));

    AmMediaType* raw = nullptr;
    const Result r = config_->GetFormat(raw);
    const OwnedMediaType selected = OwnedMediaType::Adopt(raw);
    if (Failed(r)) return ErrorText(platform_, r);
    if (raw != nullptr && IsVideoInfo(selected.Get())) {
      const TFCameraFormat now = TFCamera::MediaTypeToFormat(selected.Get());
      for (int index = 0; index < static_cast<int>(listed.size()); ++index)
        if (SameFormat(listed[static_cast<std::size_t>(index)], now)) {
          current = index;
          break;
        }
    }
    return {};
  }

  QString Select(int index) override {
    if (index < 0 || index >= static_cast<int>(mediaTypes_.size())) return {};
    const Result r = config_->SetFormat(mediaTypes_[static_cast<std::size_t>(index)].Get());
    return Succeeded(r) ? QString() : ErrorText(platform_, r);
  }

 private:
  CapturePlatform& platform_;
  std::shared_ptr<IPin> pin_;
  std::shared_ptr<IAMStreamConfig> config_;
  std::vector<OwnedMediaType> mediaTypes_;  // as listed, for Select
};

void AddControlPages(CapturePlatform& platform, const std::shared_ptr<Unknown>& object,
                     std::vector<TPropertyFramePage>& pages, Result& result) {
  std::shared_ptr<IDeviceControls> device;
  if (Failed(QueryInterfaceAs(object, device))) return;
  std::vector<ControlClass> classes;
  if (const Result r = device->DescribeControls(classes); Failed(r)) {
    result = r;
    return;
  }
  for (const ControlClass& group : classes) {
    pages.push_back({QString::fromStdString(group.name),
                     std::make_shared<DeviceControlPage>(platform, device, group.name), nullptr});
  }
}

void AddStreamPage(CapturePlatform& platform, const std::shared_ptr<Unknown>& object,
                   std::vector<TPropertyFramePage>& pages) {
  std::shared_ptr<IAMStreamConfig> config;
  std::shared_ptr<IPin> pin;
  if (Failed(QueryInterfaceAs(object, config)) || Failed(QueryInterfaceAs(object, pin))) return;
  pages.push_back({QObject::tr("Video Format"), nullptr, std::make_shared<StreamFormatPage>(platform, pin, config)});
}

}  // namespace

QString StreamFormatText(const TFCameraFormat& format) {
  QString pixelFormat;
  for (const char c : format.Compression)
    if (c != '\0') pixelFormat.append(QLatin1Char(c));
  // Uncompressed RGB carries no four-character code; its bit count tells the layout.
  if (pixelFormat.isEmpty()) pixelFormat = QStringLiteral("RGB%1").arg(format.BitsPerPixel);
  QString text = QStringLiteral("%1  %2x%3").arg(pixelFormat).arg(format.Width).arg(std::abs(format.Height));
  if (format.AvgTimePerFrame > 0)
    text += QStringLiteral("  %1 fps").arg(QString::number(10000000.0 / static_cast<double>(format.AvgTimePerFrame), 'g', 4));
  return text;
}

std::vector<TPropertyFramePage> PropertyFramePages(CapturePlatform& platform, const PropertyFrameRequest& request,
                                                   Result& result) {
  result = kOk;
  std::vector<TPropertyFramePage> pages;
  for (const auto& object : request.objects) {
    if (!object) continue;
    for (const Guid& page : request.pages) {
      if (page == guids::CameraSettingsPage) AddControlPages(platform, object, pages, result);
      if (page == guids::StreamFormatPage) AddStreamPage(platform, object, pages);
    }
  }
  if (Succeeded(result) && pages.empty()) result = kErrorNoPropertyPages;
  return pages;
}

Result ShowPropertyFrame(CapturePlatform& platform, const PropertyFrameRequest& request) {
  // Called from the camera component, inside the caller's error guard; nothing may escape as an exception
  // through the platform's call.
  try {
    Result result = kOk;
    std::vector<TPropertyFramePage> pages = PropertyFramePages(platform, request, result);
    if (Failed(result)) return result;
    TPropertyFrame frame(QString::fromStdString(request.caption), std::move(pages));
    frame.move(request.x, request.y);
    frame.ShowModal();
    return kOk;
  } catch (const std::exception&) {
    return kUnexpected;
  }
}
