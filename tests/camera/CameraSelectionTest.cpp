// Writing the selection names and the graph settings: equal values change nothing, new values are
// refused while active (except while loading), and each name drops exactly what derives from it.

#include <QObject>

#include "tests/camera/CameraFixture.h"

namespace tavelo::camera_tests {
namespace {

class Selection : public CameraFixture {
 protected:
  void SetUp() override {
    SelectCamA();
    platform->AddDevice(CameraSetup("Cam B"));
    platform->AddDevice(AudioDeviceSetup("Mic", "0"));
    platform->AddDevice(CompressorSetup("Codec"));
    platform->AddDevice(CompressorSetup("AudioCodec", guids::AudioCompressorCategory));
  }

  void ActivateGrabber() {
    camera->SetCaptureType(TFCaptureType::ctGrabber);
    camera->SetActive(true);
    ASSERT_TRUE(camera->Active());
  }

  QObject previewControl;
};

// One guarded write: a different value, and a read-back that tells whether it was stored.
struct GuardedWrite {
  const char* name;
  std::function<void(TFCamera&, QObject& control)> writeNew;
  std::function<void(TFCamera&, QObject& control)> writeSame;
  std::function<bool(TFCamera&, QObject& control)> holdsNew;
};

void OtherHandler(TFCamera*, double) {}
const int kOtherHandlerId = 0;

const std::vector<GuardedWrite>& GuardedWrites() {
  static const std::vector<GuardedWrite> writes = {
      {"DeviceName", [](TFCamera& c, QObject&) { c.SetDeviceName("Cam B"); },
       [](TFCamera& c, QObject&) { c.SetDeviceName("Cam A"); }, [](TFCamera& c, QObject&) { return c.DeviceName() == "Cam B"; }},
      {"DevicePath", [](TFCamera& c, QObject&) { c.SelectDevice("Cam A", "/dev/v4l/by-path/other-port"); },
       [](TFCamera& c, QObject&) { c.SelectDevice("Cam A", ""); },
       [](TFCamera& c, QObject&) { return c.DevicePath() == "/dev/v4l/by-path/other-port"; }},
      {"AudioDeviceName", [](TFCamera& c, QObject&) { c.SetAudioDeviceName("Mic"); },
       [](TFCamera& c, QObject&) { c.SetAudioDeviceName(""); },
       [](TFCamera& c, QObject&) { return c.AudioDeviceName() == "Mic"; }},
      {"CompressorName", [](TFCamera& c, QObject&) { c.SetCompressorName("Codec"); },
       [](TFCamera& c, QObject&) { c.SetCompressorName(QString()); },
       [](TFCamera& c, QObject&) { return c.CompressorName() == "Codec"; }},
      {"AudioCompressorName", [](TFCamera& c, QObject&) { c.SetAudioCompressorName("AudioCodec"); },
       [](TFCamera& c, QObject&) { c.SetAudioCompressorName(""); },
       [](TFCamera& c, QObject&) { return c.AudioCompressorName() == "AudioCodec"; }},
      {"CaptureType", [](TFCamera& c, QObject&) { c.SetCaptureType(TFCaptureType::ctVmr9); },
       [](TFCamera& c, QObject&) { c.SetCaptureType(TFCaptureType::ctGrabber); },
       [](TFCamera& c, QObject&) { return !c.Active() && c.CaptureType() == TFCaptureType::ctVmr9; }},
      {"OutputFileName", [](TFCamera& c, QObject&) { c.SetOutputFileName("/tmp/out.asf"); },
       [](TFCamera& c, QObject&) { c.SetOutputFileName(""); },
       [](TFCamera& c, QObject&) { return c.OutputFileName() == "/tmp/out.asf"; }},
      {"OutputFileType", [](TFCamera& c, QObject&) { c.SetOutputFileType(TFMediaType::mtAvi); },
       [](TFCamera& c, QObject&) { c.SetOutputFileType(TFMediaType::mtAsf); },
       [](TFCamera& c, QObject&) { return c.OutputFileType() == TFMediaType::mtAvi; }},
      {"PreviewControl", [](TFCamera& c, QObject& control) { c.SetPreviewControl(&control); },
       [](TFCamera& c, QObject&) { c.SetPreviewControl(nullptr); },
       [](TFCamera& c, QObject& control) { return c.PreviewControl() == &control; }},
      {"OnImageAvailable", [](TFCamera& c, QObject&) { c.SetOnImageAvailable({OtherHandler, &kOtherHandlerId}); },
       [](TFCamera& c, QObject&) { c.SetOnImageAvailable({}); },
       [](TFCamera& c, QObject&) { return c.OnImageAvailable().Id == &kOtherHandlerId; }},
  };
  return writes;
}

TEST_F(Selection, NewValuesWhileActiveAreRefusedAndTheOldOnesKept) {
  ActivateGrabber();
  platform->ClearCalls();
  for (const GuardedWrite& write : GuardedWrites()) {
    SCOPED_TRACE(write.name);
    EXPECT_EQ(CameraError([&] { write.writeNew(*camera, previewControl); }),
              "Cannot perform this operation on active camera component");
    EXPECT_FALSE(write.holdsNew(*camera, previewControl));
    EXPECT_TRUE(camera->Active());
  }
  EXPECT_EQ(camera->DeviceName(), "Cam A");
  EXPECT_EQ(camera->CaptureType(), TFCaptureType::ctGrabber);
  EXPECT_TRUE(platform->Log({"Release"}).empty());
}

TEST_F(Selection, TheCurrentValuesWhileActiveChangeAndReleaseNothing) {
  ActivateGrabber();
  platform->ClearCalls();
  for (const GuardedWrite& write : GuardedWrites()) {
    SCOPED_TRACE(write.name);
    EXPECT_EQ(CameraError([&] { write.writeSame(*camera, previewControl); }), "<nothing raised>");
  }
  EXPECT_TRUE(camera->Active());
  EXPECT_TRUE(platform->Calls().empty());
}

TEST_F(Selection, NewValuesWhileInactiveAreStored) {
  for (const GuardedWrite& write : GuardedWrites()) {
    SCOPED_TRACE(write.name);
    write.writeNew(*camera, previewControl);
    EXPECT_TRUE(write.holdsNew(*camera, previewControl));
  }
}

TEST_F(Selection, WhileLoadingNewValuesAreStoredEvenWhenActive) {
  ActivateGrabber();
  camera->SetComponentState(TFCamera::csLoading);
  camera->SetOutputFileName("/tmp/loaded.asf");
  EXPECT_EQ(camera->OutputFileName(), "/tmp/loaded.asf");
  EXPECT_TRUE(camera->Active());
  // A new camera while loading still drops everything derived from the old one.
  camera->SetDeviceName("Cam B");
  EXPECT_EQ(camera->DeviceName(), "Cam B");
  EXPECT_FALSE(camera->Active());
}

TEST_F(Selection, ANewCameraDropsTheOldOnesObjectsAndTheNextReadBindsTheNewOne) {
  platform->Device("Cam B")->VideoProcAmp(VideoProcAmp_Brightness).value = 50;
  EXPECT_EQ(camera->Brightness(), 128);
  platform->ClearCalls();
  camera->SetDeviceName("Cam B");
  EXPECT_EQ(platform->LogWithObjects({"Release"}),
            (std::vector<std::string>{"Cam A: Release VideoProcAmp", "Cam A: Release BaseFilter"}));
  EXPECT_EQ(camera->Brightness(), 50);
}

TEST_F(Selection, EachOtherNameDropsOnlyItsOwnFilter) {
  camera->SetAudioDeviceName("Mic");
  camera->SetCompressorName("Codec");
  camera->SetAudioCompressorName("AudioCodec");
  const struct {
    const char* label;
    std::function<void()> change;
  } cases[] = {
      {"Mic", [&] { camera->SetAudioDeviceName("Other mic"); }},
      {"Codec", [&] { camera->SetCompressorName("Other codec"); }},
      {"AudioCodec", [&] { camera->SetAudioCompressorName("Other audio codec"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ASSERT_NE(camera->CaptureFilter(), nullptr);
    camera->AudioCaptureFilter();
    camera->CompressorFilter();
    camera->AudioCompressorFilter();
    camera->AMVideoProcAmp();
    platform->ClearCalls();
    c.change();
    EXPECT_EQ(platform->LogWithObjects({"Release"}), (std::vector<std::string>{std::string(c.label) + ": Release BaseFilter"}));
  }
}

// Two cameras listed under one name, as identical webcams without a serial number are: the device path
// of a list entry binds that very camera, while DeviceName stays the listed name.
class TwinSelection : public CameraFixture {
 protected:
  void SetUp() override {
    struct Twin {
      const char* label;
      const char* path;
      std::int32_t brightness;
    };
    for (const Twin& twin : {Twin{"twin A", "/dev/twin-a", 10}, Twin{"twin B", "/dev/twin-b", 20}}) {
      DeviceSetup setup = CameraSetup("Twin", twin.path);
      setup.label = twin.label;
      platform->AddDevice(setup)->VideoProcAmp(VideoProcAmp_Brightness).value = twin.brightness;
    }
  }
  std::int32_t DriverBrightness(const std::string& label) {
    return platform->Device(label)->VideoProcAmp(VideoProcAmp_Brightness).value;
  }
};

TEST_F(TwinSelection, ThePathBindsItsOwnCameraUnderTheListedName) {
  camera->SelectDevice("Twin", "/dev/twin-b");
  EXPECT_EQ(camera->Brightness(), 20);
  camera->SetBrightness(21);
  EXPECT_EQ(DriverBrightness("twin B"), 21);
  EXPECT_EQ(DriverBrightness("twin A"), 10);
  EXPECT_EQ(camera->DeviceName(), "Twin");
  EXPECT_EQ(camera->DevicePath(), "/dev/twin-b");
}

TEST_F(TwinSelection, MovingToTheTwinDropsTheFirstOnesObjects) {
  camera->SelectDevice("Twin", "/dev/twin-a");
  ASSERT_EQ(camera->Brightness(), 10);
  platform->ClearCalls();
  camera->SelectDevice("Twin", "/dev/twin-b");
  EXPECT_EQ(platform->LogWithObjects({"Release"}),
            (std::vector<std::string>{"twin A: Release VideoProcAmp", "twin A: Release BaseFilter"}));
  EXPECT_EQ(camera->Brightness(), 20);
  // Without a path the name binds, and a name is the first camera that has it.
  camera->SelectDevice("Twin", "");
  EXPECT_EQ(camera->Brightness(), 10);
}

TEST_F(TwinSelection, ANameAloneForgetsThePathUnlessItIsTheNameHeld) {
  camera->SelectDevice("Twin", "/dev/twin-b");
  ASSERT_EQ(camera->Brightness(), 20);
  platform->ClearCalls();
  camera->SetDeviceName("Twin");
  EXPECT_EQ(camera->DevicePath(), "/dev/twin-b");
  EXPECT_TRUE(platform->Log({"Release"}).empty());

  camera->SetDeviceName("Other");
  camera->SetDeviceName("Twin");
  EXPECT_EQ(camera->DevicePath(), "");
  EXPECT_EQ(camera->Brightness(), 10);
}

TEST_F(TwinSelection, APathNoCameraHasIsNotFoundUnderTheListedName) {
  camera->SelectDevice("Twin", "/dev/twin-c");
  EXPECT_EQ(CameraError([&] { camera->Brightness(); }), "Camera device 'Twin' not found");
}

}  // namespace
}  // namespace tavelo::camera_tests
