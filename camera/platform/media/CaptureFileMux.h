#pragma once

// The multiplexer SetOutputFileName makes: a graph filter with one input for video and one for sound that
// writes both into an AVI or ASF file, and is its own file sink (GetCurFile) and progress report
// (ICaptureFileStatus). An input accepts a stream only when the container can hold it, which FFmpeg is
// asked by writing a header to memory, so a raw format the container refuses fails at RenderStream.
//
// Run opens the file and writes its header (with the streams connected then); Pause, Stop, leaving the
// graph and destruction finish it (CaptureFileWriter). Time stamps: video from each frame's sample time,
// one tick per frame period and never backwards; PCM sound from its sample count, anchored at the first
// block's sample time, so a dropped block does not shift the sound against the picture.

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "camera/platform/Interfaces.h"
#include "camera/platform/common/FilterBase.h"
#include "camera/platform/common/OwnedMediaType.h"
#include "camera/platform/graph/StreamInput.h"
#include "camera/platform/media/CaptureFileWriter.h"
#include "camera/platform/media/FileOutput.h"

namespace tavelo::platform {
class InputConnection;
}

namespace tavelo::platform::media {

struct CaptureFileSettings {
  std::string fileName;
  std::string muxer;  // FFmpeg's name: "avi" or "asf"
  FileOutputOpener opener = OpenDiskFile;
  WriterLimits limits;
};

// The maker the capture graph builder is given (CaptureFileMaker): checks the container subtype (AVI or
// ASF) and the file name (not empty, not a folder, in a folder that exists) before making anything.
Result MakeCaptureFile(const Guid& subtype, const std::string& fileName, std::shared_ptr<IBaseFilter>& multiplexer,
                       std::shared_ptr<IFileSinkFilter>& fileSink);

// Whether `muxer` can hold `stream`: kOk, or the FFmpeg error text in `why`.
bool ContainerHolds(const std::string& muxer, const StreamDescription& stream, std::string& why);

class CaptureFileMux final : public FilterBase,
                             public StreamInput,
                             public IFileSinkFilter,
                             public ICaptureFileStatus {
 public:
  explicit CaptureFileMux(CaptureFileSettings settings);
  ~CaptureFileMux() override;

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;

  // StreamInput: the filter itself stands for both inputs; InputFor picks one.
  bool HasOutput() const override { return false; }
  Result ConnectInput(const OwnedMediaType& mediaType, std::shared_ptr<IFrameSink> downstream) override;
  void DisconnectInput() override;
  bool InputConnected() const override;
  std::shared_ptr<IFrameSink> InputSink() override;
  StreamInput* InputFor(const Guid& majorType) override;

  Result GetCurFile(std::string& fileName) override;
  Result GetProgress(CaptureFileProgress& out) override;

 protected:
  Result OnStateChange(FilterState state) override;
  void OnLeftGraph() override;

 private:
  class Track;

  CaptureFileMux(CaptureFileSettings settings, std::shared_ptr<InputConnection> video,
                 std::shared_ptr<InputConnection> audio);
  Result StartRecording();
  void FinishRecording();
  void Take(Track& track, const std::shared_ptr<IMediaSample>& sample);

  const CaptureFileSettings settings_;
  std::unique_ptr<Track> video_;
  std::unique_ptr<Track> audio_;

  std::mutex mutex_;  // the writer and the time stamps
  std::unique_ptr<CaptureFileWriter> writer_;
  std::optional<CaptureFileProgress> lastProgress_;  // of the finished recording, once the writer is gone
};

}  // namespace tavelo::platform::media
