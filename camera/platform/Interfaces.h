#pragma once

// The services of the capture platform layer.
//
// Objects are reference counted (std::shared_ptr) and answer for the interfaces they implement through
// QueryInterface, so a backend or a test double can leave any interface out and the caller sees a refused
// query, as it would on a real system. Every operation answers a Result (see Result.h). Enumerators
// answer kOk while they hand out an item and anything else (normally kFalse) at their end.
//
// A backend provides the device-specific objects (enumerator, camera and audio filters, their pins); the
// graph objects (filter graph, graph builder, sample grabber, renderers) are shared by all backends and
// talk to a camera through IFrameSource on its capture pin.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "camera/platform/Guid.h"
#include "camera/platform/MediaType.h"
#include "camera/platform/Result.h"

namespace tavelo::platform {

enum class Iid {
  Unknown,
  CreateDevEnum,
  EnumMoniker,
  Moniker,
  PropertyBag,
  BaseFilter,
  EnumPins,
  Pin,
  EnumMediaTypes,
  GraphBuilder,
  MediaControl,
  MediaEvent,
  CaptureGraphBuilder2,
  AMStreamConfig,
  AMVideoProcAmp,
  AMCameraControl,
  AMVideoControl,
  KsPropertySet,
  SampleGrabber,
  SampleGrabberCB,
  MediaSample,
  VMRFilterConfig9,
  VMRWindowlessControl9,
  SpecifyPropertyPages,
  FileSinkFilter,
  FrameSource,
  DeviceControls,
  ControlEvents,
  CaptureFileStatus,
};

// Base of every platform object. Interfaces derive from it virtually, so one object can implement many.
class Unknown : public std::enable_shared_from_this<Unknown> {
 public:
  virtual ~Unknown() = default;
  // Answers kOk with `out` pointing at the requested interface (as that interface's pointer type), or
  // kNoInterface with `out` empty.
  virtual Result QueryInterface(Iid iid, std::shared_ptr<void>& out) = 0;
};

// Typed query: QueryInterfaceAs(filter, procAmp) fills a std::shared_ptr<IAMVideoProcAmp>.
template <class I, class From>
Result QueryInterfaceAs(const std::shared_ptr<From>& object, std::shared_ptr<I>& out) {
  out.reset();
  if (!object) return kNullPointer;
  std::shared_ptr<void> raw;
  const Result r = object->QueryInterface(I::kIid, raw);
  if (Succeeded(r)) out = std::static_pointer_cast<I>(raw);
  if (Succeeded(r) && !out) return kNoInterface;
  return r;
}

// Helper for implementations: answers the interfaces in Is... that `self` derives from.
// Usage inside a class: return AnswerInterfaces<IBaseFilter, IAMVideoProcAmp>(this, iid, out);
template <class... Is, class Self>
Result AnswerInterfaces(Self* self, Iid iid, std::shared_ptr<void>& out) {
  out.reset();
  if (iid == Iid::Unknown) {
    out = std::static_pointer_cast<void>(self->shared_from_this());
    return kOk;
  }
  bool found = false;
  (
      [&] {
        if (!found && iid == Is::kIid) {
          out = std::shared_ptr<Is>(self->shared_from_this(), static_cast<Is*>(self));
          found = true;
        }
      }(),
      ...);
  return found ? kOk : kNoInterface;
}

class IBaseFilter;
class IPin;
class IGraphBuilder;

// ---- Device enumeration ---------------------------------------------------------------------------

class IPropertyBag : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::PropertyBag;
  // Values: "FriendlyName", "DevicePath", "Description", "WaveInID" (decimal text). A missing value
  // answers a failure and leaves `value` untouched.
  virtual Result Read(const std::string& name, std::string& value) = 0;
};

class IMoniker : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::Moniker;
  virtual Result BindToStorage(std::shared_ptr<IPropertyBag>& out) = 0;
  virtual Result BindToObject(std::shared_ptr<IBaseFilter>& out) = 0;
};

class IEnumMoniker : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::EnumMoniker;
  virtual Result Next(std::shared_ptr<IMoniker>& out) = 0;  // one at a time
};

class ICreateDevEnum : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::CreateDevEnum;
  // An empty category answers kFalse with no enumerator.
  virtual Result CreateClassEnumerator(const Guid& category, std::shared_ptr<IEnumMoniker>& out,
                                       std::uint32_t flags) = 0;
};

// ---- Filters and pins -----------------------------------------------------------------------------

enum class FilterState : std::int32_t { Stopped = 0, Paused = 1, Running = 2 };
enum class PinDirection : std::int32_t { Input = 0, Output = 1 };

struct FilterInfo {
  std::string name;
  std::shared_ptr<IGraphBuilder> graph;  // the graph the filter is in, if any
};

class IEnumMediaTypes : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::EnumMediaTypes;
  // Hands out a TaskMemAlloc'd record; the caller disposes of it.
  virtual Result Next(AmMediaType*& out) = 0;
};

class IPin : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::Pin;
  virtual Result QueryDirection(PinDirection& out) = 0;
  virtual Result QueryId(std::string& out) = 0;
  virtual Result EnumMediaTypes(std::shared_ptr<IEnumMediaTypes>& out) = 0;
};

class IEnumPins : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::EnumPins;
  virtual Result Next(std::shared_ptr<IPin>& out) = 0;
};

class IBaseFilter : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::BaseFilter;
  virtual Result EnumPins(std::shared_ptr<IEnumPins>& out) = 0;
  virtual Result QueryFilterInfo(FilterInfo& out) = 0;
  // Called by the filter graph when the filter is added (graph set) or removed (graph empty).
  virtual Result JoinFilterGraph(const std::shared_ptr<IGraphBuilder>& graph, const std::string& name) = 0;
  virtual Result Run() = 0;
  virtual Result Pause() = 0;
  virtual Result Stop() = 0;
  virtual Result GetState(std::uint32_t timeoutMs, FilterState& out) = 0;
};

// ---- Property interfaces of a camera filter ------------------------------------------------------

// Flags of Get/Set and capability flags of GetRange.
constexpr std::int32_t kPropertyFlagsAuto = 1;
constexpr std::int32_t kPropertyFlagsManual = 2;

// Property ids of the video processing amplifier.
enum VideoProcAmpProperty : std::int32_t {
  VideoProcAmp_Brightness = 0,
  VideoProcAmp_Contrast = 1,
  VideoProcAmp_Hue = 2,
  VideoProcAmp_Saturation = 3,
  VideoProcAmp_Sharpness = 4,
  VideoProcAmp_Gamma = 5,
  VideoProcAmp_ColorEnable = 6,
  VideoProcAmp_WhiteBalance = 7,
  VideoProcAmp_BacklightCompensation = 8,
  VideoProcAmp_Gain = 9,
  VideoProcAmp_DigitalMultiplier = 10,
  VideoProcAmp_DigitalMultiplierLimit = 11,
  VideoProcAmp_WhiteBalanceComponent = 12,
  VideoProcAmp_PowerLineFrequency = 13,
};

// Property ids of the camera control.
enum CameraControlProperty : std::int32_t {
  CameraControl_Pan = 0,
  CameraControl_Tilt = 1,
  CameraControl_Roll = 2,
  CameraControl_Zoom = 3,
  CameraControl_Exposure = 4,
  CameraControl_Iris = 5,
  CameraControl_Focus = 6,
  CameraControl_ScanMode = 7,
  CameraControl_FocalLength = 18,
};

// The two property interfaces share one shape; the interface tells them apart. Ids overlap between the
// two (0 is Brightness on one and Pan on the other), so an object never implements both: a filter answers
// each query with a separate object of its own (a tear-off).
class IRangedPropertyInterface : public virtual Unknown {
 public:
  virtual Result GetRange(std::int32_t property, std::int32_t& min, std::int32_t& max, std::int32_t& delta,
                          std::int32_t& defaultValue, std::int32_t& capsFlags) = 0;
  virtual Result Get(std::int32_t property, std::int32_t& value, std::int32_t& flags) = 0;
  virtual Result Set(std::int32_t property, std::int32_t value, std::int32_t flags) = 0;
};

class IAMVideoProcAmp : public IRangedPropertyInterface {
 public:
  static constexpr Iid kIid = Iid::AMVideoProcAmp;
};

class IAMCameraControl : public IRangedPropertyInterface {
 public:
  static constexpr Iid kIid = Iid::AMCameraControl;
};

// Changes to a camera's properties made outside this program: by another program, or by the camera
// itself (exposure under automatic control). Waiting is left to the caller's event loop, so the layer
// needs no thread of its own for it.
struct ChangedProperty {
  Iid propertyInterface;  // Iid::AMVideoProcAmp or Iid::AMCameraControl
  std::int32_t id;        // VideoProcAmp_* or CameraControl_*
};

class IControlEvents : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::ControlEvents;
  // The descriptor to wait on and the poll() event (POLLPRI or POLLIN) that says changes are pending.
  // A camera that cannot report changes answers a failure.
  virtual Result GetEventWait(int& fd, short& pollEvents) = 0;
  // Takes every pending change; each property is named once, whether its value or its automatic mode
  // changed. Nothing pending answers kOk with `out` empty; a camera that has gone answers a failure.
  virtual Result TakeChangedProperties(std::vector<ChangedProperty>& out) = 0;
};

// Held by the camera component; no operation of it is used.
class IAMVideoControl : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::AMVideoControl;
};

// Kernel-streaming property sets (pin category, flash, video stabilisation).
class IKsPropertySet : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::KsPropertySet;
  virtual Result Get(const Guid& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
                     void* propertyData, std::uint32_t dataLength, std::uint32_t& bytesReturned) = 0;
  virtual Result Set(const Guid& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
                     const void* propertyData, std::uint32_t dataLength) = 0;
};

// Stream format of a capture pin.
class IAMStreamConfig : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::AMStreamConfig;
  virtual Result GetFormat(AmMediaType*& out) = 0;  // TaskMemAlloc'd record, caller disposes
  virtual Result SetFormat(const AmMediaType& mediaType) = 0;
};

// ---- Frames ----------------------------------------------------------------------------------------

// One delivered frame. A sample never changes once it is delivered, so a receiver may keep a reference
// to it (as the grabber keeps the newest) rather than copying its bytes.
class IMediaSample : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::MediaSample;
  virtual const std::uint8_t* Data() const = 0;
  virtual std::int32_t ActualDataLength() const = 0;
  virtual double SampleTime() const = 0;  // seconds since the stream started
  // False for a compressed frame that needs earlier ones to be decoded; camera frames stand alone.
  virtual bool IsSyncPoint() const { return true; }
};

// What a capture pin delivers frames to. Runs on the backend's streaming thread.
class IFrameSink {
 public:
  virtual ~IFrameSink() = default;
  virtual void Receive(const std::shared_ptr<IMediaSample>& sample) = 0;
};

// Implemented by a camera's capture pin: the link between a backend and the shared graph objects.
class IFrameSource : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::FrameSource;
  // The media type frames are delivered in (the pin's current format).
  virtual Result GetStreamMediaType(AmMediaType& out) = 0;
  // Starts delivering frames to `sink` on a thread of the backend's own; fails when the device is busy or gone.
  virtual Result StartStreaming(std::shared_ptr<IFrameSink> sink) = 0;
  // Stops delivery; when it returns, no Receive call is running or will start. Called from inside a
  // delivery (on the streaming thread itself) it returns at once, and nothing is delivered after that
  // delivery returns.
  virtual Result StopStreaming() = 0;
};

// ---- Graph objects ---------------------------------------------------------------------------------

class IGraphBuilder : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::GraphBuilder;
  virtual Result AddFilter(const std::shared_ptr<IBaseFilter>& filter, const std::string& name) = 0;
  virtual Result RemoveFilter(const std::shared_ptr<IBaseFilter>& filter) = 0;
  virtual Result EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>& out) = 0;
};

class IMediaControl : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::MediaControl;
  virtual Result Run() = 0;
  virtual Result Pause() = 0;
  virtual Result Stop() = 0;
  virtual Result GetState(std::int32_t timeoutMs, FilterState& out) = 0;
  virtual Result StopWhenReady() = 0;
};

// Held by the camera component; no operation of it is used.
class IMediaEvent : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::MediaEvent;
};

class IFileSinkFilter : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::FileSinkFilter;
  virtual Result GetCurFile(std::string& fileName) = 0;
};

// How a capture file is doing, for a progress line: answered by the multiplexer SetOutputFileName made.
struct CaptureFileProgress {
  bool recording = false;               // the file is open: from Run until the stop that finishes it
  std::uint64_t videoFramesWritten = 0;
  std::uint64_t audioBlocksWritten = 0;
  std::uint64_t dropped = 0;            // frames and sound blocks that came faster than the disk took them
  std::uint64_t bytesWritten = 0;
  double secondsWritten = 0;            // media time of the newest packet written
  Result lastError = kOk;               // what ended the last recording early (kOk: nothing did)
  std::string lastErrorText;            // the same, readable, with the detail the code cannot carry
};

// Safe to ask from any thread, as often as wanted.
class ICaptureFileStatus : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::CaptureFileStatus;
  virtual Result GetProgress(CaptureFileProgress& out) = 0;
};

class ICaptureGraphBuilder2 : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::CaptureGraphBuilder2;
  virtual Result SetFiltergraph(const std::shared_ptr<IGraphBuilder>& graph) = 0;
  // Connects source (a filter, or one of its pins) through the optional intermediate to the sink.
  virtual Result RenderStream(const Guid* category, const Guid* mediaType, const std::shared_ptr<Unknown>& source,
                              const std::shared_ptr<IBaseFilter>& intermediate,
                              const std::shared_ptr<IBaseFilter>& sink) = 0;
  virtual Result SetOutputFileName(const Guid& subtype, const std::string& fileName,
                                   std::shared_ptr<IBaseFilter>& multiplexer,
                                   std::shared_ptr<IFileSinkFilter>& fileSink) = 0;
  virtual Result FindInterface(const Guid* category, const Guid* mediaType, const std::shared_ptr<IBaseFilter>& filter,
                               Iid iid, std::shared_ptr<void>& out) = 0;
};

class ISampleGrabberCB : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::SampleGrabberCB;
  virtual Result SampleCB(double sampleTime, const std::shared_ptr<IMediaSample>& sample) = 0;
  virtual Result BufferCB(double sampleTime, const std::uint8_t* buffer, std::int32_t bufferLength) = 0;
};

class ISampleGrabber : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::SampleGrabber;
  virtual Result SetBufferSamples(bool buffer) = 0;
  // which: 0 = SampleCB, 1 = BufferCB. A null callback detaches.
  virtual Result SetCallback(const std::shared_ptr<ISampleGrabberCB>& callback, std::int32_t which) = 0;
  virtual Result GetConnectedMediaType(AmMediaType& out) = 0;  // caller frees the contents
  // With a null buffer answers the size of the buffered sample; otherwise copies at most `size` bytes.
  virtual Result GetCurrentBuffer(std::int32_t& size, std::uint8_t* buffer) = 0;
};

constexpr std::uint32_t kVmr9ModeWindowless = 2;
constexpr std::uint32_t kVmr9ArModeNone = 0;
constexpr std::uint32_t kVmr9ArModeLetterBox = 1;

// Opaque native window of the toolkit (the preview's clipping window).
using WindowHandle = std::uintptr_t;

class IVMRFilterConfig9 : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::VMRFilterConfig9;
  virtual Result SetRenderingMode(std::uint32_t mode) = 0;
};

class IVMRWindowlessControl9 : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::VMRWindowlessControl9;
  virtual Result SetVideoClippingWindow(WindowHandle window) = 0;
  virtual Result SetVideoPosition(const Rect* source, const Rect* destination) = 0;
  virtual Result GetVideoPosition(Rect& source, Rect& destination) = 0;
  virtual Result SetAspectRatioMode(std::uint32_t mode) = 0;
  virtual Result GetAspectRatioMode(std::uint32_t& mode) = 0;
  virtual Result SetBorderColor(std::uint32_t color) = 0;
  virtual Result GetBorderColor(std::uint32_t& color) = 0;
  virtual Result GetMaxIdealVideoSize(std::int32_t& width, std::int32_t& height) = 0;
  virtual Result GetMinIdealVideoSize(std::int32_t& width, std::int32_t& height) = 0;
  virtual Result GetNativeVideoSize(std::int32_t& width, std::int32_t& height, std::int32_t& arWidth,
                                    std::int32_t& arHeight) = 0;
  // A packed bitmap (info header, then pixels), TaskMemAlloc'd; the caller frees it.
  virtual Result GetCurrentImage(std::uint8_t*& dib) = 0;
};

// ---- Property pages ----------------------------------------------------------------------------------

class ISpecifyPropertyPages : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::SpecifyPropertyPages;
  virtual Result GetPages(std::vector<Guid>& pages) = 0;
};

// ---- Every control of a device (what a camera settings page shows) ---------------------------------

// How a control is set: a number in a range, on/off, one item of a menu (named items, or numbers for an
// integer menu), or an action without a value.
enum class ControlType { Integer, Boolean, Menu, IntegerMenu, Button };

// State of a control at the moment it was described. An inactive control keeps its value but has no
// effect now (typically its automatic companion is on); a grabbed one cannot change while the device
// streams; a disabled one is not offered at all.
enum ControlFlags : std::uint32_t {
  kControlReadOnly = 1u << 0,
  kControlWriteOnly = 1u << 1,
  kControlInactive = 1u << 2,
  kControlDisabled = 1u << 3,
  kControlGrabbed = 1u << 4,
};

struct ControlMenuItem {
  std::int64_t index = 0;
  std::string label;  // the item's name, or the number of an integer menu's item
};

struct ControlDescription {
  std::uint32_t id = 0;  // the device's own id, handed back to GetControl / SetControl
  ControlType type = ControlType::Integer;
  std::string name;      // as the driver gives it
  std::int64_t minimum = 0;
  std::int64_t maximum = 0;
  std::int64_t step = 1;
  std::int64_t defaultValue = 0;
  std::uint32_t flags = 0;  // ControlFlags
  std::vector<ControlMenuItem> menu;  // the items a menu offers, in order; gaps left out
};

// A group of controls the device puts together ("User Controls", "Camera Controls").
struct ControlClass {
  std::string name;
  std::vector<ControlDescription> controls;
};

// Answered by a camera filter. Unlike the two property interfaces it reaches every control the device
// offers, under the device's own names; a refused write answers the driver's reason as a Result whose
// text CapturePlatform::GetErrorText gives.
class IDeviceControls : public virtual Unknown {
 public:
  static constexpr Iid kIid = Iid::DeviceControls;
  // Asked afresh on every call, so the flags tell the state now (an automatic switch makes its
  // companions inactive). Disabled controls are left out.
  virtual Result DescribeControls(std::vector<ControlClass>& out) = 0;
  virtual Result GetControl(std::uint32_t id, std::int64_t& value) = 0;
  // A button is pressed by any value.
  virtual Result SetControl(std::uint32_t id, std::int64_t value) = 0;
};

// What the property frame shows: the objects' pages, modally, under the caption.
struct PropertyFrameRequest {
  std::string caption;
  std::vector<std::shared_ptr<Unknown>> objects;
  std::vector<Guid> pages;
  int x = 0;
  int y = 0;
};

// Shows a property frame and returns when the user closes it. The window layer installs one.
using PropertyFrameHandler = std::function<Result(const PropertyFrameRequest&)>;

}  // namespace tavelo::platform
