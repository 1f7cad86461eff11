#include "app/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "app/CommandLine.h"
#include "settings/AtomicFileWrite.h"

namespace {

class TProcessSystemctl final : public TSystemctl {
 public:
  TResult Run(const QStringList& arguments) override {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("systemctl"), QStringList{QStringLiteral("--user")} + arguments);
    TResult result;
    if (!process.waitForStarted()) return result;
    result.Ran = true;
    process.waitForFinished(60000);
    result.Exit = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.Output = QString::fromLocal8Bit(process.readAll()).trimmed();
    return result;
  }
};

// One word of a unit's command line: quoted, with systemd's specifier (%) and variable ($) signs doubled.
QString UnitWord(QString word) {
  word.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
      .replace(QLatin1Char('"'), QLatin1String("\\\""))
      .replace(QLatin1Char('%'), QLatin1String("%%"))
      .replace(QLatin1Char('$'), QLatin1String("$$"));
  return QLatin1Char('"') + word + QLatin1Char('"');
}

QString FirstLine(const QString& text) { return text.section(QLatin1Char('\n'), 0, 0); }

QString UnitName() { return QString::fromLatin1(kWatchUnitName); }

QString EnableHint() {
  return QStringLiteral("systemctl --user daemon-reload && systemctl --user enable --now %1").arg(UnitName());
}

}  // namespace

std::unique_ptr<TSystemctl> ProcessSystemctl() { return std::make_unique<TProcessSystemctl>(); }

QString UserUnitFolder() {
  QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (config.isEmpty() || QDir::isRelativePath(config)) config = QDir::homePath() + QStringLiteral("/.config");
  return config + QStringLiteral("/systemd/user");
}

QString WatchUnitText(const QString& program, const QString& file) {
  return QStringLiteral(
             "# Written by tavelo --install-autostart; tavelo --remove-autostart removes it.\n"
             "[Unit]\n"
             "Description=Tavelo: restore camera settings whenever a camera appears\n"
             "Documentation=man:tavelo(1)\n"
             "\n"
             "[Service]\n"
             "Type=simple\n"
             "ExecStart=%1 --watch %2\n"
             "Restart=on-failure\n"
             "RestartSec=5\n"
             "\n"
             "[Install]\n"
             "WantedBy=default.target\n")
      .arg(UnitWord(program), UnitWord(file));
}

int InstallAutostart(const QString& file, const QString& program, const QString& unitFolder, TSystemctl& systemctl,
                     QTextStream& out, QTextStream& err) {
  const QFileInfo info(file);
  if (!info.isFile() || !info.isReadable()) {
    err << QStringLiteral("Cannot read \"%1\"").arg(file) << '\n';
    return ceFileProblem;
  }
  const QString unit = unitFolder + QLatin1Char('/') + UnitName();
  if (!QDir().mkpath(unitFolder) ||
      !ReplaceFileContents(unit, WatchUnitText(program, info.absoluteFilePath()).toUtf8())) {
    err << QStringLiteral("Cannot write \"%1\"").arg(unit) << '\n';
    return ceFileProblem;
  }
  // Containers and ssh sessions without lingering have no user manager: the unit waits for the next login.
  const TSystemctl::TResult reload = systemctl.Run({QStringLiteral("daemon-reload")});
  if (!reload.Ran || reload.Exit != 0) {
    const QString reason = reload.Ran ? FirstLine(reload.Output) : QStringLiteral("no systemctl");
    err << QStringLiteral("Wrote %1, but no systemd user manager answers (%2); in a login session run: %3")
               .arg(unit, reason, EnableHint())
        << '\n';
    return ceNoUserManager;
  }
  // restart rather than start: a service already running keeps the file it was started with.
  for (const QString& command : {QStringLiteral("enable"), QStringLiteral("restart")}) {
    const TSystemctl::TResult result = systemctl.Run({command, UnitName()});
    if (!result.Ran || result.Exit != 0) {
      err << QStringLiteral("systemctl --user %1 %2 failed: %3").arg(command, UnitName(), FirstLine(result.Output))
          << '\n';
      return ceFailure;
    }
  }
  out << QStringLiteral("Installed %1: restores %2 whenever a camera appears").arg(unit, info.absoluteFilePath())
      << '\n';
  return ceOk;
}

int RemoveAutostart(const QString& unitFolder, TSystemctl& systemctl, QTextStream& out, QTextStream& err) {
  const QString unit = unitFolder + QLatin1Char('/') + UnitName();
  // The enabling link as systemctl makes it, removed by hand too for when no manager answers.
  const QString wantsLink = unitFolder + QStringLiteral("/default.target.wants/") + UnitName();
  const bool installed = QFileInfo::exists(unit) || QFileInfo(wantsLink).isSymLink();
  if (!installed) {
    out << QStringLiteral("No autostart installed (%1)").arg(unit) << '\n';
    return ceOk;
  }
  const TSystemctl::TResult disable = systemctl.Run({QStringLiteral("disable"), QStringLiteral("--now"), UnitName()});
  for (const QString& path : {unit, wantsLink}) {
    if ((QFileInfo::exists(path) || QFileInfo(path).isSymLink()) && !QFile::remove(path)) {
      err << QStringLiteral("Cannot delete \"%1\"").arg(path) << '\n';
      return ceFileProblem;
    }
  }
  if (disable.Ran) systemctl.Run({QStringLiteral("daemon-reload")});
  out << QStringLiteral("Removed %1").arg(unit) << '\n';
  return ceOk;
}
