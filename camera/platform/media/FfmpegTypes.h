#pragma once

// Owners for the FFmpeg objects this folder uses, so every early return frees what it made, and the text
// of an FFmpeg error code. Only camera/platform/media/ includes FFmpeg headers.

#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
#include <libavutil/frame.h>
}

namespace tavelo::platform::media {

struct CodecContextFree {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScaleFree {
  void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct ResampleFree {
  void operator()(SwrContext* context) const { swr_free(&context); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using ScalePtr = std::unique_ptr<SwsContext, ScaleFree>;
using ResamplePtr = std::unique_ptr<SwrContext, ResampleFree>;

std::string AvErrorText(int error);

// FFmpeg's libraries report progress and notices on standard error; only their errors belong there.
// Called by every entry point of this folder; the first call sets the level for the process.
void KeepFfmpegQuiet();

}  // namespace tavelo::platform::media
