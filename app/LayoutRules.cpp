#include "app/LayoutRules.h"

#include <algorithm>

namespace {

constexpr int kLeftColumnFrom = 300;
constexpr int kAutoBoxesFrom = 450;
constexpr int kValueBoxesFrom = 550;
constexpr int kNameLabelsFrom = 650;

constexpr int kCameraListGrowsBelow = 182;  // the entry that passes this height is the last one added
constexpr int kCameraListMargin = 2;
constexpr int kFormatListMargin = 5;
constexpr int kFormatListHighest = 154;
constexpr int kFormatListFullFrom = 150;  // entries this high or higher fill the list to its highest

}  // namespace

TShownParts PartsShownAt(int outerWidth) {
  return {outerWidth >= kLeftColumnFrom, outerWidth >= kAutoBoxesFrom, outerWidth >= kValueBoxesFrom,
          outerWidth >= kNameLabelsFrom};
}

int CameraListHeight(int cameras) {
  // Entries added while the height is below the limit: the smallest count whose height passes it.
  const int growing = (kCameraListGrowsBelow + kCameraEntryHeight - 1) / kCameraEntryHeight;
  return std::clamp(cameras, 0, growing) * kCameraEntryHeight + kCameraListMargin;
}

int FormatListHeight(int formats) {
  if (formats <= 0) return 0;
  const int entries = formats * kFormatEntryHeight;
  return entries >= kFormatListFullFrom ? kFormatListHighest : entries + kFormatListMargin;
}
