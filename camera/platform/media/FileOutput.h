#pragma once

// Where a capture file's bytes go: the file writer reaches the disk only through this, so a test can play
// a disk that fills up.
//
// Reserve(end) makes sure that every byte before `end` can be written later whatever else fills the disk
// meanwhile, or answers AVERROR(ENOSPC) at once. The writer keeps room for its index reserved ahead of the
// pictures, so a recording stopped by a full disk can still be finished and played. A file system that
// cannot reserve answers 0 and the writer goes on without the guarantee.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tavelo::platform::media {

class FileOutput {
 public:
  virtual ~FileOutput() = default;
  // At the current position; answers `size` or a negative AVERROR.
  virtual int Write(const std::uint8_t* data, int size) = 0;
  // SEEK_SET, SEEK_CUR, SEEK_END, or AVSEEK_SIZE for the size; answers the position (the size) or an AVERROR.
  virtual std::int64_t Seek(std::int64_t offset, int whence) = 0;
  virtual int Reserve(std::int64_t end) = 0;
  // Gives back what was reserved beyond the last byte written and closes; 0 or an AVERROR.
  virtual int Close() = 0;
};

// Opens (creating or emptying) the file at `path`; null with `error` (an AVERROR) when it cannot.
using FileOutputOpener = std::function<std::unique_ptr<FileOutput>(const std::string& path, int& error)>;

std::unique_ptr<FileOutput> OpenDiskFile(const std::string& path, int& error);

}  // namespace tavelo::platform::media
