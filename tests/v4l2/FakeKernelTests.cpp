// The fake kernel's own behaviour, checked through the seam without the backend: a fake that drifted
// from uvcvideo would let a wrong backend pass.
#include <fcntl.h>
#include <sys/mman.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <thread>

#include "tests/v4l2/FakeV4l2Kernel.h"
#include "tests/v4l2/WebcamListing.h"

namespace tavelo::v4l2test {
namespace {

class FakeKernelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    camera_ = &kernel_.Plug(LoadWebcamProfile("hd-autofocus"));
    fd_ = kernel_.Open(camera_->Node().c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(fd_, 0);
  }
  void TearDown() override { kernel_.Close(fd_); }

  // The ioctl's answer: 0, or the errno of a -1.
  int Errno(unsigned long request, void* argument) {
    errno = 0;
    const int result = kernel_.Ioctl(fd_, request, argument);
    EXPECT_TRUE(result == 0 || result == -1);
    return result == 0 ? 0 : errno;
  }
  int SetControl(std::uint32_t id, std::int32_t value, std::int32_t* stored = nullptr) {
    v4l2_control control{id, value};
    const int err = Errno(VIDIOC_S_CTRL, &control);
    if (stored != nullptr) *stored = control.value;
    return err;
  }
  std::uint32_t Flags(std::uint32_t id) {
    v4l2_query_ext_ctrl query{};
    query.id = id;
    EXPECT_EQ(Errno(VIDIOC_QUERY_EXT_CTRL, &query), 0);
    return query.flags;
  }

  FakeV4l2Kernel kernel_;
  FakeCamera* camera_ = nullptr;
  int fd_ = -1;
};

TEST_F(FakeKernelTest, ValueControlIsInactiveAndRefusesWritesWhileItsCompanionIsAutomatic) {
  EXPECT_NE(Flags(V4L2_CID_EXPOSURE_ABSOLUTE) & V4L2_CTRL_FLAG_INACTIVE, 0u);
  EXPECT_EQ(SetControl(V4L2_CID_EXPOSURE_ABSOLUTE, 300), EACCES);
  EXPECT_EQ(camera_->Value(V4L2_CID_EXPOSURE_ABSOLUTE), 250);

  // Shutter priority is a manual mode for the exposure time, but this camera's menu lacks it.
  EXPECT_EQ(SetControl(V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_SHUTTER_PRIORITY), EINVAL);
  EXPECT_EQ(SetControl(V4L2_CID_EXPOSURE_AUTO, V4L2_EXPOSURE_MANUAL), 0);
  EXPECT_EQ(Flags(V4L2_CID_EXPOSURE_ABSOLUTE) & V4L2_CTRL_FLAG_INACTIVE, 0u);
  EXPECT_EQ(SetControl(V4L2_CID_EXPOSURE_ABSOLUTE, 300), 0);
  EXPECT_EQ(camera_->Value(V4L2_CID_EXPOSURE_ABSOLUTE), 300);

  // Reading an inactive control is allowed.
  v4l2_control focus{V4L2_CID_FOCUS_ABSOLUTE, -1};
  EXPECT_EQ(Errno(VIDIOC_G_CTRL, &focus), 0);
  EXPECT_EQ(focus.value, 0);

  camera_->SetOlderKernel(true);
  EXPECT_EQ(SetControl(V4L2_CID_FOCUS_ABSOLUTE, 50), EIO);
}

TEST_F(FakeKernelTest, WritesAreClampedRoundedOrRefusedByType) {
  struct Case {
    std::uint32_t id;
    std::int32_t written;
    int err;
    std::int32_t stored;
  };
  SetControl(V4L2_CID_FOCUS_AUTO, 0);
  const Case cases[] = {
      {V4L2_CID_FOCUS_ABSOLUTE, 12, 0, 10},            // step 5
      {V4L2_CID_FOCUS_ABSOLUTE, 13, 0, 15},
      {V4L2_CID_FOCUS_ABSOLUTE, 1000, 0, 250},         // clamped to max
      {V4L2_CID_PAN_ABSOLUTE, -50000, 0, -36000},      // clamped to min
      {V4L2_CID_PAN_ABSOLUTE, 5000, 0, 3600},          // step 3600
      {V4L2_CID_FOCUS_AUTO, 7, 0, 1},                  // booleans become 0 or 1
      {V4L2_CID_POWER_LINE_FREQUENCY, 3, ERANGE, 0},   // past the menu's maximum
      {V4L2_CID_POWER_LINE_FREQUENCY, -1, ERANGE, 0},
      {V4L2_CID_EXPOSURE_AUTO, 0, EINVAL, 0},          // inside the range, missing from the menu
      {V4L2_CID_HUE, 0, EINVAL, 0},                    // no such control
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.id) + "=" + std::to_string(c.written));
    std::int32_t stored = 0;
    EXPECT_EQ(SetControl(c.id, c.written, &stored), c.err);
    if (c.err == 0) {
      EXPECT_EQ(stored, c.stored);
      EXPECT_EQ(camera_->Value(c.id), c.stored);
    }
  }
}

TEST_F(FakeKernelTest, MenusListOnlyTheirItemsAndControlsEnumerateInIdOrder) {
  std::vector<std::uint32_t> offered;
  for (std::uint32_t index = 0; index <= 3; ++index) {
    v4l2_querymenu item{};
    item.id = V4L2_CID_EXPOSURE_AUTO;
    item.index = index;
    if (Errno(VIDIOC_QUERYMENU, &item) == 0) {
      offered.push_back(index);
      EXPECT_STRNE(reinterpret_cast<const char*>(item.name), "");
    }
  }
  EXPECT_EQ(offered, (std::vector<std::uint32_t>{1, 3}));
  v4l2_querymenu notMenu{};
  notMenu.id = V4L2_CID_BRIGHTNESS;
  EXPECT_EQ(Errno(VIDIOC_QUERYMENU, &notMenu), EINVAL);

  std::vector<std::uint32_t> ids;
  v4l2_queryctrl query{};
  query.id = V4L2_CTRL_FLAG_NEXT_CTRL;
  while (Errno(VIDIOC_QUERYCTRL, &query) == 0) {
    ids.push_back(query.id);
    query.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
  }
  const FakeCameraModel model = LoadWebcamProfile("hd-autofocus");
  EXPECT_EQ(ids.size(), model.controls.size());
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
}

TEST_F(FakeKernelTest, CaptureAndMetadataNodesDifferOnlyInDeviceCaps) {
  const int meta = kernel_.Open(camera_->MetadataNode().c_str(), O_RDWR);
  ASSERT_GE(meta, 0);
  v4l2_capability capture{};
  v4l2_capability metadata{};
  ASSERT_EQ(kernel_.Ioctl(fd_, VIDIOC_QUERYCAP, &capture), 0);
  ASSERT_EQ(kernel_.Ioctl(meta, VIDIOC_QUERYCAP, &metadata), 0);
  EXPECT_EQ(capture.capabilities, metadata.capabilities);
  EXPECT_NE(metadata.capabilities & V4L2_CAP_VIDEO_CAPTURE, 0u);
  EXPECT_NE(capture.device_caps & V4L2_CAP_VIDEO_CAPTURE, 0u);
  EXPECT_EQ(metadata.device_caps & V4L2_CAP_VIDEO_CAPTURE, 0u);
  v4l2_fmtdesc format{};
  format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  EXPECT_EQ(kernel_.Ioctl(meta, VIDIOC_ENUM_FMT, &format), -1);
  EXPECT_EQ(errno, EINVAL);
  kernel_.Close(meta);
}

TEST_F(FakeKernelTest, AnUnpluggedCameraAnswersEnodevEverywhereAndItsFilesGo) {
  camera_->Unplug();
  v4l2_control control{V4L2_CID_BRIGHTNESS, 0};
  EXPECT_EQ(Errno(VIDIOC_G_CTRL, &control), ENODEV);
  v4l2_capability capability{};
  EXPECT_EQ(Errno(VIDIOC_QUERYCAP, &capability), ENODEV);
  pollfd descriptor{fd_, POLLIN, 0};
  EXPECT_EQ(kernel_.Poll(&descriptor, 1, 1000), 1);
  EXPECT_NE(descriptor.revents & POLLERR, 0);
  EXPECT_FALSE(std::filesystem::exists(camera_->Node()));
  errno = 0;
  EXPECT_EQ(kernel_.Open(camera_->Node().c_str(), O_RDWR), -1);
  EXPECT_EQ(errno, ENOENT);
}

TEST_F(FakeKernelTest, VanishingAfterCountedIoctlsFailsExactlyThatIoctl) {
  camera_->VanishAfterIoctls(2);
  v4l2_control control{V4L2_CID_BRIGHTNESS, 0};
  EXPECT_EQ(Errno(VIDIOC_G_CTRL, &control), 0);
  EXPECT_EQ(Errno(VIDIOC_G_CTRL, &control), ENODEV);
}

TEST_F(FakeKernelTest, AnotherProgramsStreamBlocksFormatAndBuffersButNotControls) {
  camera_->SetStreamingElsewhere(true);
  v4l2_format format{};
  format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  EXPECT_EQ(Errno(VIDIOC_G_FMT, &format), 0);
  EXPECT_EQ(Errno(VIDIOC_S_FMT, &format), EBUSY);
  v4l2_streamparm parameters{};
  parameters.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  EXPECT_EQ(Errno(VIDIOC_S_PARM, &parameters), EBUSY);
  v4l2_requestbuffers request{};
  request.count = 2;
  request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  request.memory = V4L2_MEMORY_MMAP;
  EXPECT_EQ(Errno(VIDIOC_REQBUFS, &request), EBUSY);
  EXPECT_EQ(SetControl(V4L2_CID_BRIGHTNESS, 100), 0);
}

TEST_F(FakeKernelTest, StreamsFramesIntoMappedBuffersAndKeepsMappedBuffers) {
  v4l2_requestbuffers request{};
  request.count = 2;
  request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  request.memory = V4L2_MEMORY_MMAP;
  ASSERT_EQ(Errno(VIDIOC_REQBUFS, &request), 0);
  std::vector<std::pair<void*, std::size_t>> maps;
  for (std::uint32_t i = 0; i < request.count; ++i) {
    v4l2_buffer buffer{};
    buffer.index = i;
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    ASSERT_EQ(Errno(VIDIOC_QUERYBUF, &buffer), 0);
    void* start = kernel_.Mmap(nullptr, buffer.length, PROT_READ, MAP_SHARED, fd_, buffer.m.offset);
    ASSERT_NE(start, MAP_FAILED);
    maps.emplace_back(start, buffer.length);
    ASSERT_EQ(Errno(VIDIOC_QBUF, &buffer), 0);
  }
  v4l2_buffer buffer{};
  buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  buffer.memory = V4L2_MEMORY_MMAP;
  EXPECT_EQ(Errno(VIDIOC_DQBUF, &buffer), EINVAL);  // not streaming yet
  int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
  ASSERT_EQ(Errno(VIDIOC_STREAMON, &type), 0);
  pollfd descriptor{fd_, POLLIN, 0};
  ASSERT_EQ(kernel_.Poll(&descriptor, 1, 1000), 1);
  ASSERT_NE(descriptor.revents & POLLIN, 0);
  ASSERT_EQ(Errno(VIDIOC_DQBUF, &buffer), 0);
  EXPECT_EQ(buffer.bytesused, 640u * 480u * 2u);
  EXPECT_EQ(buffer.sequence, 0u);

  ASSERT_EQ(Errno(VIDIOC_STREAMOFF, &type), 0);
  request.count = 0;
  EXPECT_EQ(Errno(VIDIOC_REQBUFS, &request), EBUSY);  // still mapped
  for (const auto& [start, length] : maps) EXPECT_EQ(kernel_.Munmap(start, length), 0);
  EXPECT_EQ(Errno(VIDIOC_REQBUFS, &request), 0);
  EXPECT_EQ(kernel_.LiveMappings(), 0);
}

TEST(WebcamListingTest, ReadsControlsMenusFormatsAndRates) {
  const FakeCameraModel model = LoadWebcamProfile("hd-autofocus");
  EXPECT_EQ(model.card, "Simulated HD Webcam");
  const FakeControl* exposure = model.FindControl("exposure_absolute");
  ASSERT_NE(exposure, nullptr);
  EXPECT_EQ(exposure->id, static_cast<std::uint32_t>(V4L2_CID_EXPOSURE_ABSOLUTE));
  EXPECT_EQ(exposure->minimum, 3);
  EXPECT_EQ(exposure->maximum, 2047);
  EXPECT_EQ(exposure->defaultValue, 250);
  const FakeControl* menu = model.FindControl("exposure_auto");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->type, static_cast<std::uint32_t>(V4L2_CTRL_TYPE_MENU));
  EXPECT_EQ(menu->menu.size(), 2u);
  EXPECT_EQ(menu->menu.at(3), "Aperture Priority Mode");
  ASSERT_EQ(model.formats.size(), 3u);
  EXPECT_EQ(model.formats[0].pixelFormat, static_cast<std::uint32_t>(V4L2_PIX_FMT_YUYV));
  const v4l2_fract slowest = model.formats[0].sizes[0].intervals[5];  // 7.5 fps
  EXPECT_EQ(slowest.numerator, 2u);
  EXPECT_EQ(slowest.denominator, 15u);
  for (const std::string& name : WebcamProfileNames()) EXPECT_NO_THROW(LoadWebcamProfile(name)) << name;
  EXPECT_THROW(ParseWebcamListing("card: X\n$ v4l2-ctl --list-formats-ext\n\t\tSize: Discrete 1x1\n"),
               std::runtime_error);
}

}  // namespace
}  // namespace tavelo::v4l2test
