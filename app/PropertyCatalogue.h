#pragma once

// How the main window shows each of the seventeen properties: its label, picture and screen place. The
// properties and their order come from the camera layer's property list (camera/PropertyList.h); this
// catalogue follows that order, so the rows' greying, the change handlers' search for their row and the
// settings file all walk the rows alike. The screen position orders the rows on screen (1 = top).

#include <QString>

#include <array>
#include <vector>

#include "camera/PropertyList.h"
#include "ui/MainFormDesign.h"

struct TPropertyCatalogueEntry {
  TFCameraProperty Property{};
  const char* LabelText = "";  // UTF-8
  int ScreenPosition = 0;
  const char* IconName = "";         // built-in picture of the row
  const char* ImageName = "";        // the row's icon control
  const char* ValueBoxName = "";     // the container of the row's value label
  int LabelFontSize = 0;             // design size of the name label
  const char* DesignValueText = "";  // design text of the value label
  int RowTopMargin = 0;              // room above the row

  // The camera component's name of the property ("BacklightCompensation"); the row's members are named
  // after it.
  QString Name() const { return PropertyName(Property); }
  QString Label() const { return QString::fromUtf8(LabelText); }
};

// In the order of the property list.
extern const std::array<TPropertyCatalogueEntry, kPropertyCount> kPropertyCatalogue;

// The catalogue entry of a property; null for one outside the property list.
const TPropertyCatalogueEntry* FindCatalogueEntry(TFCameraProperty property);

// The rows as the design draws them, in screen order.
std::vector<TPropertyRowDesign> PropertyRowDesignsInScreenOrder();
