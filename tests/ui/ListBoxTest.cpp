#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <stdexcept>

#include <gtest/gtest.h>

#include "ui/ListBox.h"
#include "tests/ui/UiTestSupport.h"

namespace {

using tavelo::uitest::PixelAt;

class ListBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list = new TListBox(&window);
    list->setGeometry(10, 10, 240, 140);
    for (const char* text : {"First camera", "Second camera", "Third camera"})
      list->AddEntry(QString::fromLatin1(text), QIcon(), 14, 30);
  }

  void ClickEntry(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
  }

  QWidget window;
  TListBox* list = nullptr;
};

TEST_F(ListBoxTest, ProgrammaticSelectionRaisesChangeOnlyWhenTheIndexChanges) {
  QSignalSpy change(list, &TListBox::Change);
  QSignalSpy clicked(list, &TListBox::Clicked);

  list->SetItemIndex(1);
  list->SetItemIndex(1);
  list->SetItemIndex(2);
  list->SetItemIndex(-1);
  list->SetItemIndex(-1);
  list->SetItemIndex(7);  // out of range clears like -1: no change

  EXPECT_EQ(change.count(), 3);
  EXPECT_EQ(clicked.count(), 0);
  EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(ListBoxTest, UpdateBlockSwallowsChangesIncludingItsEnd) {
  list->SetItemIndex(0);
  QSignalSpy change(list, &TListBox::Change);

  list->BeginUpdate();
  list->BeginUpdate();  // blocks nest
  list->Clear();
  for (const char* text : {"A", "B", "C"}) list->AddEntry(QString::fromLatin1(text), QIcon(), 14, 30);
  list->SetItemIndex(2);
  list->EndUpdate();
  list->SetItemIndex(1);
  EXPECT_TRUE(list->InUpdate());
  list->EndUpdate();

  EXPECT_EQ(change.count(), 0);
  EXPECT_FALSE(list->InUpdate());
  EXPECT_EQ(list->ItemIndex(), 1);

  list->SetItemIndex(0);  // after the block, changes are reported again
  EXPECT_EQ(change.count(), 1);
  list->EndUpdate();  // unbalanced end is harmless
  EXPECT_FALSE(list->InUpdate());
}

TEST_F(ListBoxTest, ClearingTheSelectedListOutsideABlockIsAChange) {
  list->SetItemIndex(2);
  QSignalSpy change(list, &TListBox::Change);
  list->Clear();
  EXPECT_EQ(change.count(), 1);
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(list->Count(), 0);
}

TEST_F(ListBoxTest, UserClickRaisesChangeThenClickedWithTheNewIndex) {
  window.resize(300, 200);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  std::vector<std::pair<QString, int>> events;
  QObject::connect(list, &TListBox::Change, [&] { events.emplace_back("Change", list->ItemIndex()); });
  QObject::connect(list, &TListBox::Clicked, [&] { events.emplace_back("Clicked", list->ItemIndex()); });

  ClickEntry(1);
  ClickEntry(1);                         // clicking the selected entry: a click, no change
  ClickEntry(1, Qt::ControlModifier);    // and it cannot be deselected

  const std::vector<std::pair<QString, int>> expected = {
      {"Change", 1}, {"Clicked", 1}, {"Clicked", 1}, {"Clicked", 1}};
  EXPECT_EQ(events, expected);
  EXPECT_EQ(list->ItemIndex(), 1);
}

TEST_F(ListBoxTest, DoubleClickIsReported) {
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QSignalSpy doubleClicked(list, &TListBox::DblClicked);
  // As the system delivers it: a click, then the double-click event of the second press.
  const QPoint entry = list->visualItemRect(list->item(0)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, entry);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, entry);
  EXPECT_EQ(doubleClicked.count(), 1);
}

TEST_F(ListBoxTest, EntriesHaveTheirHeightFontAndWhiteText) {
  list->AddEntry(QStringLiteral("Tall"), QIcon(), 18, 44);
  QListWidgetItem* tall = list->item(3);

  EXPECT_EQ(list->visualItemRect(tall).height(), 44);
  EXPECT_EQ(list->visualItemRect(list->item(0)).height(), 30);
  EXPECT_EQ(tall->font().pixelSize(), 18);
  EXPECT_EQ(tall->foreground().color(), QColor(Qt::white));
  EXPECT_EQ(list->ItemText(3), QStringLiteral("Tall"));
}

TEST_F(ListBoxTest, ItemTextOutOfRangeThrows) {
  EXPECT_THROW(list->ItemText(3), std::out_of_range);
  EXPECT_THROW(list->ItemText(-1), std::out_of_range);
}

TEST_F(ListBoxTest, TakesNoKeyboardFocusAndHoldsItsSetHeight) {
  EXPECT_EQ(list->focusPolicy(), Qt::NoFocus);
  list->SetListHeight(46);
  EXPECT_EQ(list->ListHeight(), 46);
  EXPECT_EQ(list->minimumHeight(), 46);
  EXPECT_EQ(list->maximumHeight(), 46);
  list->SetListHeight(-5);
  EXPECT_EQ(list->ListHeight(), 0);
}

TEST_F(ListBoxTest, BackgroundIsTransparentAndTheSelectionIsSubtle) {
  window.setAutoFillBackground(true);
  QPalette palette = window.palette();
  const QColor windowColour(0x18, 0x18, 0x3E);
  palette.setColor(QPalette::Window, windowColour);
  window.setPalette(palette);
  window.resize(300, 200);
  list->SetItemIndex(0);

  const QPixmap picture = window.grab();
  const QRect empty(list->geometry().topLeft() + QPoint(0, 3 * 30), QSize(240, 20));
  EXPECT_EQ(PixelAt(picture, empty.center()), windowColour);

  // Left end of the selected entry, clear of text: lighter than the window, but only a little.
  const QColor selected = PixelAt(picture, list->geometry().topLeft() + QPoint(3, 15));
  EXPECT_GT(selected.lightness(), windowColour.lightness());
  EXPECT_LT(selected.lightness(), windowColour.lightness() + 80);
}

}  // namespace
