#include "ui/StreamPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TStreamPage::TStreamPage(std::shared_ptr<TStreamPageSource> source, QWidget* parent)
    : QWidget(parent), FSource(std::move(source)) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(tr("Video format:"), this));
  FList = new QListWidget(this);
  FList->setObjectName(QStringLiteral("FormatList"));
  layout->addWidget(FList, 1);
  FError = new QLabel(this);
  FError->setObjectName(QStringLiteral("FormatError"));
  FError->setWordWrap(true);
  FError->setStyleSheet(QStringLiteral("color: #B00020;"));
  FError->hide();
  layout->addWidget(FError);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  FApply = new QPushButton(tr("Apply"), this);
  FApply->setObjectName(QStringLiteral("ApplyButton"));
  FApply->setAutoDefault(false);
  buttons->addWidget(FApply);
  layout->addLayout(buttons);
  connect(FApply, &QPushButton::clicked, this, &TStreamPage::Apply);
  connect(FList, &QListWidget::itemDoubleClicked, this, &TStreamPage::Apply);
  Refresh();
}

void TStreamPage::Refresh() {
  QStringList formats;
  int current = -1;
  const QString error = FSource->Read(formats, current);
  if (!error.isEmpty()) {
    FError->setText(error);
    FError->show();
    return;
  }
  FList->clear();
  FList->addItems(formats);
  FList->setCurrentRow(current);
  FApply->setEnabled(!formats.isEmpty());
}

void TStreamPage::Apply() {
  const int chosen = FList->currentRow();
  if (chosen < 0) return;
  const QString error = FSource->Select(chosen);
  FError->setText(error);
  FError->setVisible(!error.isEmpty());
  emit Changed();
}
