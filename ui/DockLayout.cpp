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

  auto place = [](QLayoutItem* item, int x, int y, int w, int h) {
    item->setGeometry(QRect(x, y, std::max(0, w), std::max(0, h)));
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
          place(entry.Item, left + m.left(), top + m.top(), freeWidth, own.height());
          top += m.top() + own.height() + m.bottom();
          break;
        case TAlign::Bottom:
          place(entry.Item, left + m.left(), bottom - m.bottom() - own.height(), freeWidth, own.height());
          bottom -= m.top() + own.height() + m.bottom();
          break;
        case TAlign::Left:
          place(entry.Item, left + m.left(), top + m.top(), own.width(), freeHeight);
          left += m.left() + own.width() + m.right();
          break;
        case TAlign::Right:
          place(entry.Item, right - m.right() - own.width(), top + m.top(), own.width(), freeHeight);
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
