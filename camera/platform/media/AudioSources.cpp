#include "camera/platform/media/AudioSources.h"

#include <array>
#include <map>
#include <mutex>

#include "camera/platform/common/Enumerators.h"
#include "camera/platform/media/DeviceAudioSource.h"

extern "C" {
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
}

namespace tavelo::platform::media {
namespace {

// ALSA names one card's input several ways; these reach it directly, best first. The rest only route to
// other devices (surround layouts, rate converters, the sound servers' own plugins) or discard ("null").
constexpr std::array<std::string_view, 4> kAlsaCardPrefixes = {"sysdefault", "dsnoop", "plughw", "hw"};

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// "CARD=PCH,DEV=0" of "plughw:CARD=PCH,DEV=0" as card and device ("0" when not named); nothing for a
// name that is not tied to a card.
std::optional<std::pair<std::string, std::string>> AlsaCardOf(const std::string& name) {
  const auto colon = name.find(':');
  if (colon == std::string::npos) return std::nullopt;
  std::string card;
  std::string device = "0";
  std::size_t at = colon + 1;
  while (at < name.size()) {
    const auto comma = name.find(',', at);
    const std::string part = name.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
    if (part.starts_with("CARD=")) card = part.substr(5);
    if (part.starts_with("DEV=")) device = part.substr(4);
    if (comma == std::string::npos) break;
    at = comma + 1;
  }
  if (card.empty()) return std::nullopt;
  return std::pair{card, device};
}

int AlsaPreference(const std::string& name) {
  const std::string prefix = name.substr(0, name.find(':'));
  for (std::size_t i = 0; i < kAlsaCardPrefixes.size(); ++i) {
    if (prefix == kAlsaCardPrefixes[i]) return static_cast<int>(i);
  }
  return -1;
}

std::vector<AudioSourceListing> AlsaInputs(const std::vector<AudioSourceListing>& listed) {
  std::vector<AudioSourceListing> kept;
  std::map<std::pair<std::string, std::string>, std::size_t> keptOfCard;  // card, device -> index in kept
  for (const AudioSourceListing& entry : listed) {
    if (entry.name == "default") {
      kept.push_back(entry);
      continue;
    }
    const auto card = AlsaCardOf(entry.name);
    const int preference = AlsaPreference(entry.name);
    if (!card || preference < 0) continue;
    const auto found = keptOfCard.find(*card);
    if (found == keptOfCard.end()) {
      keptOfCard[*card] = kept.size();
      kept.push_back(entry);
    } else if (preference < AlsaPreference(kept[found->second].name)) {
      kept[found->second] = entry;
    }
  }
  return kept;
}

class SourcePropertyBag final : public IPropertyBag {
 public:
  SourcePropertyBag(MachineAudioSource source, std::int32_t waveInId)
      : source_(std::move(source)), waveInId_(waveInId) {}
  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerInterfaces<IPropertyBag>(this, iid, out);
  }
  Result Read(const std::string& name, std::string& value) override {
    if (name == "FriendlyName") value = source_.friendlyName;
    else if (name == "Description") value = source_.device;
    else if (name == "WaveInID") value = std::to_string(waveInId_);
    else return kErrorNotFound;
    return kOk;
  }

 private:
  const MachineAudioSource source_;
  const std::int32_t waveInId_;
};

class SourceMoniker final : public IMoniker {
 public:
  SourceMoniker(MachineAudioSource source, std::int32_t waveInId) : source_(std::move(source)), waveInId_(waveInId) {}
  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerInterfaces<IMoniker>(this, iid, out);
  }
  Result BindToStorage(std::shared_ptr<IPropertyBag>& out) override {
    out = std::make_shared<SourcePropertyBag>(source_, waveInId_);
    return kOk;
  }
  Result BindToObject(std::shared_ptr<IBaseFilter>& out) override {
    out = CreateDeviceAudioFilter(source_);
    return kOk;
  }

 private:
  const MachineAudioSource source_;
  const std::int32_t waveInId_;
};

}  // namespace

void RegisterInputDevices() {
  static std::once_flag once;
  std::call_once(once, [] { avdevice_register_all(); });
}

AudioSourceLister SystemAudioSourceLister() {
  return [](const std::string& system) {
    std::vector<AudioSourceListing> listed;
    RegisterInputDevices();
    const AVInputFormat* format = av_find_input_format(system.c_str());
    if (format == nullptr) return listed;
    AVDeviceInfoList* devices = nullptr;
    if (avdevice_list_input_sources(format, nullptr, nullptr, &devices) >= 0 && devices != nullptr) {
      for (int i = 0; i < devices->nb_devices; ++i) {
        const AVDeviceInfo* device = devices->devices[i];
        if (device == nullptr || device->device_name == nullptr) continue;
        listed.push_back({device->device_name, device->device_description ? device->device_description : ""});
      }
    }
    avdevice_free_list_devices(&devices);
    return listed;
  };
}

std::vector<MachineAudioSource> ListMachineAudioSources(const AudioSourceLister& lister) {
  std::string system = "pulse";
  std::vector<AudioSourceListing> listed = lister(system);
  if (listed.empty()) {
    system = "alsa";
    listed = AlsaInputs(lister(system));
  }
  std::vector<MachineAudioSource> sources;
  std::map<std::string, int> seen;
  for (const AudioSourceListing& entry : listed) {
    std::string name = FirstLine(entry.description);
    if (name.empty()) name = entry.name;
    // Two identical microphones read alike; the later ones are numbered so each can be chosen by name.
    const int count = ++seen[name];
    if (count > 1) name += " #" + std::to_string(count);
    sources.push_back({name, system, entry.name});
  }
  return sources;
}

Result EnumerateMachineAudioSources(const AudioSourceLister& lister, std::shared_ptr<IEnumMoniker>& out) {
  std::vector<std::shared_ptr<IMoniker>> monikers;
  for (MachineAudioSource& source : ListMachineAudioSources(lister)) {
    monikers.push_back(std::make_shared<SourceMoniker>(std::move(source), static_cast<std::int32_t>(monikers.size())));
  }
  return EnumerateMonikers(std::move(monikers), out);
}

}  // namespace tavelo::platform::media
