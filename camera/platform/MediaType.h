#pragma once

// The media-type record and the video-info header, laid out as the platform hands them out.
//
// Records and format blocks returned by the platform (enumerators, GetFormat) are allocated with
// TaskMemAlloc and belong to the caller, who frees them with TaskMemFree.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "camera/platform/Guid.h"

namespace tavelo::platform {

class Unknown;

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct BitmapInfoHeader {
  std::uint32_t biSize = 40;
  std::int32_t biWidth = 0;
  std::int32_t biHeight = 0;
  std::uint16_t biPlanes = 1;
  std::uint16_t biBitCount = 0;
  std::uint32_t biCompression = 0;  // four-character code in memory order, 0 for uncompressed RGB
  std::uint32_t biSizeImage = 0;
  std::int32_t biXPelsPerMeter = 0;
  std::int32_t biYPelsPerMeter = 0;
  std::uint32_t biClrUsed = 0;
  std::uint32_t biClrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

struct VideoInfoHeader {
  Rect rcSource;
  Rect rcTarget;
  std::uint32_t dwBitRate = 0;
  std::uint32_t dwBitErrorRate = 0;
  std::int64_t AvgTimePerFrame = 0;  // 100 ns units
  BitmapInfoHeader bmiHeader;
};
static_assert(sizeof(VideoInfoHeader) == 88);
static_assert(offsetof(VideoInfoHeader, bmiHeader) == 48);
constexpr std::uint32_t kVideoInfoHeaderSize = sizeof(VideoInfoHeader);

// The wave format block of an audio media type (FormatWaveFormatEx): 18 bytes, packed as stored in files.
#pragma pack(push, 1)
struct WaveFormatEx {
  std::uint16_t wFormatTag = 1;  // 1: PCM
  std::uint16_t nChannels = 0;
  std::uint32_t nSamplesPerSec = 0;
  std::uint32_t nAvgBytesPerSec = 0;
  std::uint16_t nBlockAlign = 0;
  std::uint16_t wBitsPerSample = 0;
  std::uint16_t cbSize = 0;  // bytes of codec data that follow the block
};
#pragma pack(pop)
static_assert(sizeof(WaveFormatEx) == 18);

struct AmMediaType {
  Guid majortype;
  Guid subtype;
  std::int32_t bFixedSizeSamples = 0;
  std::int32_t bTemporalCompression = 0;
  std::uint32_t lSampleSize = 0;
  Guid formattype;
  std::shared_ptr<Unknown> pUnk;  // attached object, rarely used
  std::uint32_t cbFormat = 0;
  std::uint8_t* pbFormat = nullptr;  // TaskMemAlloc'd block of cbFormat bytes, or null
};

// The platform task allocator.
void* TaskMemAlloc(std::size_t bytes);
void TaskMemFree(void* block);

// Blocks TaskMemAlloc has handed out and TaskMemFree has taken back, over the whole program. Whoever
// receives a record frees it, so a test can prove with the difference that nothing it was handed leaked.
struct TaskMemCounts {
  std::uint64_t allocations = 0;
  std::uint64_t frees = 0;
};
TaskMemCounts CountTaskMem();

// A new platform-owned record (TaskMemAlloc) holding a deep copy of `source`, format block included.
AmMediaType* CreateMediaTypeCopy(const AmMediaType& source);
// Deep-copies `source` into `target` (which must hold no block); answers kOutOfMemory on failure.
std::int32_t CopyMediaType(AmMediaType& target, const AmMediaType& source);
// Builds a video media type with a video-info header as format block.
AmMediaType MakeVideoInfoMediaType(const Guid& subtype, const VideoInfoHeader& header, bool fixedSize,
                                   std::uint32_t sampleSize);
// Frees the format block and drops the attached object (the record itself stays).
void FreeMediaTypeContents(AmMediaType& mediaType);
// FreeMediaTypeContents, then frees the record itself; null is allowed.
void DeleteMediaType(AmMediaType* mediaType);

}  // namespace tavelo::platform
