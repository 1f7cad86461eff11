#include "camera/platform/media/AudioCompressor.h"

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/opt.h>
}

#include "camera/platform/media/CodedSample.h"

namespace tavelo::platform::media {
namespace {

constexpr std::int64_t kBitRatePerChannel = 64000;
constexpr int kFrameForAnySize = 1024;  // samples per packet of an encoder that takes any number (PCM)

int SampleRateFor(const AVCodec* encoder, int wanted) {
  if (encoder->supported_samplerates == nullptr) return wanted;
  int nearest = encoder->supported_samplerates[0];
  for (const int* rate = encoder->supported_samplerates; *rate != 0; ++rate) {
    if (*rate == wanted) return wanted;
    if (std::abs(*rate - wanted) < std::abs(nearest - wanted)) nearest = *rate;
  }
  return nearest;
}

}  // namespace

AudioCompressor::AudioCompressor(EncoderChoice choice)
    : CompressorFilter(std::move(choice)) {}

AudioCompressor::~AudioCompressor() { Close(); }

Result AudioCompressor::AcceptsInput(const AmMediaType& mediaType) {
  StreamDescription stream;
  if (Failed(DescribeStream(mediaType, stream)) || stream.codec != AV_CODEC_ID_PCM_S16LE) return kErrorInvalidMediaType;
  return kOk;
}

CodecContextPtr AudioCompressor::OpenEncoder(const StreamDescription& input) const {
  CodecContextPtr encoder(avcodec_alloc_context3(choice_.encoder));
  if (!encoder) return nullptr;
  encoder->sample_rate = SampleRateFor(choice_.encoder, input.sampleRate);
  encoder->sample_fmt = choice_.encoder->sample_fmts != nullptr ? choice_.encoder->sample_fmts[0] : AV_SAMPLE_FMT_S16;
  av_channel_layout_default(&encoder->ch_layout, input.channels);
  encoder->time_base = AVRational{1, encoder->sample_rate};
  if (choice_.encoder->id != AV_CODEC_ID_PCM_S16LE) encoder->bit_rate = kBitRatePerChannel * input.channels;
  // The codec's set-up (AAC's) belongs in the file's header rather than in every packet.
  encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  encoder->thread_count = 1;
  AVDictionary* options = nullptr;
  av_dict_parse_string(&options, choice_.options.c_str(), "=", ":", 0);
  const int opened = avcodec_open2(encoder.get(), choice_.encoder, &options);
  av_dict_free(&options);
  if (opened < 0) return nullptr;
  return encoder;
}

Result AudioCompressor::OutputMediaType(const OwnedMediaType& input, OwnedMediaType& output) {
  StreamDescription stream;
  if (Failed(AcceptsInput(input.Get())) || Failed(DescribeStream(input.Get(), stream))) return kErrorInvalidMediaType;
  const CodecContextPtr encoder = OpenEncoder(stream);
  if (!encoder) return kErrorCompressorFailed;
  const int blockAlign = encoder->codec_id == AV_CODEC_ID_PCM_S16LE ? stream.channels * 2 : 0;
  output = CodedAudioType(encoder->codec_id, encoder->sample_rate, stream.channels, encoder->bit_rate, blockAlign,
                          encoder->extradata, encoder->extradata_size);
  return output.Get().pbFormat != nullptr ? kOk : kOutOfMemory;
}

void AudioCompressor::Close() {
  encoder_.reset();
  resampler_.reset();
  if (fifo_ != nullptr) av_audio_fifo_free(fifo_);
  fifo_ = nullptr;
  frame_.reset();
  anchored_ = false;
  samplesCoded_ = 0;
}

bool AudioCompressor::Open() {
  encoder_ = OpenEncoder(input_);
  if (!encoder_) return false;
  AVChannelLayout inputLayout;
  av_channel_layout_default(&inputLayout, input_.channels);
  SwrContext* resampler = nullptr;
  if (swr_alloc_set_opts2(&resampler, &encoder_->ch_layout, encoder_->sample_fmt, encoder_->sample_rate, &inputLayout,
                          AV_SAMPLE_FMT_S16, input_.sampleRate, 0, nullptr) < 0 ||
      swr_init(resampler) < 0) {
    swr_free(&resampler);
    return false;
  }
  resampler_.reset(resampler);
  fifo_ = av_audio_fifo_alloc(encoder_->sample_fmt, input_.channels, 4 * kFrameForAnySize);
  frame_.reset(av_frame_alloc());
  return fifo_ != nullptr && frame_ != nullptr;
}

void AudioCompressor::Receive(const std::shared_ptr<IMediaSample>& sample) {
  std::lock_guard lock(mutex_);
  if (failed_) return;
  if (!encoder_ && !Open()) {
    failed_ = true;
    Close();
    return;
  }
  if (!anchored_) {
    anchored_ = true;
    anchor_ = sample->SampleTime();
  }
  const int inputSamples = sample->ActualDataLength() / input_.blockAlign;
  const int room = swr_get_out_samples(resampler_.get(), inputSamples);
  if (room <= 0) return;
  std::uint8_t** converted = nullptr;
  if (av_samples_alloc_array_and_samples(&converted, nullptr, input_.channels, room, encoder_->sample_fmt, 0) < 0) {
    return;
  }
  const std::uint8_t* source = sample->Data();
  const int made = swr_convert(resampler_.get(), converted, room, &source, inputSamples);
  if (made > 0) av_audio_fifo_write(fifo_, reinterpret_cast<void**>(converted), made);
  av_freep(&converted[0]);
  av_freep(&converted);
  EncodeWholeFrames();
}

void AudioCompressor::EncodeWholeFrames() {
  const int frameSize = encoder_->frame_size > 0 ? encoder_->frame_size : kFrameForAnySize;
  while (av_audio_fifo_size(fifo_) >= frameSize) {
    av_frame_unref(frame_.get());
    frame_->nb_samples = frameSize;
    frame_->format = encoder_->sample_fmt;
    frame_->sample_rate = encoder_->sample_rate;
    if (av_channel_layout_copy(&frame_->ch_layout, &encoder_->ch_layout) < 0 ||
        av_frame_get_buffer(frame_.get(), 0) < 0) {
      return;
    }
    av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame_->data), frameSize);
    frame_->pts = samplesCoded_;
    samplesCoded_ += frameSize;
    EncodeAndPassOn(frame_.get());
  }
}

void AudioCompressor::EndOfStream() {
  std::lock_guard lock(mutex_);
  if (failed_ || !encoder_) return;
  const int left = av_audio_fifo_size(fifo_);
  if (left > 0) {
    // A shorter last frame where the encoder takes one, else the rest padded with silence.
    const bool smallLast = (choice_.encoder->capabilities &
                            (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE)) != 0;
    const int frameSize = encoder_->frame_size > 0 && !smallLast ? encoder_->frame_size : left;
    av_frame_unref(frame_.get());
    frame_->nb_samples = frameSize;
    frame_->format = encoder_->sample_fmt;
    frame_->sample_rate = encoder_->sample_rate;
    if (av_channel_layout_copy(&frame_->ch_layout, &encoder_->ch_layout) >= 0 &&
        av_frame_get_buffer(frame_.get(), 0) >= 0) {
      av_samples_set_silence(frame_->data, 0, frameSize, frame_->ch_layout.nb_channels, encoder_->sample_fmt);
      av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame_->data), left);
      frame_->pts = samplesCoded_;
      samplesCoded_ += frameSize;
      EncodeAndPassOn(frame_.get());
    }
  }
  EncodeAndPassOn(nullptr);
  // Drained: the next run opens a fresh encoder.
  Close();
}

void AudioCompressor::EncodeAndPassOn(const AVFrame* frame) {
  AVPacket* packet = av_packet_alloc();
  if (packet == nullptr) return;
  const PacketPtr owner(packet);
  if (avcodec_send_frame(encoder_.get(), frame) < 0) return;
  const auto downstream = Connection()->Downstream();
  while (avcodec_receive_packet(encoder_.get(), packet) >= 0) {
    if (downstream) {
      const double time = anchor_ + static_cast<double>(packet->pts) / encoder_->sample_rate;
      downstream->Receive(std::make_shared<CodedSample>(packet->data, packet->size, std::max(time, 0.0), true));
    }
    av_packet_unref(packet);
  }
}

}  // namespace tavelo::platform::media
