#include "camera/platform/media/CompressorFilter.h"

namespace tavelo::platform::media {

CompressorFilter::CompressorFilter(EncoderChoice choice)
    : GraphFilter(choice.friendlyName, true), choice_(std::move(choice)) {}

Result CompressorFilter::QueryInterface(Iid iid, std::shared_ptr<void>& out) {
  return AnswerInterfaces<IBaseFilter>(this, iid, out);
}

void CompressorFilter::OnConnectionChanged(const std::optional<OwnedMediaType>& mediaType) {
  std::lock_guard lock(mutex_);
  Close();
  failed_ = false;
  if (mediaType) DescribeStream(mediaType->Get(), input_);
}

Result CompressorFilter::OnStateChange(FilterState state) {
  if (state == FilterState::Running) {
    std::lock_guard lock(mutex_);
    Close();
    failed_ = false;
  }
  return kOk;
}

}  // namespace tavelo::platform::media
