#pragma once

// Docking layout for the designed windows: each child is pinned to an edge of the room still free
// (top, bottom, left, right), fills what is left (client), or fills the whole parent behind everything
// (contents), each with its own margins, which may be negative. A docked child keeps its own size
// across the docking direction: a top child keeps its height and is stretched to the free width, a left
// child keeps its width and is stretched to the free height. The kept size is kept exactly, whatever the
// child's size policy; in the stretched direction a child whose policy does not let it grow (a check
// box's height) stands at its natural size, centred.
//
// Edges are served in a fixed order, whatever order the children were added in: top, bottom, left,
// right, then client. Within one edge, earlier children sit nearer the edge. A hidden child takes no
// room at all, margins included, so hiding a member hands its room to the client child.
//
// The layout places no size constraint on its widget, so a window can be made narrower than its
// content; the caller decides what to hide.

#include <QLayout>
#include <QMargins>
#include <QVector>

enum class TAlign { Top, Bottom, Left, Right, Client, Contents };

class TDockLayout : public QLayout {
  Q_OBJECT

 public:
  explicit TDockLayout(QWidget* parent);
  ~TDockLayout() override;

  void AddControl(QWidget* control, TAlign align, const QMargins& margins = {});

  // QLayout
  void addItem(QLayoutItem* item) override;  // docks as client, without margins
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  int count() const override;
  QSize sizeHint() const override;
  QSize minimumSize() const override;
  void setGeometry(const QRect& rect) override;

 private:
  struct Entry {
    QLayoutItem* Item;
    TAlign Align;
    QMargins Margins;
  };
  QVector<Entry> FEntries;
};
