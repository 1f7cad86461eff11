#pragma once

// The renderer of the VideoMixingRenderer9 class, in the windowless mode the camera component uses. It
// keeps the latest frame and hands it out as a packed bitmap (GetCurrentImage); the clipping window,
// video position, aspect-ratio mode and border colour are kept for whoever draws the preview. Nothing
// is drawn into the window itself.

#include <memory>
#include <mutex>
#include <optional>

#include "camera/platform/common/FrameLayout.h"
#include "camera/platform/common/JpegCodec.h"
#include "camera/platform/graph/GraphFilter.h"

namespace tavelo::platform {

class WindowlessRenderer final : public GraphFilter, public IVMRFilterConfig9, public IVMRWindowlessControl9 {
 public:
  WindowlessRenderer() : GraphFilter("Video Mixing Renderer 9", false) {}

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;

  // IVMRFilterConfig9: windowed (1) and windowless (2); the mode is fixed once connected.
  Result SetRenderingMode(std::uint32_t mode) override;

  // IVMRWindowlessControl9: every call needs windowless mode first (kErrorWrongState otherwise).
  Result SetVideoClippingWindow(WindowHandle window) override;
  Result SetVideoPosition(const Rect* source, const Rect* destination) override;
  Result GetVideoPosition(Rect& source, Rect& destination) override;
  Result SetAspectRatioMode(std::uint32_t mode) override;
  Result GetAspectRatioMode(std::uint32_t& mode) override;
  Result SetBorderColor(std::uint32_t color) override;
  Result GetBorderColor(std::uint32_t& color) override;
  // Ideal sizes: the native size at most, a quarter of it at least.
  Result GetMaxIdealVideoSize(std::int32_t& width, std::int32_t& height) override;
  Result GetMinIdealVideoSize(std::int32_t& width, std::int32_t& height) override;
  Result GetNativeVideoSize(std::int32_t& width, std::int32_t& height, std::int32_t& arWidth,
                            std::int32_t& arHeight) override;
  // A 40-byte bitmap info header (32 bits per pixel, positive height) followed by the pixels, bottom row
  // first; TaskMemAlloc'd. kErrorNoFrameYet before the first frame.
  Result GetCurrentImage(std::uint8_t*& dib) override;

  // IFrameSink (streaming thread)
  void Receive(const std::shared_ptr<IMediaSample>& sample) override;

  WindowHandle ClippingWindow() const;

 protected:
  Result AcceptsInput(const AmMediaType& mediaType) override;
  void OnConnectionChanged(const std::optional<OwnedMediaType>& mediaType) override;

 private:
  Result RequireWindowless() const;  // with mutex_ held

  mutable std::mutex mutex_;
  std::uint32_t mode_ = 1;  // windowed until told otherwise, as a new renderer is
  WindowHandle clippingWindow_ = 0;
  Rect source_;
  Rect destination_;
  std::uint32_t aspectRatioMode_ = kVmr9ArModeNone;
  std::uint32_t borderColor_ = 0;
  std::optional<FrameLayout> layout_;
  std::shared_ptr<IMediaSample> latest_;

  // The current image's conversion, apart from mutex_ so frames keep arriving while it runs; the
  // decoder keeps its state from request to request.
  std::mutex conversionMutex_;
  JpegDecoder decoder_;
};

}  // namespace tavelo::platform
