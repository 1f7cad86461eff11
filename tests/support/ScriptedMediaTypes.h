#pragma once

// Media types for scripted pins: an owning copy of a media-type record, builders for video-info
// formats, and the hand-out of platform-owned records whose disposal is counted.

#include <cstdint>
#include <memory>

#include "tests/support/ScriptedCalls.h"
#include "camera/platform/MediaType.h"

namespace tavelo::scripted {

// Owns a media-type record and its format block. Unlike the platform's CopyMediaType it keeps a format
// size without a block, so a test can describe a malformed header.
class MediaTypeCopy {
 public:
  MediaTypeCopy() = default;
  explicit MediaTypeCopy(const platform::AmMediaType& source);
  MediaTypeCopy(const MediaTypeCopy& other);
  MediaTypeCopy(MediaTypeCopy&& other) noexcept;
  MediaTypeCopy& operator=(MediaTypeCopy other) noexcept;
  ~MediaTypeCopy();

  platform::AmMediaType& Get() { return mediaType_; }
  const platform::AmMediaType& Get() const { return mediaType_; }

  // Frees the block but keeps the stated size.
  MediaTypeCopy& DropBlock();
  // Replaces the block with `size` bytes (the old contents as far as they reach).
  MediaTypeCopy& ResizeBlock(std::uint32_t size);
  MediaTypeCopy& SetFormatType(const platform::Guid& formatType);

 private:
  platform::AmMediaType mediaType_;
};

struct VideoFormatSetup {
  std::int32_t width = 640;
  std::int32_t height = 480;
  std::int64_t avgTimePerFrame = 333333;  // 30 frames per second
  std::uint16_t bitCount = 16;
  std::uint32_t compression = platform::MakeFourCC('Y', 'U', 'Y', '2');  // 0 for uncompressed RGB
  bool fixedSizeSamples = true;
  std::uint32_t sampleSize = 0;  // 0: width * height * bitCount / 8
  platform::Rect source;
  platform::Rect target;
  std::uint32_t bitRate = 0;
  std::uint32_t bitErrorRate = 0;
  std::int32_t xPelsPerMeter = 0;
  std::int32_t yPelsPerMeter = 0;
};

// A video media type with a video-info header built from `setup`.
MediaTypeCopy VideoInfoFormat(const VideoFormatSetup& setup);

// Same type, format type and format block (byte for byte).
bool SameMediaType(const platform::AmMediaType& a, const platform::AmMediaType& b);

// A platform-owned record (TaskMemAlloc) copied from `source`, the way enumerators and GetFormat hand
// them out. Its attached object counts the disposal in `recorder` when the caller frees the record.
platform::AmMediaType* HandOutMediaType(const platform::AmMediaType& source,
                                        const std::shared_ptr<CallRecorder>& recorder);

}  // namespace tavelo::scripted
