#include "camera/platform/graph/WindowlessRenderer.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "camera/platform/graph/FrameConversion.h"

namespace tavelo::platform {
namespace {

constexpr std::uint32_t kVmr9ModeWindowed = 1;
constexpr std::uint32_t kVmr9ModeRenderless = 4;

bool IsOrdered(const Rect& r) { return r.left <= r.right && r.top <= r.bottom; }

}  // namespace

Result WindowlessRenderer::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerInterfaces<IBaseFilter, IVMRFilterConfig9, IVMRWindowlessControl9>(this, iid, out);
}

Result WindowlessRenderer::SetRenderingMode(std::uint32_t mode) {
  if (mode == kVmr9ModeRenderless) return kNotImplemented;
  if (mode != kVmr9ModeWindowed && mode != kVmr9ModeWindowless) return kInvalidArg;
  if (InputConnected()) return kErrorWrongState;
  std::lock_guard lock(mutex_);
  mode_ = mode;
  return kOk;
}

Result WindowlessRenderer::RequireWindowless() const {
  return mode_ == kVmr9ModeWindowless ? kOk : kErrorWrongState;
}

Result WindowlessRenderer::SetVideoClippingWindow(WindowHandle window) {
  std::lock_guard lock(mutex_);
  if (const Result r = RequireWindowless(); Failed(r)) return r;
  if (window == 0) return kInvalidArg;
  clippingWindow_ = window;
  return kOk;
}

Result WindowlessRenderer::SetVideoPosition(const Rect* source, const Rect* destination) {
  std::lock_guard lock(mutex_);
  if (const Result r = RequireWindowless(); Failed(r)) return r;
  if (source == nullptr && destination == nullptr) return kNullPointer;
  if ((source != nullptr && !IsOrdered(*source)) || (destination != nullptr && !IsOrdered(*destination))) {
    return kInvalidArg;
  }
  if (source != nullptr) source_ = *source;
  if (destination != nullptr) destination_ = *destination;
  return kOk;
}

Result WindowlessRenderer::GetVideoPosition(Rect& source, Rect& destination) {
  std::lock_guard lock(mutex_);
  if (const Result r = RequireWindowless(); Failed(r)) return r;
  source = source_;
  destination = destination_;
  return kOk;
}

Result WindowlessRenderer::SetAspectRatioMode(std::uint32_t mode) {
  std::lock_guard lock(mutex_);
  if (const Result r = RequireWindowless(); Failed(r)) return r;
  if (mode != kVmr9ArModeNone && mode != kVmr9ArModeLetterBox) return kInvalidArg;
  aspectRatioMode_ = mode;
  return kOk;
}

Result WindowlessRenderer::GetAspectRatioMode(std::uint32_t& mode) {
  std::lock_guard lock(mutex_);
  if (const Result r = RequireWindowless(); Failed(r)) return r;
  mode = aspectRatioMode_;
  return kOk;
}

Result WindowlessRenderer::SetBorderColor(std::uint32_t color) {
  std::lock_guard lock(mutex_);
  if (const Result r = RequireWindowless(); Failed(r)) return r;
  borderColor_ = color;
  return kOk;
}

Result WindowlessRenderer::GetBorderColor(std::uint32_t& color) {
  std::lock_guard lock(mutex_);
  if (const Result r = RequireWindowless(); Failed(r)) return r;
  color = borderColor_;
  return kOk;
}

Result WindowlessRenderer::GetMaxIdealVideoSize(std::int32_t& width, std::int32_t& height) {
  std::lock_guard lock(mutex_);
  if (const Result r = RequireWindowless(); Failed(r)) return r;
  if (!layout_) return kErrorNotConnected;
  width = layout_->width;
  height = layout_->height;
  return kOk;
}

Result WindowlessRenderer::GetMinIdealVideoSize(std::int32_t& width, std::int32_t& height) {
  std::lock_guard lock(mutex_);
  if (const Result r = RequireWindowless(); Failed(r)) return r;
  if (!layout_) return kErrorNotConnected;
  width = std::max(layout_->width / 4, 1);
  height = std::max(layout_->height / 4, 1);
  return kOk;
}

Result WindowlessRenderer::GetNativeVideoSize(std::int32_t& width, std::int32_t& height, std::int32_t& arWidth,
                                              std::int32_t& arHeight) {
  std::lock_guard lock(mutex_);
  if (const Result r = RequireWindowless(); Failed(r)) return r;
  if (!layout_) return kErrorNotConnected;
  width = layout_->width;
  height = layout_->height;
  const std::int32_t divisor = std::gcd(width, height);
  arWidth = width / divisor;
  arHeight = height / divisor;
  return kOk;
}

Result WindowlessRenderer::GetCurrentImage(std::uint8_t*& dib) {
  dib = nullptr;
  std::shared_ptr<IMediaSample> sample;
  FrameLayout layout;
  {
    std::lock_guard lock(mutex_);
    if (const Result r = RequireWindowless(); Failed(r)) return r;
    if (!layout_) return kErrorNotConnected;
    if (!latest_) return kErrorNoFrameYet;
    sample = latest_;
    layout = *layout_;
  }
  // Samples are immutable, so the conversion runs without the lock while new frames keep arriving.
  const std::size_t pixelBytes = static_cast<std::size_t>(layout.width) * layout.height * 4;
  auto* block = static_cast<std::uint8_t*>(TaskMemAlloc(sizeof(BitmapInfoHeader) + pixelBytes));
  if (block == nullptr) return kOutOfMemory;
  BitmapInfoHeader header;
  header.biWidth = layout.width;
  header.biHeight = layout.height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = 0;
  header.biSizeImage = static_cast<std::uint32_t>(pixelBytes);
  std::memcpy(block, &header, sizeof header);
  // The pixels go straight into the block the caller receives: its one allocation is the only one.
  bool converted = false;
  {
    std::lock_guard lock(conversionMutex_);
    converted = ConvertToBottomUpBgra(layout, sample->Data(),
                                      static_cast<std::size_t>(std::max(sample->ActualDataLength(), 0)),
                                      block + sizeof header, decoder_);
  }
  if (!converted) {
    TaskMemFree(block);
    return kErrorInvalidMediaType;
  }
  dib = block;
  return kOk;
}

void WindowlessRenderer::Receive(const std::shared_ptr<IMediaSample>& sample) {
  std::lock_guard lock(mutex_);
  latest_ = sample;
}

WindowHandle WindowlessRenderer::ClippingWindow() const {
  std::lock_guard lock(mutex_);
  return clippingWindow_;
}

Result WindowlessRenderer::AcceptsInput(const AmMediaType& mediaType) {
  return FrameLayoutOf(mediaType) ? kOk : kErrorInvalidMediaType;
}

void WindowlessRenderer::OnConnectionChanged(const std::optional<OwnedMediaType>& mediaType) {
  std::lock_guard lock(mutex_);
  layout_ = mediaType ? FrameLayoutOf(mediaType->Get()) : std::nullopt;
  latest_.reset();
  if (layout_) source_ = Rect{0, 0, layout_->width, layout_->height};
}

}  // namespace tavelo::platform
