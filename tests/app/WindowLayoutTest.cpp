// The main window's regions, row template and resize rules.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

#include "ui/ButtonImage.h"
#include "ui/ControlStyle.h"
#include "ui/Effects.h"
#include "ui/Rectangle.h"
#include "ui/Timer.h"
#include "ui/Image.h"
#include "ui/ListBox.h"
#include "ui/TrackBar.h"
#include <QPlainTextEdit>
#include "tests/app/MainWindowHarness.h"

namespace {

class WindowLayoutTest : public MainWindowTest {
 protected:
  // Geometry of `widget` in the window's coordinates, once pending layouts have run.
  QRect InWindow(QWidget* widget) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    return QRect(widget->mapTo(&Window(), QPoint(0, 0)), widget->size());
  }
};

TEST_F(WindowLayoutTest, WidthBandsHidePartsOfTheRowsAndFinallyTheLeftColumn) {
  TFormMain& window = Start();
  const struct {
    int width;
    bool column, autoBoxes, valueBoxes, nameLabels;
  } cases[] = {{299, false, false, false, false}, {300, true, false, false, false}, {449, true, false, false, false},
               {450, true, true, false, false},   {549, true, true, false, false},  {550, true, true, true, false},
               {649, true, true, true, false},    {650, true, true, true, true},    {1517, true, true, true, true},
               {320, true, false, false, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.width);
    ResizeOuterWidth(c.width);
    ASSERT_EQ(window.frameGeometry().width(), c.width);
    EXPECT_EQ(!window.LayoutListe->isHidden(), c.column);
    EXPECT_EQ(!window.MessagePanel->isHidden(), c.column);
    EXPECT_EQ(!window.BackButton->isHidden(), !c.column);
    for (const TPropertyRow& row : window.PropertyRows()) {
      EXPECT_EQ(!row.Controls.CheckBox->isHidden(), c.autoBoxes) << row.Entry->Name().toStdString();
      EXPECT_EQ(!row.Controls.ValueBox->isHidden(), c.valueBoxes) << row.Entry->Name().toStdString();
      EXPECT_EQ(!row.Controls.Label->isHidden(), c.nameLabels) << row.Entry->Name().toStdString();
    }
  }
}

TEST_F(WindowLayoutTest, HeightSnapsBackTo740) {
  TFormMain& window = Start();
  for (const int height : {500, 900, 740}) {
    window.resize(window.width(), height);
    EXPECT_EQ(window.frameGeometry().height(), 740) << height;
  }
}

TEST_F(WindowLayoutTest, BackToFullBarSpansTheBottomOfTheCompactWindow) {
  TFormMain& window = Start();
  ResizeOuterWidth(280);
  const int width = window.width(), height = window.height();
  EXPECT_EQ(InWindow(window.LayoutMid), QRect(0, 0, width, height));
  EXPECT_EQ(InWindow(window.BackButton), QRect(20, height - 5 - 23, width - 40, 23));
}

TEST_F(WindowLayoutTest, BackToFullRestoresTheTopBand) {
  TFormMain& window = Start();
  ResizeOuterWidth(280);
  ASSERT_FALSE(window.BackButton->isHidden());
  QTest::mouseClick(window.BackButton, Qt::LeftButton);
  EXPECT_EQ(window.frameGeometry().width(), 734);
  EXPECT_TRUE(window.BackButton->isHidden());
  EXPECT_FALSE(window.LayoutListe->isHidden());
  EXPECT_FALSE(Row(TFCameraProperty::Gain).Controls.Label->isHidden());
}

TEST_F(WindowLayoutTest, RegionsTakeTheirRoomInOrder) {
  TFormMain& window = Start();
  ResizeOuterWidth(734);
  const int width = window.width(), height = window.height();
  EXPECT_EQ(InWindow(window.MessagePanel), QRect(0, height - 24, width, 24));
  EXPECT_EQ(InWindow(window.StatusLabel), QRect(5, height - 24, 68, 24));
  EXPECT_EQ(InWindow(window.SupportLabel), QRect(width - 5 - 385, height - 24, 385, 24));
  EXPECT_EQ(InWindow(window.LayoutListe), QRect(5, 0, 260, height - 24));
  EXPECT_EQ(InWindow(window.LayoutMid), QRect(270, 0, width - 270, height - 24));
  EXPECT_EQ(InWindow(window.LayoutMaster), QRect(285, 15, width - 270 - 30, 698));
  EXPECT_EQ(InWindow(window.Velmarlogo), QRect(10, 5, 250, 80));
  EXPECT_EQ(InWindow(window.LayoutButtons), QRect(5, 95, 260, 75));
  EXPECT_EQ(InWindow(window.ComboBoxCamera), QRect(5, 180, 260, 90));
  EXPECT_EQ(InWindow(window.ButtonRead).topLeft(), QPoint(5 + 5 + 2, 95 + 2));
  EXPECT_EQ(InWindow(window.Defaults), QRect(5 + 5 + 3 * 59 - 3, 95 + 40, 47, 35));
  EXPECT_EQ(InWindow(window.Memo1), QRect(0, 368, 257, 321));
}

TEST_F(WindowLayoutTest, RowsStackInScreenOrderWithTheirTemplate) {
  TFormMain& window = Start();
  ResizeOuterWidth(734);
  std::vector<const TPropertyRow*> rows;
  for (const TPropertyRow& row : window.PropertyRows()) rows.push_back(&row);
  std::sort(rows.begin(), rows.end(), [this](const TPropertyRow* a, const TPropertyRow* b) {
    return InWindow(a->Controls.Layout).top() < InWindow(b->Controls.Layout).top();
  });
  const char* screenOrder[] = {"Exposure",   "Gain",      "WhiteBalance", "Focus", "Zoom", "Brightness",
                               "Saturation", "Contrast",  "Sharpness",    "BacklightCompensation",
                               "Gamma",      "ColorEnable", "Hue",        "Iris",  "Roll", "Tilt", "Pan"};
  const int rowsWidth = window.LayoutMaster->width();
  int expectedTop = 15;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const TPropertyRowControls& c = rows[i]->Controls;
    SCOPED_TRACE(screenOrder[i]);
    EXPECT_EQ(rows[i]->Entry->Name(), screenOrder[i]);
    expectedTop += rows[i]->Entry->Property == TFCameraProperty::Zoom ? 0 : 3;
    const QRect layout = InWindow(c.Layout);
    EXPECT_EQ(layout, QRect(285, expectedTop, rowsWidth, 35));
    EXPECT_EQ(c.Icon->geometry(), QRect(0, 2, 35, 31));
    EXPECT_EQ(c.Label->geometry(), QRect(40, 0, 121, 35));
    EXPECT_EQ(c.ValueBox->geometry(), QRect(rowsWidth - 105, 0, 40, 35));
    // Controls with a natural height of their own stand centred in the row's height.
    const auto horizontally = [](const QRect& r) { return std::pair(r.left(), r.width()); };
    EXPECT_EQ(horizontally(c.CheckBox->geometry()), std::pair(rowsWidth - 65, 65));
    EXPECT_EQ(horizontally(c.TrackBar->geometry()), std::pair(161, rowsWidth - 105 - 161));
    for (const QWidget* part : {static_cast<QWidget*>(c.CheckBox), static_cast<QWidget*>(c.TrackBar)}) {
      const QRect r = part->geometry();
      EXPECT_LE(std::abs(r.top() - (35 - r.bottom() - 1)), 1) << part->objectName().toStdString();
    }
    expectedTop += 35;
  }
}

}  // namespace

namespace {

TEST_F(WindowLayoutTest, EveryComponentCarriesItsDesignName) {
  TFormMain& window = Start();
  QStringList names = {"MessagePanel", "StatusPanelColor", "StatusLabel", "MessageLabel", "SupportLabel",
                       "LayoutListe", "Velmarlogo", "KeepSynced", "LayoutButtons", "ButtonRead", "ButtonWrite",
                       "ButtonWindows", "ButtonDefaultValues", "Label1", "Label2", "Label3", "Defaults",
                       "ComboBoxCamera", "LayoutFrequency", "powerfrequencylabel", "ComboBoxFrequency",
                       "ComboBoxFormat", "LayoutButtonTestCam", "ButtonTestCam", "Image1", "CameraOff",
                       "cameratestlabel", "CameraIconGlow", "CameraCouldStartGlow", "CameraIconInnerGlow",
                       "InnerGlowEffect1", "LayoutMid", "MasterColor", "LayoutMaster", "MonochromeEffect",
                       "BackButton", "ColorDarkest", "ColorDark", "ColorMid", "ColorBright", "Hiddenfunctions",
                       "Webcam", "herz", "res_1080", "res_720", "res_pal", "res_vga", "res_ega", "open", "opendown",
                       "save", "savedown", "x", "xdown", "factory", "factorydown", "PaintBox", "RefreshTimer",
                       "MessageTimer", "CameraTimer", "CameraGlowTimer"};
  for (const TPropertyCatalogueEntry& entry : kPropertyCatalogue) {
    const QString p = entry.Name();
    names << "Layout" + p << "Label" + p << "TrackBar" + p << "Label" + p + "Value" << "CheckBox" + p
          << "Layout" + p + "Monochrome" << entry.ImageName << entry.ValueBoxName;
  }
  for (const QString& name : names) {
    EXPECT_EQ(window.findChildren<QObject*>(name).size(), 1) << name.toStdString();
  }
  EXPECT_EQ(window.objectName(), "FormMain");
  // The trace memo is built when it is first used.
  EXPECT_TRUE(window.findChildren<QObject*>("Memo1").isEmpty());
  QObject* const memo = window.Memo1.get();
  EXPECT_EQ(window.findChildren<QObject*>("Memo1"), QList<QObject*>{memo});
}

TEST_F(WindowLayoutTest, DesignStatesOfTheHiddenAndTimedMembers) {
  TFormMain& window = Start();
  EXPECT_TRUE(window.KeepSynced->isHidden());
  EXPECT_TRUE(window.KeepSynced->isChecked());
  EXPECT_EQ(window.KeepSynced->text(), "Keep synchronized");
  EXPECT_TRUE(window.ComboBoxFormat->isHidden());
  EXPECT_TRUE(window.LayoutButtonTestCam->isHidden());
  EXPECT_TRUE(window.CameraCouldStartGlow->isEnabled());
  EXPECT_FALSE(window.CameraIconGlow->isEnabled());
  EXPECT_FALSE(window.CameraIconInnerGlow->isEnabled());
  EXPECT_TRUE(window.RefreshTimer->IsCounting());
  EXPECT_EQ(window.RefreshTimer->Interval(), 5000);
  EXPECT_TRUE(window.MessageTimer->Enabled());
  EXPECT_EQ(window.MessageTimer->Interval(), 0);
  EXPECT_FALSE(window.CameraTimer->Enabled());
  EXPECT_TRUE(window.CameraGlowTimer->Enabled());
  EXPECT_EQ(window.CameraGlowTimer->Interval(), 0);
  EXPECT_EQ(window.BackButton->text(), "Back to full");
  const QStringList captions = {window.Label2->text(), window.Label1->text(), window.Label3->text(),
                                window.Defaults->text()};
  EXPECT_EQ(captions, QStringList({"Load", "Save", "System Dialog", "Factory default"}));
  EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
}

TEST_F(WindowLayoutTest, StartUpColoursTheWindowFromThePalette) {
  TFormMain& window = Start();
  EXPECT_EQ(window.ColorDarkest->Fill(), QColor(0xFF18183E));
  EXPECT_EQ(window.Fill(), window.ColorDarkest->Fill());
  EXPECT_EQ(window.StatusPanelColor->Fill(), window.ColorDark->Fill());
  EXPECT_EQ(window.MasterColor->Fill(), QColor(0xFFFFFFFF));
  EXPECT_EQ(FontColor(window.cameratestlabel), QColor(0xFF6360E3));
  EXPECT_EQ(FontColor(window.powerfrequencylabel), window.ColorBright->Fill());
  EXPECT_EQ(window.CameraCouldStartGlow->GlowColor(), QColor(0xFF424280));
  EXPECT_EQ(window.CameraIconGlow->GlowColor(), window.ColorBright->Fill());
  EXPECT_EQ(window.CameraIconInnerGlow->GlowColor(), window.ColorBright->Fill());
  for (QLabel* caption : {window.Label1, window.Label2, window.Label3, window.Defaults}) {
    EXPECT_EQ(FontColor(caption), QColor(0xFFFFFFFF));
  }
}

}  // namespace
