#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <optional>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "ui/MessageUnit.h"

namespace {

// What the window looked like at the moment it was answered.
struct Seen {
  QString caption;
  QString text;
  QString button1;
  bool button2Visible = false;
  bool rectangle2Visible = false;
  QWidget* focus = nullptr;
  bool visible = false;
  QPoint position;
};

class MessageUnitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mainWindow.setGeometry(100, 50, 734, 700);
    AnswerWith(1);
  }
  void TearDown() override { TMessageForm::SetAutoAnswer({}); }

  void AnswerWith(int modalResult) {
    TMessageForm::SetAutoAnswer([this, modalResult](TMessageForm& shown) {
      seen = Seen{shown.windowTitle(),         shown.Label1->text(),         shown.Button1->text(),
                  shown.Button2->isVisible(),  shown.Rectangle2->isVisible(), shown.focusWidget(),
                  shown.isVisible(),           shown.pos()};
      return modalResult;
    });
  }

  QWidget mainWindow;
  TMessageForm form;
  std::optional<Seen> seen;
};

TEST(CentredCoordinateTest, HalvesInFloatingPointAndTruncatesTowardZero) {
  struct Case {
    int ownerStart, ownerExtent, extent, expected;
  };
  for (const Case& c : {Case{100, 734, 455, 239}, Case{0, 200, 455, -127}, Case{0, 455, 455, 0},
                        Case{10, 100, 51, 34}, Case{-100, 100, 455, -277}, Case{50, 740, 240, 300}})
    EXPECT_EQ(CentredCoordinate(c.ownerStart, c.ownerExtent, c.extent), c.expected)
        << c.ownerStart << " " << c.ownerExtent << " " << c.extent;
}

TEST_F(MessageUnitTest, DesignMatchesTheLayout) {
  EXPECT_EQ(form.size(), QSize(439, 240));
  EXPECT_EQ(form.Label1->geometry(), QRect(44, 20, 350, 150));
  EXPECT_EQ(form.Button1->geometry(), QRect(180, 182, 80, 30));
  EXPECT_EQ(form.Button2->geometry(), QRect(291, 182, 80, 30));
  EXPECT_EQ(form.Rectangle1->geometry(), form.Button1->geometry());
  EXPECT_EQ(form.Rectangle2->geometry(), form.Button2->geometry());
  EXPECT_TRUE(form.Button1->font().bold());
  EXPECT_TRUE(form.Button2->font().bold());
  EXPECT_EQ(form.Button2->text(), QStringLiteral("No"));
  EXPECT_TRUE(form.Button2->isDefault());
  EXPECT_TRUE(form.Label1->wordWrap());
  EXPECT_EQ(form.Label1->alignment(), Qt::AlignCenter);
  EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_TRUE((form.windowFlags() & Qt::WindowType_Mask) == Qt::Tool);

  // The rectangles lie behind their buttons.
  const QObjectList& children = form.children();
  EXPECT_LT(children.indexOf(form.Rectangle1), children.indexOf(form.Button1));
  EXPECT_LT(children.indexOf(form.Rectangle2), children.indexOf(form.Button2));

  // Fill and text colours as the window is drawn.
  form.Label1->setText(QStringLiteral("MMMMMMMM"));
  const QImage picture = form.grab().toImage();
  EXPECT_EQ(picture.pixelColor(5, 5), QColor(0x61, 0x5F, 0xAD));
  int whitePixels = 0;
  const QRect text = form.Label1->geometry();
  for (int y = text.top(); y <= text.bottom(); ++y)
    for (int x = text.left(); x <= text.right(); ++x) whitePixels += picture.pixelColor(x, y) == QColor(Qt::white);
  EXPECT_GT(whitePixels, 20);
}

TEST_F(MessageUnitTest, QuestionShowsYesAndNoWithFocusOnNo) {
  AnswerWith(1);
  EXPECT_TRUE(MessageDlgSimple(&form, &mainWindow, QStringLiteral("Overwrite the file?")));

  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->caption, QStringLiteral("Confirm"));
  EXPECT_EQ(seen->text, QStringLiteral("Overwrite the file?"));
  EXPECT_EQ(seen->button1, QStringLiteral("Yes"));
  EXPECT_TRUE(seen->button2Visible);
  EXPECT_TRUE(seen->rectangle2Visible);
  EXPECT_EQ(seen->focus, form.Button2);
  EXPECT_TRUE(seen->visible);
  EXPECT_FALSE(form.isVisible());  // hidden again afterwards
}

TEST_F(MessageUnitTest, NoticeShowsOnlyOkWithFocusOnIt) {
  EXPECT_TRUE(ShowMessageSimple(&form, &mainWindow, QStringLiteral("Camera busy")));

  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->caption, QStringLiteral("Information"));
  EXPECT_EQ(seen->button1, QStringLiteral("Ok"));
  EXPECT_FALSE(seen->button2Visible);
  EXPECT_FALSE(seen->rectangle2Visible);
  EXPECT_EQ(seen->focus, form.Button1);
  EXPECT_FALSE(form.isVisible());
}

TEST_F(MessageUnitTest, ButtonsAreSetUpAnewForEachCall) {
  ShowMessageSimple(&form, &mainWindow, QStringLiteral("notice"));
  MessageDlgSimple(&form, &mainWindow, QStringLiteral("question"));
  EXPECT_EQ(seen->button1, QStringLiteral("Yes"));
  EXPECT_TRUE(seen->button2Visible);
  EXPECT_EQ(seen->focus, form.Button2);

  ShowMessageSimple(&form, &mainWindow, QStringLiteral("notice again"));
  EXPECT_EQ(seen->button1, QStringLiteral("Ok"));
  EXPECT_FALSE(seen->button2Visible);
  EXPECT_EQ(seen->focus, form.Button1);
}

TEST_F(MessageUnitTest, TrueExactlyForModalResultOne) {
  for (const auto& [modalResult, expected] : {std::pair{1, true}, {2, false}, {0, false}, {8, false}}) {
    AnswerWith(modalResult);
    EXPECT_EQ(MessageDlgSimple(&form, &mainWindow, QStringLiteral("?")), expected) << modalResult;
    EXPECT_EQ(ShowMessageSimple(&form, &mainWindow, QStringLiteral("!")), expected) << modalResult;
  }
}

TEST_F(MessageUnitTest, CentredOverTheMainWindowsOuterFrame) {
  MessageDlgSimple(&form, &mainWindow, QStringLiteral("?"));
  const QRect owner = mainWindow.frameGeometry();
  const QRect own = form.frameGeometry();
  EXPECT_EQ(seen->position, QPoint(CentredCoordinate(owner.x(), owner.width(), own.width()),
                                   CentredCoordinate(owner.y(), owner.height(), own.height())));

  // A main window narrower than the message: the message starts left of it.
  mainWindow.setGeometry(0, 0, 200, 100);
  ShowMessageSimple(&form, &mainWindow, QStringLiteral("!"));
  EXPECT_LT(seen->position.x(), 0);
}

TEST_F(MessageUnitTest, MessageIsPlainTextAndLongOnesWrapInside) {
  const QString markup = QStringLiteral("<b>Cam</b> & co");
  ShowMessageSimple(&form, &mainWindow, markup);
  EXPECT_EQ(seen->text, markup);
  EXPECT_EQ(form.Label1->textFormat(), Qt::PlainText);

  const QString longText = QString(QStringLiteral("a rather long word ")).repeated(12);
  form.Label1->setText(longText);
  EXPECT_GT(form.Label1->heightForWidth(350), form.Label1->fontMetrics().height() * 2);
  EXPECT_EQ(form.Label1->width(), 350);
}

TEST_F(MessageUnitTest, WithoutASharedWindowAStandInAsks) {
  AnswerWith(1);
  EXPECT_TRUE(MessageDlgSimple(nullptr, &mainWindow, QStringLiteral("early question")));
  EXPECT_EQ(seen->caption, QStringLiteral("Confirm"));
  EXPECT_EQ(seen->text, QStringLiteral("early question"));
  AnswerWith(2);
  EXPECT_FALSE(MessageDlgSimple(nullptr, nullptr, QStringLiteral("no main window either")));
}

TEST_F(MessageUnitTest, AutoAnswerCanBeRemoved) {
  EXPECT_TRUE(TMessageForm::HasAutoAnswer());
  TMessageForm::SetAutoAnswer({});
  EXPECT_FALSE(TMessageForm::HasAutoAnswer());
}

// The real modal path: keys are typed into the open window.
struct KeyCase {
  const char* name;
  bool question;
  Qt::Key key;
  int modalResult;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class MessageKeyboardTest : public MessageUnitTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(MessageKeyboardTest, KeyAnswersTheOpenWindow) {
  const KeyCase& c = GetParam();
  TMessageForm::SetAutoAnswer({});
  bool typed = false;
  QTimer::singleShot(0, &form, [&] {
    QWidget* target = form.focusWidget() ? form.focusWidget() : &form;
    typed = form.isVisible();
    QTest::keyClick(target, c.key);
  });
  QTimer watchdog;  // never hang the run if the key did not close the window
  QObject::connect(&watchdog, &QTimer::timeout, &form, [&] { form.done(99); });
  watchdog.start(5000);

  const bool answer = c.question ? MessageDlgSimple(&form, &mainWindow, QStringLiteral("?"))
                                 : ShowMessageSimple(&form, &mainWindow, QStringLiteral("!"));
  EXPECT_TRUE(typed);
  EXPECT_EQ(form.result(), c.modalResult) << "99 means the key was ignored";
  EXPECT_EQ(answer, c.modalResult == 1);
  EXPECT_FALSE(form.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Keys, MessageKeyboardTest,
                         ::testing::Values(KeyCase{"QuestionReturnIsNo", true, Qt::Key_Return, 2},
                                           KeyCase{"QuestionEnterIsNo", true, Qt::Key_Enter, 2},
                                           KeyCase{"QuestionEscapeCloses", true, Qt::Key_Escape, 0},
                                           KeyCase{"NoticeReturnIsOk", false, Qt::Key_Return, 1},
                                           KeyCase{"NoticeEscapeCloses", false, Qt::Key_Escape, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
