// Who stays when copies meet: the decision over scripted process lists, and the pieces it is read from
// (bare executable names, the start time in a stat line).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "single_instance/ProcStat.h"
#include "single_instance/RunningInstance.h"

namespace tavelo::single_instance {
namespace {

const ProcessEntry kSelf{500, 1000, "/opt/tavelo/tavelo"};

struct ListCase {
  const char* name;
  ProcessEntry self;
  std::vector<ProcessEntry> others;  // the list also holds `self`
  bool earlierCopyRuns;
};

TEST(EarlierCopyRunsTest, DecidesFromNameStartTimeAndPid) {
  const ListCase cases[] = {
      {"ourselves alone", kSelf, {}, false},
      {"an older copy elsewhere", kSelf, {{600, 900, "/usr/local/bin/tavelo"}}, true},
      {"a younger copy", kSelf, {{400, 1100, "/opt/tavelo/tavelo"}}, false},
      {"same tick, lower pid", kSelf, {{499, 1000, "/opt/tavelo/tavelo"}}, true},
      {"same tick, higher pid", kSelf, {{501, 1000, "/opt/tavelo/tavelo"}}, false},
      {"a name that starts with ours", kSelf, {{600, 900, "/usr/bin/tavelo-helper"}}, false},
      {"a name that ends with ours", kSelf, {{600, 900, "/usr/bin/mytavelo"}}, false},
      {"a name that differs in case", kSelf, {{600, 900, "/usr/bin/Tavelo"}}, false},
      {"our name as a folder only", kSelf, {{600, 900, "/opt/tavelo/other"}}, false},
      {"an executable that can't be read", kSelf, {{600, 900, ""}}, false},
      {"an older copy whose executable was replaced", kSelf, {{600, 900, "/opt/tavelo/tavelo (deleted)"}}, true},
      {"we run from a replaced executable",
       {500, 1000, "/opt/tavelo/tavelo (deleted)"},
       {{600, 900, "/opt/tavelo/tavelo"}},
       true},
      {"our own executable can't be read", {500, 1000, ""}, {{600, 900, "/opt/tavelo/tavelo"}}, false},
      {"our own entry listed twice", kSelf, {{500, 1000, "/opt/tavelo/tavelo"}}, false},
      {"an older copy among other programs",
       kSelf,
       {{1, 1, "/usr/lib/systemd/systemd"}, {2, 5, ""}, {700, 990, "/usr/bin/tavelo"}, {800, 2000, "/usr/bin/bash"}},
       true},
  };
  for (const ListCase& c : cases) {
    std::vector<ProcessEntry> processes = c.others;
    processes.push_back(c.self);
    EXPECT_EQ(EarlierCopyRuns(c.self, processes), c.earlierCopyRuns) << c.name;
  }
}

TEST(EarlierCopyRunsTest, CopiesStartedTogetherAgreeOnExactlyOneToStay) {
  // Every copy decides from the same list; whatever the order of start times and pids, one stays.
  const std::vector<ProcessEntry> copies = {
      {300, 1000, "/a/tavelo"}, {120, 1000, "/b/tavelo"}, {900, 999, "/c/tavelo"}, {121, 999, "/a/tavelo"}};
  int staying = 0;
  for (const ProcessEntry& copy : copies) {
    if (!EarlierCopyRuns(copy, copies)) {
      ++staying;
      EXPECT_EQ(copy.pid, 121) << "the earliest start, then the lowest pid";
    }
  }
  EXPECT_EQ(staying, 1);
}

TEST(BareImageNameTest, DropsFolderAndDeletedMark) {
  const std::pair<const char*, const char*> cases[] = {
      {"/opt/tavelo/tavelo", "tavelo"},
      {"/opt/tavelo/tavelo (deleted)", "tavelo"},
      {"/opt/my dir/ta velo", "ta velo"},
      {"tavelo", "tavelo"},
      {"/opt/tavelo/", ""},
      {"", ""},
  };
  for (const auto& [path, name] : cases) EXPECT_EQ(BareImageName(path), name) << path;
}

TEST(StartTimeFromStatTest, ReadsField22AfterTheCommandName) {
  const std::pair<const char*, std::optional<std::uint64_t>> cases[] = {
      {"1234 (tavelo) S 1 1234 1234 0 -1 4194560 100 0 0 0 1 2 0 0 20 0 1 0 987654 12345678 300\n", 987654},
      {"77 (a) b) c (d) R 1 77 77 0 -1 4194560 100 0 0 0 1 2 0 0 20 0 1 0 42 12345678 300", 42},
      {"77 (x 1 2 3 4 5 6 7 8 9) S 1 77 77 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 18446744073709551615 1", UINT64_MAX},
      {"77 () S 1 77 77 0 -1 0 0 0 0 0 0 0 0 0 20 0 1 0 5", 5},
      {"1234 (tavelo) S 1 1234 1234 0 -1 4194560 100 0 0 0 1 2 0 0 20 0 1 0", std::nullopt},
      {"1234 (tavelo) S 1 1234 1234 0 -1 4194560 100 0 0 0 1 2 0 0 20 0 1 0 9x 1", std::nullopt},
      {"1234 (tavelo) S 1 1234 1234 0 -1 4194560 100 0 0 0 1 2 0 0 20 0 1 0 -5 1", std::nullopt},
      {"1234 tavelo S 1 1234 1234 0 -1 4194560 100 0 0 0 1 2 0 0 20 0 1 0 987654", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [line, startTime] : cases) EXPECT_EQ(StartTimeFromStat(line), startTime) << line;
}

}  // namespace
}  // namespace tavelo::single_instance
