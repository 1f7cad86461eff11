#pragma once

// Records and enumerations exchanged with the camera component.

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "camera/platform/MediaType.h"

struct TFVideoCaptureDevice {
  QString Name;
  QString Description;
  QString Path;
};
using TFVideoCaptureDevices = std::vector<TFVideoCaptureDevice>;

struct TFAudioCaptureDevice {
  QString Name;
  QString Description;
  std::int32_t WaveInID = 0;
};
using TFAudioCaptureDevices = std::vector<TFAudioCaptureDevice>;

using TFFourCC = std::array<std::uint8_t, 4>;

struct TFCameraFormat {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int64_t AvgTimePerFrame = 0;  // 100 ns units; 0 when the driver gives no rate
  bool FixedSizeSamples = false;
  bool TemporalCompression = false;
  std::int32_t SampleSize = 0;
  tavelo::platform::Rect Source;
  tavelo::platform::Rect Target;
  std::int32_t BitRate = 0;
  std::int32_t BitErrorRate = 0;
  std::int32_t BitsPerPixel = 0;
  TFFourCC Compression{};
  std::int32_t XPelsPerMeter = 0;
  std::int32_t YPelsPerMeter = 0;
};
using TFCameraFormats = std::vector<TFCameraFormat>;

struct TFRange {
  std::int32_t Min = 0;
  std::int32_t Max = 0;
  std::int32_t Delta = 0;
  std::int32_t Default = 0;
  bool Auto = false;    // can run automatically (capability, not the current mode)
  bool Manual = false;  // can be set by hand
};

// Preview geometry of the renderer path: sizes as X = width, Y = height; rectangles in pixels of the video
// (source) or of the clipping window (destination); colours as the renderer's 32-bit colour word.
struct TFPoint {
  std::int32_t X = 0;
  std::int32_t Y = 0;
  friend bool operator==(const TFPoint&, const TFPoint&) = default;
};
using TFRect = tavelo::platform::Rect;
using TAlphaColor = std::uint32_t;

enum class TFPowerLineFrequency { pfUnknown = 0, pfDisabled = 1, pf50Hz = 2, pf60Hz = 3, pfAuto = 4 };
enum class TFScanMode { smUnknown = 0, smInterlace = 1, smProgressive = 2 };
enum class TFFlashControl { fcUnknown = 0, fcAuto = 1, fcManual = 2 };
enum class TFFlashMode { fmUnknown = 0, fmOff = 1, fmOn = 2, fmAuto = 3 };
enum class TFVideoStabilizationControl { vcUnknown = 0, vcAuto = 1, vcManual = 2 };
enum class TFVideoStabilizationMode { vmUnknown = 0, vmOff = 1, vmHigh = 2, vmMedium = 3, vmLow = 4, vmAuto = 5 };

enum class TFCameraState { csUnknown = 0, csInactive = 1, csStopped = 2, csPaused = 3, csRunning = 4 };
enum class TFCaptureType { ctAuto = 0, ctGrabber = 1, ctVmr9 = 2 };
enum class TFMediaType { mtAsf = 0, mtAvi = 1 };
enum class TFImageFormat { ifBmp = 0, ifJpeg = 1 };

class TFCamera;

// Frame notification handler; runs on the platform's streaming thread. `Id` identifies the routine so
// that assigning the same handler again is recognised (std::function cannot be compared).
struct TFImageAvailableEvent {
  std::function<void(TFCamera* sender, double sampleTime)> Handler;
  const void* Id = nullptr;
  explicit operator bool() const { return static_cast<bool>(Handler); }
  bool SameRoutine(const TFImageAvailableEvent& other) const {
    return Id == other.Id && static_cast<bool>(Handler) == static_cast<bool>(other.Handler);
  }
};
