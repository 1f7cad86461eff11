// The general error report.

#include <gtest/gtest.h>

#include "camera/CameraErrors.h"
#include "app/ErrorReport.h"

namespace {

TEST(ErrorReport, ShowsTheMessageOfEveryKindOfFailure) {
  const auto message = [](auto error) { return ErrorMessage(std::make_exception_ptr(error)).toStdString(); };
  EXPECT_EQ(message(EFCameraError("Camera device not selected")), "Camera device not selected");
  EXPECT_EQ(message(EOleSysError("The camera is in use", static_cast<std::int32_t>(0x80040228u))), "The camera is in use");
  EXPECT_EQ(message(std::runtime_error("Unable to write to /x/Tavelo.ini")), "Unable to write to /x/Tavelo.ini");
  EXPECT_EQ(message(42), "Unknown error");
}

TEST(ErrorReport, WritesALineToStandardErrorAndHandsTheMessageToTheUser) {
  TErrorReportCapture capture;
  testing::internal::CaptureStderr();
  ReportError(std::make_exception_ptr(EOleSysError("The camera is in use", static_cast<std::int32_t>(0x80040228u))));
  const std::string standardError = testing::internal::GetCapturedStderr();
  EXPECT_EQ(capture.Messages(), QStringList{"The camera is in use"});
  EXPECT_NE(standardError.find("0x80040228"), std::string::npos) << standardError;
  EXPECT_NE(standardError.find("The camera is in use\n"), std::string::npos) << standardError;
}

}  // namespace
