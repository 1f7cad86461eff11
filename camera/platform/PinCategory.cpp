#include "camera/platform/PinCategory.h"

#include <cstring>

namespace tavelo::platform {

Result ReadCapturePinCategory(const Guid& propSet, std::uint32_t id, void* propertyData, std::uint32_t dataLength,
                              std::uint32_t& bytesReturned) {
  bytesReturned = 0;
  if (propSet != guids::AmPropSetIdPin) return kErrorSetNotFound;
  if (id != guids::kAmPropertyPinCategory) return kErrorNotFound;
  bytesReturned = sizeof(Guid);
  if (propertyData == nullptr || dataLength < sizeof(Guid)) return kErrorMoreData;
  std::memcpy(propertyData, &guids::PinCategoryCapture, sizeof(Guid));
  return kOk;
}

}  // namespace tavelo::platform
