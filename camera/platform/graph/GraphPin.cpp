#include "camera/platform/graph/GraphPin.h"

#include "camera/platform/common/Enumerators.h"

namespace tavelo::platform {

Result GraphPin::QueryInterface(Iid iid, std::shared_ptr<void>& out) { return AnswerInterfaces<IPin>(this, iid, out); }

Result GraphPin::QueryDirection(PinDirection& out) {
  out = direction_;
  return kOk;
}

Result GraphPin::QueryId(std::string& out) {
  out = id_;
  return kOk;
}

Result GraphPin::EnumMediaTypes(std::shared_ptr<IEnumMediaTypes>& out) {
  std::vector<OwnedMediaType> types;
  if (auto connected = connectedType_()) types.push_back(std::move(*connected));
  out = std::make_shared<MediaTypeEnumerator>(std::move(types));
  return kOk;
}

}  // namespace tavelo::platform
