// The main window's single-instance guard: a second copy completes its start-up and then ends through
// the event loop, without a message and without closing its window; a first copy runs on.
#include <QCoreApplication>
#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

#include "single_instance/singleinstance.h"
#include "tests/app/MainWindowHarness.h"
#include "tests/support/ScriptedProcessTable.h"

namespace {

using tavelo::scripted::ScriptedProcessTable;
using tavelo::single_instance::ProcessEntry;

constexpr int kRanOn = 77;

int RunEventLoop(int ms) {
  QTimer fallback;
  fallback.setSingleShot(true);
  QObject::connect(&fallback, &QTimer::timeout, [] { QCoreApplication::exit(kRanOn); });
  fallback.start(ms);
  return QCoreApplication::exec();
}

class SingleInstanceWindowTest : public MainWindowTest {
 protected:
  ~SingleInstanceWindowTest() override { TSingleInstance::SetProcessTable(previous_); }

  // The window's guard sees this list besides itself.
  void OtherProcesses(std::vector<ProcessEntry> others) {
    TSingleInstance::SetProcessTable(
        std::make_shared<ScriptedProcessTable>(ProcessEntry{500, 1000, "/usr/bin/tavelo"}, std::move(others)));
  }

 private:
  std::shared_ptr<const tavelo::single_instance::ProcessTable> previous_ = TSingleInstance::CurrentProcessTable();
};

TEST_F(SingleInstanceWindowTest, SecondCopyCompletesStartUpThenEndsWithoutAMessage) {
  OtherProcesses({{400, 900, "/opt/tavelo/tavelo"}});
  TFormMain& window = Start();
  ASSERT_NE(window.SingleInstance1, nullptr);
  EXPECT_EQ(window.SingleInstance1->parent(), &window);
  EXPECT_EQ(window.findChild<TSingleInstance*>("SingleInstance1"), window.SingleInstance1);
  EXPECT_TRUE(window.SingleInstance1->QuitRequested());
  EXPECT_EQ(window.windowTitle(), "Tavelo V3.1") << "start-up ran in full";
  EXPECT_EQ(window.StatusLabel->text(), " ");

  EXPECT_EQ(RunEventLoop(3000), 0) << "the event loop took the quit request";
  EXPECT_TRUE(notices.isEmpty());
  EXPECT_TRUE(reports->Messages().isEmpty());
  EXPECT_TRUE(window.isVisible()) << "the program ends without closing its window first";
}

TEST_F(SingleInstanceWindowTest, FirstCopyRunsOn) {
  OtherProcesses({{600, 1100, "/opt/tavelo/tavelo"}, {400, 900, "/usr/bin/tavelo-old"}});
  TFormMain& window = Start();
  EXPECT_FALSE(window.SingleInstance1->QuitRequested());
  EXPECT_EQ(RunEventLoop(300), kRanOn);
  EXPECT_TRUE(window.isVisible());
}

}  // namespace
