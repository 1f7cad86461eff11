// The seventeen property rows: one refresh pass from the camera, and the user's changes to the camera.

#include <QCheckBox>
#include <QLabel>

#include <cmath>
#include <utility>

#include "ui/ControlStyle.h"
#include "app/DisplayTexts.h"
#include "app/ErrorReport.h"
#include "camera/CameraFailure.h"
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

// A refusal concerns the one request; anything else (a camera gone, no permission, a failed check) is
// about the camera as a whole and is for the caller to explain.
bool IsRefusal(std::exception_ptr error) { return CameraFailureOf(error) == TFCameraFailure::cfRefused; }

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
    for (const TPropertyRow& row : FRows) InitTrackBar(row.Controls);
    Trace(QStringLiteral("InitTrackBar BLOCK ended OK"));
    Trace(QStringLiteral("InitTrackBar group OK"));
    Trace(QStringLiteral("Starting  SetTrackBar BLOCK"));

    if (!FCamera->DeviceName().isEmpty()) {
      // A control the driver refuses to read blanks only its own part of the window; the pass goes on
      // and names what it could not read once, at its end.
      QStringList unreadable;
      QString firstReason;
      const auto refused = [&](const QString& label, std::exception_ptr error) {
        if (!IsRefusal(error)) std::rethrow_exception(error);
        if (unreadable.isEmpty()) firstReason = ErrorMessage(error);
        unreadable << label;
      };
      if (FCamera->PowerLineFrequencySupported()) {
        try {
          validatefrequency();
          LayoutFrequency->show();
        } catch (...) {
          refused(powerfrequencylabel->text(), std::current_exception());
        }
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
        if (!FCamera->PropertySupported(row->Entry->Property)) continue;
        try {
          ReadRow(*row);
        } catch (...) {
          refused(row->Entry->Label(), std::current_exception());
          continue;
        }
        SupportLevel = 2;
      }
      if (!unreadable.isEmpty()) ShowStatusMessage(UnreadableRowsText(unreadable, firstReason));
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

void TFormMain::ReadRow(const TPropertyRow& row) {
  const TFCameraProperty property = row.Entry->Property;
  const std::int32_t value = FCamera->PropertyValue(property);
  const TFRange range = FCamera->PropertyRange(property);
  const bool automatic = FCamera->PropertyAuto(property);
  SetTrackBar(row.Controls, value, range, automatic);
}

void TFormMain::ShowRefusedChange(const TPropertyRow& row, std::exception_ptr error) {
  ShowStatusMessage(RefusedChangeText(row.Entry->Label(), ErrorMessage(error)));
  ReadRowQuietly(row);
}

void TFormMain::ReadRowQuietly(const TPropertyRow& row) {
  // The row's own change notifications must not write what is read back.
  const bool passRunning = std::exchange(SettingTrackBars, true);
  struct TRestore {
    bool& Flag;
    bool Value;
    ~TRestore() { Flag = Value; }
  } restore{SettingTrackBars, passRunning};
  try {
    ReadRow(row);
  } catch (...) {
    if (!IsRefusal(std::current_exception())) throw;
    InitTrackBar(row.Controls);  // nothing known about the row any more
  }
}

void TFormMain::TrackBarChange(QObject* Sender) {
  if (SupportLevel == 0 || SupportLevel == 1) return;
  const TPropertyRow* row = RowOfTrackBar(Sender);
  if (!row) return;
  const double value = row->Controls.TrackBar->Value();
  row->Controls.ValueLabel->setText(SliderValueText(value));
  if (!SettingTrackBars) {
    // A refusal is answered here; a camera gone (or any other failure) is for the caller to explain.
    try {
      FCamera->SetPropertyValue(row->Entry->Property, CameraValueOf(value));
    } catch (...) {
      if (!IsRefusal(std::current_exception())) throw;
      ShowRefusedChange(*row, std::current_exception());
    }
  }
  SetSupportStatus();
}

void TFormMain::CheckBoxChange(QObject* Sender) {
  if (SettingTrackBars) return;
  if (const TPropertyRow* row = RowOfCheckBox(Sender)) {
    try {
      FCamera->SetPropertyAuto(row->Entry->Property, row->Controls.CheckBox->isChecked());
    } catch (...) {
      if (!IsRefusal(std::current_exception())) throw;
      ShowMessageSimple(InconsistentDriverNotice(SelectedCameraName()));
      // The box then shows the mode the camera kept, without a second attempt to write it.
      ShowRefusedChange(*row, std::current_exception());
      return;
    }
  }
  Trace(QStringLiteral("### Call SetTrackBars from  CheckBoxChange event "));
  SetTrackBars();
}
