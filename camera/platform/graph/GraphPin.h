#pragma once

// A pin of one of the graph's own filters. It exists so the filters look like filters from outside
// (EnumPins, direction, id, the media type of the current connection); frames do not pass through it.

#include <functional>
#include <optional>
#include <string>

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/OwnedMediaType.h"

namespace tavelo::platform {

class GraphPin final : public IPin {
 public:
  // `connectedType` answers the type of the filter's connection, or nothing while unconnected.
  GraphPin(PinDirection direction, std::string id, std::function<std::optional<OwnedMediaType>()> connectedType)
      : direction_(direction), id_(std::move(id)), connectedType_(std::move(connectedType)) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;
  Result QueryDirection(PinDirection& out) override;
  Result QueryId(std::string& out) override;
  Result EnumMediaTypes(std::shared_ptr<IEnumMediaTypes>& out) override;

 private:
  const PinDirection direction_;
  const std::string id_;
  const std::function<std::optional<OwnedMediaType>()> connectedType_;
};

}  // namespace tavelo::platform
