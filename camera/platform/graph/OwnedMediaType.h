#pragma once

// A media-type record that owns its format block: copies are deep, destruction frees the block.
// Used wherever a platform object keeps a media type (a pin's format list, a connection).

#include "camera/platform/MediaType.h"
#include "camera/platform/Result.h"

namespace tavelo::platform {

class OwnedMediaType {
 public:
  OwnedMediaType() = default;
  // Takes over `adopted` (its format block included) and leaves it empty.
  explicit OwnedMediaType(AmMediaType&& adopted);
  OwnedMediaType(const OwnedMediaType& other);
  OwnedMediaType(OwnedMediaType&& other) noexcept;
  OwnedMediaType& operator=(OwnedMediaType other) noexcept;
  ~OwnedMediaType();

  const AmMediaType& Get() const { return mediaType_; }
  // A deep copy into a record the caller frees (FreeMediaTypeContents).
  Result CopyTo(AmMediaType& target) const { return CopyMediaType(target, mediaType_); }
  // A deep copy as a new TaskMemAlloc'd record (DeleteMediaType); null when out of memory.
  AmMediaType* NewTaskMemCopy() const { return CreateMediaTypeCopy(mediaType_); }

 private:
  AmMediaType mediaType_;
};

}  // namespace tavelo::platform
