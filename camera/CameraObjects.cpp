// TFCamera: the cached platform objects. Each accessor answers the held object or tries once to obtain
// it; a failure leaves the field empty so that the next access tries again. Accessors never raise:
// callers that need the object pass it to CheckInterface.

#include <thread>

#include "camera/FCamera.h"
#include "camera/FSampleGrabberCB.h"

using namespace tavelo::platform;

namespace {

// Creates `clsid` as interface I, or leaves `field` empty.
template <class I>
const std::shared_ptr<I>& CreateCached(CapturePlatform& platform, const Guid& clsid, std::shared_ptr<I>& field) {
  if (!field) CreateInstanceAs(platform, clsid, field);
  return field;
}

// Asks `source` (obtained through its own accessor) for interface I, or leaves `field` empty.
template <class I, class From>
const std::shared_ptr<I>& QueryCached(const std::shared_ptr<From>& source, std::shared_ptr<I>& field) {
  if (!field && source) QueryInterfaceAs(source, field);
  return field;
}

bool IsCapturePin(const std::shared_ptr<IPin>& pin) {
  std::shared_ptr<IKsPropertySet> properties;
  if (Failed(QueryInterfaceAs(pin, properties))) return false;
  Guid category;
  std::uint32_t bytesReturned = 0;
  const Result result = properties->Get(guids::AmPropSetIdPin, guids::kAmPropertyPinCategory, nullptr, 0, &category,
                                        sizeof category, bytesReturned);
  return Succeeded(result) && bytesReturned == sizeof category && category == guids::PinCategoryCapture;
}

}  // namespace

std::shared_ptr<IGraphBuilder> TFCamera::GraphBuilder() {
  return CreateCached(*FPlatform, guids::FilterGraph, FGraphBuilder);
}

std::shared_ptr<ICaptureGraphBuilder2> TFCamera::CaptureGraphBuilder2() {
  if (FCaptureGraphBuilder2) return FCaptureGraphBuilder2;
  const auto graph = GraphBuilder();
  if (!graph) return nullptr;
  std::shared_ptr<ICaptureGraphBuilder2> builder;
  if (Failed(CreateInstanceAs(*FPlatform, guids::CaptureGraphBuilder2, builder))) return nullptr;
  if (Failed(builder->SetFiltergraph(graph))) return nullptr;
  FCaptureGraphBuilder2 = builder;
  return FCaptureGraphBuilder2;
}

std::shared_ptr<IBaseFilter> TFCamera::SampleGrabberFilter() {
  return CreateCached(*FPlatform, guids::SampleGrabber, FSampleGrabberFilter);
}

std::shared_ptr<ISampleGrabber> TFCamera::SampleGrabber() {
  if (FSampleGrabber) return FSampleGrabber;
  return QueryCached(SampleGrabberFilter(), FSampleGrabber);
}

std::shared_ptr<ISampleGrabberCB> TFCamera::SampleGrabberCB() {
  if (!FSampleGrabberCB) FSampleGrabberCB = std::make_shared<TFSampleGrabberCB>(this);
  return FSampleGrabberCB;
}

std::shared_ptr<IBaseFilter> TFCamera::NullRenderer() {
  return CreateCached(*FPlatform, guids::NullRenderer, FNullRenderer);
}

std::shared_ptr<IBaseFilter> TFCamera::VideoMixingRenderer9Filter() {
  return CreateCached(*FPlatform, guids::VideoMixingRenderer9, FVideoMixingRenderer9Filter);
}

std::shared_ptr<IVMRFilterConfig9> TFCamera::VMRFilterConfig9() {
  if (FVMRFilterConfig9) return FVMRFilterConfig9;
  std::shared_ptr<IVMRFilterConfig9> config;
  if (Failed(QueryInterfaceAs(VideoMixingRenderer9Filter(), config))) return nullptr;
  // Holding the configuration means the renderer is windowless; a renderer refusing that is no use.
  if (Failed(config->SetRenderingMode(kVmr9ModeWindowless))) return nullptr;
  FVMRFilterConfig9 = config;
  return FVMRFilterConfig9;
}

std::shared_ptr<IVMRWindowlessControl9> TFCamera::VMRWindowlessControl9() {
  if (FVMRWindowlessControl9) return FVMRWindowlessControl9;
  return QueryCached(VideoMixingRenderer9Filter(), FVMRWindowlessControl9);
}

std::shared_ptr<IMediaControl> TFCamera::MediaControl() {
  if (FMediaControl) return FMediaControl;
  return QueryCached(GraphBuilder(), FMediaControl);
}

std::shared_ptr<IMediaEvent> TFCamera::MediaEvent() {
  if (FMediaEvent) return FMediaEvent;
  return QueryCached(GraphBuilder(), FMediaEvent);
}

std::shared_ptr<IBaseFilter> TFCamera::CaptureFilter() {
  if (!FCaptureFilter) FCaptureFilter = FDevicePath.isEmpty() ? GetDevice(FDeviceName) : GetDeviceByPath(FDevicePath);
  return FCaptureFilter;
}

std::shared_ptr<IBaseFilter> TFCamera::AudioCaptureFilter() {
  if (!FAudioCaptureFilter) FAudioCaptureFilter = GetAudioCaptureDevice(FAudioDeviceName);
  return FAudioCaptureFilter;
}

std::shared_ptr<IBaseFilter> TFCamera::CompressorFilter() {
  if (!FCompressorFilter) FCompressorFilter = GetCompressor(FCompressorName);
  return FCompressorFilter;
}

std::shared_ptr<IBaseFilter> TFCamera::AudioCompressorFilter() {
  if (!FAudioCompressorFilter) FAudioCompressorFilter = GetAudioCompressor(FAudioCompressorName);
  return FAudioCompressorFilter;
}

std::shared_ptr<IPin> TFCamera::CapturePin() {
  if (FCapturePin) return FCapturePin;
  const auto filter = CaptureFilter();
  if (!filter) return nullptr;
  std::shared_ptr<IEnumPins> pins;
  if (Failed(filter->EnumPins(pins)) || !pins) return nullptr;
  for (;;) {
    std::shared_ptr<IPin> pin;
    if (pins->Next(pin) != kOk) return nullptr;
    if (pin && IsCapturePin(pin)) {
      FCapturePin = pin;
      return FCapturePin;
    }
  }
}

std::shared_ptr<IAMVideoProcAmp> TFCamera::AMVideoProcAmp() {
  if (FAMVideoProcAmp) return FAMVideoProcAmp;
  return QueryCached(CaptureFilter(), FAMVideoProcAmp);
}

std::shared_ptr<IAMCameraControl> TFCamera::AMCameraControl() {
  if (FAMCameraControl) return FAMCameraControl;
  return QueryCached(CaptureFilter(), FAMCameraControl);
}

std::shared_ptr<IAMStreamConfig> TFCamera::AMStreamConfig() {
  if (FAMStreamConfig) return FAMStreamConfig;
  return QueryCached(CapturePin(), FAMStreamConfig);
}

std::shared_ptr<IAMVideoControl> TFCamera::AMVideoControl() {
  if (FAMVideoControl) return FAMVideoControl;
  return QueryCached(CaptureFilter(), FAMVideoControl);
}

void TFCamera::ReleaseGraph() {
  // Stop frames first: no new callback, the graph on its way down.
  if (FSampleGrabber) FSampleGrabber->SetCallback(nullptr, 0);
  if (FMediaControl) FMediaControl->StopWhenReady();

  FAudioCaptureFilter.reset();
  FVideoMixingRenderer9Filter.reset();
  FVMRWindowlessControl9.reset();
  FVMRFilterConfig9.reset();
  FNullRenderer.reset();
  FSampleGrabber.reset();
  FSampleGrabberFilter.reset();
  if (auto callback = std::dynamic_pointer_cast<TFSampleGrabberCB>(FSampleGrabberCB)) callback->Detach();
  FSampleGrabberCB.reset();
  FMediaControl.reset();
  FMediaEvent.reset();
  FAMCameraControl.reset();
  FAMStreamConfig.reset();
  FAMVideoControl.reset();
  FAMVideoProcAmp.reset();
  FCaptureGraphBuilder2.reset();
  FGraphBuilder.reset();
  FCaptureFilter.reset();
  FCapturePin.reset();
  FAudioCompressorFilter.reset();
  FCompressorFilter.reset();

  // A notification still running on the streaming thread must finish before the graph is forgotten.
  while (FInImageAvailable.load()) std::this_thread::yield();
}
