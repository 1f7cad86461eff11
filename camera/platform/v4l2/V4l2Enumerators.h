#pragma once

// Enumerators over a list fixed when they are made: pins, monikers, media types.

#include <cstddef>
#include <memory>
#include <vector>

#include "camera/platform/Interfaces.h"

namespace tavelo::platform::v4l2 {

// Hands out shared objects (pins, monikers) one at a time, then answers kFalse.
template <class EnumInterface, class Item>
class ListEnumerator final : public EnumInterface {
 public:
  explicit ListEnumerator(std::vector<std::shared_ptr<Item>> items) : items_(std::move(items)) {}
  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerInterfaces<EnumInterface>(this, iid, out);
  }
  Result Next(std::shared_ptr<Item>& out) override {
    out.reset();
    if (next_ >= items_.size()) return kFalse;
    out = items_[next_++];
    return kOk;
  }

 private:
  std::vector<std::shared_ptr<Item>> items_;
  std::size_t next_ = 0;
};

// Hands out a copy of each media type (TaskMemAlloc'd, the caller's to free).
class MediaTypeEnumerator final : public IEnumMediaTypes {
 public:
  explicit MediaTypeEnumerator(std::vector<AmMediaType> mediaTypes) : mediaTypes_(std::move(mediaTypes)) {}
  ~MediaTypeEnumerator() override {
    for (AmMediaType& mediaType : mediaTypes_) FreeMediaTypeContents(mediaType);
  }
  MediaTypeEnumerator(const MediaTypeEnumerator&) = delete;
  MediaTypeEnumerator& operator=(const MediaTypeEnumerator&) = delete;

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerInterfaces<IEnumMediaTypes>(this, iid, out);
  }
  Result Next(AmMediaType*& out) override {
    out = nullptr;
    if (next_ >= mediaTypes_.size()) return kFalse;
    out = CreateMediaTypeCopy(mediaTypes_[next_]);
    if (out == nullptr) return kOutOfMemory;
    ++next_;
    return kOk;
  }

 private:
  std::vector<AmMediaType> mediaTypes_;
  std::size_t next_ = 0;
};

}  // namespace tavelo::platform::v4l2
