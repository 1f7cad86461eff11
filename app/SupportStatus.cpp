// The status panel and the controls that depend on how far the selected camera can be configured.

#include <QLabel>

#include <optional>

#include "ui/ButtonImage.h"
#include "ui/Effects.h"
#include "ui/Image.h"
#include "ui/ListBox.h"
#include "app/Unit1.h"

namespace {

struct TSupportLevelLook {
  int Level;
  bool CommandsEnabled;
  std::optional<bool> TestButtonEnabled;  // unset: left as it is
  const char* SupportText;
  bool GreyedOut;
  bool PreparesTestText;
  const char* LogAfter;  // logged whatever the level
};

// In the order they are tested.
const TSupportLevelLook kSupportLevelLooks[] = {
    {1, false, true, "Camera not configurable", true, true, "SetSupportStatus passed 03"},
    {0, false, false, "Camera not configurable", true, false, "SetSupportStatus passed 04"},
    {2, true, std::nullopt, "Camera configurable", false, true, "SetSupportStatus passed 05"},
};

}  // namespace

void TFormMain::SetSupportStatus() {
  Trace(QStringLiteral("SetSupportStatus entered"));
  const int formatIndex = ComboBoxFormat->ItemIndex();
  Trace(QStringLiteral("ComboBoxFormat.ItemIndex=") + QString::number(formatIndex));
  if (formatIndex >= 0 && ComboBoxFormat->Count() > 0) ResolutionText = ComboBoxFormat->ItemText(formatIndex);
  Trace(QStringLiteral("SetSupportStatus passed 02"));

  for (const TSupportLevelLook& look : kSupportLevelLooks) {
    if (SupportLevel == look.Level) {
      for (TButtonImage* command : {ButtonRead, ButtonWrite, ButtonDefaultValues, ButtonWindows}) {
        command->setEnabled(look.CommandsEnabled);
      }
      if (look.TestButtonEnabled) ButtonTestCam->setEnabled(*look.TestButtonEnabled);
      SupportLabel->setText(QString::fromLatin1(look.SupportText));
      StatusLabel->setText(QStringLiteral(" "));
      LayoutButtonTestCam->setVisible(PreviewMode);  // hidden by design; the "preview" argument shows it
      MonochromeEffect->setEnabled(look.GreyedOut);
      if (look.PreparesTestText) {
        cameratestlabel->setText(QStringLiteral("Click camera icon to test ") + SelectedCameraName() +
                                 QStringLiteral("\r\n with resolution: ") + ResolutionText);
      }
    }
    Trace(QString::fromLatin1(look.LogAfter));
  }
  Trace(QStringLiteral("SetSupportStatus passed 06"));
}
