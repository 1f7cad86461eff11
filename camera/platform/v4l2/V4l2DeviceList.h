#pragma once

// Finding the cameras: the video capture nodes under the device directory, each with the names the
// device enumeration hands out.

#include <string>
#include <vector>

#include "camera/platform/v4l2/V4l2CaptureType.h"
#include "camera/platform/v4l2/V4l2Syscalls.h"

namespace tavelo::platform::v4l2 {

// Where the nodes and their sysfs descriptions live; tests point both at a directory of their own.
struct V4l2Locations {
  std::string deviceDirectory = "/dev";
  std::string sysfsDirectory = "/sys/class/video4linux";  // empty: not consulted
  // The audio-capture category lists the machine's sound inputs; tests on a fake kernel turn it off.
  bool machineAudioSources = true;
};

struct V4l2DeviceIdentity {
  std::string node;          // the node to open, e.g. /dev/video0
  std::string friendlyName;  // the card name
  std::string devicePath;    // a /dev/v4l/by-id or by-path link to the node, else the node itself
  std::string description;   // driver and bus, e.g. "uvcvideo, usb-0000:00:14.0-1"
  // Single- or multi-planar, from the node's capabilities. A node known only from sysfs is taken as
  // single-planar: it is listed only as the first node of its device, as uvcvideo registers them.
  V4l2CaptureType capture = kSinglePlanarCapture;
};

// Every /dev/videoN whose device capabilities include video capture, single- or multi-planar (metadata
// nodes are left out), in node-number order. A node that cannot be opened is listed when sysfs names it
// and it is the first node of its device; opening it later fails with the reason.
std::vector<V4l2DeviceIdentity> FindCaptureDevices(V4l2Syscalls& syscalls, const V4l2Locations& locations);

}  // namespace tavelo::platform::v4l2
