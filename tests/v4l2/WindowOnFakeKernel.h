#pragma once

// The main window on the fake kernel, for window tests of the V4L2 backend.

#include <QLabel>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "app/ErrorReport.h"
#include "app/Unit1.h"
#include "tests/v4l2/V4l2TestRig.h"
#include "ui/ListBox.h"
#include "ui/MessageUnit.h"

namespace tavelo::v4l2test {

// The window and its two companion windows on the rig's platform, shown offscreen; questions and notices
// are answered "Ok" and kept, and so are general error reports.
class WindowOnFakeKernel {
 public:
  // A single camera is picked, as a user would, unless `pickSingleCamera` is false.
  explicit WindowOnFakeKernel(V4l2TestRig& rig, bool pickSingleCamera = true) {
    TMessageForm::SetAutoAnswer([this](TMessageForm& form) {
      notices << form.Label1->text();
      return 1;
    });
    window = std::make_unique<TFormMain>(rig.PlatformPointer(), QStringList{});
    window->SetMessageForm(&messages);
    window->SetLivecamForm(&live);
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // A single camera is listed but not selected at start-up: the user picks it.
    if (pickSingleCamera && window->ComboBoxCamera->Count() == 1) Click(0);
  }
  void Click(int cameraEntry) { ClickEntry(window->ComboBoxCamera, cameraEntry); }
  static void ClickEntry(TListBox* list, int index) {
    QListWidgetItem* entry = list->item(index);
    ASSERT_NE(entry, nullptr);
    list->scrollToItem(entry);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(entry).center());
  }
  ~WindowOnFakeKernel() {
    window.reset();
    TMessageForm::SetAutoAnswer({});
  }
  const TPropertyRow& Row(TFCameraProperty property) const {
    for (const TPropertyRow& row : window->PropertyRows())
      if (row.Entry->Property == property) return row;
    throw std::logic_error("no row");
  }

  QStringList CameraNames() const {
    QStringList names;
    for (int i = 0; i < window->ComboBoxCamera->Count(); ++i) names << window->ComboBoxCamera->ItemText(i);
    return names;
  }

  TErrorReportCapture reports;
  TMessageForm messages;
  TLivecamForm live;
  std::unique_ptr<TFormMain> window;
  QStringList notices;
};

}  // namespace tavelo::v4l2test
