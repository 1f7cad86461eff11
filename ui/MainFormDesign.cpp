#include "ui/MainFormDesign.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/BarButton.h"
#include "ui/ButtonImage.h"
#include "ui/ControlStyle.h"
#include "ui/DockLayout.h"
#include "ui/Effects.h"
#include "ui/Fonts.h"
#include "ui/Image.h"
#include "ui/ListBox.h"
#include "ui/Rectangle.h"
#include "ui/Timer.h"
#include "ui/TrackBar.h"

namespace {

const QColor kDesignFill(0xFF4B419A);
const QColor kWhite(0xFFFFFFFF);
constexpr int kDefaultFontSize = 12;

template <class T>
T* Create(QWidget* parent, const QString& name) {
  auto* control = new T(parent);
  control->setObjectName(name);
  return control;
}

TDockLayout* Dock(QWidget* container) { return static_cast<TDockLayout*>(container->layout()); }

// A container whose children dock to its edges.
QWidget* CreateLayout(QWidget* parent, const QString& name, QSize size) {
  auto* layout = Create<QWidget>(parent, name);
  new TDockLayout(layout);
  layout->resize(size);
  return layout;
}

QLabel* CreateLabel(QWidget* parent, const QString& name, const QString& text, int fontSize, bool bold,
                    const QColor& color, Qt::Alignment alignment) {
  auto* label = Create<QLabel>(parent, name);
  label->setText(text);
  QFont font = label->font();
  font.setBold(bold);
  label->setFont(font);
  SetFontSize(label, fontSize);
  SetFontColor(label, color);
  label->setAlignment(alignment);
  return label;
}

TImage* CreatePicture(QWidget* parent, const QString& name, QSize size, const QString& iconName) {
  auto* image = Create<TImage>(parent, name);
  image->resize(size);
  image->LoadIcon(iconName);
  return image;
}

TGlowEffect* CreateGlow(QWidget* target, const QString& name, double softness, double opacity, bool enabled) {
  auto* glow = new TGlowEffect(target);
  glow->setObjectName(name);
  glow->SetSoftness(SoftnessToBlurRadius(softness));
  glow->SetOpacity(opacity);
  glow->setEnabled(enabled);
  target->setGraphicsEffect(glow);
  return glow;
}

}  // namespace

TMainFormDesign::TMainFormDesign(const std::vector<TPropertyRowDesign>& rowsInScreenOrder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
  InstallFontSubstitutions();
  setObjectName(QStringLiteral("FormMain"));
  setWindowTitle(kDesignCaption);
  QFont font(kWindowFontFamily);
  font.setPixelSize(kDefaultFontSize);
  setFont(font);
  setAutoFillBackground(true);
  SetFill(kDesignFill);
  new TDockLayout(this);
  resize(kDesignClientSize);

  BuildPictureStore();  // first: the buttons and lists take their pictures from it
  BuildStatusStrip();
  BuildLeftColumn();
  BuildMiddleRegion(rowsInScreenOrder);
  BuildPalette();
  BuildTimers();
  BuildMemo();
}

TMainFormDesign::~TMainFormDesign() = default;

QColor TMainFormDesign::Fill() const { return palette().color(QPalette::Window); }

void TMainFormDesign::SetFill(const QColor& fill) {
  QPalette p = palette();
  p.setColor(QPalette::Window, fill);
  setPalette(p);
}

void TMainFormDesign::BuildPictureStore() {
  Hiddenfunctions = Create<QWidget>(this, QStringLiteral("Hiddenfunctions"));
  Hiddenfunctions->setGeometry(1120, 100, 381, 457);

  struct StoredPicture {
    const char* Name;
    const char* IconName;
    QSize Size;
  };
  static const StoredPicture kPictures[] = {
      {"Webcam", "webcam", {36, 36}},       {"herz", "herz", {18, 18}},
      {"res_1080", "res_1080", {26, 26}},   {"res_720", "res_720", {26, 26}},
      {"res_pal", "res_pal", {26, 26}},     {"res_vga", "res_vga", {26, 26}},
      {"res_ega", "res_ega", {26, 26}},     {"open", "open", {37, 33}},
      {"opendown", "opendown", {37, 33}},   {"save", "save", {37, 33}},
      {"savedown", "savedown", {37, 33}},   {"x", "x", {37, 33}},
      {"xdown", "xdown", {37, 33}},         {"factory", "factory", {37, 33}},
      {"factorydown", "factorydown", {37, 33}},
  };
  int index = 0;
  for (const StoredPicture& stored : kPictures) {
    const QString name = QString::fromLatin1(stored.Name);
    TImage* picture = CreatePicture(Hiddenfunctions, name, stored.Size, QString::fromLatin1(stored.IconName));
    picture->move(8 + (index % 5) * 74, 8 + (index / 5) * 60);
    FPictures.insert(name, picture);
    ++index;
  }
  PaintBox = Create<TPaintBox>(Hiddenfunctions, QStringLiteral("PaintBox"));
  PaintBox->setGeometry(8, 200, 269, 161);
}

void TMainFormDesign::BuildStatusStrip() {
  MessagePanel = CreateLayout(this, QStringLiteral("MessagePanel"), {kDesignClientSize.width(), 24});
  Dock(this)->AddControl(MessagePanel, TAlign::Bottom);

  StatusPanelColor = new TRectangle(MessagePanel);
  StatusPanelColor->setObjectName(QStringLiteral("StatusPanelColor"));
  Dock(MessagePanel)->AddControl(StatusPanelColor, TAlign::Contents);

  const auto statusText = [&](const QString& name, const QString& text, Qt::Alignment alignment) {
    return CreateLabel(MessagePanel, name, text, kDefaultFontSize, true, kWhite, alignment | Qt::AlignVCenter);
  };
  StatusLabel = statusText(QStringLiteral("StatusLabel"), QStringLiteral("Modified"), Qt::AlignLeft);
  StatusLabel->resize(68, 24);
  Dock(MessagePanel)->AddControl(StatusLabel, TAlign::Left, {5, 0, 0, 0});
  SupportLabel = statusText(QStringLiteral("SupportLabel"), QStringLiteral("not done yet"), Qt::AlignRight);
  SupportLabel->resize(385, 24);
  Dock(MessagePanel)->AddControl(SupportLabel, TAlign::Right, {0, 0, 5, 0});
  MessageLabel = statusText(QStringLiteral("MessageLabel"), QString(), Qt::AlignHCenter);
  Dock(MessagePanel)->AddControl(MessageLabel, TAlign::Client);
}

void TMainFormDesign::BuildLeftColumn() {
  LayoutListe = CreateLayout(this, QStringLiteral("LayoutListe"), {260, kDesignClientSize.height() - 24});
  Dock(this)->AddControl(LayoutListe, TAlign::Left, {5, 0, 5, 0});

  Velmarlogo = CreatePicture(LayoutListe, QStringLiteral("Velmarlogo"), {250, 80}, QStringLiteral("logo"));
  Velmarlogo->setCursor(Qt::PointingHandCursor);
  Dock(LayoutListe)->AddControl(Velmarlogo, TAlign::Top, {5, 5, 5, 0});

  KeepSynced = Create<QCheckBox>(LayoutListe, QStringLiteral("KeepSynced"));
  KeepSynced->setText(QStringLiteral("Keep synchronized"));
  KeepSynced->setChecked(true);
  KeepSynced->resize(230, 19);
  SetFontColor(KeepSynced, kWhite);
  KeepSynced->hide();
  Dock(LayoutListe)->AddControl(KeepSynced, TAlign::Top, {30, 5, 0, 0});

  LayoutButtons = CreateLayout(LayoutListe, QStringLiteral("LayoutButtons"), {260, 75});
  Dock(LayoutListe)->AddControl(LayoutButtons, TAlign::Top, {0, 10, 0, 0});
  BuildCommandButtons();

  ComboBoxCamera = Create<TListBox>(LayoutListe, QStringLiteral("ComboBoxCamera"));
  ComboBoxCamera->setFocusPolicy(Qt::NoFocus);
  ComboBoxCamera->resize(260, 181);
  ComboBoxCamera->SetListHeight(181);
  Dock(LayoutListe)->AddControl(ComboBoxCamera, TAlign::Top, {0, 10, 0, 0});

  BuildFrequencyBlock(LayoutListe);

  ComboBoxFormat = Create<TListBox>(LayoutListe, QStringLiteral("ComboBoxFormat"));
  ComboBoxFormat->setFocusPolicy(Qt::NoFocus);
  ComboBoxFormat->resize(250, 100);
  ComboBoxFormat->SetListHeight(100);
  ComboBoxFormat->hide();
  Dock(LayoutListe)->AddControl(ComboBoxFormat, TAlign::Top, {5, 20, 5, 15});

  BuildCameraTestArea(LayoutListe);
}

void TMainFormDesign::BuildCommandButtons() {
  // Four columns, 41 wide with 18 between them, the first 5 from the left. The pictures sit at the top
  // of each column; the captions below may be wider than their column and overhang it.
  struct CommandButton {
    TButtonImage* TMainFormDesign::*Button;
    const char* ButtonName;
    const char* Up;
    const char* Down;
    QLabel* TMainFormDesign::*Caption;
    const char* CaptionName;
    const char* CaptionText;
    int CaptionWidth;
    Qt::Alignment CaptionVertical;
  };
  static const CommandButton kButtons[] = {
      {&TMainFormDesign::ButtonRead, "ButtonRead", "open", "opendown", &TMainFormDesign::Label2, "Label2", "Load", 47,
       Qt::AlignTop},
      {&TMainFormDesign::ButtonWrite, "ButtonWrite", "save", "savedown", &TMainFormDesign::Label1, "Label1", "Save", 41,
       Qt::AlignTop},
      {&TMainFormDesign::ButtonWindows, "ButtonWindows", "x", "xdown", &TMainFormDesign::Label3, "Label3",
       "System Dialog", 47, Qt::AlignVCenter},
      {&TMainFormDesign::ButtonDefaultValues, "ButtonDefaultValues", "factory", "factorydown",
       &TMainFormDesign::Defaults, "Defaults", "Factory default", 47, Qt::AlignTop},
  };
  constexpr int kColumnWidth = 41, kColumnGap = 18, kFirstColumnLeft = 5;
  int column = 0;
  for (const CommandButton& command : kButtons) {
    const int left = kFirstColumnLeft + column * (kColumnWidth + kColumnGap);
    auto* button = Create<TButtonImage>(LayoutButtons, QString::fromLatin1(command.ButtonName));
    button->setGeometry(left + 2, 2, 37, 33);
    button->SetImageUp(Picture(QString::fromLatin1(command.Up)));
    button->SetImageDown(Picture(QString::fromLatin1(command.Down)));
    button->Initialize();
    button->setGraphicsEffect(MakeDropShadow(button, kWhite, 3, 45, 0.3, 0.6));
    this->*command.Button = button;

    QLabel* caption = CreateLabel(LayoutButtons, QString::fromLatin1(command.CaptionName),
                                  QString::fromLatin1(command.CaptionText), 14, false, kWhite,
                                  Qt::AlignHCenter | command.CaptionVertical);
    caption->setWordWrap(true);
    const int overhang = (command.CaptionWidth - kColumnWidth) / 2;
    caption->setGeometry(left - overhang, 2 + 33 + 2 + 3, command.CaptionWidth, 35);
    this->*command.Caption = caption;
    ++column;
  }
}

void TMainFormDesign::BuildFrequencyBlock(QWidget* column) {
  // The block is drawn as tall as its label and list together (the list would overhang a shorter
  // block); it keeps the room below it that the column leaves for it.
  LayoutFrequency = CreateLayout(column, QStringLiteral("LayoutFrequency"), {260, 74});
  Dock(column)->AddControl(LayoutFrequency, TAlign::Top, {0, 10, 0, 6});

  powerfrequencylabel = CreateLabel(LayoutFrequency, QStringLiteral("powerfrequencylabel"),
                                    QStringLiteral("Power frequency"), 14, true, kWhite, Qt::AlignLeft | Qt::AlignVCenter);
  powerfrequencylabel->resize(250, 17);
  Dock(LayoutFrequency)->AddControl(powerfrequencylabel, TAlign::Top, {10, 10, 0, 5});

  ComboBoxFrequency = Create<TListBox>(LayoutFrequency, QStringLiteral("ComboBoxFrequency"));
  ComboBoxFrequency->setFocusPolicy(Qt::NoFocus);
  ComboBoxFrequency->resize(234, 42);
  ComboBoxFrequency->SetListHeight(42);
  Dock(LayoutFrequency)->AddControl(ComboBoxFrequency, TAlign::Top, {13, 0, 13, 0});
  // Placeholders of the design; start-up replaces them.
  ComboBoxFrequency->AddEntry(QStringLiteral("50 Hz"), QIcon(), 14, 20);
  ComboBoxFrequency->AddEntry(QStringLiteral("60 Hz"), QIcon(), 14, 20);
}

void TMainFormDesign::BuildCameraTestArea(QWidget* column) {
  LayoutButtonTestCam = CreateLayout(column, QStringLiteral("LayoutButtonTestCam"), {260, 143});
  LayoutButtonTestCam->hide();
  Dock(column)->AddControl(LayoutButtonTestCam, TAlign::Top, {0, 70, 0, 0});

  cameratestlabel = CreateLabel(LayoutButtonTestCam, QStringLiteral("cameratestlabel"),
                                QStringLiteral("Click camera to test with resolution:"), 14, true, kWhite,
                                Qt::AlignCenter);
  cameratestlabel->setWordWrap(true);
  cameratestlabel->resize(260, 60);
  Dock(LayoutButtonTestCam)->AddControl(cameratestlabel, TAlign::Top, {0, -50, 0, 0});

  Image1 = CreatePicture(LayoutButtonTestCam, QStringLiteral("Image1"), {128, 128}, QStringLiteral("camera"));
  Image1->setAttribute(Qt::WA_TransparentForMouseEvents);
  Dock(LayoutButtonTestCam)->AddControl(Image1, TAlign::Contents);
  CameraIconInnerGlow = CreateGlow(Image1, QStringLiteral("CameraIconInnerGlow"), 0.4, 0.8, false);

  // Qt gives a widget one effect: the icon's outer blink glow sits on a holder around the icon, the
  // hover glow on the icon itself.
  auto* glowHolder = CreateLayout(LayoutButtonTestCam, QStringLiteral("CameraIconGlowHolder"), {260, 143});
  Dock(LayoutButtonTestCam)->AddControl(glowHolder, TAlign::Contents);
  CameraIconGlow = CreateGlow(glowHolder, QStringLiteral("CameraIconGlow"), 0.7, 0.99, false);
  ButtonTestCam = CreatePicture(glowHolder, QStringLiteral("ButtonTestCam"), {128, 128}, QStringLiteral("camera"));
  ButtonTestCam->setCursor(Qt::PointingHandCursor);
  Dock(glowHolder)->AddControl(ButtonTestCam, TAlign::Client);
  CameraCouldStartGlow = CreateGlow(ButtonTestCam, QStringLiteral("CameraCouldStartGlow"), 0.7, 0.99, true);

  CameraOff = CreatePicture(LayoutButtonTestCam, QStringLiteral("CameraOff"), {24, 26}, QStringLiteral("cameraoff"));
  CameraOff->move(117, 26);
  CameraOff->setAttribute(Qt::WA_TransparentForMouseEvents);
  CameraOff->raise();
  InnerGlowEffect1 = CreateGlow(CameraOff, QStringLiteral("InnerGlowEffect1"), 0.4, 0.8, false);
}

void TMainFormDesign::BuildMiddleRegion(const std::vector<TPropertyRowDesign>& rows) {
  LayoutMid = CreateLayout(this, QStringLiteral("LayoutMid"), {kDesignClientSize.width() - 270, 708});
  Dock(this)->AddControl(LayoutMid, TAlign::Client);

  MasterColor = new TRectangle(LayoutMid, kWhite);
  MasterColor->setObjectName(QStringLiteral("MasterColor"));
  Dock(LayoutMid)->AddControl(MasterColor, TAlign::Contents);

  LayoutMaster = CreateLayout(LayoutMid, QStringLiteral("LayoutMaster"), {LayoutMid->width() - 30, 698});
  Dock(LayoutMid)->AddControl(LayoutMaster, TAlign::Top, {15, 15, 15, 15});
  MonochromeEffect = new TMonochromeEffect(LayoutMaster);
  MonochromeEffect->setObjectName(QStringLiteral("MonochromeEffect"));
  MonochromeEffect->setEnabled(false);
  LayoutMaster->setGraphicsEffect(MonochromeEffect);

  for (const TPropertyRowDesign& design : rows) Rows.push_back(BuildPropertyRow(design));

  BackButton = new TBarButton(LayoutMid, kDesignFill, QColor(0xFF242451));
  BackButton->setObjectName(QStringLiteral("BackButton"));
  BackButton->setText(QStringLiteral("Back to full"));
  BackButton->resize(LayoutMid->width() - 40, 23);
  QFont bold = BackButton->font();
  bold.setBold(true);
  BackButton->setFont(bold);
  SetFontColor(BackButton, kWhite);
  Dock(LayoutMid)->AddControl(BackButton, TAlign::Bottom, {20, 0, 20, 5});
}

TPropertyRowControls TMainFormDesign::BuildPropertyRow(const TPropertyRowDesign& design) {
  const QColor black(0xFF000000);
  TPropertyRowControls row;
  row.Layout = CreateLayout(LayoutMaster, QStringLiteral("Layout") + design.Property, {LayoutMaster->width(), 35});
  Dock(LayoutMaster)->AddControl(row.Layout, TAlign::Top, {0, design.TopMargin, 0, 0});
  TDockLayout* dock = Dock(row.Layout);

  row.Icon = CreatePicture(row.Layout, design.ImageName, {35, 31}, design.IconName);
  dock->AddControl(row.Icon, TAlign::Left, {0, 2, 0, 2});

  row.Label = CreateLabel(row.Layout, QStringLiteral("Label") + design.Property, design.LabelText, design.LabelFontSize,
                          false, black, Qt::AlignLeft | Qt::AlignVCenter);
  row.Label->setWordWrap(false);
  row.Label->resize(121, 35);
  dock->AddControl(row.Label, TAlign::Left, {5, 0, 0, 0});

  row.CheckBox = Create<QCheckBox>(row.Layout, QStringLiteral("CheckBox") + design.Property);
  row.CheckBox->setText(QStringLiteral("Auto"));
  row.CheckBox->resize(65, 35);
  row.CheckBox->setEnabled(false);
  SetFontSize(row.CheckBox, 14);
  SetFontColor(row.CheckBox, black);
  dock->AddControl(row.CheckBox, TAlign::Right);

  row.ValueBox = CreateLayout(row.Layout, design.ValueBoxName, {40, 35});
  dock->AddControl(row.ValueBox, TAlign::Right);
  row.ValueLabel = CreateLabel(row.ValueBox, QStringLiteral("Label") + design.Property + QStringLiteral("Value"),
                               design.DesignValueText, 14, false, kWhite, Qt::AlignCenter);
  row.ValueLabel->setEnabled(false);
  Dock(row.ValueBox)->AddControl(row.ValueLabel, TAlign::Client);

  row.TrackBar = new TTrackBar(row.Layout, 1.3);
  row.TrackBar->setObjectName(QStringLiteral("TrackBar") + design.Property);
  row.TrackBar->setEnabled(false);
  dock->AddControl(row.TrackBar, TAlign::Client);

  row.Monochrome = new TMonochromeEffect(row.Layout);
  row.Monochrome->setObjectName(QStringLiteral("Layout") + design.Property + QStringLiteral("Monochrome"));
  row.Monochrome->setEnabled(false);
  row.Layout->setGraphicsEffect(row.Monochrome);
  return row;
}

void TMainFormDesign::BuildPalette() {
  struct Swatch {
    TRectangle* TMainFormDesign::*Member;
    const char* Name;
    QRgb Color;
  };
  static const Swatch kSwatches[] = {
      {&TMainFormDesign::ColorDarkest, "ColorDarkest", 0xFF18183E},
      {&TMainFormDesign::ColorDark, "ColorDark", 0xFF242451},
      {&TMainFormDesign::ColorMid, "ColorMid", 0xFF424280},
      {&TMainFormDesign::ColorBright, "ColorBright", 0xFF6360E3},
  };
  int index = 0;
  for (const Swatch& swatch : kSwatches) {
    auto* rectangle = new TRectangle(this, QColor::fromRgba(swatch.Color));
    rectangle->setObjectName(QString::fromLatin1(swatch.Name));
    rectangle->setGeometry(1300 + index * 55, 600, 50, 50);
    rectangle->hide();
    this->*swatch.Member = rectangle;
    ++index;
  }
}

void TMainFormDesign::BuildTimers() {
  const auto timer = [this](const char* name, int interval, bool enabled) {
    auto* t = new TTimer(this, interval, enabled);
    t->setObjectName(QString::fromLatin1(name));
    return t;
  };
  RefreshTimer = timer("RefreshTimer", 5000, true);
  MessageTimer = timer("MessageTimer", 0, true);
  CameraTimer = timer("CameraTimer", 0, false);
  CameraGlowTimer = timer("CameraGlowTimer", 0, true);
}

void TMainFormDesign::BuildMemo() {
  // A text box with its document, scroll bars and font costs more to build than most of the window, and
  // only trace mode ever shows it.
  Memo1 = TCreatedOnFirstUse<QPlainTextEdit>([this] {
    auto* memo = Create<QPlainTextEdit>(this, QStringLiteral("Memo1"));
    memo->setGeometry(0, 368, 257, 321);
    memo->setReadOnly(true);
    memo->setPlainText(QStringLiteral("Memo1"));
    memo->raise();
    memo->show();  // visible by design, also when it is built after the window was shown
    return memo;
  });
}
