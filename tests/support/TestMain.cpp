// Test entry shared by every test executable: a QApplication on the offscreen platform (widgets need one;
// the other tests do not mind), then GoogleTest.
#include <QApplication>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "single_instance/singleinstance.h"
#include "tests/support/ScriptedProcessTable.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  // Every window reads and writes its placement file; none of that may reach the user's documents.
  QTemporaryDir settingsFolder;
  if (qEnvironmentVariableIsEmpty("TAVELO_SETTINGS_DIR")) qputenv("TAVELO_SETTINGS_DIR", settingsFolder.path().toUtf8());
  // Test programs run side by side under the same name; the main window's single-instance guard must not
  // end one because of another, so by default it sees this program running alone.
  TSingleInstance::SetProcessTable(std::make_shared<tavelo::scripted::ScriptedProcessTable>(
      tavelo::single_instance::ProcessEntry{1, 1, "/tests/tavelo_tests"}));
  ::testing::InitGoogleMock(&argc, argv);
  return RUN_ALL_TESTS();
}
