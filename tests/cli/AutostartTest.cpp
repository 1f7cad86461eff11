// --install-autostart and --remove-autostart in a scratch unit folder with a scripted systemctl: the unit
// they write, the systemctl calls they make, and what happens where no user manager answers.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

#include "app/Autostart.h"
#include "app/CommandLine.h"

namespace tavelo::clitest {
namespace {

const QString kProgram = QStringLiteral("/usr/bin/tavelo");

// Answers each command (its first argument) as scripted, success by default, and keeps the calls.
class ScriptedSystemctl final : public TSystemctl {
 public:
  TResult Run(const QStringList& arguments) override {
    calls.append(arguments.join(' '));
    return answers.value(arguments.value(0), TResult{true, 0, QString()});
  }
  QStringList calls;
  QMap<QString, TResult> answers;
};

class AutostartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    QFile settings(file);
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[Simulated HD Webcam]\nBrightness=140\n");
  }
  int Install(const QString& settingsFile) {
    log.clear();
    errors.clear();
    return InstallAutostart(settingsFile, kProgram, units, systemctl, out, err);
  }
  int Remove() {
    log.clear();
    errors.clear();
    return RemoveAutostart(units, systemctl, out, err);
  }
  QString Unit() const {
    QFile unit(units + "/tavelo-watch.service");
    return unit.open(QIODevice::ReadOnly) ? QString::fromUtf8(unit.readAll()) : QString();
  }
  QStringList ErrLines() const { return errors.split('\n', Qt::SkipEmptyParts); }

  QTemporaryDir folder;
  const QString units = folder.filePath("home/.config/systemd/user");
  const QString file = folder.filePath("webcam.vcs");
  ScriptedSystemctl systemctl;
  QString log, errors;
  QTextStream out{&log}, err{&errors};
};

TEST_F(AutostartTest, InstallWritesTheUnitThenEnablesAndStartsItAgainAndAgain) {
  const QString cwd = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(folder.path()));
  const int exit = Install("webcam.vcs");  // the service will not run in this folder
  QDir::setCurrent(cwd);

  ASSERT_EQ(exit, ceOk) << errors.toStdString();
  EXPECT_TRUE(Unit().contains(QStringLiteral("\nExecStart=\"/usr/bin/tavelo\" --watch \"%1\"\n").arg(file)))
      << Unit().toStdString();
  EXPECT_TRUE(Unit().contains("\nWantedBy=default.target\n"));
  const QStringList calls{"daemon-reload", "enable tavelo-watch.service", "restart tavelo-watch.service"};
  EXPECT_EQ(systemctl.calls, calls);

  // Again, as after editing the file: the same unit, and a restart so the running watch reads it.
  const QString first = Unit();
  ASSERT_EQ(Install(file), ceOk);
  EXPECT_EQ(Unit(), first);
  EXPECT_EQ(systemctl.calls, calls + calls);
  EXPECT_EQ(QDir(units).entryList(QDir::Files), QStringList{"tavelo-watch.service"});  // no temporary left over
}

// systemd reads %, $, quotes and backslashes in a command line as its own; a path holding them must
// reach the program as it is.
TEST_F(AutostartTest, TheUnitQuotesPathsAsSystemdReadsThem) {
  const struct {
    const char* path;
    const char* word;
  } cases[] = {
      {"/home/a b/webcam.vcs", "\"/home/a b/webcam.vcs\""},
      {"/home/100%/cam$HOME.vcs", "\"/home/100%%/cam$$HOME.vcs\""},
      {"/home/say \"hi\"\\.vcs", "\"/home/say \\\"hi\\\"\\\\.vcs\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_TRUE(WatchUnitText(kProgram, c.path).contains(QStringLiteral("--watch %1\n").arg(c.word)));
  }
}

// Containers and ssh sessions without lingering: the unit is written for the next login, and one line
// says what to run then.
TEST_F(AutostartTest, WithoutAUserManagerTheUnitIsWrittenAndTheWayToEnableItShown) {
  const struct {
    const char* what;
    TSystemctl::TResult reload;
    const char* reason;
  } cases[] = {
      {"no systemctl", {false, -1, QString()}, "no systemctl"},
      {"no user bus", {true, 1, "Failed to connect to bus: No medium found\nmore"}, "Failed to connect to bus"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QDir(units).removeRecursively();
    systemctl.calls.clear();
    systemctl.answers["daemon-reload"] = c.reload;
    EXPECT_EQ(Install(file), ceNoUserManager);
    EXPECT_FALSE(Unit().isEmpty());
    EXPECT_EQ(systemctl.calls, QStringList{"daemon-reload"});
    ASSERT_EQ(ErrLines().size(), 1) << errors.toStdString();
    EXPECT_TRUE(ErrLines()[0].contains(c.reason)) << errors.toStdString();
    EXPECT_TRUE(ErrLines()[0].contains("systemctl --user enable --now tavelo-watch.service")) << errors.toStdString();
  }
}

TEST_F(AutostartTest, FailuresOfTheFileOrOfSystemctlAreReported) {
  EXPECT_EQ(Install(folder.filePath("missing.vcs")), ceFileProblem);
  EXPECT_TRUE(Unit().isEmpty());
  EXPECT_TRUE(systemctl.calls.isEmpty());

  systemctl.answers["enable"] = {true, 1, "Unit tavelo-watch.service has a bad setting"};
  EXPECT_EQ(Install(file), ceFailure);
  EXPECT_EQ(ErrLines(), QStringList{"systemctl --user enable tavelo-watch.service failed: Unit tavelo-watch.service "
                                    "has a bad setting"});
}

TEST_F(AutostartTest, RemoveDisablesAndDeletesAndIsHarmlessWhenNothingIsInstalled) {
  ASSERT_EQ(Install(file), ceOk);
  // What `systemctl enable` leaves behind.
  ASSERT_TRUE(QDir().mkpath(units + "/default.target.wants"));
  ASSERT_TRUE(QFile::link(units + "/tavelo-watch.service", units + "/default.target.wants/tavelo-watch.service"));
  systemctl.calls.clear();

  EXPECT_EQ(Remove(), ceOk) << errors.toStdString();
  EXPECT_EQ(systemctl.calls, (QStringList{"disable --now tavelo-watch.service", "daemon-reload"}));
  EXPECT_FALSE(QFileInfo::exists(units + "/tavelo-watch.service"));
  EXPECT_FALSE(QFileInfo(units + "/default.target.wants/tavelo-watch.service").isSymLink());

  systemctl.calls.clear();
  EXPECT_EQ(Remove(), ceOk);
  EXPECT_TRUE(systemctl.calls.isEmpty());
  EXPECT_TRUE(log.startsWith("No autostart installed")) << log.toStdString();

  // Without a user manager the files still go, link included.
  systemctl.answers["daemon-reload"] = {false, -1, QString()};
  systemctl.answers["disable"] = {false, -1, QString()};
  ASSERT_EQ(Install(file), ceNoUserManager);
  ASSERT_TRUE(QFile::link(units + "/tavelo-watch.service", units + "/default.target.wants/tavelo-watch.service"));
  EXPECT_EQ(Remove(), ceOk);
  EXPECT_FALSE(QFileInfo::exists(units + "/tavelo-watch.service"));
  EXPECT_FALSE(QFileInfo(units + "/default.target.wants/tavelo-watch.service").isSymLink());
}

TEST(UserUnitFolderTest, FollowsXdgConfigHomeWhenItIsAbsolute) {
  const QByteArray home = qgetenv("HOME"), config = qgetenv("XDG_CONFIG_HOME");
  qputenv("HOME", "/home/someone");
  const struct {
    const char* config;
    const char* folder;
  } cases[] = {
      {"", "/home/someone/.config/systemd/user"},
      {"/etc/xdg-of-someone", "/etc/xdg-of-someone/systemd/user"},
      {"relative/config", "/home/someone/.config/systemd/user"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.config);
    qputenv("XDG_CONFIG_HOME", c.config);
    EXPECT_EQ(UserUnitFolder(), QString::fromLatin1(c.folder));
  }
  qputenv("HOME", home);
  if (config.isNull()) qunsetenv("XDG_CONFIG_HOME");
  else qputenv("XDG_CONFIG_HOME", config);
}

}  // namespace
}  // namespace tavelo::clitest
