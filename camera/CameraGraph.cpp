// TFCamera: building, running and tearing down the capture graph, and the frame notification.

#include <cmath>
#include <limits>

#include "camera/FCamera.h"

using namespace tavelo::platform;

namespace {

const QString kVideoCaptureName = QStringLiteral("Video capture");

std::int32_t TruncatedCoordinate(double value) {
  if (std::isnan(value)) return 0;
  const double truncated = std::trunc(value);
  constexpr double kMin = std::numeric_limits<std::int32_t>::min();
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(truncated < kMin ? kMin : truncated > kMax ? kMax : truncated);
}

Result AddFilter(IGraphBuilder& graph, const std::shared_ptr<IBaseFilter>& filter, const QString& name) {
  return graph.AddFilter(filter, name.toStdString());
}

}  // namespace

bool TFCamera::IsActive() const {
  if ((FComponentState & csDesigning) != 0) return FActive;
  return FMediaControl != nullptr;
}

bool TFCamera::Active() { return IsActive(); }

void TFCamera::SetActive(bool value) {
  if (value == IsActive() || IsDesigningOrLoading()) {
    FActive = value;
    return;
  }
  if (!value) {
    ReleaseGraph();
    FActive = false;
    return;
  }
  FGrabberUsed = false;
  try {
    Activate();
  } catch (...) {
    FActive = false;
    ReleaseGraph();
    throw;
  }
  FActive = true;
}

void TFCamera::Activate() {
  CheckDevice();
  const auto captureFilter = CaptureFilter();
  CheckInterface(captureFilter.get(), QStringLiteral("Capture IBaseFilter"));
  const auto builder = CaptureGraphBuilder2();
  CheckInterface(builder.get(), QStringLiteral("ICaptureGraphBuilder2"));
  const auto graph = GraphBuilder();
  CheckInterface(graph.get(), QStringLiteral("IGraphBuilder"));
  CheckInterface(MediaControl().get(), QStringLiteral("IMediaControl"));

  Result previewResult = kOk;
  if (FCaptureType == TFCaptureType::ctVmr9 || FCaptureType == TFCaptureType::ctAuto) {
    const auto renderer = VideoMixingRenderer9Filter();
    CheckInterface(renderer.get(), QStringLiteral("VideoMixingRenderer9 IBaseFilter"));
    CheckInterface(VMRFilterConfig9().get(), QStringLiteral("IVMRFilterConfig9"));
    const auto windowless = VMRWindowlessControl9();
    CheckInterface(windowless.get(), QStringLiteral("IVMRWindowlessControl9"));

    QObject* form = nullptr;
    if (FPreviewControl) {
      if (FPreviewServices.rootForm) form = FPreviewServices.rootForm(FPreviewControl);
    } else if (FPreviewServices.isForm && parent() != nullptr && FPreviewServices.isForm(parent())) {
      form = parent();
    }
    Check(form != nullptr && FPreviewServices.nativeHandle, CameraMessages::NoPreviewForm);
    CheckResult(windowless->SetVideoClippingWindow(FPreviewServices.nativeHandle(form)));

    if (FPreviewControl) {
      double left = 0, top = 0, right = 0, bottom = 0;
      if (FPreviewServices.mapToForm) FPreviewServices.mapToForm(FPreviewControl, form, left, top, right, bottom);
      const Rect destination{TruncatedCoordinate(left), TruncatedCoordinate(top), TruncatedCoordinate(right),
                             TruncatedCoordinate(bottom)};
      CheckResult(windowless->SetVideoPosition(nullptr, &destination));
    }
    // Cosmetic settings: a renderer refusing them still shows the picture.
    windowless->SetAspectRatioMode(FAspectRatio ? kVmr9ArModeLetterBox : kVmr9ArModeNone);
    windowless->SetBorderColor(FBorderColor);

    CheckResult(AddFilter(*graph, captureFilter, kVideoCaptureName));
    CheckResult(AddFilter(*graph, renderer, QStringLiteral("VMR-9")));
    previewResult = builder->RenderStream(&guids::PinCategoryPreview, &guids::MediaTypeVideo, captureFilter, nullptr,
                                          renderer);
    if (FCaptureType == TFCaptureType::ctVmr9) CheckResult(previewResult);
  }

  // In automatic mode a preview that cannot be rendered falls back to the grabber.
  if (FCaptureType == TFCaptureType::ctGrabber || (FCaptureType == TFCaptureType::ctAuto && Failed(previewResult))) {
    FGrabberUsed = true;
    const auto nullRenderer = NullRenderer();
    CheckInterface(nullRenderer.get(), QStringLiteral("NullRenderer IBaseFilter"));
    const auto grabber = SampleGrabber();
    CheckInterface(grabber.get(), QStringLiteral("ISampleGrabber"));
    const auto grabberFilter = SampleGrabberFilter();
    CheckInterface(grabberFilter.get(), QStringLiteral("SampleGrabber IBaseFilter"));

    CheckResult(grabber->SetBufferSamples(true));
    if (FOnImageAvailable) {
      const auto callback = SampleGrabberCB();
      CheckInterface(callback.get(), QStringLiteral("ISampleGrabberCB"));
      CheckResult(grabber->SetCallback(callback, 0));
    }
    if (FCaptureType == TFCaptureType::ctAuto) {
      CheckResult(graph->RemoveFilter(captureFilter));
      CheckResult(graph->RemoveFilter(VideoMixingRenderer9Filter()));
    }
    CheckResult(AddFilter(*graph, captureFilter, kVideoCaptureName));
    CheckResult(AddFilter(*graph, grabberFilter, QStringLiteral("Sample grabber")));
    CheckResult(AddFilter(*graph, nullRenderer, QStringLiteral("Null renderer")));
    CheckResult(builder->RenderStream(&guids::PinCategoryPreview, &guids::MediaTypeVideo, captureFilter, grabberFilter,
                                      nullRenderer));
  }

  if (!FOutputFileName.isEmpty()) {
    const Guid& container = FOutputFileType == TFMediaType::mtAvi ? guids::MediaSubtypeAvi : guids::MediaSubtypeAsf;
    std::shared_ptr<IBaseFilter> multiplexer;
    std::shared_ptr<IFileSinkFilter> fileSink;
    CheckResult(builder->SetOutputFileName(container, FOutputFileName.toStdString(), multiplexer, fileSink));
    CheckInterface(multiplexer.get(), QStringLiteral("Mux IBaseFilter"));

    std::shared_ptr<IBaseFilter> videoIntermediate;
    if (!FCompressorName.isEmpty()) {
      videoIntermediate = CompressorFilter();
      CheckInterface(videoIntermediate.get(), QStringLiteral("Compressor IBaseFilter"));
      CheckResult(AddFilter(*graph, videoIntermediate, QStringLiteral("Compressor filter")));
    }
    CheckResult(builder->RenderStream(&guids::PinCategoryCapture, &guids::MediaTypeVideo, captureFilter,
                                      videoIntermediate, multiplexer));

    if (!FAudioDeviceName.isEmpty()) {
      const auto audioCapture = AudioCaptureFilter();
      CheckInterface(audioCapture.get(), QStringLiteral("IAudioCaptureFilter"));
      CheckResult(AddFilter(*graph, audioCapture, QStringLiteral("Audio capture")));
      std::shared_ptr<IBaseFilter> audioIntermediate;
      if (!FAudioCompressorName.isEmpty()) {
        audioIntermediate = AudioCompressorFilter();
        CheckInterface(audioIntermediate.get(), QStringLiteral("AudioCompressor IBaseFilter"));
        CheckResult(AddFilter(*graph, audioIntermediate, QStringLiteral("AudioCompressor filter")));
      }
      CheckResult(builder->RenderStream(&guids::PinCategoryCapture, &guids::MediaTypeAudio, audioCapture,
                                        audioIntermediate, multiplexer));
    }
  }
}

TFCameraState TFCamera::State() {
  if (!IsActive() || !FMediaControl) return TFCameraState::csInactive;
  FilterState state = FilterState::Stopped;
  if (Failed(FMediaControl->GetState(0, state))) return TFCameraState::csUnknown;
  switch (state) {
    case FilterState::Stopped: return TFCameraState::csStopped;
    case FilterState::Paused: return TFCameraState::csPaused;
    case FilterState::Running: return TFCameraState::csRunning;
  }
  return TFCameraState::csUnknown;
}

void TFCamera::Run() {
  CheckActive();
  CheckInterface(FMediaControl.get(), QStringLiteral("IMediaControl"));
  CheckResult(FMediaControl->Run());
}

void TFCamera::Pause() {
  CheckActive();
  CheckInterface(FMediaControl.get(), QStringLiteral("IMediaControl"));
  CheckResult(FMediaControl->Pause());
}

void TFCamera::Stop() {
  CheckActive();
  CheckInterface(FMediaControl.get(), QStringLiteral("IMediaControl"));
  CheckResult(FMediaControl->Stop());
}

// ---- Graph settings: stored as they are while inactive, refused with a new value while active -----

TFCaptureType TFCamera::CaptureType() const {
  if (!IsActive()) return FCaptureType;
  return FGrabberUsed ? TFCaptureType::ctGrabber : TFCaptureType::ctVmr9;
}

void TFCamera::SetCaptureType(TFCaptureType value) {
  if (value == FCaptureType) return;
  if (!IsDesigningOrLoading()) CheckInactive();
  FCaptureType = value;
}

void TFCamera::SetOutputFileName(const QString& value) {
  if (value == FOutputFileName) return;
  if (!IsDesigningOrLoading()) CheckInactive();
  FOutputFileName = value;
}

void TFCamera::SetOutputFileType(TFMediaType value) {
  if (value == FOutputFileType) return;
  if (!IsDesigningOrLoading()) CheckInactive();
  FOutputFileType = value;
}

void TFCamera::SetPreviewControl(QObject* value) {
  if (value == FPreviewControl) return;
  if (!IsDesigningOrLoading()) CheckInactive();
  if (FPreviewControl) disconnect(FPreviewControl, &QObject::destroyed, this, &TFCamera::OnPreviewControlDestroyed);
  FPreviewControl = value;
  if (value != nullptr) connect(value, &QObject::destroyed, this, &TFCamera::OnPreviewControlDestroyed);
}

void TFCamera::SetOnImageAvailable(TFImageAvailableEvent handler) {
  if (handler.SameRoutine(FOnImageAvailable)) return;
  if (!IsDesigningOrLoading()) CheckInactive();
  FOnImageAvailable = std::move(handler);
}

void TFCamera::OnPreviewControlDestroyed(QObject*) {
  // Runs inside the control's destruction, from the event loop's point of view: nothing may escape.
  try {
    SetActive(false);
  } catch (const std::exception& error) {
    qWarning("TFCamera: deactivation after removal of the preview control failed: %s", error.what());
  }
  FPreviewControl = nullptr;
}

Result TFCamera::NotifyImageAvailable(double sampleTime) {
  FInImageAvailable.store(true);
  if (FOnImageAvailable) {
    try {
      FOnImageAvailable.Handler(this, sampleTime);
    } catch (...) {
      // A failing handler must never reach the platform's streaming thread.
    }
  }
  FInImageAvailable.store(false);
  return kOk;
}
