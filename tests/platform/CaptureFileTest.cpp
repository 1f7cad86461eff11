// Capture files: recordings from a simulated camera (and microphone) read back with FFmpeg's demuxer, the
// streams a container refuses, a disk that fills up, an unplug in the middle, and an existing file that
// only a finished recording replaces.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "camera/platform/common/FrameSample.h"
#include "camera/platform/common/PcmFormat.h"
#include "camera/platform/graph/StreamInput.h"
#include "camera/platform/media/CaptureFileMux.h"
#include "camera/platform/media/CompressorCatalogue.h"
#include "tests/support/MediaFileProbe.h"
#include "tests/platform/SimulatedFixture.h"

extern "C" {
#include <libavutil/error.h>
}

namespace tavelo::platform {
namespace {

using testing::BindDevice;
using testing::FirstPin;
using testing::MakePlatform;
using testing::ProbedFile;
using testing::ProbeMediaFile;
using testing::Query;
using testing::WaitFor;

constexpr const char* kHd = "sim://hd-webcam";

std::string TempFile(const std::string& name) {
  const auto folder = std::filesystem::path(::testing::TempDir()) / "tavelo-capture";
  std::filesystem::create_directories(folder);
  const auto path = folder / name;
  std::filesystem::remove(path);
  return path.string();
}

bool Present(const Guid& category, const std::string& name) {
  const auto names = media::AvailableCompressors(category);
  return name.empty() || std::find(names.begin(), names.end(), name) != names.end();
}

// A simulated camera in a graph, recording the way the camera component builds the capture-file branch.
class CaptureRig : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_ = MakePlatform({"hd-autofocus"});
    ASSERT_NE(platform_, nullptr);
    camera_ = BindDevice(*platform_, kHd);
    ASSERT_NE(camera_, nullptr);
    ASSERT_EQ(CreateInstanceAs(*platform_, guids::FilterGraph, graph_), kOk);
    ASSERT_EQ(CreateInstanceAs(*platform_, guids::CaptureGraphBuilder2, builder_), kOk);
    ASSERT_EQ(builder_->SetFiltergraph(graph_), kOk);
    ASSERT_EQ(graph_->AddFilter(camera_, "Video capture"), kOk);
  }

  void UseFormat(const Guid& subtype, int width) {
    const auto pin = FirstPin(camera_);
    std::shared_ptr<IEnumMediaTypes> types;
    ASSERT_EQ(pin->EnumMediaTypes(types), kOk);
    AmMediaType* type = nullptr;
    while (types->Next(type) == kOk) {
      const OwnedMediaType owned = OwnedMediaType::Adopt(type);
      VideoInfoHeader header;
      std::memcpy(&header, owned.Get().pbFormat, sizeof header);
      if (owned.Get().subtype == subtype && header.bmiHeader.biWidth == width) {
        ASSERT_EQ(Query<IAMStreamConfig>(pin)->SetFormat(owned.Get()), kOk);
        return;
      }
    }
    FAIL() << "no such format";
  }

  std::shared_ptr<IBaseFilter> AddBound(const std::string& name, const Guid& category, const std::string& as) {
    auto filter = BindDevice(*platform_, name, category);
    EXPECT_NE(filter, nullptr) << name;
    EXPECT_EQ(graph_->AddFilter(filter, as), kOk);
    return filter;
  }

  // Builds the branch; answers the first refusal.
  Result BuildFile(const Guid& container, const std::string& path, const std::string& compressor, bool sound,
                   const std::string& audioCompressor) {
    std::shared_ptr<IFileSinkFilter> sink;
    Result result = builder_->SetOutputFileName(container, path, mux_, sink);
    if (Failed(result)) return result;
    std::shared_ptr<IBaseFilter> video;
    if (!compressor.empty()) video = AddBound(compressor, guids::VideoCompressorCategory, "Compressor filter");
    result = builder_->RenderStream(&guids::PinCategoryCapture, &guids::MediaTypeVideo, camera_, video, mux_);
    if (Failed(result) || !sound) return result;
    const auto microphone = AddBound(kSimulatedMicrophoneName, guids::AudioInputDeviceCategory, "Audio capture");
    std::shared_ptr<IBaseFilter> audio;
    if (!audioCompressor.empty()) {
      audio = AddBound(audioCompressor, guids::AudioCompressorCategory, "AudioCompressor filter");
    }
    return builder_->RenderStream(&guids::PinCategoryCapture, &guids::MediaTypeAudio, microphone, audio, mux_);
  }

  CaptureFileProgress Progress() {
    CaptureFileProgress progress;
    EXPECT_EQ(Query<ICaptureFileStatus>(mux_)->GetProgress(progress), kOk);
    return progress;
  }

  Result Record(std::chrono::milliseconds length) {
    std::shared_ptr<IMediaControl> control = Query<IMediaControl>(graph_);
    const Result ran = control->Run();
    if (Failed(ran)) return ran;
    std::this_thread::sleep_for(length);
    return control->Stop();
  }

  std::shared_ptr<SimulatedPlatform> platform_;
  std::shared_ptr<IBaseFilter> camera_;
  std::shared_ptr<IGraphBuilder> graph_;
  std::shared_ptr<ICaptureGraphBuilder2> builder_;
  std::shared_ptr<IBaseFilter> mux_;
};

struct RecordingCase {
  const char* name;
  Guid container;
  Guid cameraFormat;
  std::string compressor;
  bool sound;
  std::string audioCompressor;
  std::string videoCodec;
  std::string audioCodec;  // empty: no sound stream
};

class Recording : public CaptureRig, public ::testing::WithParamInterface<RecordingCase> {};

// Two seconds at 30 frames a second from a 640 x 480 camera, sound from the simulated microphone.
TEST_P(Recording, PlaysBackWithItsStreamsInStep) {
  const RecordingCase& c = GetParam();
  if (!Present(guids::VideoCompressorCategory, c.compressor) || !Present(guids::AudioCompressorCategory, c.audioCompressor)) {
    GTEST_SKIP() << "this FFmpeg has no " << c.compressor << " / " << c.audioCompressor;
  }
  UseFormat(c.cameraFormat, 640);
  const std::string path = TempFile(std::string(c.name) + (c.container == guids::MediaSubtypeAvi ? ".avi" : ".asf"));
  ASSERT_EQ(BuildFile(c.container, path, c.compressor, c.sound, c.audioCompressor), kOk);
  ASSERT_EQ(Record(std::chrono::milliseconds(2000)), kOk);

  const CaptureFileProgress progress = Progress();
  EXPECT_FALSE(progress.recording);
  EXPECT_EQ(progress.lastError, kOk) << progress.lastErrorText;
  EXPECT_EQ(progress.dropped, 0u);
  EXPECT_FALSE(std::filesystem::exists(path + ".partial"));

  const ProbedFile file = ProbeMediaFile(path);
  ASSERT_TRUE(file.opened) << file.error;
  ASSERT_EQ(file.streams.size(), c.audioCodec.empty() ? 1u : 2u);
  const auto* video = file.Find("video");
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->codec, c.videoCodec);
  EXPECT_EQ(video->width, 640);
  EXPECT_EQ(video->height, 480);
  // Real-time pacing on a busy machine: most of the 60 frames, and never more than the clock allows.
  EXPECT_GE(video->packets, 40);
  EXPECT_LE(video->packets, 66);
  EXPECT_EQ(static_cast<std::uint64_t>(video->packets), progress.videoFramesWritten);
  EXPECT_EQ(file.decodedFrames, video->packets);
  EXPECT_NEAR(video->end, 2.0, 0.35);
  if (!c.audioCodec.empty()) {
    const auto* audio = file.Find("audio");
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(audio->codec, c.audioCodec);
    // The sound starts with the picture and ends with it: both run on the stream's clock.
    EXPECT_NEAR(audio->start, video->start, 0.1);
    EXPECT_NEAR(audio->end, video->end, 0.2);
  }
}

INSTANTIATE_TEST_SUITE_P(
    CaptureFile, Recording,
    ::testing::Values(
        RecordingCase{"AviYuy2WithPcm", guids::MediaSubtypeAvi, guids::MediaSubtypeYUY2, "", true, "", "rawvideo", "pcm_s16le"},
        RecordingCase{"AsfMotionJpegAsItComes", guids::MediaSubtypeAsf, guids::MediaSubtypeMJPG, "", false, "", "mjpeg", ""},
        RecordingCase{"AviMpeg4FromMotionJpegWithMp3", guids::MediaSubtypeAvi, guids::MediaSubtypeMJPG, "MPEG-4 Part 2", true,
                      "MP3", "mpeg4", "mp3"},
        RecordingCase{"AsfH264WithAac", guids::MediaSubtypeAsf, guids::MediaSubtypeYUY2, "H.264", true, "AAC", "h264", "aac"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CaptureRig, UnpluggingMidwayLeavesAFinishedFile) {
  UseFormat(guids::MediaSubtypeMJPG, 640);
  const std::string path = TempFile("unplugged.avi");
  ASSERT_EQ(BuildFile(guids::MediaSubtypeAvi, path, "", true, ""), kOk);
  const auto control = Query<IMediaControl>(graph_);
  ASSERT_EQ(control->Run(), kOk);
  ASSERT_TRUE(WaitFor([&] { return Progress().videoFramesWritten >= 10; }));
  ASSERT_TRUE(platform_->Unplug(kHd));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  // What the camera component does on deactivation: the graph is asked to stop, then let go.
  control->StopWhenReady();
  const std::uint64_t written = Progress().videoFramesWritten;
  graph_.reset();
  builder_.reset();

  const ProbedFile file = ProbeMediaFile(path);
  ASSERT_TRUE(file.opened) << file.error;
  const auto* video = file.Find("video");
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(static_cast<std::uint64_t>(video->packets), written);
  EXPECT_EQ(file.decodedFrames, video->packets);
  ASSERT_NE(file.Find("audio"), nullptr);
}

TEST_F(CaptureRig, ARawFormatTheContainerCannotHoldIsRefusedWhenTheStreamIsRendered) {
  // ASF holds YUY2 (it has a tag for it) but not uncompressed RGB: FFmpeg's writer is asked.
  struct Case {
    Guid container;
    Guid subtype;
    std::uint16_t bits;
    Result expected;
  };
  for (const Case& c : {Case{guids::MediaSubtypeAsf, guids::MediaSubtypeRGB24, 24, kErrorVideoNeedsCompressor},
                        Case{guids::MediaSubtypeAsf, guids::MediaSubtypeRGB32, 32, kErrorVideoNeedsCompressor},
                        Case{guids::MediaSubtypeAsf, guids::MediaSubtypeYUY2, 16, kOk},
                        Case{guids::MediaSubtypeAvi, guids::MediaSubtypeRGB24, 24, kOk}}) {
    std::shared_ptr<IBaseFilter> mux;
    std::shared_ptr<IFileSinkFilter> sink;
    ASSERT_EQ(media::MakeCaptureFile(c.container, TempFile("refused"), mux, sink), kOk);
    VideoInfoHeader header;
    header.AvgTimePerFrame = 333333;
    header.bmiHeader.biWidth = 64;
    header.bmiHeader.biHeight = 48;
    header.bmiHeader.biBitCount = c.bits;
    const OwnedMediaType type(MakeVideoInfoMediaType(c.subtype, header, true, 64 * 48 * c.bits / 8));
    StreamInput* input = InputOf(mux, guids::MediaTypeVideo);
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(input->ConnectInput(type, nullptr), c.expected) << c.subtype.ToString();
    EXPECT_EQ(input->InputConnected(), Succeeded(c.expected));
  }
  EXPECT_NE(platform_->GetErrorText(kErrorVideoNeedsCompressor).find("compressor"), std::string::npos);
}

// A disk that holds `capacity` bytes: reservations beyond it are refused, writes beyond it fail.
class SmallDisk final : public media::FileOutput {
 public:
  SmallDisk(std::unique_ptr<media::FileOutput> file, std::int64_t capacity)
      : file_(std::move(file)), capacity_(capacity) {}
  int Write(const std::uint8_t* data, int size) override {
    const std::int64_t at = file_->Seek(0, SEEK_CUR);
    if (at + size > capacity_) return AVERROR(ENOSPC);
    return file_->Write(data, size);
  }
  std::int64_t Seek(std::int64_t offset, int whence) override { return file_->Seek(offset, whence); }
  int Reserve(std::int64_t end) override { return end > capacity_ ? AVERROR(ENOSPC) : file_->Reserve(end); }
  int Close() override { return file_->Close(); }

 private:
  std::unique_ptr<media::FileOutput> file_;
  const std::int64_t capacity_;
};

// The multiplexer alone, fed 64 x 48 YUY2 frames by hand.
class MuxRig : public ::testing::Test {
 protected:
  void Make(const std::string& path, std::int64_t capacity) {
    media::CaptureFileSettings settings{path, "avi", media::OpenDiskFile, media::WriterLimits{}};
    if (capacity > 0) {
      settings.opener = [capacity](const std::string& file, int& error) -> std::unique_ptr<media::FileOutput> {
        auto disk = media::OpenDiskFile(file, error);
        if (disk == nullptr) return nullptr;
        return std::make_unique<SmallDisk>(std::move(disk), capacity);
      };
    }
    mux_ = std::make_shared<media::CaptureFileMux>(settings);
    VideoInfoHeader header;
    header.AvgTimePerFrame = 333333;
    header.bmiHeader.biWidth = 64;
    header.bmiHeader.biHeight = 48;
    header.bmiHeader.biBitCount = 16;
    const OwnedMediaType type(MakeVideoInfoMediaType(guids::MediaSubtypeYUY2, header, true, 64 * 48 * 2));
    ASSERT_EQ(InputOf(filter(), guids::MediaTypeVideo)->ConnectInput(type, nullptr), kOk);
  }
  std::shared_ptr<IBaseFilter> filter() { return std::static_pointer_cast<IBaseFilter>(mux_); }
  void Feed(int frames) {
    const auto sink = InputOf(filter(), guids::MediaTypeVideo)->InputSink();
    for (int i = 0; i < frames; ++i) {
      sink->Receive(std::make_shared<FrameSample>(std::vector<std::uint8_t>(64 * 48 * 2, 0x80), next_ / 30.0));
      ++next_;
    }
  }
  CaptureFileProgress Progress() {
    CaptureFileProgress progress;
    mux_->GetProgress(progress);
    return progress;
  }

  std::shared_ptr<media::CaptureFileMux> mux_;
  int next_ = 0;
};

TEST_F(MuxRig, AFullDiskStopsTheRecordingAndKeepsWhatWasWrittenPlayable) {
  const std::string path = TempFile("full-disk.avi");
  constexpr std::int64_t kCapacity = 1 << 20;  // room for the index reserve and a few dozen frames
  Make(path, kCapacity);
  ASSERT_EQ(filter()->Run(), kOk);
  Feed(400);  // 2.4 MB of pictures
  ASSERT_TRUE(WaitFor([&] { return Progress().lastError == kErrorDiskFull; })) << Progress().lastErrorText;
  ASSERT_EQ(filter()->Stop(), kOk);

  const CaptureFileProgress progress = Progress();
  EXPECT_EQ(progress.lastError, kErrorDiskFull);
  EXPECT_NE(progress.lastErrorText.find("full"), std::string::npos);
  EXPECT_GT(progress.videoFramesWritten, 10u);
  EXPECT_EQ(progress.videoFramesWritten + progress.dropped, 400u);
  EXPECT_LE(static_cast<std::int64_t>(std::filesystem::file_size(path)), kCapacity);
  const ProbedFile file = ProbeMediaFile(path);
  ASSERT_TRUE(file.opened) << file.error;
  EXPECT_EQ(static_cast<std::uint64_t>(file.Find("video")->packets), progress.videoFramesWritten);
  EXPECT_EQ(file.decodedFrames, file.Find("video")->packets);
}

TEST_F(MuxRig, AnExistingFileIsReplacedOnlyByAFinishedRecording) {
  const std::string path = TempFile("existing.avi");
  std::ofstream(path) << "an older recording";
  const auto oldContent = [&] {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  Make(path, 0);

  // Started and stopped without a frame: nothing to replace it with.
  ASSERT_EQ(filter()->Run(), kOk);
  ASSERT_EQ(filter()->Stop(), kOk);
  EXPECT_EQ(oldContent(), "an older recording");

  // While recording, the new file grows beside it.
  ASSERT_EQ(filter()->Run(), kOk);
  Feed(15);
  ASSERT_TRUE(WaitFor([&] { return Progress().videoFramesWritten == 15; }));
  EXPECT_EQ(oldContent(), "an older recording");
  EXPECT_TRUE(std::filesystem::exists(path + ".partial"));
  ASSERT_EQ(filter()->Pause(), kOk);  // a pause finishes the file too
  EXPECT_FALSE(std::filesystem::exists(path + ".partial"));
  EXPECT_EQ(Progress().bytesWritten, std::filesystem::file_size(path));
  const ProbedFile file = ProbeMediaFile(path);
  ASSERT_TRUE(file.opened) << file.error;
  EXPECT_EQ(file.Find("video")->packets, 15);
  EXPECT_NEAR(file.Find("video")->end, 0.5, 0.01);
}

TEST_F(MuxRig, FramesThatComeFasterThanTheDiskAreDroppedAndCounted) {
  const std::string path = TempFile("slow.avi");
  media::CaptureFileSettings settings{path, "avi", media::OpenDiskFile, media::WriterLimits{0, 4}};
  // A disk that takes a while per write.
  settings.opener = [](const std::string& file, int& error) -> std::unique_ptr<media::FileOutput> {
    struct SlowDisk final : media::FileOutput {
      std::unique_ptr<media::FileOutput> file;
      int Write(const std::uint8_t* data, int size) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return file->Write(data, size);
      }
      std::int64_t Seek(std::int64_t offset, int whence) override { return file->Seek(offset, whence); }
      int Reserve(std::int64_t end) override { return file->Reserve(end); }
      int Close() override { return file->Close(); }
    };
    auto slow = std::make_unique<SlowDisk>();
    slow->file = media::OpenDiskFile(file, error);
    if (slow->file == nullptr) return nullptr;
    return slow;
  };
  mux_ = std::make_shared<media::CaptureFileMux>(settings);
  VideoInfoHeader header;
  header.AvgTimePerFrame = 333333;
  header.bmiHeader.biWidth = 320;
  header.bmiHeader.biHeight = 240;
  header.bmiHeader.biBitCount = 16;
  const OwnedMediaType type(MakeVideoInfoMediaType(guids::MediaSubtypeYUY2, header, true, 320 * 240 * 2));
  ASSERT_EQ(InputOf(filter(), guids::MediaTypeVideo)->ConnectInput(type, nullptr), kOk);
  ASSERT_EQ(filter()->Run(), kOk);
  const auto sink = InputOf(filter(), guids::MediaTypeVideo)->InputSink();
  const auto started = std::chrono::steady_clock::now();
  for (int i = 0; i < 60; ++i) {
    sink->Receive(std::make_shared<FrameSample>(std::vector<std::uint8_t>(320 * 240 * 2, 0x80), i / 30.0));
  }
  // Handing frames over never waits for the disk.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
  ASSERT_EQ(filter()->Stop(), kOk);
  const CaptureFileProgress progress = Progress();
  EXPECT_GT(progress.dropped, 0u);
  EXPECT_EQ(progress.videoFramesWritten + progress.dropped, 60u);
  const ProbedFile file = ProbeMediaFile(path);
  ASSERT_TRUE(file.opened) << file.error;
  EXPECT_EQ(static_cast<std::uint64_t>(file.Find("video")->packets), progress.videoFramesWritten);
}

// Every sample fed to an audio compressor comes out when the stream ends: the part short of a whole
// encoder frame and what the encoder holds back are passed on then, not lost with the stop.
TEST(AudioCompressorEnd, EverySampleFedComesOutWhenTheStreamEnds) {
  const struct {
    const char* name;
    int samplesPerPacket;  // 0: plain PCM, counted in bytes
  } cases[] = {{"PCM 16-bit", 0}, {"MP3", 1152}, {"AAC", 1024}};
  constexpr int kBlocks = 50;          // one second of 20 ms blocks
  constexpr int kFramesPerBlock = 960;  // 48 kHz
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::shared_ptr<IBaseFilter> compressor;
    if (Failed(media::CreateCompressor(guids::AudioCompressorCategory, c.name, compressor))) continue;  // not built in
    struct Collect final : IFrameSink {
      void Receive(const std::shared_ptr<IMediaSample>& sample) override {
        ++packets;
        bytes += sample->ActualDataLength();
      }
      int packets = 0;
      std::int64_t bytes = 0;
    };
    const auto collected = std::make_shared<Collect>();
    StreamInput* input = InputOf(compressor, guids::MediaTypeAudio);
    ASSERT_NE(input, nullptr);
    ASSERT_EQ(input->ConnectInput(PcmMediaType({48000, 2}), collected), kOk);
    ASSERT_EQ(compressor->Run(), kOk);
    const auto sink = input->InputSink();
    for (int block = 0; block < kBlocks; ++block) {
      sink->Receive(std::make_shared<FrameSample>(std::vector<std::uint8_t>(kFramesPerBlock * 4, 0x10), block * 0.02));
    }
    input->EndOfStream();
    const std::int64_t fed = std::int64_t{kBlocks} * kFramesPerBlock;
    if (c.samplesPerPacket == 0) {
      EXPECT_EQ(collected->bytes, fed * 4);
    } else {
      EXPECT_GE(std::int64_t{collected->packets} * c.samplesPerPacket, fed);
    }
    EXPECT_EQ(compressor->Stop(), kOk);
  }
}

}  // namespace
}  // namespace tavelo::platform
