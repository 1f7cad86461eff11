#include "app/PropertyCatalogue.h"

#include <algorithm>
#include <iterator>

namespace {

using enum TFCameraProperty;

// One look per property, in any order: the catalogue takes its order from the property list.
// clang-format off
constexpr TPropertyCatalogueEntry kLooks[] = {
  //  property               label text          screen icon                 image      value box  font design row top
  {BacklightCompensation, "Backlight comp.",     10, "prop_backlight",      "Image10", "Layout5",  16, "0",   3},
  {Brightness,            "Brightness",           6, "prop_brightness",     "Image7",  "Layout20", 16, "0",   3},
  {ColorEnable,           "Color enable",        12, "prop_colorenable",    "Image15", "Layout12", 14, "0",   3},
  {Contrast,              "Contrast",             8, "prop_contrast",       "Image13", "Layout13", 14, "0",   3},
  {Exposure,              "Exposure",             1, "prop_exposure",       "Image18", "Layout10", 14, "0",   3},
  {Focus,                 "Focus",                4, "prop_focus",          "Image4",  "Layout8",  14, "0",   3},
  {Gain,                  "Gain",                 2, "prop_gain",           "Image17", "Layout11", 14, "0",   3},
  {Gamma,                 "Gamma",               11, "prop_gamma",          "Image14", "Layout14", 14, "0",   3},
  {Hue,                   "Hue",                 13, "prop_hue",            "Image16", "Layout16", 14, "0",   3},
  {Iris,                  "Iris",                14, "prop_iris",           "Image11", "Layout21", 14, "0",   3},
  {Pan,                   "Pan (\u2194)",        17, "prop_pan",            "Image6",  "Layout22", 14, "0",   3},
  {Roll,                  "Roll",                15, "prop_roll",           "Image19", "Layout3",  14, "0",   3},
  {Saturation,            "Saturation",           7, "prop_saturation",     "Image8",  "Layout15", 14, "0",   3},
  {Sharpness,             "Sharpness",            9, "prop_sharpness",      "Image9",  "Layout9",  14, "0",   3},
  {Tilt,                  "Tilt (\u2195)",       16, "prop_tilt",           "Image5",  "Layout6",  14, "0",   3},
  {WhiteBalance,          "White balance",        3, "prop_whitebalance",   "Image12", "Layout4",  14, "0",   3},
  {Zoom,                  "Zoom (+/-)",           5, "prop_zoom",           "Image3",  "Layout7",  14, "255", 0},
};
// clang-format on
static_assert(std::size(kLooks) == kPropertyCount, "one look per listed property");

// Evaluated while compiling: a listed property without a look does not build.
constexpr std::array<TPropertyCatalogueEntry, kPropertyCount> InPropertyListOrder() {
  std::array<TPropertyCatalogueEntry, kPropertyCount> ordered{};
  for (std::size_t i = 0; i < kPropertyCount; ++i) {
    ordered[i] = *std::ranges::find(kLooks, kPropertyList[i], &TPropertyCatalogueEntry::Property);
  }
  return ordered;
}

}  // namespace

constinit const std::array<TPropertyCatalogueEntry, kPropertyCount> kPropertyCatalogue = InPropertyListOrder();

const TPropertyCatalogueEntry* FindCatalogueEntry(TFCameraProperty property) {
  const int index = PropertyListIndex(property);
  return index < 0 ? nullptr : &kPropertyCatalogue[static_cast<std::size_t>(index)];
}

std::vector<TPropertyRowDesign> PropertyRowDesignsInScreenOrder() {
  std::vector<const TPropertyCatalogueEntry*> ordered;
  for (const TPropertyCatalogueEntry& entry : kPropertyCatalogue) ordered.push_back(&entry);
  std::sort(ordered.begin(), ordered.end(),
            [](const auto* a, const auto* b) { return a->ScreenPosition < b->ScreenPosition; });
  std::vector<TPropertyRowDesign> designs;
  for (const TPropertyCatalogueEntry* entry : ordered) {
    designs.push_back({entry->Name(), entry->Label(), QString::fromLatin1(entry->IconName),
                       QString::fromLatin1(entry->ImageName), QString::fromLatin1(entry->ValueBoxName),
                       QString::fromLatin1(entry->DesignValueText), entry->LabelFontSize, entry->RowTopMargin});
  }
  return designs;
}
