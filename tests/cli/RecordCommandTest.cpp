// `tavelo --record` on the simulated cameras and microphone: the request checked as a whole before the
// camera starts, what can be named, a recording read back with FFmpeg's demuxer, and a camera unplugged
// while it records. Stopping by SIGINT is in RecordProcessTest.cpp, on the program itself.

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "camera/platform/media/FfmpegTypes.h"
#include "camera/platform/simulated/SimulatedPlatform.h"
#include "tests/cli/CommandLineHarness.h"
#include "tests/support/MediaFileProbe.h"

namespace tavelo::clitest {
namespace {

using platform::testing::ProbedFile;
using platform::testing::ProbedStream;
using platform::testing::ProbeMediaFile;

const QString kLaptop = QStringLiteral("Simulated Laptop Camera");
const QString kMicrophone = QString::fromLatin1(platform::kSimulatedMicrophoneName);

// The first PCM sound stream of a file as FFmpeg's demuxer reads it: its format and its first channel.
struct PcmSound {
  int sampleRate = 0;
  int channels = 0;
  std::vector<std::int16_t> firstChannel;
};

PcmSound ReadPcmSound(const std::string& path) {
  PcmSound sound;
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return sound;
  const std::unique_ptr<AVFormatContext*, void (*)(AVFormatContext**)> closer(&format, avformat_close_input);
  if (avformat_find_stream_info(format, nullptr) < 0) return sound;
  const int index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (index < 0 || format->streams[index]->codecpar->codec_id != AV_CODEC_ID_PCM_S16LE) return sound;
  sound.sampleRate = format->streams[index]->codecpar->sample_rate;
  sound.channels = format->streams[index]->codecpar->ch_layout.nb_channels;
  const platform::media::PacketPtr packet(av_packet_alloc());
  while (av_read_frame(format, packet.get()) >= 0) {
    if (packet->stream_index == index && sound.channels > 0) {
      const int samples = packet->size / 2;
      for (int at = 0; at + sound.channels <= samples; at += sound.channels) {
        std::int16_t value = 0;
        std::memcpy(&value, packet->data + 2 * at, 2);
        sound.firstChannel.push_back(value);
      }
    }
    av_packet_unref(packet.get());
  }
  return sound;
}

class RecordCommandTest : public SimulatedCamerasTest {
 protected:
  CommandLineRun Record(const QString& file, QStringList more = {}) {
    return RunCli(cameras, QStringList{"--camera", kLaptop, "--record", file} + more);
  }
};

// Nothing is recorded, and no file made, for a request that cannot be carried out as a whole.
TEST_F(RecordCommandTest, RequestsThatCannotBeCarriedOutRecordNothing) {
  const struct {
    QStringList arguments;  // after --camera "Simulated Laptop Camera"
    int exit;
    const char* complaint;
  } cases[] = {
      {{"--record", "a.avi"}, ceBadArgument, "--record needs --seconds N"},
      {{"--record", "a.avi", "--seconds", "0"}, ceBadArgument, "greater than 0"},
      {{"--record", "a.avi", "--seconds", "-2"}, ceBadArgument, "greater than 0"},
      {{"--record", "a.avi", "--seconds", "soon"}, ceBadArgument, "greater than 0"},
      {{"--record", "a.avi", "--seconds", "1", "--seconds", "2"}, ceBadArgument, "--seconds is given twice"},
      {{"--record", "a.mp4", "--seconds", "1"}, ceBadArgument, ".avi, .asf or .wmv"},
      {{"--record", "a", "--seconds", "1"}, ceBadArgument, ".avi, .asf or .wmv"},
      {{"--record", "--seconds", "1"}, ceBadArgument, "--record needs a file name"},
      {{"--record", "a.avi", "--seconds", "1", "--compressor"}, ceBadArgument, "--compressor needs a name"},
      {{"--record", "a.avi", "--seconds", "1", "--audio-compressor", "PCM"}, ceBadArgument,
       "--audio-compressor needs --audio"},
      {{"--get", "--seconds", "1"}, ceBadArgument, "--seconds goes with --record"},
      {{"--get", "--audio", "Mic"}, ceBadArgument, "--audio goes with --record"},
      // Names are checked against what the machine offers, before the camera starts.
      {{"--record", "a.avi", "--seconds", "1", "--compressor", "Sparkle Codec"}, ceBadArgument,
       "No compressor \"Sparkle Codec\" (see --list compressors)"},
      {{"--record", "a.avi", "--seconds", "1", "--audio", "Kazoo"}, ceBadArgument,
       "No audio input \"Kazoo\" (see --list audio)"},
      {{"--record", "a.avi", "--seconds", "1", "--audio", kMicrophone, "--audio-compressor", "Morse"}, ceBadArgument,
       "No audio compressor \"Morse\" (see --list audio-compressors)"},
      {{"--record", "missing-folder/a.avi", "--seconds", "1"}, ceFileProblem, "does not exist"},
  };
  for (const auto& c : cases) {
    QStringList arguments = c.arguments;
    for (QString& word : arguments) {
      if (word.endsWith(".avi") || word.endsWith(".mp4") || word == "a") word = File(word);
    }
    const CommandLineRun run = RunCli(cameras, QStringList{"--camera", kLaptop} + arguments);
    const std::string words = c.arguments.join(' ').toStdString();
    EXPECT_EQ(run.exit, c.exit) << words;
    EXPECT_TRUE(run.err.contains(QLatin1StringView(c.complaint))) << words << ": " << run.err.toStdString();
    EXPECT_EQ(run.ErrLines().size(), 1) << words << ": " << run.err.toStdString();
    EXPECT_FALSE(cameras->IsStreaming("sim://laptop-camera")) << words;
  }
  EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());

  const CommandLineRun noCamera =
      RunCli(cameras, {"--camera", "Nobody", "--record", File("a.avi"), "--seconds", "1"});
  EXPECT_EQ(noCamera.exit, ceNoSuchCamera);
  const CommandLineRun badList = RunCli(cameras, {"--list", "microphones"});
  EXPECT_EQ(badList.exit, ceBadArgument);
  EXPECT_TRUE(badList.err.contains("cameras, audio, compressors or audio-compressors"));
}

TEST_F(RecordCommandTest, ListsWhatARecordingCanName) {
  const CommandLineRun audio = RunCli(cameras, {"--list", "audio"});
  EXPECT_EQ(audio.exit, ceOk);
  EXPECT_EQ(audio.out, kMicrophone + "\tSimulated audio input\n");

  const CommandLineRun json = RunCli(cameras, {"--list", "audio", "--json"});
  EXPECT_EQ(json.exit, ceOk);
  const QJsonArray inputs = QJsonDocument::fromJson(json.out.toUtf8()).array();
  ASSERT_EQ(inputs.size(), 1);
  EXPECT_EQ(inputs[0].toObject()["name"].toString(), kMicrophone);
  EXPECT_EQ(inputs[0].toObject()["waveInId"].toInt(-1), 0);

  // Compressors come from the machine's encoders: whatever is listed can be named, and nothing else is.
  for (const char* kind : {"compressors", "audio-compressors"}) {
    const CommandLineRun listed = RunCli(cameras, {"--list", kind});
    EXPECT_EQ(listed.exit, ceOk) << kind;
    const CommandLineRun asJson = RunCli(cameras, {"--list", kind, "--json"});
    QStringList names;
    for (const QJsonValue& entry : QJsonDocument::fromJson(asJson.out.toUtf8()).array()) {
      names.append(entry.toObject()["name"].toString());
    }
    EXPECT_EQ(listed.OutLines(), names) << kind;
  }
  EXPECT_EQ(RunCli(cameras, {"--list", "cameras"}).out, RunCli(cameras, {"--list"}).out);
}

// Two seconds of the camera as it streams (uncompressed YUY2) with the microphone's tone, read back by
// FFmpeg: both streams, their formats, their lengths, and the sound starting with the tone's first click,
// so the sound runs from the start of the recording as the video does.
TEST_F(RecordCommandTest, RecordsTwoSecondsWithSoundThatFfmpegReadsBack) {
  const QString file = File("two seconds.avi");
  const CommandLineRun run = Record(file, {"--seconds", "2", "--audio", kMicrophone});
  ASSERT_EQ(run.exit, ceOk) << run.err.toStdString();
  EXPECT_TRUE(run.out.startsWith("Recorded 2.")) << run.out.toStdString();
  EXPECT_TRUE(run.err.contains("Recording 1.")) << "one progress line a second: " << run.err.toStdString();

  const ProbedFile probed = ProbeMediaFile(file.toStdString());
  ASSERT_TRUE(probed.opened) << probed.error;
  ASSERT_EQ(probed.streams.size(), 2u);
  const ProbedStream* video = probed.Find("video");
  const ProbedStream* audio = probed.Find("audio");
  ASSERT_NE(video, nullptr);
  ASSERT_NE(audio, nullptr);
  EXPECT_EQ(video->width, 640);
  EXPECT_EQ(video->height, 480);
  // 30 frames a second; a loaded test machine may lose a few.
  EXPECT_GE(video->packets, 40);
  EXPECT_LE(video->packets, 66);
  EXPECT_EQ(probed.decodedFrames, video->packets);
  EXPECT_NEAR(video->end, 2.0, 0.3);
  EXPECT_EQ(audio->codec, "pcm_s16le");
  EXPECT_NEAR(audio->end, 2.0, 0.3);

  const PcmSound sound = ReadPcmSound(file.toStdString());
  EXPECT_EQ(sound.sampleRate, 48000);
  EXPECT_EQ(sound.channels, 2);
  EXPECT_NEAR(static_cast<double>(sound.firstChannel.size()) / 48000.0, 2.0, 0.25);
  ASSERT_GT(sound.firstChannel.size(), 48000u);
  EXPECT_EQ(sound.firstChannel.front(), 30000) << "the sound starts with the tone's first click";
  EXPECT_EQ(sound.firstChannel[48000], 30000) << "one second of sound later, the next click";
}

TEST_F(RecordCommandTest, AnUnpluggedCameraEndsTheRecordingWithAFinishedFile) {
  const QString file = File("unplugged.avi");
  std::thread unplug([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    cameras->Unplug("sim://laptop-camera");
  });
  const auto started = std::chrono::steady_clock::now();
  const CommandLineRun run = Record(file, {"--seconds", "20"});
  unplug.join();
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_EQ(run.exit, ceNoSuchCamera) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains("The camera was unplugged after")) << run.err.toStdString();

  const ProbedFile probed = ProbeMediaFile(file.toStdString());
  ASSERT_TRUE(probed.opened) << probed.error;
  ASSERT_EQ(probed.streams.size(), 1u);
  EXPECT_GT(probed.streams[0].packets, 5);
  EXPECT_EQ(probed.decodedFrames, probed.streams[0].packets);
}

}  // namespace
}  // namespace tavelo::clitest
