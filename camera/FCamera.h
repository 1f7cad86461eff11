#pragma once

// TFCamera: the one way the tool reaches a camera.
//
// It lists capture devices, binds the selected camera by friendly name or device path, caches every
// platform object it needs from first use until the selection changes or the graph is torn down, and
// reads and writes the camera's properties and video formats. Failures are raised as EFCameraError
// (the component's own checks) or EOleSysError (a platform call refused, with its result code).

#include <QIODevice>
#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "camera/CameraErrors.h"
#include "camera/CameraProperties.h"
#include "camera/CameraTypes.h"
#include "camera/FBitmap.h"
#include "camera/platform/CapturePlatform.h"

class TFCamera : public QObject {
  Q_OBJECT

 public:
  // Component-state flags of the component framework.
  enum TComponentStateFlag : unsigned { csLoading = 1u << 0, csDesigning = 1u << 1 };

  TFCamera(QObject* owner, std::shared_ptr<tavelo::platform::CapturePlatform> platform);
  ~TFCamera() override;

  tavelo::platform::CapturePlatform& Platform() const { return *FPlatform; }

  // ---- Component framework ------------------------------------------------------------------------
  unsigned ComponentState() const { return FComponentState; }
  void SetComponentState(unsigned flags) { FComponentState = flags; }
  // After-load hook: ends the loading state and applies the stored Active value.
  void Loaded();

  // ---- Enumeration (never raise on platform failures) ---------------------------------------------
  TFVideoCaptureDevices Devices();
  TFAudioCaptureDevices AudioCaptureDevices();
  std::vector<QString> Compressors();
  std::vector<QString> AudioCompressors();
  std::shared_ptr<tavelo::platform::IBaseFilter> GetDevice(const QString& name);
  // The camera whose device path is `path`, friendly names aside; nil when none binds.
  std::shared_ptr<tavelo::platform::IBaseFilter> GetDeviceByPath(const QString& path);
  std::shared_ptr<tavelo::platform::IBaseFilter> GetAudioCaptureDevice(const QString& name);
  std::shared_ptr<tavelo::platform::IBaseFilter> GetCompressor(const QString& name);
  std::shared_ptr<tavelo::platform::IBaseFilter> GetAudioCompressor(const QString& name);

  // ---- Selection ----------------------------------------------------------------------------------
  QString DeviceName() const { return FDeviceName; }
  // A name alone binds the first camera of that name (or the camera with that path); it forgets a
  // device path given before. The name it already holds changes nothing.
  void SetDeviceName(const QString& value);
  // Selects the camera a list entry stands for: DeviceName keeps the listed name, which messages and the
  // settings files use, and the device path binds that very camera even when another one is listed under
  // the same name. An empty path binds by the name. The pair it already holds changes nothing.
  void SelectDevice(const QString& name, const QString& path);
  QString DevicePath() const { return FDevicePath; }
  QString AudioDeviceName() const { return FAudioDeviceName; }
  void SetAudioDeviceName(const QString& value);
  QString CompressorName() const { return FCompressorName; }
  void SetCompressorName(const QString& value);
  QString AudioCompressorName() const { return FAudioCompressorName; }
  void SetAudioCompressorName(const QString& value);

  QString About() const;
  void SetAbout(const QString&) {}

  // ---- Graph state --------------------------------------------------------------------------------
  bool Active();
  void SetActive(bool value);
  TFCameraState State();
  void Run();
  void Pause();
  void Stop();

  TFCaptureType CaptureType() const;
  void SetCaptureType(TFCaptureType value);
  QString OutputFileName() const { return FOutputFileName; }
  void SetOutputFileName(const QString& value);
  TFMediaType OutputFileType() const { return FOutputFileType; }
  void SetOutputFileType(TFMediaType value);
  QObject* PreviewControl() const { return FPreviewControl; }
  void SetPreviewControl(QObject* value);
  const TFImageAvailableEvent& OnImageAvailable() const { return FOnImageAvailable; }
  // Handlers compare by the id given with them (a "same routine" test std::function cannot make).
  void SetOnImageAvailable(TFImageAvailableEvent handler);

  // Finds the top-level window of a preview control and its native handle, and maps control points to
  // that window. Installed by the window layer; the camera layer knows no widgets.
  struct PreviewWindowServices {
    // The form at the root of `control` (or `control` itself when it is a form); null when none.
    std::function<QObject*(QObject* control)> rootForm;
    // True when `object` is a form (a top-level window).
    std::function<bool(QObject* object)> isForm;
    std::function<tavelo::platform::WindowHandle(QObject* form)> nativeHandle;
    // The control's rectangle (0,0)-(width,height) mapped to form coordinates, as floating-point corners.
    std::function<void(QObject* control, QObject* form, double& left, double& top, double& right, double& bottom)>
        mapToForm;
  };
  void SetPreviewWindowServices(PreviewWindowServices services) { FPreviewServices = std::move(services); }

  // ---- Still images of the newest frame (CameraStillImages.cpp) ----------------------------------
  // Writes the newest frame at the stream's position: the camera's motion-JPEG bytes as delivered
  // (ifJpeg) or a bitmap file (ifBmp, also when there was no frame to write). Nothing is kept between calls.
  TFImageFormat CurrentImageToStream(QIODevice& stream);
  // Replaces the file only when a picture was written; a failure or an empty answer keeps what was there.
  TFImageFormat CurrentImageToFile(const QString& fileName);
  // The newest frame decoded; EInvalidGraphic when there is none or it does not decode.
  TFBitmap CurrentImageToBitmap();

  // ---- Video formats ------------------------------------------------------------------------------
  TFCameraFormats SupportedFormats();
  TFCameraFormat Format();
  void SetFormat(const TFCameraFormat& value);

  // ---- Properties (one table drives every family; see CameraProperties.h) -------------------------
  std::int32_t PropertyValue(TFCameraProperty property);
  void SetPropertyValue(TFCameraProperty property, std::int32_t value);
  bool PropertyAuto(TFCameraProperty property);
  void SetPropertyAuto(TFCameraProperty property, bool value);
  TFRange PropertyRange(TFCameraProperty property);
  bool PropertySupported(TFCameraProperty property);

#define TAVELO_DECLARE_PROPERTY_FAMILY(Name, Interface, Id)                                     \
  std::int32_t Name() { return PropertyValue(TFCameraProperty::Name); }                         \
  void Set##Name(std::int32_t value) { SetPropertyValue(TFCameraProperty::Name, value); }       \
  bool Name##Auto() { return PropertyAuto(TFCameraProperty::Name); }                            \
  void Set##Name##Auto(bool value) { SetPropertyAuto(TFCameraProperty::Name, value); }          \
  TFRange Name##Range() { return PropertyRange(TFCameraProperty::Name); }                       \
  bool Name##Supported() { return PropertySupported(TFCameraProperty::Name); }
  TAVELO_CAMERA_RANGED_PROPERTIES(TAVELO_DECLARE_PROPERTY_FAMILY)
#undef TAVELO_DECLARE_PROPERTY_FAMILY

  TFPowerLineFrequency PowerLineFrequency();
  void SetPowerLineFrequency(TFPowerLineFrequency value);
  bool PowerLineFrequencyAuto();
  void SetPowerLineFrequencyAuto(bool value);
  bool PowerLineFrequencySupported();

  bool ColorEnabled();
  void SetColorEnabled(bool value);
  bool ColorEnabledAuto() { return ColorEnableAuto(); }
  void SetColorEnabledAuto(bool value) { SetColorEnableAuto(value); }
  bool ColorEnabledSupported() { return ColorEnableSupported(); }

  TFScanMode ScanMode();
  void SetScanMode(TFScanMode value);
  bool ScanModeAuto();
  void SetScanModeAuto(bool value);

  std::int32_t FocalLength();

  TFFlashControl FlashControl();
  void SetFlashControl(TFFlashControl value);
  bool FlashControlSupported();
  TFFlashMode FlashMode();
  void SetFlashMode(TFFlashMode value);
  bool FlashModeSupported();
  TFVideoStabilizationControl VideoStabilizationControl();
  void SetVideoStabilizationControl(TFVideoStabilizationControl value);
  bool VideoStabilizationControlSupported();
  TFVideoStabilizationMode VideoStabilizationMode();
  void SetVideoStabilizationMode(TFVideoStabilizationMode value);
  bool VideoStabilizationModeSupported();

  // ---- Driver property dialogs (CameraDialogs.cpp) ------------------------------------------------
  // Open the platform's property frame modally on the capture filter's pages, or on those of the capture
  // pin's stream configuration, captioned with the filter's name; return when the user closes it.
  void ShowPropertyDialog();
  void ShowStreamPropertyDialog();
  void ShowPropertyPages(const std::shared_ptr<tavelo::platform::Unknown>& object);

  // ---- Preview geometry of the renderer path (CameraPreviewGeometry.cpp) ---------------------------
  // AspectRatio and BorderColor are stored settings while inactive (applied at the next activation) and
  // the renderer's live settings while active; every other value exists only on an active renderer path.
  bool AspectRatio();
  void SetAspectRatio(bool value);
  TAlphaColor BorderColor();
  void SetBorderColor(TAlphaColor value);
  TFPoint MaxIdealVideoSize();
  TFPoint MinIdealVideoSize();
  TFPoint NativeVideoSize();
  TFPoint NativeAspectRatio();
  TFRect VideoPositionSource();
  void SetVideoPositionSource(const TFRect& value);
  TFRect VideoPositionDest();
  void SetVideoPositionDest(const TFRect& value);
  // Active, with the renderer layout built; raises otherwise.
  void CheckVmr9();

  // ---- Cached platform objects (created on first use; nil on failure, retried next time) -----------
  std::shared_ptr<tavelo::platform::IGraphBuilder> GraphBuilder();
  std::shared_ptr<tavelo::platform::ICaptureGraphBuilder2> CaptureGraphBuilder2();
  std::shared_ptr<tavelo::platform::IBaseFilter> SampleGrabberFilter();
  std::shared_ptr<tavelo::platform::ISampleGrabber> SampleGrabber();
  std::shared_ptr<tavelo::platform::ISampleGrabberCB> SampleGrabberCB();
  std::shared_ptr<tavelo::platform::IBaseFilter> NullRenderer();
  std::shared_ptr<tavelo::platform::IBaseFilter> VideoMixingRenderer9Filter();
  std::shared_ptr<tavelo::platform::IVMRFilterConfig9> VMRFilterConfig9();
  std::shared_ptr<tavelo::platform::IVMRWindowlessControl9> VMRWindowlessControl9();
  std::shared_ptr<tavelo::platform::IMediaControl> MediaControl();
  std::shared_ptr<tavelo::platform::IMediaEvent> MediaEvent();
  std::shared_ptr<tavelo::platform::IBaseFilter> CaptureFilter();
  std::shared_ptr<tavelo::platform::IBaseFilter> AudioCaptureFilter();
  std::shared_ptr<tavelo::platform::IBaseFilter> CompressorFilter();
  std::shared_ptr<tavelo::platform::IBaseFilter> AudioCompressorFilter();
  std::shared_ptr<tavelo::platform::IPin> CapturePin();
  std::shared_ptr<tavelo::platform::IAMVideoProcAmp> AMVideoProcAmp();
  std::shared_ptr<tavelo::platform::IAMCameraControl> AMCameraControl();
  std::shared_ptr<tavelo::platform::IAMStreamConfig> AMStreamConfig();
  std::shared_ptr<tavelo::platform::IAMVideoControl> AMVideoControl();

  // ---- Checks and helpers (public so the window logic and tests can reach them) -------------------
  void CheckResult(tavelo::platform::Result result) const;
  static void Check(bool condition, const QString& message);
  static void CheckInterface(const void* object, const QString& interfaceName);
  void CheckDevice();
  void CheckActive();
  void CheckInactive();
  static bool IsUnsupported(tavelo::platform::Result result);
  std::shared_ptr<tavelo::platform::IBaseFilter> FindCategoryFilter(const tavelo::platform::Guid& category,
                                                                    const QString& name);
  static void ReleaseMediaType(tavelo::platform::AmMediaType& mediaType);
  static void DisposeMediaType(tavelo::platform::AmMediaType* mediaType);
  static TFCameraFormat MediaTypeToFormat(const tavelo::platform::AmMediaType& mediaType);
  void ReleaseGraph();

  // Called on the platform's streaming thread for every frame of the grabber path.
  tavelo::platform::Result NotifyImageAvailable(double sampleTime);
  bool InImageAvailable() const { return FInImageAvailable.load(); }

 private:
  bool IsDesigningOrLoading() const { return (FComponentState & (csDesigning | csLoading)) != 0; }
  bool IsActive() const;
  void Activate();
  void OnPreviewControlDestroyed(QObject* control);
  // The preview settings are the renderer's own only on a built graph; while designing nothing is built.
  bool PreviewSettingsAreLive() const { return (FComponentState & csDesigning) == 0 && IsActive(); }
  // CheckVmr9, then the renderer's windowless control.
  tavelo::platform::IVMRWindowlessControl9& LiveRenderer();

  std::shared_ptr<tavelo::platform::CapturePlatform> FPlatform;
  unsigned FComponentState = 0;
  PreviewWindowServices FPreviewServices;

  // Fields in the component's declaration order.
  bool FActive = false;
  std::shared_ptr<tavelo::platform::IAMCameraControl> FAMCameraControl;
  std::shared_ptr<tavelo::platform::IAMStreamConfig> FAMStreamConfig;
  std::shared_ptr<tavelo::platform::IAMVideoControl> FAMVideoControl;
  std::shared_ptr<tavelo::platform::IAMVideoProcAmp> FAMVideoProcAmp;
  bool FAspectRatio = false;
  std::shared_ptr<tavelo::platform::IBaseFilter> FAudioCaptureFilter;
  std::shared_ptr<tavelo::platform::IBaseFilter> FAudioCompressorFilter;
  QString FAudioCompressorName;
  QString FAudioDeviceName;
  TAlphaColor FBorderColor = 0;
  std::shared_ptr<tavelo::platform::IBaseFilter> FCaptureFilter;
  std::shared_ptr<tavelo::platform::ICaptureGraphBuilder2> FCaptureGraphBuilder2;
  std::shared_ptr<tavelo::platform::IPin> FCapturePin;
  TFCaptureType FCaptureType = TFCaptureType::ctAuto;
  std::shared_ptr<tavelo::platform::IBaseFilter> FCompressorFilter;
  QString FCompressorName;
  QString FDeviceName;
  QString FDevicePath;  // empty: bound by FDeviceName
  bool FGrabberUsed = false;
  std::shared_ptr<tavelo::platform::IGraphBuilder> FGraphBuilder;
  std::atomic<bool> FInImageAvailable{false};
  std::shared_ptr<tavelo::platform::IMediaControl> FMediaControl;
  std::shared_ptr<tavelo::platform::IMediaEvent> FMediaEvent;
  std::shared_ptr<tavelo::platform::IBaseFilter> FNullRenderer;
  TFImageAvailableEvent FOnImageAvailable;
  QString FOutputFileName;
  TFMediaType FOutputFileType = TFMediaType::mtAsf;
  QPointer<QObject> FPreviewControl;
  std::shared_ptr<tavelo::platform::ISampleGrabber> FSampleGrabber;
  std::shared_ptr<tavelo::platform::ISampleGrabberCB> FSampleGrabberCB;
  std::shared_ptr<tavelo::platform::IBaseFilter> FSampleGrabberFilter;
  std::shared_ptr<tavelo::platform::IBaseFilter> FVideoMixingRenderer9Filter;
  std::shared_ptr<tavelo::platform::IVMRFilterConfig9> FVMRFilterConfig9;
  std::shared_ptr<tavelo::platform::IVMRWindowlessControl9> FVMRWindowlessControl9;
};
