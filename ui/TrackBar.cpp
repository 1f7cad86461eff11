#include "ui/TrackBar.h"

#include <QHBoxLayout>
#include <QSlider>

#include <algorithm>
#include <cmath>

#include "ui/SliderLook.h"

namespace {

// QSlider only knows integer positions. The real range is laid onto positions 0..N, one position per step
// (so a user's move lands on a step), or on a fine grid when there is no step. Huge ranges with a small
// step are thinned out so N stays well inside int.
constexpr double kFinePositions = 10000;
constexpr double kMaxPositions = 1000000;

struct PositionGrid {
  double min;
  double max;
  double unit;
  int count;

  PositionGrid(double minimum, double maximum, double step) : min(minimum), max(maximum) {
    const double span = max - min;
    if (!(span > 0)) {
      unit = 1;
      count = 0;
      return;
    }
    unit = step > 0 ? step : span / kFinePositions;
    if (span / unit > kMaxPositions) unit = span / kMaxPositions;
    // The last position is the maximum itself, even when the span is not a whole number of steps.
    count = static_cast<int>(std::ceil(span / unit - 1e-9));
  }

  int PositionOf(double value) const {
    if (count == 0) return 0;
    return static_cast<int>(std::clamp(std::lround((value - min) / unit), 0L, static_cast<long>(count)));
  }

  double ValueAt(int position) const {
    if (position >= count) return max;
    if (position <= 0) return min;
    return std::min(max, min + position * unit);
  }
};

}  // namespace

TTrackBar::TTrackBar(QWidget* parent, double drawScale) : QWidget(parent), FSlider(new QSlider(Qt::Horizontal, this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FSlider);
  setFocusProxy(FSlider);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  FSlider->setTracking(true);  // every intermediate value of a drag is a change
  connect(FSlider, &QSlider::valueChanged, this, &TTrackBar::OnSliderMoved);
  SetDrawScale(drawScale);
  SyncSlider();
}

void TTrackBar::SetValue(double value) { ApplyValue(value); }

void TTrackBar::SetMin(double value) {
  if (!std::isfinite(value) || value == FMin) return;
  FMin = value;
  if (FMax < FMin) FMax = FMin;
  SyncSlider();
  ApplyValue(FValue);  // pulls the value into the new range
}

void TTrackBar::SetMax(double value) {
  if (!std::isfinite(value) || value == FMax) return;
  FMax = value;
  if (FMin > FMax) FMin = FMax;
  SyncSlider();
  ApplyValue(FValue);
}

void TTrackBar::SetFrequency(double value) {
  if (!(value > 0)) value = 0;  // negative and NaN steps mean no snapping
  if (value == FFrequency) return;
  FFrequency = value;
  SyncSlider();
}

void TTrackBar::SetDrawScale(double scale) {
  if (!(scale > 0) || !std::isfinite(scale)) scale = 1;
  FDrawScale = scale;
  ApplySliderLook(FSlider, scale);
  updateGeometry();
}

void TTrackBar::ApplyValue(double value) {
  if (std::isnan(value)) return;
  value = std::clamp(value, FMin, FMax);
  if (value == FValue) return;
  FValue = value;
  SyncSlider();
  emit Changed(this);
}

void TTrackBar::SyncSlider() {
  const PositionGrid grid(FMin, FMax, FFrequency);
  FSyncing = true;
  FSlider->setRange(0, grid.count);
  FSlider->setSingleStep(FFrequency > 0 ? 1 : std::max(1, grid.count / 100));
  FSlider->setPageStep(std::max(1, grid.count / 10));
  FSlider->setValue(grid.PositionOf(FValue));
  FSyncing = false;
}

void TTrackBar::OnSliderMoved(int position) {
  if (FSyncing) return;
  ApplyValue(PositionGrid(FMin, FMax, FFrequency).ValueAt(position));
}
