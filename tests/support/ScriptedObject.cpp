#include "tests/support/ScriptedObject.h"

namespace tavelo::scripted {

std::string IidName(platform::Iid iid) {
  using platform::Iid;
  switch (iid) {
    case Iid::Unknown: return "Unknown";
    case Iid::CreateDevEnum: return "CreateDevEnum";
    case Iid::EnumMoniker: return "EnumMoniker";
    case Iid::Moniker: return "Moniker";
    case Iid::PropertyBag: return "PropertyBag";
    case Iid::BaseFilter: return "BaseFilter";
    case Iid::EnumPins: return "EnumPins";
    case Iid::Pin: return "Pin";
    case Iid::EnumMediaTypes: return "EnumMediaTypes";
    case Iid::GraphBuilder: return "GraphBuilder";
    case Iid::MediaControl: return "MediaControl";
    case Iid::MediaEvent: return "MediaEvent";
    case Iid::CaptureGraphBuilder2: return "CaptureGraphBuilder2";
    case Iid::AMStreamConfig: return "StreamConfig";
    case Iid::AMVideoProcAmp: return "VideoProcAmp";
    case Iid::AMCameraControl: return "CameraControl";
    case Iid::AMVideoControl: return "VideoControl";
    case Iid::KsPropertySet: return "KsPropertySet";
    case Iid::SampleGrabber: return "SampleGrabber";
    case Iid::SampleGrabberCB: return "SampleGrabberCB";
    case Iid::MediaSample: return "MediaSample";
    case Iid::VMRFilterConfig9: return "VMRFilterConfig9";
    case Iid::VMRWindowlessControl9: return "VMRWindowlessControl9";
    case Iid::SpecifyPropertyPages: return "SpecifyPropertyPages";
    case Iid::FileSinkFilter: return "FileSinkFilter";
    case Iid::FrameSource: return "FrameSource";
    case Iid::DeviceControls: return "DeviceControls";
    case Iid::ControlEvents: return "ControlEvents";
    case Iid::CaptureFileStatus: return "CaptureFileStatus";
  }
  return "Iid" + std::to_string(static_cast<int>(iid));
}

std::string LabelOf(const platform::Unknown* object) {
  if (object == nullptr) return "(null)";
  if (const auto* scripted = dynamic_cast<const ScriptedObject*>(object)) return scripted->Label();
  return "(foreign)";
}

}  // namespace tavelo::scripted
