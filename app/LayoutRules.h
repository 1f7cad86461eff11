#pragma once

// The main window's size rules as plain arithmetic, apart from the widgets they size: what an outer
// width of the window shows, and how tall the camera and format lists grow with their entries.

inline constexpr int kOuterHeight = 740;      // the window's outer height; every resize comes back to it
inline constexpr int kBackToFullWidth = 734;  // the outer width that "Back to full" restores

// What an outer width shows. The narrower the window, the more of each row gives its room to the
// sliders; below 300 the left column and the status strip go too, and the "Back to full" bar stands in
// for them.
struct TShownParts {
  bool LeftColumn = true;  // camera list, commands and status strip
  bool AutoBoxes = true;
  bool ValueBoxes = true;
  bool NameLabels = true;
  bool operator==(const TShownParts&) const = default;
};
TShownParts PartsShownAt(int outerWidth);

inline constexpr int kCameraEntryHeight = 44;
inline constexpr int kFormatEntryHeight = 30;

// The camera list grows by one entry for each camera until it passes 182, then stops, and has 2 more:
// 2 without cameras, 46, 90, 134, 178, and 222 from five cameras on.
int CameraListHeight(int cameras);

// The format list holds its entries and 5 more, at most 154 (five formats or more); 0 without formats.
int FormatListHeight(int formats);
