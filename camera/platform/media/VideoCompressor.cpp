#include "camera/platform/media/VideoCompressor.h"

#include <cmath>
#include <cstring>

extern "C" {
#include <libavutil/imgutils.h>
}

#include "camera/platform/media/CodedSample.h"

namespace tavelo::platform::media {
namespace {

// Bytes of one row as the camera delivers it: bitmap rows of RGB are padded to whole 32-bit words.
int RowBytes(const StreamDescription& stream) {
  if (stream.pixelFormat == AV_PIX_FMT_BGR24 || stream.pixelFormat == AV_PIX_FMT_BGRA) {
    return ((stream.width * stream.bitsPerPixel + 31) / 32) * 4;
  }
  return av_image_get_linesize(stream.pixelFormat, stream.width, 0);
}

// swscale wants the full-range ("J") formats that JPEG uses named as the plain format plus a range.
AVPixelFormat PlainFormat(AVPixelFormat format, int& fullRange) {
  fullRange = 1;
  switch (format) {
    case AV_PIX_FMT_YUVJ420P: return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: return AV_PIX_FMT_YUV440P;
    default: fullRange = 0; return format;
  }
}

}  // namespace

VideoCompressor::VideoCompressor(EncoderChoice choice)
    : CompressorFilter(std::move(choice)) {}

VideoCompressor::~VideoCompressor() { Close(); }

Result VideoCompressor::AcceptsInput(const AmMediaType& mediaType) {
  StreamDescription stream;
  if (Failed(DescribeStream(mediaType, stream)) || stream.kind != AVMEDIA_TYPE_VIDEO) return kErrorInvalidMediaType;
  const bool decodable = stream.codec == AV_CODEC_ID_MJPEG || stream.codec == AV_CODEC_ID_RAWVIDEO;
  return decodable ? kOk : kErrorInvalidMediaType;
}

Result VideoCompressor::OutputMediaType(const OwnedMediaType& input, OwnedMediaType& output) {
  if (const Result accepted = AcceptsInput(input.Get()); Failed(accepted)) return accepted;
  VideoInfoHeader header;
  std::memcpy(&header, input.Get().pbFormat, sizeof header);
  output = CodedVideoType(header, choice_.encoder->id, nullptr, 0);
  return output.Get().pbFormat != nullptr ? kOk : kOutOfMemory;
}

void VideoCompressor::Close() {
  encoder_.reset();
  decoder_.reset();
  decoded_.reset();
  picture_.reset();
  sws_freeContext(scaler_);
  scaler_ = nullptr;
  stamped_ = false;
}

bool VideoCompressor::Open() {
  const AVRational timeBase = input_.timeBase;
  CodecContextPtr encoder(avcodec_alloc_context3(choice_.encoder));
  if (!encoder) return false;
  encoder->width = input_.width;
  encoder->height = input_.height;
  encoder->time_base = timeBase;
  encoder->framerate = av_inv_q(timeBase);
  encoder->pix_fmt = choice_.encoder->pix_fmts != nullptr ? choice_.encoder->pix_fmts[0] : AV_PIX_FMT_YUV420P;
  encoder->gop_size = std::max(1, static_cast<int>(2 * av_q2d(encoder->framerate)));
  encoder->max_b_frames = 0;
  encoder->thread_count = 1;
  if (choice_.quality > 0) {
    encoder->flags |= AV_CODEC_FLAG_QSCALE;
    encoder->global_quality = FF_QP2LAMBDA * choice_.quality;
  }
  AVDictionary* options = nullptr;
  av_dict_parse_string(&options, choice_.options.c_str(), "=", ":", 0);
  const int opened = avcodec_open2(encoder.get(), choice_.encoder, &options);
  av_dict_free(&options);
  if (opened < 0) return false;

  FramePtr picture(av_frame_alloc());
  if (!picture) return false;
  picture->format = encoder->pix_fmt;
  picture->width = encoder->width;
  picture->height = encoder->height;
  if (av_frame_get_buffer(picture.get(), 0) < 0) return false;

  if (input_.codec == AV_CODEC_ID_MJPEG) {
    const AVCodec* mjpeg = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    CodecContextPtr decoder(mjpeg != nullptr ? avcodec_alloc_context3(mjpeg) : nullptr);
    if (!decoder || avcodec_open2(decoder.get(), mjpeg, nullptr) < 0) return false;
    decoder_ = std::move(decoder);
    decoded_.reset(av_frame_alloc());
    if (!decoded_) return false;
  }
  encoder_ = std::move(encoder);
  picture_ = std::move(picture);
  return true;
}

const AVFrame* VideoCompressor::SourcePicture(const IMediaSample& sample, std::vector<std::uint8_t*>& planes,
                                              std::vector<int>& strides) {
  const int size = sample.ActualDataLength();
  if (decoder_) {
    // Decoders may read a little past the end of what they are given.
    padded_.assign(sample.Data(), sample.Data() + size);
    padded_.resize(static_cast<std::size_t>(size) + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    AVPacket* packet = av_packet_alloc();
    if (packet == nullptr) return nullptr;
    const PacketPtr owner(packet);
    packet->data = padded_.data();
    packet->size = size;
    if (avcodec_send_packet(decoder_.get(), packet) < 0) return nullptr;
    if (avcodec_receive_frame(decoder_.get(), decoded_.get()) < 0) return nullptr;
    return decoded_.get();
  }
  const int rowBytes = RowBytes(input_);
  const int needed = input_.pixelFormat == AV_PIX_FMT_NV12 ? rowBytes * input_.height * 3 / 2 : rowBytes * input_.height;
  if (size < needed) return nullptr;  // a cut-short frame is left out rather than encoded as garbage
  planes.assign(4, nullptr);
  strides.assign(4, 0);
  auto* data = const_cast<std::uint8_t*>(sample.Data());
  strides[0] = rowBytes;
  planes[0] = data;
  if (input_.pixelFormat == AV_PIX_FMT_NV12) {
    planes[1] = data + rowBytes * input_.height;
    strides[1] = rowBytes;
  }
  if (input_.bottomUp) {  // start at the top row, which a bitmap keeps last
    planes[0] = data + static_cast<std::ptrdiff_t>(rowBytes) * (input_.height - 1);
    strides[0] = -rowBytes;
  }
  return nullptr;
}

void VideoCompressor::Receive(const std::shared_ptr<IMediaSample>& sample) {
  std::lock_guard lock(mutex_);
  if (failed_) return;
  if (!encoder_ && !Open()) {
    failed_ = true;
    Close();
    return;
  }
  std::vector<std::uint8_t*> planes;
  std::vector<int> strides;
  const AVFrame* decoded = SourcePicture(*sample, planes, strides);
  const std::uint8_t* const* sourcePlanes = decoded != nullptr ? decoded->data : planes.data();
  const int* sourceStrides = decoded != nullptr ? decoded->linesize : strides.data();
  if (decoded == nullptr && planes.empty()) return;
  if (decoded == nullptr && decoder_) return;
  const auto sourceFormat = decoded != nullptr ? static_cast<AVPixelFormat>(decoded->format) : input_.pixelFormat;
  const int sourceWidth = decoded != nullptr ? decoded->width : input_.width;
  const int sourceHeight = decoded != nullptr ? decoded->height : input_.height;
  int sourceFull = 0;
  int targetFull = 0;
  const AVPixelFormat plainSource = PlainFormat(sourceFormat, sourceFull);
  const AVPixelFormat plainTarget = PlainFormat(encoder_->pix_fmt, targetFull);
  scaler_ = sws_getCachedContext(scaler_, sourceWidth, sourceHeight, plainSource, encoder_->width, encoder_->height,
                                 plainTarget, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (scaler_ == nullptr || av_frame_make_writable(picture_.get()) < 0) return;
  const int* coefficients = sws_getCoefficients(SWS_CS_DEFAULT);
  sws_setColorspaceDetails(scaler_, coefficients, sourceFull, coefficients, targetFull, 0, 1 << 16, 1 << 16);
  sws_scale(scaler_, sourcePlanes, sourceStrides, 0, sourceHeight, picture_->data, picture_->linesize);
  Encode(picture_.get(), sample->SampleTime());
}

void VideoCompressor::Encode(const AVFrame* picture, double sampleTime) {
  const AVRational timeBase = encoder_->time_base;
  std::int64_t pts = std::llround(std::max(sampleTime, 0.0) * timeBase.den / timeBase.num);
  if (stamped_ && pts <= lastPts_) pts = lastPts_ + 1;
  stamped_ = true;
  lastPts_ = pts;
  picture_->pts = pts;
  if (avcodec_send_frame(encoder_.get(), picture) < 0) return;
  const auto downstream = Connection()->Downstream();
  AVPacket* packet = av_packet_alloc();
  if (packet == nullptr) return;
  const PacketPtr owner(packet);
  while (avcodec_receive_packet(encoder_.get(), packet) >= 0) {
    if (downstream) {
      const double time = static_cast<double>(packet->pts) * av_q2d(timeBase);
      downstream->Receive(
          std::make_shared<CodedSample>(packet->data, packet->size, time, (packet->flags & AV_PKT_FLAG_KEY) != 0));
    }
    av_packet_unref(packet);
  }
}

}  // namespace tavelo::platform::media
