// TFCamera: the renderer path's preview geometry. Aspect-ratio mode and border colour are kept in the
// component so that a value chosen before activation reaches the renderer when the graph is built;
// sizes and rectangles belong to the renderer and are asked of it each time.

#include "camera/FCamera.h"

using namespace tavelo::platform;

void TFCamera::CheckVmr9() {
  CheckActive();
  Check(CaptureType() == TFCaptureType::ctVmr9, CameraMessages::Vmr9Required);
}

IVMRWindowlessControl9& TFCamera::LiveRenderer() {
  CheckVmr9();
  const auto windowless = VMRWindowlessControl9();
  CheckInterface(windowless.get(), QStringLiteral("IVMRWindowlessControl9"));
  return *windowless;
}

bool TFCamera::AspectRatio() {
  if (!PreviewSettingsAreLive()) return FAspectRatio;
  std::uint32_t mode = kVmr9ArModeNone;
  CheckResult(LiveRenderer().GetAspectRatioMode(mode));
  return mode == kVmr9ArModeLetterBox;
}

void TFCamera::SetAspectRatio(bool value) {
  if (value != AspectRatio() && PreviewSettingsAreLive())
    CheckResult(LiveRenderer().SetAspectRatioMode(value ? kVmr9ArModeLetterBox : kVmr9ArModeNone));
  FAspectRatio = value;
}

TAlphaColor TFCamera::BorderColor() {
  if (!PreviewSettingsAreLive()) return FBorderColor;
  std::uint32_t color = 0;
  CheckResult(LiveRenderer().GetBorderColor(color));
  return color;
}

void TFCamera::SetBorderColor(TAlphaColor value) {
  if (value != BorderColor() && PreviewSettingsAreLive()) CheckResult(LiveRenderer().SetBorderColor(value));
  FBorderColor = value;
}

TFPoint TFCamera::MaxIdealVideoSize() {
  TFPoint size;
  CheckResult(LiveRenderer().GetMaxIdealVideoSize(size.X, size.Y));
  return size;
}

TFPoint TFCamera::MinIdealVideoSize() {
  TFPoint size;
  CheckResult(LiveRenderer().GetMinIdealVideoSize(size.X, size.Y));
  return size;
}

TFPoint TFCamera::NativeVideoSize() {
  TFPoint size, aspectRatio;
  CheckResult(LiveRenderer().GetNativeVideoSize(size.X, size.Y, aspectRatio.X, aspectRatio.Y));
  return size;
}

TFPoint TFCamera::NativeAspectRatio() {
  TFPoint size, aspectRatio;
  CheckResult(LiveRenderer().GetNativeVideoSize(size.X, size.Y, aspectRatio.X, aspectRatio.Y));
  return aspectRatio;
}

TFRect TFCamera::VideoPositionSource() {
  TFRect source, destination;
  CheckResult(LiveRenderer().GetVideoPosition(source, destination));
  return source;
}

void TFCamera::SetVideoPositionSource(const TFRect& value) {
  CheckResult(LiveRenderer().SetVideoPosition(&value, nullptr));
}

TFRect TFCamera::VideoPositionDest() {
  TFRect source, destination;
  CheckResult(LiveRenderer().GetVideoPosition(source, destination));
  return destination;
}

void TFCamera::SetVideoPositionDest(const TFRect& value) {
  CheckResult(LiveRenderer().SetVideoPosition(nullptr, &value));
}
