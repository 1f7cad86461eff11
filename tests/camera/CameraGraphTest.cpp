// Activation layouts, the preview window, the capture file, activation failures and the graph state.

#include <QObject>

#include "tests/camera/CameraFixture.h"

namespace tavelo::camera_tests {
namespace {

constexpr WindowHandle kFormHandle = 0x1234;

// A window layer in miniature: `form` is a form, `control` sits on it at a fractional position.
class Graph : public CameraFixture {
 protected:
  void SetUp() override {
    SelectCamA();
    camera = std::make_unique<TFCamera>(&form, platform);  // owned by a form
    camera->SetDeviceName("Cam A");
    TFCamera::PreviewWindowServices services;
    services.isForm = [this](QObject* object) { return object == &form; };
    services.rootForm = [this](QObject* control) -> QObject* { return control == &control_ ? &form : nullptr; };
    services.nativeHandle = [](QObject*) { return kFormHandle; };
    services.mapToForm = [](QObject*, QObject*, double& left, double& top, double& right, double& bottom) {
      left = 10.9;
      top = -3.7;
      right = 330.5;
      bottom = 250.999;
    };
    camera->SetPreviewWindowServices(services);
  }
  void TearDown() override { camera.reset(); }

  void FailPreviewRender() {
    platform->When("CaptureGraphBuilder2.RenderStream").Detail("Preview Video: Cam A -> VMR9").Answer(kErrorCannotRender);
  }

  // Whether the component still holds any graph object.
  bool GraphReleased() const { return !platform->Graph() && !platform->SampleGrabber() && !platform->Vmr9(); }

  QObject form;
  QObject control_;
};

struct LayoutCase {
  const char* name;
  TFCaptureType captureType;
  bool previewRenders;
  TFCaptureType readsWhileActive;
  std::vector<std::string> filters;
  std::vector<std::string> graphCalls;
  friend void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }
};

class Layout : public Graph, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(Layout, BuildsTheGraphOfItsRowAndLeavesItStopped) {
  const LayoutCase& c = GetParam();
  camera->SetCaptureType(c.captureType);
  if (!c.previewRenders) FailPreviewRender();
  camera->SetActive(true);
  ASSERT_TRUE(camera->Active());
  EXPECT_EQ(camera->CaptureType(), c.readsWhileActive);
  EXPECT_EQ(platform->Graph()->Filters(), c.filters);
  EXPECT_EQ(platform->Log({"GraphBuilder.", "CaptureGraphBuilder2.RenderStream"}), c.graphCalls);
  EXPECT_EQ(camera->State(), TFCameraState::csStopped);
  EXPECT_EQ(platform->Count("MediaControl.Run"), 0);
}

TEST_P(Layout, AnOutputFileAddsTheCaptureStreamAfterItsRow) {
  const LayoutCase& c = GetParam();
  camera->SetCaptureType(c.captureType);
  camera->SetOutputFileName("/tmp/out");
  if (!c.previewRenders) FailPreviewRender();
  camera->SetActive(true);
  ASSERT_TRUE(camera->Active());
  EXPECT_EQ(camera->CaptureType(), c.readsWhileActive);
  std::vector<std::string> expected = c.graphCalls;
  expected.push_back("CaptureGraphBuilder2.SetOutputFileName ASF /tmp/out");
  expected.push_back("CaptureGraphBuilder2.RenderStream Capture Video: Cam A -> Mux");
  EXPECT_EQ(
      platform->Log({"GraphBuilder.", "CaptureGraphBuilder2.RenderStream", "CaptureGraphBuilder2.SetOutputFileName"}),
      expected);
}

const std::vector<std::string> kPreviewFilters = {"Video capture = Cam A", "VMR-9 = VMR9"};
const std::vector<std::string> kGrabberFilters = {"Video capture = Cam A", "Sample grabber = SampleGrabber",
                                                  "Null renderer = NullRenderer"};
const std::vector<std::string> kPreviewCalls = {"GraphBuilder.AddFilter Video capture", "GraphBuilder.AddFilter VMR-9",
                                                "CaptureGraphBuilder2.RenderStream Preview Video: Cam A -> VMR9"};
const std::vector<std::string> kGrabberCalls = {
    "GraphBuilder.AddFilter Video capture", "GraphBuilder.AddFilter Sample grabber",
    "GraphBuilder.AddFilter Null renderer",
    "CaptureGraphBuilder2.RenderStream Preview Video: Cam A -> SampleGrabber -> NullRenderer"};

std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

INSTANTIATE_TEST_SUITE_P(
    Camera, Layout,
    ::testing::Values(
        LayoutCase{"Vmr9", TFCaptureType::ctVmr9, true, TFCaptureType::ctVmr9, kPreviewFilters, kPreviewCalls},
        LayoutCase{"AutoWithPreview", TFCaptureType::ctAuto, true, TFCaptureType::ctVmr9, kPreviewFilters, kPreviewCalls},
        LayoutCase{"AutoFallsBackToTheGrabber", TFCaptureType::ctAuto, false, TFCaptureType::ctGrabber, kGrabberFilters,
                   Concat(Concat(kPreviewCalls, {"GraphBuilder.RemoveFilter Cam A", "GraphBuilder.RemoveFilter VMR9"}),
                          kGrabberCalls)},
        LayoutCase{"Grabber", TFCaptureType::ctGrabber, true, TFCaptureType::ctGrabber, kGrabberFilters, kGrabberCalls}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Graph, Vmr9WithAFailingPreviewRaisesAndBuildsNothing) {
  camera->SetCaptureType(TFCaptureType::ctVmr9);
  FailPreviewRender();
  platform->SetErrorText(kErrorCannotRender, "No combination of filters could be found to render the stream.");
  const PlatformError error = PlatformErrorOf([&] { camera->SetActive(true); });
  EXPECT_EQ(error.message, "No combination of filters could be found to render the stream.");
  EXPECT_EQ(error.code, kErrorCannotRender);
  EXPECT_FALSE(camera->Active());
  EXPECT_EQ(camera->CaptureType(), TFCaptureType::ctVmr9);
  EXPECT_TRUE(GraphReleased());
}

TEST_F(Graph, TheGrabberLayoutWithoutHandlerBuffersSamplesButAttachesNoCallback) {
  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetActive(true);
  EXPECT_TRUE(platform->SampleGrabber()->BufferSamples());
  EXPECT_FALSE(platform->SampleGrabber()->HasCallback());
  EXPECT_EQ(platform->Count("SampleGrabber.SetCallback"), 0);
  EXPECT_EQ(platform->Count("Platform.CreateInstance"), 5);  // enumerator, graph, builder, renderer, grabber
}

TEST_F(Graph, TheGrabberLayoutWithHandlerAttachesThePerSampleCallback) {
  SetRecordingHandler();
  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetActive(true);
  EXPECT_EQ(platform->Log({"SampleGrabber."}),
            (std::vector<std::string>{"SampleGrabber.SetBufferSamples(1)", "SampleGrabber.SetCallback(0) (foreign)"}));
}

TEST_F(Graph, ThePreviewGoesIntoThePreviewControlsFormAtItsTruncatedRectangle) {
  camera->SetPreviewControl(&control_);
  camera->SetCaptureType(TFCaptureType::ctVmr9);
  camera->SetActive(true);
  const auto vmr9 = platform->Vmr9();
  EXPECT_EQ(vmr9->clippingWindow, kFormHandle);
  EXPECT_EQ(platform->Log({"VMRWindowlessControl9.SetVideoPosition"}),
            (std::vector<std::string>{"VMRWindowlessControl9.SetVideoPosition source=null destination=10,-3,330,250"}));
  EXPECT_EQ(vmr9->aspectRatioMode, kVmr9ArModeNone);
  EXPECT_EQ(vmr9->borderColor, 0xFF000000u);  // opaque black by default
}

TEST_F(Graph, WithoutPreviewControlTheOwningFormIsTheWindowAndNoPositionIsSet) {
  camera->SetCaptureType(TFCaptureType::ctVmr9);
  camera->SetActive(true);
  EXPECT_EQ(platform->Vmr9()->clippingWindow, kFormHandle);
  EXPECT_EQ(platform->Count("VMRWindowlessControl9.SetVideoPosition"), 0);
}

TEST_F(Graph, RefusedAspectRatioAndBorderColourDoNotStopTheActivation) {
  platform->When("VMRWindowlessControl9.SetAspectRatioMode").Answer(kFail);
  platform->When("VMRWindowlessControl9.SetBorderColor").Answer(kFail);
  camera->SetCaptureType(TFCaptureType::ctVmr9);
  EXPECT_NO_THROW(camera->SetActive(true));
  EXPECT_TRUE(camera->Active());
}

TEST_F(Graph, NoPreviewWindowRaisesAndLeavesTheComponentInactive) {
  const struct {
    const char* name;
    std::function<void(TFCamera&)> arrange;
  } cases[] = {
      {"OwnerIsNoForm", [](TFCamera& c) { c.setParent(nullptr); }},
      {"ControlWithoutForm", [this](TFCamera& c) { c.SetPreviewControl(&form); }},  // the form has no root form
      {"NoWindowLayer", [](TFCamera& c) { c.SetPreviewWindowServices({}); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto component = std::make_unique<TFCamera>(&form, platform);
    component->SetDeviceName("Cam A");
    component->SetPreviewWindowServices({[this](QObject* control) -> QObject* { return control == &control_ ? &form : nullptr; },
                                         [this](QObject* object) { return object == &form; },
                                         [](QObject*) { return kFormHandle; }, nullptr});
    c.arrange(*component);
    EXPECT_EQ(CameraError([&] { component->SetActive(true); }), "Cannot retrieve preview form");
    EXPECT_FALSE(component->Active());
    EXPECT_TRUE(GraphReleased());
  }
}

// The capture file branch, added to whichever layout was built.
struct CaptureFileCase {
  const char* name;
  TFMediaType type;
  const char* compressor;
  const char* audioDevice;
  const char* audioCompressor;
  std::vector<std::string> fileCalls;
  friend void PrintTo(const CaptureFileCase& c, std::ostream* os) { *os << c.name; }
};

class CaptureFile : public Graph, public ::testing::WithParamInterface<CaptureFileCase> {
 protected:
  void SetUp() override {
    Graph::SetUp();
    platform->AddDevice(CompressorSetup("Codec"));
    platform->AddDevice(AudioDeviceSetup("Mic", "0"));
    platform->AddDevice(CompressorSetup("AudioCodec", guids::AudioCompressorCategory));
  }
};

TEST_P(CaptureFile, WritesTheCaptureStreamThroughTheChosenFilters) {
  const CaptureFileCase& c = GetParam();
  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetOutputFileName("/tmp/out");
  camera->SetOutputFileType(c.type);
  camera->SetCompressorName(c.compressor);
  camera->SetAudioDeviceName(c.audioDevice);
  camera->SetAudioCompressorName(c.audioCompressor);
  camera->SetActive(true);
  const std::vector<std::string> calls = platform->Log({"GraphBuilder.", "CaptureGraphBuilder2."});
  const std::vector<std::string> fileCalls(calls.begin() + static_cast<std::ptrdiff_t>(kGrabberCalls.size()) + 1,
                                           calls.end());  // after SetFiltergraph and the grabber layout
  EXPECT_EQ(fileCalls, c.fileCalls);
}

INSTANTIATE_TEST_SUITE_P(
    Camera, CaptureFile,
    ::testing::Values(
        CaptureFileCase{"AsfVideoOnly", TFMediaType::mtAsf, "", "", "",
                        {"CaptureGraphBuilder2.SetOutputFileName ASF /tmp/out",
                         "CaptureGraphBuilder2.RenderStream Capture Video: Cam A -> Mux"}},
        CaptureFileCase{"AviWithCompressorAndAudio", TFMediaType::mtAvi, "Codec", "Mic", "AudioCodec",
                        {"CaptureGraphBuilder2.SetOutputFileName AVI /tmp/out", "GraphBuilder.AddFilter Compressor filter",
                         "CaptureGraphBuilder2.RenderStream Capture Video: Cam A -> Codec -> Mux",
                         "GraphBuilder.AddFilter Audio capture", "GraphBuilder.AddFilter AudioCompressor filter",
                         "CaptureGraphBuilder2.RenderStream Capture Audio: Mic -> AudioCodec -> Mux"}},
        CaptureFileCase{"AudioWithoutCompressor", TFMediaType::mtAsf, "", "Mic", "",
                        {"CaptureGraphBuilder2.SetOutputFileName ASF /tmp/out",
                         "CaptureGraphBuilder2.RenderStream Capture Video: Cam A -> Mux",
                         "GraphBuilder.AddFilter Audio capture",
                         "CaptureGraphBuilder2.RenderStream Capture Audio: Mic -> Mux"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Every failing step leaves the component inactive with everything released and passes the error on.
struct ActivationFailure {
  const char* name;
  TFCaptureType captureType;
  std::function<void(ScriptedPlatform&, TFCamera&)> arrange;
  std::string expectedMessage;
  friend void PrintTo(const ActivationFailure& c, std::ostream* os) { *os << c.name; }
};

class FailedActivation : public Graph, public ::testing::WithParamInterface<ActivationFailure> {};

TEST_P(FailedActivation, LeavesTheComponentInactiveAndReleased) {
  const ActivationFailure& c = GetParam();
  camera->SetCaptureType(c.captureType);
  c.arrange(*platform, *camera);
  platform->SetErrorText(kFail, "Scripted failure.");
  std::string message;
  try {
    camera->SetActive(true);
    message = "<nothing raised>";
  } catch (const ECameraException& error) {
    message = error.Message().toStdString();
  }
  EXPECT_EQ(message, c.expectedMessage);
  EXPECT_FALSE(camera->Active());
  EXPECT_EQ(camera->State(), TFCameraState::csInactive);
  EXPECT_TRUE(GraphReleased());
}

RuleBuilder Fail(ScriptedPlatform& p, const char* call) { return p.When(call).Answer(kFail); }

INSTANTIATE_TEST_SUITE_P(
    Camera, FailedActivation,
    ::testing::Values(
        ActivationFailure{"NoDeviceName", TFCaptureType::ctGrabber, [](auto&, TFCamera& c) { c.SetDeviceName(""); },
                          "Camera device not selected"},
        ActivationFailure{"UnknownDevice", TFCaptureType::ctGrabber, [](auto&, TFCamera& c) { c.SetDeviceName("Nope"); },
                          "Camera device 'Nope' not found"},
        ActivationFailure{"NoCaptureGraphBuilder", TFCaptureType::ctGrabber,
                          [](auto& p, auto&) { p.When("Platform.CreateInstance").Detail("CaptureGraphBuilder2").Answer(kFail); },
                          "Cannot retrieve 'ICaptureGraphBuilder2' interface"},
        ActivationFailure{"NoFilterGraph", TFCaptureType::ctGrabber,
                          [](auto& p, auto&) { p.When("Platform.CreateInstance").Detail("FilterGraph").Answer(kFail); },
                          "Cannot retrieve 'ICaptureGraphBuilder2' interface"},
        ActivationFailure{"NoMediaControl", TFCaptureType::ctGrabber,
                          [](auto& p, auto&) { p.Lacks("FilterGraph", Iid::MediaControl); },
                          "Cannot retrieve 'IMediaControl' interface"},
        ActivationFailure{"NoRenderer", TFCaptureType::ctVmr9,
                          [](auto& p, auto&) { p.When("Platform.CreateInstance").Detail("VMR9").Answer(kFail); },
                          "Cannot retrieve 'VideoMixingRenderer9 IBaseFilter' interface"},
        ActivationFailure{"NoWindowlessMode", TFCaptureType::ctAuto,
                          [](auto& p, auto&) { Fail(p, "VMRFilterConfig9.SetRenderingMode"); },
                          "Cannot retrieve 'IVMRFilterConfig9' interface"},
        ActivationFailure{"NoWindowlessControl", TFCaptureType::ctVmr9,
                          [](auto& p, auto&) { p.Lacks("VMR9", Iid::VMRWindowlessControl9); },
                          "Cannot retrieve 'IVMRWindowlessControl9' interface"},
        ActivationFailure{"ClippingWindowRefused", TFCaptureType::ctAuto,
                          [](auto& p, auto&) { Fail(p, "VMRWindowlessControl9.SetVideoClippingWindow"); },
                          "Scripted failure."},
        ActivationFailure{"AutoStillRaisesForAnAddFilterBeforeTheRender", TFCaptureType::ctAuto,
                          [](auto& p, auto&) { Fail(p, "GraphBuilder.AddFilter").Detail("VMR-9"); }, "Scripted failure."},
        ActivationFailure{"NoNullRenderer", TFCaptureType::ctGrabber,
                          [](auto& p, auto&) { p.When("Platform.CreateInstance").Detail("NullRenderer").Answer(kFail); },
                          "Cannot retrieve 'NullRenderer IBaseFilter' interface"},
        ActivationFailure{"NoSampleGrabber", TFCaptureType::ctGrabber,
                          [](auto& p, auto&) { p.When("Platform.CreateInstance").Detail("SampleGrabber").Answer(kFail); },
                          "Cannot retrieve 'ISampleGrabber' interface"},
        ActivationFailure{"BufferingRefused", TFCaptureType::ctGrabber,
                          [](auto& p, auto&) { Fail(p, "SampleGrabber.SetBufferSamples"); }, "Scripted failure."},
        ActivationFailure{"CallbackRefused", TFCaptureType::ctGrabber,
                          [](auto& p, TFCamera& c) {
                            Fail(p, "SampleGrabber.SetCallback");
                            c.SetOnImageAvailable({[](TFCamera*, double) {}, &p});
                          },
                          "Scripted failure."},
        ActivationFailure{"FallbackRemoveRefused", TFCaptureType::ctAuto,
                          [](auto& p, auto&) {
                            p.When("CaptureGraphBuilder2.RenderStream").Detail("VMR9").Answer(kErrorCannotRender);
                            Fail(p, "GraphBuilder.RemoveFilter");
                          },
                          "Scripted failure."},
        ActivationFailure{"GrabberRenderRefused", TFCaptureType::ctGrabber,
                          [](auto& p, auto&) { Fail(p, "CaptureGraphBuilder2.RenderStream"); }, "Scripted failure."},
        ActivationFailure{"OutputFileRefused", TFCaptureType::ctGrabber,
                          [](auto& p, TFCamera& c) {
                            c.SetOutputFileName("/tmp/out.asf");
                            Fail(p, "CaptureGraphBuilder2.SetOutputFileName");
                          },
                          "Scripted failure."},
        ActivationFailure{"NoMultiplexer", TFCaptureType::ctGrabber,
                          [](auto& p, TFCamera& c) {
                            c.SetOutputFileName("/tmp/out.asf");
                            p.When("CaptureGraphBuilder2.SetOutputFileName").AnswerOnly(kOk);
                          },
                          "Cannot retrieve 'Mux IBaseFilter' interface"},
        ActivationFailure{"MissingCompressor", TFCaptureType::ctGrabber,
                          [](auto&, TFCamera& c) {
                            c.SetOutputFileName("/tmp/out.asf");
                            c.SetCompressorName("Nope");
                          },
                          "Cannot retrieve 'Compressor IBaseFilter' interface"},
        ActivationFailure{"MissingAudioDevice", TFCaptureType::ctGrabber,
                          [](auto&, TFCamera& c) {
                            c.SetOutputFileName("/tmp/out.asf");
                            c.SetAudioDeviceName("Nope");
                          },
                          "Cannot retrieve 'IAudioCaptureFilter' interface"},
        ActivationFailure{"MissingAudioCompressor", TFCaptureType::ctGrabber,
                          [](auto& p, TFCamera& c) {
                            p.AddDevice(AudioDeviceSetup("Mic", "0"));
                            c.SetOutputFileName("/tmp/out.asf");
                            c.SetAudioDeviceName("Mic");
                            c.SetAudioCompressorName("Nope");
                          },
                          "Cannot retrieve 'AudioCompressor IBaseFilter' interface"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Graph, ActivatingAnActiveComponentRebuildsNothing) {
  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetActive(true);
  platform->ClearCalls();
  camera->SetActive(true);
  EXPECT_TRUE(platform->Calls().empty());
}

TEST_F(Graph, DeactivatingAnInactiveComponentKeepsTheCachedCamera) {
  camera->Brightness();
  platform->ClearCalls();
  camera->SetActive(false);
  EXPECT_TRUE(platform->Calls().empty());
  camera->Brightness();
  EXPECT_EQ(platform->Count("Moniker.BindToObject"), 0);
}

TEST_F(Graph, DestructionTearsTheActiveGraphDown) {
  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetActive(true);
  camera.reset();
  EXPECT_EQ(platform->Count("MediaControl.StopWhenReady"), 1);
  EXPECT_TRUE(GraphReleased());
}

TEST_F(Graph, RunPauseStopDriveTheGraphAndStateFollows) {
  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetActive(true);
  camera->Run();
  EXPECT_EQ(camera->State(), TFCameraState::csRunning);
  camera->Pause();
  EXPECT_EQ(camera->State(), TFCameraState::csPaused);
  camera->Stop();
  EXPECT_EQ(camera->State(), TFCameraState::csStopped);
  EXPECT_EQ(platform->Log({"MediaControl.GetState"}).front(), "MediaControl.GetState(0)");  // no waiting
}

TEST_F(Graph, RunPauseStopRaiseWhileInactiveOrWhenTheGraphRefuses) {
  const struct {
    const char* call;
    std::function<void(TFCamera&)> action;
  } commands[] = {{"MediaControl.Run", [](TFCamera& c) { c.Run(); }},
                  {"MediaControl.Pause", [](TFCamera& c) { c.Pause(); }},
                  {"MediaControl.Stop", [](TFCamera& c) { c.Stop(); }}};
  for (const auto& command : commands)
    EXPECT_EQ(CameraError([&] { command.action(*camera); }),
              "Cannot perform this operation on inactive camera component");

  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetActive(true);
  platform->SetErrorText(kErrorWrongState, "The operation could not be performed because the filter is in the wrong state.");
  for (const auto& command : commands) {
    SCOPED_TRACE(command.call);
    platform->When(command.call).Answer(kErrorWrongState).Times(1);
    const PlatformError error = PlatformErrorOf([&] { command.action(*camera); });
    EXPECT_EQ(error.message, "The operation could not be performed because the filter is in the wrong state.");
    EXPECT_EQ(error.code, kErrorWrongState);
    EXPECT_TRUE(camera->Active());
  }
}

TEST_F(Graph, StateReportsUnknownWhenTheQueryFailsAndTheStateOfATransition) {
  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetActive(true);
  camera->Pause();
  platform->When("MediaControl.GetState").Answer(kStillTransitioning).Times(1);
  EXPECT_EQ(camera->State(), TFCameraState::csPaused);
  platform->When("MediaControl.GetState").Answer(kFail).Times(1);
  EXPECT_EQ(camera->State(), TFCameraState::csUnknown);
}

TEST_F(Graph, AfterLoadingTheStoredActiveValueIsApplied) {
  camera->SetComponentState(TFCamera::csLoading);
  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetActive(true);
  EXPECT_FALSE(camera->Active());
  EXPECT_EQ(platform->Graph(), nullptr);
  camera->Loaded();
  EXPECT_EQ(camera->ComponentState() & TFCamera::csLoading, 0u);
  EXPECT_TRUE(camera->Active());
  EXPECT_EQ(camera->State(), TFCameraState::csStopped);
}

TEST_F(Graph, InDesignModeActiveOnlyRecordsTheValue) {
  camera->SetComponentState(TFCamera::csDesigning);
  camera->SetActive(true);
  EXPECT_TRUE(camera->Active());
  EXPECT_EQ(platform->Graph(), nullptr);
  EXPECT_EQ(camera->State(), TFCameraState::csInactive);
  camera->SetActive(false);
  EXPECT_FALSE(camera->Active());
}

TEST_F(Graph, RemovingThePreviewControlDeactivatesAndClearsIt) {
  auto preview = std::make_unique<QObject>();
  camera->SetPreviewControl(preview.get());
  camera->SetPreviewWindowServices({[this](QObject*) -> QObject* { return &form; },
                                    [this](QObject* object) { return object == &form; },
                                    [](QObject*) { return kFormHandle; },
                                    [](QObject*, QObject*, double&, double&, double&, double&) {}});
  camera->SetCaptureType(TFCaptureType::ctVmr9);
  camera->SetActive(true);

  auto sibling = std::make_unique<QObject>();
  sibling.reset();
  EXPECT_TRUE(camera->Active());

  preview.reset();
  EXPECT_FALSE(camera->Active());
  EXPECT_EQ(camera->PreviewControl(), nullptr);
  EXPECT_TRUE(GraphReleased());
}

TEST_F(Graph, AReplacedPreviewControlNoLongerDeactivates) {
  auto first = std::make_unique<QObject>();
  camera->SetPreviewControl(first.get());
  camera->SetPreviewControl(&control_);
  camera->SetCaptureType(TFCaptureType::ctVmr9);
  camera->SetActive(true);
  first.reset();
  EXPECT_TRUE(camera->Active());
  EXPECT_EQ(camera->PreviewControl(), &control_);
}

}  // namespace
}  // namespace tavelo::camera_tests
