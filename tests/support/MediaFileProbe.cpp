#include "tests/support/MediaFileProbe.h"

#include <memory>

#include "camera/platform/media/FfmpegTypes.h"

namespace tavelo::platform::testing {

const ProbedStream* ProbedFile::Find(const std::string& kind) const {
  for (const ProbedStream& stream : streams) {
    if (stream.kind == kind) return &stream;
  }
  return nullptr;
}

ProbedFile ProbeMediaFile(const std::string& path) {
  ProbedFile probed;
  AVFormatContext* format = nullptr;
  if (const int opened = avformat_open_input(&format, path.c_str(), nullptr, nullptr); opened < 0) {
    probed.error = media::AvErrorText(opened);
    return probed;
  }
  const std::unique_ptr<AVFormatContext*, void (*)(AVFormatContext**)> closer(&format, avformat_close_input);
  if (const int found = avformat_find_stream_info(format, nullptr); found < 0) {
    probed.error = media::AvErrorText(found);
    return probed;
  }
  probed.opened = true;
  media::CodecContextPtr videoDecoder;
  int videoIndex = -1;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    const AVCodecParameters* parameters = format->streams[i]->codecpar;
    ProbedStream& stream = probed.streams.emplace_back();
    stream.kind = parameters->codec_type == AVMEDIA_TYPE_VIDEO   ? "video"
                  : parameters->codec_type == AVMEDIA_TYPE_AUDIO ? "audio"
                                                                 : "other";
    stream.codec = avcodec_get_name(parameters->codec_id);
    stream.width = parameters->width;
    stream.height = parameters->height;
    if (parameters->codec_type == AVMEDIA_TYPE_VIDEO && videoIndex < 0) {
      const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
      videoDecoder.reset(codec != nullptr ? avcodec_alloc_context3(codec) : nullptr);
      if (videoDecoder && (avcodec_parameters_to_context(videoDecoder.get(), parameters) < 0 ||
                           avcodec_open2(videoDecoder.get(), codec, nullptr) < 0)) {
        videoDecoder.reset();
      }
      videoIndex = static_cast<int>(i);
    }
  }
  const media::PacketPtr packet(av_packet_alloc());
  const media::FramePtr frame(av_frame_alloc());
  while (av_read_frame(format, packet.get()) >= 0) {
    const AVStream* avStream = format->streams[packet->stream_index];
    ProbedStream& stream = probed.streams[static_cast<std::size_t>(packet->stream_index)];
    const std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    const double time = stamp == AV_NOPTS_VALUE ? 0 : stamp * av_q2d(avStream->time_base);
    if (stream.packets == 0) stream.start = time;
    stream.end = std::max(stream.end, time + packet->duration * av_q2d(avStream->time_base));
    ++stream.packets;
    if (packet->stream_index == videoIndex && videoDecoder && avcodec_send_packet(videoDecoder.get(), packet.get()) >= 0) {
      while (avcodec_receive_frame(videoDecoder.get(), frame.get()) >= 0) ++probed.decodedFrames;
    }
    av_packet_unref(packet.get());
  }
  return probed;
}

}  // namespace tavelo::platform::testing
