#include "ui/ControlPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {

// Sliders hold ints; a 64-bit range is shown as far as an int reaches.
int ToInt(qint64 value) {
  return static_cast<int>(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

void SetErrorText(QLabel* label, const QString& text) {
  label->setText(text);
  label->setVisible(!text.isEmpty());
}

}  // namespace

TControlPage::TControlPage(std::shared_ptr<TControlPageSource> source, QWidget* parent)
    : QWidget(parent), FSource(std::move(source)) {
  auto* outer = new QVBoxLayout(this);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  auto* body = new QWidget(scroll);
  FGrid = new QGridLayout(body);
  FGrid->setColumnStretch(1, 1);
  FGrid->setHorizontalSpacing(10);
  scroll->setWidget(body);
  outer->addWidget(scroll, 1);

  FReadError = new QLabel(this);
  FReadError->setObjectName(QStringLiteral("ReadError"));
  FReadError->setWordWrap(true);
  FReadError->setStyleSheet(QStringLiteral("color: #B00020;"));
  FReadError->hide();
  outer->addWidget(FReadError);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  FDefaultsButton = new QPushButton(tr("Defaults"), this);
  FDefaultsButton->setObjectName(QStringLiteral("DefaultsButton"));
  FDefaultsButton->setAutoDefault(false);
  connect(FDefaultsButton, &QPushButton::clicked, this, &TControlPage::LoadDefaults);
  buttons->addWidget(FDefaultsButton);
  outer->addLayout(buttons);

  std::vector<TFrameControl> controls;
  const QString error = FSource->Read(controls);
  SetErrorText(FReadError, error);
  Build(controls);
}

void TControlPage::Build(const std::vector<TFrameControl>& controls) {
  int line = 0;
  for (const TFrameControl& control : controls) {
    Row row;
    row.Control = control;
    row.Name = new QLabel(control.Name, FGrid->parentWidget());
    row.Editor = MakeEditor(control);
    row.Value = new QLabel(FGrid->parentWidget());
    row.Value->setMinimumWidth(row.Value->fontMetrics().horizontalAdvance(QStringLiteral("-000000")));
    row.Value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row.Error = new QLabel(FGrid->parentWidget());
    row.Error->setStyleSheet(QStringLiteral("color: #B00020;"));
    row.Error->setWordWrap(true);
    row.Error->hide();
    FGrid->addWidget(row.Name, line, 0);
    FGrid->addWidget(row.Editor, line, 1);
    FGrid->addWidget(row.Value, line, 2);
    // The reason goes under the control it belongs to, so a long text never squeezes the slider.
    FGrid->addWidget(row.Error, line + 1, 1, 1, 2);
    line += 2;
    FOrder.push_back(control.Id);
    Show(FRows.emplace(control.Id, row).first->second, control);
  }
  FGrid->setRowStretch(line, 1);
}

QWidget* TControlPage::MakeEditor(const TFrameControl& control) {
  QWidget* parent = FGrid->parentWidget();
  const quint32 id = control.Id;
  switch (control.Kind) {
    case TFrameControlKind::Boolean: {
      auto* box = new QCheckBox(parent);
      connect(box, &QCheckBox::toggled, this, [this, id](bool on) {
        if (!FShowing) Write(id, on ? 1 : 0);
      });
      return box;
    }
    case TFrameControlKind::Menu: {
      auto* list = new QComboBox(parent);
      for (const TFrameMenuItem& item : control.Menu) list->addItem(item.Label, QVariant::fromValue(item.Index));
      connect(list, &QComboBox::activated, this, [this, id, list](int index) {
        if (!FShowing && index >= 0) Write(id, list->itemData(index).toLongLong());
      });
      return list;
    }
    case TFrameControlKind::Button: {
      auto* button = new QPushButton(control.Name, parent);
      button->setAutoDefault(false);
      connect(button, &QPushButton::clicked, this, [this, id] { Write(id, 1); });
      return button;
    }
    case TFrameControlKind::Integer: break;
  }
  auto* slider = new QSlider(Qt::Horizontal, parent);
  slider->setRange(ToInt(control.Minimum), ToInt(control.Maximum));
  const int step = std::max(1, ToInt(control.Step));
  slider->setSingleStep(step);
  slider->setPageStep(std::max(step, (slider->maximum() - slider->minimum()) / 10 / step * step));
  slider->setMinimumWidth(180);
  // While the handle is dragged each position goes to the device at once, but the pages are read again
  // only when it is let go: a USB camera answers each read in milliseconds, and a drag yields dozens.
  connect(slider, &QSlider::valueChanged, this, [this, id, slider](int value) {
    if (FShowing) return;
    if (slider->isSliderDown()) {
      if (WriteQuietly(id, value)) ValueLabel(id)->setText(QString::number(value));
    } else {
      Write(id, value);
    }
  });
  connect(slider, &QSlider::sliderReleased, this, [this] { emit Changed(); });
  return slider;
}

void TControlPage::Show(Row& row, const TFrameControl& control) {
  row.Control = control;
  const bool enabled = control.Changeable();
  row.Name->setEnabled(enabled);
  row.Editor->setEnabled(enabled);
  row.Value->setEnabled(enabled);
  const qint64 value = control.Value.value_or(control.Default);
  FShowing = true;
  if (auto* slider = qobject_cast<QSlider*>(row.Editor)) {
    slider->setValue(ToInt(value));
    row.Value->setText(control.Value ? QString::number(value) : QString());
  } else if (auto* box = qobject_cast<QCheckBox*>(row.Editor)) {
    box->setChecked(value != 0);
  } else if (auto* list = qobject_cast<QComboBox*>(row.Editor)) {
    list->setCurrentIndex(list->findData(QVariant::fromValue(value)));
  }
  FShowing = false;
}

void TControlPage::Refresh() {
  std::vector<TFrameControl> controls;
  const QString error = FSource->Read(controls);
  SetErrorText(FReadError, error);
  if (!error.isEmpty()) return;
  for (const TFrameControl& control : controls) {
    const auto row = FRows.find(control.Id);
    if (row != FRows.end()) Show(row->second, control);
  }
}

void TControlPage::Write(quint32 id, qint64 value) {
  if (WriteQuietly(id, value)) emit Changed();
}

bool TControlPage::WriteQuietly(quint32 id, qint64 value) {
  const auto row = FRows.find(id);
  if (row == FRows.end()) return false;
  const QString error = FSource->Write(id, value);
  SetErrorText(row->second.Error, error);
  return true;
}

void TControlPage::LoadDefaults() {
  // A value control listed before its automatic switch is still locked when its turn comes; once the
  // switch has taken its default it may be free, so the page is walked again while writes free controls.
  constexpr int kMaxPasses = 3;
  Refresh();
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    bool wrote = false;
    for (const quint32 id : FOrder) {
      Row& row = FRows.at(id);
      const TFrameControl& control = row.Control;
      if (control.Kind == TFrameControlKind::Button || !control.Changeable()) continue;
      if (control.Value && *control.Value == control.Default) continue;
      // A control that cannot be read back is written once; only a known value tells it settled.
      const bool readable = control.Value.has_value();
      const QString error = FSource->Write(id, control.Default);
      SetErrorText(row.Error, error);
      wrote = wrote || (error.isEmpty() && readable);
      Refresh();
    }
    if (!wrote) break;
  }
  emit Changed();
}

QWidget* TControlPage::Editor(quint32 id) const {
  const auto row = FRows.find(id);
  return row == FRows.end() ? nullptr : row->second.Editor;
}

QLabel* TControlPage::ValueLabel(quint32 id) const {
  const auto row = FRows.find(id);
  return row == FRows.end() ? nullptr : row->second.Value;
}

QLabel* TControlPage::ErrorLabel(quint32 id) const {
  const auto row = FRows.find(id);
  return row == FRows.end() ? nullptr : row->second.Error;
}

std::optional<quint32> TControlPage::ControlNamed(const QString& name) const {
  for (const auto& [id, row] : FRows)
    if (row.Control.Name == name) return id;
  return std::nullopt;
}

QString TControlPage::ReadError() const { return FReadError->text(); }
