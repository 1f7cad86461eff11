// The seventeen property rows: one refresh pass from the camera, and the user's changes to the camera.

#include <QCheckBox>
#include <QLabel>

#include <cmath>

#include "ui/ControlStyle.h"
#include "app/DisplayTexts.h"
#include "ui/Effects.h"
#include "ui/ListBox.h"
#include "ui/TrackBar.h"
#include "app/Unit1.h"

namespace {

const QColor kBlankTextColor(0xFF808080);
const QColor kLiveTextColor(0xFF000000);
constexpr int kRowFontSize = 16;

// The camera receives the slider's value truncated toward zero.
std::int32_t CameraValueOf(double sliderValue) { return static_cast<std::int32_t>(std::trunc(sliderValue)); }

}  // namespace

void TFormMain::SetTrackBars() {
  Trace(QStringLiteral("SetTrackBars entered"));
  if (!SettingTrackBars) {
    SettingTrackBars = true;
    // Cleared however the pass ends; a camera error then leaves without the status update below.
    struct TPassEnd {
      bool& Flag;
      ~TPassEnd() { Flag = false; }
    } passEnd{SettingTrackBars};

    for (const TPropertyRow& row : FRows) row.Controls.ValueLabel->setText(QString());
    Trace(QStringLiteral("Blanks done"));
    LayoutFrequency->hide();

    Trace(QStringLiteral("Starting  InitTrackBar BLOCK"));
    try {
      for (const TPropertyRow& row : FRows) InitTrackBar(row.Controls);
      Trace(QStringLiteral("InitTrackBar BLOCK ended OK"));
    } catch (...) {
      Trace(QStringLiteral("*** InitTrackBar error"));
    }
    Trace(QStringLiteral("InitTrackBar group OK"));
    Trace(QStringLiteral("Starting  SetTrackBar BLOCK"));

    if (!FCamera->DeviceName().isEmpty()) {
      if (FCamera->PowerLineFrequencySupported()) {
        LayoutFrequency->show();
        validatefrequency();
      }
      Trace(QStringLiteral("FCamera.DeviceName is not BLANK"));
      Trace(FCamera->DeviceName());
      // Brightness is read first, then the rest in catalogue order.
      std::vector<const TPropertyRow*> readOrder;
      for (const TPropertyRow& row : FRows) {
        if (row.Entry->Property == TFCameraProperty::Brightness) readOrder.insert(readOrder.begin(), &row);
        else readOrder.push_back(&row);
      }
      for (const TPropertyRow* row : readOrder) {
        const TFCameraProperty property = row->Entry->Property;
        if (!FCamera->PropertySupported(property)) continue;
        const std::int32_t value = FCamera->PropertyValue(property);
        const TFRange range = FCamera->PropertyRange(property);
        const bool automatic = FCamera->PropertyAuto(property);
        SetTrackBar(row->Controls, value, range, automatic);
        SupportLevel = 2;
      }
    }
  }
  Trace(QStringLiteral("Calling SetSupportStatus"));
  SetSupportStatus();
}

void TFormMain::InitTrackBar(const TPropertyRowControls& row) {
  row.Label->setEnabled(false);
  SetFontSize(row.Label, kRowFontSize);
  SetFontColor(row.Label, kBlankTextColor);
  row.ValueLabel->setEnabled(false);
  SetFontSize(row.ValueLabel, kRowFontSize);
  SetFontColor(row.ValueLabel, kBlankTextColor);
  row.ValueLabel->setText(QStringLiteral(" "));
  row.TrackBar->setEnabled(false);
  row.TrackBar->SetValue(0);
  row.CheckBox->setEnabled(false);
  SetFontColor(row.CheckBox, kBlankTextColor);
  SetFontSize(row.CheckBox, kRowFontSize);
  row.Monochrome->setEnabled(true);
}

void TFormMain::SetTrackBar(const TPropertyRowControls& row, std::int32_t Position, TFRange Range, bool Auto) {
  Trace(QStringLiteral("SetTrackBar started"));
  row.Label->setEnabled(true);
  SetFontSize(row.Label, kRowFontSize);
  SetFontColor(row.Label, kLiveTextColor);
  row.TrackBar->SetMin(Range.Min);
  row.TrackBar->SetMax(Range.Max);
  row.TrackBar->SetFrequency(Range.Delta);
  row.TrackBar->SetValue(Position);
  Trace(SliderValueText(row.TrackBar->Value()));
  row.TrackBar->setEnabled(!Auto);
  row.ValueLabel->setEnabled(true);
  SetFontSize(row.ValueLabel, kRowFontSize);
  SetFontColor(row.ValueLabel, kLiveTextColor);
  row.ValueLabel->setText(SliderValueText(row.TrackBar->Value()));
  row.CheckBox->setEnabled(Range.Auto && Range.Manual);
  SetFontColor(row.CheckBox, kLiveTextColor);
  row.CheckBox->setChecked(Auto);
  row.Monochrome->setEnabled(false);
  Trace(QStringLiteral("SetTrackBar ended"));
}

void TFormMain::TrackBarChange(QObject* Sender) {
  if (SupportLevel == 0 || SupportLevel == 1) return;
  // A driver refusal leaves slider and value label at the new value, without a word.
  try {
    const TPropertyRow* row = RowOfTrackBar(Sender);
    if (!row) return;
    const double value = row->Controls.TrackBar->Value();
    row->Controls.ValueLabel->setText(SliderValueText(value));
    if (!SettingTrackBars) FCamera->SetPropertyValue(row->Entry->Property, CameraValueOf(value));
    SetSupportStatus();
  } catch (...) {
  }
}

void TFormMain::CheckBoxChange(QObject* Sender) {
  if (SettingTrackBars) return;
  auto* box = qobject_cast<QCheckBox*>(Sender);
  try {
    if (const TPropertyRow* row = RowOfCheckBox(Sender)) {
      FCamera->SetPropertyAuto(row->Entry->Property, row->Controls.CheckBox->isChecked());
    }
    Trace(QStringLiteral("### Call SetTrackBars from  CheckBoxChange event "));
    SetTrackBars();
  } catch (...) {
    const int camera = ComboBoxCamera->ItemIndex();
    const QString cameraName = camera >= 0 ? ComboBoxCamera->ItemText(camera) : QString();
    ShowMessageSimple(QStringLiteral("Tavelo detected an inconsistent cam driver implementation. ") + cameraName +
                      QStringLiteral(" states this function is supported but returns an error when accessing it"));
    // Unticking runs this handler again, which switches the automatic mode off and re-reads the rows.
    if (box) box->setChecked(false);
  }
}
