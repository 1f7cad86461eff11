#include "camera/platform/media/CompressorCatalogue.h"

#include "camera/platform/common/Enumerators.h"
#include "camera/platform/media/AudioCompressor.h"
#include "camera/platform/media/FfmpegTypes.h"
#include "camera/platform/media/VideoCompressor.h"

namespace tavelo::platform::media {
namespace {

// What makes sense for a webcam recording: pictures every player decodes, from a fixed-quality
// motion-JPEG to H.264 tuned for no delay; sound as it is, or in the two common compressed forms.
const CompressorEntry kCatalogue[] = {
    {"Motion JPEG", CompressorKind::Video, {"mjpeg"}, "", 3},
    {"MPEG-4 Part 2", CompressorKind::Video, {"mpeg4"}, "", 4},
    {"H.264", CompressorKind::Video, {"libx264", "libopenh264"}, "preset=veryfast:tune=zerolatency:crf=23", 0},
    {"PCM 16-bit", CompressorKind::Audio, {"pcm_s16le"}, "", 0},
    {"MP3", CompressorKind::Audio, {"libmp3lame"}, "", 0},
    {"AAC", CompressorKind::Audio, {"aac"}, "", 0},
};

std::optional<CompressorKind> KindOf(const Guid& category) {
  if (category == guids::VideoCompressorCategory) return CompressorKind::Video;
  if (category == guids::AudioCompressorCategory) return CompressorKind::Audio;
  return std::nullopt;
}

const AVCodec* EncoderOf(const CompressorEntry& entry) {
  for (const char* name : entry.encoders) {
    if (const AVCodec* encoder = avcodec_find_encoder_by_name(name)) return encoder;
  }
  return nullptr;
}

struct Present {
  const CompressorEntry* entry;
  const AVCodec* encoder;
};

std::vector<Present> PresentIn(const Guid& category) {
  KeepFfmpegQuiet();
  std::vector<Present> present;
  const auto kind = KindOf(category);
  if (!kind) return present;
  for (const CompressorEntry& entry : kCatalogue) {
    if (entry.kind != *kind) continue;
    if (const AVCodec* encoder = EncoderOf(entry)) present.push_back({&entry, encoder});
  }
  return present;
}

std::shared_ptr<IBaseFilter> NewCompressor(const Present& present) {
  EncoderChoice choice{present.entry->friendlyName, present.encoder, present.entry->options, present.entry->quality};
  if (present.entry->kind == CompressorKind::Video) {
    return std::static_pointer_cast<IBaseFilter>(std::make_shared<VideoCompressor>(std::move(choice)));
  }
  return std::static_pointer_cast<IBaseFilter>(std::make_shared<AudioCompressor>(std::move(choice)));
}

class CompressorBag final : public IPropertyBag {
 public:
  explicit CompressorBag(Present present) : present_(present) {}
  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerInterfaces<IPropertyBag>(this, iid, out);
  }
  Result Read(const std::string& name, std::string& value) override {
    if (name == "FriendlyName") {
      value = present_.entry->friendlyName;
    } else if (name == "Description" && present_.encoder->long_name != nullptr) {
      value = present_.encoder->long_name;
    } else {
      return kErrorNotFound;
    }
    return kOk;
  }

 private:
  const Present present_;
};

class CompressorMoniker final : public IMoniker {
 public:
  explicit CompressorMoniker(Present present) : present_(present) {}
  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerInterfaces<IMoniker>(this, iid, out);
  }
  Result BindToStorage(std::shared_ptr<IPropertyBag>& out) override {
    out = std::make_shared<CompressorBag>(present_);
    return kOk;
  }
  Result BindToObject(std::shared_ptr<IBaseFilter>& out) override {
    out = NewCompressor(present_);
    return out != nullptr ? kOk : kOutOfMemory;
  }

 private:
  const Present present_;
};

}  // namespace

bool IsCompressorCategory(const Guid& category) { return KindOf(category).has_value(); }

std::vector<std::string> AvailableCompressors(const Guid& category) {
  std::vector<std::string> names;
  for (const Present& present : PresentIn(category)) names.emplace_back(present.entry->friendlyName);
  return names;
}

Result EnumerateCompressors(const Guid& category, std::shared_ptr<IEnumMoniker>& out) {
  std::vector<std::shared_ptr<IMoniker>> monikers;
  for (const Present& present : PresentIn(category)) monikers.push_back(std::make_shared<CompressorMoniker>(present));
  return EnumerateMonikers(std::move(monikers), out);
}

Result CreateCompressor(const Guid& category, const std::string& friendlyName, std::shared_ptr<IBaseFilter>& out) {
  out.reset();
  for (const Present& present : PresentIn(category)) {
    if (friendlyName == present.entry->friendlyName) {
      out = NewCompressor(present);
      return out != nullptr ? kOk : kOutOfMemory;
    }
  }
  return kErrorNotFound;
}

}  // namespace tavelo::platform::media
