#pragma once

// Reads a capture file back with FFmpeg's own demuxer: what a player would find in it.

#include <string>
#include <vector>

namespace tavelo::platform::testing {

struct ProbedStream {
  std::string kind;   // "video" or "audio"
  std::string codec;  // FFmpeg's codec name
  int width = 0;
  int height = 0;
  int packets = 0;
  double start = 0;  // seconds: first packet's time
  double end = 0;    // seconds: last packet's time plus its duration
};

struct ProbedFile {
  bool opened = false;
  std::string error;
  std::vector<ProbedStream> streams;
  int decodedFrames = 0;  // video frames that decode without error
  const ProbedStream* Find(const std::string& kind) const;
};

ProbedFile ProbeMediaFile(const std::string& path);

}  // namespace tavelo::platform::testing
