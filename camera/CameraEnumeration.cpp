// TFCamera: listing the devices and compressors of a category and binding one of them by name.
// Nothing here raises on a platform failure: a failing step yields fewer entries, an empty list or nil.

#include "camera/FCamera.h"

using namespace tavelo::platform;

namespace {

// Walks the monikers of a category that have a property bag; `visit` answers false to stop the walk.
template <class Visit>
void ForEachDeviceBag(CapturePlatform& platform, const Guid& category, Visit visit) {
  std::shared_ptr<ICreateDevEnum> deviceEnumerator;
  if (Failed(CreateInstanceAs(platform, guids::SystemDeviceEnum, deviceEnumerator)) || !deviceEnumerator) return;

  // An empty category answers a success code without an enumerator.
  std::shared_ptr<IEnumMoniker> monikers;
  if (Failed(deviceEnumerator->CreateClassEnumerator(category, monikers, 0)) || !monikers) return;

  for (;;) {
    std::shared_ptr<IMoniker> moniker;
    if (monikers->Next(moniker) != kOk) return;
    if (!moniker) continue;
    std::shared_ptr<IPropertyBag> bag;
    if (Failed(moniker->BindToStorage(bag)) || !bag) continue;
    if (!visit(*moniker, *bag)) return;
  }
}

// One value of a bag; empty when it cannot be read.
QString ReadBagValue(IPropertyBag& bag, const char* name) {
  std::string value;
  if (Failed(bag.Read(name, value))) return {};
  return QString::fromStdString(value);
}

bool BagValueEquals(IPropertyBag& bag, const char* name, const QString& expected) {
  std::string value;
  return Succeeded(bag.Read(name, value)) && QString::fromStdString(value) == expected;
}

std::shared_ptr<IBaseFilter> BindFilter(IMoniker& moniker) {
  std::shared_ptr<IBaseFilter> filter;
  if (Failed(moniker.BindToObject(filter))) return nullptr;
  return filter;
}

std::vector<QString> FriendlyNames(CapturePlatform& platform, const Guid& category) {
  std::vector<QString> names;
  ForEachDeviceBag(platform, category, [&](IMoniker&, IPropertyBag& bag) {
    names.push_back(ReadBagValue(bag, "FriendlyName"));
    return true;
  });
  return names;
}

}  // namespace

TFVideoCaptureDevices TFCamera::Devices() {
  TFVideoCaptureDevices devices;
  ForEachDeviceBag(*FPlatform, guids::VideoInputDeviceCategory, [&](IMoniker&, IPropertyBag& bag) {
    TFVideoCaptureDevice& device = devices.emplace_back();
    device.Name = ReadBagValue(bag, "FriendlyName");
    device.Path = ReadBagValue(bag, "DevicePath");
    device.Description = ReadBagValue(bag, "Description");
    return true;
  });
  return devices;
}

TFAudioCaptureDevices TFCamera::AudioCaptureDevices() {
  TFAudioCaptureDevices devices;
  ForEachDeviceBag(*FPlatform, guids::AudioInputDeviceCategory, [&](IMoniker&, IPropertyBag& bag) {
    TFAudioCaptureDevice& device = devices.emplace_back();
    device.Name = ReadBagValue(bag, "FriendlyName");
    device.Description = ReadBagValue(bag, "Description");
    bool isNumber = false;
    const int waveInId = ReadBagValue(bag, "WaveInID").trimmed().toInt(&isNumber);
    device.WaveInID = isNumber ? waveInId : 0;
    return true;
  });
  return devices;
}

std::vector<QString> TFCamera::Compressors() { return FriendlyNames(*FPlatform, guids::VideoCompressorCategory); }

std::vector<QString> TFCamera::AudioCompressors() { return FriendlyNames(*FPlatform, guids::AudioCompressorCategory); }

std::shared_ptr<IBaseFilter> TFCamera::GetDevice(const QString& name) {
  // Per moniker: the friendly name first, then the device path. So a path picks that very camera, and a
  // friendly name shared by several cameras picks the first one that binds.
  std::shared_ptr<IBaseFilter> found;
  ForEachDeviceBag(*FPlatform, guids::VideoInputDeviceCategory, [&](IMoniker& moniker, IPropertyBag& bag) {
    if (BagValueEquals(bag, "FriendlyName", name)) found = BindFilter(moniker);
    if (!found && BagValueEquals(bag, "DevicePath", name)) found = BindFilter(moniker);
    return found == nullptr;
  });
  return found;
}

std::shared_ptr<IBaseFilter> TFCamera::GetDeviceByPath(const QString& path) {
  std::shared_ptr<IBaseFilter> found;
  ForEachDeviceBag(*FPlatform, guids::VideoInputDeviceCategory, [&](IMoniker& moniker, IPropertyBag& bag) {
    if (BagValueEquals(bag, "DevicePath", path)) found = BindFilter(moniker);
    return found == nullptr;
  });
  return found;
}

std::shared_ptr<IBaseFilter> TFCamera::FindCategoryFilter(const Guid& category, const QString& name) {
  std::shared_ptr<IBaseFilter> found;
  ForEachDeviceBag(*FPlatform, category, [&](IMoniker& moniker, IPropertyBag& bag) {
    if (BagValueEquals(bag, "FriendlyName", name)) found = BindFilter(moniker);
    return found == nullptr;
  });
  return found;
}

std::shared_ptr<IBaseFilter> TFCamera::GetAudioCaptureDevice(const QString& name) {
  return FindCategoryFilter(guids::AudioInputDeviceCategory, name);
}

std::shared_ptr<IBaseFilter> TFCamera::GetCompressor(const QString& name) {
  return FindCategoryFilter(guids::VideoCompressorCategory, name);
}

std::shared_ptr<IBaseFilter> TFCamera::GetAudioCompressor(const QString& name) {
  return FindCategoryFilter(guids::AudioCompressorCategory, name);
}
