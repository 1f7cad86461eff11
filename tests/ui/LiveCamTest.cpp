#include <QTest>

#include <gtest/gtest.h>

#include "ui/LiveCam.h"

namespace {

TEST(LivecamFormTest, TagFollowsWhetherTheWindowIsShowing) {
  TLivecamForm form;
  EXPECT_EQ(form.windowTitle(), QStringLiteral("Webcam test"));
  EXPECT_EQ(form.Tag(), 0);

  form.show();
  EXPECT_EQ(form.Tag(), 1);
  form.hide();  // hidden by the main window: the test is over
  EXPECT_EQ(form.Tag(), 0);

  form.show();
  form.close();
  EXPECT_EQ(form.Tag(), 0);
}

}  // namespace
