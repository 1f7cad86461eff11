// The driver behaviour of the simulated property interfaces and property sets.

#include <gtest/gtest.h>

#include <cstring>

#include "tests/platform/SimulatedFixture.h"

namespace tavelo::platform {
namespace {

using testing::BindDevice;
using testing::MakePlatform;
using testing::Query;

class SimulatedProperties : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_ = MakePlatform({"hd-autofocus", "all-controls", "no-controls"});
    ASSERT_NE(platform_, nullptr);
    hd_ = BindDevice(*platform_, "sim://hd-webcam");
    all_ = BindDevice(*platform_, "sim://all-controls");
    ASSERT_NE(hd_, nullptr);
    ASSERT_NE(all_, nullptr);
    procAmp_ = Query<IAMVideoProcAmp>(hd_);
    cameraControl_ = Query<IAMCameraControl>(hd_);
    ASSERT_NE(procAmp_, nullptr);
    ASSERT_NE(cameraControl_, nullptr);
  }

  PropertyState Live(PropertyFamily family, std::int32_t id) {
    return platform_->ReadProperty("sim://hd-webcam", family, id).value_or(PropertyState{-999, -999});
  }

  std::shared_ptr<SimulatedPlatform> platform_;
  std::shared_ptr<IBaseFilter> hd_;
  std::shared_ptr<IBaseFilter> all_;
  std::shared_ptr<IAMVideoProcAmp> procAmp_;
  std::shared_ptr<IAMCameraControl> cameraControl_;
};

TEST_F(SimulatedProperties, TheTwoInterfacesAreSeparateTearOffsOfOneFilter) {
  // Id 0 is Brightness on one interface and Pan on the other.
  std::int32_t value = 0;
  std::int32_t flags = 0;
  ASSERT_EQ(procAmp_->Get(0, value, flags), kOk);
  EXPECT_EQ(value, 128);
  ASSERT_EQ(cameraControl_->Get(0, value, flags), kOk);
  EXPECT_EQ(value, 0);

  // A tear-off answers other interfaces through its filter, whose identity it shares.
  std::shared_ptr<void> viaTearOff;
  std::shared_ptr<void> viaFilter;
  ASSERT_EQ(procAmp_->QueryInterface(Iid::Unknown, viaTearOff), kOk);
  ASSERT_EQ(hd_->QueryInterface(Iid::Unknown, viaFilter), kOk);
  EXPECT_EQ(viaTearOff.get(), viaFilter.get());
  EXPECT_NE(Query<IBaseFilter>(procAmp_), nullptr);
  EXPECT_NE(Query<IAMCameraControl>(procAmp_), nullptr);
}

TEST_F(SimulatedProperties, ACameraWithoutPropertiesHasNeitherInterface) {
  auto bare = BindDevice(*platform_, "sim://no-controls");
  std::shared_ptr<IAMVideoProcAmp> procAmp;
  std::shared_ptr<IAMCameraControl> cameraControl;
  EXPECT_EQ(QueryInterfaceAs(bare, procAmp), kNoInterface);
  EXPECT_EQ(QueryInterfaceAs(bare, cameraControl), kNoInterface);
}

TEST_F(SimulatedProperties, GetRangeAnswersLimitsStepDefaultAndCapabilities) {
  std::int32_t min = 0, max = 0, step = 0, def = 0, caps = 0;
  ASSERT_EQ(procAmp_->GetRange(VideoProcAmp_WhiteBalance, min, max, step, def, caps), kOk);
  EXPECT_EQ((std::vector<std::int32_t>{min, max, step, def, caps}),
            (std::vector<std::int32_t>{2000, 6500, 1, 4000, kPropertyFlagsAuto | kPropertyFlagsManual}));
  ASSERT_EQ(cameraControl_->GetRange(CameraControl_Pan, min, max, step, def, caps), kOk);
  EXPECT_EQ((std::vector<std::int32_t>{min, max, step, def, caps}),
            (std::vector<std::int32_t>{-36000, 36000, 3600, 0, kPropertyFlagsManual}));
}

TEST_F(SimulatedProperties, MissingPropertiesAnswerNotFoundOnEveryCall) {
  std::int32_t a = 0, b = 0, c = 0, d = 0, e = 0;
  EXPECT_EQ(procAmp_->Get(VideoProcAmp_Hue, a, b), kErrorNotFound);
  EXPECT_EQ(procAmp_->Set(VideoProcAmp_Hue, 0, kPropertyFlagsManual), kErrorNotFound);
  EXPECT_EQ(procAmp_->GetRange(VideoProcAmp_Hue, a, b, c, d, e), kErrorNotFound);
  EXPECT_EQ(cameraControl_->Get(CameraControl_Roll, a, b), kErrorNotFound);
  EXPECT_EQ(cameraControl_->Get(1234, a, b), kErrorNotFound);
}

TEST_F(SimulatedProperties, ManualWritesAreStoredRoundedToTheStep) {
  EXPECT_EQ(procAmp_->Set(VideoProcAmp_Brightness, 200, kPropertyFlagsManual), kOk);
  EXPECT_EQ(Live(PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness), (PropertyState{200, kPropertyFlagsManual}));

  // Focus steps by 5 from 0; writing it manual also leaves automatic mode.
  EXPECT_EQ(cameraControl_->Set(CameraControl_Focus, 42, kPropertyFlagsManual), kOk);
  EXPECT_EQ(Live(PropertyFamily::CameraControl, CameraControl_Focus), (PropertyState{40, kPropertyFlagsManual}));
  EXPECT_EQ(cameraControl_->Set(CameraControl_Focus, 248, kPropertyFlagsManual), kOk);
  EXPECT_EQ(Live(PropertyFamily::CameraControl, CameraControl_Focus).value, 250);
  EXPECT_EQ(cameraControl_->Set(CameraControl_Pan, -5000, kPropertyFlagsManual), kOk);
  EXPECT_EQ(Live(PropertyFamily::CameraControl, CameraControl_Pan).value, -3600);
}

TEST_F(SimulatedProperties, OutOfRangeWritesAreRefusedAndTheValueKept) {
  ASSERT_EQ(procAmp_->Set(VideoProcAmp_Brightness, 90, kPropertyFlagsManual), kOk);
  for (std::int32_t wrong : {-1, 256, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(procAmp_->Set(VideoProcAmp_Brightness, wrong, kPropertyFlagsManual), kInvalidArg) << wrong;
  }
  EXPECT_EQ(Live(PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness).value, 90);
}

TEST_F(SimulatedProperties, AutomaticModeLeavesTheValueToTheDriver) {
  ASSERT_EQ(procAmp_->Set(VideoProcAmp_WhiteBalance, 3000, kPropertyFlagsManual), kOk);
  // Back to automatic: the written value is ignored, the driver keeps its last one.
  ASSERT_EQ(procAmp_->Set(VideoProcAmp_WhiteBalance, 6000, kPropertyFlagsAuto), kOk);
  EXPECT_EQ(Live(PropertyFamily::VideoProcAmp, VideoProcAmp_WhiteBalance), (PropertyState{3000, kPropertyFlagsAuto}));
  std::int32_t value = 0;
  std::int32_t flags = 0;
  ASSERT_EQ(procAmp_->Get(VideoProcAmp_WhiteBalance, value, flags), kOk);
  EXPECT_EQ(value, 3000);
  EXPECT_EQ(flags, kPropertyFlagsAuto);
}

TEST_F(SimulatedProperties, ModesThePropertyCannotTakeAreRefused) {
  const PropertyState before = Live(PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness);
  for (std::int32_t flags : {kPropertyFlagsAuto, 0, 3, 4, -1}) {
    EXPECT_EQ(procAmp_->Set(VideoProcAmp_Brightness, 100, flags), kInvalidArg) << "flags " << flags;
  }
  EXPECT_EQ(Live(PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness), before);
}

TEST_F(SimulatedProperties, FlashAndStabilisationAreEightByteRecords) {
  auto properties = Query<IKsPropertySet>(all_);
  ASSERT_NE(properties, nullptr);
  std::uint32_t record[2] = {99, 99};
  std::uint32_t returned = 0;
  ASSERT_EQ(properties->Get(guids::PropSetIdVidcapCameraControlFlash, 0, nullptr, 0, record, 8, returned), kOk);
  EXPECT_EQ(returned, 8u);
  EXPECT_EQ(record[0], 2u);  // mode: automatic
  EXPECT_EQ(record[1], 1u);  // capability word: automatic

  // The support probe: a one-byte read of an existing set answers "more data".
  std::uint8_t probe = 0;
  EXPECT_EQ(properties->Get(guids::PropSetIdVidcapCameraControlFlash, 0, nullptr, 0, &probe, 1, returned),
            kErrorMoreData);

  const std::uint32_t highManual[2] = {1, 2};
  ASSERT_EQ(properties->Set(guids::PropSetIdVidcapCameraControlVideoStabilization, 0, nullptr, 0, highManual, 8), kOk);
  EXPECT_EQ(platform_->ReadProperty("sim://all-controls", PropertyFamily::VideoStabilization, 0),
            (PropertyState{1, 2}));

  const std::uint32_t badMode[2] = {5, 2};
  EXPECT_EQ(properties->Set(guids::PropSetIdVidcapCameraControlVideoStabilization, 0, nullptr, 0, badMode, 8),
            kInvalidArg);
  EXPECT_EQ(properties->Set(guids::PropSetIdVidcapCameraControlVideoStabilization, 0, nullptr, 0, highManual, 4),
            kErrorInsufficientBuffer);
  EXPECT_EQ(properties->Get(guids::PropSetIdVidcapCameraControlFlash, 1, nullptr, 0, record, 8, returned),
            kErrorNotFound);

  // A camera without the sets answers "set not found", whatever the buffer.
  auto hdProperties = Query<IKsPropertySet>(hd_);
  EXPECT_EQ(hdProperties->Get(guids::PropSetIdVidcapCameraControlFlash, 0, nullptr, 0, &probe, 1, returned),
            kErrorSetNotFound);
  EXPECT_EQ(hdProperties->Set(guids::PropSetIdVidcapCameraControlVideoStabilization, 0, nullptr, 0, highManual, 8),
            kErrorSetNotFound);
  EXPECT_EQ(hdProperties->Get(guids::AmPropSetIdPin, 0, nullptr, 0, record, 8, returned), kErrorSetNotFound);
}

}  // namespace
}  // namespace tavelo::platform
