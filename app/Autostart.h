#pragma once

// `tavelo --install-autostart FILE.vcs` and `--remove-autostart`: the watch (`tavelo --watch FILE.vcs`) as a
// systemd user service of the current user, so no root is needed. The unit is written whole into the user's
// unit folder, where it takes precedence over a packaged one of the same name, and names this very program
// and the file's absolute path (the service does not run in the folder the command was given in).

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <memory>

inline constexpr char kWatchUnitName[] = "tavelo-watch.service";

// The seam to `systemctl --user`.
class TSystemctl {
 public:
  struct TResult {
    bool Ran = false;  // false: no systemctl to run
    int Exit = -1;
    QString Output;  // standard error and output together, for the one line the user sees
  };
  virtual ~TSystemctl() = default;
  // `arguments` follow "systemctl --user".
  virtual TResult Run(const QStringList& arguments) = 0;
};

// Runs the real systemctl, waiting for it to finish.
std::unique_ptr<TSystemctl> ProcessSystemctl();

// $XDG_CONFIG_HOME/systemd/user, or ~/.config/systemd/user.
QString UserUnitFolder();

// The unit's text for `program` watching `file` (both absolute).
QString WatchUnitText(const QString& program, const QString& file);

// Writes the unit (replacing an older one), reloads the user manager and enables and (re)starts the service,
// so a changed file is watched at once. Without systemctl or a reachable user manager the unit is written,
// one line says what to run later, and the answer is ceNoUserManager.
int InstallAutostart(const QString& file, const QString& program, const QString& unitFolder, TSystemctl& systemctl,
                     QTextStream& out, QTextStream& err);

// Stops and disables the service and deletes the unit; nothing installed is no failure.
int RemoveAutostart(const QString& unitFolder, TSystemctl& systemctl, QTextStream& out, QTextStream& err);
