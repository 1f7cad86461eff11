// The shared graph objects on a V4L2 camera: the backend creates them, and a running graph pulls frames
// from the camera's capture pin into a sample grabber until it stops.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

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

}  // namespace
}  // namespace tavelo::v4l2test
