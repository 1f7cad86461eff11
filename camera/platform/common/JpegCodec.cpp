#include "camera/platform/common/JpegCodec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>

#include <jpeglib.h>

#include "camera/platform/common/JpegHuffmanDefaults.h"

// libjpeg reports fatal errors through a callback that must not return; the usual answer is a longjmp
// back into the caller. Jumping over C++ destructors is undefined, so every function below that calls
// setjmp holds only plain C data, and the vectors live in the callers.

namespace tavelo::platform {
namespace {

constexpr int kMaxSide = 16384;

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

[[noreturn]] void OnFatalError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

void OnMessage(j_common_ptr) {}  // corrupt-data warnings are not worth a line on stderr per frame

// Routes fatal errors to the caller's setjmp and silences warnings; answers what info.err must hold.
jpeg_error_mgr* AttachErrors(ErrorManager& errors) {
  jpeg_error_mgr* manager = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = OnFatalError;
  errors.pub.output_message = OnMessage;
  return manager;
}

bool CompressInto(const std::uint8_t* rgb, int width, int height, int quality, unsigned char** buffer,
                  unsigned long* size) {
  jpeg_compress_struct info;
  ErrorManager errors;
  info.err = AttachErrors(errors);
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, buffer, size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + static_cast<std::size_t>(info.next_scanline) * width * 3);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

// Where a decoded picture goes: asked for room once the header has given the size, before any pixel is
// decoded, so the header is read only once. Plain C data, as the note above requires; a null answer
// gives up.
struct BgraTarget {
  std::uint8_t* (*reserve)(void* owner, int width, int height);
  void* owner;
  RowOrder order;
};

constexpr int kRowsPerRead = 16;  // the tallest MCU row libjpeg hands out at once

// Decodes with a created decompressor and leaves it ready for the next image, whatever happens.
bool DecompressWith(jpeg_decompress_struct& info, ErrorManager& errors, const std::uint8_t* data, std::size_t size,
                    const BgraTarget& target) {
  if (setjmp(errors.jump) != 0) {
    jpeg_abort_decompress(&info);
    return false;
  }
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  const unsigned definedTables = HuffmanSlotsDefinedIn(data, size);
  jpeg_read_header(&info, TRUE);
  FillUndefinedHuffmanTables(info, definedTables);
  const auto width = static_cast<int>(info.image_width);
  const auto height = static_cast<int>(info.image_height);
  std::uint8_t* bgra = target.reserve(target.owner, width, height);
  if (bgra == nullptr) {
    jpeg_abort_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(&info);
  if (static_cast<int>(info.output_width) != width || static_cast<int>(info.output_height) != height) {
    jpeg_abort_decompress(&info);
    return false;
  }
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  JSAMPROW rows[kRowsPerRead];
  while (info.output_scanline < info.output_height) {
    const int first = static_cast<int>(info.output_scanline);
    const int count = std::min(kRowsPerRead, height - first);
    for (int i = 0; i < count; ++i) {
      const int row = target.order == RowOrder::BottomUp ? height - 1 - (first + i) : first + i;
      rows[i] = bgra + static_cast<std::size_t>(row) * stride;
    }
    jpeg_read_scanlines(&info, rows, static_cast<JDIMENSION>(count));
  }
  jpeg_finish_decompress(&info);
  return true;
}

// Plain C data around jpeg_create_decompress, whose only failure is running out of memory.
bool CreateDecompressor(jpeg_decompress_struct& info, ErrorManager& errors) {
  info.err = AttachErrors(errors);
  if (setjmp(errors.jump) != 0) return false;
  jpeg_create_decompress(&info);
  return true;
}

bool DecompressInto(const std::uint8_t* data, std::size_t size, const BgraTarget& target) {
  jpeg_decompress_struct info;
  ErrorManager errors;
  if (!CreateDecompressor(info, errors)) return false;
  const bool ok = DecompressWith(info, errors, data, size, target);
  jpeg_destroy_decompress(&info);
  return ok;
}

struct DecodedPicture {
  std::vector<std::uint8_t>& bgra;
  int width = 0;
  int height = 0;
};

std::uint8_t* ReservePicture(void* owner, int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  auto& picture = *static_cast<DecodedPicture*>(owner);
  try {
    picture.bgra.resize(static_cast<std::size_t>(width) * height * 4);
  } catch (const std::bad_alloc&) {
    return nullptr;  // must not unwind through the decoder's frame
  }
  picture.width = width;
  picture.height = height;
  return picture.bgra.data();
}

// The caller's picture, which the frame must fill exactly.
struct FixedPicture {
  std::uint8_t* bgra;
  int width;
  int height;
};

std::uint8_t* ReserveFixed(void* owner, int width, int height) {
  const auto& picture = *static_cast<const FixedPicture*>(owner);
  return width == picture.width && height == picture.height ? picture.bgra : nullptr;
}

}  // namespace

struct JpegDecoder::State {
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  bool created = false;
};

JpegDecoder::JpegDecoder() : state_(std::make_unique<State>()) {
  state_->created = CreateDecompressor(state_->info, state_->errors);
}

JpegDecoder::~JpegDecoder() {
  if (state_->created) jpeg_destroy_decompress(&state_->info);
}

bool JpegDecoder::DecodeBgra(const std::uint8_t* data, std::size_t size, int width, int height, RowOrder order,
                             std::uint8_t* bgra) {
  if (!state_->created || data == nullptr || size < 4 || bgra == nullptr || width <= 0 || height <= 0 ||
      width > kMaxSide || height > kMaxSide) {
    return false;
  }
  FixedPicture picture{bgra, width, height};
  return DecompressWith(state_->info, state_->errors, data, size, BgraTarget{ReserveFixed, &picture, order});
}

bool EncodeJpegRgb(const std::uint8_t* rgb, int width, int height, int quality, std::vector<std::uint8_t>& out) {
  if (rgb == nullptr || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = CompressInto(rgb, width, height, quality, &buffer, &size);
  if (ok) out.assign(buffer, buffer + size);
  std::free(buffer);
  return ok;
}

bool DecodeJpegToBgra(const std::uint8_t* data, std::size_t size, int& width, int& height,
                      std::vector<std::uint8_t>& bgra) {
  if (data == nullptr || size < 4) return false;
  DecodedPicture picture{bgra};
  if (!DecompressInto(data, size, BgraTarget{ReservePicture, &picture, RowOrder::TopDown})) return false;
  width = picture.width;
  height = picture.height;
  return true;
}

}  // namespace tavelo::platform
