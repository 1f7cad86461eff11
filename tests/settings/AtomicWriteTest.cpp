// A write either replaces the whole file or leaves it as it was: after a failure (read-only file or
// folder, missing folder, full disk) with "Unable to write to <path>", and after the writer is killed at
// any moment.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <random>
#include <tuple>

#include "settings/IniFile.h"
#include "tests/settings/IniTestSupport.h"

namespace tavelo::settingstest {
namespace {

const QByteArray kBefore = "; kept\r\n[Cam]\r\nBrightness=1\r\n";

// How a write is kept from happening; `undo` makes the next write possible again.
struct FailureCase {
  const char* name;
  bool fileExists;
  std::function<QString(const QString& folder)> prepare;  // answers the file's path
  std::function<void(const QString& folder)> undo;
  bool laterWriteWorks = true;  // after undo, through the same object
  bool diskFull = false;        // the write runs into the file size limit
  friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

void SetMode(const QString& path, QFile::Permissions permissions) { QFile::setPermissions(path, permissions); }
constexpr QFile::Permissions kReadOnly = QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ExeOwner |
                                         QFile::ExeUser | QFile::ExeGroup;
constexpr QFile::Permissions kWritable = kReadOnly | QFile::WriteOwner | QFile::WriteUser;

// A process limit on file size stands in for a full disk: writing past it fails with EFBIG.
struct FileSizeLimit {
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved);
    previousHandler = signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previousHandler);
  }
  rlimit saved{};
  sighandler_t previousHandler;
};

class AtomicWriteFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(AtomicWriteFailureTest, FailedWriteReportsThePathAndChangesNothing) {
  const FailureCase& c = GetParam();
  QTemporaryDir dir;
  const QString folder = dir.filePath(QStringLiteral("settings"));
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString path = folder + QStringLiteral("/Tavelo.vcs");
  if (c.fileExists) {
    ASSERT_TRUE(WriteBytes(path, kBefore));
  }
  const QString target = c.prepare(folder);

  TIniFile file(target);
  try {
    if (c.diskFull) {
      const FileSizeLimit limit(16);
      file.WriteString(u"Cam", u"Brightness", QString(4096, u'9'));
    } else {
      file.WriteString(u"Cam", u"Brightness", QStringLiteral("2"));
    }
    ADD_FAILURE() << "the write did not fail";
  } catch (const EIniFileError& error) {
    EXPECT_EQ(error.Message(), QStringLiteral("Unable to write to ") + target);
    EXPECT_EQ(QString::fromUtf8(error.what()), error.Message());
  }
  c.undo(folder);

  EXPECT_EQ(ReadBytes(target), c.fileExists ? kBefore : QByteArray("<missing>"));
  if (QDir(folder).exists()) {
    const QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(left, c.fileExists ? QStringList{QStringLiteral("Tavelo.vcs")} : QStringList{}) << "temporary files";
  }

  // The failed entry is not remembered either: the next write adds to the file as it was.
  if (c.laterWriteWorks) {
    file.WriteString(u"Cam", u"Gain", QStringLiteral("3"));
    EXPECT_EQ(ReadBytes(target), (c.fileExists ? kBefore : QByteArray("[Cam]\r\n")) + "Gain=3\r\n");
  }
}

const FailureCase kFailureCases[] = {
    {"ReadOnlyFile", true,
     [](const QString& folder) {
       SetMode(folder + "/Tavelo.vcs", QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup);
       return folder + "/Tavelo.vcs";
     },
     [](const QString& folder) { SetMode(folder + "/Tavelo.vcs", kWritable); }},
    {"ReadOnlyFolder", true,
     [](const QString& folder) {
       SetMode(folder, kReadOnly);
       return folder + "/Tavelo.vcs";
     },
     [](const QString& folder) { SetMode(folder, kWritable); }},
    {"ReadOnlyFolderNewFile", false,
     [](const QString& folder) {
       SetMode(folder, kReadOnly);
       return folder + "/Tavelo.vcs";
     },
     [](const QString& folder) { SetMode(folder, kWritable); }},
    {"MissingFolder", false, [](const QString& folder) { return folder + "/missing/Tavelo.vcs"; },
     [](const QString&) {}, false},
    {"PathIsAFolder", false,
     [](const QString& folder) {
       QDir().mkpath(folder + "/Tavelo.vcs");
       return folder + "/Tavelo.vcs";
     },
     [](const QString& folder) { QDir(folder + "/Tavelo.vcs").removeRecursively(); }, false},
    {"DiskFull", true, [](const QString& folder) { return folder + "/Tavelo.vcs"; }, [](const QString&) {}, true, true},
};
INSTANTIATE_TEST_SUITE_P(Cases, AtomicWriteFailureTest, ::testing::ValuesIn(kFailureCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Changes with every write, whether it renames a new file into place or rewrites the old one.
std::tuple<ino_t, time_t, long> FileStamp(const QString& path) {
  struct stat info {};
  if (::stat(QFile::encodeName(path).constData(), &info) != 0) return {};
  return {info.st_ino, info.st_mtim.tv_sec, info.st_mtim.tv_nsec};
}

// A child writes one entry after another and is killed at a random moment of a write, many times; each
// time the file must be exactly the one some complete write left.
TEST(AtomicWriteKillTest, AKilledWriterLeavesTheOldFileOrTheNewOneNeverHalf) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("Tavelo.ini"));
  const QByteArray head = "; " + QByteArray(256 * 1024, 'p') + "\r\n[S]\r\n";
  const auto fileFor = [&](int counter) { return head + "Counter=" + QByteArray::number(counter) + "\r\n"; };
  ASSERT_TRUE(WriteBytes(path, fileFor(0)));

  // How long one write takes here (debug and sanitizer builds differ widely), so the kills spread over it.
  QElapsedTimer timer;
  timer.start();
  {
    TIniFile file(path);
    for (int i = 0; i < 3; ++i) file.WriteInteger(u"S", u"Counter", 0);
  }
  const auto writeMicroseconds = std::max<qint64>(timer.nsecsElapsed() / 3000, 100);

  std::mt19937 random(20240607);
  std::uniform_int_distribution<qint64> delayMicroseconds(0, 2 * writeMicroseconds);
  int last = 0;
  for (int round = 0; round < 25; ++round) {
    const auto before = FileStamp(path);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      try {
        TIniFile file(path);
        for (int counter = file.ReadInteger(u"S", u"Counter", -1) + 1;; ++counter)
          file.WriteInteger(u"S", u"Counter", counter);
      } catch (...) {
      }
      _exit(1);
    }
    // Once the first write has landed the child is in its loop; then strike somewhere within a write.
    for (int waited = 0; FileStamp(path) == before && waited < 60000; ++waited) usleep(1000);
    usleep(static_cast<useconds_t>(delayMicroseconds(random)));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself in round " << round;

    const QByteArray bytes = ReadBytes(path);
    const int counter = TIniFile(path).ReadInteger(u"S", u"Counter", -1);
    ASSERT_TRUE(bytes == fileFor(counter))
        << "round " << round << ": " << bytes.size() << " bytes, counter " << counter;
    EXPECT_GT(counter, last) << "round " << round;
    last = counter;
  }
}

}  // namespace
}  // namespace tavelo::settingstest
