#include "tests/support/ScriptedGraph.h"

#include <cstring>
#include <new>

namespace tavelo::scripted {

using namespace platform;

namespace {

const void* Identity(const Unknown* object) { return dynamic_cast<const void*>(object); }

std::string GuidName(const Guid* guid) {
  if (guid == nullptr) return "Any";
  if (*guid == guids::PinCategoryPreview) return "Preview";
  if (*guid == guids::PinCategoryCapture) return "Capture";
  if (*guid == guids::MediaTypeVideo) return "Video";
  if (*guid == guids::MediaTypeAudio) return "Audio";
  return guid->ToString();
}

}  // namespace

// ---- ScriptedFilterGraph ----------------------------------------------------------------------------------

ScriptedFilterGraph::ScriptedFilterGraph(std::shared_ptr<CallRecorder> recorder)
    : ScriptedObject(std::move(recorder), "FilterGraph") {}

Result ScriptedFilterGraph::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerQuery<IGraphBuilder, IMediaControl, IMediaEvent>(this, iid, out);
}

Result ScriptedFilterGraph::AddFilter(const std::shared_ptr<IBaseFilter>& filter, const std::string& name) {
  const Scripted scripted = Intercept("GraphBuilder.AddFilter", std::nullopt, name);
  if (scripted.Refused()) return *scripted.answer;
  if (!filter) return kNullPointer;
  AddInternal(filter, name);
  return scripted.Or(kOk);
}

void ScriptedFilterGraph::AddInternal(const std::shared_ptr<IBaseFilter>& filter, std::string name) {
  filters_.push_back(Entry{filter, Identity(filter.get()), std::move(name), LabelOf(filter.get())});
}

Result ScriptedFilterGraph::RemoveFilter(const std::shared_ptr<IBaseFilter>& filter) {
  const Scripted scripted = Intercept("GraphBuilder.RemoveFilter", std::nullopt, LabelOf(filter.get()));
  if (scripted.Refused()) return *scripted.answer;
  const void* identity = Identity(filter.get());
  for (auto it = filters_.begin(); it != filters_.end(); ++it) {
    if (it->identity != identity) continue;
    filters_.erase(it);
    return scripted.Or(kOk);
  }
  return kFail;
}

Result ScriptedFilterGraph::EnumFilters(std::vector<std::shared_ptr<IBaseFilter>>& out) {
  out.clear();
  const Scripted scripted = Intercept("GraphBuilder.EnumFilters");
  if (scripted.Refused()) return *scripted.answer;
  for (const Entry& entry : filters_)
    if (auto filter = entry.filter.lock()) out.push_back(std::move(filter));
  return scripted.Or(kOk);
}

Result ScriptedFilterGraph::Run() {
  const Scripted scripted = Intercept("MediaControl.Run");
  if (scripted.Refused()) return *scripted.answer;
  state_ = FilterState::Running;
  return scripted.Or(kOk);
}

Result ScriptedFilterGraph::Pause() {
  const Scripted scripted = Intercept("MediaControl.Pause");
  if (scripted.Refused()) return *scripted.answer;
  state_ = FilterState::Paused;
  return scripted.Or(kOk);
}

Result ScriptedFilterGraph::Stop() {
  const Scripted scripted = Intercept("MediaControl.Stop");
  if (scripted.Refused()) return *scripted.answer;
  state_ = FilterState::Stopped;
  return scripted.Or(kOk);
}

Result ScriptedFilterGraph::GetState(std::int32_t timeoutMs, FilterState& out) {
  const Scripted scripted = Intercept("MediaControl.GetState", timeoutMs);
  if (scripted.Refused()) return *scripted.answer;
  out = state_;
  return scripted.Or(kOk);
}

Result ScriptedFilterGraph::StopWhenReady() {
  const Scripted scripted = Intercept("MediaControl.StopWhenReady");
  if (scripted.Refused()) return *scripted.answer;
  state_ = FilterState::Stopped;
  return scripted.Or(kOk);
}

std::vector<std::string> ScriptedFilterGraph::Filters() const {
  std::vector<std::string> filters;
  for (const Entry& entry : filters_) filters.push_back(entry.name + " = " + entry.label);
  return filters;
}

std::vector<std::string> ScriptedFilterGraph::Connections() const { return connections_; }

void ScriptedFilterGraph::AddConnection(std::string connection) { connections_.push_back(std::move(connection)); }

// ---- ScriptedCaptureGraphBuilder ----------------------------------------------------------------------------

ScriptedCaptureGraphBuilder::ScriptedCaptureGraphBuilder(std::shared_ptr<CallRecorder> recorder)
    : ScriptedObject(std::move(recorder), "CaptureGraphBuilder2") {}

Result ScriptedCaptureGraphBuilder::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerQuery<ICaptureGraphBuilder2>(this, iid, out);
}

std::shared_ptr<ScriptedFilterGraph> ScriptedCaptureGraphBuilder::Graph() const {
  return std::dynamic_pointer_cast<ScriptedFilterGraph>(graph_.lock());
}

Result ScriptedCaptureGraphBuilder::SetFiltergraph(const std::shared_ptr<IGraphBuilder>& graph) {
  const Scripted scripted = Intercept("CaptureGraphBuilder2.SetFiltergraph", std::nullopt, LabelOf(graph.get()));
  if (scripted.Refused()) return *scripted.answer;
  if (!graph) return kNullPointer;
  graph_ = graph;
  return scripted.Or(kOk);
}

Result ScriptedCaptureGraphBuilder::RenderStream(const Guid* category, const Guid* mediaType,
                                                 const std::shared_ptr<Unknown>& source,
                                                 const std::shared_ptr<IBaseFilter>& intermediate,
                                                 const std::shared_ptr<IBaseFilter>& sink) {
  std::string connection = GuidName(category) + " " + GuidName(mediaType) + ": " + LabelOf(source.get());
  if (intermediate) connection += " -> " + LabelOf(intermediate.get());
  connection += " -> " + LabelOf(sink.get());
  const Scripted scripted = Intercept("CaptureGraphBuilder2.RenderStream", std::nullopt, connection);
  if (scripted.Refused()) return *scripted.answer;
  const auto graph = Graph();
  if (!graph) return kUnexpected;
  if (!source) return kNullPointer;
  graph->AddConnection(std::move(connection));
  return scripted.Or(kOk);
}

Result ScriptedCaptureGraphBuilder::SetOutputFileName(const Guid& subtype, const std::string& fileName,
                                                      std::shared_ptr<IBaseFilter>& multiplexer,
                                                      std::shared_ptr<IFileSinkFilter>& fileSink) {
  multiplexer.reset();
  fileSink.reset();
  const std::string container = subtype == guids::MediaSubtypeAvi   ? "AVI"
                                : subtype == guids::MediaSubtypeAsf ? "ASF"
                                                                    : subtype.ToString();
  const Scripted scripted = Intercept("CaptureGraphBuilder2.SetOutputFileName", std::nullopt,
                                      container + " " + fileName);
  if (scripted.Refused()) return *scripted.answer;
  const auto graph = Graph();
  if (!graph) return kUnexpected;
  auto mux = std::make_shared<ScriptedBaseFilter>(recorder_, "Mux");
  auto sink = std::make_shared<ScriptedFileSink>(recorder_, fileName);
  std::shared_ptr<void> raw;
  mux->QueryInterface(Iid::BaseFilter, raw);
  multiplexer = std::static_pointer_cast<IBaseFilter>(raw);
  sink->QueryInterface(Iid::FileSinkFilter, raw);
  fileSink = std::static_pointer_cast<IFileSinkFilter>(raw);
  graph->AddInternal(multiplexer, "Mux");
  return scripted.Or(kOk);
}

Result ScriptedCaptureGraphBuilder::FindInterface(const Guid* category, const Guid* mediaType,
                                                  const std::shared_ptr<IBaseFilter>& filter, Iid iid,
                                                  std::shared_ptr<void>& out) {
  out.reset();
  const Scripted scripted = Intercept("CaptureGraphBuilder2.FindInterface", static_cast<std::int32_t>(iid),
                                      GuidName(category) + " " + GuidName(mediaType) + ": " + LabelOf(filter.get()) +
                                          " " + IidName(iid));
  if (scripted.Refused()) return *scripted.answer;
  if (!filter) return kNullPointer;
  // The filter itself, else one of its pins (of the requested category, when one is given).
  if (Succeeded(filter->QueryInterface(iid, out))) return scripted.Or(kOk);
  std::shared_ptr<IEnumPins> pins;
  if (Failed(filter->EnumPins(pins)) || !pins) return kNoInterface;
  for (;;) {
    std::shared_ptr<IPin> pin;
    if (pins->Next(pin) != kOk) return kNoInterface;
    if (category != nullptr) {
      std::shared_ptr<IKsPropertySet> properties;
      Guid pinCategory;
      std::uint32_t bytes = 0;
      if (Failed(QueryInterfaceAs(pin, properties)) ||
          Failed(properties->Get(guids::AmPropSetIdPin, guids::kAmPropertyPinCategory, nullptr, 0, &pinCategory,
                                 sizeof pinCategory, bytes)) ||
          !(pinCategory == *category))
        continue;
    }
    if (Succeeded(pin->QueryInterface(iid, out))) return scripted.Or(kOk);
  }
}

// ---- ScriptedSampleGrabber ----------------------------------------------------------------------------------

ScriptedSampleGrabber::ScriptedSampleGrabber(std::shared_ptr<CallRecorder> recorder)
    : ScriptedBaseFilter(std::move(recorder), "SampleGrabber") {}

Result ScriptedSampleGrabber::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerQuery<IBaseFilter, ISampleGrabber>(this, iid, out);
}

Result ScriptedSampleGrabber::SetBufferSamples(bool buffer) {
  const Scripted scripted = Intercept("SampleGrabber.SetBufferSamples", buffer ? 1 : 0);
  if (scripted.Refused()) return *scripted.answer;
  std::lock_guard lock(mutex_);
  bufferSamples_ = buffer;
  return scripted.Or(kOk);
}

Result ScriptedSampleGrabber::SetCallback(const std::shared_ptr<ISampleGrabberCB>& callback, std::int32_t which) {
  const Scripted scripted =
      Intercept("SampleGrabber.SetCallback", which, callback ? LabelOf(callback.get()) : std::string("(null)"));
  if (scripted.Refused()) return *scripted.answer;
  std::lock_guard lock(mutex_);
  callback_ = callback;
  callbackKind_ = which;
  return scripted.Or(kOk);
}

Result ScriptedSampleGrabber::GetConnectedMediaType(AmMediaType& out) {
  const Scripted scripted = Intercept("SampleGrabber.GetConnectedMediaType");
  if (scripted.Refused()) return *scripted.answer;
  std::lock_guard lock(mutex_);
  if (!connected_) return kErrorNotConnected;
  if (Failed(CopyMediaType(out, connected_->Get()))) return kOutOfMemory;
  return scripted.Or(kOk);
}

Result ScriptedSampleGrabber::GetCurrentBuffer(std::int32_t& size, std::uint8_t* buffer) {
  const Scripted scripted = Intercept("SampleGrabber.GetCurrentBuffer");
  if (scripted.Refused()) return *scripted.answer;
  std::lock_guard lock(mutex_);
  if (buffer_.empty()) return kErrorNoFrameYet;
  if (buffer == nullptr) {
    size = static_cast<std::int32_t>(buffer_.size());
    return scripted.Or(kOk);
  }
  const auto copied = std::min<std::size_t>(static_cast<std::size_t>(std::max(size, 0)), buffer_.size());
  std::memcpy(buffer, buffer_.data(), copied);
  size = static_cast<std::int32_t>(copied);
  return scripted.Or(kOk);
}

void ScriptedSampleGrabber::SetConnectedMediaType(MediaTypeCopy mediaType) {
  std::lock_guard lock(mutex_);
  connected_ = std::move(mediaType);
}

Result ScriptedSampleGrabber::Deliver(double sampleTime, std::vector<std::uint8_t> data) {
  std::shared_ptr<ISampleGrabberCB> callback;
  std::int32_t kind = 0;
  {
    std::lock_guard lock(mutex_);
    if (bufferSamples_) buffer_ = data;
    callback = callback_;
    kind = callbackKind_;
  }
  if (!callback) return kFalse;
  if (kind == 1) return callback->BufferCB(sampleTime, data.data(), static_cast<std::int32_t>(data.size()));
  return callback->SampleCB(sampleTime, std::make_shared<ScriptedMediaSample>(sampleTime, std::move(data)));
}

bool ScriptedSampleGrabber::BufferSamples() const {
  std::lock_guard lock(mutex_);
  return bufferSamples_;
}

bool ScriptedSampleGrabber::HasCallback() const {
  std::lock_guard lock(mutex_);
  return callback_ != nullptr;
}

// ---- ScriptedVmr9 -----------------------------------------------------------------------------------------------

ScriptedVmr9::ScriptedVmr9(std::shared_ptr<CallRecorder> recorder) : ScriptedBaseFilter(std::move(recorder), "VMR9") {}

Result ScriptedVmr9::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerQuery<IBaseFilter, IVMRFilterConfig9, IVMRWindowlessControl9>(this, iid, out);
}

Result ScriptedVmr9::SetRenderingMode(std::uint32_t mode) {
  const Scripted scripted = Intercept("VMRFilterConfig9.SetRenderingMode", static_cast<std::int32_t>(mode));
  if (scripted.Refused()) return *scripted.answer;
  renderingMode = mode;
  return scripted.Or(kOk);
}

Result ScriptedVmr9::SetVideoClippingWindow(WindowHandle window) {
  const Scripted scripted =
      Intercept("VMRWindowlessControl9.SetVideoClippingWindow", std::nullopt, std::to_string(window));
  if (scripted.Refused()) return *scripted.answer;
  clippingWindow = window;
  return scripted.Or(kOk);
}

Result ScriptedVmr9::SetVideoPosition(const Rect* sourceRect, const Rect* destinationRect) {
  const auto text = [](const Rect* rect) {
    if (rect == nullptr) return std::string("null");
    return std::to_string(rect->left) + "," + std::to_string(rect->top) + "," + std::to_string(rect->right) + "," +
           std::to_string(rect->bottom);
  };
  const Scripted scripted = Intercept("VMRWindowlessControl9.SetVideoPosition", std::nullopt,
                                      "source=" + text(sourceRect) + " destination=" + text(destinationRect));
  if (scripted.Refused()) return *scripted.answer;
  if (sourceRect != nullptr) source = *sourceRect;
  if (destinationRect != nullptr) destination = *destinationRect;
  return scripted.Or(kOk);
}

Result ScriptedVmr9::GetVideoPosition(Rect& sourceRect, Rect& destinationRect) {
  const Scripted scripted = Intercept("VMRWindowlessControl9.GetVideoPosition");
  if (scripted.Refused()) return *scripted.answer;
  sourceRect = source;
  destinationRect = destination;
  return scripted.Or(kOk);
}

Result ScriptedVmr9::SetAspectRatioMode(std::uint32_t mode) {
  const Scripted scripted = Intercept("VMRWindowlessControl9.SetAspectRatioMode", static_cast<std::int32_t>(mode));
  if (scripted.Refused()) return *scripted.answer;
  aspectRatioMode = mode;
  return scripted.Or(kOk);
}

Result ScriptedVmr9::GetAspectRatioMode(std::uint32_t& mode) {
  const Scripted scripted = Intercept("VMRWindowlessControl9.GetAspectRatioMode");
  if (scripted.Refused()) return *scripted.answer;
  mode = aspectRatioMode;
  return scripted.Or(kOk);
}

Result ScriptedVmr9::SetBorderColor(std::uint32_t color) {
  const Scripted scripted = Intercept("VMRWindowlessControl9.SetBorderColor", static_cast<std::int32_t>(color));
  if (scripted.Refused()) return *scripted.answer;
  borderColor = color;
  return scripted.Or(kOk);
}

Result ScriptedVmr9::GetBorderColor(std::uint32_t& color) {
  const Scripted scripted = Intercept("VMRWindowlessControl9.GetBorderColor");
  if (scripted.Refused()) return *scripted.answer;
  color = borderColor;
  return scripted.Or(kOk);
}

Result ScriptedVmr9::GetMaxIdealVideoSize(std::int32_t& width, std::int32_t& height) {
  const Scripted scripted = Intercept("VMRWindowlessControl9.GetMaxIdealVideoSize");
  if (scripted.Refused()) return *scripted.answer;
  width = nativeWidth_ * 4;
  height = nativeHeight_ * 4;
  return scripted.Or(kOk);
}

Result ScriptedVmr9::GetMinIdealVideoSize(std::int32_t& width, std::int32_t& height) {
  const Scripted scripted = Intercept("VMRWindowlessControl9.GetMinIdealVideoSize");
  if (scripted.Refused()) return *scripted.answer;
  width = 1;
  height = 1;
  return scripted.Or(kOk);
}

Result ScriptedVmr9::GetNativeVideoSize(std::int32_t& width, std::int32_t& height, std::int32_t& arWidth,
                                        std::int32_t& arHeight) {
  const Scripted scripted = Intercept("VMRWindowlessControl9.GetNativeVideoSize");
  if (scripted.Refused()) return *scripted.answer;
  width = arWidth = nativeWidth_;
  height = arHeight = nativeHeight_;
  return scripted.Or(kOk);
}

Result ScriptedVmr9::GetCurrentImage(std::uint8_t*& dib) {
  dib = nullptr;
  const Scripted scripted = Intercept("VMRWindowlessControl9.GetCurrentImage");
  if (scripted.Refused()) return *scripted.answer;
  BitmapInfoHeader header;
  header.biWidth = nativeWidth_;
  header.biHeight = nativeHeight_;
  header.biBitCount = 32;
  header.biSizeImage = static_cast<std::uint32_t>(nativeWidth_ * nativeHeight_ * 4);
  dib = static_cast<std::uint8_t*>(TaskMemAlloc(sizeof header + header.biSizeImage));
  std::memcpy(dib, &header, sizeof header);
  std::memset(dib + sizeof header, 0x80, header.biSizeImage);
  return scripted.Or(kOk);
}

void ScriptedVmr9::SetNativeVideoSize(std::int32_t width, std::int32_t height) {
  nativeWidth_ = width;
  nativeHeight_ = height;
}

// ---- ScriptedFileSink ---------------------------------------------------------------------------------------------

ScriptedFileSink::ScriptedFileSink(std::shared_ptr<CallRecorder> recorder, std::string fileName)
    : ScriptedObject(std::move(recorder), "FileWriter"), fileName_(std::move(fileName)) {}

Result ScriptedFileSink::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerQuery<IFileSinkFilter>(this, iid, out);
}

Result ScriptedFileSink::GetCurFile(std::string& fileName) {
  const Scripted scripted = Intercept("FileSinkFilter.GetCurFile");
  if (scripted.Refused()) return *scripted.answer;
  fileName = fileName_;
  return scripted.Or(kOk);
}

}  // namespace tavelo::scripted
