// The guard's part in the event loop: when it asks the program to end, that the request waits for the
// event loop, survives a modal loop that runs first, and that its second look catches a copy that took
// our name after the first.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

#include "single_instance/singleinstance.h"
#include "tests/support/ScriptedProcessTable.h"

namespace {

using tavelo::scripted::ScriptedProcessTable;
using tavelo::single_instance::ProcessEntry;

constexpr int kRanOn = 77;

// Runs the event loop as the program does after start-up; answers its exit code, kRanOn when nothing
// ended it within `ms`.
int RunEventLoop(int ms = 300) {
  QTimer fallback;
  fallback.setSingleShot(true);
  QObject::connect(&fallback, &QTimer::timeout, [] { QCoreApplication::exit(kRanOn); });
  fallback.start(ms);
  return QCoreApplication::exec();
}

std::shared_ptr<ScriptedProcessTable> Table(std::vector<ProcessEntry> others) {
  return std::make_shared<ScriptedProcessTable>(ProcessEntry{500, 1000, "/opt/tavelo/tavelo"}, std::move(others));
}

TEST(SingleInstanceGuardTest, EndsTheEventLoopOnlyWhenAnEarlierCopyRuns) {
  struct Case {
    const char* name;
    std::vector<ProcessEntry> others;
    bool quits;
  } const cases[] = {
      {"alone", {}, false},
      {"an earlier copy", {{600, 900, "/usr/bin/tavelo"}}, true},
      {"a later copy", {{400, 1100, "/usr/bin/tavelo"}}, false},
      {"an earlier program of another name", {{600, 900, "/usr/bin/tavelo2"}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QObject owner;
    auto table = Table(c.others);
    auto* guard = new TSingleInstance(&owner, table);
    EXPECT_EQ(guard->parent(), &owner);
    EXPECT_EQ(guard->QuitRequested(), c.quits) << "decided while created";
    EXPECT_EQ(RunEventLoop(), c.quits ? 0 : kRanOn);
    EXPECT_EQ(table->looks, c.quits ? 1 : 2) << "a second look when the event loop starts, unless already leaving";
  }
}

TEST(SingleInstanceGuardTest, SecondLookCatchesACopyThatTookOurNameAfterTheFirst) {
  QObject owner;
  auto table = Table({});
  TSingleInstance guard(&owner, table);
  EXPECT_FALSE(guard.QuitRequested());
  // A copy created before us starts its program only now, under our name.
  table->others.push_back({400, 990, "/opt/tavelo/tavelo"});
  EXPECT_EQ(RunEventLoop(), 0);
  EXPECT_TRUE(guard.QuitRequested());
}

TEST(SingleInstanceGuardTest, RequestOutlastsAModalLoopThatRunsBeforeTheEventLoop) {
  QObject owner;
  TSingleInstance guard(&owner, Table({{600, 900, "/usr/bin/tavelo"}}));
  // An error notice shown during start-up runs its own loop first, and takes the first request.
  QEventLoop modal;
  QTimer::singleShot(1000, &modal, [&modal] { modal.exit(5); });
  EXPECT_EQ(modal.exec(), 0);
  EXPECT_EQ(RunEventLoop(), 0) << "the event loop still ends";
}

TEST(SingleInstanceGuardTest, ProcessListThatCannotBeReadLetsTheProgramRun) {
  class FailingTable final : public tavelo::single_instance::ProcessTable {
   public:
    ProcessEntry Self() const override { return {500, 1000, "/opt/tavelo/tavelo"}; }
    std::vector<ProcessEntry> Processes() const override { throw std::bad_alloc(); }
  };
  QObject owner;
  TSingleInstance guard(&owner, std::make_shared<FailingTable>());
  EXPECT_EQ(RunEventLoop(), kRanOn);
  EXPECT_FALSE(guard.QuitRequested());
}

}  // namespace
