// The support status: status panel, command buttons and grey-out by how far a camera can be configured.

#include <QLabel>

#include <gtest/gtest.h>

#include "ui/ButtonImage.h"
#include "ui/Effects.h"
#include "ui/ListBox.h"
#include "tests/app/MainWindowHarness.h"

namespace {

TEST_F(MainWindowTest, SupportLevelsDriveButtonsLabelsAndGreyOut) {
  UseSimulated({"laptop", "no-controls", WriteCamera("bare.ini", "Bare Camera", "", false)});
  TFormMain& window = Start();
  const QString testTextOfNoControls =
      "Click camera icon to test Simulated Camera Without Controls\r\n with resolution: 640x480 30Hz 16bpp";
  const struct {
    int entry;
    int level;
    bool commands;
    bool testButton;
    const char* support;
    bool greyedOut;
    QString testText;  // null: not prepared at this level
  } cases[] = {
      {1, 1, false, true, "Camera not configurable", true, testTextOfNoControls},
      // No format: the resolution stays as it was.
      {2, 0, false, false, "Camera not configurable", true, QString()},
      {0, 2, true, true, "Camera configurable", false,
       "Click camera icon to test Simulated Laptop Camera\r\n with resolution: 640x480 30Hz 16bpp"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    ClickEntry(window.ComboBoxCamera, c.entry);
    EXPECT_EQ(window.SupportLevel, c.level);
    for (TButtonImage* command : {window.ButtonRead, window.ButtonWrite, window.ButtonDefaultValues, window.ButtonWindows}) {
      EXPECT_EQ(command->isEnabled(), c.commands) << command->objectName().toStdString();
    }
    EXPECT_EQ(window.ButtonTestCam->isEnabled(), c.testButton);
    EXPECT_EQ(window.SupportLabel->text(), c.support);
    EXPECT_EQ(window.StatusLabel->text(), " ");
    EXPECT_EQ(window.MonochromeEffect->isEnabled(), c.greyedOut);
    EXPECT_TRUE(window.LayoutButtonTestCam->isHidden());
    if (!c.testText.isNull()) {
      EXPECT_EQ(window.cameratestlabel->text(), c.testText);
    }
    EXPECT_EQ(window.ResolutionText, "640x480 30Hz 16bpp");
  }
}

TEST_F(MainWindowTest, StatusUpdateTakesTheSelectedFormatAsResolution) {
  UseSimulated({"hd-autofocus", "laptop"});
  TFormMain& window = Start();
  ClickEntry(window.ComboBoxFormat, 8);  // the list is hidden in this layout; code can still select
  EXPECT_EQ(window.ResolutionText, window.ComboBoxFormat->ItemText(8));
  EXPECT_TRUE(window.cameratestlabel->text().endsWith(" with resolution: " + window.ComboBoxFormat->ItemText(8)));
}

}  // namespace
