#pragma once

// A horizontal slider with a real-number value, range and step.
//
// Changed is raised whenever the value actually changes, whether the user or code changed it, and never
// when a value is set to what the slider already holds. The value is always kept inside [Min, Max]:
// narrowing the range moves it in (and raises Changed). Step (Frequency) only affects how the user's
// moves snap; code may set any value in range. A step of 0 means no snapping.

#include <QWidget>

class QSlider;

class TTrackBar : public QWidget {
  Q_OBJECT

 public:
  // `drawScale` as for SetDrawScale; given here, the slider is styled once rather than twice.
  explicit TTrackBar(QWidget* parent = nullptr, double drawScale = 1);

  double Value() const { return FValue; }
  void SetValue(double value);
  double Min() const { return FMin; }
  void SetMin(double value);
  double Max() const { return FMax; }
  void SetMax(double value);
  double Frequency() const { return FFrequency; }
  void SetFrequency(double value);

  // The slider is drawn at this factor of its layout size (1.3 in the main window's rows).
  void SetDrawScale(double scale);
  double DrawScale() const { return FDrawScale; }

  QSlider* Slider() const { return FSlider; }  // for tests that drive it as a user would

 signals:
  void Changed(TTrackBar* sender);

 private:
  void ApplyValue(double value);
  void SyncSlider();
  void OnSliderMoved(int position);

  QSlider* FSlider;
  double FValue = 0;
  double FMin = 0;
  double FMax = 10;
  double FFrequency = 1;
  double FDrawScale = 1;
  bool FSyncing = false;
};
