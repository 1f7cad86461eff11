#pragma once

// The seventeen adjustable properties of the main window, written once. Catalogue order (alphabetical)
// is the order of the rows' greying, of the change handlers' search for their row, of the settings file
// and of the factory defaults; the screen position orders the rows on screen (1 = top).

#include <QString>

#include <array>
#include <vector>

#include "camera/CameraProperties.h"
#include "ui/MainFormDesign.h"

struct TPropertyCatalogueEntry {
  TFCameraProperty Property;
  const char* LabelText;  // UTF-8
  int ScreenPosition;
  const char* IconName;         // built-in picture of the row
  const char* ImageName;        // the row's icon control
  const char* ValueBoxName;     // the container of the row's value label
  int LabelFontSize;            // design size of the name label
  const char* DesignValueText;  // design text of the value label
  int RowTopMargin;             // room above the row

  // The camera component's name of the property ("BacklightCompensation"); the row's members and the
  // settings file's keys are formed from it.
  QString Name() const;
  QString Label() const { return QString::fromUtf8(LabelText); }
};

inline constexpr std::size_t kPropertyCount = 17;
extern const std::array<TPropertyCatalogueEntry, kPropertyCount> kPropertyCatalogue;

// The catalogue entry of a property; null for one outside the catalogue.
const TPropertyCatalogueEntry* FindCatalogueEntry(TFCameraProperty property);

// The rows as the design draws them, in screen order.
std::vector<TPropertyRowDesign> PropertyRowDesignsInScreenOrder();
