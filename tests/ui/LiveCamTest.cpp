#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "ui/Image.h"
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

TEST(LivecamFormTest, ClosingSetsTheCloseResultAndThePanelFillsTheClientArea) {
  TLivecamForm form;
  EXPECT_EQ(form.size(), QSize(897, 550));
  EXPECT_EQ(form.CameraPanel->geometry(), form.rect());
  EXPECT_TRUE(form.ButtonClose->isHidden());
  EXPECT_EQ(form.ButtonClose->geometry(), QRect(16, 16, 105, 33));
  EXPECT_TRUE(form.ButtonClose->font().bold());
  EXPECT_TRUE(form.ClosePicture->isHidden());
  EXPECT_TRUE(form.CloseDownPicture->isHidden());

  form.show();
  form.resize(320, 240);  // a test at another format
  EXPECT_EQ(form.CameraPanel->geometry(), QRect(0, 0, 320, 240));
  EXPECT_EQ(form.ModalResult(), 0);
  form.close();
  EXPECT_EQ(form.ModalResult(), TLivecamForm::kModalResultClose);
}

}  // namespace
