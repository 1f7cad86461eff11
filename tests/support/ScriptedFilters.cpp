#include "tests/support/ScriptedFilters.h"

#include <cstring>

namespace tavelo::scripted {

using namespace platform;

namespace {

std::string SetName(const Guid& set) {
  if (set == guids::AmPropSetIdPin) return "Pin";
  if (set == guids::PropSetIdVidcapCameraControlFlash) return "Flash";
  if (set == guids::PropSetIdVidcapCameraControlVideoStabilization) return "VideoStabilization";
  return set.ToString();
}

// Kernel-streaming Get/Set over a list of properties, answering as a driver does: an unknown set, an
// unknown property of a known set, a buffer too small for the data.
Result KsGet(const std::vector<KsProperty>& properties, const Guid& set, std::uint32_t id, void* data,
             std::uint32_t length, std::uint32_t& bytesReturned) {
  bytesReturned = 0;
  bool setKnown = false;
  for (const KsProperty& property : properties) {
    if (!(property.set == set)) continue;
    setKnown = true;
    if (property.id != id) continue;
    const auto size = static_cast<std::uint32_t>(property.data.size());
    if (data == nullptr || length < size) {
      bytesReturned = size;
      return kErrorMoreData;
    }
    std::memcpy(data, property.data.data(), size);
    bytesReturned = size;
    return kOk;
  }
  return setKnown ? kErrorNotFound : kErrorSetNotFound;
}

Result KsSet(std::vector<KsProperty>& properties, const Guid& set, std::uint32_t id, const void* data,
             std::uint32_t length) {
  bool setKnown = false;
  for (KsProperty& property : properties) {
    if (!(property.set == set)) continue;
    setKnown = true;
    if (property.id != id) continue;
    if (data == nullptr || length < property.data.size()) return kInvalidArg;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    property.data.assign(bytes, bytes + length);
    return kOk;
  }
  return setKnown ? kErrorNotFound : kErrorSetNotFound;
}

// A tear-off of a device: the amplifier or the camera control over the device's live properties.
template <class I>
class ScriptedRangedProperties final : public I, public ScriptedObject {
 public:
  ScriptedRangedProperties(std::shared_ptr<ScriptedDevice> device, std::shared_ptr<std::atomic<bool>> gone,
                           RangedProperties& properties)
      : ScriptedObject(device->Recorder(), device->Label(), std::move(gone)),
        device_(std::move(device)),
        properties_(properties) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override { return this->template AnswerQuery<I>(this, iid, out); }

  Result GetRange(std::int32_t property, std::int32_t& min, std::int32_t& max, std::int32_t& delta,
                  std::int32_t& defaultValue, std::int32_t& capsFlags) override {
    const Scripted scripted = Intercept(Family() + ".GetRange", property);
    if (scripted.Refused()) return *scripted.answer;
    const auto it = properties_.find(property);
    if (it == properties_.end()) return scripted.Or(kErrorNotFound);
    min = it->second.min;
    max = it->second.max;
    delta = it->second.delta;
    defaultValue = it->second.defaultValue;
    capsFlags = it->second.caps;
    return scripted.Or(kOk);
  }

  Result Get(std::int32_t property, std::int32_t& value, std::int32_t& flags) override {
    const Scripted scripted = Intercept(Family() + ".Get", property);
    if (scripted.Refused()) return *scripted.answer;
    const auto it = properties_.find(property);
    if (it == properties_.end()) return scripted.Or(kErrorNotFound);
    value = it->second.value;
    flags = it->second.flags;
    return scripted.Or(kOk);
  }

  // Like a driver: values outside the range are refused; the flags set the mode.
  Result Set(std::int32_t property, std::int32_t value, std::int32_t flags) override {
    const Scripted scripted = Intercept(Family() + ".Set", property,
                                        "value=" + std::to_string(value) + " flags=" + std::to_string(flags));
    if (scripted.Refused()) return *scripted.answer;
    const auto it = properties_.find(property);
    if (it == properties_.end()) return scripted.Or(kErrorNotFound);
    if (value < it->second.min || value > it->second.max) return scripted.Or(kInvalidArg);
    it->second.value = value;
    it->second.flags = flags;
    return scripted.Or(kOk);
  }

 private:
  std::string Family() const { return IidName(I::kIid); }

  std::shared_ptr<ScriptedDevice> device_;  // a tear-off keeps its device alive
  RangedProperties& properties_;
};

class ScriptedEnumPins final : public IEnumPins, public ScriptedObject {
 public:
  ScriptedEnumPins(std::shared_ptr<CallRecorder> recorder, std::string label,
                   std::vector<std::shared_ptr<ScriptedPin>> pins)
      : ScriptedObject(std::move(recorder), std::move(label)), pins_(std::move(pins)) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override { return AnswerQuery<IEnumPins>(this, iid, out); }

  Result Next(std::shared_ptr<IPin>& out) override {
    out.reset();
    const Scripted scripted = Intercept("EnumPins.Next");
    if (scripted.Refused()) return *scripted.answer;
    if (next_ >= pins_.size()) return scripted.Or(kFalse);
    std::shared_ptr<void> raw;
    const Result query = pins_[next_++]->QueryInterface(Iid::Pin, raw);
    if (Failed(query)) return query;
    out = std::static_pointer_cast<IPin>(raw);
    return scripted.Or(kOk);
  }

 private:
  std::vector<std::shared_ptr<ScriptedPin>> pins_;
  std::size_t next_ = 0;
};

class ScriptedEnumMediaTypes final : public IEnumMediaTypes, public ScriptedObject {
 public:
  ScriptedEnumMediaTypes(std::shared_ptr<CallRecorder> recorder, std::string label, std::shared_ptr<ScriptedPin> pin)
      : ScriptedObject(std::move(recorder), std::move(label)), pin_(std::move(pin)) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerQuery<IEnumMediaTypes>(this, iid, out);
  }

  Result Next(AmMediaType*& out) override {
    out = nullptr;
    const Scripted scripted = Intercept("EnumMediaTypes.Next", static_cast<std::int32_t>(next_));
    if (scripted.Refused()) return *scripted.answer;
    const auto& mediaTypes = pin_->Setup().mediaTypes;
    if (next_ >= mediaTypes.size()) return scripted.Or(kFalse);
    out = HandOutMediaType(mediaTypes[next_++].Get(), recorder_);
    return scripted.Or(kOk);
  }

 private:
  std::shared_ptr<ScriptedPin> pin_;
  std::size_t next_ = 0;
};

class ScriptedPropertyBag final : public IPropertyBag, public ScriptedObject {
 public:
  ScriptedPropertyBag(std::shared_ptr<CallRecorder> recorder, std::string label, std::shared_ptr<ScriptedDevice> device)
      : ScriptedObject(std::move(recorder), std::move(label)), device_(std::move(device)) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerQuery<IPropertyBag>(this, iid, out);
  }

  Result Read(const std::string& name, std::string& value) override {
    const Scripted scripted = Intercept("PropertyBag.Read", std::nullopt, name);
    if (scripted.Refused()) return *scripted.answer;
    const DeviceSetup& setup = device_->Setup();
    const std::optional<std::string>* field = name == "FriendlyName" ? &setup.friendlyName
                                              : name == "DevicePath" ? &setup.devicePath
                                              : name == "Description" ? &setup.description
                                              : name == "WaveInID"    ? &setup.waveInId
                                                                      : nullptr;
    if (field == nullptr || !field->has_value()) return scripted.Or(kFail);
    value = **field;
    return scripted.Or(kOk);
  }

 private:
  std::shared_ptr<ScriptedDevice> device_;
};

class ScriptedMoniker final : public IMoniker, public ScriptedObject {
 public:
  explicit ScriptedMoniker(std::shared_ptr<ScriptedDevice> device)
      : ScriptedObject(device->Recorder(), device->Label()), device_(std::move(device)) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override { return AnswerQuery<IMoniker>(this, iid, out); }

  Result BindToStorage(std::shared_ptr<IPropertyBag>& out) override {
    out.reset();
    const Scripted scripted = Intercept("Moniker.BindToStorage");
    if (scripted.Refused()) return *scripted.answer;
    auto bag = std::make_shared<ScriptedPropertyBag>(recorder_, label_, device_);
    out = HandOut<IPropertyBag>(bag.get());
    return scripted.Or(kOk);
  }

  Result BindToObject(std::shared_ptr<IBaseFilter>& out) override {
    out.reset();
    const Scripted scripted = Intercept("Moniker.BindToObject");
    if (scripted.Refused()) return *scripted.answer;
    std::shared_ptr<void> raw;
    const Result query = device_->QueryInterface(Iid::BaseFilter, raw);
    if (Failed(query)) return query;
    out = std::static_pointer_cast<IBaseFilter>(raw);
    return scripted.Or(kOk);
  }

 private:
  std::shared_ptr<ScriptedDevice> device_;
};

VideoFormatSetup Format(std::int32_t width, std::int32_t height, std::int64_t avgTimePerFrame, std::uint16_t bitCount,
                       std::uint32_t compression) {
  VideoFormatSetup setup;
  setup.width = width;
  setup.height = height;
  setup.avgTimePerFrame = avgTimePerFrame;
  setup.bitCount = bitCount;
  setup.compression = compression;
  setup.fixedSizeSamples = compression != MakeFourCC('M', 'J', 'P', 'G');
  return setup;
}

}  // namespace

std::vector<std::uint8_t> KsControlRecordBytes(std::uint32_t mode, std::uint32_t capability) {
  std::vector<std::uint8_t> bytes(8);
  std::memcpy(bytes.data(), &mode, 4);
  std::memcpy(bytes.data() + 4, &capability, 4);
  return bytes;
}

DeviceSetup CameraSetup(std::string friendlyName, std::string devicePath) {
  DeviceSetup setup;
  setup.friendlyName = std::move(friendlyName);
  setup.devicePath = devicePath.empty() ? "/dev/v4l/by-id/" + *setup.friendlyName : std::move(devicePath);
  setup.description = "Scripted camera";
  setup.videoProcAmp = {
      {VideoProcAmp_Brightness, {128, kPropertyFlagsManual, 0, 255, 1, 128, kPropertyFlagsManual}},
      {VideoProcAmp_Contrast, {32, kPropertyFlagsManual, 0, 95, 1, 32, kPropertyFlagsManual}},
      {VideoProcAmp_Gain, {0, kPropertyFlagsManual, 0, 100, 1, 0, kPropertyFlagsManual}},
      {VideoProcAmp_WhiteBalance,
       {4600, kPropertyFlagsAuto, 2800, 6500, 10, 4600, kPropertyFlagsAuto | kPropertyFlagsManual}},
      {VideoProcAmp_PowerLineFrequency, {1, kPropertyFlagsManual, 0, 2, 1, 1, kPropertyFlagsManual}},
  };
  setup.cameraControl = {
      {CameraControl_Exposure, {-6, kPropertyFlagsAuto, -11, -2, 1, -6, kPropertyFlagsAuto | kPropertyFlagsManual}},
      {CameraControl_Focus, {0, kPropertyFlagsAuto, 0, 250, 5, 0, kPropertyFlagsAuto | kPropertyFlagsManual}},
      {CameraControl_Zoom, {100, kPropertyFlagsManual, 100, 500, 1, 100, kPropertyFlagsManual}},
  };
  PinSetup pin;
  pin.mediaTypes.push_back(VideoInfoFormat(Format(640, 480, 333333, 16, MakeFourCC('Y', 'U', 'Y', '2'))));
  pin.mediaTypes.push_back(VideoInfoFormat(Format(1280, 720, 333333, 24, MakeFourCC('M', 'J', 'P', 'G'))));
  pin.mediaTypes.push_back(VideoInfoFormat(Format(320, 240, 666666, 16, MakeFourCC('Y', 'U', 'Y', '2'))));
  setup.pins.push_back(std::move(pin));
  return setup;
}

DeviceSetup AudioDeviceSetup(std::string friendlyName, std::string waveInId) {
  DeviceSetup setup;
  setup.category = guids::AudioInputDeviceCategory;
  setup.friendlyName = std::move(friendlyName);
  setup.waveInId = std::move(waveInId);
  return setup;
}

DeviceSetup CompressorSetup(std::string friendlyName, Guid category) {
  DeviceSetup setup;
  setup.category = category;
  setup.friendlyName = std::move(friendlyName);
  return setup;
}

// ---- ScriptedBaseFilter -------------------------------------------------------------------------------

Result ScriptedBaseFilter::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerQuery<IBaseFilter>(this, iid, out);
}

Result ScriptedBaseFilter::EnumPins(std::shared_ptr<IEnumPins>& out) {
  out.reset();
  const Scripted scripted = Intercept("BaseFilter.EnumPins");
  if (scripted.Refused()) return *scripted.answer;
  auto pins = std::make_shared<ScriptedEnumPins>(recorder_, label_, pins_);
  out = HandOut<IEnumPins>(pins.get());
  return scripted.Or(kOk);
}

Result ScriptedBaseFilter::QueryFilterInfo(FilterInfo& out) {
  const Scripted scripted = Intercept("BaseFilter.QueryFilterInfo");
  if (scripted.Refused()) return *scripted.answer;
  out.name = nameInGraph_.empty() ? label_ : nameInGraph_;
  out.graph.reset();
  return scripted.Or(kOk);
}

Result ScriptedBaseFilter::JoinFilterGraph(const std::shared_ptr<IGraphBuilder>& graph, const std::string& name) {
  const Scripted scripted = Intercept("BaseFilter.JoinFilterGraph", std::nullopt, name);
  if (scripted.Refused()) return *scripted.answer;
  nameInGraph_ = graph ? name : std::string();
  return scripted.Or(kOk);
}

Result ScriptedBaseFilter::Run() {
  const Scripted scripted = Intercept("BaseFilter.Run");
  if (scripted.Refused()) return *scripted.answer;
  state_ = FilterState::Running;
  return scripted.Or(kOk);
}

Result ScriptedBaseFilter::Pause() {
  const Scripted scripted = Intercept("BaseFilter.Pause");
  if (scripted.Refused()) return *scripted.answer;
  state_ = FilterState::Paused;
  return scripted.Or(kOk);
}

Result ScriptedBaseFilter::Stop() {
  const Scripted scripted = Intercept("BaseFilter.Stop");
  if (scripted.Refused()) return *scripted.answer;
  state_ = FilterState::Stopped;
  return scripted.Or(kOk);
}

Result ScriptedBaseFilter::GetState(std::uint32_t timeoutMs, FilterState& out) {
  const Scripted scripted = Intercept("BaseFilter.GetState", static_cast<std::int32_t>(timeoutMs));
  if (scripted.Refused()) return *scripted.answer;
  out = state_;
  return scripted.Or(kOk);
}

// ---- ScriptedPin ------------------------------------------------------------------------------------------

ScriptedPin::ScriptedPin(std::shared_ptr<CallRecorder> recorder, std::string label,
                         std::shared_ptr<std::atomic<bool>> gone, PinSetup setup)
    : ScriptedObject(std::move(recorder), std::move(label), std::move(gone)), setup_(std::move(setup)) {
  if (setup_.category) {
    std::vector<std::uint8_t> bytes(sizeof(Guid));
    std::memcpy(bytes.data(), &*setup_.category, sizeof(Guid));
    setup_.ksProperties.insert(setup_.ksProperties.begin(),
                              KsProperty{guids::AmPropSetIdPin, guids::kAmPropertyPinCategory, std::move(bytes)});
  }
}

Result ScriptedPin::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerQuery<IPin, IKsPropertySet, IAMStreamConfig, ISpecifyPropertyPages>(this, iid, out, setup_.lacks);
}

Result ScriptedPin::GetPages(std::vector<Guid>& pages) {
  const Scripted scripted = Intercept("SpecifyPropertyPages.GetPages");
  if (scripted.Refused()) return *scripted.answer;
  pages = setup_.propertyPages;
  return scripted.Or(kOk);
}

Result ScriptedPin::QueryDirection(PinDirection& out) {
  const Scripted scripted = Intercept("Pin.QueryDirection");
  if (scripted.Refused()) return *scripted.answer;
  out = PinDirection::Output;
  return scripted.Or(kOk);
}

Result ScriptedPin::QueryId(std::string& out) {
  const Scripted scripted = Intercept("Pin.QueryId");
  if (scripted.Refused()) return *scripted.answer;
  out = setup_.id;
  return scripted.Or(kOk);
}

Result ScriptedPin::EnumMediaTypes(std::shared_ptr<IEnumMediaTypes>& out) {
  out.reset();
  const Scripted scripted = Intercept("Pin.EnumMediaTypes");
  if (scripted.Refused()) return *scripted.answer;
  auto self = std::dynamic_pointer_cast<ScriptedPin>(shared_from_this());
  auto mediaTypes = std::make_shared<ScriptedEnumMediaTypes>(recorder_, label_, std::move(self));
  out = HandOut<IEnumMediaTypes>(mediaTypes.get());
  return scripted.Or(kOk);
}

Result ScriptedPin::Get(const Guid& propSet, std::uint32_t id, const void*, std::uint32_t, void* propertyData,
                        std::uint32_t dataLength, std::uint32_t& bytesReturned) {
  bytesReturned = 0;
  const Scripted scripted = Intercept("KsPropertySet.Get", static_cast<std::int32_t>(id), SetName(propSet));
  if (scripted.Refused()) return *scripted.answer;
  return scripted.Or(KsGet(setup_.ksProperties, propSet, id, propertyData, dataLength, bytesReturned));
}

Result ScriptedPin::Set(const Guid& propSet, std::uint32_t id, const void*, std::uint32_t, const void* propertyData,
                        std::uint32_t dataLength) {
  const Scripted scripted = Intercept("KsPropertySet.Set", static_cast<std::int32_t>(id), SetName(propSet));
  if (scripted.Refused()) return *scripted.answer;
  return scripted.Or(KsSet(setup_.ksProperties, propSet, id, propertyData, dataLength));
}

Result ScriptedPin::GetFormat(AmMediaType*& out) {
  out = nullptr;
  const Scripted scripted = Intercept("StreamConfig.GetFormat");
  if (scripted.Refused()) return *scripted.answer;
  const MediaTypeCopy* current = setup_.currentFormat ? &*setup_.currentFormat
                                 : setup_.mediaTypes.empty() ? nullptr
                                                            : &setup_.mediaTypes.front();
  if (current == nullptr) return scripted.Or(kErrorNotConnected);
  out = HandOutMediaType(current->Get(), recorder_);
  return scripted.Or(kOk);
}

Result ScriptedPin::SetFormat(const AmMediaType& mediaType) {
  int offered = -1;
  for (std::size_t i = 0; i < setup_.mediaTypes.size() && offered < 0; ++i)
    if (SameMediaType(setup_.mediaTypes[i].Get(), mediaType)) offered = static_cast<int>(i);
  const Scripted scripted = Intercept("StreamConfig.SetFormat", offered);
  if (scripted.Refused()) return *scripted.answer;
  // Like a driver: only what the pin offers.
  if (offered < 0) return scripted.Or(kErrorInvalidMediaType);
  MediaTypeCopy current(mediaType);
  current.Get().pUnk.reset();  // the caller's attached object stays the caller's
  setup_.currentFormat = std::move(current);
  return scripted.Or(kOk);
}

int ScriptedPin::CurrentFormatIndex() const {
  if (!setup_.currentFormat) return setup_.mediaTypes.empty() ? -1 : 0;
  for (std::size_t i = 0; i < setup_.mediaTypes.size(); ++i)
    if (SameMediaType(setup_.mediaTypes[i].Get(), setup_.currentFormat->Get())) return static_cast<int>(i);
  return -1;
}

// ---- ScriptedDevice ---------------------------------------------------------------------------------------

namespace {
std::string DeviceLabel(const DeviceSetup& setup) {
  if (!setup.label.empty()) return setup.label;
  return setup.friendlyName.value_or("(unnamed device)");
}
}  // namespace

ScriptedDevice::ScriptedDevice(std::shared_ptr<CallRecorder> recorder, DeviceSetup setup)
    : ScriptedBaseFilter(std::move(recorder), DeviceLabel(setup), std::make_shared<std::atomic<bool>>(false)),
      setup_(std::move(setup)) {
  for (PinSetup& pin : setup_.pins) {
    std::string label = label_ + "/" + pin.id;
    pins_.push_back(std::make_shared<ScriptedPin>(recorder_, std::move(label), gone_, std::move(pin)));
  }
  setup_.pins.clear();  // the pins own their descriptions from here on
}

Result ScriptedDevice::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  out.reset();
  const bool lacking = std::find(setup_.lacks.begin(), setup_.lacks.end(), iid) != setup_.lacks.end();
  if (iid == Iid::AMVideoProcAmp || iid == Iid::AMCameraControl) {
    const Scripted scripted = Intercept("QueryInterface", static_cast<std::int32_t>(iid), IidName(iid));
    if (scripted.Refused()) return *scripted.answer;
    if (lacking) return kNoInterface;
    auto self = std::dynamic_pointer_cast<ScriptedDevice>(shared_from_this());
    if (iid == Iid::AMVideoProcAmp) {
      auto tearOff = std::make_shared<ScriptedRangedProperties<IAMVideoProcAmp>>(self, gone_, setup_.videoProcAmp);
      out = HandOut<IAMVideoProcAmp>(tearOff.get());
    } else {
      auto tearOff = std::make_shared<ScriptedRangedProperties<IAMCameraControl>>(self, gone_, setup_.cameraControl);
      out = HandOut<IAMCameraControl>(tearOff.get());
    }
    return scripted.Or(kOk);
  }
  return AnswerQuery<IBaseFilter, IKsPropertySet, IAMVideoControl, ISpecifyPropertyPages>(this, iid, out, setup_.lacks);
}

Result ScriptedDevice::Get(const Guid& propSet, std::uint32_t id, const void*, std::uint32_t, void* propertyData,
                           std::uint32_t dataLength, std::uint32_t& bytesReturned) {
  bytesReturned = 0;
  const Scripted scripted = Intercept("KsPropertySet.Get", static_cast<std::int32_t>(id), SetName(propSet));
  if (scripted.Refused()) return *scripted.answer;
  return scripted.Or(KsGet(setup_.ksProperties, propSet, id, propertyData, dataLength, bytesReturned));
}

Result ScriptedDevice::Set(const Guid& propSet, std::uint32_t id, const void*, std::uint32_t, const void* propertyData,
                           std::uint32_t dataLength) {
  const Scripted scripted = Intercept("KsPropertySet.Set", static_cast<std::int32_t>(id), SetName(propSet));
  if (scripted.Refused()) return *scripted.answer;
  return scripted.Or(KsSet(setup_.ksProperties, propSet, id, propertyData, dataLength));
}

Result ScriptedDevice::GetPages(std::vector<Guid>& pages) {
  const Scripted scripted = Intercept("SpecifyPropertyPages.GetPages");
  if (scripted.Refused()) return *scripted.answer;
  pages = setup_.propertyPages;
  return scripted.Or(kOk);
}

std::vector<std::uint8_t> ScriptedDevice::KsData(const Guid& set, std::uint32_t id) const {
  for (const KsProperty& property : setup_.ksProperties)
    if (property.set == set && property.id == id) return property.data;
  return {};
}

std::shared_ptr<IMoniker> ScriptedDevice::NewMoniker() {
  auto moniker = std::make_shared<ScriptedMoniker>(std::dynamic_pointer_cast<ScriptedDevice>(shared_from_this()));
  return HandOut<IMoniker>(moniker.get());
}

}  // namespace tavelo::scripted
