// Property access on the fake V4L2 kernel, each path beside the ioctls it cannot do without:
// - one Get / Set / GetRange round of a typical control (brightness) through the backend's property
//   interface, against the same round as bare G_CTRL / S_CTRL / QUERYCTRL on the kernel;
// - the rows' full pass of the seventeen properties through TFCamera (supported? then value, range and
//   automatic mode), against one bare read of each control the pass reaches.
// The kernel logs every ioctl; both sides of each pair clear that log at the same pace, so it costs the
// baseline what it costs the path measured.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <linux/videodev2.h>

#include <QString>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "camera/FCamera.h"
#include "camera/PropertyList.h"
#include "tests/v4l2/V4l2TestRig.h"

namespace {

using tavelo::v4l2test::BoundCamera;
using tavelo::v4l2test::FakeCameraModel;
using tavelo::v4l2test::FakeV4l2Kernel;
using tavelo::v4l2test::LoadWebcamProfile;
using tavelo::v4l2test::V4l2TestRig;
namespace platform = tavelo::platform;

// A 1080p autofocus webcam: twelve of the seventeen rows live, three of them with an automatic mode.
constexpr const char* kProfile = "hd-autofocus";
constexpr int kLogClearInterval = 1024;

void Require(bool condition, const char* what) {
  if (!condition) throw std::runtime_error(what);
}

// The capture node opened on the kernel directly, as the backend opens it.
class RawNode {
 public:
  RawNode(FakeV4l2Kernel& kernel, const std::string& node) : kernel_(kernel), fd_(kernel.Open(node.c_str(), O_RDWR)) {
    Require(fd_ >= 0, "the fake kernel did not open the capture node");
  }
  ~RawNode() { kernel_.Close(fd_); }
  RawNode(const RawNode&) = delete;
  RawNode& operator=(const RawNode&) = delete;

  int Ioctl(unsigned long request, void* argument) { return kernel_.Ioctl(fd_, request, argument); }

 private:
  FakeV4l2Kernel& kernel_;
  int fd_;
};

void BM_Baseline_RawIoctlRound(benchmark::State& state) {
  V4l2TestRig rig;
  RawNode node(rig.Kernel(), rig.PlugProfile(kProfile).Node());
  std::int32_t next = 127;
  int sinceClear = 0;
  for (auto _ : state) {
    v4l2_control control{V4L2_CID_BRIGHTNESS, 0};
    node.Ioctl(VIDIOC_G_CTRL, &control);
    control.value = next;
    node.Ioctl(VIDIOC_S_CTRL, &control);
    v4l2_queryctrl query{};
    query.id = V4L2_CID_BRIGHTNESS;
    node.Ioctl(VIDIOC_QUERYCTRL, &query);
    benchmark::DoNotOptimize(query.maximum);
    next ^= 1;
    if (++sinceClear == kLogClearInterval) {
      rig.Kernel().ClearLog();
      sinceClear = 0;
    }
  }
}
BENCHMARK(BM_Baseline_RawIoctlRound);

void BM_BackendGetSetGetRange(benchmark::State& state) {
  V4l2TestRig rig;
  const FakeCameraModel model = LoadWebcamProfile(kProfile);
  rig.Plug(model);
  const BoundCamera camera = rig.Bind(model.card);
  Require(camera.procAmp != nullptr, "the camera has no video processing amplifier");
  platform::IAMVideoProcAmp& procAmp = *camera.procAmp;
  std::int32_t next = 127;
  int sinceClear = 0;
  for (auto _ : state) {
    std::int32_t value = 0;
    std::int32_t flags = 0;
    procAmp.Get(platform::VideoProcAmp_Brightness, value, flags);
    procAmp.Set(platform::VideoProcAmp_Brightness, next, platform::kPropertyFlagsManual);
    std::int32_t min = 0, max = 0, delta = 0, defaultValue = 0, caps = 0;
    procAmp.GetRange(platform::VideoProcAmp_Brightness, min, max, delta, defaultValue, caps);
    benchmark::DoNotOptimize(max);
    next ^= 1;
    if (++sinceClear == kLogClearInterval) {
      rig.Kernel().ClearLog();
      sinceClear = 0;
    }
  }
}
BENCHMARK(BM_BackendGetSetGetRange);

// One G_CTRL per control of the listing: the least a pass over the rows has to ask the camera.
void BM_Baseline_RawReadOfEveryControl(benchmark::State& state) {
  V4l2TestRig rig;
  const FakeCameraModel model = LoadWebcamProfile(kProfile);
  RawNode node(rig.Kernel(), rig.Plug(model).Node());
  std::vector<std::uint32_t> ids;
  for (const auto& control : model.controls) ids.push_back(control.id);
  int sinceClear = 0;
  for (auto _ : state) {
    for (const std::uint32_t id : ids) {
      v4l2_control control{id, 0};
      node.Ioctl(VIDIOC_G_CTRL, &control);
      benchmark::DoNotOptimize(control.value);
    }
    if (++sinceClear == kLogClearInterval / 16) {
      rig.Kernel().ClearLog();
      sinceClear = 0;
    }
  }
  state.counters["controls"] = static_cast<double>(ids.size());
}
BENCHMARK(BM_Baseline_RawReadOfEveryControl);

// The rows' pass as the window makes it: brightness first, then the list's order; a property the
// camera lacks costs only the question.
void BM_CameraSeventeenRowPass(benchmark::State& state) {
  V4l2TestRig rig;
  const FakeCameraModel model = LoadWebcamProfile(kProfile);
  rig.Plug(model);
  TFCamera camera(nullptr, rig.PlatformPointer());
  camera.SetDeviceName(QString::fromStdString(model.card));
  std::vector<TFCameraProperty> readOrder{TFCameraProperty::Brightness};
  for (const TFCameraProperty property : kPropertyList)
    if (property != TFCameraProperty::Brightness) readOrder.push_back(property);

  int supported = 0;
  int sinceClear = 0;
  for (auto _ : state) {
    supported = 0;
    for (const TFCameraProperty property : readOrder) {
      if (!camera.PropertySupported(property)) continue;
      ++supported;
      benchmark::DoNotOptimize(camera.PropertyValue(property));
      benchmark::DoNotOptimize(camera.PropertyRange(property));
      benchmark::DoNotOptimize(camera.PropertyAuto(property));
    }
    if (++sinceClear == kLogClearInterval / 16) {
      rig.Kernel().ClearLog();
      sinceClear = 0;
    }
  }
  state.counters["live_rows"] = supported;
}
BENCHMARK(BM_CameraSeventeenRowPass);

}  // namespace
