#include "tests/support/ScriptedPlatform.h"

#include <algorithm>

namespace tavelo::scripted {

using namespace platform;

struct ScriptedPlatform::Registry {
  std::vector<std::shared_ptr<ScriptedDevice>> devices;  // in the order added
};

namespace {

std::string CategoryName(const Guid& category) {
  if (category == guids::VideoInputDeviceCategory) return "VideoInput";
  if (category == guids::AudioInputDeviceCategory) return "AudioInput";
  if (category == guids::VideoCompressorCategory) return "VideoCompressor";
  if (category == guids::AudioCompressorCategory) return "AudioCompressor";
  return category.ToString();
}

class ScriptedEnumMoniker final : public IEnumMoniker, public ScriptedObject {
 public:
  ScriptedEnumMoniker(std::shared_ptr<CallRecorder> recorder, std::vector<std::shared_ptr<ScriptedDevice>> devices)
      : ScriptedObject(std::move(recorder), "EnumMoniker"), devices_(std::move(devices)) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerQuery<IEnumMoniker>(this, iid, out);
  }

  Result Next(std::shared_ptr<IMoniker>& out) override {
    out.reset();
    const Scripted scripted = Intercept("EnumMoniker.Next", static_cast<std::int32_t>(next_));
    if (scripted.Refused()) return *scripted.answer;
    if (next_ >= devices_.size()) return scripted.Or(kFalse);
    out = devices_[next_++]->NewMoniker();
    return scripted.Or(kOk);
  }

 private:
  std::vector<std::shared_ptr<ScriptedDevice>> devices_;  // a snapshot, as a real enumeration is
  std::size_t next_ = 0;
};

class ScriptedDevEnum final : public ICreateDevEnum, public ScriptedObject {
 public:
  using DeviceLookup = std::function<std::vector<std::shared_ptr<ScriptedDevice>>(const Guid&)>;

  ScriptedDevEnum(std::shared_ptr<CallRecorder> recorder, DeviceLookup lookup)
      : ScriptedObject(std::move(recorder), "SystemDeviceEnum"), lookup_(std::move(lookup)) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerQuery<ICreateDevEnum>(this, iid, out);
  }

  Result CreateClassEnumerator(const Guid& category, std::shared_ptr<IEnumMoniker>& out, std::uint32_t flags) override {
    out.reset();
    const Scripted scripted = Intercept("CreateDevEnum.CreateClassEnumerator", static_cast<std::int32_t>(flags),
                                        CategoryName(category));
    if (scripted.Refused()) return *scripted.answer;
    auto devices = lookup_(category);
    if (devices.empty()) return scripted.Or(kFalse);  // an empty category has no enumerator
    auto monikers = std::make_shared<ScriptedEnumMoniker>(recorder_, std::move(devices));
    out = HandOut<IEnumMoniker>(monikers.get());
    return scripted.Or(kOk);
  }

 private:
  DeviceLookup lookup_;
};

bool StartsWithAny(const std::string& name, std::initializer_list<std::string_view> prefixes) {
  if (prefixes.size() == 0) return true;
  return std::any_of(prefixes.begin(), prefixes.end(),
                     [&](std::string_view prefix) { return std::string_view(name).substr(0, prefix.size()) == prefix; });
}

}  // namespace

ScriptedPlatform::ScriptedPlatform()
    : recorder_(std::make_shared<CallRecorder>()), registry_(std::make_shared<Registry>()) {}

ScriptedPlatform::~ScriptedPlatform() = default;

Result ScriptedPlatform::CreateInstance(const Guid& clsid, Iid iid, std::shared_ptr<void>& out) {
  out.reset();
  std::shared_ptr<Unknown> object;
  std::string className;
  if (clsid == guids::SystemDeviceEnum) {
    className = "SystemDeviceEnum";
    std::weak_ptr<Registry> registry = registry_;
    object = std::make_shared<ScriptedDevEnum>(recorder_, [registry](const Guid& category) {
      std::vector<std::shared_ptr<ScriptedDevice>> devices;
      if (const auto alive = registry.lock())
        for (const auto& device : alive->devices)
          if (device->Setup().category == category) devices.push_back(device);
      return devices;
    });
  } else if (clsid == guids::FilterGraph) {
    className = "FilterGraph";
    object = std::make_shared<ScriptedFilterGraph>(recorder_);
  } else if (clsid == guids::CaptureGraphBuilder2) {
    className = "CaptureGraphBuilder2";
    object = std::make_shared<ScriptedCaptureGraphBuilder>(recorder_);
  } else if (clsid == guids::SampleGrabber) {
    className = "SampleGrabber";
    object = std::make_shared<ScriptedSampleGrabber>(recorder_);
  } else if (clsid == guids::NullRenderer) {
    className = "NullRenderer";
    object = std::make_shared<ScriptedBaseFilter>(recorder_, "NullRenderer");
  } else if (clsid == guids::VideoMixingRenderer9) {
    className = "VMR9";
    object = std::make_shared<ScriptedVmr9>(recorder_);
  } else {
    className = clsid.ToString();
  }

  const Verdict verdict = recorder_->Intercept(Call{"Platform", "Platform.CreateInstance", std::nullopt, className});
  if (verdict.answer && (verdict.skipWork || Failed(*verdict.answer))) return *verdict.answer;
  if (!object) return kClassNotRegistered;
  const Result query = object->QueryInterface(iid, out);
  if (Failed(query)) return query;
  latest_[className] = object;
  return verdict.answer.value_or(kOk);
}

std::string ScriptedPlatform::GetErrorText(Result code) const {
  const auto it = errorTexts_.find(code);
  return it == errorTexts_.end() ? std::string() : it->second;
}

std::shared_ptr<ScriptedDevice> ScriptedPlatform::AddDevice(DeviceSetup setup) {
  auto device = std::make_shared<ScriptedDevice>(recorder_, std::move(setup));
  registry_->devices.push_back(device);
  return device;
}

std::shared_ptr<ScriptedDevice> ScriptedPlatform::Device(const std::string& label) const {
  for (const auto& device : registry_->devices)
    if (device->Label() == label) return device;
  return nullptr;
}

void ScriptedPlatform::Unplug(const std::string& label) {
  auto& devices = registry_->devices;
  for (auto it = devices.begin(); it != devices.end();) {
    if ((*it)->Label() == label) {
      (*it)->Unplug();
      it = devices.erase(it);
    } else {
      ++it;
    }
  }
}

void ScriptedPlatform::SetErrorText(Result code, std::string text) { errorTexts_[code] = std::move(text); }

RuleBuilder ScriptedPlatform::When(std::string callName) {
  return RuleBuilder(recorder_, recorder_->AddRule(std::move(callName)));
}

void ScriptedPlatform::Lacks(std::string objectLabel, Iid iid) {
  When("QueryInterface").On(std::move(objectLabel)).Id(static_cast<std::int32_t>(iid)).Answer(kNoInterface);
}

std::vector<Call> ScriptedPlatform::Calls() const { return recorder_->Calls(); }

std::vector<std::string> ScriptedPlatform::Log(std::initializer_list<std::string_view> namePrefixes) const {
  std::vector<std::string> texts;
  for (const Call& call : recorder_->Calls())
    if (StartsWithAny(call.name, namePrefixes)) texts.push_back(call.Text());
  return texts;
}

std::vector<std::string> ScriptedPlatform::LogWithObjects(std::initializer_list<std::string_view> namePrefixes) const {
  std::vector<std::string> texts;
  for (const Call& call : recorder_->Calls())
    if (StartsWithAny(call.name, namePrefixes)) texts.push_back(call.object + ": " + call.Text());
  return texts;
}

int ScriptedPlatform::Count(std::string_view callName, std::optional<std::int32_t> id) const {
  int count = 0;
  for (const Call& call : recorder_->Calls())
    if (call.name == callName && (!id || call.id == id)) ++count;
  return count;
}

void ScriptedPlatform::ClearCalls() { recorder_->Clear(); }

int ScriptedPlatform::OutstandingMediaTypes() const {
  return recorder_->mediaTypesHandedOut.load() - recorder_->mediaTypesDisposed.load();
}

}  // namespace tavelo::scripted
