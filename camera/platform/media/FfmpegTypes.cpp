#include "camera/platform/media/FfmpegTypes.h"

#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

namespace tavelo::platform::media {

std::string AvErrorText(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return text;
}

void KeepFfmpegQuiet() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

}  // namespace tavelo::platform::media
