#pragma once

// What a row of the window should show for a camera, worked out from its published listing alone (the
// names and numbers `v4l2-ctl --list-ctrls-menus` prints), in the component's terms: supported or not,
// value, flags (1 automatic, 2 manual), range and capabilities. Independent of the backend's own table.

#include <cstdint>

#include "camera/CameraProperties.h"
#include "tests/v4l2/FakeCameraModel.h"

namespace tavelo::v4l2test {

struct ExpectedRow {
  bool supported = false;
  std::int32_t value = 0;
  std::int32_t flags = 0;
  std::int32_t min = 0;
  std::int32_t max = 0;
  std::int32_t step = 0;
  std::int32_t defaultValue = 0;
  std::int32_t caps = 0;
};

ExpectedRow ExpectRow(const FakeCameraModel& model, TFPropertyInterface family, std::int32_t id);

}  // namespace tavelo::v4l2test
