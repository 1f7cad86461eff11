#include "tests/app/MainWindowHarness.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QSlider>
#include <QTest>

#include "ui/Image.h"
#include "ui/ListBox.h"
#include "ui/TrackBar.h"

using namespace tavelo::platform;

MainWindowTest::MainWindowTest() : previousSettingsDirectory_(qgetenv("TAVELO_SETTINGS_DIR")) {
  qputenv("TAVELO_SETTINGS_DIR", SettingsDirectory().toUtf8());
  TMessageForm::SetAutoAnswer([this](TMessageForm& form) {
    notices << form.Label1->text();
    noticeCaptions << form.windowTitle();
    noticeFrames << form.frameGeometry();
    return answer;
  });
}

MainWindowTest::~MainWindowTest() {
  window_.reset();  // before the platform and the other windows
  livecamForm_.reset();
  messageForm_.reset();
  TMessageForm::SetAutoAnswer({});
  qputenv("TAVELO_SETTINGS_DIR", previousSettingsDirectory_);
}

void MainWindowTest::UseSimulated(const std::vector<std::string>& profiles) {
  std::string error;
  simulated_ = CreateSimulatedPlatform(profiles, &error);
  if (!simulated_) ADD_FAILURE() << "simulated platform: " << error;
}

TFormMain& MainWindowTest::Start(QStringList arguments) {
  if (!simulated_) UseSimulated({});
  return StartOn(simulated_, std::move(arguments));
}

TFormMain& MainWindowTest::StartOn(std::shared_ptr<CapturePlatform> platform, QStringList arguments) {
  // The order of the program: the main window first, then the windows it is handed.
  window_ = std::make_unique<TFormMain>(std::move(platform), std::move(arguments));
  messageForm_ = std::make_unique<TMessageForm>();
  livecamForm_ = std::make_unique<TLivecamForm>();
  window_->SetMessageForm(messageForm_.get());
  window_->SetLivecamForm(livecamForm_.get());
  window_->show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  return *window_;
}

std::string MainWindowTest::WriteProfile(const std::string& fileName, const std::string& text) {
  const QString path = dir_.filePath(QString::fromStdString(fileName));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.c_str()) < 0) {
    ADD_FAILURE() << "cannot write " << path.toStdString();
  }
  return path.toStdString();
}

std::string MainWindowTest::WriteCamera(const std::string& fileName, const std::string& friendlyName,
                                        const std::string& sections, bool withFormat) {
  std::string text = "[Device]\nFriendlyName=" + friendlyName + "\nDevicePath=sim://" + fileName + "\n\n" + sections;
  if (withFormat) text += "\n[Format]\nSubtype=YUY2\nWidth=640\nHeight=480\nFrameRates=30\n";
  return WriteProfile(fileName, text);
}

const TPropertyRow& MainWindowTest::Row(TFCameraProperty property) const {
  for (const TPropertyRow& row : window_->PropertyRows()) {
    if (row.Entry->Property == property) return row;
  }
  throw std::logic_error("no row for the property");
}

void MainWindowTest::ClickEntry(TListBox* list, int index) {
  QListWidgetItem* entry = list->item(index);
  ASSERT_NE(entry, nullptr) << "no entry " << index;
  list->scrollToItem(entry);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(entry).center());
}

void MainWindowTest::ClickCheckBox(QCheckBox* box) {
  ASSERT_TRUE(box->isEnabled()) << box->objectName().toStdString() << " is disabled";
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

void MainWindowTest::ClickLogo() {
  QTest::mouseClick(window_->Velmarlogo, Qt::LeftButton, {}, window_->Velmarlogo->rect().center());
}

void MainWindowTest::DragSlider(TTrackBar* trackBar, double value) {
  ASSERT_TRUE(trackBar->isEnabled()) << trackBar->objectName().toStdString() << " is disabled";
  QSlider* slider = trackBar->Slider();
  const double span = trackBar->Max() - trackBar->Min();
  const int position =
      span > 0 ? static_cast<int>(std::lround((value - trackBar->Min()) / span * slider->maximum())) : 0;
  slider->setSliderDown(true);
  slider->setSliderPosition(position);
  slider->setSliderDown(false);
}

void MainWindowTest::ResizeOuterWidth(int width) {
  const int frame = window_->frameGeometry().width() - window_->width();
  window_->resize(width - frame, window_->height());
  QCoreApplication::sendPostedEvents();
}

namespace {

PropertyFamily FamilyOf(TFCameraProperty property) {
  return PropertyInfo(property).Interface == TFPropertyInterface::VideoProcAmp ? PropertyFamily::VideoProcAmp
                                                                              : PropertyFamily::CameraControl;
}

}  // namespace

CallFault PropertyFault(SimulatedCall call, TFCameraProperty property, Result result, int times) {
  CallFault fault;
  fault.call = call;
  fault.family = FamilyOf(property);
  fault.id = PropertyInfo(property).Id;
  fault.result = result;
  fault.times = times;
  return fault;
}

PropertyState DriverState(SimulatedPlatform& platform, const std::string& device, TFCameraProperty property) {
  const std::optional<PropertyState> state =
      platform.ReadProperty(device, FamilyOf(property), PropertyInfo(property).Id);
  if (!state) ADD_FAILURE() << device << " lacks " << PropertyInfo(property).Name;
  return state.value_or(PropertyState{});
}
