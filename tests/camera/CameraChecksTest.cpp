// Construction defaults, the checking routines and how platform failures become exceptions.

#include "tests/camera/CameraFixture.h"

namespace tavelo::camera_tests {
namespace {

using Checks = CameraFixture;

TEST_F(Checks, ANewComponentIsInactiveWithItsDefaults) {
  EXPECT_FALSE(camera->Active());
  EXPECT_EQ(camera->State(), TFCameraState::csInactive);
  EXPECT_EQ(camera->CaptureType(), TFCaptureType::ctAuto);
  EXPECT_EQ(camera->OutputFileType(), TFMediaType::mtAsf);
  EXPECT_TRUE(camera->DeviceName().isEmpty());
  EXPECT_TRUE(camera->OutputFileName().isEmpty());
  EXPECT_EQ(camera->PreviewControl(), nullptr);
  EXPECT_FALSE(camera->OnImageAvailable());
  EXPECT_FALSE(camera->About().isEmpty());
  EXPECT_TRUE(platform->Calls().empty());  // nothing is created before it is needed
}

TEST_F(Checks, AboutIgnoresWrites) {
  const QString about = camera->About();
  camera->SetAbout("something else");
  EXPECT_EQ(camera->About(), about);
}

TEST_F(Checks, DeviceCheckNamesTheMissingCamera) {
  EXPECT_EQ(CameraError([&] { camera->CheckDevice(); }), "Camera device not selected");
  camera->SetDeviceName("Nope");
  EXPECT_EQ(CameraError([&] { camera->CheckDevice(); }), "Camera device 'Nope' not found");
  platform->AddDevice(CameraSetup("Nope"));
  EXPECT_EQ(CameraError([&] { camera->CheckDevice(); }), "<nothing raised>");
}

TEST_F(Checks, StateChecksAndInterfaceCheckTexts) {
  EXPECT_EQ(CameraError([&] { camera->CheckActive(); }), "Cannot perform this operation on inactive camera component");
  EXPECT_EQ(CameraError([&] { camera->CheckInactive(); }), "<nothing raised>");
  SelectCamA();
  camera->SetCaptureType(TFCaptureType::ctGrabber);
  camera->SetActive(true);
  EXPECT_EQ(CameraError([&] { camera->CheckInactive(); }), "Cannot perform this operation on active camera component");
  EXPECT_EQ(CameraError([&] { camera->CheckActive(); }), "<nothing raised>");

  EXPECT_EQ(CameraError([] { TFCamera::CheckInterface(nullptr, "IFoo"); }), "Cannot retrieve 'IFoo' interface");
  int object = 0;
  EXPECT_EQ(CameraError([&] { TFCamera::CheckInterface(&object, "IFoo"); }), "<nothing raised>");
  EXPECT_EQ(CameraError([] { TFCamera::Check(false, "Broken"); }), "Broken");
  EXPECT_EQ(CameraError([] { TFCamera::Check(true, "Broken"); }), "<nothing raised>");
}

struct ResultCase {
  const char* name;
  Result code;
  std::string platformText;  // empty: the platform has none
  std::string expectedMessage;
  friend void PrintTo(const ResultCase& c, std::ostream* os) { *os << c.name; }
};

class CheckResultTest : public CameraFixture, public ::testing::WithParamInterface<ResultCase> {};

TEST_P(CheckResultTest, RaisesThePlatformTextOrTheSystemMessage) {
  const ResultCase& c = GetParam();
  if (!c.platformText.empty()) platform->SetErrorText(c.code, c.platformText);
  try {
    camera->CheckResult(c.code);
    FAIL() << "nothing raised";
  } catch (const EOleSysError& error) {
    EXPECT_EQ(error.Message().toStdString(), c.expectedMessage);
    EXPECT_EQ(error.ErrorCode(), c.code);
    EXPECT_EQ(error.HelpContext(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Camera, CheckResultTest,
    ::testing::Values(
        ResultCase{"PlatformText", kErrorDeviceInUse, "The device is in use.", "The device is in use."},
        ResultCase{"LongTextKeeps159Characters", kFail, std::string(200, 'x'), std::string(159, 'x')},
        ResultCase{"TextEndsAtTheFirstNul", kFail, std::string("abc\0def", 7), "abc"},
        ResultCase{"NoTextGivesTheSystemMessage", kOutOfMemory, "",
                   "Not enough memory resources are available to complete this operation"},
        ResultCase{"EmptyTextBeforeNulGivesTheSystemMessage", kFail, std::string("\0text", 5), "Unspecified error"},
        ResultCase{"UnknownCodeWithoutText", static_cast<Result>(0x8004FFFFu), "", "Error 0x8004FFFF"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Checks, SuccessCodesRaiseNothing) {
  for (Result code : {kOk, kFalse, kStillTransitioning, static_cast<Result>(0x7FFFFFFF)})
    EXPECT_NO_THROW(camera->CheckResult(code)) << FormatResult(code);
}

TEST_F(Checks, OnlyTheTwoNotFoundCodesMeanUnsupported) {
  EXPECT_TRUE(TFCamera::IsUnsupported(static_cast<Result>(0x80070490u)));
  EXPECT_TRUE(TFCamera::IsUnsupported(static_cast<Result>(0x80070492u)));
  for (Result code : {kOk, kFalse, kFail, kNoInterface, kInvalidArg, kErrorMoreData, static_cast<Result>(0x80070491u),
                      static_cast<Result>(0x00070490)})
    EXPECT_FALSE(TFCamera::IsUnsupported(code)) << FormatResult(code);
}

TEST_F(Checks, MediaTypeReleaseFreesTheBlockAndTheAttachedObject) {
  MediaTypeCopy owner = VideoInfoFormat({});
  AmMediaType* record = HandOutMediaType(owner.Get(), platform->Recorder());
  EXPECT_EQ(platform->OutstandingMediaTypes(), 1);
  TFCamera::ReleaseMediaType(*record);
  EXPECT_EQ(record->pbFormat, nullptr);
  EXPECT_EQ(record->cbFormat, 0u);
  EXPECT_EQ(record->pUnk, nullptr);
  EXPECT_EQ(platform->OutstandingMediaTypes(), 0);
  TFCamera::DisposeMediaType(record);
  TFCamera::DisposeMediaType(nullptr);
}

}  // namespace
}  // namespace tavelo::camera_tests
