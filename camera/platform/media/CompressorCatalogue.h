#pragma once

// The compressors a capture file can use: one table of the encoders that make sense for recording a
// webcam, each listed under a friendly name when the installed FFmpeg has it. Both backends answer the
// video- and audio-compressor categories from here, so the names are the same whichever camera is used.

#include <memory>
#include <string>
#include <vector>

#include "camera/platform/Interfaces.h"

namespace tavelo::platform::media {

enum class CompressorKind { Video, Audio };

struct CompressorEntry {
  const char* friendlyName;
  CompressorKind kind;
  std::vector<const char*> encoders;  // FFmpeg's names, the first one present is used
  const char* options;                // the encoder's own options ("key=value:key=value")
  int quality;                        // fixed quantiser for encoders that take one; 0: the encoder's default
};

// Whether `category` is one of the two compressor categories.
bool IsCompressorCategory(const Guid& category);
// The friendly names of the category's compressors present here, in table order.
std::vector<std::string> AvailableCompressors(const Guid& category);
// Monikers of the category's compressors (property bag: FriendlyName, Description), binding to new
// compressor filters; kFalse and no enumerator when none is present.
Result EnumerateCompressors(const Guid& category, std::shared_ptr<IEnumMoniker>& out);
// A new compressor filter by friendly name; kErrorNotFound when the category has none of that name here.
Result CreateCompressor(const Guid& category, const std::string& friendlyName, std::shared_ptr<IBaseFilter>& out);

}  // namespace tavelo::platform::media
