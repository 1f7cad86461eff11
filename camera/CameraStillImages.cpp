// TFCamera: the newest frame as a still image (a stream, a file or a bitmap).
//
// Each call reads the connected format and the buffered frame afresh and keeps nothing. The frame is
// copied once out of the grabber and once into the stream (YUY2: into the converted words, then into
// the stream). The format block describes a frame the camera chose; when it lies about sizes the frame
// is written as far as it is valid or not at all, and nothing is read past a buffer.

#include <QBuffer>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <memory>

#include "camera/FCamera.h"
#include "camera/platform/common/Yuy2Conversion.h"

using namespace tavelo::platform;

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kMinInfoHeaderSize = sizeof(BitmapInfoHeader);
constexpr std::uint32_t kInfoHeaderOffset = offsetof(VideoInfoHeader, bmiHeader);
constexpr std::uint32_t kUncompressed = 0;
// Same bound as the frame layouts use: larger sides are a broken header, not a picture.
constexpr std::int32_t kMaxSide = 16384;

void Put16(std::uint8_t* p, std::uint32_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
}
void Put32(std::uint8_t* p, std::uint32_t value) {
  Put16(p, value);
  Put16(p + 2, value >> 16);
}

void Write(QIODevice& stream, const void* data, std::size_t size) {
  if (size == 0) return;
  if (stream.write(static_cast<const char*>(data), static_cast<qint64>(size)) != static_cast<qint64>(size))
    throw EFCameraError(QStringLiteral("Stream write error"));
}

// "BM", file size, two reserved words, pixel offset.
void WriteFileHeader(QIODevice& stream, std::uint32_t infoSize, std::uint64_t pixelBytes) {
  std::uint8_t header[kFileHeaderSize] = {'B', 'M'};
  Put32(header + 2, static_cast<std::uint32_t>(kFileHeaderSize + infoSize + pixelBytes));
  Put32(header + 10, kFileHeaderSize + infoSize);
  Write(stream, header, sizeof header);
}

struct MediaTypeContents {
  AmMediaType value;
  ~MediaTypeContents() { TFCamera::ReleaseMediaType(value); }
};

struct TaskMemBlock {
  std::uint8_t* bytes = nullptr;
  ~TaskMemBlock() { TaskMemFree(bytes); }
};

// The bitmap info header inside the format block, when the block is a video-info one that really
// holds it: at least 88 bytes, and a header whose own size field fits the block. The header is copied
// out because the block gives no alignment guarantee.
bool InfoHeaderOf(const AmMediaType& mediaType, BitmapInfoHeader& header, std::uint32_t& infoSize) {
  if (mediaType.formattype != guids::FormatVideoInfo || mediaType.pbFormat == nullptr ||
      mediaType.cbFormat < kVideoInfoHeaderSize)
    return false;
  std::memcpy(&header, mediaType.pbFormat + kInfoHeaderOffset, sizeof header);
  infoSize = header.biSize;
  return infoSize >= kMinInfoHeaderSize && infoSize <= mediaType.cbFormat - kInfoHeaderOffset;
}

void WriteYuy2AsBitmap(QIODevice& stream, const AmMediaType& mediaType, BitmapInfoHeader header,
                       std::uint32_t infoSize, const std::uint8_t* frame, std::size_t frameBytes) {
  const std::int32_t width = header.biWidth;
  const std::int32_t height = header.biHeight;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  const std::size_t pixelBytes = rowBytes * static_cast<std::size_t>(height);
  const auto pixels = std::make_unique_for_overwrite<std::uint8_t[]>(pixelBytes);
  const int convertedRows = ConvertYuy2ToBgra(frame, frameBytes, width, height, pixels.get());
  // A frame shorter than its format says: the rows it does not hold stay black.
  for (int row = convertedRows; row < height; ++row) {
    std::uint8_t* out = pixels.get() + static_cast<std::size_t>(height - 1 - row) * rowBytes;
    for (std::size_t i = 0; i < rowBytes; i += 4) Put32(out + i, 0xFF000000u);
  }

  header.biBitCount = 32;
  header.biCompression = kUncompressed;
  header.biSizeImage = 0;
  header.biClrUsed = 0;
  header.biClrImportant = 0;
  WriteFileHeader(stream, infoSize, pixelBytes);
  Write(stream, &header, sizeof header);
  // Bytes past the standard header belong to a larger header kind and go out as the block has them.
  Write(stream, mediaType.pbFormat + kInfoHeaderOffset + sizeof header, infoSize - sizeof header);
  Write(stream, pixels.get(), pixelBytes);
}

}  // namespace

TFImageFormat TFCamera::CurrentImageToStream(QIODevice& stream) {
  CheckActive();
  TFImageFormat result = TFImageFormat::ifBmp;

  if (FGrabberUsed) {
    CheckInterface(FSampleGrabber.get(), QStringLiteral("ISampleGrabber"));
    MediaTypeContents mediaType;
    CheckResult(FSampleGrabber->GetConnectedMediaType(mediaType.value));
    BitmapInfoHeader header;
    std::uint32_t infoSize = 0;
    if (!InfoHeaderOf(mediaType.value, header, infoSize)) return result;

    std::int32_t size = 0;
    if (Failed(FSampleGrabber->GetCurrentBuffer(size, nullptr)) || size <= 0) return result;
    const auto frame = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(size));
    std::int32_t fetched = size;
    CheckResult(FSampleGrabber->GetCurrentBuffer(fetched, frame.get()));
    const auto frameBytes = static_cast<std::size_t>(std::clamp(fetched, 0, size));

    if (header.biCompression == MakeFourCC('M', 'J', 'P', 'G')) {
      result = TFImageFormat::ifJpeg;
      Write(stream, frame.get(), frameBytes);
    } else if (header.biPlanes == 1 && header.biBitCount == 16 &&
               header.biCompression == MakeFourCC('Y', 'U', 'Y', '2')) {
      WriteYuy2AsBitmap(stream, mediaType.value, header, infoSize, frame.get(), frameBytes);
    } else {
      WriteFileHeader(stream, infoSize, frameBytes);
      Write(stream, mediaType.value.pbFormat + kInfoHeaderOffset, infoSize);
      Write(stream, frame.get(), frameBytes);
    }
    return result;
  }

  CheckInterface(FVMRWindowlessControl9.get(), QStringLiteral("IVMRWindowlessControl9"));
  TaskMemBlock image;
  CheckResult(FVMRWindowlessControl9->GetCurrentImage(image.bytes));
  if (image.bytes == nullptr) return result;
  BitmapInfoHeader header;
  std::memcpy(&header, image.bytes, sizeof header);
  WriteFileHeader(stream, header.biSize, header.biSizeImage);
  Write(stream, image.bytes, static_cast<std::size_t>(header.biSize) + header.biSizeImage);
  return result;
}

TFImageFormat TFCamera::CurrentImageToFile(const QString& fileName) {
  // Written beside the target and moved over it only once a picture is complete, so a failing call
  // or an empty answer leaves a file that was there before as it was.
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly))
    throw EFCameraError(QStringLiteral("Cannot create file \"%1\". %2")
                            .arg(QFileInfo(fileName).absoluteFilePath(), file.errorString()));
  const TFImageFormat result = CurrentImageToStream(file);
  if (file.pos() > 0 && !file.commit())
    throw EFCameraError(QStringLiteral("Cannot create file \"%1\". %2")
                            .arg(QFileInfo(fileName).absoluteFilePath(), file.errorString()));
  return result;
}

TFBitmap TFCamera::CurrentImageToBitmap() {
  QBuffer stream;
  stream.open(QIODevice::ReadWrite);
  CurrentImageToStream(stream);
  stream.seek(0);
  return TFBitmap::LoadFromStream(stream);
}
