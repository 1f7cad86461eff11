#include "camera/platform/common/JpegCodec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>

#include <jpeglib.h>

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
};

bool DecompressInto(const std::uint8_t* data, std::size_t size, const BgraTarget& target) {
  jpeg_decompress_struct info;
  ErrorManager errors;
  info.err = AttachErrors(errors);
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  const auto width = static_cast<int>(info.image_width);
  const auto height = static_cast<int>(info.image_height);
  std::uint8_t* bgra = target.reserve(target.owner, width, height);
  if (bgra == nullptr) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  info.out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(&info);
  if (static_cast<int>(info.output_width) != width || static_cast<int>(info.output_height) != height) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = bgra + static_cast<std::size_t>(info.output_scanline) * width * 4;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
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

}  // namespace

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
  if (!DecompressInto(data, size, BgraTarget{ReservePicture, &picture})) return false;
  width = picture.width;
  height = picture.height;
  return true;
}

}  // namespace tavelo::platform
