// The driver's property dialogs: which pages reach the platform's property frame, under which caption,
// after which calls, and how every failure on the way is raised.

#include "tests/camera/CameraFixture.h"

namespace tavelo::camera_tests {
namespace {

class Dialogs : public CameraFixture {
 protected:
  Dialogs() {
    platform->SetPropertyFrameHandler([this](const PropertyFrameRequest& request) {
      shown.push_back(request);
      callsBeforeFrame = platform->Log();
      return frameResult;
    });
  }

  std::vector<PropertyFrameRequest> shown;
  std::vector<std::string> callsBeforeFrame;

 public:
  // For the table's set-up steps, which reach the fixture through a reference.
  using CameraFixture::camA;
  using CameraFixture::camera;
  using CameraFixture::platform;
  Result frameResult = kOk;
};

// The scripted object behind a reference the component handed to the frame.
const ScriptedObject* ScriptedOf(const std::shared_ptr<Unknown>& object) {
  return dynamic_cast<const ScriptedObject*>(object.get());
}

TEST_F(Dialogs, TheCameraDialogShowsTheFiltersPagesUnderItsNameWithoutActivating) {
  SelectCamA();
  camA->Setup().propertyPages = {guids::CameraSettingsPage, guids::StreamFormatPage};
  camera->ShowPropertyDialog();

  ASSERT_EQ(shown.size(), 1u);
  const PropertyFrameRequest& request = shown.front();
  EXPECT_EQ(request.caption, "Cam A");
  ASSERT_EQ(request.objects.size(), 1u);
  ASSERT_NE(ScriptedOf(request.objects.front()), nullptr);
  EXPECT_EQ(ScriptedOf(request.objects.front())->Label(), "Cam A");
  EXPECT_EQ(request.pages, (std::vector<Guid>{guids::CameraSettingsPage, guids::StreamFormatPage}));
  EXPECT_EQ(request.x, 0);
  EXPECT_EQ(request.y, 0);

  // The query for the pages interface, its pages, then the caption: in that order, before the frame.
  std::vector<std::string> steps;
  for (const std::string& call : callsBeforeFrame)
    if (call.find("SpecifyPropertyPages") != std::string::npos || call.find("QueryFilterInfo") != std::string::npos)
      steps.push_back(call);
  const std::string query =
      "QueryInterface(" + std::to_string(static_cast<int>(Iid::SpecifyPropertyPages)) + ") SpecifyPropertyPages";
  EXPECT_EQ(steps, (std::vector<std::string>{query, "SpecifyPropertyPages.GetPages", "BaseFilter.QueryFilterInfo"}));
  EXPECT_FALSE(camera->Active());
  EXPECT_EQ(platform->Count("MediaControl.Run"), 0);
}

TEST_F(Dialogs, TheStreamDialogShowsThePinsPagesUnderTheCamerasName) {
  SelectCamA();
  camera->ShowStreamPropertyDialog();

  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown.front().caption, "Cam A");
  ASSERT_EQ(shown.front().objects.size(), 1u);
  EXPECT_EQ(ScriptedOf(shown.front().objects.front())->Label(), "Cam A/Capture");
  EXPECT_EQ(shown.front().pages, std::vector<Guid>{guids::StreamFormatPage});
  EXPECT_EQ(platform->Count("CaptureGraphBuilder2.FindInterface"), 1);
}

// What each failing step raises: the component's own text, or the platform's code.
struct DialogFailure {
  const char* situation;
  bool stream;                          // ShowStreamPropertyDialog rather than ShowPropertyDialog
  std::function<void(Dialogs&)> arrange;  // after "Cam A" was added and selected
  std::string cameraError;                // EFCameraError text, or empty
  Result code;                            // EOleSysError code when there is no camera error
  bool frameAsked = false;                // the failure is the frame's own
};

TEST_F(Dialogs, EveryFailureOnTheWayIsRaisedAndNoFrameShows) {
  const std::vector<DialogFailure> cases = {
      {"no camera selected", false, [](Dialogs& t) { t.camera->SetDeviceName(""); }, "Camera device not selected", 0},
      {"selected camera absent", false, [](Dialogs& t) { t.camera->SetDeviceName("Cam B"); },
       "Camera device 'Cam B' not found", 0},
      {"filter without property pages", false,
       [](Dialogs& t) { t.camA->Setup().lacks.push_back(Iid::SpecifyPropertyPages); }, "", kNoInterface},
      {"query succeeds without an object", false,
       [](Dialogs& t) { t.platform->When("QueryInterface").Id(static_cast<int>(Iid::SpecifyPropertyPages)).AnswerOnly(kOk); },
       "Cannot retrieve 'ISpecifyPropertyPages' interface", 0},
      {"pages refused", false, [](Dialogs& t) { t.platform->When("SpecifyPropertyPages.GetPages").Answer(kFail); }, "",
       kFail},
      {"filter information refused", false,
       [](Dialogs& t) { t.platform->When("BaseFilter.QueryFilterInfo").Answer(kOutOfMemory); }, "", kOutOfMemory},
      {"frame cannot be created", false, [](Dialogs& t) { t.frameResult = kErrorNoPropertyPages; }, "",
       kErrorNoPropertyPages, true},
      {"no frame installed", false, [](Dialogs& t) { t.platform->SetPropertyFrameHandler({}); }, "", kNotImplemented},
      {"no capture graph builder", true,
       [](Dialogs& t) { t.platform->When("Platform.CreateInstance").Detail("CaptureGraphBuilder2").Answer(kClassNotRegistered); },
       "Cannot retrieve 'ICaptureGraphBuilder2' interface", 0},
      {"stream configuration not found", true,
       [](Dialogs& t) { t.platform->When("CaptureGraphBuilder2.FindInterface").Answer(kNoInterface); }, "",
       kNoInterface},
      {"stream configuration found empty", true,
       [](Dialogs& t) { t.platform->When("CaptureGraphBuilder2.FindInterface").AnswerOnly(kOk); },
       "Cannot retrieve 'IAMStreamConfig' interface", 0},
      {"pin without property pages", true,
       [](Dialogs& t) { t.camA->Pin(0).Setup().lacks.push_back(Iid::SpecifyPropertyPages); }, "", kNoInterface},
  };
  for (const DialogFailure& failure : cases) {
    SCOPED_TRACE(failure.situation);
    platform = std::make_shared<ScriptedPlatform>();
    camera = std::make_unique<TFCamera>(nullptr, platform);
    shown.clear();
    frameResult = kOk;
    platform->SetPropertyFrameHandler([this](const PropertyFrameRequest& request) {
      shown.push_back(request);
      return frameResult;
    });
    SelectCamA();
    failure.arrange(*this);
    const auto show = [&] { failure.stream ? camera->ShowStreamPropertyDialog() : camera->ShowPropertyDialog(); };
    if (!failure.cameraError.empty()) {
      EXPECT_EQ(CameraError(show), failure.cameraError);
    } else {
      EXPECT_EQ(PlatformErrorOf(show).code, failure.code);
    }
    EXPECT_EQ(shown.size(), failure.frameAsked ? 1u : 0u);
  }
}

}  // namespace
}  // namespace tavelo::camera_tests
