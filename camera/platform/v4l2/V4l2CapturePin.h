#pragma once

// The capture pin of a V4L2 camera: its media types (the node's formats), its category, its stream
// format (G_FMT/S_FMT with G_PARM/S_PARM) and its frames.

#include <memory>

#include "camera/platform/Interfaces.h"
#include "camera/platform/v4l2/V4l2Device.h"
#include "camera/platform/v4l2/V4l2Streamer.h"

namespace tavelo::platform::v4l2 {

class V4l2CapturePin final : public IPin,
                             public IKsPropertySet,
                             public IAMStreamConfig,
                             public IFrameSource,
                             public ISpecifyPropertyPages {
 public:
  explicit V4l2CapturePin(std::shared_ptr<V4l2Device> device);
  ~V4l2CapturePin() override;

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;

  // IPin
  Result QueryDirection(PinDirection& out) override;
  Result QueryId(std::string& out) override;
  Result EnumMediaTypes(std::shared_ptr<IEnumMediaTypes>& out) override;

  // IKsPropertySet: the pin category, nothing else.
  Result Get(const Guid& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
             void* propertyData, std::uint32_t dataLength, std::uint32_t& bytesReturned) override;
  Result Set(const Guid& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
             const void* propertyData, std::uint32_t dataLength) override;

  // IAMStreamConfig
  Result GetFormat(AmMediaType*& out) override;
  // Takes only a media type the pin lists; answers the driver's refusal (EBUSY while another program
  // streams) rather than pretending.
  Result SetFormat(const AmMediaType& mediaType) override;

  // IFrameSource
  Result GetStreamMediaType(AmMediaType& out) override;
  Result StartStreaming(std::shared_ptr<IFrameSink> sink) override;
  Result StopStreaming() override;

  // ISpecifyPropertyPages: the stream format page.
  Result GetPages(std::vector<Guid>& pages) override;

 private:
  Result CurrentMediaType(AmMediaType& out);

  std::shared_ptr<V4l2Device> device_;
  V4l2Streamer streamer_;
};

}  // namespace tavelo::platform::v4l2
