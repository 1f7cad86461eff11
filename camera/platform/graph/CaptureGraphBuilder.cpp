#include "camera/platform/graph/CaptureGraphBuilder.h"

#include <optional>

#include "camera/platform/graph/FilterGraph.h"
#include "camera/platform/graph/StreamInput.h"

namespace tavelo::platform {
namespace {

std::optional<Guid> PinCategoryOf(const std::shared_ptr<IPin>& pin) {
  std::shared_ptr<IKsPropertySet> properties;
  if (Failed(QueryInterfaceAs(pin, properties))) return std::nullopt;
  Guid category;
  std::uint32_t returned = 0;
  const Result result = properties->Get(guids::AmPropSetIdPin, guids::kAmPropertyPinCategory, nullptr, 0, &category,
                                        sizeof category, returned);
  if (Failed(result) || returned != sizeof category) return std::nullopt;
  return category;
}

bool IsOutput(const std::shared_ptr<IPin>& pin) {
  PinDirection direction = PinDirection::Input;
  return Succeeded(pin->QueryDirection(direction)) && direction == PinDirection::Output;
}

bool CarriesMajorType(const std::shared_ptr<IPin>& pin, const Guid* mediaType) {
  if (mediaType == nullptr) return true;
  std::shared_ptr<IFrameSource> source;
  if (Failed(QueryInterfaceAs(pin, source))) return false;
  OwnedMediaType type;
  return Succeeded(source->GetStreamMediaType(type.Receive())) && type.Get().majortype == *mediaType;
}

// The filter's output pins of `category` (any output pin when null), in pin order.
Result PinsOfCategory(const std::shared_ptr<IBaseFilter>& filter, const Guid* category,
                      std::vector<std::shared_ptr<IPin>>& out) {
  out.clear();
  std::shared_ptr<IEnumPins> pins;
  const Result enumerated = filter->EnumPins(pins);
  if (Failed(enumerated)) return enumerated;
  if (pins == nullptr) return kOk;
  std::shared_ptr<IPin> pin;
  while (pins->Next(pin) == kOk) {
    if (pin == nullptr || !IsOutput(pin)) continue;
    if (category == nullptr || PinCategoryOf(pin) == *category) out.push_back(pin);
  }
  return kOk;
}

}  // namespace

Result CaptureGraphBuilder::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerInterfaces<ICaptureGraphBuilder2>(this, iid, out);
}

Result CaptureGraphBuilder::SetFiltergraph(const std::shared_ptr<IGraphBuilder>& graph) {
  if (graph == nullptr) return kNullPointer;
  std::lock_guard lock(mutex_);
  if (graph_ != nullptr) return kUnexpected;
  std::shared_ptr<void> identity;
  if (Failed(graph->QueryInterface(Iid::Unknown, identity))) return kNoInterface;
  auto own = std::dynamic_pointer_cast<FilterGraph>(std::static_pointer_cast<Unknown>(identity));
  if (own == nullptr) return kNoInterface;
  graph_ = std::move(own);
  return kOk;
}

Result CaptureGraphBuilder::RenderStream(const Guid* category, const Guid* mediaType,
                                         const std::shared_ptr<Unknown>& source,
                                         const std::shared_ptr<IBaseFilter>& intermediate,
                                         const std::shared_ptr<IBaseFilter>& sink) {
  std::shared_ptr<FilterGraph> graph;
  {
    std::lock_guard lock(mutex_);
    graph = graph_;
  }
  if (graph == nullptr) return kUnexpected;
  if (source == nullptr || sink == nullptr) return kNullPointer;
  if (!graph->IsStopped()) return kErrorNotStopped;

  // The source: a filter whose pin of the category is wanted, or the pin itself.
  std::shared_ptr<IBaseFilter> sourceFilter;
  std::shared_ptr<IPin> pin;
  if (Succeeded(QueryInterfaceAs(source, sourceFilter))) {
    if (!graph->Contains(sourceFilter)) return kInvalidArg;
    std::vector<std::shared_ptr<IPin>> candidates;
    Result found = PinsOfCategory(sourceFilter, category, candidates);
    if (Succeeded(found) && candidates.empty() && category != nullptr && *category == guids::PinCategoryPreview) {
      found = PinsOfCategory(sourceFilter, &guids::PinCategoryCapture, candidates);
    }
    if (Failed(found)) return found;
    for (const auto& candidate : candidates) {
      if (CarriesMajorType(candidate, mediaType)) {
        pin = candidate;
        break;
      }
    }
  } else if (Failed(QueryInterfaceAs(source, pin))) {
    return kInvalidArg;
  } else if (!CarriesMajorType(pin, mediaType)) {
    pin.reset();
  }
  std::shared_ptr<IFrameSource> frames;
  if (pin == nullptr || Failed(QueryInterfaceAs(pin, frames))) return kErrorCannotRender;

  OwnedMediaType streamType;
  if (const Result typed = frames->GetStreamMediaType(streamType.Receive()); Failed(typed)) return typed;
  const Guid majorType = streamType.Get().majortype;

  // The chain: the graph's own filters, in the graph, with free inputs for this kind of stream.
  std::vector<std::shared_ptr<IBaseFilter>> chain;
  if (intermediate != nullptr) chain.push_back(intermediate);
  chain.push_back(sink);
  for (std::size_t i = 0; i < chain.size(); ++i) {
    StreamInput* input = InputOf(chain[i], majorType);
    const bool mustPassOn = i + 1 < chain.size();
    if (input == nullptr || input->InputConnected() || (mustPassOn && !input->HasOutput())) return kErrorCannotRender;
    if (!graph->Contains(chain[i])) return kInvalidArg;
  }

  if (const Result connected = ConnectChain(chain, streamType); Failed(connected)) {
    // Every filter of the chain was free before, so none keeps a part of the failed route.
    for (const auto& filter : chain) InputOf(filter, majorType)->DisconnectInput();
    return connected;
  }
  graph->AddRoute({sourceFilter, frames, chain, majorType});
  return kOk;
}

Result CaptureGraphBuilder::SetOutputFileName(const Guid& subtype, const std::string& fileName,
                                              std::shared_ptr<IBaseFilter>& multiplexer,
                                              std::shared_ptr<IFileSinkFilter>& fileSink) {
  multiplexer.reset();
  fileSink.reset();
  std::shared_ptr<FilterGraph> graph;
  {
    std::lock_guard lock(mutex_);
    graph = graph_;
  }
  if (graph == nullptr) return kUnexpected;
  if (!fileMaker_) return kNotImplemented;
  std::shared_ptr<IBaseFilter> madeMultiplexer;
  std::shared_ptr<IFileSinkFilter> madeSink;
  const Result made = fileMaker_(subtype, fileName, madeMultiplexer, madeSink);
  if (Failed(made)) return made;
  if (madeMultiplexer == nullptr || madeSink == nullptr) return kUnexpected;
  if (const Result added = graph->AddFilter(madeMultiplexer, "Mux"); Failed(added)) return added;
  multiplexer = std::move(madeMultiplexer);
  fileSink = std::move(madeSink);
  return kOk;
}

Result CaptureGraphBuilder::FindInterface(const Guid* category, const Guid* mediaType,
                                          const std::shared_ptr<IBaseFilter>& filter, Iid iid,
                                          std::shared_ptr<void>& out) {
  out.reset();
  if (filter == nullptr) return kNullPointer;
  if (category == nullptr && Succeeded(filter->QueryInterface(iid, out)) && out != nullptr) return kOk;
  std::vector<std::shared_ptr<IPin>> pins;
  const Result found = PinsOfCategory(filter, category, pins);
  if (Failed(found)) return found;
  for (const auto& pin : pins) {
    if (!CarriesMajorType(pin, mediaType)) continue;
    if (Succeeded(pin->QueryInterface(iid, out)) && out != nullptr) return kOk;
  }
  out.reset();
  return kNoInterface;
}

}  // namespace tavelo::platform
