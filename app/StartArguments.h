#pragma once

// The words the program takes on its command line: "trace" turns on the diagnostic log, "preview"
// shows the format list and the camera test area, which the window's design keeps hidden. They are
// read from the front, in any order, up to the first other argument: "trace preview", "preview trace"
// or either alone; "x trace" switches nothing on.

#include <QStringList>

struct TStartArguments {
  bool Trace = false;
  bool Preview = false;

  static TStartArguments Parse(const QStringList& arguments);  // without the program's own name
};
