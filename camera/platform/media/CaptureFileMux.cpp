#include "camera/platform/media/CaptureFileMux.h"

#include <cmath>
#include <filesystem>
#include <system_error>

#include "camera/platform/graph/GraphFilter.h"
#include "camera/platform/graph/GraphPin.h"

namespace tavelo::platform::media {
namespace {

struct Container {
  Guid subtype;
  const char* muxer;
};
const Container kContainers[] = {{guids::MediaSubtypeAvi, "avi"}, {guids::MediaSubtypeAsf, "asf"}};

bool UsableFileName(const std::string& fileName) {
  if (fileName.empty()) return false;
  std::error_code error;
  const std::filesystem::path path(fileName);
  if (!path.has_filename() || std::filesystem::is_directory(path, error)) return false;
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  return std::filesystem::is_directory(folder, error);
}

std::vector<std::shared_ptr<IPin>> TrackPins(const std::shared_ptr<InputConnection>& video,
                                             const std::shared_ptr<InputConnection>& audio) {
  return {std::make_shared<GraphPin>(PinDirection::Input, "Video", [video] { return video->MediaType(); }),
          std::make_shared<GraphPin>(PinDirection::Input, "Audio", [audio] { return audio->MediaType(); })};
}

}  // namespace

Result MakeCaptureFile(const Guid& subtype, const std::string& fileName, std::shared_ptr<IBaseFilter>& multiplexer,
                       std::shared_ptr<IFileSinkFilter>& fileSink) {
  multiplexer.reset();
  fileSink.reset();
  const Container* container = nullptr;
  for (const Container& candidate : kContainers) {
    if (candidate.subtype == subtype) container = &candidate;
  }
  if (container == nullptr) return kErrorFileTypeNotSupported;
  if (!UsableFileName(fileName)) return kErrorBadFileName;
  auto mux = std::make_shared<CaptureFileMux>(CaptureFileSettings{fileName, container->muxer, OpenDiskFile, WriterLimits{}});
  multiplexer = std::static_pointer_cast<IBaseFilter>(mux);
  fileSink = std::static_pointer_cast<IFileSinkFilter>(mux);
  return kOk;
}

bool ContainerHolds(const std::string& muxer, const StreamDescription& stream, std::string& why) {
  AVFormatContext* format = nullptr;
  if (avformat_alloc_output_context2(&format, nullptr, muxer.c_str(), nullptr) < 0) {
    why = "no " + muxer + " writer";
    return false;
  }
  int result = AVERROR(ENOMEM);
  if (AVStream* avStream = avformat_new_stream(format, nullptr)) {
    FillCodecParameters(stream, *avStream->codecpar);
    avStream->time_base = stream.timeBase;
    result = avio_open_dyn_buf(&format->pb);
    if (result >= 0) {
      result = avformat_write_header(format, nullptr);
      std::uint8_t* bytes = nullptr;
      avio_close_dyn_buf(format->pb, &bytes);
      av_free(bytes);
      format->pb = nullptr;
    }
  }
  avformat_free_context(format);
  if (result < 0) why = AvErrorText(result);
  return result >= 0;
}

// One input: its connection (shared with its pin) and the time stamps of the recording under way, which
// the multiplexer's lock guards.
class CaptureFileMux::Track final : public StreamInput, public IFrameSink {
 public:
  Track(CaptureFileMux& mux, Guid majorType, std::shared_ptr<InputConnection> connection)
      : mux_(mux), majorType_(majorType), connection_(std::move(connection)) {}

  bool HasOutput() const override { return false; }

  Result ConnectInput(const OwnedMediaType& mediaType, std::shared_ptr<IFrameSink>) override {
    StreamDescription stream;
    if (mediaType.Get().majortype != majorType_ || Failed(DescribeStream(mediaType.Get(), stream))) {
      return kErrorInvalidMediaType;
    }
    std::string why;
    if (!ContainerHolds(mux_.settings_.muxer, stream, why)) {
      return majorType_ == guids::MediaTypeVideo ? kErrorVideoNeedsCompressor : kErrorAudioNeedsCompressor;
    }
    connection_->Connect(mediaType, nullptr);
    return connection_->Connected() ? kOk : kOutOfMemory;
  }
  void DisconnectInput() override { connection_->Disconnect(); }
  bool InputConnected() const override { return connection_->Connected(); }
  std::shared_ptr<IFrameSink> InputSink() override {
    return std::shared_ptr<IFrameSink>(mux_.shared_from_this(), static_cast<IFrameSink*>(this));
  }

  void Receive(const std::shared_ptr<IMediaSample>& sample) override { mux_.Take(*this, sample); }

  bool IsVideo() const { return majorType_ == guids::MediaTypeVideo; }
  std::optional<OwnedMediaType> MediaType() const { return connection_->MediaType(); }

  // The recording's view of the track (the multiplexer's lock).
  int index = -1;
  StreamDescription stream;
  bool stamped = false;
  std::int64_t lastPts = 0;
  std::int64_t firstPts = 0;
  std::int64_t samples = 0;

 private:
  CaptureFileMux& mux_;
  const Guid majorType_;
  const std::shared_ptr<InputConnection> connection_;
};

CaptureFileMux::CaptureFileMux(CaptureFileSettings settings)
    : CaptureFileMux(std::move(settings), std::make_shared<InputConnection>(), std::make_shared<InputConnection>()) {}

CaptureFileMux::CaptureFileMux(CaptureFileSettings settings, std::shared_ptr<InputConnection> video,
                               std::shared_ptr<InputConnection> audio)
    : FilterBase("Mux", TrackPins(video, audio)),
      settings_(std::move(settings)),
      video_(std::make_unique<Track>(*this, guids::MediaTypeVideo, video)),
      audio_(std::make_unique<Track>(*this, guids::MediaTypeAudio, audio)) {}

CaptureFileMux::~CaptureFileMux() { FinishRecording(); }

Result CaptureFileMux::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerInterfaces<IBaseFilter, IFileSinkFilter, ICaptureFileStatus>(this, iid, out);
}

Result CaptureFileMux::ConnectInput(const OwnedMediaType& mediaType, std::shared_ptr<IFrameSink> downstream) {
  StreamInput* input = InputFor(mediaType.Get().majortype);
  return input != nullptr ? input->ConnectInput(mediaType, std::move(downstream)) : kErrorInvalidMediaType;
}

void CaptureFileMux::DisconnectInput() {
  video_->DisconnectInput();
  audio_->DisconnectInput();
}

bool CaptureFileMux::InputConnected() const { return video_->InputConnected() || audio_->InputConnected(); }

std::shared_ptr<IFrameSink> CaptureFileMux::InputSink() { return video_->InputSink(); }

StreamInput* CaptureFileMux::InputFor(const Guid& majorType) {
  if (majorType == guids::MediaTypeVideo) return video_.get();
  if (majorType == guids::MediaTypeAudio) return audio_.get();
  return nullptr;
}

Result CaptureFileMux::GetCurFile(std::string& fileName) {
  fileName = settings_.fileName;
  return kOk;
}

Result CaptureFileMux::GetProgress(CaptureFileProgress& out) {
  std::lock_guard lock(mutex_);
  if (writer_ != nullptr) {
    out = writer_->Progress();
  } else {
    out = lastProgress_.value_or(CaptureFileProgress{});
  }
  return kOk;
}

Result CaptureFileMux::OnStateChange(FilterState state) {
  if (state == FilterState::Running) return StartRecording();
  FinishRecording();
  return kOk;
}

void CaptureFileMux::OnLeftGraph() {
  FinishRecording();
  DisconnectInput();
}

Result CaptureFileMux::StartRecording() {
  FinishRecording();
  std::vector<StreamDescription> streams;
  std::lock_guard lock(mutex_);
  for (Track* track : {video_.get(), audio_.get()}) {
    track->index = -1;
    track->stamped = false;
    track->samples = 0;
    const auto mediaType = track->MediaType();
    if (!mediaType || Failed(DescribeStream(mediaType->Get(), track->stream))) continue;
    track->index = static_cast<int>(streams.size());
    streams.push_back(track->stream);
  }
  if (streams.empty()) return kErrorNotConnected;
  auto writer =
      std::make_unique<CaptureFileWriter>(settings_.fileName, settings_.muxer, settings_.opener, settings_.limits);
  const Result started = writer->Start(streams);
  if (Failed(started)) {
    lastProgress_ = writer->Progress();
    return started;
  }
  writer_ = std::move(writer);
  return kOk;
}

void CaptureFileMux::FinishRecording() {
  std::unique_ptr<CaptureFileWriter> writer;
  {
    std::lock_guard lock(mutex_);
    writer = std::move(writer_);
  }
  if (writer == nullptr) return;
  writer->Finish();
  std::lock_guard lock(mutex_);
  lastProgress_ = writer->Progress();
}

void CaptureFileMux::Take(Track& track, const std::shared_ptr<IMediaSample>& sample) {
  std::lock_guard lock(mutex_);
  if (writer_ == nullptr || track.index < 0) return;
  const StreamDescription& stream = track.stream;
  const double ticks = sample->SampleTime() * stream.timeBase.den / stream.timeBase.num;
  std::int64_t pts = std::llround(std::max(ticks, 0.0));
  std::int64_t duration = track.IsVideo() ? 1 : 0;
  const bool pcm = stream.codec == AV_CODEC_ID_PCM_S16LE || stream.codec == AV_CODEC_ID_PCM_U8;
  if (pcm) {
    // Sound runs on its sample count from its first block, so it keeps its pace against the picture.
    if (!track.stamped) track.firstPts = pts;
    pts = track.firstPts + track.samples;
    duration = sample->ActualDataLength() / stream.blockAlign;
    track.samples += duration;
  } else if (track.stamped && pts <= track.lastPts) {
    pts = track.lastPts + 1;
  }
  track.stamped = true;
  track.lastPts = pts;
  writer_->Push(track.index, sample, pts, duration);
}

}  // namespace tavelo::platform::media
