#pragma once

// The pin-category property every capture pin answers (AmPropSetIdPin, property 0, 16 bytes): how the
// camera component tells a camera's capture output from its other pins.

#include <cstdint>

#include "camera/platform/Interfaces.h"

namespace tavelo::platform {

// Answers a read of the capture pin's category; other sets and ids answer the "not supported" codes and
// a short buffer kErrorMoreData with the size needed.
Result ReadCapturePinCategory(const Guid& propSet, std::uint32_t id, void* propertyData, std::uint32_t dataLength,
                              std::uint32_t& bytesReturned);

}  // namespace tavelo::platform
