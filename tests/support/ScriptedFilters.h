#pragma once

// Scripted filters and pins: the base filter shared by devices and graph objects, the capture devices
// described by a DeviceSetup, their pins with media types, their property interfaces and
// kernel-streaming property sets.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ScriptedMediaTypes.h"
#include "tests/support/ScriptedObject.h"

namespace tavelo::scripted {

// One property of the video processing amplifier or the camera control, as a driver keeps it.
struct RangedProperty {
  std::int32_t value = 0;
  std::int32_t flags = platform::kPropertyFlagsManual;  // current mode
  std::int32_t min = 0;
  std::int32_t max = 255;
  std::int32_t delta = 1;
  std::int32_t defaultValue = 0;
  std::int32_t caps = platform::kPropertyFlagsManual;  // what the driver can do
};
using RangedProperties = std::map<std::int32_t, RangedProperty>;

// One kernel-streaming property: a set, an id and its bytes.
struct KsProperty {
  platform::Guid set;
  std::uint32_t id = 0;
  std::vector<std::uint8_t> data;
};

// The 8-byte record of the flash and video-stabilisation property sets.
std::vector<std::uint8_t> KsControlRecordBytes(std::uint32_t mode, std::uint32_t capability);

struct PinSetup {
  std::string id = "Capture";
  // The pin category its IKsPropertySet answers (16 bytes); none: the category read fails.
  std::optional<platform::Guid> category = platform::guids::PinCategoryCapture;
  std::vector<KsProperty> ksProperties;  // further properties, or a malformed category answer
  std::vector<MediaTypeCopy> mediaTypes;
  std::optional<MediaTypeCopy> currentFormat;  // what GetFormat answers; the first media type when unset
  std::vector<platform::Iid> lacks;            // interfaces the pin does not answer
  std::vector<platform::Guid> propertyPages{platform::guids::StreamFormatPage};
};

struct DeviceSetup {
  platform::Guid category = platform::guids::VideoInputDeviceCategory;
  std::string label;  // name in the call log; the friendly name when empty
  // Property-bag values; a missing one cannot be read.
  std::optional<std::string> friendlyName;
  std::optional<std::string> devicePath;
  std::optional<std::string> description;
  std::optional<std::string> waveInId;
  RangedProperties videoProcAmp;   // ids without an entry answer "not found"
  RangedProperties cameraControl;
  std::vector<KsProperty> ksProperties;  // flash, video stabilisation, ...
  std::vector<PinSetup> pins;
  std::vector<platform::Iid> lacks;      // interfaces the filter does not answer
  std::vector<platform::Guid> propertyPages{platform::Guid{0x71F96464, 0x78F3, 0x11D0, {}}};
};

// A typical webcam: one capture pin with three formats (640x480 YUY2 30 fps, 1280x720 MJPG 30 fps,
// 320x240 YUY2 15 fps, the first current), brightness/contrast/gain/white balance/power-line frequency
// on the amplifier, exposure/focus/zoom on the camera control.
DeviceSetup CameraSetup(std::string friendlyName, std::string devicePath = {});
DeviceSetup AudioDeviceSetup(std::string friendlyName, std::string waveInId);
DeviceSetup CompressorSetup(std::string friendlyName, platform::Guid category = platform::guids::VideoCompressorCategory);

class ScriptedPin;

// IBaseFilter with pins, a name in its graph and a run state.
class ScriptedBaseFilter : public platform::IBaseFilter, public ScriptedObject {
 public:
  using ScriptedObject::ScriptedObject;

  platform::Result QueryInterface(platform::Iid iid, std::shared_ptr<void>& out) override;
  platform::Result EnumPins(std::shared_ptr<platform::IEnumPins>& out) override;
  platform::Result QueryFilterInfo(platform::FilterInfo& out) override;
  platform::Result JoinFilterGraph(const std::shared_ptr<platform::IGraphBuilder>& graph, const std::string& name) override;
  platform::Result Run() override;
  platform::Result Pause() override;
  platform::Result Stop() override;
  platform::Result GetState(std::uint32_t timeoutMs, platform::FilterState& out) override;

  const std::vector<std::shared_ptr<ScriptedPin>>& Pins() const { return pins_; }

 protected:
  std::vector<std::shared_ptr<ScriptedPin>> pins_;
  platform::FilterState state_ = platform::FilterState::Stopped;
  std::string nameInGraph_;
};

class ScriptedPin final : public platform::IPin,
                          public platform::IKsPropertySet,
                          public platform::IAMStreamConfig,
                          public platform::ISpecifyPropertyPages,
                          public ScriptedObject {
 public:
  ScriptedPin(std::shared_ptr<CallRecorder> recorder, std::string label, std::shared_ptr<std::atomic<bool>> gone,
              PinSetup setup);

  platform::Result QueryInterface(platform::Iid iid, std::shared_ptr<void>& out) override;
  platform::Result QueryDirection(platform::PinDirection& out) override;
  platform::Result QueryId(std::string& out) override;
  platform::Result EnumMediaTypes(std::shared_ptr<platform::IEnumMediaTypes>& out) override;
  platform::Result Get(const platform::Guid& propSet, std::uint32_t id, const void* instanceData,
                       std::uint32_t instanceLength, void* propertyData, std::uint32_t dataLength,
                       std::uint32_t& bytesReturned) override;
  platform::Result Set(const platform::Guid& propSet, std::uint32_t id, const void* instanceData,
                       std::uint32_t instanceLength, const void* propertyData, std::uint32_t dataLength) override;
  platform::Result GetFormat(platform::AmMediaType*& out) override;
  platform::Result SetFormat(const platform::AmMediaType& mediaType) override;
  platform::Result GetPages(std::vector<platform::Guid>& pages) override;

  PinSetup& Setup() { return setup_; }
  // Index of the offered media type the pin is set to; -1 when it matches none of them.
  int CurrentFormatIndex() const;

 private:
  PinSetup setup_;
};

class ScriptedDevice final : public ScriptedBaseFilter,
                             public platform::IKsPropertySet,
                             public platform::IAMVideoControl,
                             public platform::ISpecifyPropertyPages {
 public:
  ScriptedDevice(std::shared_ptr<CallRecorder> recorder, DeviceSetup setup);

  platform::Result QueryInterface(platform::Iid iid, std::shared_ptr<void>& out) override;
  platform::Result Get(const platform::Guid& propSet, std::uint32_t id, const void* instanceData,
                       std::uint32_t instanceLength, void* propertyData, std::uint32_t dataLength,
                       std::uint32_t& bytesReturned) override;
  platform::Result Set(const platform::Guid& propSet, std::uint32_t id, const void* instanceData,
                       std::uint32_t instanceLength, const void* propertyData, std::uint32_t dataLength) override;
  platform::Result GetPages(std::vector<platform::Guid>& pages) override;

  // The live description: property values change with every accepted Set.
  DeviceSetup& Setup() { return setup_; }
  RangedProperty& VideoProcAmp(std::int32_t id) { return setup_.videoProcAmp.at(id); }
  RangedProperty& CameraControl(std::int32_t id) { return setup_.cameraControl.at(id); }
  std::vector<std::uint8_t> KsData(const platform::Guid& set, std::uint32_t id = 0) const;
  ScriptedPin& Pin(std::size_t index) { return *pins_.at(index); }

  // Enumeration objects for this device (used by the platform's enumerator).
  std::shared_ptr<platform::IMoniker> NewMoniker();

  void Unplug() { gone_->store(true); }
  bool Unplugged() const { return gone_->load(); }

 private:
  DeviceSetup setup_;
};

}  // namespace tavelo::scripted
