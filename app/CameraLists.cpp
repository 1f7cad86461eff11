// The camera list and the video format list of the selected camera.

#include <QIcon>
#include <QLabel>

#include "ui/ButtonImage.h"
#include "app/DisplayTexts.h"
#include "app/LayoutRules.h"
#include "ui/Image.h"
#include "ui/ListBox.h"
#include "ui/LiveCam.h"
#include "app/Unit1.h"

namespace {

constexpr int kCameraFontSize = 18;
constexpr int kFormatFontSize = 14;
// Each camera entry carries its device's path: entries may share a name, never a device.
constexpr int kDevicePathRole = Qt::UserRole;

// Keeps a list's update block open for a scope, whatever leaves it.
class TUpdateBlock {
 public:
  explicit TUpdateBlock(TListBox* list) : FList(list) { FList->BeginUpdate(); }
  ~TUpdateBlock() { FList->EndUpdate(); }
  TUpdateBlock(const TUpdateBlock&) = delete;
  TUpdateBlock& operator=(const TUpdateBlock&) = delete;

 private:
  TListBox* FList;
};

QString SelectedText(const TListBox* list) {
  const int index = list->ItemIndex();
  return index >= 0 ? list->ItemText(index) : QString();
}

QString SelectedDevicePath(const TListBox* list) {
  const int index = list->ItemIndex();
  return index >= 0 ? list->item(index)->data(kDevicePathRole).toString() : QString();
}

}  // namespace

void TFormMain::RefreshDevices() {
  {
    TUpdateBlock block(ComboBoxCamera);
    const QString remembered = SelectedText(ComboBoxCamera);
    const TFVideoCaptureDevices devices = FCamera->Devices();
    ComboBoxCamera->Clear();
    ComboBoxCamera->SetListHeight(0);
    const QIcon icon = Picture(QStringLiteral("Webcam"))->Icon();
    for (const TFVideoCaptureDevice& device : devices) {
      ComboBoxCamera->AddEntry(device.Name, icon, kCameraFontSize, kCameraEntryHeight);
      ComboBoxCamera->item(ComboBoxCamera->Count() - 1)->setData(kDevicePathRole, device.Path);
    }
    ComboBoxCamera->SetListHeight(CameraListHeight(ComboBoxCamera->Count()));
    for (int i = 0; i < ComboBoxCamera->Count(); ++i) {
      if (SameTextIgnoringAsciiCase(ComboBoxCamera->ItemText(i), remembered)) {
        ComboBoxCamera->SetItemIndex(i);
        break;
      }
    }
  }
  ReadSelectedCamera([this] {
    // With two or more cameras the first one is always selected; a single camera only stays selected.
    if (ComboBoxCamera->Count() > 1) SelectCameraEntry(0);
    SetFormats();
    SetTrackBars();
  });
  const bool cameraSelected = !FCamera->DeviceName().isEmpty();
  for (TButtonImage* button : {ButtonDefaultValues, ButtonWindows, ButtonWrite, ButtonRead}) {
    button->setEnabled(cameraSelected);
  }
  if (ComboBoxFormat->Count() > 0) SelectRememberedFormat();
}

void TFormMain::SetFormats() {
  ClearFormatList();
  ComboBoxFormat->SetListHeight(0);
  TUpdateBlock block(ComboBoxFormat);
  FCamera->SetActive(false);
  FCamera->SelectDevice(SelectedText(ComboBoxCamera), SelectedDevicePath(ComboBoxCamera));
  FollowSelectedCamera();
  ComboBoxFormat->Clear();
  ComboBoxFormat->SetListHeight(0);
  const bool cameraSelected = !FCamera->DeviceName().isEmpty();
  ComboBoxFormat->setEnabled(cameraSelected);
  if (!cameraSelected) return;

  for (const TFCameraFormat& format : FCamera->SupportedFormats()) {
    const QIcon icon = Picture(FormatIconName(format.Height))->Icon();
    ComboBoxFormat->AddEntry(FormatEntryText(format), icon, kFormatFontSize, kFormatEntryHeight);
  }
  const int formats = ComboBoxFormat->Count();
  if (formats == 0) {
    SupportLevel = 0;
  } else {
    Trace(QString::number(formats * kFormatEntryHeight));  // the entries' height, before the list is fitted
    ComboBoxFormat->SetListHeight(FormatListHeight(formats));
    SupportLevel = 1;
  }
  SetSupportStatus();
}

void TFormMain::ComboBoxCameraChange(QObject*) {
  Trace(QStringLiteral("ComboBoxCameraChange started"));
  FormResize();
  if (ComboBoxCamera->ItemIndex() < 0) {
    ClearFormatList();
    return;
  }
  ReadSelectedCamera([this] {
    Trace(QStringLiteral("   "));
    Trace(QStringLiteral("Starting SetFormats"));
    SetFormats();
    Trace(QStringLiteral("Starting SetTrackBars"));
    SetTrackBars();
  });
  if (ComboBoxFormat->Count() > 0) SelectRememberedFormat();
  SetCaptionToApplicationTitle();
  Trace(QStringLiteral("Doing the \"if not(ComboBoxFormat.Items.c\""));
  if (ComboBoxFormat->Count() == 0) {
    Trace(QStringLiteral("in it"));
    for (QWidget* command :
         std::initializer_list<QWidget*>{ButtonRead, ButtonWrite, ButtonDefaultValues, ButtonWindows, ButtonTestCam}) {
      command->setEnabled(false);
    }
    SupportLabel->setText(QStringLiteral("Camera not configurable"));
    StatusLabel->setText(QStringLiteral(" "));
  }
  Trace(QStringLiteral("Starting FormResize"));
  FormResize();
  Trace(QStringLiteral("ComboBoxCameraChange done"));
}

void TFormMain::ComboBoxFormatChange(QObject*) {
  Trace(QStringLiteral("ComboBoxFormatChange"));
  // The test window does not exist yet during start-up; there is nothing to hide then.
  if (FLivecamForm) {
    FLivecamForm->hide();
    Trace(QStringLiteral("Hide 4"));
  }
  SetSupportStatus();
}

void TFormMain::ComboBoxFormatDblClick(QObject*) {
  if (FLivecamForm && !FLivecamForm->isVisible()) StartDevice();
}

void TFormMain::SelectCameraEntry(int index) { RaiseChanges([&] { ComboBoxCamera->SetItemIndex(index); }); }

void TFormMain::SelectFormatEntry(int index) { RaiseChanges([&] { ComboBoxFormat->SetItemIndex(index); }); }

void TFormMain::SelectRememberedFormat() {
  const bool remembered = LastResolutionIndex >= 0 && LastResolutionIndex < ComboBoxFormat->Count();
  SelectFormatEntry(remembered ? LastResolutionIndex : 0);
}

void TFormMain::ClearFormatList() { RaiseChanges([&] { ComboBoxFormat->Clear(); }); }
