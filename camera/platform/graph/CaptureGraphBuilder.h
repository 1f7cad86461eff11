#pragma once

// The capture graph builder: connects a camera's pin of a category to the graph's own filters.
//
// RenderStream(category, type, source, intermediate, sink) finds the source filter's output pin of the
// category (a pin may be given directly). A camera without a separate preview pin serves preview from
// its capture pin, as a tee filter would split it. Every filter must already be in the graph, the sink
// and intermediate must be graph filters that accept the pin's current media type, and an input takes
// one stream only. The capture file (SetOutputFileName) is not available: kNotImplemented.

#include <memory>
#include <mutex>

#include "camera/platform/Interfaces.h"

namespace tavelo::platform {

class FilterGraph;

class CaptureGraphBuilder final : public ICaptureGraphBuilder2 {
 public:
  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;

  // Once only (kUnexpected afterwards); only graphs of this layer can be used.
  Result SetFiltergraph(const std::shared_ptr<IGraphBuilder>& graph) override;
  Result RenderStream(const Guid* category, const Guid* mediaType, const std::shared_ptr<Unknown>& source,
                      const std::shared_ptr<IBaseFilter>& intermediate,
                      const std::shared_ptr<IBaseFilter>& sink) override;
  Result SetOutputFileName(const Guid& subtype, const std::string& fileName, std::shared_ptr<IBaseFilter>& multiplexer,
                           std::shared_ptr<IFileSinkFilter>& fileSink) override;
  // Looks in the filter itself (when no category is given), then in its pins of the category and
  // media type, in pin order.
  Result FindInterface(const Guid* category, const Guid* mediaType, const std::shared_ptr<IBaseFilter>& filter,
                       Iid iid, std::shared_ptr<void>& out) override;

 private:
  std::mutex mutex_;
  std::shared_ptr<FilterGraph> graph_;
};

}  // namespace tavelo::platform
