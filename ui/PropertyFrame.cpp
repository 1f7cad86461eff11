#include "ui/PropertyFrame.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ui/ControlPage.h"
#include "ui/StreamPage.h"

namespace {

TPropertyFrame::TestHook& TestHookSlot() {
  static TPropertyFrame::TestHook hook;
  return hook;
}

}  // namespace

TPropertyFrame::TPropertyFrame(const QString& caption, std::vector<TPropertyFramePage> pages, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("PropertyFrame"));
  setWindowTitle(caption);
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  FTabs = new QTabWidget(this);
  layout->addWidget(FTabs, 1);
  for (TPropertyFramePage& page : pages) {
    if (page.Controls) {
      auto* tab = new TControlPage(std::move(page.Controls), FTabs);
      connect(tab, &TControlPage::Changed, this, &TPropertyFrame::RefreshAll);
      FTabs->addTab(tab, page.Title);
    } else if (page.Stream) {
      auto* tab = new TStreamPage(std::move(page.Stream), FTabs);
      connect(tab, &TStreamPage::Changed, this, &TPropertyFrame::RefreshAll);
      FTabs->addTab(tab, page.Title);
    }
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(620, 560);
}

void TPropertyFrame::SetTestHook(TestHook hook) { TestHookSlot() = std::move(hook); }

bool TPropertyFrame::HasTestHook() { return static_cast<bool>(TestHookSlot()); }

void TPropertyFrame::ShowModal() {
  // A copy: the hook may install the next one while it runs.
  const TestHook hook = TestHookSlot();
  if (!hook) {
    exec();
    return;
  }
  show();
  hook(*this);
  hide();
}

TControlPage* TPropertyFrame::ControlPage(int tab) const { return qobject_cast<TControlPage*>(FTabs->widget(tab)); }

TStreamPage* TPropertyFrame::StreamPage(int tab) const { return qobject_cast<TStreamPage*>(FTabs->widget(tab)); }

TControlPage* TPropertyFrame::PageOfControl(quint32 id) const {
  for (int tab = 0; tab < FTabs->count(); ++tab) {
    TControlPage* page = ControlPage(tab);
    if (page != nullptr && page->Editor(id) != nullptr) return page;
  }
  return nullptr;
}

void TPropertyFrame::RefreshAll() {
  for (int tab = 0; tab < FTabs->count(); ++tab) {
    if (TControlPage* page = ControlPage(tab)) page->Refresh();
    if (TStreamPage* page = StreamPage(tab)) page->Refresh();
  }
}
