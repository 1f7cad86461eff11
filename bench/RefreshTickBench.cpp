// What one tick of the keep-synchronised refresh costs the GUI thread, on the fake V4L2 kernel with a
// camera whose every control read takes a USB round trip (the delay is the benchmark's argument, in
// microseconds). The tick's wall time is the GUI thread's time: the whole re-read runs on it, and the
// focus hand-back thread only waits for it. Counters: the driver calls (ioctls) and control reads per tick.
//
// Baseline: the bare re-read, one G_CTRL for each of the seventeen properties' value controls the camera
// has, on the same kernel with the same delay.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <linux/videodev2.h>

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Unit1.h"
#include "camera/PropertyList.h"
#include "camera/platform/v4l2/V4l2PropertyMap.h"
#include "single_instance/singleinstance.h"
#include "tests/support/ScriptedProcessTable.h"
#include "tests/v4l2/V4l2TestRig.h"
#include "ui/ListBox.h"
#include "ui/Timer.h"

namespace {

using tavelo::v4l2test::FakeCameraModel;
using tavelo::v4l2test::IoctlRecord;
using tavelo::v4l2test::LoadWebcamProfile;
using tavelo::v4l2test::V4l2TestRig;
namespace platform = tavelo::platform;

// A 1080p autofocus webcam: twelve of the seventeen rows live, three of them with an automatic mode.
constexpr const char* kProfile = "hd-autofocus";

void Require(bool condition, const char* what) {
  if (!condition) throw std::runtime_error(what);
}

std::chrono::microseconds DelayOf(const benchmark::State& state) { return std::chrono::microseconds(state.range(0)); }

bool IsControlRead(const IoctlRecord& record) {
  return record.request == VIDIOC_G_CTRL || record.request == VIDIOC_G_EXT_CTRLS;
}

void BM_Baseline_BareReReadOfTheSeventeenControls(benchmark::State& state) {
  V4l2TestRig rig;
  const FakeCameraModel model = LoadWebcamProfile(kProfile);
  const int fd = rig.Kernel().Open(rig.Plug(model).Node().c_str(), O_RDWR);
  Require(fd >= 0, "the fake kernel did not open the capture node");
  std::vector<std::uint32_t> controls;
  for (const TFCameraProperty property : kPropertyList) {
    const TFPropertyInfo& info = PropertyInfo(property);
    const auto family = info.Interface == TFPropertyInterface::VideoProcAmp ? platform::PropertyFamily::VideoProcAmp
                                                                             : platform::PropertyFamily::CameraControl;
    const platform::v4l2::PropertyMapping* mapping = platform::v4l2::FindPropertyMapping(family, info.Id);
    if (mapping && model.FindControl(mapping->valueControls[0])) controls.push_back(mapping->valueControls[0]);
  }
  rig.Kernel().SetControlReadDelay(DelayOf(state));
  for (auto _ : state) {
    for (const std::uint32_t id : controls) {
      v4l2_control control{id, 0};
      rig.Kernel().Ioctl(fd, VIDIOC_G_CTRL, &control);
      benchmark::DoNotOptimize(control.value);
    }
    state.PauseTiming();
    rig.Kernel().ClearLog();
    state.ResumeTiming();
  }
  rig.Kernel().Close(fd);
  state.counters["driver_calls"] = static_cast<double>(controls.size());
  state.counters["control_reads"] = static_cast<double>(controls.size());
}
BENCHMARK(BM_Baseline_BareReReadOfTheSeventeenControls)
    ->Arg(0)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_RefreshTick(benchmark::State& state) {
  V4l2TestRig rig;
  rig.PlugProfile(kProfile);
  TFormMain window(rig.PlatformPointer(), QStringList{});
  TLivecamForm live;
  window.SetLivecamForm(&live);
  window.ComboBoxCamera->SetItemIndex(0);  // the user picks the camera
  Require(window.SupportLevel == 2, "the camera's rows did not come live");
  rig.Kernel().SetControlReadDelay(DelayOf(state));
  rig.Kernel().ClearLog();

  std::size_t calls = 0;
  std::size_t reads = 0;
  for (auto _ : state) {
    emit window.RefreshTimer->Timer(window.RefreshTimer);
    QCoreApplication::processEvents();  // the focus request handed back after the tick
    state.PauseTiming();
    const std::vector<IoctlRecord> log = rig.Kernel().Log();
    calls += log.size();
    reads += static_cast<std::size_t>(std::count_if(log.begin(), log.end(), IsControlRead));
    rig.Kernel().ClearLog();
    state.ResumeTiming();
  }
  Require(window.SupportLevel == 2, "a tick lost the camera");
  const double ticks = static_cast<double>(state.iterations());
  state.counters["driver_calls"] = static_cast<double>(calls) / ticks;
  state.counters["control_reads"] = static_cast<double>(reads) / ticks;
}
BENCHMARK(BM_RefreshTick)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The window reads its placement file; keep it away from the user's documents.
  QTemporaryDir settings;
  qputenv("TAVELO_SETTINGS_DIR", settings.path().toUtf8());
  TSingleInstance::SetProcessTable(std::make_shared<tavelo::scripted::ScriptedProcessTable>(
      tavelo::single_instance::ProcessEntry{1, 1, "/bench/tavelo_refresh_bench"}));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
