// The machine's sound inputs: which of the sound systems' entries are listed and under what names, the
// listing of this machine (which has no sound server in the build containers), and capturing through
// FFmpeg's input devices with ALSA's "null" device, which every ALSA installation has.

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>

#include "camera/platform/media/AudioSources.h"
#include "camera/platform/media/DeviceAudioSource.h"
#include "tests/platform/SimulatedFixture.h"

namespace tavelo::platform {
namespace {

using media::AudioSourceListing;
using media::MachineAudioSource;
using testing::FirstPin;
using testing::Query;
using testing::WaitFor;

class TimesSink final : public IFrameSink {
 public:
  void Receive(const std::shared_ptr<IMediaSample>& sample) override {
    std::lock_guard lock(mutex_);
    times_.push_back(sample->SampleTime());
    sizes_.push_back(sample->ActualDataLength());
  }
  std::size_t Count() const {
    std::lock_guard lock(mutex_);
    return times_.size();
  }
  mutable std::mutex mutex_;
  std::vector<double> times_;
  std::vector<std::int32_t> sizes_;
};

TEST(MachineAudioSources, TheServerWinsAndAlsaKeepsOneDirectEntryPerCardDevice) {
  using Listing = std::map<std::string, std::vector<AudioSourceListing>>;
  const struct {
    const char* what;
    Listing systems;
    std::vector<std::pair<std::string, std::string>> expected;  // friendly name, device
    std::string system;
  } cases[] = {
      {"the sound server's sources, ALSA not asked",
       {{"pulse", {{"alsa_input.usb-mic", "USB Microphone"}, {"alsa_output.pci.monitor", "Monitor of Speakers"}}},
        {"alsa", {{"default", "Default"}}}},
       {{"USB Microphone", "alsa_input.usb-mic"}, {"Monitor of Speakers", "alsa_output.pci.monitor"}},
       "pulse"},
      {"two identical microphones are numbered",
       {{"pulse", {{"mic-a", "Webcam Mic"}, {"mic-b", "Webcam Mic"}, {"mic-c", "Webcam Mic"}}}},
       {{"Webcam Mic", "mic-a"}, {"Webcam Mic #2", "mic-b"}, {"Webcam Mic #3", "mic-c"}},
       "pulse"},
      {"ALSA: routing plugins and null left out, the best direct name per card and device kept",
       {{"alsa",
         {{"null", "Discard all samples (playback) or generate zero samples (capture)"},
          {"default", "Default Audio Device"},
          {"lavrate", "Rate Converter Plugin Using Libav/FFmpeg Library"},
          {"hw:CARD=PCH,DEV=0", "HDA Intel PCH, ALC892 Analog\nDirect hardware device without any conversions"},
          {"plughw:CARD=PCH,DEV=0", "HDA Intel PCH, ALC892 Analog\nHardware device with all software conversions"},
          {"sysdefault:CARD=PCH", "HDA Intel PCH, ALC892 Analog\nDefault Audio Device"},
          {"front:CARD=PCH,DEV=0", "HDA Intel PCH, ALC892 Analog\nFront output / input"},
          {"dsnoop:CARD=PCH,DEV=2", "HDA Intel PCH, ALC892 Alt Analog\nDirect sample snooping device"},
          {"hw:CARD=PCH,DEV=2", "HDA Intel PCH, ALC892 Alt Analog\nDirect hardware device without any conversions"}}}},
       {{"Default Audio Device", "default"},
        {"HDA Intel PCH, ALC892 Analog", "sysdefault:CARD=PCH"},
        {"HDA Intel PCH, ALC892 Alt Analog", "dsnoop:CARD=PCH,DEV=2"}},
       "alsa"},
      {"ALSA with only the null device: nothing", {{"alsa", {{"null", "Discard all samples"}}}}, {}, ""},
      {"no sound system answers: nothing", {}, {}, ""},
  };
  for (const auto& c : cases) {
    std::vector<std::string> asked;
    const auto lister = [&](const std::string& system) {
      asked.push_back(system);
      const auto found = c.systems.find(system);
      return found == c.systems.end() ? std::vector<AudioSourceListing>{} : found->second;
    };
    const std::vector<MachineAudioSource> sources = media::ListMachineAudioSources(lister);
    std::vector<std::pair<std::string, std::string>> got;
    for (const auto& source : sources) {
      got.emplace_back(source.friendlyName, source.device);
      EXPECT_EQ(source.system, c.system) << c.what;
    }
    EXPECT_EQ(got, c.expected) << c.what;
    if (c.system == "pulse") {
      EXPECT_EQ(asked, std::vector<std::string>{"pulse"}) << c.what;
    }
  }
}

TEST(MachineAudioSources, MonikersCarryTheNamesAndTheirPlaceInTheList) {
  const auto lister = [](const std::string& system) {
    return system == "pulse" ? std::vector<AudioSourceListing>{{"mic-a", "Desk Mic"}, {"mic-b", "Headset"}}
                             : std::vector<AudioSourceListing>{};
  };
  std::shared_ptr<IEnumMoniker> monikers;
  ASSERT_EQ(media::EnumerateMachineAudioSources(lister, monikers), kOk);
  std::vector<std::map<std::string, std::string>> bags;
  std::shared_ptr<IMoniker> moniker;
  while (monikers->Next(moniker) == kOk) {
    std::shared_ptr<IPropertyBag> bag;
    ASSERT_EQ(moniker->BindToStorage(bag), kOk);
    auto& values = bags.emplace_back();
    for (const char* name : {"FriendlyName", "Description", "WaveInID", "DevicePath"}) {
      std::string value;
      if (Succeeded(bag->Read(name, value))) values[name] = value;
    }
    std::shared_ptr<IBaseFilter> filter;
    ASSERT_EQ(moniker->BindToObject(filter), kOk);
    FilterInfo info;
    ASSERT_EQ(filter->QueryFilterInfo(info), kOk);
    EXPECT_EQ(info.name, values["FriendlyName"]);
  }
  EXPECT_EQ(bags, (std::vector<std::map<std::string, std::string>>{
                      {{"FriendlyName", "Desk Mic"}, {"Description", "mic-a"}, {"WaveInID", "0"}},
                      {{"FriendlyName", "Headset"}, {"Description", "mic-b"}, {"WaveInID", "1"}}}));

  std::shared_ptr<IEnumMoniker> none;
  EXPECT_EQ(media::EnumerateMachineAudioSources([](const std::string&) { return std::vector<AudioSourceListing>{}; },
                                                none),
            kFalse);
  EXPECT_EQ(none, nullptr);
}

TEST(MachineAudioSources, ListingThisMachineIsQuickAndNeverOffersTheDiscardingDevice) {
  const auto started = std::chrono::steady_clock::now();
  const auto sources = media::ListMachineAudioSources(media::SystemAudioSourceLister());
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
  for (const auto& source : sources) {
    EXPECT_FALSE(source.friendlyName.empty());
    EXPECT_NE(source.device, "null");
    EXPECT_TRUE(source.system == "pulse" || source.system == "alsa") << source.system;
  }
}

TEST(DeviceAudioSource, CapturesAlsaNullAsEvenlyTimedTwentyMillisecondSamples) {
  auto filter = media::CreateDeviceAudioFilter({"Null", "alsa", "null"});
  auto source = Query<IFrameSource>(FirstPin(filter));
  ASSERT_NE(source, nullptr);
  OwnedMediaType type;
  ASSERT_EQ(source->GetStreamMediaType(type.Receive()), kOk);
  EXPECT_EQ(PcmFormatOf(type.Get()), media::kDeviceAudioFormat);

  auto sink = std::make_shared<TimesSink>();
  const Result started = source->StartStreaming(sink);
  if (Failed(started)) GTEST_SKIP() << "ALSA's null device cannot be opened here";
  const bool enough = WaitFor([&] { return sink->Count() >= 5; });
  const auto stopping = std::chrono::steady_clock::now();
  ASSERT_EQ(source->StopStreaming(), kOk);
  EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::milliseconds(500)) << "a stop waits for the device";
  ASSERT_TRUE(enough);

  std::lock_guard lock(sink->mutex_);
  for (std::size_t i = 0; i < sink->times_.size(); ++i) {
    EXPECT_EQ(sink->sizes_[i], 960 * 4) << i;
    EXPECT_NEAR(sink->times_[i], static_cast<double>(i) * 0.020, 1e-9) << i;
  }
}

TEST(DeviceAudioSource, ADeviceThatCannotBeOpenedRefusesTheStart) {
  auto filter = media::CreateDeviceAudioFilter({"Nothing", "alsa", "tavelo-no-such-device"});
  auto source = Query<IFrameSource>(FirstPin(filter));
  ASSERT_NE(source, nullptr);
  EXPECT_TRUE(Failed(source->StartStreaming(std::make_shared<TimesSink>())));
}

}  // namespace
}  // namespace tavelo::platform
