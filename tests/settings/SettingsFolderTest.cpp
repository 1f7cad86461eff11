// Where the settings files live: "Tavelo/" in the documents folder unless TAVELO_SETTINGS_DIR says
// otherwise, created with its parents when a command needs it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <optional>

#include "settings/SettingsFolder.h"
#include "tests/settings/IniTestSupport.h"

namespace tavelo::settingstest {
namespace {

// Sets (or, with nothing, removes) an environment variable for one test.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, std::optional<QByteArray> value) : name_(name) {
    if (qEnvironmentVariableIsSet(name)) saved_ = qgetenv(name);
    if (value) qputenv(name, *value);
    else qunsetenv(name);
  }
  ~ScopedEnvironment() {
    if (saved_) qputenv(name_, *saved_);
    else qunsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<QByteArray> saved_;
};

TEST(SettingsFolderTest, TaveloInTheDocumentsFolder) {
  QTemporaryDir home;
  const ScopedEnvironment settings("TAVELO_SETTINGS_DIR", std::nullopt);
  const ScopedEnvironment homeVariable("HOME", home.path().toUtf8());
  const ScopedEnvironment config("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(SettingsFolder(), home.path() + QStringLiteral("/Documents/Tavelo/"));
}

TEST(SettingsFolderTest, EnvironmentVariableChoosesTheFolder) {
  for (const char* chosen : {"/opt/tavelo/settings", "/opt/tavelo/settings/"}) {
    const ScopedEnvironment settings("TAVELO_SETTINGS_DIR", QByteArray(chosen));
    EXPECT_EQ(SettingsFolder(), QStringLiteral("/opt/tavelo/settings/"));
  }
  const ScopedEnvironment empty("TAVELO_SETTINGS_DIR", QByteArray());
  EXPECT_TRUE(SettingsFolder().endsWith(QStringLiteral("/Tavelo/")));
}

TEST(SettingsFolderTest, CreatedWithItsParentsAndExistingContentLeftAlone) {
  QTemporaryDir root;
  const QString folder = root.filePath(QStringLiteral("a/b/Tavelo"));
  const ScopedEnvironment settings("TAVELO_SETTINGS_DIR", folder.toUtf8());
  ASSERT_TRUE(CreateSettingsFolder());
  ASSERT_TRUE(WriteBytes(folder + QStringLiteral("/Tavelo.ini"), "[Tavelo-Settings]\r\n"));
  EXPECT_TRUE(CreateSettingsFolder());
  EXPECT_EQ(ReadBytes(folder + QStringLiteral("/Tavelo.ini")), QByteArray("[Tavelo-Settings]\r\n"));
}

TEST(SettingsFolderTest, AFileInTheWayIsReportedNotFatal) {
  QTemporaryDir root;
  ASSERT_TRUE(WriteBytes(root.filePath(QStringLiteral("blocker")), "x"));
  const ScopedEnvironment settings("TAVELO_SETTINGS_DIR", root.filePath(QStringLiteral("blocker/Tavelo")).toUtf8());
  EXPECT_FALSE(CreateSettingsFolder());
}

}  // namespace
}  // namespace tavelo::settingstest
