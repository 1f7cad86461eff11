#pragma once

// The program without a window: list the cameras, read and change one camera's properties, save and load
// its section of a camera settings file. It needs Qt Core only, so it runs without a display (over ssh,
// from scripts, at login). Each failure is one line on standard error and a distinct exit status.

#include <QStringList>
#include <QTextStream>

#include <memory>

#include "camera/platform/CapturePlatform.h"

enum TCommandLineExit : int {
  ceOk = 0,
  ceFailure = 1,        // anything the other codes do not name
  ceBadArgument = 2,    // an unknown option or property, a malformed value, a property the camera lacks
  ceNoSuchCamera = 3,   // not listed, or unplugged while in use
  ceCameraBusy = 4,     // in use by another program, not accessible, or it refused a change
  ceFileProblem = 5,    // a settings file that cannot be read or written, or holds no section for the camera
  ceNoUserManager = 6,  // --install-autostart wrote the unit, but no systemd user manager could enable it
};

// `arguments` without the program's own name.
int RunCommandLine(const QStringList& arguments, std::shared_ptr<tavelo::platform::CapturePlatform> platform,
                   QTextStream& out, QTextStream& err);

// The entry when the first argument starts with "--": a core application and the capture backend that
// TAVELO_CAPTURE chooses, then RunCommandLine.
int CommandLineMain(int argc, char** argv);
