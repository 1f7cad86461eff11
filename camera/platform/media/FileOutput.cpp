#include "camera/platform/media/FileOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
}

namespace tavelo::platform::media {
namespace {

// Room is reserved in steps, so the writer does not ask the file system for every packet.
constexpr std::int64_t kReserveStep = 8 << 20;

class DiskFile final : public FileOutput {
 public:
  explicit DiskFile(int fd) : fd_(fd) {}
  ~DiskFile() override { Close(); }

  int Write(const std::uint8_t* data, int size) override {
    int done = 0;
    while (done < size) {
      const ssize_t written = ::pwrite(fd_, data + done, static_cast<std::size_t>(size - done), position_ + done);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return AVERROR(written < 0 ? errno : EIO);
      done += static_cast<int>(written);
    }
    position_ += size;
    end_ = std::max(end_, position_);
    return size;
  }

  std::int64_t Seek(std::int64_t offset, int whence) override {
    switch (whence & ~AVSEEK_FORCE) {
      case AVSEEK_SIZE: return end_;
      case SEEK_SET: position_ = offset; break;
      case SEEK_CUR: position_ += offset; break;
      case SEEK_END: position_ = end_ + offset; break;
      default: return AVERROR(EINVAL);
    }
    return position_;
  }

  int Reserve(std::int64_t end) override {
    if (end <= reserved_ || !canReserve_) return 0;
    std::int64_t wanted = end + kReserveStep;
    int error = ::posix_fallocate(fd_, reserved_, wanted - reserved_);
    if (error == ENOSPC) {  // at least what is needed now
      wanted = end;
      error = ::posix_fallocate(fd_, reserved_, wanted - reserved_);
    }
    if (error == 0) {
      reserved_ = wanted;
      return 0;
    }
    if (error == ENOSPC) return AVERROR(ENOSPC);
    canReserve_ = false;  // not on this file system: write without the guarantee
    return 0;
  }

  int Close() override {
    if (fd_ < 0) return 0;
    int result = 0;
    if (reserved_ > end_ && ::ftruncate(fd_, end_) != 0) result = AVERROR(errno);
    // On the disk before the finished file is renamed over an older one, so a power cut leaves one of the
    // two whole rather than a new name with no data behind it.
    if (result == 0 && ::fsync(fd_) != 0 && errno != EINVAL) result = AVERROR(errno);
    if (::close(fd_) != 0 && result == 0) result = AVERROR(errno);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
  std::int64_t position_ = 0;
  std::int64_t end_ = 0;
  std::int64_t reserved_ = 0;
  bool canReserve_ = true;
};

}  // namespace

std::unique_ptr<FileOutput> OpenDiskFile(const std::string& path, int& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = AVERROR(errno);
    return nullptr;
  }
  error = 0;
  return std::make_unique<DiskFile>(fd);
}

}  // namespace tavelo::platform::media
