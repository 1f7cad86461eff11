#include "camera/platform/graph/StreamInput.h"

namespace tavelo::platform {

StreamInput* InputOf(const std::shared_ptr<IBaseFilter>& filter) {
  return filter ? dynamic_cast<StreamInput*>(filter.get()) : nullptr;
}

StreamInput* InputOf(const std::shared_ptr<IBaseFilter>& filter, const Guid& majorType) {
  StreamInput* input = InputOf(filter);
  return input != nullptr ? input->InputFor(majorType) : nullptr;
}

Result ConnectChain(const std::vector<std::shared_ptr<IBaseFilter>>& chain, const OwnedMediaType& mediaType) {
  const Guid majorType = mediaType.Get().majortype;
  std::vector<StreamInput*> inputs;
  std::vector<OwnedMediaType> types{mediaType};
  for (const auto& filter : chain) {
    StreamInput* input = InputOf(filter, majorType);
    if (input == nullptr) return kErrorCannotRender;
    inputs.push_back(input);
    if (inputs.size() == chain.size()) break;
    OwnedMediaType passedOn;
    if (const Result passed = input->OutputMediaType(types.back(), passedOn); Failed(passed)) return passed;
    types.push_back(std::move(passedOn));
  }
  std::shared_ptr<IFrameSink> downstream;
  for (std::size_t i = inputs.size(); i-- > 0;) {
    if (const Result connected = inputs[i]->ConnectInput(types[i], downstream); Failed(connected)) return connected;
    downstream = inputs[i]->InputSink();
  }
  return kOk;
}

}  // namespace tavelo::platform
