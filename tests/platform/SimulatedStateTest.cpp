// A simulated camera's state outliving the process: where it is kept, a second platform (standing in for
// the next run of the program) starting from what the first left, and files that are damaged, another
// camera's or out of range leaving the power-on values.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "camera/platform/simulated/SimulatedState.h"
#include "tests/platform/SimulatedFixture.h"

namespace tavelo::platform::testing {
namespace {
namespace fs = std::filesystem;
using simulated::SimulatedStateFolder;
using simulated::StateFolderVariables;

constexpr const char* kHd = "sim://hd-webcam";

std::shared_ptr<SimulatedPlatform> PlatformWithState(const fs::path& folder,
                                                     const std::vector<std::string>& profiles = {"hd-autofocus"}) {
  std::string error;
  auto platform = CreateSimulatedPlatform(profiles, &error, folder.string());
  EXPECT_NE(platform, nullptr) << error;
  return platform;
}

class SimulatedStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("tavelo-state-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path HdFile() const { return folder_ / "sim_hd-webcam.state"; }
  void WriteHdFile(const std::string& text) const {
    fs::create_directories(folder_);
    std::ofstream(HdFile(), std::ios::binary) << text;
  }
  static PropertyState Brightness(SimulatedPlatform& platform) {
    return platform.ReadProperty(kHd, PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness).value_or(PropertyState{});
  }

  fs::path folder_;
};

TEST(SimulatedStateFolderTest, TheOverrideThenTheRuntimeThenTheCacheFolder) {
  struct Case {
    const char* name;
    StateFolderVariables variables;
    std::optional<fs::path> expected;
  };
  const Case cases[] = {
      {"override", {"/tmp/states", "/run/user/1000", "/c", "/home/u"}, fs::path("/tmp/states")},
      {"off", {"off", "/run/user/1000", "/c", "/home/u"}, std::nullopt},
      {"runtime", {nullptr, "/run/user/1000", "/c", "/home/u"}, fs::path("/run/user/1000/tavelo/simulated")},
      {"empty override", {"", "/run/user/1000", nullptr, nullptr}, fs::path("/run/user/1000/tavelo/simulated")},
      {"cache", {nullptr, nullptr, "/c", "/home/u"}, fs::path("/c/tavelo/simulated")},
      {"relative runtime", {nullptr, "run", "/c", "/home/u"}, fs::path("/c/tavelo/simulated")},
      {"home", {nullptr, "", nullptr, "/home/u"}, fs::path("/home/u/.cache/tavelo/simulated")},
      {"nothing", {nullptr, nullptr, nullptr, nullptr}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SimulatedStateFolder(c.variables), c.expected);
  }
}

TEST_F(SimulatedStateTest, TheNextPlatformStartsFromWhatTheLastOneLeft) {
  {
    const auto first = PlatformWithState(folder_, {"hd-autofocus", "4k-webcam"});
    const auto filter = BindDevice(*first, kHd);
    const auto procAmp = Query<IAMVideoProcAmp>(filter);
    const auto cameraControl = Query<IAMCameraControl>(filter);
    ASSERT_TRUE(procAmp && cameraControl);
    EXPECT_EQ(procAmp->Set(VideoProcAmp_Brightness, 140, kPropertyFlagsManual), kOk);
    EXPECT_EQ(cameraControl->Set(CameraControl_Focus, 100, kPropertyFlagsManual), kOk);  // was automatic
    // The format: the pin's third media type.
    const auto config = Query<IAMStreamConfig>(FirstPin(filter));
    ASSERT_TRUE(config);
    std::shared_ptr<IEnumMediaTypes> types;
    ASSERT_EQ(FirstPin(filter)->EnumMediaTypes(types), kOk);
    AmMediaType* third = nullptr;
    for (int i = 0; i < 3; ++i) {
      DeleteMediaType(third);
      ASSERT_EQ(types->Next(third), kOk);
    }
    EXPECT_EQ(config->SetFormat(*third), kOk);
    DeleteMediaType(third);
    // A record of the other camera, changed behind the program's back: the driver keeps that too.
    EXPECT_TRUE(first->SetPropertyExternally("sim://4k-webcam", PropertyFamily::VideoStabilization, 0, 1, 2));
  }

  const auto next = PlatformWithState(folder_, {"hd-autofocus", "4k-webcam"});
  EXPECT_EQ(Brightness(*next), (PropertyState{140, kPropertyFlagsManual}));
  EXPECT_EQ(next->ReadProperty(kHd, PropertyFamily::CameraControl, CameraControl_Focus),
            (PropertyState{100, kPropertyFlagsManual}));
  EXPECT_EQ(next->CurrentFormatIndex(kHd), 2u);
  EXPECT_EQ(next->ReadProperty("sim://4k-webcam", PropertyFamily::VideoStabilization, 0), (PropertyState{1, 2}));

  // A platform without a folder, as every other test builds one, starts at power-on and writes nothing.
  const auto untouched = MakePlatform({"hd-autofocus"});
  EXPECT_EQ(Brightness(*untouched), (PropertyState{128, kPropertyFlagsManual}));
  const auto before = fs::last_write_time(HdFile());
  EXPECT_TRUE(untouched->SetPropertyExternally(kHd, PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness, 9, 2));
  EXPECT_EQ(fs::last_write_time(HdFile()), before);

  // Every write replaced the file whole: nothing half-written is left beside it.
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"sim_4k-webcam.state", "sim_hd-webcam.state"}));
}

TEST_F(SimulatedStateTest, ReplugStartsAfreshAsACameraWithoutPowerDoes) {
  {
    const auto first = PlatformWithState(folder_);
    EXPECT_EQ(Query<IAMVideoProcAmp>(BindDevice(*first, kHd))->Set(VideoProcAmp_Brightness, 30, kPropertyFlagsManual),
              kOk);
    ASSERT_TRUE(first->Unplug(kHd));
    ASSERT_TRUE(first->Replug(kHd));
    EXPECT_EQ(Brightness(*first).value, 128);
  }
  EXPECT_EQ(Brightness(*PlatformWithState(folder_)).value, 128);
}

// What the file says is held to what the camera can do; a file that is not this camera's state at all
// is ignored whole.
TEST_F(SimulatedStateTest, FilesAreHeldToTheProfileOrIgnored) {
  const std::string head = "[Camera]\nDevicePath=sim://hd-webcam\n";
  struct Case {
    const char* name;
    std::string text;
    PropertyState brightness;
    std::int32_t whiteBalanceFlags;
    std::size_t format;
  };
  const PropertyState powerOn{128, kPropertyFlagsManual};
  const Case cases[] = {
      {"whole", head + "Format=1\nVideoProcAmp.Brightness=140, 2\nVideoProcAmp.WhiteBalance=5000, 2\n", {140, 2}, 2, 1},
      {"above the range", head + "VideoProcAmp.Brightness=900, 2\n", {255, 2}, 1, 0},
      {"below the range", head + "VideoProcAmp.Brightness=-4, 2\n", {0, 2}, 1, 0},
      {"a mode it cannot take", head + "VideoProcAmp.Brightness=10, 1\nVideoProcAmp.WhiteBalance=5000, 7\n",
       {10, 2}, 1, 0},
      {"a format it does not offer", head + "Format=99\n", powerOn, 1, 0},
      {"a property it lacks", head + "CameraControl.Iris=3, 2\nVideoProcAmp.Brightness=7, 2\n", {7, 2}, 1, 0},
      {"another camera's", "[Camera]\nDevicePath=sim://hd_webcam\nVideoProcAmp.Brightness=7, 2\n", powerOn, 1, 0},
      {"no device path", "[Camera]\nVideoProcAmp.Brightness=7, 2\n", powerOn, 1, 0},
      {"another section", "[Device]\nDevicePath=sim://hd-webcam\nVideoProcAmp.Brightness=7, 2\n", powerOn, 1, 0},
      {"an unknown key", head + "VideoProcAmp.Brightness=7, 2\nLoudness=3, 2\n", powerOn, 1, 0},
      {"a word for a number", head + "VideoProcAmp.Brightness=bright, 2\n", powerOn, 1, 0},
      {"one number", head + "VideoProcAmp.Brightness=7\n", powerOn, 1, 0},
      {"a number too large", head + "VideoProcAmp.Brightness=99999999999, 2\n", powerOn, 1, 0},
      {"not text", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10), powerOn, 1, 0},
      {"empty", "", powerOn, 1, 0},
      {"too large", head + std::string(70000, ';') + "\n", powerOn, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteHdFile(c.text);
    const auto platform = PlatformWithState(folder_);
    ASSERT_NE(platform, nullptr);
    EXPECT_EQ(Brightness(*platform), c.brightness);
    EXPECT_EQ(platform->ReadProperty(kHd, PropertyFamily::VideoProcAmp, VideoProcAmp_WhiteBalance)->flags,
              c.whiteBalanceFlags);
    EXPECT_EQ(platform->CurrentFormatIndex(kHd), c.format);
  }
}

TEST_F(SimulatedStateTest, AFolderThatCannotBeWrittenLeavesTheCameraWorking) {
  fs::create_directories(folder_.parent_path());
  std::ofstream(folder_) << "a file where the folder should be";
  const auto platform = PlatformWithState(folder_);
  EXPECT_EQ(Query<IAMVideoProcAmp>(BindDevice(*platform, kHd))->Set(VideoProcAmp_Brightness, 60, kPropertyFlagsManual),
            kOk);
  EXPECT_EQ(Brightness(*platform).value, 60);
  fs::remove(folder_);
}

}  // namespace
}  // namespace tavelo::platform::testing
