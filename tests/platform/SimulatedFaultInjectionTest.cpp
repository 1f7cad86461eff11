// The test hooks of the simulated platform: unplugging, scripted failures, missing interfaces and
// changes made by another program.

#include <gtest/gtest.h>

#include "tests/platform/SimulatedFixture.h"

namespace tavelo::platform {
namespace {

using testing::BagValues;
using testing::BindDevice;
using testing::CountingSink;
using testing::FirstPin;
using testing::MakePlatform;
using testing::Monikers;
using testing::Query;
using testing::WaitFor;

constexpr const char* kHd = "sim://hd-webcam";

class SimulatedFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_ = MakePlatform({"hd-autofocus", "laptop"});
    ASSERT_NE(platform_, nullptr);
    filter_ = BindDevice(*platform_, kHd);
    ASSERT_NE(filter_, nullptr);
    procAmp_ = Query<IAMVideoProcAmp>(filter_);
    ASSERT_NE(procAmp_, nullptr);
  }

  Result SetBrightness(std::int32_t value) { return procAmp_->Set(VideoProcAmp_Brightness, value, kPropertyFlagsManual); }

  std::shared_ptr<SimulatedPlatform> platform_;
  std::shared_ptr<IBaseFilter> filter_;
  std::shared_ptr<IAMVideoProcAmp> procAmp_;
};

TEST_F(SimulatedFaults, UnpluggedDeviceLeavesEnumerationAndItsObjectsAnswerNoDevice) {
  auto pin = FirstPin(filter_);
  auto moniker = Monikers(*platform_, guids::VideoInputDeviceCategory).front();
  std::shared_ptr<IPropertyBag> bag;
  ASSERT_EQ(moniker->BindToStorage(bag), kOk);
  auto cameraControl = Query<IAMCameraControl>(filter_);
  auto config = Query<IAMStreamConfig>(pin);
  ASSERT_EQ(SetBrightness(10), kOk);

  ASSERT_TRUE(platform_->Unplug(kHd));
  const auto cameras = BagValues(*platform_, guids::VideoInputDeviceCategory);
  ASSERT_EQ(cameras.size(), 1u);
  EXPECT_EQ(cameras[0].at("DevicePath"), "sim://laptop-camera");

  std::int32_t value = 0, flags = 0, a = 0, b = 0, c = 0;
  std::string text;
  std::shared_ptr<IEnumPins> pins;
  std::shared_ptr<IBaseFilter> rebound;
  AmMediaType* format = nullptr;
  FilterInfo info;
  EXPECT_EQ(procAmp_->Get(VideoProcAmp_Brightness, value, flags), kErrorNoDevice);
  EXPECT_EQ(SetBrightness(20), kErrorNoDevice);
  EXPECT_EQ(cameraControl->GetRange(CameraControl_Zoom, value, flags, a, b, c), kErrorNoDevice);
  EXPECT_EQ(filter_->EnumPins(pins), kErrorNoDevice);
  EXPECT_EQ(filter_->QueryFilterInfo(info), kErrorNoDevice);
  EXPECT_EQ(config->GetFormat(format), kErrorNoDevice);
  EXPECT_EQ(Query<IFrameSource>(pin), nullptr);
  EXPECT_EQ(bag->Read("FriendlyName", text), kErrorNoDevice);
  EXPECT_EQ(moniker->BindToObject(rebound), kErrorNoDevice);
  std::shared_ptr<IAMVideoProcAmp> again;
  EXPECT_EQ(QueryInterfaceAs(filter_, again), kErrorNoDevice);

  // Plugged in again: listed again with its power-on values, but the old objects stay dead.
  ASSERT_TRUE(platform_->Replug(kHd));
  EXPECT_EQ(BagValues(*platform_, guids::VideoInputDeviceCategory).size(), 2u);
  EXPECT_EQ(procAmp_->Get(VideoProcAmp_Brightness, value, flags), kErrorNoDevice);
  auto fresh = Query<IAMVideoProcAmp>(BindDevice(*platform_, kHd));
  ASSERT_NE(fresh, nullptr);
  ASSERT_EQ(fresh->Get(VideoProcAmp_Brightness, value, flags), kOk);
  EXPECT_EQ(value, 128);
}

TEST_F(SimulatedFaults, UnpluggingEndsARunningStream) {
  auto source = Query<IFrameSource>(FirstPin(filter_));
  auto sink = std::make_shared<CountingSink>();
  ASSERT_EQ(source->StartStreaming(sink), kOk);
  ASSERT_TRUE(WaitFor([&] { return sink->Frames() > 0; }));
  EXPECT_TRUE(platform_->IsStreaming(kHd));

  ASSERT_TRUE(platform_->Unplug(kHd));
  EXPECT_FALSE(platform_->IsStreaming(kHd));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // let a frame in flight land
  const int frames = sink->Frames();
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(sink->Frames(), frames);
  EXPECT_EQ(source->StopStreaming(), kOk);  // stopping a dead stream still works
}

TEST_F(SimulatedFaults, AFaultFailsTheMatchingCallsTheGivenNumberOfTimes) {
  ASSERT_TRUE(platform_->FailCall(kHd, CallFault(SimulatedCall::Set, kErrorDeviceInUse)
                                           .ForProperty(PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness)
                                           .Times(2)));
  // Other properties and other calls are untouched.
  EXPECT_EQ(procAmp_->Set(VideoProcAmp_Contrast, 5, kPropertyFlagsManual), kOk);
  std::int32_t value = 0, flags = 0;
  EXPECT_EQ(procAmp_->Get(VideoProcAmp_Brightness, value, flags), kOk);

  EXPECT_EQ(SetBrightness(50), kErrorDeviceInUse);
  EXPECT_EQ(SetBrightness(51), kErrorDeviceInUse);
  EXPECT_EQ(platform_->ReadProperty(kHd, PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness)->value, 128);
  EXPECT_EQ(SetBrightness(52), kOk);
  EXPECT_EQ(platform_->ReadProperty(kHd, PropertyFamily::VideoProcAmp, VideoProcAmp_Brightness)->value, 52);
}

TEST_F(SimulatedFaults, PersistentFaultsLastUntilCleared) {
  ASSERT_TRUE(platform_->FailCall(kHd, CallFault(SimulatedCall::GetRange, kFail).Times(kPersistentFault)));
  std::int32_t a = 0, b = 0, c = 0, d = 0, e = 0;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(procAmp_->GetRange(VideoProcAmp_Gain, a, b, c, d, e), kFail);
  EXPECT_EQ(Query<IAMCameraControl>(filter_)->GetRange(CameraControl_Zoom, a, b, c, d, e), kFail);
  ASSERT_TRUE(platform_->ClearFaults(kHd));
  EXPECT_EQ(procAmp_->GetRange(VideoProcAmp_Gain, a, b, c, d, e), kOk);
}

TEST_F(SimulatedFaults, FaultsReachEveryKindOfCall) {
  struct Case {
    CallFault fault;
    std::function<Result()> call;
  };
  auto pin = FirstPin(filter_);
  const std::vector<Case> cases{
      {CallFault(SimulatedCall::QueryInterface, kUnexpected).ForInterface(Iid::AMCameraControl),
       [&] {
         std::shared_ptr<IAMCameraControl> out;
         return QueryInterfaceAs(filter_, out);
       }},
      {CallFault(SimulatedCall::BindToObject, kOutOfMemory),
       [&] {
         std::shared_ptr<IBaseFilter> out;
         return Monikers(*platform_, guids::VideoInputDeviceCategory).front()->BindToObject(out);
       }},
      {CallFault(SimulatedCall::ReadBagValue, kFail),
       [&] {
         std::shared_ptr<IPropertyBag> bag;
         std::string value;
         Monikers(*platform_, guids::VideoInputDeviceCategory).front()->BindToStorage(bag);
         return bag->Read("FriendlyName", value);
       }},
      {CallFault(SimulatedCall::EnumMediaTypes, kErrorDeviceInUse),
       [&] {
         std::shared_ptr<IEnumMediaTypes> out;
         return pin->EnumMediaTypes(out);
       }},
      {CallFault(SimulatedCall::SetFormat, kErrorNotStopped),
       [&] {
         AmMediaType* current = nullptr;
         Query<IAMStreamConfig>(pin)->GetFormat(current);
         const Result result = Query<IAMStreamConfig>(pin)->SetFormat(*current);
         DeleteMediaType(current);
         return result;
       }},
      {CallFault(SimulatedCall::StartStreaming, kErrorDeviceInUse),
       [&] { return Query<IFrameSource>(pin)->StartStreaming(std::make_shared<CountingSink>()); }},
      {CallFault(SimulatedCall::KsGet, kFail).ForFamily(PropertyFamily::Flash),
       [&] {
         std::uint8_t probe = 0;
         std::uint32_t returned = 0;
         return Query<IKsPropertySet>(filter_)->Get(guids::PropSetIdVidcapCameraControlFlash, 0, nullptr, 0, &probe, 1,
                                                    returned);
       }},
      {CallFault(SimulatedCall::StateChange, kErrorDeviceInUse), [&] { return filter_->Run(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.fault.call));
    ASSERT_TRUE(platform_->FailCall(kHd, c.fault));
    EXPECT_EQ(c.call(), c.fault.result);
    EXPECT_NE(c.call(), c.fault.result) << "a fault without a count fails one call";
    Query<IFrameSource>(pin)->StopStreaming();
  }
}

TEST_F(SimulatedFaults, RemovedInterfacesAreRefusedUntilRestored) {
  ASSERT_TRUE(platform_->RemoveInterface(kHd, Iid::AMVideoProcAmp));
  std::shared_ptr<IAMVideoProcAmp> procAmp;
  EXPECT_EQ(QueryInterfaceAs(filter_, procAmp), kNoInterface);
  EXPECT_NE(Query<IAMCameraControl>(filter_), nullptr);
  ASSERT_TRUE(platform_->RestoreInterface(kHd, Iid::AMVideoProcAmp));
  EXPECT_EQ(QueryInterfaceAs(filter_, procAmp), kOk);

  // Binding asks for the interfaces too.
  ASSERT_TRUE(platform_->RemoveInterface(kHd, Iid::PropertyBag));
  std::shared_ptr<IPropertyBag> bag;
  EXPECT_EQ(Monikers(*platform_, guids::VideoInputDeviceCategory).front()->BindToStorage(bag), kNoInterface);
  ASSERT_TRUE(platform_->RemoveInterface(kHd, Iid::AMStreamConfig));
  EXPECT_EQ(Query<IAMStreamConfig>(FirstPin(filter_)), nullptr);
}

TEST_F(SimulatedFaults, ChangesByAnotherProgramAreWhatTheDriverAnswers) {
  // Even values and flags a driver would never accept from the program: the hook imitates odd drivers.
  ASSERT_TRUE(platform_->SetPropertyExternally(kHd, PropertyFamily::VideoProcAmp, VideoProcAmp_Gain, 999, 3));
  std::int32_t value = 0, flags = 0;
  ASSERT_EQ(procAmp_->Get(VideoProcAmp_Gain, value, flags), kOk);
  EXPECT_EQ(value, 999);
  EXPECT_EQ(flags, 3);

  EXPECT_FALSE(platform_->SetPropertyExternally(kHd, PropertyFamily::VideoProcAmp, VideoProcAmp_Hue, 1, 2));
  EXPECT_FALSE(platform_->SetPropertyExternally(kHd, PropertyFamily::Flash, 0, 1, 2));
  EXPECT_FALSE(platform_->ReadProperty(kHd, PropertyFamily::VideoProcAmp, VideoProcAmp_Hue));
}

TEST_F(SimulatedFaults, HooksAnswerFalseForUnknownDevices) {
  EXPECT_FALSE(platform_->Unplug("sim://nothing"));
  EXPECT_FALSE(platform_->FailCall("sim://nothing", CallFault(SimulatedCall::Get)));
  EXPECT_FALSE(platform_->RemoveInterface("sim://nothing", Iid::Pin));
  EXPECT_FALSE(platform_->ReadProperty("sim://nothing", PropertyFamily::VideoProcAmp, 0));
  // A camera is found by friendly name too, and the built-in devices only by it.
  EXPECT_TRUE(platform_->Unplug("Simulated Laptop Camera"));
  EXPECT_TRUE(platform_->Unplug(kSimulatedMicrophoneName));
  EXPECT_TRUE(BagValues(*platform_, guids::AudioInputDeviceCategory).empty());
}

}  // namespace
}  // namespace tavelo::platform
