#pragma once

// The look of the property sliders: a thin rounded groove, the part left of the handle filled in the
// accent colour, and a round white handle with an accent ring, all sized by a draw scale.
//
// Drawn by one proxy style per scale, shared by every slider of that scale. A style sheet per slider gave
// the same picture, but Qt keeps a parsed sheet, rule caches and a style object for each widget that has
// one: seventeen rows paid for that seventeen times at start-up.

class QSlider;

// Styles `slider` at `scale` (1 = the layout size). Safe to call again with another scale.
void ApplySliderLook(QSlider* slider, double scale);

// Height the slider needs for the handle at `scale`.
int SliderLookHeight(double scale);
