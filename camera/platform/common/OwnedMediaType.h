#pragma once

// A media-type record that owns its format block: copies are deep, destruction frees the block.
// Every platform object that keeps a media type (a pin's format list, a connection, a format just read
// from a pin) keeps it in one of these; raw records exist only at the interface calls themselves.

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

  // Takes over a record an interface handed out (its block and the record itself); null gives an empty
  // type.
  static OwnedMediaType Adopt(AmMediaType* handedOut);

  const AmMediaType& Get() const { return mediaType_; }
  // For an interface call that fills in a record (GetStreamMediaType, GetConnectedMediaType): frees what
  // is held and lends the empty record, which this object owns again once the call has filled it.
  AmMediaType& Receive();

  // A deep copy into a record the caller frees (FreeMediaTypeContents).
  Result CopyTo(AmMediaType& target) const { return CopyMediaType(target, mediaType_); }
  // A deep copy as a new TaskMemAlloc'd record (DeleteMediaType); null when out of memory.
  AmMediaType* NewTaskMemCopy() const { return CreateMediaTypeCopy(mediaType_); }

 private:
  AmMediaType mediaType_;
};

}  // namespace tavelo::platform
