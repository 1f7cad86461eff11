// Capture nodes that speak only the multi-planar interface (board cameras, capture cards): listed, their
// one-plane formats offered and set, and their frames streamed, with the same requests a single-planar
// webcam gets, never one of the other interface.
#include <gtest/gtest.h>

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>

#include "tests/v4l2/V4l2TestRig.h"

namespace tavelo::v4l2test {
namespace {
using namespace tavelo::platform;
using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

constexpr const char* kBoardCamera = "Simulated Board Camera";

// ---- The fake kernel -------------------------------------------------------------------------------

// Each kind of node answers its own buffer type and refuses the other, as real drivers do.
TEST(MultiPlanarFakeKernelTest, EachNodeTakesOnlyItsOwnBufferType) {
  FakeV4l2Kernel kernel;
  const FakeCamera& single = kernel.Plug(LoadWebcamProfile("hd-autofocus"));
  const FakeCamera& multi = kernel.Plug(LoadWebcamProfile("board-camera-mplane"));
  struct Node {
    const char* name;
    const FakeCamera& camera;
    std::uint32_t own;
    std::uint32_t other;
    std::uint32_t capability;
  };
  const Node nodes[] = {
      {"single-planar", single, V4L2_BUF_TYPE_VIDEO_CAPTURE, V4L2_BUF_TYPE_VIDEO_CAPTURE_MPLANE,
       V4L2_CAP_VIDEO_CAPTURE},
      {"multi-planar", multi, V4L2_BUF_TYPE_VIDEO_CAPTURE_MPLANE, V4L2_BUF_TYPE_VIDEO_CAPTURE,
       V4L2_CAP_VIDEO_CAPTURE_MPLANE},
  };
  // Each request with a buffer type in it, as a function of that type: 0 or the errno it met.
  struct Request {
    const char* name;
    std::function<int(int fd, std::uint32_t type)> call;
  };
  const auto errnoOf = [&kernel](int fd, unsigned long request, void* argument) {
    return kernel.Ioctl(fd, request, argument) == 0 ? 0 : errno;
  };
  const Request requests[] = {
      {"ENUM_FMT",
       [&](int fd, std::uint32_t type) {
         v4l2_fmtdesc description{};
         description.type = type;
         return errnoOf(fd, VIDIOC_ENUM_FMT, &description);
       }},
      {"G_FMT",
       [&](int fd, std::uint32_t type) {
         v4l2_format format{};
         format.type = type;
         return errnoOf(fd, VIDIOC_G_FMT, &format);
       }},
      {"G_PARM",
       [&](int fd, std::uint32_t type) {
         v4l2_streamparm parameters{};
         parameters.type = type;
         return errnoOf(fd, VIDIOC_G_PARM, &parameters);
       }},
      {"REQBUFS",
       [&](int fd, std::uint32_t type) {
         v4l2_requestbuffers request{};
         request.type = type;
         request.memory = V4L2_MEMORY_MMAP;
         return errnoOf(fd, VIDIOC_REQBUFS, &request);  // count 0: frees nothing, allocates nothing
       }},
  };
  for (const Node& node : nodes) {
    SCOPED_TRACE(node.name);
    const int fd = kernel.Open(node.camera.Node().c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    v4l2_capability capability{};
    ASSERT_EQ(kernel.Ioctl(fd, VIDIOC_QUERYCAP, &capability), 0);
    EXPECT_EQ(capability.device_caps & (V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_VIDEO_CAPTURE_MPLANE), node.capability);
    for (const Request& request : requests) {
      SCOPED_TRACE(request.name);
      EXPECT_EQ(request.call(fd, node.own), 0);
      EXPECT_EQ(request.call(fd, node.other), EINVAL);
    }
    kernel.Close(fd);
  }
}

// ---- The backend -----------------------------------------------------------------------------------

struct Mode {
  Guid subtype;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int64_t frameTime = 0;
  bool operator==(const Mode&) const = default;
};

Mode ModeOf(const AmMediaType& mediaType) {
  VideoInfoHeader header;
  std::memcpy(&header, mediaType.pbFormat, sizeof header);
  return {mediaType.subtype, header.bmiHeader.biWidth, header.bmiHeader.biHeight, header.AvgTimePerFrame};
}

// One camera of a listing on the fake kernel, bound, with its stream configuration.
struct BoundListing {
  explicit BoundListing(const FakeCameraModel& model) : fake(rig.Plug(model)), camera(rig.Bind(model.card)) {
    EXPECT_EQ(QueryInterfaceAs(camera.pin, config), kOk);
    EXPECT_EQ(QueryInterfaceAs(camera.pin, source), kOk);
  }

  std::vector<Mode> Offered() {
    std::vector<Mode> modes;
    std::shared_ptr<IEnumMediaTypes> enumerator;
    EXPECT_EQ(camera.pin->EnumMediaTypes(enumerator), kOk);
    AmMediaType* mediaType = nullptr;
    while (enumerator && enumerator->Next(mediaType) == kOk) {
      modes.push_back(ModeOf(*mediaType));
      DeleteMediaType(mediaType);
    }
    return modes;
  }
  // The pin's own media type for `mode`; null when it offers none.
  AmMediaType* OfferedFor(const Mode& mode) {
    std::shared_ptr<IEnumMediaTypes> enumerator;
    EXPECT_EQ(camera.pin->EnumMediaTypes(enumerator), kOk);
    AmMediaType* mediaType = nullptr;
    while (enumerator && enumerator->Next(mediaType) == kOk) {
      if (ModeOf(*mediaType) == mode) return mediaType;
      DeleteMediaType(mediaType);
    }
    return nullptr;
  }
  Mode Current(std::int32_t* sampleSize = nullptr) {
    AmMediaType* current = nullptr;
    EXPECT_EQ(config->GetFormat(current), kOk);
    if (current == nullptr) return {};
    const Mode mode = ModeOf(*current);
    if (sampleSize != nullptr) *sampleSize = static_cast<std::int32_t>(current->lSampleSize);
    DeleteMediaType(current);
    return mode;
  }
  // Whether the driver refused any request since the log was last cleared, but for the EINVAL that
  // ends every enumeration.
  bool AnyRefusal() {
    for (const std::string& line : rig.Kernel().LogText())
      if (line.find(" -> ") != std::string::npos && line.rfind("ENUM_", 0) != 0) return true;
    return false;
  }

  V4l2TestRig rig;
  FakeCamera& fake;
  BoundCamera camera;
  std::shared_ptr<IAMStreamConfig> config;
  std::shared_ptr<IFrameSource> source;
};

TEST(MultiPlanarTest, IsListedAsACameraByItsPort) {
  V4l2TestRig rig;
  rig.PlugProfile("hd-autofocus");
  rig.PlugProfile("board-camera-mplane");
  const auto devices = rig.ListDevices();
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[1].friendlyName, kBoardCamera);
  EXPECT_EQ(devices[1].devicePath,
            rig.Kernel().DeviceDirectory() + "/v4l/by-path/platform-1cb0000.camera-video-index0");
  EXPECT_EQ(devices[1].description, "sim-csi, platform:1cb0000.camera");
}

TEST(MultiPlanarTest, OffersItsOnePlaneFormatsAndLeavesOutThoseOfSeveralPlanes) {
  BoundListing board(LoadWebcamProfile("board-camera-mplane"));
  const Guid yuy2 = guids::MediaSubtypeYUY2;
  const Guid mjpg = guids::MediaSubtypeMJPG;
  const std::vector<Mode> expected = {{yuy2, 1280, 720, 333333}, {yuy2, 640, 480, 333333}, {yuy2, 640, 480, 666666},
                                      {mjpg, 1920, 1080, 333333}, {mjpg, 640, 480, 333333}};
  EXPECT_EQ(board.Offered(), expected);  // NV12M, in between in the driver's list, is not there
  EXPECT_FALSE(board.AnyRefusal()) << ::testing::PrintToString(board.rig.Kernel().LogText());
}

TEST(MultiPlanarTest, SetsAFormatAndReadsItBackWithTheDriversPlaneSize) {
  BoundListing board(LoadWebcamProfile("board-camera-mplane"));
  std::int32_t sampleSize = 0;
  EXPECT_EQ(board.Current(&sampleSize), (Mode{guids::MediaSubtypeYUY2, 1280, 720, 333333}));
  EXPECT_EQ(sampleSize, 1280 * 720 * 2);

  for (const Mode& wanted :
       {Mode{guids::MediaSubtypeMJPG, 640, 480, 333333}, Mode{guids::MediaSubtypeYUY2, 640, 480, 666666}}) {
    AmMediaType* offered = board.OfferedFor(wanted);
    ASSERT_NE(offered, nullptr);
    board.rig.Kernel().ClearLog();
    EXPECT_EQ(board.config->SetFormat(*offered), kOk);
    DeleteMediaType(offered);
    const Strings log = board.rig.Kernel().LogText();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "S_FMT");
    EXPECT_EQ(log.back(), "S_PARM");
    EXPECT_FALSE(board.AnyRefusal()) << ::testing::PrintToString(log);
    EXPECT_EQ(board.Current(), wanted);
  }
}

// Another program left the node at NV12M: the format is described by its code, a stream in it fails
// without leaving anything mapped (the frame path reads one plane), and an offered format streams again.
TEST(MultiPlanarTest, AFormatOfSeveralPlanesLeftByAnotherProgramDoesNotStream) {
  BoundListing board(LoadWebcamProfile("board-camera-mplane"));
  {
    const int fd = board.rig.Kernel().Open(board.fake.Node().c_str(), O_RDWR);
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE_MPLANE;
    format.fmt.pix_mp.pixelformat = V4L2_PIX_FMT_NV12M;
    format.fmt.pix_mp.width = 1280;
    format.fmt.pix_mp.height = 720;
    ASSERT_EQ(board.rig.Kernel().Ioctl(fd, VIDIOC_S_FMT, &format), 0);
    EXPECT_EQ(format.fmt.pix_mp.num_planes, 2);
    board.rig.Kernel().Close(fd);
  }
  EXPECT_EQ(board.Current().subtype, FourCCSubtype(V4L2_PIX_FMT_NV12M));
  class Sink final : public IFrameSink {
   public:
    void Receive(const std::shared_ptr<IMediaSample>&) override {}
  };
  EXPECT_TRUE(Failed(board.source->StartStreaming(std::make_shared<Sink>())));
  EXPECT_EQ(board.rig.Kernel().LiveMappings(), 0);
  // Choosing an offered format makes it stream again.
  AmMediaType* offered = board.OfferedFor({guids::MediaSubtypeYUY2, 640, 480, 333333});
  ASSERT_NE(offered, nullptr);
  EXPECT_EQ(board.config->SetFormat(*offered), kOk);
  DeleteMediaType(offered);
  EXPECT_EQ(board.source->StartStreaming(std::make_shared<Sink>()), kOk);
  EXPECT_EQ(board.source->StopStreaming(), kOk);
}

// The same steps on a single-planar webcam and on the board camera cost the same requests, and none is
// refused: a request of the other interface would meet EINVAL.
TEST(MultiPlanarTest, BothInterfacesTakeTheSameRequests) {
  class Sink final : public IFrameSink {
   public:
    void Receive(const std::shared_ptr<IMediaSample>&) override {}
  };
  const Strings streamOn = {"REQBUFS", "QUERYBUF", "QBUF", "QUERYBUF", "QBUF", "QUERYBUF",
                            "QBUF",    "QUERYBUF", "QBUF", "STREAMON"};
  const Strings streamOff = {"STREAMOFF", "REQBUFS"};
  struct Case {
    const char* name;
    std::function<void(BoundListing&)> act;
    Strings first;  // the log begins with these
    Strings last;   // and ends with these (frames come between as they come)
  };
  const Case cases[] = {
      {"current format", [](BoundListing& b) { b.Current(); }, {"G_FMT", "G_PARM"}, {}},
      {"stream",
       [](BoundListing& b) {
         ASSERT_EQ(b.source->StartStreaming(std::make_shared<Sink>()), kOk);
         EXPECT_EQ(b.source->StopStreaming(), kOk);
       },
       streamOn, streamOff},
  };
  for (const Case& c : cases) {
    for (const char* profile : {"hd-autofocus", "board-camera-mplane"}) {
      SCOPED_TRACE(std::string(c.name) + " on " + profile);
      BoundListing bound(LoadWebcamProfile(profile));
      bound.rig.Kernel().ClearLog();
      c.act(bound);
      const Strings log = bound.rig.Kernel().LogText();
      EXPECT_FALSE(bound.AnyRefusal()) << ::testing::PrintToString(log);
      ASSERT_GE(log.size(), c.first.size() + c.last.size()) << ::testing::PrintToString(log);
      EXPECT_EQ(Strings(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(c.first.size())), c.first);
      EXPECT_EQ(Strings(log.end() - static_cast<std::ptrdiff_t>(c.last.size()), log.end()), c.last);
      EXPECT_EQ(bound.rig.Kernel().LiveMappings(), 0);
    }
  }
}

// A sink that keeps the last frame's bytes.
class KeepingSink final : public IFrameSink {
 public:
  void Receive(const std::shared_ptr<IMediaSample>& sample) override {
    std::lock_guard lock(mutex_);
    last_.assign(sample->Data(), sample->Data() + sample->ActualDataLength());
    ++frames_;
    arrived_.notify_all();
  }
  std::vector<std::uint8_t> WaitForFrame(int count) {
    std::unique_lock lock(mutex_);
    arrived_.wait_for(lock, 3s, [&] { return frames_ >= count; });
    return last_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<std::uint8_t> last_;
  int frames_ = 0;
};

// A plane may carry bytes ahead of the picture (its data offset), which the driver counts in the
// plane's bytesused: the frame is what follows them, and only that.
TEST(MultiPlanarTest, FramesStartAtThePlanesDataOffset) {
  for (const std::uint32_t offset : {0u, 4096u}) {
    SCOPED_TRACE(offset);
    FakeCameraModel model = LoadWebcamProfile("board-camera-mplane");
    model.planeDataOffset = offset;
    BoundListing board(model);
    auto sink = std::make_shared<KeepingSink>();
    ASSERT_EQ(board.source->StartStreaming(sink), kOk);
    const std::vector<std::uint8_t> frame = sink->WaitForFrame(2);
    EXPECT_EQ(board.source->StopStreaming(), kOk);
    ASSERT_EQ(frame.size(), 1280u * 720u * 2u);
    // The fake fills a YUYV picture with one byte and what lies ahead of it with another.
    EXPECT_EQ(std::count(frame.begin(), frame.end(), frame.front()), static_cast<std::ptrdiff_t>(frame.size()));
    EXPECT_NE(frame.front(), 0xEE);
    EXPECT_FALSE(board.fake.IsStreaming());
    EXPECT_EQ(board.rig.Kernel().LiveMappings(), 0);
  }
}

}  // namespace
}  // namespace tavelo::v4l2test
