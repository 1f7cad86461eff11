// Audio capture filters: the PCM media type, the cutting of a device's chunks into regular samples with
// their times, and the simulated microphone's tone, timing, stream cycles and unplugging.

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>

#include "camera/platform/common/AudioCaptureFilter.h"
#include "camera/platform/simulated/MicrophoneTone.h"
#include "camera/platform/simulated/SimulatedMicrophone.h"
#include "tests/platform/SimulatedFixture.h"

namespace tavelo::platform {
namespace {

using simulated::kSimulatedMicrophoneFormat;
using simulated::RenderMicrophoneTone;
using testing::BindDevice;
using testing::FirstPin;
using testing::MakePlatform;
using testing::Query;
using testing::WaitFor;

std::int16_t SampleAt(const std::vector<std::uint8_t>& bytes, const PcmFormat& format, std::size_t frame,
                      std::uint16_t channel) {
  std::int16_t value = 0;
  std::memcpy(&value, bytes.data() + frame * format.FrameBytes() + channel * 2u, 2);
  return value;
}

// Keeps every sample it receives.
class RecordingSink final : public IFrameSink {
 public:
  struct Received {
    std::vector<std::uint8_t> bytes;
    double time;
  };
  void Receive(const std::shared_ptr<IMediaSample>& sample) override {
    std::lock_guard lock(mutex_);
    received_.push_back({{sample->Data(), sample->Data() + sample->ActualDataLength()}, sample->SampleTime()});
  }
  std::vector<Received> Samples() const {
    std::lock_guard lock(mutex_);
    return received_;
  }
  std::size_t Count() const {
    std::lock_guard lock(mutex_);
    return received_.size();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Received> received_;
};

// ---- The media type ------------------------------------------------------------------------------------

TEST(PcmFormat, MediaTypeDescribesInterleavedSixteenBitFrames) {
  const OwnedMediaType type = PcmMediaType({44100, 1});
  const AmMediaType& mt = type.Get();
  EXPECT_EQ(mt.majortype, guids::MediaTypeAudio);
  EXPECT_EQ(mt.subtype, guids::MediaSubtypePCM);
  EXPECT_EQ(mt.formattype, guids::FormatWaveFormatEx);
  EXPECT_EQ(mt.bFixedSizeSamples, 1);
  EXPECT_EQ(mt.lSampleSize, 2u);
  ASSERT_EQ(mt.cbFormat, sizeof(WaveFormatEx));
  WaveFormatEx wave;
  std::memcpy(&wave, mt.pbFormat, sizeof wave);
  EXPECT_EQ(wave.wFormatTag, 1);
  EXPECT_EQ(wave.nChannels, 1);
  EXPECT_EQ(wave.nSamplesPerSec, 44100u);
  EXPECT_EQ(wave.nAvgBytesPerSec, 88200u);
  EXPECT_EQ(wave.nBlockAlign, 2);
  EXPECT_EQ(wave.wBitsPerSample, 16);
  EXPECT_EQ(PcmFormatOf(mt), (PcmFormat{44100, 1}));
}

TEST(PcmFormat, InconsistentWaveBlocksAreNotReadAsPcm) {
  const struct {
    const char* what;
    void (*spoil)(WaveFormatEx&, AmMediaType&);
  } cases[] = {
      {"8-bit samples", [](WaveFormatEx& w, AmMediaType&) { w.wBitsPerSample = 8; }},
      {"block alignment of another channel count", [](WaveFormatEx& w, AmMediaType&) { w.nBlockAlign = 2; }},
      {"byte rate of another sample rate", [](WaveFormatEx& w, AmMediaType&) { w.nAvgBytesPerSec = 1; }},
      {"no channels", [](WaveFormatEx& w, AmMediaType&) { w.nChannels = 0; w.nBlockAlign = 0; }},
      {"a compressed format tag", [](WaveFormatEx& w, AmMediaType&) { w.wFormatTag = 0x55; }},
      {"a video major type", [](WaveFormatEx&, AmMediaType& mt) { mt.majortype = guids::MediaTypeVideo; }},
      {"a short format block", [](WaveFormatEx&, AmMediaType& mt) { mt.cbFormat = 16; }},
  };
  for (const auto& c : cases) {
    OwnedMediaType type = PcmMediaType({48000, 2});
    AmMediaType copy;
    ASSERT_EQ(type.CopyTo(copy), kOk);
    OwnedMediaType owned(std::move(copy));
    AmMediaType& mt = const_cast<AmMediaType&>(owned.Get());
    WaveFormatEx wave;
    std::memcpy(&wave, mt.pbFormat, sizeof wave);
    c.spoil(wave, mt);
    std::memcpy(mt.pbFormat, &wave, sizeof wave);
    EXPECT_EQ(PcmFormatOf(mt), std::nullopt) << c.what;
  }
}

// ---- Cutting chunks into samples ----------------------------------------------------------------------

TEST(PcmBlocker, SamplesHoldWholeBlocksTimedFromTheChunkOfTheirFirstFrame) {
  // Mono 1000 Hz, 10-frame blocks (20 bytes): a frame is 1 ms.
  const PcmFormat format{1000, 1};
  const struct {
    const char* what;
    std::vector<std::pair<std::size_t, double>> chunks;  // bytes, time
    std::vector<double> blockTimes;
  } cases[] = {
      {"one chunk of exactly one block", {{20, 0.0}}, {0.0}},
      {"one chunk of two and a half blocks", {{50, 0.0}}, {0.0, 0.010}},
      {"small chunks add up", {{6, 0.0}, {6, 0.003}, {6, 0.006}, {6, 0.009}}, {0.0}},
      {"a block starting inside a later chunk", {{30, 0.0}, {30, 0.015}}, {0.0, 0.010, 0.020}},
      // The device skipped 100 ms: the block after the gap takes the later chunk's time line.
      {"a gap in the device's time line", {{20, 0.0}, {20, 0.120}}, {0.0, 0.120}},
      {"a frame split between chunks", {{19, 0.0}, {1, 0.0095}, {20, 0.010}}, {0.0, 0.010}},
      {"nothing whole yet", {{19, 0.0}}, {}},
  };
  for (const auto& c : cases) {
    PcmBlocker blocker(format, 10);
    std::vector<double> times;
    std::uint8_t next = 0;
    std::uint8_t expectedNext = 0;
    for (const auto& [bytes, time] : c.chunks) {
      PcmChunk chunk;
      for (std::size_t i = 0; i < bytes; ++i) chunk.bytes.push_back(next++);
      chunk.time = time;
      blocker.Append(chunk);
      std::vector<std::uint8_t> block;
      double blockTime = 0;
      while (blocker.Take(block, blockTime)) {
        ASSERT_EQ(block.size(), 20u) << c.what;
        for (std::uint8_t byte : block) ASSERT_EQ(byte, expectedNext++) << c.what << ": bytes out of order";
        times.push_back(blockTime);
      }
    }
    ASSERT_EQ(times.size(), c.blockTimes.size()) << c.what;
    for (std::size_t i = 0; i < times.size(); ++i) EXPECT_NEAR(times[i], c.blockTimes[i], 1e-9) << c.what << " #" << i;
  }
}

// ---- The simulated microphone's tone ------------------------------------------------------------------

TEST(MicrophoneTone, ClicksStartEveryWholeSecondAndTheChannelsCarryTheirOwnPitch) {
  const PcmFormat format = kSimulatedMicrophoneFormat;
  std::vector<std::uint8_t> twoSeconds;
  RenderMicrophoneTone(format, 0, 2 * format.sampleRate, twoSeconds);
  ASSERT_EQ(twoSeconds.size(), 2u * format.sampleRate * format.FrameBytes());

  std::vector<std::size_t> clickStarts;
  int leftCrossings = 0;
  int rightCrossings = 0;
  for (std::size_t frame = 0; frame < 2u * format.sampleRate; ++frame) {
    const bool loud = SampleAt(twoSeconds, format, frame, 0) > simulated::kToneAmplitude;
    const bool wasLoud = frame > 0 && SampleAt(twoSeconds, format, frame - 1, 0) > simulated::kToneAmplitude;
    if (loud && !wasLoud) clickStarts.push_back(frame);
    if (frame > 0 && !loud && !wasLoud) {
      leftCrossings += (SampleAt(twoSeconds, format, frame - 1, 0) < 0) != (SampleAt(twoSeconds, format, frame, 0) < 0);
      rightCrossings += (SampleAt(twoSeconds, format, frame - 1, 1) < 0) != (SampleAt(twoSeconds, format, frame, 1) < 0);
    }
  }
  EXPECT_EQ(clickStarts, (std::vector<std::size_t>{0, format.sampleRate}));
  // Two zero crossings per period, give or take the ones the clicks cover.
  EXPECT_NEAR(leftCrossings, 2 * 2 * 440, 6);
  EXPECT_NEAR(rightCrossings, 2 * 2 * 880, 6);

  // Rendering in pieces gives the same frames as in one go.
  std::vector<std::uint8_t> pieces;
  for (std::uint32_t first = 0; first < 2 * format.sampleRate; first += 960) RenderMicrophoneTone(format, first, 960, pieces);
  EXPECT_EQ(pieces, twoSeconds);
}

// ---- The simulated microphone -------------------------------------------------------------------------

class SimulatedMicrophone : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_ = MakePlatform({"laptop"});
    ASSERT_NE(platform_, nullptr);
    filter_ = BindDevice(*platform_, kSimulatedMicrophoneName, guids::AudioInputDeviceCategory);
    ASSERT_NE(filter_, nullptr);
    pin_ = FirstPin(filter_);
    ASSERT_NE(pin_, nullptr);
    source_ = Query<IFrameSource>(pin_);
    ASSERT_NE(source_, nullptr);
  }

  std::shared_ptr<SimulatedPlatform> platform_;
  std::shared_ptr<IBaseFilter> filter_;
  std::shared_ptr<IPin> pin_;
  std::shared_ptr<IFrameSource> source_;
};

TEST_F(SimulatedMicrophone, IsAnOutputPinOfTheCaptureCategoryWithOnePcmFormat) {
  PinDirection direction = PinDirection::Input;
  ASSERT_EQ(pin_->QueryDirection(direction), kOk);
  EXPECT_EQ(direction, PinDirection::Output);
  auto properties = Query<IKsPropertySet>(pin_);
  ASSERT_NE(properties, nullptr);
  Guid category;
  std::uint32_t returned = 0;
  ASSERT_EQ(properties->Get(guids::AmPropSetIdPin, guids::kAmPropertyPinCategory, nullptr, 0, &category,
                            sizeof category, returned),
            kOk);
  EXPECT_EQ(category, guids::PinCategoryCapture);

  OwnedMediaType streamType;
  ASSERT_EQ(source_->GetStreamMediaType(streamType.Receive()), kOk);
  EXPECT_EQ(PcmFormatOf(streamType.Get()), kSimulatedMicrophoneFormat);
  EXPECT_EQ(streamType.Get().lSampleSize, 4u);

  std::shared_ptr<IEnumMediaTypes> types;
  ASSERT_EQ(pin_->EnumMediaTypes(types), kOk);
  AmMediaType* offered = nullptr;
  ASSERT_EQ(types->Next(offered), kOk);
  const OwnedMediaType first = OwnedMediaType::Adopt(offered);
  EXPECT_EQ(PcmFormatOf(first.Get()), kSimulatedMicrophoneFormat);
  EXPECT_EQ(types->Next(offered), kFalse);

  auto config = Query<IAMStreamConfig>(pin_);
  ASSERT_NE(config, nullptr);
  EXPECT_EQ(config->SetFormat(first.Get()), kOk);
  EXPECT_EQ(config->SetFormat(PcmMediaType({44100, 2}).Get()), kErrorInvalidMediaType);
}

TEST_F(SimulatedMicrophone, DeliversTheToneInTwentyMillisecondSamplesTimedByTheirFrames) {
  auto sink = std::make_shared<RecordingSink>();
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(source_->StartStreaming(sink), kOk);
  ASSERT_TRUE(WaitFor([&] { return sink->Count() >= 10; }));
  const auto elapsed = std::chrono::steady_clock::now() - started;
  ASSERT_EQ(source_->StopStreaming(), kOk);

  // Paced in real time: ten 20 ms samples are not there before 200 ms.
  EXPECT_GE(elapsed, std::chrono::milliseconds(190));
  const PcmFormat format = kSimulatedMicrophoneFormat;
  const std::uint32_t frames = AudioCapturePin::BlockFrames(format);
  ASSERT_EQ(frames, 960u);
  const auto samples = sink->Samples();
  for (std::size_t i = 0; i < samples.size(); ++i) {
    EXPECT_DOUBLE_EQ(samples[i].time, static_cast<double>(i) * 0.020) << "sample " << i;
    std::vector<std::uint8_t> expected;
    RenderMicrophoneTone(format, static_cast<std::int64_t>(i) * frames, frames, expected);
    EXPECT_EQ(samples[i].bytes, expected) << "sample " << i;
  }
}

TEST_F(SimulatedMicrophone, StreamsAgainAfterEachStopAndIsHeldByOneStreamAtATime) {
  auto other = BindDevice(*platform_, kSimulatedMicrophoneName, guids::AudioInputDeviceCategory);
  auto otherSource = Query<IFrameSource>(FirstPin(other));
  ASSERT_NE(otherSource, nullptr);
  for (int cycle = 0; cycle < 3; ++cycle) {
    auto sink = std::make_shared<RecordingSink>();
    ASSERT_EQ(source_->StartStreaming(sink), kOk) << "cycle " << cycle;
    EXPECT_EQ(otherSource->StartStreaming(std::make_shared<RecordingSink>()), kErrorDeviceInUse);
    ASSERT_TRUE(WaitFor([&] { return sink->Count() >= 2; })) << "cycle " << cycle;
    ASSERT_EQ(filter_->Stop(), kOk);  // a stopped filter ends its pin's stream
    const std::size_t delivered = sink->Count();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(sink->Count(), delivered) << "delivered after the stop";
    // Every stream starts its own time line.
    EXPECT_EQ(sink->Samples().front().time, 0.0);
  }
}

TEST_F(SimulatedMicrophone, UnpluggingEndsTheStreamAndItsObjectsAnswerNoDevice) {
  auto sink = std::make_shared<RecordingSink>();
  ASSERT_EQ(source_->StartStreaming(sink), kOk);
  ASSERT_TRUE(WaitFor([&] { return sink->Count() >= 1; }));
  ASSERT_TRUE(platform_->Unplug(kSimulatedMicrophoneName));
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  const std::size_t delivered = sink->Count();
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  EXPECT_EQ(sink->Count(), delivered);

  std::shared_ptr<IEnumPins> pins;
  EXPECT_EQ(filter_->EnumPins(pins), kErrorNoDevice);
  EXPECT_EQ(source_->StartStreaming(sink), kErrorNoDevice);
  OwnedMediaType type;
  EXPECT_EQ(source_->GetStreamMediaType(type.Receive()), kErrorNoDevice);
  EXPECT_EQ(platform_->IsStreaming(kSimulatedMicrophoneName), false);
}

}  // namespace
}  // namespace tavelo::platform
