// The shared graph objects on a V4L2 camera: the backend creates them, and a running graph pulls frames
// from the camera's capture pin into a sample grabber until it stops.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "camera/platform/media/CompressorCatalogue.h"
#include "tests/support/MediaFileProbe.h"
#include "tests/v4l2/V4l2TestRig.h"

namespace tavelo::v4l2test {
namespace {
using namespace tavelo::platform;
using namespace std::chrono_literals;

TEST(V4l2GraphTest, AGraphOnTheCameraFillsTheGrabberAndStopsTheStream) {
  V4l2TestRig rig;
  FakeCamera& fake = rig.PlugProfile("hd-autofocus");
  const BoundCamera camera = rig.Bind("Simulated HD Webcam");
  CapturePlatform& platform = rig.Platform();

  std::shared_ptr<IGraphBuilder> graph;
  std::shared_ptr<ICaptureGraphBuilder2> builder;
  std::shared_ptr<IBaseFilter> grabberFilter;
  std::shared_ptr<IBaseFilter> nullRenderer;
  ASSERT_EQ(CreateInstanceAs(platform, guids::FilterGraph, graph), kOk);
  ASSERT_EQ(CreateInstanceAs(platform, guids::CaptureGraphBuilder2, builder), kOk);
  ASSERT_EQ(CreateInstanceAs(platform, guids::SampleGrabber, grabberFilter), kOk);
  ASSERT_EQ(CreateInstanceAs(platform, guids::NullRenderer, nullRenderer), kOk);
  std::shared_ptr<ISampleGrabber> grabber;
  ASSERT_EQ(QueryInterfaceAs(grabberFilter, grabber), kOk);
  std::shared_ptr<IMediaControl> control;
  ASSERT_EQ(QueryInterfaceAs(graph, control), kOk);

  ASSERT_EQ(builder->SetFiltergraph(graph), kOk);
  ASSERT_EQ(graph->AddFilter(camera.filter, "Capture"), kOk);
  ASSERT_EQ(graph->AddFilter(grabberFilter, "Grabber"), kOk);
  ASSERT_EQ(graph->AddFilter(nullRenderer, "Null"), kOk);
  ASSERT_EQ(grabber->SetBufferSamples(true), kOk);
  ASSERT_EQ(builder->RenderStream(&guids::PinCategoryCapture, &guids::MediaTypeVideo, camera.filter, grabberFilter,
                                  nullRenderer),
            kOk);
  ASSERT_EQ(control->Run(), kOk);
  EXPECT_TRUE(fake.IsStreaming());

  std::int32_t size = 0;
  const auto deadline = std::chrono::steady_clock::now() + 3s;
  while (std::chrono::steady_clock::now() < deadline) {
    if (Succeeded(grabber->GetCurrentBuffer(size, nullptr)) && size > 0) break;
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_EQ(size, 640 * 480 * 2);

  EXPECT_EQ(control->Stop(), kOk);
  EXPECT_FALSE(fake.IsStreaming());
  EXPECT_EQ(rig.Kernel().LiveMappings(), 0);
}

TEST(V4l2GraphTest, TheFilterAndPinNameTheirPropertyPages) {
  V4l2TestRig rig;
  rig.PlugProfile("laptop-camera");
  const BoundCamera camera = rig.Bind("Simulated Laptop Camera");
  std::shared_ptr<ISpecifyPropertyPages> filterPages;
  std::shared_ptr<ISpecifyPropertyPages> pinPages;
  ASSERT_EQ(QueryInterfaceAs(camera.filter, filterPages), kOk);
  ASSERT_EQ(QueryInterfaceAs(camera.pin, pinPages), kOk);
  std::vector<Guid> pages;
  ASSERT_EQ(filterPages->GetPages(pages), kOk);
  EXPECT_EQ(pages, std::vector<Guid>{guids::CameraSettingsPage});
  ASSERT_EQ(pinPages->GetPages(pages), kOk);
  EXPECT_EQ(pages, std::vector<Guid>{guids::StreamFormatPage});
}

// The capture-file branch on a real-driver camera: compressed into ASF, the camera unplugged midway, and
// the file still finished.
TEST(V4l2GraphTest, ARecordingOutlivesTheCameraBeingUnplugged) {
  V4l2TestRig rig;
  FakeCamera& fake = rig.PlugProfile("hd-autofocus");
  const BoundCamera camera = rig.Bind("Simulated HD Webcam");
  CapturePlatform& platform = rig.Platform();
  const auto path = (std::filesystem::path(::testing::TempDir()) / "tavelo-v4l2.asf").string();
  std::filesystem::remove(path);

  std::shared_ptr<IGraphBuilder> graph;
  std::shared_ptr<ICaptureGraphBuilder2> builder;
  ASSERT_EQ(CreateInstanceAs(platform, guids::FilterGraph, graph), kOk);
  ASSERT_EQ(CreateInstanceAs(platform, guids::CaptureGraphBuilder2, builder), kOk);
  ASSERT_EQ(builder->SetFiltergraph(graph), kOk);
  ASSERT_EQ(graph->AddFilter(camera.filter, "Video capture"), kOk);
  std::shared_ptr<IBaseFilter> mux;
  std::shared_ptr<IFileSinkFilter> sink;
  ASSERT_EQ(builder->SetOutputFileName(guids::MediaSubtypeAsf, path, mux, sink), kOk);
  std::shared_ptr<IBaseFilter> compressor;
  ASSERT_EQ(media::CreateCompressor(guids::VideoCompressorCategory, "MPEG-4 Part 2", compressor), kOk);
  ASSERT_EQ(graph->AddFilter(compressor, "Compressor filter"), kOk);
  ASSERT_EQ(builder->RenderStream(&guids::PinCategoryCapture, &guids::MediaTypeVideo, camera.filter, compressor, mux),
            kOk);
  std::shared_ptr<IMediaControl> control;
  ASSERT_EQ(QueryInterfaceAs(graph, control), kOk);
  std::shared_ptr<ICaptureFileStatus> status;
  ASSERT_EQ(QueryInterfaceAs(mux, status), kOk);

  ASSERT_EQ(control->Run(), kOk);
  CaptureFileProgress progress;
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (std::chrono::steady_clock::now() < deadline && status->GetProgress(progress) == kOk &&
         progress.videoFramesWritten < 10) {
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_GE(progress.videoFramesWritten, 10u);
  fake.Unplug();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(control->Stop(), kOk);
  ASSERT_EQ(status->GetProgress(progress), kOk);
  EXPECT_FALSE(progress.recording);
  EXPECT_EQ(progress.lastError, kOk) << progress.lastErrorText;

  const auto file = platform::testing::ProbeMediaFile(path);
  ASSERT_TRUE(file.opened) << file.error;
  const auto* video = file.Find("video");
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(video->codec, "mpeg4");
  EXPECT_EQ(video->width, 640);
  EXPECT_EQ(static_cast<std::uint64_t>(video->packets), progress.videoFramesWritten);
  EXPECT_EQ(file.decodedFrames, video->packets);
}

}  // namespace
}  // namespace tavelo::v4l2test
