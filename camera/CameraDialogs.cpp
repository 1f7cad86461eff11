// TFCamera: the driver's property dialogs. They need a selected, present camera but no active graph:
// the pages talk to the driver directly, and what the user changes there is read back by the caller.

#include "camera/FCamera.h"

using namespace tavelo::platform;

void TFCamera::ShowPropertyDialog() {
  CheckDevice();
  ShowPropertyPages(CaptureFilter());
}

void TFCamera::ShowStreamPropertyDialog() {
  CheckDevice();
  const auto builder = CaptureGraphBuilder2();
  CheckInterface(builder.get(), QStringLiteral("ICaptureGraphBuilder2"));
  std::shared_ptr<void> found;
  CheckResult(builder->FindInterface(&guids::PinCategoryCapture, &guids::MediaTypeVideo, CaptureFilter(),
                                     Iid::AMStreamConfig, found));
  CheckInterface(found.get(), QStringLiteral("IAMStreamConfig"));
  ShowPropertyPages(std::static_pointer_cast<IAMStreamConfig>(found));
}

void TFCamera::ShowPropertyPages(const std::shared_ptr<Unknown>& object) {
  // The query's own result first: an object that refuses the interface fails here, before the check
  // for an object that answered success without one.
  std::shared_ptr<void> found;
  CheckResult(object->QueryInterface(Iid::SpecifyPropertyPages, found));
  CheckInterface(found.get(), QStringLiteral("ISpecifyPropertyPages"));
  const auto specifyPages = std::static_pointer_cast<ISpecifyPropertyPages>(found);

  PropertyFrameRequest request;
  CheckResult(specifyPages->GetPages(request.pages));
  {
    // The caption is the camera's name even for the stream's pages; the graph reference the
    // information carries is dropped at once.
    FilterInfo info;
    CheckResult(CaptureFilter()->QueryFilterInfo(info));
    request.caption = std::move(info.name);
  }
  request.objects.push_back(object);
  request.x = 0;
  request.y = 0;
  CheckResult(FPlatform->CreatePropertyFrame(request));
}
