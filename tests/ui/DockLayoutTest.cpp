// The docking layout: the docking direction keeps the child's own size, the other direction is
// stretched as far as the child lets it.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include "ui/DockLayout.h"

namespace {

TEST(DockLayoutTest, DockedChildKeepsItsOwnSizeInTheDockingDirection) {
  // A push button and a check box do not grow in height by their size policy; a label does. Docked at
  // the top or bottom they keep their own height whatever their natural height; docked left, right or as
  // the client they stand at their natural height, centred, in a taller slot.
  const struct {
    const char* what;
    TAlign align;
    bool growsInHeight;
    QRect expected;  // in a 200 x 100 container, the child's own size 60 x 23, margins 2 on every side
  } cases[] = {
      {"button top", TAlign::Top, false, {2, 2, 196, 23}},
      {"button bottom", TAlign::Bottom, false, {2, 100 - 2 - 23, 196, 23}},
      {"label left", TAlign::Left, true, {2, 2, 60, 96}},
      {"label right", TAlign::Right, true, {200 - 2 - 60, 2, 60, 96}},
      {"label client", TAlign::Client, true, {2, 2, 196, 96}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QWidget container;
    auto* layout = new TDockLayout(&container);
    QWidget* child = c.growsInHeight ? static_cast<QWidget*>(new QLabel("x", &container))
                                     : static_cast<QWidget*>(new QPushButton("x", &container));
    child->resize(60, 23);
    layout->AddControl(child, c.align, {2, 2, 2, 2});
    container.resize(200, 100);
    layout->setGeometry(container.rect());
    EXPECT_EQ(child->geometry(), c.expected);
  }
}

TEST(DockLayoutTest, ChildThatCannotGrowStandsCentredAcrossTheDockingDirection) {
  QWidget container;
  auto* layout = new TDockLayout(&container);
  auto* box = new QCheckBox("Auto", &container);
  box->resize(65, 35);
  auto* button = new QPushButton("x", &container);
  button->resize(10, 10);
  layout->AddControl(box, TAlign::Right);
  layout->AddControl(button, TAlign::Client);
  container.resize(300, 60);
  layout->setGeometry(container.rect());

  const int natural = box->sizeHint().height();
  ASSERT_LT(natural, 60);
  EXPECT_EQ(box->geometry(), QRect(300 - 65, (60 - natural) / 2, 65, natural));
  const int buttonNatural = button->sizeHint().height();
  EXPECT_EQ(button->geometry(), QRect(0, (60 - buttonNatural) / 2, 300 - 65, buttonNatural));
}

TEST(DockLayoutTest, HiddenChildGivesItsRoomAway) {
  QWidget container;
  auto* layout = new TDockLayout(&container);
  auto* top = new QLabel("top", &container);
  top->resize(50, 20);
  auto* client = new QLabel("client", &container);
  layout->AddControl(top, TAlign::Top, {0, 5, 0, 5});
  layout->AddControl(client, TAlign::Client);
  container.resize(100, 100);
  layout->setGeometry(container.rect());
  EXPECT_EQ(client->geometry(), QRect(0, 30, 100, 70));

  top->hide();
  layout->setGeometry(container.rect());
  EXPECT_EQ(client->geometry(), QRect(0, 0, 100, 100));
}

}  // namespace
