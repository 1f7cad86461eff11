// TFCamera: the camera's image and lens properties. One set of routines serves both property interfaces
// (video processing amplifier, camera control); the property table in CameraProperties.h names the
// interface and id of every ranged property. Nothing is cached: every read asks the driver and every
// write goes to it at once.

#include <array>
#include <utility>

#include "camera/FCamera.h"

using namespace tavelo::platform;

namespace {

// ---- The two ranged property interfaces ----------------------------------------------------------

QString InterfaceName(TFPropertyInterface family) {
  return family == TFPropertyInterface::VideoProcAmp ? QStringLiteral("IAMVideoProcAmp")
                                                     : QStringLiteral("IAMCameraControl");
}

std::shared_ptr<IRangedPropertyInterface> PropertyInterface(TFCamera& camera, TFPropertyInterface family) {
  if (family == TFPropertyInterface::VideoProcAmp) return camera.AMVideoProcAmp();
  return camera.AMCameraControl();
}

// The interface, or EFCameraError naming it when the camera lacks it.
std::shared_ptr<IRangedPropertyInterface> CheckedInterface(TFCamera& camera, TFPropertyInterface family) {
  camera.CheckDevice();
  auto properties = PropertyInterface(camera, family);
  TFCamera::CheckInterface(properties.get(), InterfaceName(family));
  return properties;
}

struct DriverSetting {
  std::int32_t Value = 0;
  std::int32_t Flags = 0;
};

DriverSetting ReadSetting(TFCamera& camera, IRangedPropertyInterface& properties, std::int32_t id) {
  DriverSetting setting;
  camera.CheckResult(properties.Get(id, setting.Value, setting.Flags));
  return setting;
}

std::int32_t ReadValue(TFCamera& camera, TFPropertyInterface family, std::int32_t id) {
  return ReadSetting(camera, *CheckedInterface(camera, family), id).Value;
}

// Keeps the current mode: a value written while automatic is sent with the automatic flag.
void WriteValue(TFCamera& camera, TFPropertyInterface family, std::int32_t id, std::int32_t value) {
  const auto properties = CheckedInterface(camera, family);
  const DriverSetting current = ReadSetting(camera, *properties, id);
  camera.CheckResult(properties->Set(id, value, current.Flags));
}

bool ReadAuto(TFCamera& camera, TFPropertyInterface family, std::int32_t id) {
  // Only "automatic" alone counts; a driver reporting both bits is not in automatic mode.
  return ReadSetting(camera, *CheckedInterface(camera, family), id).Flags == kPropertyFlagsAuto;
}

void WriteAuto(TFCamera& camera, TFPropertyInterface family, std::int32_t id, bool automatic) {
  const auto properties = CheckedInterface(camera, family);
  const DriverSetting current = ReadSetting(camera, *properties, id);
  camera.CheckResult(properties->Set(id, current.Value, automatic ? kPropertyFlagsAuto : kPropertyFlagsManual));
}

TFRange ReadRange(TFCamera& camera, TFPropertyInterface family, std::int32_t id) {
  const auto properties = CheckedInterface(camera, family);
  TFRange range;
  std::int32_t capabilities = 0;
  camera.CheckResult(properties->GetRange(id, range.Min, range.Max, range.Delta, range.Default, capabilities));
  range.Auto = (capabilities & kPropertyFlagsAuto) != 0;
  range.Manual = (capabilities & kPropertyFlagsManual) != 0;
  return range;
}

// Only the two "not supported" codes say no; any other answer, even a failure, means the driver knows
// the property. A camera without the interface has none of its properties.
bool ReadSupported(TFCamera& camera, TFPropertyInterface family, std::int32_t id) {
  camera.CheckDevice();
  const auto properties = PropertyInterface(camera, family);
  if (!properties) return false;
  std::int32_t value = 0, flags = 0;
  return !TFCamera::IsUnsupported(properties->Get(id, value, flags));
}

// ---- Enumerations mapped onto driver numbers --------------------------------------------------------

template <class E, std::size_t N>
struct DriverMapping {
  std::array<std::pair<std::int64_t, E>, N> Pairs;
  E UnknownValue;          // a driver number outside the table
  std::int64_t UnknownNumber;  // an enumeration value outside the table

  E FromDriver(std::int64_t number) const {
    for (const auto& [driverNumber, value] : Pairs)
      if (driverNumber == number) return value;
    return UnknownValue;
  }
  std::int64_t ToDriver(E value) const {
    for (const auto& [driverNumber, mapped] : Pairs)
      if (mapped == value) return driverNumber;
    return UnknownNumber;
  }
};

constexpr DriverMapping<TFPowerLineFrequency, 4> kPowerLineFrequencyMapping{
    {{{0, TFPowerLineFrequency::pfDisabled},
      {1, TFPowerLineFrequency::pf50Hz},
      {2, TFPowerLineFrequency::pf60Hz},
      {3, TFPowerLineFrequency::pfAuto}}},
    TFPowerLineFrequency::pfUnknown,
    0};

constexpr DriverMapping<TFScanMode, 2> kScanModeMapping{
    {{{0, TFScanMode::smInterlace}, {1, TFScanMode::smProgressive}}}, TFScanMode::smUnknown, 0};

// Capability words: an unknown control is written as automatic.
constexpr DriverMapping<TFFlashControl, 2> kFlashControlMapping{
    {{{1, TFFlashControl::fcAuto}, {2, TFFlashControl::fcManual}}}, TFFlashControl::fcUnknown, 1};

constexpr DriverMapping<TFFlashMode, 3> kFlashModeMapping{
    {{{0, TFFlashMode::fmOff}, {1, TFFlashMode::fmOn}, {2, TFFlashMode::fmAuto}}}, TFFlashMode::fmUnknown, 0};

constexpr DriverMapping<TFVideoStabilizationControl, 2> kStabilizationControlMapping{
    {{{1, TFVideoStabilizationControl::vcAuto}, {2, TFVideoStabilizationControl::vcManual}}},
    TFVideoStabilizationControl::vcUnknown,
    1};

constexpr DriverMapping<TFVideoStabilizationMode, 5> kStabilizationModeMapping{
    {{{0, TFVideoStabilizationMode::vmOff},
      {1, TFVideoStabilizationMode::vmHigh},
      {2, TFVideoStabilizationMode::vmMedium},
      {3, TFVideoStabilizationMode::vmLow},
      {4, TFVideoStabilizationMode::vmAuto}}},
    TFVideoStabilizationMode::vmUnknown,
    0};

// ---- Flash and video stabilisation: 8-byte records of a kernel-streaming property set -----------------

struct KsControlRecord {
  std::uint32_t Mode = 0;
  std::uint32_t Capability = 0;
};
static_assert(sizeof(KsControlRecord) == 8);

enum class KsWord { Mode, Capability };

constexpr std::uint32_t kKsControlProperty = 0;

// These sets report failures as the system's message for the code, not the media error text.
void CheckSystem(Result result) {
  if (Failed(result)) throw EOleSysError::FromSystem(result);
}

std::shared_ptr<IKsPropertySet> KsPropertySetOf(TFCamera& camera) {
  camera.CheckDevice();
  std::shared_ptr<IKsPropertySet> properties;
  CheckSystem(QueryInterfaceAs(camera.CaptureFilter(), properties));
  return properties;
}

KsControlRecord ReadRecord(IKsPropertySet& properties, const Guid& propertySet) {
  KsControlRecord record;
  std::uint32_t bytesReturned = 0;
  CheckSystem(properties.Get(propertySet, kKsControlProperty, nullptr, 0, &record, sizeof record, bytesReturned));
  return record;
}

std::uint32_t ReadKsWord(TFCamera& camera, const Guid& propertySet, KsWord word) {
  const KsControlRecord record = ReadRecord(*KsPropertySetOf(camera), propertySet);
  return word == KsWord::Mode ? record.Mode : record.Capability;
}

void WriteKsWord(TFCamera& camera, const Guid& propertySet, KsWord word, std::uint32_t value) {
  const auto properties = KsPropertySetOf(camera);
  KsControlRecord record = ReadRecord(*properties, propertySet);
  (word == KsWord::Mode ? record.Mode : record.Capability) = value;
  CheckSystem(properties->Set(propertySet, kKsControlProperty, nullptr, 0, &record, sizeof record));
}

// A one-byte buffer: a driver that has the property answers "buffer too small", which counts as yes.
bool KsSetSupported(TFCamera& camera, const Guid& propertySet) {
  const auto properties = KsPropertySetOf(camera);
  std::uint8_t probe = 0;
  std::uint32_t bytesReturned = 0;
  return !TFCamera::IsUnsupported(
      properties->Get(propertySet, kKsControlProperty, nullptr, 0, &probe, sizeof probe, bytesReturned));
}

constexpr TFPropertyInterface kProcAmp = TFPropertyInterface::VideoProcAmp;
constexpr TFPropertyInterface kCameraControl = TFPropertyInterface::CameraControl;
const Guid& kFlashSet = guids::PropSetIdVidcapCameraControlFlash;
const Guid& kStabilizationSet = guids::PropSetIdVidcapCameraControlVideoStabilization;

}  // namespace

// ---- The ranged properties of the table ------------------------------------------------------------

std::int32_t TFCamera::PropertyValue(TFCameraProperty property) {
  const TFPropertyInfo& info = PropertyInfo(property);
  return ReadValue(*this, info.Interface, info.Id);
}

void TFCamera::SetPropertyValue(TFCameraProperty property, std::int32_t value) {
  const TFPropertyInfo& info = PropertyInfo(property);
  WriteValue(*this, info.Interface, info.Id, value);
}

bool TFCamera::PropertyAuto(TFCameraProperty property) {
  const TFPropertyInfo& info = PropertyInfo(property);
  return ReadAuto(*this, info.Interface, info.Id);
}

void TFCamera::SetPropertyAuto(TFCameraProperty property, bool value) {
  const TFPropertyInfo& info = PropertyInfo(property);
  WriteAuto(*this, info.Interface, info.Id, value);
}

TFRange TFCamera::PropertyRange(TFCameraProperty property) {
  const TFPropertyInfo& info = PropertyInfo(property);
  return ReadRange(*this, info.Interface, info.Id);
}

bool TFCamera::PropertySupported(TFCameraProperty property) {
  const TFPropertyInfo& info = PropertyInfo(property);
  return ReadSupported(*this, info.Interface, info.Id);
}

// ---- Mapped properties ------------------------------------------------------------------------------

TFPowerLineFrequency TFCamera::PowerLineFrequency() {
  return kPowerLineFrequencyMapping.FromDriver(ReadValue(*this, kProcAmp, VideoProcAmp_PowerLineFrequency));
}

void TFCamera::SetPowerLineFrequency(TFPowerLineFrequency value) {
  WriteValue(*this, kProcAmp, VideoProcAmp_PowerLineFrequency,
             static_cast<std::int32_t>(kPowerLineFrequencyMapping.ToDriver(value)));
}

bool TFCamera::PowerLineFrequencyAuto() { return ReadAuto(*this, kProcAmp, VideoProcAmp_PowerLineFrequency); }

void TFCamera::SetPowerLineFrequencyAuto(bool value) {
  WriteAuto(*this, kProcAmp, VideoProcAmp_PowerLineFrequency, value);
}

bool TFCamera::PowerLineFrequencySupported() {
  return ReadSupported(*this, kProcAmp, VideoProcAmp_PowerLineFrequency);
}

bool TFCamera::ColorEnabled() { return ColorEnable() != 0; }

void TFCamera::SetColorEnabled(bool value) { SetColorEnable(value ? 1 : 0); }

TFScanMode TFCamera::ScanMode() {
  return kScanModeMapping.FromDriver(ReadValue(*this, kCameraControl, CameraControl_ScanMode));
}

void TFCamera::SetScanMode(TFScanMode value) {
  WriteValue(*this, kCameraControl, CameraControl_ScanMode, static_cast<std::int32_t>(kScanModeMapping.ToDriver(value)));
}

bool TFCamera::ScanModeAuto() { return ReadAuto(*this, kCameraControl, CameraControl_ScanMode); }

void TFCamera::SetScanModeAuto(bool value) { WriteAuto(*this, kCameraControl, CameraControl_ScanMode, value); }

std::int32_t TFCamera::FocalLength() { return ReadValue(*this, kCameraControl, CameraControl_FocalLength); }

// ---- Flash and video stabilisation -------------------------------------------------------------------

TFFlashControl TFCamera::FlashControl() {
  return kFlashControlMapping.FromDriver(ReadKsWord(*this, kFlashSet, KsWord::Capability));
}

void TFCamera::SetFlashControl(TFFlashControl value) {
  WriteKsWord(*this, kFlashSet, KsWord::Capability, static_cast<std::uint32_t>(kFlashControlMapping.ToDriver(value)));
}

bool TFCamera::FlashControlSupported() { return KsSetSupported(*this, kFlashSet); }

TFFlashMode TFCamera::FlashMode() { return kFlashModeMapping.FromDriver(ReadKsWord(*this, kFlashSet, KsWord::Mode)); }

void TFCamera::SetFlashMode(TFFlashMode value) {
  WriteKsWord(*this, kFlashSet, KsWord::Mode, static_cast<std::uint32_t>(kFlashModeMapping.ToDriver(value)));
}

bool TFCamera::FlashModeSupported() { return KsSetSupported(*this, kFlashSet); }

TFVideoStabilizationControl TFCamera::VideoStabilizationControl() {
  return kStabilizationControlMapping.FromDriver(ReadKsWord(*this, kStabilizationSet, KsWord::Capability));
}

void TFCamera::SetVideoStabilizationControl(TFVideoStabilizationControl value) {
  WriteKsWord(*this, kStabilizationSet, KsWord::Capability,
              static_cast<std::uint32_t>(kStabilizationControlMapping.ToDriver(value)));
}

bool TFCamera::VideoStabilizationControlSupported() { return KsSetSupported(*this, kStabilizationSet); }

TFVideoStabilizationMode TFCamera::VideoStabilizationMode() {
  return kStabilizationModeMapping.FromDriver(ReadKsWord(*this, kStabilizationSet, KsWord::Mode));
}

void TFCamera::SetVideoStabilizationMode(TFVideoStabilizationMode value) {
  WriteKsWord(*this, kStabilizationSet, KsWord::Mode,
              static_cast<std::uint32_t>(kStabilizationModeMapping.ToDriver(value)));
}

bool TFCamera::VideoStabilizationModeSupported() { return KsSetSupported(*this, kStabilizationSet); }
