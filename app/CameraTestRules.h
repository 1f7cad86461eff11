#pragma once

// The camera test's rules that need no window: the frame clock, the texts it shows.
// TFormMain (CameraTest.cpp) applies them to its controls.

#include <QString>

#include <cstdint>

// Milliseconds between frame ticks for a frame duration in 100 ns units: whole milliseconds, truncated
// (333333 -> 33). A duration under a millisecond, or none, gives 0: the clock stays idle.
int FrameClockInterval(std::int64_t avgTimePerFrame);

// The test window's caption: the camera's and the format's list texts.
QString CameraTestCaption(const QString& cameraText, const QString& formatText);

// Said when the camera cannot be started for the test, which is nearly always because another program
// holds it.
QString CameraInUseNotice(const QString& cameraText);

// True for the result codes of a camera that refuses a change of its format because a stream is running:
// once the test has let its own stream go, that stream is another program's.
bool MeansStreamingElsewhere(std::int32_t resultCode);
