#include "camera/platform/graph/OwnedMediaType.h"

#include <utility>

namespace tavelo::platform {

OwnedMediaType::OwnedMediaType(AmMediaType&& adopted) : mediaType_(adopted) {
  adopted.pbFormat = nullptr;
  adopted.cbFormat = 0;
  adopted.pUnk.reset();
}

OwnedMediaType::OwnedMediaType(const OwnedMediaType& other) {
  // A failed allocation leaves an empty format block, which every reader treats as an unusable type.
  if (Failed(CopyMediaType(mediaType_, other.mediaType_))) FreeMediaTypeContents(mediaType_);
}

OwnedMediaType::OwnedMediaType(OwnedMediaType&& other) noexcept : mediaType_(other.mediaType_) {
  other.mediaType_.pbFormat = nullptr;
  other.mediaType_.cbFormat = 0;
  other.mediaType_.pUnk.reset();
}

OwnedMediaType& OwnedMediaType::operator=(OwnedMediaType other) noexcept {
  std::swap(mediaType_, other.mediaType_);
  return *this;
}

OwnedMediaType::~OwnedMediaType() { FreeMediaTypeContents(mediaType_); }

}  // namespace tavelo::platform
