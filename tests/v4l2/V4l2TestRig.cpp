#include "tests/v4l2/V4l2TestRig.h"

#include <filesystem>
#include <stdexcept>

namespace tavelo::v4l2test {
using namespace tavelo::platform;

V4l2TestRig::V4l2TestRig() : kernel_(std::make_shared<FakeV4l2Kernel>()) {
  sysfs_ = kernel_->DeviceDirectory() + "/sys-class-video4linux";
  std::filesystem::create_directories(sysfs_);
  v4l2::V4l2Locations locations;
  locations.deviceDirectory = kernel_->DeviceDirectory();
  locations.sysfsDirectory = sysfs_;
  locations.machineAudioSources = false;  // the sound inputs of whatever machine runs the tests
  platform_ = CreateV4l2Platform(kernel_, locations);
}

std::vector<V4l2TestRig::ListedDevice> V4l2TestRig::ListDevices() {
  std::vector<ListedDevice> devices;
  std::shared_ptr<ICreateDevEnum> enumerator;
  if (Failed(CreateInstanceAs(*platform_, guids::SystemDeviceEnum, enumerator))) return devices;
  std::shared_ptr<IEnumMoniker> monikers;
  if (enumerator->CreateClassEnumerator(guids::VideoInputDeviceCategory, monikers, 0) != kOk) return devices;
  std::shared_ptr<IMoniker> moniker;
  while (monikers->Next(moniker) == kOk) {
    std::shared_ptr<IPropertyBag> bag;
    if (Failed(moniker->BindToStorage(bag))) continue;
    ListedDevice device;
    bag->Read("FriendlyName", device.friendlyName);
    bag->Read("DevicePath", device.devicePath);
    bag->Read("Description", device.description);
    devices.push_back(device);
  }
  return devices;
}

BoundCamera V4l2TestRig::Bind(const std::string& name) {
  std::shared_ptr<ICreateDevEnum> enumerator;
  if (Failed(CreateInstanceAs(*platform_, guids::SystemDeviceEnum, enumerator)))
    throw std::runtime_error("no device enumerator");
  std::shared_ptr<IEnumMoniker> monikers;
  if (enumerator->CreateClassEnumerator(guids::VideoInputDeviceCategory, monikers, 0) != kOk)
    throw std::runtime_error("no video input devices");
  std::shared_ptr<IMoniker> moniker;
  while (monikers->Next(moniker) == kOk) {
    std::shared_ptr<IPropertyBag> bag;
    std::string friendlyName;
    if (Failed(moniker->BindToStorage(bag)) || Failed(bag->Read("FriendlyName", friendlyName)) || friendlyName != name)
      continue;
    BoundCamera camera;
    if (Failed(moniker->BindToObject(camera.filter))) throw std::runtime_error("bind failed");
    QueryInterfaceAs(camera.filter, camera.procAmp);
    QueryInterfaceAs(camera.filter, camera.cameraControl);
    std::shared_ptr<IEnumPins> pins;
    if (Succeeded(camera.filter->EnumPins(pins))) pins->Next(camera.pin);
    return camera;
  }
  throw std::runtime_error("no camera named " + name);
}

}  // namespace tavelo::v4l2test
