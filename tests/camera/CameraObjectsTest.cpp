// The cached platform objects: created on first use, nil on failure and retried, dropped together by
// ReleaseGraph in a fixed order that waits for a running frame notification.

#include <chrono>
#include <cstring>
#include <thread>

#include "tests/camera/CameraFixture.h"
#include "camera/FSampleGrabberCB.h"

namespace tavelo::camera_tests {
namespace {

using namespace std::chrono_literals;

struct AccessorCase {
  const char* name;
  std::function<void(ScriptedPlatform&)> failOnce;
  std::function<std::shared_ptr<void>(TFCamera&)> access;
  friend void PrintTo(const AccessorCase& c, std::ostream* os) { *os << c.name; }
};

class CachedAccessor : public CameraFixture, public ::testing::WithParamInterface<AccessorCase> {
 protected:
  void SetUp() override {
    platform->AddDevice(AudioDeviceSetup("Mic", "0"));
    platform->AddDevice(CompressorSetup("Codec"));
    camera->SetAudioDeviceName("Mic");
    camera->SetCompressorName("Codec");
  }
};

TEST_P(CachedAccessor, IsNilAfterAFailureRetriedOnTheNextAccessThenCached) {
  SelectCamA();
  GetParam().failOnce(*platform);
  std::shared_ptr<void> first;
  ASSERT_NO_THROW(first = GetParam().access(*camera));  // accessors never raise
  EXPECT_EQ(first, nullptr);
  const std::shared_ptr<void> second = GetParam().access(*camera);
  ASSERT_NE(second, nullptr);
  const std::size_t callsBefore = platform->Calls().size();
  EXPECT_EQ(GetParam().access(*camera), second);
  EXPECT_EQ(platform->Calls().size(), callsBefore);  // a held object costs no platform call
}

RuleBuilder FailCreation(ScriptedPlatform& p, const char* className) {
  return p.When("Platform.CreateInstance").Detail(className).Answer(kClassNotRegistered).Times(1);
}
RuleBuilder FailQuery(ScriptedPlatform& p, const char* object, Iid iid) {
  return p.When("QueryInterface").On(object).Id(static_cast<std::int32_t>(iid)).Answer(kNoInterface).Times(1);
}

INSTANTIATE_TEST_SUITE_P(
    Camera, CachedAccessor,
    ::testing::Values(
        AccessorCase{"GraphBuilder", [](auto& p) { FailCreation(p, "FilterGraph"); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.GraphBuilder()); }},
        AccessorCase{"CaptureGraphBuilder2Creation", [](auto& p) { FailCreation(p, "CaptureGraphBuilder2"); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.CaptureGraphBuilder2()); }},
        AccessorCase{"CaptureGraphBuilder2WithoutGraph", [](auto& p) { FailCreation(p, "FilterGraph"); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.CaptureGraphBuilder2()); }},
        AccessorCase{"CaptureGraphBuilder2SetFiltergraph",
                     [](auto& p) { p.When("CaptureGraphBuilder2.SetFiltergraph").Answer(kFail).Times(1); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.CaptureGraphBuilder2()); }},
        AccessorCase{"SampleGrabberFilter", [](auto& p) { FailCreation(p, "SampleGrabber"); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.SampleGrabberFilter()); }},
        AccessorCase{"SampleGrabber", [](auto& p) { FailQuery(p, "SampleGrabber", Iid::SampleGrabber); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.SampleGrabber()); }},
        AccessorCase{"SampleGrabberWithoutFilter", [](auto& p) { FailCreation(p, "SampleGrabber"); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.SampleGrabber()); }},
        AccessorCase{"NullRenderer", [](auto& p) { FailCreation(p, "NullRenderer"); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.NullRenderer()); }},
        AccessorCase{"VideoMixingRenderer9Filter", [](auto& p) { FailCreation(p, "VMR9"); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.VideoMixingRenderer9Filter()); }},
        AccessorCase{"VMRFilterConfig9Query", [](auto& p) { FailQuery(p, "VMR9", Iid::VMRFilterConfig9); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.VMRFilterConfig9()); }},
        AccessorCase{"VMRFilterConfig9WindowlessRefused",
                     [](auto& p) { p.When("VMRFilterConfig9.SetRenderingMode").Answer(kFail).Times(1); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.VMRFilterConfig9()); }},
        AccessorCase{"VMRWindowlessControl9", [](auto& p) { FailQuery(p, "VMR9", Iid::VMRWindowlessControl9); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.VMRWindowlessControl9()); }},
        AccessorCase{"MediaControl", [](auto& p) { FailQuery(p, "FilterGraph", Iid::MediaControl); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.MediaControl()); }},
        AccessorCase{"MediaEvent", [](auto& p) { FailQuery(p, "FilterGraph", Iid::MediaEvent); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.MediaEvent()); }},
        AccessorCase{"CaptureFilter", [](auto& p) { p.When("Moniker.BindToObject").Answer(kFail).Times(1); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.CaptureFilter()); }},
        AccessorCase{"CapturePin", [](auto& p) { p.When("BaseFilter.EnumPins").Answer(kFail).Times(1); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.CapturePin()); }},
        AccessorCase{"CapturePinWithoutEnumerator",
                     [](auto& p) { p.When("BaseFilter.EnumPins").AnswerOnly(kOk).Times(1); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.CapturePin()); }},
        AccessorCase{"AMVideoProcAmp", [](auto& p) { FailQuery(p, "Cam A", Iid::AMVideoProcAmp); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.AMVideoProcAmp()); }},
        AccessorCase{"AMCameraControl", [](auto& p) { FailQuery(p, "Cam A", Iid::AMCameraControl); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.AMCameraControl()); }},
        AccessorCase{"AMVideoControl", [](auto& p) { FailQuery(p, "Cam A", Iid::AMVideoControl); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.AMVideoControl()); }},
        AccessorCase{"AMStreamConfig", [](auto& p) { FailQuery(p, "Cam A/Capture", Iid::AMStreamConfig); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.AMStreamConfig()); }},
        AccessorCase{"AudioCaptureFilter", [](auto& p) { p.When("Moniker.BindToObject").On("Mic").Answer(kFail).Times(1); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.AudioCaptureFilter()); }},
        AccessorCase{"CompressorFilter",
                     [](auto& p) { p.When("Moniker.BindToObject").On("Codec").Answer(kFail).Times(1); },
                     [](TFCamera& c) { return std::shared_ptr<void>(c.CompressorFilter()); }}),
    [](const auto& info) { return std::string(info.param.name); });

class Objects : public CameraFixture {
 protected:
  void SetUp() override {
    platform->AddDevice(AudioDeviceSetup("Mic", "0"));
    platform->AddDevice(CompressorSetup("Codec"));
    platform->AddDevice(CompressorSetup("AudioCodec", guids::AudioCompressorCategory));
    camera->SetAudioDeviceName("Mic");
    camera->SetCompressorName("Codec");
    camera->SetAudioCompressorName("AudioCodec");
  }
};

TEST_F(Objects, TheRendererConfigurationIsHeldOnlyInWindowlessMode) {
  SelectCamA();
  ASSERT_NE(camera->VMRFilterConfig9(), nullptr);
  EXPECT_EQ(platform->Vmr9()->renderingMode, kVmr9ModeWindowless);
}

TEST_F(Objects, ReadingTheMediaControlCreatesTheGraphAndMakesTheComponentActive) {
  SelectCamA();
  ASSERT_FALSE(camera->Active());
  ASSERT_NE(camera->MediaControl(), nullptr);
  EXPECT_NE(platform->Graph(), nullptr);
  EXPECT_TRUE(camera->Active());
}

TEST_F(Objects, PropertyReadsWhileInactiveKeepTheCameraButBuildNoGraph) {
  SelectCamA();
  camera->Brightness();
  camera->Exposure();
  EXPECT_EQ(platform->Count("Moniker.BindToObject"), 1);
  EXPECT_EQ(platform->Graph(), nullptr);
  EXPECT_FALSE(camera->Active());
}

TEST_F(Objects, TheCapturePinIsTheFirstWhoseCategoryReadsCapture) {
  DeviceSetup setup = CameraSetup("Cam A");
  setup.pins.clear();
  PinSetup noProperties;
  noProperties.id = "NoKs";
  noProperties.lacks = {Iid::KsPropertySet};
  PinSetup preview;
  preview.id = "Preview";
  preview.category = guids::PinCategoryPreview;
  PinSetup shortAnswer;  // the capture category's first 8 bytes only
  shortAnswer.id = "Short";
  shortAnswer.category.reset();
  std::vector<std::uint8_t> halfCategory(8);
  std::memcpy(halfCategory.data(), &guids::PinCategoryCapture, 8);
  shortAnswer.ksProperties.push_back({guids::AmPropSetIdPin, guids::kAmPropertyPinCategory, halfCategory});
  PinSetup noCategory;
  noCategory.id = "NoCategory";
  noCategory.category.reset();
  PinSetup capture;
  capture.id = "Capture";
  PinSetup secondCapture;
  secondCapture.id = "Capture2";
  setup.pins = {noProperties, preview, shortAnswer, noCategory, capture, secondCapture};
  platform->AddDevice(setup);
  camera->SetDeviceName("Cam A");

  EXPECT_EQ(LabelOf(camera->CapturePin().get()), "Cam A/Capture");
}

TEST_F(Objects, ACameraWithoutCapturePinHasNoneAndIsAskedAgain) {
  DeviceSetup setup = CameraSetup("Cam A");
  setup.pins.front().category = guids::PinCategoryPreview;
  platform->AddDevice(setup);
  camera->SetDeviceName("Cam A");
  EXPECT_EQ(camera->CapturePin(), nullptr);
  EXPECT_EQ(camera->CapturePin(), nullptr);
  EXPECT_EQ(platform->Count("BaseFilter.EnumPins"), 2);
}

TEST_F(Objects, ReleaseGraphDetachesStopsAndDropsEverythingInItsOrder) {
  SelectCamA();
  SetRecordingHandler();
  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetOutputFileName("/tmp/capture.avi");
  camera->SetActive(true);
  // Objects the grabber layout does not need, held by reading them.
  camera->VideoMixingRenderer9Filter();
  camera->VMRFilterConfig9();
  camera->VMRWindowlessControl9();
  camera->MediaEvent();
  camera->AMCameraControl();
  camera->AMStreamConfig();
  camera->AMVideoControl();
  camera->AMVideoProcAmp();
  const std::weak_ptr<ISampleGrabberCB> callback = camera->SampleGrabberCB();
  platform->ClearCalls();

  camera->ReleaseGraph();

  EXPECT_EQ(platform->LogWithObjects({"SampleGrabber.SetCallback", "MediaControl.StopWhenReady", "Release"}),
            (std::vector<std::string>{
                "SampleGrabber: SampleGrabber.SetCallback(0) (null)",
                "FilterGraph: MediaControl.StopWhenReady",
                "Mic: Release BaseFilter",
                "VMR9: Release BaseFilter",
                "VMR9: Release VMRWindowlessControl9",
                "VMR9: Release VMRFilterConfig9",
                "NullRenderer: Release BaseFilter",
                "SampleGrabber: Release SampleGrabber",
                "SampleGrabber: Release BaseFilter",
                "FilterGraph: Release MediaControl",
                "FilterGraph: Release MediaEvent",
                "Cam A: Release CameraControl",
                "Cam A/Capture: Release StreamConfig",
                "Cam A: Release VideoControl",
                "Cam A: Release VideoProcAmp",
                "CaptureGraphBuilder2: Release CaptureGraphBuilder2",
                "FilterGraph: Release GraphBuilder",
                "Cam A: Release BaseFilter",
                "Cam A/Capture: Release Pin",
                "AudioCodec: Release BaseFilter",
                "Codec: Release BaseFilter",
            }));
  EXPECT_TRUE(callback.expired());
  EXPECT_FALSE(camera->Active());
  // Names and settings stay.
  EXPECT_EQ(camera->DeviceName(), "Cam A");
  EXPECT_EQ(camera->OutputFileName(), "/tmp/capture.avi");
  EXPECT_EQ(camera->CaptureType(), TFCaptureType::ctGrabber);
  EXPECT_TRUE(camera->OnImageAvailable());
}

TEST_F(Objects, ReleaseGraphWithNothingHeldCallsNothing) {
  camera->ReleaseGraph();
  EXPECT_TRUE(platform->Calls().empty());
}

// A frame notification running on another thread while the graph is torn down: deactivation must not
// return before the handler has.
class ReleaseWhileNotifying : public CameraFixture, public ::testing::WithParamInterface<bool> {};

TEST_P(ReleaseWhileNotifying, WaitsUntilTheRunningHandlerReturns) {
  const bool throughGrabber = GetParam();
  SelectCamA();
  std::atomic<bool> entered{false};
  std::atomic<bool> finished{false};
  camera->SetOnImageAvailable({[&](TFCamera*, double) {
                                 entered = true;
                                 std::this_thread::sleep_for(150ms);
                                 finished = true;
                               },
                               &entered});
  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetActive(true);
  const auto grabber = platform->SampleGrabber();
  std::thread streaming([&] {
    if (throughGrabber)
      grabber->Deliver(1.0);
    else
      camera->NotifyImageAvailable(1.0);
  });
  while (!entered) std::this_thread::yield();
  EXPECT_TRUE(camera->InImageAvailable());

  camera->SetActive(false);

  EXPECT_TRUE(finished);
  EXPECT_FALSE(camera->InImageAvailable());
  streaming.join();
}

INSTANTIATE_TEST_SUITE_P(Camera, ReleaseWhileNotifying, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "ThroughTheGrabber" : "Direct"; });

TEST_F(Objects, DetachingTheCallbackWaitsForASampleItIsForwarding) {
  std::atomic<bool> entered{false};
  std::atomic<bool> finished{false};
  camera->SetOnImageAvailable({[&](TFCamera*, double) {
                                 entered = true;
                                 std::this_thread::sleep_for(150ms);
                                 finished = true;
                               },
                               &entered});
  const auto callback = std::dynamic_pointer_cast<TFSampleGrabberCB>(camera->SampleGrabberCB());
  ASSERT_NE(callback, nullptr);
  std::thread streaming([&] { callback->SampleCB(1.0, nullptr); });
  while (!entered) std::this_thread::yield();
  callback->Detach();
  EXPECT_TRUE(finished);
  streaming.join();
  entered = false;
  EXPECT_EQ(callback->SampleCB(2.0, nullptr), kOk);
  EXPECT_FALSE(entered);  // detached: a late sample reaches nobody
}

TEST_F(Objects, FramesReachTheHandlerWithTheComponentAndTheSampleTime) {
  SelectCamA();
  SetRecordingHandler();
  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetActive(true);
  EXPECT_EQ(platform->SampleGrabber()->Deliver(2.5), kOk);
  EXPECT_EQ(notifications, 1);
  EXPECT_EQ(lastSender, camera.get());
  EXPECT_EQ(lastSampleTime, 2.5);
  EXPECT_FALSE(camera->InImageAvailable());
}

TEST_F(Objects, AFailingHandlerNeverReachesTheStreamingThread) {
  SelectCamA();
  bool sawFlag = false;
  camera->SetOnImageAvailable({[&](TFCamera* sender, double) {
                                 sawFlag = sender->InImageAvailable();
                                 throw std::runtime_error("handler failed");
                               },
                               &sawFlag});
  Result result = kFail;
  EXPECT_NO_THROW(result = camera->NotifyImageAvailable(0.5));
  EXPECT_EQ(result, kOk);
  EXPECT_TRUE(sawFlag);
  EXPECT_FALSE(camera->InImageAvailable());
}

TEST_F(Objects, WithoutHandlerANotificationOnlyAnswersSuccess) {
  EXPECT_EQ(camera->NotifyImageAvailable(0.5), kOk);
  EXPECT_FALSE(camera->InImageAvailable());
}

TEST_F(Objects, ACallbackStillHeldByTheGrabberNoLongerReachesADeactivatedComponent) {
  SelectCamA();
  SetRecordingHandler();
  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetActive(true);
  const std::shared_ptr<ISampleGrabberCB> lateCallback = camera->SampleGrabberCB();
  camera->SetActive(false);
  camera.reset();
  EXPECT_EQ(lateCallback->SampleCB(3.0, nullptr), kOk);
  EXPECT_EQ(notifications, 0);
}

}  // namespace
}  // namespace tavelo::camera_tests
