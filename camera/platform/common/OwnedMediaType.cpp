#include "camera/platform/common/OwnedMediaType.h"

#include <utility>

namespace tavelo::platform {
namespace {

// Leaves `mediaType` without a block or attached object, so its old owner frees nothing.
void Disown(AmMediaType& mediaType) {
  mediaType.pbFormat = nullptr;
  mediaType.cbFormat = 0;
  mediaType.pUnk.reset();
}

}  // namespace

OwnedMediaType::OwnedMediaType(AmMediaType&& adopted) : mediaType_(adopted) { Disown(adopted); }

OwnedMediaType::OwnedMediaType(const OwnedMediaType& other) {
  // A failed allocation leaves an empty format block, which every reader treats as an unusable type.
  if (Failed(CopyMediaType(mediaType_, other.mediaType_))) FreeMediaTypeContents(mediaType_);
}

OwnedMediaType::OwnedMediaType(OwnedMediaType&& other) noexcept : mediaType_(other.mediaType_) {
  Disown(other.mediaType_);
}

OwnedMediaType& OwnedMediaType::operator=(OwnedMediaType other) noexcept {
  std::swap(mediaType_, other.mediaType_);
  return *this;
}

OwnedMediaType::~OwnedMediaType() { FreeMediaTypeContents(mediaType_); }

OwnedMediaType OwnedMediaType::Adopt(AmMediaType* handedOut) {
  if (handedOut == nullptr) return {};
  OwnedMediaType owned(std::move(*handedOut));
  DeleteMediaType(handedOut);  // only the emptied record is left to free
  return owned;
}

AmMediaType& OwnedMediaType::Receive() {
  FreeMediaTypeContents(mediaType_);
  mediaType_ = AmMediaType();
  return mediaType_;
}

}  // namespace tavelo::platform
