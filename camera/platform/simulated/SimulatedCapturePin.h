#pragma once

// The capture pin of a simulated camera: its category (through IKsPropertySet), its media types, the
// stream format (IAMStreamConfig; the first offered type until another is chosen), its property page,
// and the frames themselves (IFrameSource), which the shared graph objects pull through.

#include <memory>
#include <mutex>

#include "camera/platform/Interfaces.h"
#include "camera/platform/simulated/DeviceObject.h"
#include "camera/platform/simulated/FrameStreamer.h"

namespace tavelo::platform::simulated {

class SimulatedCapturePin final : public IPin,
                                  public IKsPropertySet,
                                  public IAMStreamConfig,
                                  public IFrameSource,
                                  public ISpecifyPropertyPages,
                                  private DeviceObject {
 public:
  SimulatedCapturePin(std::shared_ptr<SimulatedDevice> device, std::uint64_t session);
  ~SimulatedCapturePin() override;

  Result QueryInterface(Iid iid, std::shared_ptr<void>& out) override;

  // IPin
  Result QueryDirection(PinDirection& out) override;
  Result QueryId(std::string& out) override;
  Result EnumMediaTypes(std::shared_ptr<IEnumMediaTypes>& out) override;

  // IKsPropertySet: the pin category (read only)
  Result Get(const Guid& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
             void* propertyData, std::uint32_t dataLength, std::uint32_t& bytesReturned) override;
  Result Set(const Guid& propSet, std::uint32_t id, const void* instanceData, std::uint32_t instanceLength,
             const void* propertyData, std::uint32_t dataLength) override;

  // IAMStreamConfig
  Result GetFormat(AmMediaType*& out) override;
  Result SetFormat(const AmMediaType& mediaType) override;

  // IFrameSource
  Result GetStreamMediaType(AmMediaType& out) override;
  Result StartStreaming(std::shared_ptr<IFrameSink> sink) override;
  Result StopStreaming() override;

  // ISpecifyPropertyPages
  Result GetPages(std::vector<Guid>& pages) override;

 private:
  std::mutex streamMutex_;
  std::unique_ptr<FrameStreamer> streamer_;
};

}  // namespace tavelo::platform::simulated
