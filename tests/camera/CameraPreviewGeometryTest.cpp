// The renderer path's preview geometry: stored settings while inactive, the renderer's own while active,
// refused off the renderer path, and what reaches the renderer.

#include <QObject>

#include <algorithm>
#include <optional>

#include "camera/platform/simulated/SimulatedPlatform.h"
#include "tests/camera/CameraFixture.h"

namespace tavelo::camera_tests {
namespace {

constexpr WindowHandle kFormHandle = 0x1234;

// A camera on "Cam A" owned by a form, so the renderer layout has a window to clip to.
class PreviewGeometry : public CameraFixture {
 protected:
  void SetUp() override {
    SelectCamA();
    camera = std::make_unique<TFCamera>(&form, platform);
    camera->SetDeviceName("Cam A");
    camera->SetPreviewWindowServices(OwnerFormServices(&form, kFormHandle));
    platform->ClearCalls();
  }
  // The form owns the camera and goes first (it is this class's member): the camera must be gone by then.
  void TearDown() override { camera.reset(); }

  void ActivateOnTheRenderer() {
    camera->SetCaptureType(TFCaptureType::ctVmr9);
    camera->SetActive(true);
    platform->ClearCalls();
  }

  std::vector<std::string> RendererCalls() const { return platform->Log({"VMRWindowlessControl9."}); }

  QObject form;
};

// Every geometry accessor, reading or writing, as a table the refusal cases run over.
struct Accessor {
  const char* name;
  std::function<void(TFCamera&)> use;
  bool storedWhileInactive;  // AspectRatio and BorderColor answer from the component while inactive
};

const std::vector<Accessor>& Accessors() {
  static const std::vector<Accessor> accessors = {
      {"AspectRatio", [](TFCamera& c) { c.AspectRatio(); }, true},
      {"SetAspectRatio", [](TFCamera& c) { c.SetAspectRatio(true); }, true},
      {"BorderColor", [](TFCamera& c) { c.BorderColor(); }, true},
      {"SetBorderColor", [](TFCamera& c) { c.SetBorderColor(0x00102030u); }, true},
      {"MaxIdealVideoSize", [](TFCamera& c) { c.MaxIdealVideoSize(); }, false},
      {"MinIdealVideoSize", [](TFCamera& c) { c.MinIdealVideoSize(); }, false},
      {"NativeVideoSize", [](TFCamera& c) { c.NativeVideoSize(); }, false},
      {"NativeAspectRatio", [](TFCamera& c) { c.NativeAspectRatio(); }, false},
      {"VideoPositionSource", [](TFCamera& c) { c.VideoPositionSource(); }, false},
      {"SetVideoPositionSource", [](TFCamera& c) { c.SetVideoPositionSource({0, 0, 2, 2}); }, false},
      {"VideoPositionDest", [](TFCamera& c) { c.VideoPositionDest(); }, false},
      {"SetVideoPositionDest", [](TFCamera& c) { c.SetVideoPositionDest({0, 0, 2, 2}); }, false},
  };
  return accessors;
}

TEST_F(PreviewGeometry, WhileInactiveOnlyTheStoredSettingsAnswerAndNothingReachesAPlatformObject) {
  for (const Accessor& accessor : Accessors()) {
    SCOPED_TRACE(accessor.name);
    platform->ClearCalls();
    EXPECT_EQ(CameraError([&] { accessor.use(*camera); }),
              accessor.storedWhileInactive ? "<nothing raised>"
                                           : "Cannot perform this operation on inactive camera component");
    EXPECT_TRUE(platform->Calls().empty());
    EXPECT_FALSE(camera->Active());
  }
}

TEST_F(PreviewGeometry, OnTheGrabberPathEveryAccessorRequiresTheRenderer) {
  const struct {
    const char* name;
    TFCaptureType captureType;
  } layouts[] = {{"Grabber", TFCaptureType::ctGrabber}, {"AutoFallenBackToTheGrabber", TFCaptureType::ctAuto}};
  for (const auto& layout : layouts) {
    SCOPED_TRACE(layout.name);
    camera->SetActive(false);
    camera->SetCaptureType(layout.captureType);
    platform->When("CaptureGraphBuilder2.RenderStream")
        .Detail("Preview Video: Cam A -> VMR9")
        .Answer(kErrorCannotRender);
    camera->SetActive(true);
    ASSERT_EQ(camera->CaptureType(), TFCaptureType::ctGrabber);
    platform->ClearCalls();
    for (const Accessor& accessor : Accessors()) {
      SCOPED_TRACE(accessor.name);
      EXPECT_EQ(CameraError([&] { accessor.use(*camera); }), "VMR-9 capture type required");
    }
    EXPECT_TRUE(RendererCalls().empty());
  }
  // A refused write stored nothing.
  camera->SetActive(false);
  EXPECT_FALSE(camera->AspectRatio());
  EXPECT_EQ(camera->BorderColor(), 0xFF000000u);
}

TEST_F(PreviewGeometry, AnAspectRatioStoredWhileInactiveLetterboxesAtActivation) {
  camera->SetAspectRatio(true);
  EXPECT_TRUE(camera->AspectRatio());
  EXPECT_TRUE(platform->Calls().empty());

  camera->SetCaptureType(TFCaptureType::ctVmr9);
  camera->SetActive(true);
  EXPECT_EQ(platform->Vmr9()->aspectRatioMode, kVmr9ArModeLetterBox);
  EXPECT_TRUE(camera->AspectRatio());
}

TEST_F(PreviewGeometry, BorderColoursReachTheRendererUnchanged) {
  const struct {
    const char* name;
    std::optional<TAlphaColor> stored;  // none: the component's default
    TAlphaColor handedOver;
  } cases[] = {{"DefaultOpaqueBlack", std::nullopt, 0xFF000000u},
               {"TransparentBlackAsZero", 0x00000000u, 0u},
               {"AnyColourWordAsItIs", 0x80FF0001u, 0x80FF0001u}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    camera->SetActive(false);
    if (c.stored) camera->SetBorderColor(*c.stored);
    camera->SetCaptureType(TFCaptureType::ctVmr9);
    camera->SetActive(true);
    EXPECT_EQ(platform->Vmr9()->borderColor, c.handedOver);
    EXPECT_EQ(camera->BorderColor(), c.handedOver);
  }
}

TEST_F(PreviewGeometry, LiveWritesGoToTheRendererAndOutliveTheGraph) {
  ActivateOnTheRenderer();
  const auto vmr9 = platform->Vmr9();

  camera->SetAspectRatio(true);
  camera->SetBorderColor(0x00000000u);
  EXPECT_EQ(vmr9->aspectRatioMode, kVmr9ArModeLetterBox);
  EXPECT_EQ(vmr9->borderColor, 0u);
  EXPECT_EQ(RendererCalls(),
            (std::vector<std::string>{
                "VMRWindowlessControl9.GetAspectRatioMode", "VMRWindowlessControl9.SetAspectRatioMode(1)",
                "VMRWindowlessControl9.GetBorderColor", "VMRWindowlessControl9.SetBorderColor(0)"}));

  // The renderer's own value decides whether a write is a change: equal values are only read.
  platform->ClearCalls();
  camera->SetAspectRatio(true);
  camera->SetBorderColor(0x00000000u);
  EXPECT_EQ(RendererCalls(), (std::vector<std::string>{"VMRWindowlessControl9.GetAspectRatioMode",
                                                       "VMRWindowlessControl9.GetBorderColor"}));

  camera->SetActive(false);
  EXPECT_TRUE(camera->AspectRatio());
  EXPECT_EQ(camera->BorderColor(), 0u);
  camera->SetActive(true);
  EXPECT_EQ(platform->Vmr9()->aspectRatioMode, kVmr9ArModeLetterBox);
  EXPECT_EQ(platform->Vmr9()->borderColor, 0u);
}

TEST_F(PreviewGeometry, ARefusedLiveWriteRaisesAndKeepsTheStoredValue) {
  ActivateOnTheRenderer();
  platform->SetErrorText(kInvalidArg, "The parameter is incorrect.");
  platform->When("VMRWindowlessControl9.SetAspectRatioMode").Answer(kInvalidArg);
  platform->When("VMRWindowlessControl9.SetBorderColor").Answer(kInvalidArg);
  EXPECT_EQ(PlatformErrorOf([&] { camera->SetAspectRatio(true); }).code, kInvalidArg);
  EXPECT_EQ(PlatformErrorOf([&] { camera->SetBorderColor(0x00FF0000u); }).code, kInvalidArg);
  camera->SetActive(false);
  EXPECT_FALSE(camera->AspectRatio());
  EXPECT_EQ(camera->BorderColor(), 0xFF000000u);
}

TEST_F(PreviewGeometry, WhileDesigningTheSettingsAreOnlyRecorded) {
  camera->SetComponentState(TFCamera::csDesigning);
  camera->SetActive(true);  // recorded, nothing built
  camera->SetAspectRatio(true);
  camera->SetBorderColor(0x00000000u);
  EXPECT_TRUE(camera->AspectRatio());
  EXPECT_EQ(camera->BorderColor(), 0u);
  EXPECT_TRUE(platform->Calls().empty());
}

TEST_F(PreviewGeometry, EachRectangleWriteLeavesTheOtherRectangle) {
  ActivateOnTheRenderer();
  camera->SetVideoPositionDest({10, 20, 330, 260});
  camera->SetVideoPositionSource({0, 0, 320, 240});
  EXPECT_EQ(platform->Log({"VMRWindowlessControl9.SetVideoPosition"}),
            (std::vector<std::string>{
                "VMRWindowlessControl9.SetVideoPosition source=null destination=10,20,330,260",
                "VMRWindowlessControl9.SetVideoPosition source=0,0,320,240 destination=null"}));
  EXPECT_EQ(camera->VideoPositionSource(), (TFRect{0, 0, 320, 240}));
  EXPECT_EQ(camera->VideoPositionDest(), (TFRect{10, 20, 330, 260}));
}

TEST_F(PreviewGeometry, TheSizesAreTheRenderersWidthsAndHeights) {
  ActivateOnTheRenderer();
  platform->Vmr9()->SetNativeVideoSize(640, 480);
  EXPECT_EQ(camera->NativeVideoSize(), (TFPoint{640, 480}));
  EXPECT_EQ(camera->MaxIdealVideoSize(), (TFPoint{2560, 1920}));
  EXPECT_EQ(camera->MinIdealVideoSize(), (TFPoint{1, 1}));
}

TEST_F(PreviewGeometry, ARefusedRendererCallRaisesItsCode) {
  ActivateOnTheRenderer();
  const struct {
    const char* call;
    std::function<void(TFCamera&)> use;
  } cases[] = {
      {"VMRWindowlessControl9.GetAspectRatioMode", [](TFCamera& c) { c.AspectRatio(); }},
      {"VMRWindowlessControl9.GetBorderColor", [](TFCamera& c) { c.BorderColor(); }},
      {"VMRWindowlessControl9.GetMaxIdealVideoSize", [](TFCamera& c) { c.MaxIdealVideoSize(); }},
      {"VMRWindowlessControl9.GetMinIdealVideoSize", [](TFCamera& c) { c.MinIdealVideoSize(); }},
      {"VMRWindowlessControl9.GetNativeVideoSize", [](TFCamera& c) { c.NativeVideoSize(); }},
      {"VMRWindowlessControl9.GetNativeVideoSize", [](TFCamera& c) { c.NativeAspectRatio(); }},
      {"VMRWindowlessControl9.GetVideoPosition", [](TFCamera& c) { c.VideoPositionSource(); }},
      {"VMRWindowlessControl9.GetVideoPosition", [](TFCamera& c) { c.VideoPositionDest(); }},
      {"VMRWindowlessControl9.SetVideoPosition", [](TFCamera& c) { c.SetVideoPositionSource({0, 0, 1, 1}); }},
      {"VMRWindowlessControl9.SetVideoPosition", [](TFCamera& c) { c.SetVideoPositionDest({0, 0, 1, 1}); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    platform->When(c.call).Answer(kErrorNotConnected).Times(1);
    EXPECT_EQ(PlatformErrorOf([&] { c.use(*camera); }).code, kErrorNotConnected);
  }
  EXPECT_TRUE(camera->Active());
}

// On the simulated camera the renderer is the real one: its sizes follow the connected format.
TEST(PreviewGeometryOnSimulated, NativeSizeAndAspectRatioFollowTheFormat) {
  std::string error;
  const auto simulated = CreateSimulatedPlatform({"hd-autofocus"}, &error);
  ASSERT_NE(simulated, nullptr) << error;
  QObject form;
  TFCamera camera(&form, simulated);
  camera.SetPreviewWindowServices(OwnerFormServices(&form, kFormHandle));
  camera.SetDeviceName("Simulated HD Webcam");
  const TFCameraFormats formats = camera.SupportedFormats();
  const auto chosen = std::find_if(formats.begin(), formats.end(),
                                   [](const TFCameraFormat& f) { return f.Width == 1280 && f.Height == 720; });
  ASSERT_NE(chosen, formats.end()) << "the simulated webcam lists 1280x720";
  camera.SetFormat(*chosen);

  camera.SetCaptureType(TFCaptureType::ctVmr9);
  camera.SetActive(true);
  EXPECT_EQ(camera.NativeVideoSize(), (TFPoint{1280, 720}));
  EXPECT_EQ(camera.NativeAspectRatio(), (TFPoint{16, 9}));
  EXPECT_EQ(camera.MaxIdealVideoSize(), (TFPoint{1280, 720}));
  EXPECT_EQ(camera.MinIdealVideoSize(), (TFPoint{320, 180}));
  EXPECT_EQ(camera.BorderColor(), 0xFF000000u);
  EXPECT_FALSE(camera.AspectRatio());
}

}  // namespace
}  // namespace tavelo::camera_tests
