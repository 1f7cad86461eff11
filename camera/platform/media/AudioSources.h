#pragma once

// The machine's sound inputs, as the audio-capture category of a real-hardware backend lists them: the
// capture sources of the sound server (PulseAudio, or PipeWire through its PulseAudio service) when one
// answers, otherwise the ALSA devices. Where neither answers (no sound server, no sound card) the list is
// empty; listing never waits for long.
//
// Each source becomes a moniker whose bag holds FriendlyName (the source's description, numbered when
// two read alike), Description (the device name the sound system knows it by) and WaveInID (its place in
// the list), and which binds to a filter capturing it (DeviceAudioSource.h).

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "camera/platform/Interfaces.h"

namespace tavelo::platform::media {

// One entry as a sound system lists it.
struct AudioSourceListing {
  std::string name;
  std::string description;
};

// Lists the capture sources of one sound system ("pulse" or "alsa"); empty when it does not answer.
using AudioSourceLister = std::function<std::vector<AudioSourceListing>(const std::string& system)>;

struct MachineAudioSource {
  std::string friendlyName;
  std::string system;  // the input device of FFmpeg that opens it: "pulse" or "alsa"
  std::string device;  // the sound system's name of the source
};

// Through libavdevice.
AudioSourceLister SystemAudioSourceLister();

// FFmpeg's input devices ("pulse", "alsa") made known to libavformat, once for the program.
void RegisterInputDevices();

// The server's sources when it lists any, else ALSA's devices without the ones that only reach other
// devices (the discarding "null" device, routing plugins) and one entry per card and kind.
std::vector<MachineAudioSource> ListMachineAudioSources(const AudioSourceLister& lister);

// The audio-capture category's monikers over ListMachineAudioSources(lister); kFalse and no enumerator
// when there is no source.
Result EnumerateMachineAudioSources(const AudioSourceLister& lister, std::shared_ptr<IEnumMoniker>& out);

}  // namespace tavelo::platform::media
