// The power-line frequency choice: two fixed items that follow the camera and write to it on a click.

#include <QIcon>

#include <iterator>

#include "ui/Image.h"
#include "ui/ListBox.h"
#include "app/Unit1.h"

namespace {

struct TFrequencyItem {
  const char* Text;
  TFPowerLineFrequency Value;
};

// The item index is what the rest of the window (and the settings file) stores.
const TFrequencyItem kFrequencyItems[] = {
    {"PAL - 50Hz", TFPowerLineFrequency::pf50Hz},
    {"NTSC - 60Hz", TFPowerLineFrequency::pf60Hz},
};
constexpr int kFrequencyItemCount = static_cast<int>(std::size(kFrequencyItems));

}  // namespace

void TFormMain::FillFrequencyList() {
  ComboBoxFrequency->Clear();
  ComboBoxFrequency->BeginUpdate();
  const QIcon icon = Picture(QStringLiteral("herz"))->Icon();
  for (const TFrequencyItem& item : kFrequencyItems) {
    ComboBoxFrequency->AddEntry(QString::fromLatin1(item.Text), icon, 14, 20);
  }
  ComboBoxFrequency->EndUpdate();
}

void TFormMain::validatefrequency() {
  if (!FCamera->PowerLineFrequencySupported()) return;
  const TFPowerLineFrequency current = FCamera->PowerLineFrequency();
  for (int index = 0; index < kFrequencyItemCount; ++index) {
    if (kFrequencyItems[index].Value == current) ComboBoxFrequency->SetItemIndex(index);
  }
}

void TFormMain::ComboBoxFrequencyClick(QObject*) {
  if (!FCamera->PowerLineFrequencySupported()) return;
  const int index = ComboBoxFrequency->ItemIndex();
  if (index >= 0 && index < kFrequencyItemCount) FCamera->SetPowerLineFrequency(kFrequencyItems[index].Value);
  validatefrequency();
}
