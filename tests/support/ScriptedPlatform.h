#pragma once

// ScriptedPlatform: a capture platform whose every object and answer a test describes.
//
// Set-up
//   auto platform = std::make_shared<tavelo::scripted::ScriptedPlatform>();
//   auto cam = platform->AddDevice(tavelo::scripted::CameraSetup("Cam A"));   // a typical webcam
//   DeviceSetup setup; setup.friendlyName = "Mic"; setup.category = guids::AudioInputDeviceCategory; ...
//   Devices are enumerated in the order added, per category. Their property-bag values, ranged
//   properties (value, flags, range), kernel-streaming property sets, pins, media types and the
//   interfaces they lack are all in the DeviceSetup; the returned ScriptedDevice is the live filter
//   (inspect VideoProcAmp(id).value, Pin(0).CurrentFormatIndex(), KsData(set), ...).
//   Media types: VideoInfoFormat(VideoFormatSetup{...}) builds one; MediaTypeCopy's DropBlock(),
//   ResizeBlock(n) and SetFormatType(guid) make malformed ones.
//   Graph objects (filter graph, capture graph builder, sample grabber, null renderer, VMR-9) are created
//   by CreateInstance; the latest of each is reachable through Graph(), SampleGrabber(), Vmr9(), ...
//
// Scripting: any call, by name, answers any result
//   Call names are "<Interface>.<Method>": "VideoProcAmp.Get", "CameraControl.Set", "KsPropertySet.Get",
//   "StreamConfig.GetFormat", "Pin.EnumMediaTypes", "EnumMediaTypes.Next", "Moniker.BindToObject",
//   "PropertyBag.Read" (detail: the value name), "GraphBuilder.AddFilter" (detail: the filter's name),
//   "CaptureGraphBuilder2.RenderStream" (detail: "Preview Video: Cam A -> VMR9"), "MediaControl.Run",
//   "SampleGrabber.SetCallback", "VMRWindowlessControl9.SetVideoPosition", ..., plus
//   "Platform.CreateInstance" (object "Platform", detail: the class: "SystemDeviceEnum", "FilterGraph",
//   "CaptureGraphBuilder2", "SampleGrabber", "NullRenderer", "VMR9") and "QueryInterface" (id: the Iid,
//   detail: its name).
//     platform->When("VideoProcAmp.Set").Id(0).Answer(kInvalidArg);            // every such call
//     platform->When("Moniker.BindToObject").On("Cam A").Answer(kFail).Times(1); // only the next one
//     platform->When("MediaControl.GetState").Answer(kStillTransitioning);     // success: work done, code kept
//     platform->When("Pin.EnumMediaTypes").AnswerOnly(kOk);                    // success, yet no enumerator
//     platform->When("SampleGrabber.SetCallback").Do([](const Call&) { ... });  // run code in the call
//     platform->Lacks("VMR9", Iid::VMRWindowlessControl9);                      // an object lacking an interface
//   The newest matching rule wins. Objects are named by label: a device by its friendly name (or
//   DeviceSetup::label), a pin "<device>/<pin id>", graph objects by their class name.
//
// Inspection: every call is recorded, in order, from every thread
//   Calls() gives them all; Log({"VideoProcAmp."}) the texts of those whose name starts with a prefix
//   ("VideoProcAmp.Get(0)", "VideoProcAmp.Set(0) value=5 flags=2"); LogWithObjects adds "<label>: ".
//   Every interface reference handed out is a reference of its own, and dropping it records
//   "Release <Interface>" on the object's label, so tests can assert the order of releases.
//   Media-type records handed out carry an attached object that counts their disposal:
//   OutstandingMediaTypes() is the number not yet freed.
//   Error texts: none unless SetErrorText gives one (then GetErrorText answers it).
//   Unplug(label) makes a device vanish from enumeration and answer kErrorNoDevice to every call.
//
// The call log is thread-safe; the device and graph state is meant for the thread that drives the code
// under test (the sample grabber's Deliver may run on any thread).

#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/ScriptedCalls.h"
#include "tests/support/ScriptedFilters.h"
#include "tests/support/ScriptedGraph.h"
#include "tests/support/ScriptedMediaTypes.h"
#include "camera/platform/CapturePlatform.h"

namespace tavelo::scripted {

class ScriptedPlatform final : public platform::CapturePlatform {
 public:
  ScriptedPlatform();
  ~ScriptedPlatform() override;

  std::string Name() const override { return "scripted"; }
  platform::Result CreateInstance(const platform::Guid& clsid, platform::Iid iid, std::shared_ptr<void>& out) override;
  std::string GetErrorText(platform::Result code) const override;

  // ---- Set-up ----
  std::shared_ptr<ScriptedDevice> AddDevice(DeviceSetup setup);
  std::shared_ptr<ScriptedDevice> Device(const std::string& label) const;
  void Unplug(const std::string& label);
  void SetErrorText(platform::Result code, std::string text);
  RuleBuilder When(std::string callName);
  void Lacks(std::string objectLabel, platform::Iid iid);

  // ---- Inspection ----
  std::vector<Call> Calls() const;
  std::vector<std::string> Log(std::initializer_list<std::string_view> namePrefixes = {}) const;
  std::vector<std::string> LogWithObjects(std::initializer_list<std::string_view> namePrefixes = {}) const;
  int Count(std::string_view callName, std::optional<std::int32_t> id = std::nullopt) const;
  void ClearCalls();
  int OutstandingMediaTypes() const;

  std::shared_ptr<ScriptedFilterGraph> Graph() const { return Latest<ScriptedFilterGraph>("FilterGraph"); }
  std::shared_ptr<ScriptedCaptureGraphBuilder> CaptureGraphBuilder() const {
    return Latest<ScriptedCaptureGraphBuilder>("CaptureGraphBuilder2");
  }
  std::shared_ptr<ScriptedSampleGrabber> SampleGrabber() const { return Latest<ScriptedSampleGrabber>("SampleGrabber"); }
  std::shared_ptr<ScriptedVmr9> Vmr9() const { return Latest<ScriptedVmr9>("VMR9"); }
  std::shared_ptr<ScriptedBaseFilter> NullRenderer() const { return Latest<ScriptedBaseFilter>("NullRenderer"); }

  const std::shared_ptr<CallRecorder>& Recorder() const { return recorder_; }

 private:
  template <class T>
  std::shared_ptr<T> Latest(const std::string& className) const {
    const auto it = latest_.find(className);
    return it == latest_.end() ? nullptr : std::dynamic_pointer_cast<T>(it->second.lock());
  }

  struct Registry;
  std::shared_ptr<CallRecorder> recorder_;
  std::shared_ptr<Registry> registry_;
  std::map<platform::Result, std::string> errorTexts_;
  std::map<std::string, std::weak_ptr<platform::Unknown>> latest_;
};

}  // namespace tavelo::scripted
