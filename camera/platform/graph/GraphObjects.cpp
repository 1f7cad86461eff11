#include "camera/platform/graph/GraphObjects.h"

#include "camera/platform/graph/CaptureGraphBuilder.h"
#include "camera/platform/graph/FilterGraph.h"
#include "camera/platform/graph/NullRenderer.h"
#include "camera/platform/graph/SampleGrabber.h"
#include "camera/platform/graph/WindowlessRenderer.h"

namespace tavelo::platform {

Result CreateGraphObject(const Guid& clsid, Iid iid, std::shared_ptr<void>& out) {
  out.reset();
  std::shared_ptr<Unknown> object;
  if (clsid == guids::FilterGraph) {
    object = std::make_shared<FilterGraph>();
  } else if (clsid == guids::CaptureGraphBuilder2) {
    object = std::make_shared<CaptureGraphBuilder>();
  } else if (clsid == guids::SampleGrabber) {
    object = std::static_pointer_cast<IBaseFilter>(std::make_shared<SampleGrabber>());
  } else if (clsid == guids::NullRenderer) {
    object = std::static_pointer_cast<IBaseFilter>(std::make_shared<NullRenderer>());
  } else if (clsid == guids::VideoMixingRenderer9) {
    object = std::static_pointer_cast<IBaseFilter>(std::make_shared<WindowlessRenderer>());
  } else {
    return kClassNotRegistered;
  }
  return object->QueryInterface(iid, out);
}

}  // namespace tavelo::platform
