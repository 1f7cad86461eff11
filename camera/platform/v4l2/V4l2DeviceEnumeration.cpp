#include "camera/platform/v4l2/V4l2DeviceEnumeration.h"

#include "camera/platform/common/Enumerators.h"
#include "camera/platform/media/AudioSources.h"
#include "camera/platform/media/CompressorCatalogue.h"
#include "camera/platform/v4l2/V4l2CaptureFilter.h"
#include "camera/platform/v4l2/V4l2Device.h"

namespace tavelo::platform::v4l2 {
namespace {

class IdentityPropertyBag final : public IPropertyBag {
 public:
  explicit IdentityPropertyBag(V4l2DeviceIdentity identity) : identity_(std::move(identity)) {}
  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerInterfaces<IPropertyBag>(this, iid, out);
  }
  Result Read(const std::string& name, std::string& value) override {
    if (name == "FriendlyName") value = identity_.friendlyName;
    else if (name == "DevicePath") value = identity_.devicePath;
    else if (name == "Description") value = identity_.description;
    else return kInvalidArg;
    return kOk;
  }

 private:
  V4l2DeviceIdentity identity_;
};

class CameraMoniker final : public IMoniker {
 public:
  CameraMoniker(std::shared_ptr<V4l2Syscalls> syscalls, V4l2DeviceIdentity identity)
      : syscalls_(std::move(syscalls)), identity_(std::move(identity)) {}
  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerInterfaces<IMoniker>(this, iid, out);
  }
  Result BindToStorage(std::shared_ptr<IPropertyBag>& out) override {
    out = std::make_shared<IdentityPropertyBag>(identity_);
    return kOk;
  }
  // The node is opened here, once for the filter and everything it hands out. A node that cannot be
  // opened still gives a filter, whose calls then answer why, so the user learns it from the camera's
  // first request instead of reading "not found".
  Result BindToObject(std::shared_ptr<IBaseFilter>& out) override {
    out = std::make_shared<V4l2CaptureFilter>(V4l2Device::Open(syscalls_, identity_.node, identity_.capture),
                                              identity_.friendlyName);
    return kOk;
  }

 private:
  std::shared_ptr<V4l2Syscalls> syscalls_;
  V4l2DeviceIdentity identity_;
};

}  // namespace

V4l2DeviceEnumerator::V4l2DeviceEnumerator(std::shared_ptr<V4l2Syscalls> syscalls, V4l2Locations locations)
    : syscalls_(std::move(syscalls)), locations_(std::move(locations)) {}

Result V4l2DeviceEnumerator::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerInterfaces<ICreateDevEnum>(this, iid, out);
}

Result V4l2DeviceEnumerator::CreateClassEnumerator(const Guid& category, std::shared_ptr<IEnumMoniker>& out,
                                                   std::uint32_t) {
  out.reset();
  // Compressors are the machine's encoders, the same for every backend.
  if (media::IsCompressorCategory(category)) return media::EnumerateCompressors(category, out);
  if (category == guids::AudioInputDeviceCategory) {
    if (!locations_.machineAudioSources) return kFalse;
    return media::EnumerateMachineAudioSources(media::SystemAudioSourceLister(), out);
  }
  if (category != guids::VideoInputDeviceCategory) return kFalse;
  std::vector<std::shared_ptr<IMoniker>> monikers;
  for (V4l2DeviceIdentity& identity : FindCaptureDevices(*syscalls_, locations_))
    monikers.push_back(std::make_shared<CameraMoniker>(syscalls_, std::move(identity)));
  return EnumerateMonikers(std::move(monikers), out);
}

}  // namespace tavelo::platform::v4l2
