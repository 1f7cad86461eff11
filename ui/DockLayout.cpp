#include "ui/DockLayout.h"

#include <QWidget>

#include <algorithm>

TDockLayout::TDockLayout(QWidget* parent) : QLayout(parent) {
  setContentsMargins(0, 0, 0, 0);
  setSpacing(0);
  setSizeConstraint(QLayout::SetNoConstraint);
}

TDockLayout::~TDockLayout() {
  while (QLayoutItem* item = takeAt(0)) delete item;
}

void TDockLayout::AddControl(QWidget* control, TAlign align, const QMargins& margins) {
  addChildWidget(control);
  FEntries.append({new QWidgetItem(control), align, margins});
  invalidate();
}

void TDockLayout::addItem(QLayoutItem* item) {
  FEntries.append({item, TAlign::Client, {}});
  invalidate();
}

QLayoutItem* TDockLayout::itemAt(int index) const {
  return index >= 0 && index < FEntries.size() ? FEntries[index].Item : nullptr;
}

QLayoutItem* TDockLayout::takeAt(int index) {
  if (index < 0 || index >= FEntries.size()) return nullptr;
  QLayoutItem* item = FEntries.takeAt(index).Item;
  invalidate();
  return item;
}

int TDockLayout::count() const { return static_cast<int>(FEntries.size()); }

namespace {

// The size a docked child keeps: its own geometry (the layout only ever changes the other direction).
QSize OwnSize(const QLayoutItem* item) {
  if (const QWidget* widget = item->widget()) return widget->size();
  return item->sizeHint();
}

// How far a widget may be stretched in one direction: its maximum size, or its natural size where its
// size policy does not let it grow (as QWidgetItem has it). The natural size is asked for only then:
// a label's costs a text layout.
int Largest(const QWidget& widget, Qt::Orientation orientation) {
  const bool horizontal = orientation == Qt::Horizontal;
  const int maximum = horizontal ? widget.maximumWidth() : widget.maximumHeight();
  const QSizePolicy::Policy policy = horizontal ? widget.sizePolicy().horizontalPolicy()
                                                : widget.sizePolicy().verticalPolicy();
  if (maximum != QWIDGETSIZE_MAX || (policy & QSizePolicy::GrowFlag)) return maximum;
  const QSize natural = widget.sizeHint().expandedTo(widget.minimumSizeHint()).expandedTo(widget.minimumSize());
  return horizontal ? natural.width() : natural.height();
}

// Places a child in its slot. A widget that may not grow as far as the slot (a push button's height, a
// check box's) stands centred in it, in the stretched direction only: the kept direction is the
// design's own size, which the widget must not shrink from (QWidgetItem would shrink it in both).
void PlaceDocked(QLayoutItem* item, const QRect& slot, Qt::Orientations kept) {
  QWidget* widget = item->widget();
  if (!widget) {
    item->setGeometry(slot);
    return;
  }
  QRect placed = slot;
  if (!(kept & Qt::Horizontal)) {
    const int largest = Largest(*widget, Qt::Horizontal);
    if (largest < slot.width()) {
      placed.setWidth(largest);
      placed.moveLeft(slot.left() + (slot.width() - largest) / 2);
    }
  }
  if (!(kept & Qt::Vertical)) {
    const int largest = Largest(*widget, Qt::Vertical);
    if (largest < slot.height()) {
      placed.setHeight(largest);
      placed.moveTop(slot.top() + (slot.height() - largest) / 2);
    }
  }
  widget->setGeometry(placed);
}

}  // namespace

QSize TDockLayout::sizeHint() const {
  int edgeWidth = 0, edgeHeight = 0, innerWidth = 0, innerHeight = 0;
  for (const Entry& entry : FEntries) {
    if (entry.Item->isEmpty()) continue;
    const QSize own = OwnSize(entry.Item);
    const QMargins& m = entry.Margins;
    switch (entry.Align) {
      case TAlign::Top:
      case TAlign::Bottom:
        edgeHeight += m.top() + own.height() + m.bottom();
        innerWidth = std::max(innerWidth, m.left() + own.width() + m.right());
        break;
      case TAlign::Left:
      case TAlign::Right:
        edgeWidth += m.left() + own.width() + m.right();
        innerHeight = std::max(innerHeight, m.top() + own.height() + m.bottom());
        break;
      case TAlign::Client:
        innerWidth = std::max(innerWidth, m.left() + own.width() + m.right());
        innerHeight = std::max(innerHeight, m.top() + own.height() + m.bottom());
        break;
      case TAlign::Contents:
        break;
    }
  }
  return {edgeWidth + innerWidth, edgeHeight + innerHeight};
}

QSize TDockLayout::minimumSize() const { return {0, 0}; }

void TDockLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  // Free room as edges: left/top inclusive, right/bottom exclusive.
  int left = rect.left(), top = rect.top();
  int right = rect.left() + rect.width(), bottom = rect.top() + rect.height();

  // `kept` is the docking direction, where the child's own size is the design's and must not change.
  auto place = [](QLayoutItem* item, int x, int y, int w, int h, Qt::Orientations kept = {}) {
    PlaceDocked(item, QRect(x, y, std::max(0, w), std::max(0, h)), kept);
  };

  static constexpr TAlign kOrder[] = {TAlign::Top, TAlign::Bottom, TAlign::Left, TAlign::Right, TAlign::Client};
  for (const TAlign pass : kOrder) {
    for (const Entry& entry : FEntries) {
      if (entry.Align != pass || entry.Item->isEmpty()) continue;
      const QSize own = OwnSize(entry.Item);
      const QMargins& m = entry.Margins;
      const int freeWidth = right - left - m.left() - m.right();
      const int freeHeight = bottom - top - m.top() - m.bottom();
      switch (pass) {
        case TAlign::Top:
          place(entry.Item, left + m.left(), top + m.top(), freeWidth, own.height(), Qt::Vertical);
          top += m.top() + own.height() + m.bottom();
          break;
        case TAlign::Bottom:
          place(entry.Item, left + m.left(), bottom - m.bottom() - own.height(), freeWidth, own.height(), Qt::Vertical);
          bottom -= m.top() + own.height() + m.bottom();
          break;
        case TAlign::Left:
          place(entry.Item, left + m.left(), top + m.top(), own.width(), freeHeight, Qt::Horizontal);
          left += m.left() + own.width() + m.right();
          break;
        case TAlign::Right:
          place(entry.Item, right - m.right() - own.width(), top + m.top(), own.width(), freeHeight, Qt::Horizontal);
          right -= m.left() + own.width() + m.right();
          break;
        case TAlign::Client:
          place(entry.Item, left + m.left(), top + m.top(), freeWidth, freeHeight);
          break;
        case TAlign::Contents:
          break;
      }
    }
  }
  for (const Entry& entry : FEntries) {
    if (entry.Align != TAlign::Contents || entry.Item->isEmpty()) continue;
    const QMargins& m = entry.Margins;
    place(entry.Item, rect.left() + m.left(), rect.top() + m.top(), rect.width() - m.left() - m.right(),
          rect.height() - m.top() - m.bottom());
  }
}
