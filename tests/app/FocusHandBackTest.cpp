// The focus hand-back: the request runs on the GUI thread after the caller returns, a control that has
// gone is left alone, and no carrier thread outlives the hand-back, even with its request never run.
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

#include "app/FocusHandBack.h"

namespace {

class FocusHandBackTest : public ::testing::Test {
 protected:
  FocusHandBackTest() {
    auto* layout = new QVBoxLayout(&window_);
    first_ = new QLineEdit(&window_);
    second_ = new QLineEdit(&window_);
    layout->addWidget(first_);
    layout->addWidget(second_);
    window_.show();
    window_.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window_));
    first_->setFocus();
  }

  // The GUI thread runs handed-over requests until `done` holds, at most a few seconds.
  static bool ProcessUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 500 && !done(); ++i) QTest::qWait(5);
    return done();
  }

  QWidget window_;
  QLineEdit* first_;
  QLineEdit* second_;
};

TEST_F(FocusHandBackTest, TheRequestRunsOnTheGuiThreadOnceTheCallerHasReturned) {
  TFocusHandBack handBack;
  handBack.Request(second_);
  EXPECT_TRUE(first_->hasFocus()) << "nothing happens before the GUI thread handles requests";
  EXPECT_TRUE(ProcessUntil([&] { return second_->hasFocus(); }));

  // Its carrier ends once the request has run, and is joined at the next request: carriers do not pile up
  // over a long run.
  EXPECT_TRUE(ProcessUntil([&] { return handBack.ThreadsRunning() == 0; }));
  EXPECT_EQ(handBack.ThreadsKept(), 1);
  handBack.Request(first_);
  EXPECT_EQ(handBack.ThreadsKept(), 1);
  EXPECT_TRUE(ProcessUntil([&] { return first_->hasFocus(); }));
}

TEST_F(FocusHandBackTest, AnEmptyOrVanishedControlIsNotFocused) {
  TFocusHandBack handBack;
  handBack.Request(nullptr);
  auto* doomed = new QLineEdit(&window_);
  handBack.Request(doomed);
  delete doomed;
  handBack.Request(second_);  // runs after the two before it
  EXPECT_TRUE(ProcessUntil([&] { return second_->hasFocus(); }));
}

TEST_F(FocusHandBackTest, DestroyingItWithRequestsPendingEndsTheirThreadsAndFocusesNothing) {
  auto handBack = std::make_unique<TFocusHandBack>();
  for (int i = 0; i < 3; ++i) handBack->Request(second_);
  handBack.reset();  // must not wait for an event loop that will never run for it
  QCoreApplication::processEvents();
  EXPECT_TRUE(first_->hasFocus());
}

}  // namespace
