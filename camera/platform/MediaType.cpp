#include "camera/platform/MediaType.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "camera/platform/Interfaces.h"

namespace tavelo::platform {

namespace {

std::atomic<std::uint64_t> taskMemAllocations{0};
std::atomic<std::uint64_t> taskMemFrees{0};

}  // namespace

void* TaskMemAlloc(std::size_t bytes) {
  void* block = std::malloc(bytes == 0 ? 1 : bytes);
  if (block != nullptr) taskMemAllocations.fetch_add(1, std::memory_order_relaxed);
  return block;
}

void TaskMemFree(void* block) {
  if (block == nullptr) return;
  taskMemFrees.fetch_add(1, std::memory_order_relaxed);
  std::free(block);
}

TaskMemCounts CountTaskMem() {
  return {taskMemAllocations.load(std::memory_order_relaxed), taskMemFrees.load(std::memory_order_relaxed)};
}

Result CopyMediaType(AmMediaType& target, const AmMediaType& source) {
  target = source;
  target.pbFormat = nullptr;
  target.cbFormat = 0;
  if (source.cbFormat != 0 && source.pbFormat != nullptr) {
    target.pbFormat = static_cast<std::uint8_t*>(TaskMemAlloc(source.cbFormat));
    if (target.pbFormat == nullptr) return kOutOfMemory;
    std::memcpy(target.pbFormat, source.pbFormat, source.cbFormat);
    target.cbFormat = source.cbFormat;
  }
  return kOk;
}

AmMediaType* CreateMediaTypeCopy(const AmMediaType& source) {
  void* memory = TaskMemAlloc(sizeof(AmMediaType));
  if (memory == nullptr) return nullptr;
  auto* record = new (memory) AmMediaType();
  if (Failed(CopyMediaType(*record, source))) {
    DeleteMediaType(record);
    return nullptr;
  }
  return record;
}

AmMediaType MakeVideoInfoMediaType(const Guid& subtype, const VideoInfoHeader& header, bool fixedSize,
                                   std::uint32_t sampleSize) {
  AmMediaType mt;
  mt.majortype = guids::MediaTypeVideo;
  mt.subtype = subtype;
  mt.bFixedSizeSamples = fixedSize ? 1 : 0;
  mt.bTemporalCompression = fixedSize ? 0 : 1;
  mt.lSampleSize = sampleSize;
  mt.formattype = guids::FormatVideoInfo;
  mt.pbFormat = static_cast<std::uint8_t*>(TaskMemAlloc(sizeof(VideoInfoHeader)));
  if (mt.pbFormat != nullptr) {
    std::memcpy(mt.pbFormat, &header, sizeof(VideoInfoHeader));
    mt.cbFormat = sizeof(VideoInfoHeader);
  }
  return mt;
}

void FreeMediaTypeContents(AmMediaType& mediaType) {
  if (mediaType.cbFormat != 0 || mediaType.pbFormat != nullptr) {
    TaskMemFree(mediaType.pbFormat);
    mediaType.cbFormat = 0;
    mediaType.pbFormat = nullptr;
  }
  mediaType.pUnk.reset();
}

void DeleteMediaType(AmMediaType* mediaType) {
  if (mediaType == nullptr) return;
  FreeMediaTypeContents(*mediaType);
  mediaType->~AmMediaType();
  TaskMemFree(mediaType);
}

}  // namespace tavelo::platform
