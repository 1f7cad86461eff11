#pragma once

// Scripted graph objects: filter graph (with media control and events), capture graph builder, sample
// grabber, null renderer, VMR-9 renderer, multiplexer and file writer. They do no streaming; they record
// what they are asked and keep it for inspection.
//
// The graph and the builder hold their filters and graph weakly (a real graph holds them strongly), so
// that the release log shows the order in which the code under test drops its own references.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tests/support/ScriptedFilters.h"

namespace tavelo::scripted {

class ScriptedFilterGraph final : public platform::IGraphBuilder,
                                  public platform::IMediaControl,
                                  public platform::IMediaEvent,
                                  public ScriptedObject {
 public:
  explicit ScriptedFilterGraph(std::shared_ptr<CallRecorder> recorder);

  platform::Result QueryInterface(platform::Iid iid, std::shared_ptr<void>& out) override;
  platform::Result AddFilter(const std::shared_ptr<platform::IBaseFilter>& filter, const std::string& name) override;
  platform::Result RemoveFilter(const std::shared_ptr<platform::IBaseFilter>& filter) override;
  platform::Result EnumFilters(std::vector<std::shared_ptr<platform::IBaseFilter>>& out) override;
  platform::Result Run() override;
  platform::Result Pause() override;
  platform::Result Stop() override;
  platform::Result GetState(std::int32_t timeoutMs, platform::FilterState& out) override;
  platform::Result StopWhenReady() override;

  // "<name> = <label>" of every filter in the graph, in the order added.
  std::vector<std::string> Filters() const;
  // Streams rendered by the builder: "Preview Video: Cam A -> SampleGrabber -> NullRenderer".
  std::vector<std::string> Connections() const;
  platform::FilterState State() const { return state_; }

  // Used by the builder.
  void AddConnection(std::string connection);
  void AddInternal(const std::shared_ptr<platform::IBaseFilter>& filter, std::string name);

 private:
  struct Entry {
    std::weak_ptr<platform::IBaseFilter> filter;
    const void* identity;
    std::string name;
    std::string label;
  };
  std::vector<Entry> filters_;
  std::vector<std::string> connections_;
  platform::FilterState state_ = platform::FilterState::Stopped;
};

class ScriptedCaptureGraphBuilder final : public platform::ICaptureGraphBuilder2, public ScriptedObject {
 public:
  explicit ScriptedCaptureGraphBuilder(std::shared_ptr<CallRecorder> recorder);

  platform::Result QueryInterface(platform::Iid iid, std::shared_ptr<void>& out) override;
  platform::Result SetFiltergraph(const std::shared_ptr<platform::IGraphBuilder>& graph) override;
  platform::Result RenderStream(const platform::Guid* category, const platform::Guid* mediaType,
                                const std::shared_ptr<platform::Unknown>& source,
                                const std::shared_ptr<platform::IBaseFilter>& intermediate,
                                const std::shared_ptr<platform::IBaseFilter>& sink) override;
  platform::Result SetOutputFileName(const platform::Guid& subtype, const std::string& fileName,
                                     std::shared_ptr<platform::IBaseFilter>& multiplexer,
                                     std::shared_ptr<platform::IFileSinkFilter>& fileSink) override;
  platform::Result FindInterface(const platform::Guid* category, const platform::Guid* mediaType,
                                 const std::shared_ptr<platform::IBaseFilter>& filter, platform::Iid iid,
                                 std::shared_ptr<void>& out) override;

 private:
  std::shared_ptr<ScriptedFilterGraph> Graph() const;
  std::weak_ptr<platform::IGraphBuilder> graph_;
};

class ScriptedSampleGrabber final : public ScriptedBaseFilter, public platform::ISampleGrabber {
 public:
  explicit ScriptedSampleGrabber(std::shared_ptr<CallRecorder> recorder);

  platform::Result QueryInterface(platform::Iid iid, std::shared_ptr<void>& out) override;
  platform::Result SetBufferSamples(bool buffer) override;
  platform::Result SetCallback(const std::shared_ptr<platform::ISampleGrabberCB>& callback, std::int32_t which) override;
  platform::Result GetConnectedMediaType(platform::AmMediaType& out) override;
  platform::Result GetCurrentBuffer(std::int32_t& size, std::uint8_t* buffer) override;

  // Test side: what the grabber is connected with, and a frame as the streaming thread would deliver
  // it (on the caller's thread): buffered when buffering is on, passed to the callback when one is set.
  // Answers the callback's result, kFalse without a callback.
  void SetConnectedMediaType(MediaTypeCopy mediaType);
  platform::Result Deliver(double sampleTime, std::vector<std::uint8_t> data = {});

  bool BufferSamples() const;
  bool HasCallback() const;

 private:
  mutable std::mutex mutex_;  // Deliver runs on any thread
  bool bufferSamples_ = false;
  std::shared_ptr<platform::ISampleGrabberCB> callback_;
  std::int32_t callbackKind_ = 0;
  std::vector<std::uint8_t> buffer_;
  std::optional<MediaTypeCopy> connected_;
};

class ScriptedVmr9 final : public ScriptedBaseFilter,
                           public platform::IVMRFilterConfig9,
                           public platform::IVMRWindowlessControl9 {
 public:
  explicit ScriptedVmr9(std::shared_ptr<CallRecorder> recorder);

  platform::Result QueryInterface(platform::Iid iid, std::shared_ptr<void>& out) override;
  platform::Result SetRenderingMode(std::uint32_t mode) override;
  platform::Result SetVideoClippingWindow(platform::WindowHandle window) override;
  platform::Result SetVideoPosition(const platform::Rect* source, const platform::Rect* destination) override;
  platform::Result GetVideoPosition(platform::Rect& source, platform::Rect& destination) override;
  platform::Result SetAspectRatioMode(std::uint32_t mode) override;
  platform::Result GetAspectRatioMode(std::uint32_t& mode) override;
  platform::Result SetBorderColor(std::uint32_t color) override;
  platform::Result GetBorderColor(std::uint32_t& color) override;
  platform::Result GetMaxIdealVideoSize(std::int32_t& width, std::int32_t& height) override;
  platform::Result GetMinIdealVideoSize(std::int32_t& width, std::int32_t& height) override;
  platform::Result GetNativeVideoSize(std::int32_t& width, std::int32_t& height, std::int32_t& arWidth,
                                      std::int32_t& arHeight) override;
  // A packed 32-bit bitmap of the native size, filled with one colour.
  platform::Result GetCurrentImage(std::uint8_t*& dib) override;

  void SetNativeVideoSize(std::int32_t width, std::int32_t height);

  std::uint32_t renderingMode = 0;
  platform::WindowHandle clippingWindow = 0;
  platform::Rect source;
  platform::Rect destination;
  std::uint32_t aspectRatioMode = 0;
  std::uint32_t borderColor = 0;

 private:
  std::int32_t nativeWidth_ = 4;
  std::int32_t nativeHeight_ = 3;
};

class ScriptedFileSink final : public platform::IFileSinkFilter, public ScriptedObject {
 public:
  ScriptedFileSink(std::shared_ptr<CallRecorder> recorder, std::string fileName);
  platform::Result QueryInterface(platform::Iid iid, std::shared_ptr<void>& out) override;
  platform::Result GetCurFile(std::string& fileName) override;

 private:
  std::string fileName_;
};

class ScriptedMediaSample final : public platform::IMediaSample {
 public:
  ScriptedMediaSample(double sampleTime, std::vector<std::uint8_t> data)
      : sampleTime_(sampleTime), data_(std::move(data)) {}
  platform::Result QueryInterface(platform::Iid iid, std::shared_ptr<void>& out) override {
    return platform::AnswerInterfaces<platform::IMediaSample>(this, iid, out);
  }
  const std::uint8_t* Data() const override { return data_.data(); }
  std::int32_t ActualDataLength() const override { return static_cast<std::int32_t>(data_.size()); }
  double SampleTime() const override { return sampleTime_; }

 private:
  double sampleTime_;
  std::vector<std::uint8_t> data_;
};

}  // namespace tavelo::scripted
