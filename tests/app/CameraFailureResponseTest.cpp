// What the main window decides about a failed camera request, and the texts it shows.

#include <gtest/gtest.h>

#include "app/CameraFailureResponse.h"

namespace {

using enum TFCameraFailure;
using enum TCameraRequest;

TEST(CameraFailureResponse, OnlyAGoneCameraRebuildsTheListOnlyAnUnusableOneStaysExplained) {
  const struct {
    TFCameraFailure failure;
    TCameraRequest request;
    bool rebuild;
    bool notice;
    bool standing;
    bool report;
  } cases[] = {
      {cfDisconnected, crSelect, true, true, false, false},
      {cfDisconnected, crChange, true, true, false, false},
      {cfNoPermission, crSelect, false, false, true, false},
      {cfNoPermission, crChange, false, false, true, false},
      {cfRefused, crSelect, false, false, true, false},
      {cfOther, crSelect, false, false, true, false},
      // A change no row's handler answered is beyond the window: the general error report.
      {cfRefused, crChange, false, false, false, true},
      {cfOther, crChange, false, false, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.failure) << "/" << static_cast<int>(c.request));
    const auto response = TCameraFailureResponse::For(c.failure, c.request, "Cam", "Because");
    EXPECT_EQ(response.RebuildCameraList, c.rebuild);
    EXPECT_EQ(!response.Notice.isEmpty(), c.notice);
    EXPECT_EQ(!response.StandingText.isEmpty(), c.standing);
    EXPECT_EQ(response.Report, c.report);
  }
}

TEST(CameraFailureResponse, TextsNameTheCameraAndSayWhatToDo) {
  EXPECT_EQ(TCameraFailureResponse::For(cfDisconnected, crChange, "Cam", "gone").Notice,
            "Cam was disconnected. The camera list has been updated.");
  EXPECT_EQ(TCameraFailureResponse::For(cfDisconnected, crChange, "", "gone").Notice,
            "The camera was disconnected. The camera list has been updated.");
  EXPECT_EQ(TCameraFailureResponse::For(cfNoPermission, crSelect, "Cam", "denied").StandingText,
            "No permission to open Cam: add your user to the \"video\" group, then log in again");
  EXPECT_EQ(TCameraFailureResponse::For(cfRefused, crSelect, "Cam", "The camera did not answer in time").StandingText,
            "Cam cannot be used: The camera did not answer in time");
}

TEST(CameraFailureResponse, RowTextsNameTheRowsAndGiveTheDriversReason) {
  EXPECT_EQ(UnreadableRowsText({"Focus"}, "EIO"), "Focus could not be read: EIO");
  EXPECT_EQ(UnreadableRowsText({"Focus", "Zoom (+/-)"}, "EIO"), "Focus, Zoom (+/-) could not be read: EIO");
  EXPECT_EQ(RefusedChangeText("Brightness", "Out of range"), "Brightness was not changed: Out of range");
  EXPECT_EQ(InconsistentDriverNotice("Cam"),
            "Tavelo detected an inconsistent cam driver implementation. Cam states this function is supported but "
            "returns an error when accessing it");
}

}  // namespace
