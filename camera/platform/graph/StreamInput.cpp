#include "camera/platform/graph/StreamInput.h"

namespace tavelo::platform {

StreamInput* InputOf(const std::shared_ptr<IBaseFilter>& filter) {
  return filter ? dynamic_cast<StreamInput*>(filter.get()) : nullptr;
}

Result ConnectChain(const std::vector<std::shared_ptr<IBaseFilter>>& chain, const OwnedMediaType& mediaType) {
  std::shared_ptr<IFrameSink> downstream;
  for (auto filter = chain.rbegin(); filter != chain.rend(); ++filter) {
    StreamInput* input = InputOf(*filter);
    if (input == nullptr) return kErrorCannotRender;
    if (const Result connected = input->ConnectInput(mediaType, downstream); Failed(connected)) return connected;
    downstream = input->InputSink();
  }
  return kOk;
}

}  // namespace tavelo::platform
