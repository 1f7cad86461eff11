#pragma once

// The capture graph builder: connects a camera's pin of a category to the graph's own filters.
//
// RenderStream(category, type, source, intermediate, sink) finds the source filter's output pin of the
// category (a pin may be given directly). A camera without a separate preview pin serves preview from
// its capture pin, as a tee filter would split it. Every filter must already be in the graph, the sink
// and intermediate must be graph filters that accept the pin's current media type, and an input takes
// one stream only (a multiplexer has one input per major type: one video and one sound stream).
//
// The capture file comes from a maker the builder is given: the graph objects here know no file format,
// so the layer that does (media/) hands one in. Without a maker SetOutputFileName answers kNotImplemented.

#include <functional>
#include <memory>
#include <mutex>

#include "camera/platform/Interfaces.h"

namespace tavelo::platform {

class FilterGraph;

// Makes the multiplexer and its file sink (they may be one object) for a container subtype and a file
// name, or answers why not. It does not touch the graph; the builder adds the multiplexer.
using CaptureFileMaker = std::function<Result(const Guid& subtype, const std::string& fileName,
                                              std::shared_ptr<IBaseFilter>& multiplexer,
                                              std::shared_ptr<IFileSinkFilter>& fileSink)>;

class CaptureGraphBuilder final : public ICaptureGraphBuilder2 {
 public:
  CaptureGraphBuilder() = default;
  explicit CaptureGraphBuilder(CaptureFileMaker fileMaker) : fileMaker_(std::move(fileMaker)) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;

  // Once only (kUnexpected afterwards); only graphs of this layer can be used.
  Result SetFiltergraph(const std::shared_ptr<IGraphBuilder>& graph) override;
  Result RenderStream(const Guid* category, const Guid* mediaType, const std::shared_ptr<Unknown>& source,
                      const std::shared_ptr<IBaseFilter>& intermediate,
                      const std::shared_ptr<IBaseFilter>& sink) override;
  // Makes the multiplexer and file sink and adds the multiplexer to the graph as "Mux" (a stopped graph).
  Result SetOutputFileName(const Guid& subtype, const std::string& fileName, std::shared_ptr<IBaseFilter>& multiplexer,
                           std::shared_ptr<IFileSinkFilter>& fileSink) override;
  // Looks in the filter itself (when no category is given), then in its pins of the category and
  // media type, in pin order.
  Result FindInterface(const Guid* category, const Guid* mediaType, const std::shared_ptr<IBaseFilter>& filter,
                       Iid iid, std::shared_ptr<void>& out) override;

 private:
  const CaptureFileMaker fileMaker_;
  std::mutex mutex_;
  std::shared_ptr<FilterGraph> graph_;
};

}  // namespace tavelo::platform
