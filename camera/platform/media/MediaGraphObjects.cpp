#include "camera/platform/media/MediaGraphObjects.h"

#include "camera/platform/graph/CaptureGraphBuilder.h"
#include "camera/platform/graph/GraphObjects.h"
#include "camera/platform/media/CaptureFileMux.h"
#include "camera/platform/media/FfmpegTypes.h"

namespace tavelo::platform::media {

Result CreateMediaGraphObject(const Guid& clsid, Iid iid, std::shared_ptr<void>& out) {
  out.reset();
  KeepFfmpegQuiet();
  if (clsid == guids::CaptureGraphBuilder2) {
    return std::make_shared<CaptureGraphBuilder>(MakeCaptureFile)->QueryInterface(iid, out);
  }
  return CreateGraphObject(clsid, iid, out);
}

}  // namespace tavelo::platform::media
