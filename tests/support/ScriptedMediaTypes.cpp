#include "tests/support/ScriptedMediaTypes.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "camera/platform/Interfaces.h"

namespace tavelo::scripted {

using namespace platform;

namespace {

void CopyInto(AmMediaType& target, const AmMediaType& source) {
  target = source;
  target.pbFormat = nullptr;
  if (source.pbFormat != nullptr && source.cbFormat != 0) {
    target.pbFormat = static_cast<std::uint8_t*>(TaskMemAlloc(source.cbFormat));
    std::memcpy(target.pbFormat, source.pbFormat, source.cbFormat);
  }
}

// Attached to every handed-out record; released when the caller frees the record's contents.
class DisposalCounter final : public Unknown {
 public:
  explicit DisposalCounter(std::shared_ptr<CallRecorder> recorder) : recorder_(std::move(recorder)) {}
  ~DisposalCounter() override { recorder_->mediaTypesDisposed.fetch_add(1); }
  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override { return AnswerInterfaces<>(this, iid, out); }

 private:
  std::shared_ptr<CallRecorder> recorder_;
};

}  // namespace

MediaTypeCopy::MediaTypeCopy(const AmMediaType& source) { CopyInto(mediaType_, source); }

MediaTypeCopy::MediaTypeCopy(const MediaTypeCopy& other) { CopyInto(mediaType_, other.mediaType_); }

MediaTypeCopy::MediaTypeCopy(MediaTypeCopy&& other) noexcept : mediaType_(other.mediaType_) {
  other.mediaType_.pbFormat = nullptr;
  other.mediaType_.cbFormat = 0;
  other.mediaType_.pUnk.reset();
}

MediaTypeCopy& MediaTypeCopy::operator=(MediaTypeCopy other) noexcept {
  std::swap(mediaType_, other.mediaType_);
  return *this;
}

MediaTypeCopy::~MediaTypeCopy() { FreeMediaTypeContents(mediaType_); }

MediaTypeCopy& MediaTypeCopy::DropBlock() {
  TaskMemFree(mediaType_.pbFormat);
  mediaType_.pbFormat = nullptr;
  return *this;
}

MediaTypeCopy& MediaTypeCopy::ResizeBlock(std::uint32_t size) {
  auto* block = static_cast<std::uint8_t*>(TaskMemAlloc(size));
  std::memset(block, 0, size);
  if (mediaType_.pbFormat != nullptr) std::memcpy(block, mediaType_.pbFormat, std::min(size, mediaType_.cbFormat));
  TaskMemFree(mediaType_.pbFormat);
  mediaType_.pbFormat = block;
  mediaType_.cbFormat = size;
  return *this;
}

MediaTypeCopy& MediaTypeCopy::SetFormatType(const Guid& formatType) {
  mediaType_.formattype = formatType;
  return *this;
}

MediaTypeCopy VideoInfoFormat(const VideoFormatSetup& setup) {
  VideoInfoHeader header;
  header.rcSource = setup.source;
  header.rcTarget = setup.target;
  header.dwBitRate = setup.bitRate;
  header.dwBitErrorRate = setup.bitErrorRate;
  header.AvgTimePerFrame = setup.avgTimePerFrame;
  header.bmiHeader.biWidth = setup.width;
  header.bmiHeader.biHeight = setup.height;
  header.bmiHeader.biBitCount = setup.bitCount;
  header.bmiHeader.biCompression = setup.compression;
  const std::uint32_t imageSize = static_cast<std::uint32_t>(std::abs(setup.width) * std::abs(setup.height)) *
                                  setup.bitCount / 8;
  header.bmiHeader.biSizeImage = imageSize;
  header.bmiHeader.biXPelsPerMeter = setup.xPelsPerMeter;
  header.bmiHeader.biYPelsPerMeter = setup.yPelsPerMeter;
  Guid subtype = setup.compression == 0 ? (setup.bitCount == 32 ? guids::MediaSubtypeRGB32 : guids::MediaSubtypeRGB24)
                                       : FourCCSubtype(setup.compression);
  AmMediaType built =
      MakeVideoInfoMediaType(subtype, header, setup.fixedSizeSamples, setup.sampleSize != 0 ? setup.sampleSize : imageSize);
  MediaTypeCopy copy(built);
  FreeMediaTypeContents(built);
  return copy;
}

bool SameMediaType(const AmMediaType& a, const AmMediaType& b) {
  if (!(a.majortype == b.majortype && a.subtype == b.subtype && a.formattype == b.formattype &&
        a.cbFormat == b.cbFormat && (a.pbFormat == nullptr) == (b.pbFormat == nullptr)))
    return false;
  return a.pbFormat == nullptr || std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0;
}

AmMediaType* HandOutMediaType(const AmMediaType& source, const std::shared_ptr<CallRecorder>& recorder) {
  auto* record = new (TaskMemAlloc(sizeof(AmMediaType))) AmMediaType();
  CopyInto(*record, source);
  record->pUnk = std::make_shared<DisposalCounter>(recorder);
  recorder->mediaTypesHandedOut.fetch_add(1);
  return record;
}

}  // namespace tavelo::scripted
