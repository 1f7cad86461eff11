// The shared graph objects on a simulated camera: building the two layouts the camera component builds,
// frames reaching the grabber and the renderer, and streaming ending when the graph says so.

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <set>

#include "tests/platform/SimulatedFixture.h"
#include "camera/platform/common/FrameLayout.h"
#include "camera/platform/graph/GraphObjects.h"
#include "camera/platform/common/JpegCodec.h"
#include "camera/platform/common/Yuy2Conversion.h"

namespace tavelo::platform {
namespace {

using testing::BindDevice;
using testing::FirstPin;
using testing::MakePlatform;
using testing::Query;
using testing::WaitFor;

constexpr const char* kHd = "sim://hd-webcam";

template <class I>
std::shared_ptr<I> Create(CapturePlatform& platform, const Guid& clsid) {
  std::shared_ptr<I> object;
  EXPECT_EQ(CreateInstanceAs(platform, clsid, object), kOk);
  return object;
}

// A filter graph around one simulated camera, with the objects the camera component would create.
class GraphRig : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_ = MakePlatform({"hd-autofocus", "no-formats"});
    ASSERT_NE(platform_, nullptr);
    camera_ = BindDevice(*platform_, kHd);
    ASSERT_NE(camera_, nullptr);
    graph_ = Create<IGraphBuilder>(*platform_, guids::FilterGraph);
    control_ = Query<IMediaControl>(graph_);
    builder_ = Create<ICaptureGraphBuilder2>(*platform_, guids::CaptureGraphBuilder2);
    ASSERT_EQ(builder_->SetFiltergraph(graph_), kOk);
    ASSERT_EQ(graph_->AddFilter(camera_, "Video capture"), kOk);
  }

  void TearDown() override {
    if (control_) control_->Stop();
  }

  // Camera -> sample grabber -> null renderer, as the grabber layout.
  void BuildGrabberLayout(const Guid& category = guids::PinCategoryPreview) {
    grabberFilter_ = Create<IBaseFilter>(*platform_, guids::SampleGrabber);
    grabber_ = Query<ISampleGrabber>(grabberFilter_);
    nullRenderer_ = Create<IBaseFilter>(*platform_, guids::NullRenderer);
    ASSERT_EQ(grabber_->SetBufferSamples(true), kOk);
    ASSERT_EQ(graph_->AddFilter(grabberFilter_, "Sample grabber"), kOk);
    ASSERT_EQ(graph_->AddFilter(nullRenderer_, "Null renderer"), kOk);
    ASSERT_EQ(builder_->RenderStream(&category, &guids::MediaTypeVideo, camera_, grabberFilter_, nullRenderer_), kOk);
  }

  // Camera -> windowless renderer, as the preview layout.
  void BuildRendererLayout() {
    rendererFilter_ = Create<IBaseFilter>(*platform_, guids::VideoMixingRenderer9);
    ASSERT_EQ(Query<IVMRFilterConfig9>(rendererFilter_)->SetRenderingMode(kVmr9ModeWindowless), kOk);
    renderer_ = Query<IVMRWindowlessControl9>(rendererFilter_);
    ASSERT_EQ(graph_->AddFilter(rendererFilter_, "VMR-9"), kOk);
    ASSERT_EQ(builder_->RenderStream(&guids::PinCategoryPreview, &guids::MediaTypeVideo, camera_, nullptr,
                                     rendererFilter_),
              kOk);
  }

  std::vector<std::uint8_t> WaitForBufferedFrame() {
    std::int32_t size = 0;
    EXPECT_TRUE(WaitFor([&] { return grabber_->GetCurrentBuffer(size, nullptr) == kOk; }));
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(size));
    EXPECT_EQ(grabber_->GetCurrentBuffer(size, frame.data()), kOk);
    return frame;
  }

  void SelectFormat(std::size_t index) {
    std::shared_ptr<IEnumMediaTypes> types;
    ASSERT_EQ(FirstPin(camera_)->EnumMediaTypes(types), kOk);
    AmMediaType* type = nullptr;
    for (std::size_t i = 0; i <= index; ++i) {
      DeleteMediaType(type);
      ASSERT_EQ(types->Next(type), kOk);
    }
    ASSERT_EQ(Query<IAMStreamConfig>(FirstPin(camera_))->SetFormat(*type), kOk);
    DeleteMediaType(type);
  }

  FilterState GraphState() {
    FilterState state = FilterState::Running;
    EXPECT_EQ(control_->GetState(0, state), kOk);
    return state;
  }

  std::shared_ptr<SimulatedPlatform> platform_;
  std::shared_ptr<IBaseFilter> camera_;
  std::shared_ptr<IGraphBuilder> graph_;
  std::shared_ptr<IMediaControl> control_;
  std::shared_ptr<ICaptureGraphBuilder2> builder_;
  std::shared_ptr<IBaseFilter> grabberFilter_;
  std::shared_ptr<ISampleGrabber> grabber_;
  std::shared_ptr<IBaseFilter> nullRenderer_;
  std::shared_ptr<IBaseFilter> rendererFilter_;
  std::shared_ptr<IVMRWindowlessControl9> renderer_;
};

// Records what the grabber's callback sees; optionally does something inside the callback.
class RecordingCallback final : public ISampleGrabberCB {
 public:
  std::function<void()> inside;

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override {
    return AnswerInterfaces<ISampleGrabberCB>(this, iid, out);
  }
  Result SampleCB(double sampleTime, const std::shared_ptr<IMediaSample>& sample) override {
    Record(sampleTime, sample ? sample->ActualDataLength() : -1);
    return kOk;
  }
  Result BufferCB(double sampleTime, const std::uint8_t*, std::int32_t length) override {
    Record(sampleTime, length);
    return kOk;
  }

  int Calls() const { return calls_.load(); }
  bool Running() const { return running_.load(); }
  std::vector<double> Times() const {
    std::lock_guard lock(mutex_);
    return times_;
  }
  std::set<std::thread::id> Threads() const {
    std::lock_guard lock(mutex_);
    return threads_;
  }
  std::int32_t LastLength() const { return lastLength_.load(); }

 private:
  void Record(double sampleTime, std::int32_t length) {
    running_ = true;
    {
      std::lock_guard lock(mutex_);
      times_.push_back(sampleTime);
      threads_.insert(std::this_thread::get_id());
    }
    lastLength_ = length;
    if (inside) inside();
    ++calls_;
    running_ = false;
  }

  mutable std::mutex mutex_;
  std::vector<double> times_;
  std::set<std::thread::id> threads_;
  std::atomic<int> calls_{0};
  std::atomic<bool> running_{false};
  std::atomic<std::int32_t> lastLength_{0};
};

TEST_F(GraphRig, TheGrabberBuffersFramesOfItsConnectedType) {
  BuildGrabberLayout();
  AmMediaType connected;
  ASSERT_EQ(grabber_->GetConnectedMediaType(connected), kOk);
  EXPECT_EQ(connected.subtype, guids::MediaSubtypeYUY2);
  EXPECT_EQ(BitmapHeaderOf(connected)->biWidth, 640);
  FreeMediaTypeContents(connected);

  // Connected but not running: nothing buffered yet.
  std::int32_t size = 0;
  EXPECT_EQ(grabber_->GetCurrentBuffer(size, nullptr), kErrorNoFrameYet);
  EXPECT_EQ(GraphState(), FilterState::Stopped);

  ASSERT_EQ(control_->Run(), kOk);
  EXPECT_EQ(GraphState(), FilterState::Running);
  EXPECT_TRUE(platform_->IsStreaming(kHd));
  const std::vector<std::uint8_t> frame = WaitForBufferedFrame();
  ASSERT_EQ(frame.size(), 640u * 480 * 2);
  // Top left is the first colour bar, a 75 % grey: luma 192, neutral chroma.
  EXPECT_EQ(frame[0], 192);
  EXPECT_EQ(frame[1], 128);
  EXPECT_EQ(frame[3], 128);

  std::vector<std::uint8_t> tooSmall(10);
  size = 10;
  EXPECT_EQ(grabber_->GetCurrentBuffer(size, tooSmall.data()), kOutOfMemory);
  EXPECT_EQ(size, 640 * 480 * 2);

  ASSERT_EQ(control_->Stop(), kOk);
  EXPECT_FALSE(platform_->IsStreaming(kHd));
  EXPECT_EQ(GraphState(), FilterState::Stopped);
}

TEST_F(GraphRig, ASizeQueryHoldsItsFrameForTheFetchThatFollows) {
  SelectFormat(11);  // MJPG 640x480 at 30 per second: every frame has a size of its own
  BuildGrabberLayout();
  ASSERT_EQ(control_->Run(), kOk);
  std::int32_t measured = 0;
  ASSERT_TRUE(WaitFor([&] { return grabber_->GetCurrentBuffer(measured, nullptr) == kOk; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(150));  // newer frames arrive meanwhile
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(measured));
  std::int32_t size = measured;
  ASSERT_EQ(grabber_->GetCurrentBuffer(size, frame.data()), kOk);
  EXPECT_EQ(size, measured);
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  EXPECT_TRUE(DecodeJpegToBgra(frame.data(), frame.size(), width, height, pixels));
  EXPECT_EQ(width, 640);
}

TEST_F(GraphRig, TheCallbackRunsOnTheStreamingThreadUntilTheGraphStops) {
  BuildGrabberLayout();
  auto callback = std::make_shared<RecordingCallback>();
  EXPECT_EQ(grabber_->SetCallback(callback, 2), kInvalidArg);
  ASSERT_EQ(grabber_->SetCallback(callback, 0), kOk);
  ASSERT_EQ(control_->Run(), kOk);
  ASSERT_TRUE(WaitFor([&] { return callback->Calls() >= 3; }));
  ASSERT_EQ(control_->Stop(), kOk);
  const int calls = callback->Calls();
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(callback->Calls(), calls) << "no callback after Stop returned";

  EXPECT_EQ(callback->LastLength(), 640 * 480 * 2);
  const auto threads = callback->Threads();
  ASSERT_EQ(threads.size(), 1u);
  EXPECT_NE(*threads.begin(), std::this_thread::get_id());
  const auto times = callback->Times();
  for (std::size_t i = 1; i < times.size(); ++i) EXPECT_GT(times[i], times[i - 1]);

  // A null callback detaches it.
  ASSERT_EQ(grabber_->SetCallback(nullptr, 0), kOk);
  ASSERT_EQ(control_->Run(), kOk);
  WaitForBufferedFrame();
  EXPECT_EQ(callback->Calls(), calls);
}

TEST_F(GraphRig, StopWaitsForACallbackInProgress) {
  BuildGrabberLayout();
  auto callback = std::make_shared<RecordingCallback>();
  callback->inside = [] { std::this_thread::sleep_for(std::chrono::milliseconds(60)); };
  ASSERT_EQ(grabber_->SetCallback(callback, 1), kOk);
  ASSERT_EQ(control_->Run(), kOk);
  ASSERT_TRUE(WaitFor([&] { return callback->Running(); }));
  ASSERT_EQ(control_->StopWhenReady(), kOk);
  EXPECT_FALSE(callback->Running());
}

TEST_F(GraphRig, TheGraphCanBeStoppedFromInsideTheCallback) {
  BuildGrabberLayout();
  auto callback = std::make_shared<RecordingCallback>();
  std::weak_ptr<IMediaControl> control = control_;
  callback->inside = [control] {
    if (auto locked = control.lock()) locked->Stop();
  };
  ASSERT_EQ(grabber_->SetCallback(callback, 0), kOk);
  ASSERT_EQ(control_->Run(), kOk);
  ASSERT_TRUE(WaitFor([&] { return GraphState() == FilterState::Stopped && !platform_->IsStreaming(kHd); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(callback->Calls(), 1);
}

TEST_F(GraphRig, PauseStopsTheFramesAndRunResumesThem) {
  BuildGrabberLayout();
  auto callback = std::make_shared<RecordingCallback>();
  ASSERT_EQ(grabber_->SetCallback(callback, 0), kOk);
  ASSERT_EQ(control_->Run(), kOk);
  ASSERT_TRUE(WaitFor([&] { return callback->Calls() > 0; }));
  ASSERT_EQ(control_->Pause(), kOk);
  EXPECT_EQ(GraphState(), FilterState::Paused);
  EXPECT_FALSE(platform_->IsStreaming(kHd));
  const int calls = callback->Calls();
  ASSERT_EQ(control_->Run(), kOk);
  EXPECT_TRUE(WaitFor([&] { return callback->Calls() > calls; }));
}

TEST_F(GraphRig, TheRendererHandsOutTheLatestFrameAsAPackedBitmap) {
  BuildRendererLayout();
  std::uint8_t* image = nullptr;
  EXPECT_EQ(renderer_->GetCurrentImage(image), kErrorNoFrameYet);
  std::int32_t width = 0, height = 0, arWidth = 0, arHeight = 0;
  ASSERT_EQ(renderer_->GetNativeVideoSize(width, height, arWidth, arHeight), kOk);
  EXPECT_EQ((std::vector<std::int32_t>{width, height, arWidth, arHeight}), (std::vector<std::int32_t>{640, 480, 4, 3}));

  ASSERT_EQ(control_->Run(), kOk);
  ASSERT_TRUE(WaitFor([&] { return renderer_->GetCurrentImage(image) == kOk; }));
  BitmapInfoHeader header;
  std::memcpy(&header, image, sizeof header);
  EXPECT_EQ(header.biSize, 40u);
  EXPECT_EQ(header.biWidth, 640);
  EXPECT_EQ(header.biHeight, 480);
  EXPECT_EQ(header.biBitCount, 32);
  EXPECT_EQ(header.biCompression, 0u);
  EXPECT_EQ(header.biSizeImage, 640u * 480 * 4);
  // Bottom row first: the picture's top-left pixel (the 75 % grey bar) is the last row's first.
  const std::uint8_t* topLeft = image + 40 + static_cast<std::size_t>(479) * 640 * 4;
  EXPECT_EQ((std::vector<int>{topLeft[0], topLeft[1], topLeft[2], topLeft[3]}), (std::vector<int>{192, 192, 192, 255}));
  TaskMemFree(image);
}

TEST_F(GraphRig, TheRendererDecodesMotionJpeg) {
  SelectFormat(11);
  BuildRendererLayout();
  ASSERT_EQ(control_->Run(), kOk);
  std::uint8_t* image = nullptr;
  ASSERT_TRUE(WaitFor([&] { return renderer_->GetCurrentImage(image) == kOk; }));
  const std::uint8_t* topLeft = image + 40 + static_cast<std::size_t>(479) * 640 * 4;
  EXPECT_NEAR(topLeft[0], 192, 8);
  EXPECT_NEAR(topLeft[2], 192, 8);
  TaskMemFree(image);
}

TEST_F(GraphRig, WindowlessCallsNeedWindowlessModeAndKeepTheirSettings) {
  auto filter = Create<IBaseFilter>(*platform_, guids::VideoMixingRenderer9);
  auto config = Query<IVMRFilterConfig9>(filter);
  auto windowless = Query<IVMRWindowlessControl9>(filter);
  EXPECT_EQ(windowless->SetVideoClippingWindow(42), kErrorWrongState);
  EXPECT_EQ(config->SetRenderingMode(4), kNotImplemented);
  EXPECT_EQ(config->SetRenderingMode(9), kInvalidArg);
  ASSERT_EQ(config->SetRenderingMode(kVmr9ModeWindowless), kOk);

  EXPECT_EQ(windowless->SetVideoClippingWindow(0), kInvalidArg);
  EXPECT_EQ(windowless->SetVideoClippingWindow(42), kOk);
  EXPECT_EQ(windowless->SetAspectRatioMode(7), kInvalidArg);
  ASSERT_EQ(windowless->SetAspectRatioMode(kVmr9ArModeLetterBox), kOk);
  ASSERT_EQ(windowless->SetBorderColor(0xFF000000u), kOk);
  const Rect destination{10, 20, 330, 260};
  ASSERT_EQ(windowless->SetVideoPosition(nullptr, &destination), kOk);
  const Rect inverted{10, 20, 5, 260};
  EXPECT_EQ(windowless->SetVideoPosition(&inverted, nullptr), kInvalidArg);

  std::uint32_t mode = 0;
  std::uint32_t colour = 0;
  Rect source;
  Rect target;
  ASSERT_EQ(windowless->GetAspectRatioMode(mode), kOk);
  ASSERT_EQ(windowless->GetBorderColor(colour), kOk);
  ASSERT_EQ(windowless->GetVideoPosition(source, target), kOk);
  EXPECT_EQ(mode, kVmr9ArModeLetterBox);
  EXPECT_EQ(colour, 0xFF000000u);
  EXPECT_EQ(target, destination);

  std::int32_t width = 0;
  std::int32_t height = 0;
  EXPECT_EQ(windowless->GetMaxIdealVideoSize(width, height), kErrorNotConnected);
  ASSERT_EQ(graph_->AddFilter(filter, "VMR-9"), kOk);
  ASSERT_EQ(builder_->RenderStream(&guids::PinCategoryPreview, &guids::MediaTypeVideo, camera_, nullptr, filter), kOk);
  ASSERT_EQ(windowless->GetMinIdealVideoSize(width, height), kOk);
  EXPECT_EQ(width, 160);
  EXPECT_EQ(config->SetRenderingMode(1), kErrorWrongState) << "the mode is fixed once connected";
}

TEST_F(GraphRig, OnePinFeedsEveryRouteFromIt) {
  BuildRendererLayout();
  BuildGrabberLayout(guids::PinCategoryCapture);
  ASSERT_EQ(control_->Run(), kOk);
  WaitForBufferedFrame();
  std::uint8_t* image = nullptr;
  ASSERT_TRUE(WaitFor([&] { return renderer_->GetCurrentImage(image) == kOk; }));
  TaskMemFree(image);
}

// Both routes see the same samples; once the graph stops they hold the same last one. The renderer's
// picture of a YUY2 frame must be exactly the still-image conversion of that frame.
TEST_F(GraphRig, TheRendererDrawsAYuy2FrameExactlyAsTheStillImageConversion) {
  BuildRendererLayout();
  BuildGrabberLayout(guids::PinCategoryCapture);
  AmMediaType connected;
  ASSERT_EQ(grabber_->GetConnectedMediaType(connected), kOk);
  const bool yuy2 = connected.subtype == guids::MediaSubtypeYUY2;
  FreeMediaTypeContents(connected);
  ASSERT_TRUE(yuy2);
  ASSERT_EQ(control_->Run(), kOk);
  WaitForBufferedFrame();
  std::uint8_t* image = nullptr;
  ASSERT_TRUE(WaitFor([&] { return renderer_->GetCurrentImage(image) == kOk; }));
  TaskMemFree(image);
  ASSERT_EQ(control_->Stop(), kOk);

  const std::vector<std::uint8_t> frame = WaitForBufferedFrame();
  ASSERT_EQ(frame.size(), 640u * 480 * 2);
  std::vector<std::uint8_t> expected(640 * 480 * 4);
  ASSERT_EQ(ConvertYuy2ToBgraReference(frame.data(), frame.size(), 640, 480, expected.data()), 480);
  ASSERT_EQ(renderer_->GetCurrentImage(image), kOk);
  EXPECT_EQ(std::memcmp(image + sizeof(BitmapInfoHeader), expected.data(), expected.size()), 0);
  TaskMemFree(image);
}

TEST_F(GraphRig, RenderStreamRefusesWhatItCannotConnect) {
  auto grabber = Create<IBaseFilter>(*platform_, guids::SampleGrabber);
  auto sink = Create<IBaseFilter>(*platform_, guids::NullRenderer);
  auto otherSink = Create<IBaseFilter>(*platform_, guids::NullRenderer);
  auto outsider = Create<IBaseFilter>(*platform_, guids::NullRenderer);
  auto formatless = BindDevice(*platform_, "sim://no-formats");
  ASSERT_EQ(graph_->AddFilter(grabber, "Sample grabber"), kOk);
  ASSERT_EQ(graph_->AddFilter(sink, "Null renderer"), kOk);
  ASSERT_EQ(graph_->AddFilter(otherSink, "Null renderer"), kOk);  // a taken name gets a suffix
  ASSERT_EQ(graph_->AddFilter(formatless, "Formatless"), kOk);
  EXPECT_EQ(graph_->AddFilter(sink, "Again"), kInvalidArg);
  const Guid* preview = &guids::PinCategoryPreview;
  const Guid* video = &guids::MediaTypeVideo;

  EXPECT_EQ(builder_->RenderStream(preview, video, camera_, nullptr, outsider), kInvalidArg);
  EXPECT_EQ(builder_->RenderStream(preview, video, camera_, nullptr, camera_), kErrorCannotRender);
  EXPECT_EQ(builder_->RenderStream(preview, video, camera_, sink, otherSink), kErrorCannotRender);
  EXPECT_EQ(builder_->RenderStream(preview, &guids::MediaTypeAudio, camera_, nullptr, sink), kErrorCannotRender);
  EXPECT_EQ(builder_->RenderStream(preview, video, camera_, nullptr, nullptr), kNullPointer);
  EXPECT_NE(builder_->RenderStream(preview, video, formatless, nullptr, sink), kOk);

  // A pin may be the source too; afterwards the sink's input is taken.
  ASSERT_EQ(builder_->RenderStream(nullptr, video, FirstPin(camera_), grabber, sink), kOk);
  EXPECT_EQ(builder_->RenderStream(preview, video, camera_, nullptr, sink), kErrorCannotRender);

  std::vector<std::shared_ptr<IBaseFilter>> filters;
  ASSERT_EQ(graph_->EnumFilters(filters), kOk);
  EXPECT_EQ(filters.size(), 5u);
  FilterInfo info;
  ASSERT_EQ(otherSink->QueryFilterInfo(info), kOk);
  EXPECT_EQ(info.name, "Null renderer 1");
  EXPECT_EQ(info.graph, graph_);

  auto fresh = Create<ICaptureGraphBuilder2>(*platform_, guids::CaptureGraphBuilder2);
  EXPECT_EQ(fresh->RenderStream(preview, video, camera_, nullptr, otherSink), kUnexpected);
  EXPECT_EQ(builder_->SetFiltergraph(graph_), kUnexpected);

  ASSERT_EQ(control_->Run(), kOk);
  EXPECT_EQ(builder_->RenderStream(preview, video, camera_, nullptr, otherSink), kErrorNotStopped);
  EXPECT_EQ(graph_->RemoveFilter(sink), kErrorNotStopped);
}

TEST_F(GraphRig, RemovingAFilterDropsItsRoute) {
  BuildGrabberLayout();
  ASSERT_EQ(graph_->RemoveFilter(nullRenderer_), kOk);
  AmMediaType connected;
  EXPECT_EQ(grabber_->GetConnectedMediaType(connected), kErrorNotConnected);
  EXPECT_EQ(graph_->RemoveFilter(nullRenderer_), kInvalidArg);
  ASSERT_EQ(control_->Run(), kOk);
  EXPECT_FALSE(platform_->IsStreaming(kHd));
}

TEST_F(GraphRig, ReleasingTheGraphEndsTheStream) {
  BuildGrabberLayout();
  ASSERT_EQ(control_->Run(), kOk);
  ASSERT_TRUE(platform_->IsStreaming(kHd));
  control_.reset();
  graph_.reset();
  builder_.reset();
  EXPECT_FALSE(platform_->IsStreaming(kHd));
  FilterInfo info;
  ASSERT_EQ(camera_->QueryFilterInfo(info), kOk);
  EXPECT_EQ(info.name, "Simulated HD Webcam") << "the camera has left the graph";
}

TEST_F(GraphRig, ACameraStreamsIntoOneGraphAtATime) {
  BuildGrabberLayout();
  ASSERT_EQ(control_->Run(), kOk);

  auto otherGraph = Create<IGraphBuilder>(*platform_, guids::FilterGraph);
  auto otherBuilder = Create<ICaptureGraphBuilder2>(*platform_, guids::CaptureGraphBuilder2);
  auto otherCamera = BindDevice(*platform_, kHd);
  auto otherSink = Create<IBaseFilter>(*platform_, guids::NullRenderer);
  ASSERT_EQ(otherBuilder->SetFiltergraph(otherGraph), kOk);
  ASSERT_EQ(otherGraph->AddFilter(otherCamera, "Video capture"), kOk);
  ASSERT_EQ(otherGraph->AddFilter(otherSink, "Null renderer"), kOk);
  ASSERT_EQ(otherBuilder->RenderStream(&guids::PinCategoryPreview, &guids::MediaTypeVideo, otherCamera, nullptr,
                                       otherSink),
            kOk);
  auto otherControl = Query<IMediaControl>(otherGraph);
  EXPECT_EQ(otherControl->Run(), kErrorDeviceInUse);
  FilterState state = FilterState::Running;
  ASSERT_EQ(otherControl->GetState(0, state), kOk);
  EXPECT_EQ(state, FilterState::Stopped);

  ASSERT_EQ(control_->Stop(), kOk);
  EXPECT_EQ(otherControl->Run(), kOk);
  otherControl->Stop();
}

TEST_F(GraphRig, PropertyChangesShowInTheRunningStream) {
  BuildGrabberLayout();
  ASSERT_EQ(control_->Run(), kOk);
  auto procAmp = Query<IAMVideoProcAmp>(camera_);
  ASSERT_EQ(procAmp->Set(VideoProcAmp_Saturation, 0, kPropertyFlagsManual), kOk);
  // Within a few frames every chroma sample is neutral.
  EXPECT_TRUE(WaitFor([&] {
    const std::vector<std::uint8_t> frame = WaitForBufferedFrame();
    for (std::size_t i = 1; i < frame.size(); i += 2) {
      if (frame[i] != 128) return false;
    }
    return !frame.empty();
  }));
}

TEST_F(GraphRig, AFormatChosenAfterConnectingTakesEffectAtRun) {
  BuildGrabberLayout();
  SelectFormat(11);
  ASSERT_EQ(control_->Run(), kOk);
  AmMediaType connected;
  ASSERT_EQ(grabber_->GetConnectedMediaType(connected), kOk);
  EXPECT_EQ(connected.subtype, guids::MediaSubtypeMJPG);
  FreeMediaTypeContents(connected);
  const std::vector<std::uint8_t> frame = WaitForBufferedFrame();
  ASSERT_GE(frame.size(), 2u);
  EXPECT_EQ(frame[0], 0xFF);
  EXPECT_EQ(frame[1], 0xD8);
}

TEST_F(GraphRig, FindInterfaceLooksInTheFilterThenInItsPins) {
  std::shared_ptr<void> found;
  ASSERT_EQ(builder_->FindInterface(&guids::PinCategoryCapture, &guids::MediaTypeVideo, camera_, Iid::AMStreamConfig,
                                    found),
            kOk);
  EXPECT_EQ(found.get(), Query<IAMStreamConfig>(FirstPin(camera_)).get());
  EXPECT_EQ(builder_->FindInterface(nullptr, nullptr, camera_, Iid::AMVideoProcAmp, found), kOk);
  EXPECT_EQ(builder_->FindInterface(&guids::PinCategoryCapture, &guids::MediaTypeAudio, camera_, Iid::AMStreamConfig,
                                    found),
            kNoInterface);
  EXPECT_EQ(found, nullptr);
}

TEST_F(GraphRig, AnOutputFileNeedsAKnownContainerAndAFolderThatExists) {
  struct Case {
    const char* what;
    Guid subtype;
    std::string fileName;
    Result expected;
  };
  const std::string folder = ::testing::TempDir();
  std::vector<std::shared_ptr<IBaseFilter>> before;
  graph_->EnumFilters(before);
  for (const Case& c : {Case{"a still-image subtype", guids::MediaSubtypeMJPG, folder + "/out.avi", kErrorFileTypeNotSupported},
                        Case{"no name", guids::MediaSubtypeAvi, "", kErrorBadFileName},
                        Case{"a missing folder", guids::MediaSubtypeAsf, folder + "/no-such-folder/out.asf", kErrorBadFileName},
                        Case{"a folder", guids::MediaSubtypeAvi, folder, kErrorBadFileName}}) {
    std::shared_ptr<IBaseFilter> multiplexer;
    std::shared_ptr<IFileSinkFilter> fileSink;
    EXPECT_EQ(builder_->SetOutputFileName(c.subtype, c.fileName, multiplexer, fileSink), c.expected) << c.what;
    EXPECT_EQ(multiplexer, nullptr) << c.what;
    EXPECT_FALSE(platform_->GetErrorText(c.expected).empty()) << c.what;
  }
  std::vector<std::shared_ptr<IBaseFilter>> after;
  graph_->EnumFilters(after);
  EXPECT_EQ(after, before) << "a refused file adds nothing to the graph";

  // A good name gives one filter that is multiplexer and file sink at once, in the graph as "Mux".
  std::shared_ptr<IBaseFilter> multiplexer;
  std::shared_ptr<IFileSinkFilter> fileSink;
  ASSERT_EQ(builder_->SetOutputFileName(guids::MediaSubtypeAvi, folder + "/out.avi", multiplexer, fileSink), kOk);
  std::string current;
  ASSERT_EQ(fileSink->GetCurFile(current), kOk);
  EXPECT_EQ(current, folder + "/out.avi");
  FilterInfo info;
  ASSERT_EQ(multiplexer->QueryFilterInfo(info), kOk);
  EXPECT_EQ(info.name, "Mux");
}

TEST(GraphObjects, ABuilderWithoutAFileMakerSaysItCannotWriteFiles) {
  std::shared_ptr<void> object;
  ASSERT_EQ(CreateGraphObject(guids::CaptureGraphBuilder2, Iid::CaptureGraphBuilder2, object), kOk);
  const auto builder = std::static_pointer_cast<ICaptureGraphBuilder2>(object);
  ASSERT_EQ(CreateGraphObject(guids::FilterGraph, Iid::GraphBuilder, object), kOk);
  ASSERT_EQ(builder->SetFiltergraph(std::static_pointer_cast<IGraphBuilder>(object)), kOk);
  std::shared_ptr<IBaseFilter> multiplexer;
  std::shared_ptr<IFileSinkFilter> fileSink;
  EXPECT_EQ(builder->SetOutputFileName(guids::MediaSubtypeAvi, "/tmp/out.avi", multiplexer, fileSink), kNotImplemented);
}

TEST(GraphObjects, OnlyTheGraphClassesAreCreated) {
  std::shared_ptr<void> object;
  EXPECT_EQ(CreateGraphObject(guids::SystemDeviceEnum, Iid::Unknown, object), kClassNotRegistered);
  EXPECT_EQ(CreateGraphObject(guids::NullRenderer, Iid::SampleGrabber, object), kNoInterface);
  EXPECT_EQ(CreateGraphObject(guids::SampleGrabber, Iid::SampleGrabber, object), kOk);
}

TEST(MediaErrorTexts, EveryMediaCodeHasItsOwnTextAndOtherCodesNone) {
  auto platform = MakePlatform({"laptop"});
  std::set<std::string> texts;
  for (Result code : {kErrorInvalidMediaType, kErrorNotConnected, kErrorWrongState, kErrorNotStopped,
                      kErrorCannotRender, kErrorNoFrameYet, kErrorDeviceInUse, kErrorNoDevice, kErrorNoPropertyPages,
                      kErrorFileTypeNotSupported, kErrorBadFileName, kErrorVideoNeedsCompressor,
                      kErrorAudioNeedsCompressor, kErrorDiskFull, kErrorFileWrite, kErrorCompressorFailed}) {
    const std::string text = platform->GetErrorText(code);
    EXPECT_FALSE(text.empty()) << FormatResult(code);
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), 16u);
  EXPECT_EQ(platform->GetErrorText(kFail), "");
  EXPECT_EQ(platform->GetErrorText(kErrorNotFound), "");
}

}  // namespace
}  // namespace tavelo::platform
