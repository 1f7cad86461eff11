#pragma once

// `tavelo --camera CAMERA --record FILE --seconds N`: records the camera into a capture file through the
// camera component, as a program using it would (grabber layout without a window, output file and
// container, compressors, audio input, Active, Run), with a progress line on standard error: rewritten in
// place on a terminal, one line a second otherwise. SIGINT or SIGTERM end it early; the file is finished
// either way. A camera that goes away, or a file that can no longer be written (a full disk), ends it
// with a line saying so; what was written stays a finished file.

#include <QString>
#include <QTextStream>

#include "app/CommandLineOptions.h"
#include "camera/CameraTypes.h"

class TFCamera;

// `camera` has `device` selected and is inactive. The closing line goes to `out` for a finished file, to
// `err` otherwise. Answers the exit status (TCommandLineExit); camera failures while starting propagate as
// the component's exceptions, after the camera is made inactive.
int RunRecordCommand(TFCamera& camera, const TFVideoCaptureDevice& device, const QString& file,
                     const TRecordRequest& request, QTextStream& out, QTextStream& err);
