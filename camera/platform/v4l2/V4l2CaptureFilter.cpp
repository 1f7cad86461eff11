#include "camera/platform/v4l2/V4l2CaptureFilter.h"

#include "camera/platform/v4l2/V4l2Enumerators.h"
#include "camera/platform/v4l2/V4l2PropertyInterfaces.h"

namespace tavelo::platform::v4l2 {

V4l2CaptureFilter::V4l2CaptureFilter(std::shared_ptr<V4l2Device> device, std::string friendlyName)
    : device_(std::move(device)),
      friendlyName_(std::move(friendlyName)),
      pin_(std::make_shared<V4l2CapturePin>(device_)) {}

Result V4l2CaptureFilter::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  switch (iid) {
    case Iid::AMVideoProcAmp:
      out = std::static_pointer_cast<IAMVideoProcAmp>(std::make_shared<V4l2VideoProcAmp>(device_));
      return kOk;
    case Iid::AMCameraControl:
      out = std::static_pointer_cast<IAMCameraControl>(std::make_shared<V4l2CameraControl>(device_));
      return kOk;
    default:
      return AnswerInterfaces<IBaseFilter, IKsPropertySet, ISpecifyPropertyPages>(this, iid, out);
  }
}

Result V4l2CaptureFilter::EnumPins(std::shared_ptr<IEnumPins>& out) {
  out = std::make_shared<ListEnumerator<IEnumPins, IPin>>(std::vector<std::shared_ptr<IPin>>{pin_});
  return kOk;
}

Result V4l2CaptureFilter::QueryFilterInfo(FilterInfo& out) {
  std::lock_guard lock(mutex_);
  out.name = nameInGraph_.empty() ? friendlyName_ : nameInGraph_;
  out.graph = graph_.lock();
  return kOk;
}

Result V4l2CaptureFilter::JoinFilterGraph(const std::shared_ptr<IGraphBuilder>& graph, const std::string& name) {
  std::lock_guard lock(mutex_);
  graph_ = graph;
  nameInGraph_ = graph ? name : std::string();
  return kOk;
}

// The filter's state is bookkeeping for the graph; frames flow when a sink starts the pin's stream.
Result V4l2CaptureFilter::Run() {
  std::lock_guard lock(mutex_);
  state_ = FilterState::Running;
  return kOk;
}

Result V4l2CaptureFilter::Pause() {
  std::lock_guard lock(mutex_);
  state_ = FilterState::Paused;
  return kOk;
}

// A stopped filter delivers nothing, whoever started the stream.
Result V4l2CaptureFilter::Stop() {
  pin_->StopStreaming();
  std::lock_guard lock(mutex_);
  state_ = FilterState::Stopped;
  return kOk;
}

Result V4l2CaptureFilter::GetState(std::uint32_t, FilterState& out) {
  std::lock_guard lock(mutex_);
  out = state_;
  return kOk;
}

Result V4l2CaptureFilter::Get(const Guid&, std::uint32_t, const void*, std::uint32_t, void*, std::uint32_t,
                              std::uint32_t& bytesReturned) {
  bytesReturned = 0;
  return kErrorSetNotFound;
}

Result V4l2CaptureFilter::Set(const Guid&, std::uint32_t, const void*, std::uint32_t, const void*, std::uint32_t) {
  return kErrorSetNotFound;
}

Result V4l2CaptureFilter::GetPages(std::vector<Guid>& pages) {
  pages = {guids::CameraSettingsPage};
  return kOk;
}

}  // namespace tavelo::platform::v4l2
