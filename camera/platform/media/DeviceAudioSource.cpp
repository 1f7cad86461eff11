#include "camera/platform/media/DeviceAudioSource.h"

#include <cerrno>
#include <chrono>
#include <cmath>

#include "camera/platform/common/AudioCaptureFilter.h"
#include "camera/platform/media/FfmpegTypes.h"

extern "C" {
#include <libavdevice/avdevice.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace tavelo::platform::media {
namespace {

// A jump of the device's clock past the counted frames larger than this is sound the device lost.
constexpr double kClockJumpSeconds = 0.1;

struct InputClose {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using InputPtr = std::unique_ptr<AVFormatContext, InputClose>;

Result ResultOfOpenError(int error) {
  if (error == AVERROR(EBUSY)) return kErrorDeviceInUse;
  if (error == AVERROR(ENOENT) || error == AVERROR(ENODEV) || error == AVERROR(ENXIO)) return kErrorNoDevice;
  if (error < 0 && -error < 0x10000) return ResultFromErrno(-error);
  return kFail;
}

class DeviceReader final : public PcmChunkReader {
 public:
  // Opens the device; `out` is null and the reason answered when it cannot be opened.
  static Result Open(const MachineAudioSource& source, std::unique_ptr<PcmChunkReader>& out) {
    out.reset();
    RegisterInputDevices();
    const AVInputFormat* format = av_find_input_format(source.system.c_str());
    if (format == nullptr) return kErrorNoDevice;
    auto reader = std::unique_ptr<DeviceReader>(new DeviceReader());
    AVFormatContext* context = avformat_alloc_context();
    if (context == nullptr) return kOutOfMemory;
    context->interrupt_callback = {&DeviceReader::Interrupted, reader.get()};
    AVDictionary* options = nullptr;
    av_dict_set_int(&options, "sample_rate", kDeviceAudioFormat.sampleRate, 0);
    av_dict_set_int(&options, "channels", kDeviceAudioFormat.channels, 0);
    const int opened = avformat_open_input(&context, source.device.c_str(), format, &options);
    av_dict_free(&options);
    if (opened < 0) return ResultOfOpenError(opened);  // avformat_open_input freed the context
    reader->input_.reset(context);
    if (const Result r = reader->OpenDecoder(); Failed(r)) return r;
    out = std::move(reader);
    return kOk;
  }

  bool Read(PcmChunk& out, StreamingThread::Control& control) override {
    control_ = &control;
    while (!control.StopRequested()) {
      const int received = avcodec_receive_frame(decoder_.get(), frame_.get());
      if (received == 0) {
        const bool converted = Convert(out);
        av_frame_unref(frame_.get());
        if (converted) return true;
        continue;
      }
      if (received != AVERROR(EAGAIN)) return false;
      const int read = av_read_frame(input_.get(), packet_.get());
      if (read == AVERROR(EAGAIN)) {
        if (control.WaitUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(5))) return false;
        continue;
      }
      if (read < 0) return false;  // the device failed or went away
      const bool ours = packet_->stream_index == streamIndex_;
      const int sent = ours ? avcodec_send_packet(decoder_.get(), packet_.get()) : 0;
      av_packet_unref(packet_.get());
      if (sent < 0 && sent != AVERROR(EAGAIN)) return false;
    }
    return false;
  }

 private:
  DeviceReader() : frame_(av_frame_alloc()), packet_(av_packet_alloc()) {}

  static int Interrupted(void* self) {
    const auto* reader = static_cast<const DeviceReader*>(self);
    return reader->control_ != nullptr && reader->control_->StopRequested() ? 1 : 0;
  }

  Result OpenDecoder() {
    if (frame_ == nullptr || packet_ == nullptr) return kOutOfMemory;
    streamIndex_ = av_find_best_stream(input_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (streamIndex_ < 0) return kErrorInvalidMediaType;
    const AVStream* stream = input_->streams[streamIndex_];
    timeBase_ = stream->time_base;
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (codec == nullptr) return kErrorInvalidMediaType;
    decoder_.reset(avcodec_alloc_context3(codec));
    if (decoder_ == nullptr) return kOutOfMemory;
    if (avcodec_parameters_to_context(decoder_.get(), stream->codecpar) < 0 ||
        avcodec_open2(decoder_.get(), codec, nullptr) < 0) {
      return kErrorInvalidMediaType;
    }
    return kOk;
  }

  bool Convert(PcmChunk& out) {
    if (resampler_ == nullptr) {
      AVChannelLayout layout;
      av_channel_layout_default(&layout, kDeviceAudioFormat.channels);
      SwrContext* made = nullptr;
      const int set = swr_alloc_set_opts2(&made, &layout, AV_SAMPLE_FMT_S16, kDeviceAudioFormat.sampleRate,
                                          &frame_->ch_layout, static_cast<AVSampleFormat>(frame_->format),
                                          frame_->sample_rate, 0, nullptr);
      resampler_.reset(made);
      if (set < 0 || swr_init(resampler_.get()) < 0) return false;
    }
    const int room = swr_get_out_samples(resampler_.get(), frame_->nb_samples);
    if (room <= 0) return false;
    out.bytes.resize(static_cast<std::size_t>(room) * kDeviceAudioFormat.FrameBytes());
    std::uint8_t* target = out.bytes.data();
    const int frames = swr_convert(resampler_.get(), &target, room,
                                   const_cast<const std::uint8_t**>(frame_->extended_data), frame_->nb_samples);
    if (frames <= 0) return false;
    out.bytes.resize(static_cast<std::size_t>(frames) * kDeviceAudioFormat.FrameBytes());

    if (frame_->pts != AV_NOPTS_VALUE) {
      if (firstPts_ == AV_NOPTS_VALUE) firstPts_ = frame_->pts;
      const double deviceTime = static_cast<double>(frame_->pts - firstPts_) * av_q2d(timeBase_);
      const double countedTime = static_cast<double>(frames_) / kDeviceAudioFormat.sampleRate;
      if (deviceTime - countedTime > kClockJumpSeconds) {
        frames_ = std::llround(deviceTime * kDeviceAudioFormat.sampleRate);
      }
    }
    out.time = static_cast<double>(frames_) / kDeviceAudioFormat.sampleRate;
    frames_ += frames;
    return true;
  }

  InputPtr input_;
  CodecContextPtr decoder_;
  ResamplePtr resampler_;
  FramePtr frame_;
  PacketPtr packet_;
  int streamIndex_ = -1;
  AVRational timeBase_{1, 1};
  std::int64_t firstPts_ = AV_NOPTS_VALUE;
  std::int64_t frames_ = 0;  // handed out so far, plus what the device lost
  const StreamingThread::Control* control_ = nullptr;
};

class DeviceAudioPin final : public AudioCapturePin {
 public:
  explicit DeviceAudioPin(MachineAudioSource source) : AudioCapturePin(kDeviceAudioFormat), source_(std::move(source)) {}

 protected:
  Result OpenReader(std::unique_ptr<PcmChunkReader>& out) override { return DeviceReader::Open(source_, out); }

 private:
  const MachineAudioSource source_;
};

class DeviceAudioFilter final : public AudioCaptureFilter {
 public:
  explicit DeviceAudioFilter(const MachineAudioSource& source)
      : AudioCaptureFilter(source.friendlyName, std::make_shared<DeviceAudioPin>(source)) {}
};

}  // namespace

std::shared_ptr<IBaseFilter> CreateDeviceAudioFilter(const MachineAudioSource& source) {
  return std::make_shared<DeviceAudioFilter>(source);
}

}  // namespace tavelo::platform::media
