#include "single_instance/singleinstance.h"

#include <QCoreApplication>
#include <QTimer>

#include <utility>

#include "single_instance/RunningInstance.h"

namespace {

using tavelo::single_instance::ProcessTable;

std::shared_ptr<const ProcessTable>& ConfiguredProcessTable() {
  static std::shared_ptr<const ProcessTable> table;
  return table;
}

}  // namespace

TSingleInstance::TSingleInstance(QObject* AOwner) : TSingleInstance(AOwner, CurrentProcessTable()) {}

TSingleInstance::TSingleInstance(QObject* AOwner, std::shared_ptr<const ProcessTable> processes)
    : QObject(AOwner), FProcesses(std::move(processes)) {
  if (EarlierCopyRuns()) {
    RequestQuit();
    return;
  }
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (!FQuitRequested && EarlierCopyRuns()) RequestQuit();
      },
      Qt::QueuedConnection);
}

TSingleInstance::~TSingleInstance() = default;

void TSingleInstance::SetProcessTable(std::shared_ptr<const ProcessTable> processes) {
  ConfiguredProcessTable() = std::move(processes);
}

std::shared_ptr<const ProcessTable> TSingleInstance::CurrentProcessTable() {
  std::shared_ptr<const ProcessTable> table = ConfiguredProcessTable();
  return table ? table : tavelo::single_instance::MakeProcProcessTable();
}

bool TSingleInstance::EarlierCopyRuns() const {
  // A process list that can't be read finds no copy: the program starts normally.
  try {
    if (!FProcesses) return false;
    return tavelo::single_instance::EarlierCopyRuns(FProcesses->Self(), FProcesses->Processes());
  } catch (...) {
    return false;
  }
}

void TSingleInstance::RequestQuit() {
  FQuitRequested = true;
  // The request is repeated until the main event loop ends: a modal loop that runs before it (an error
  // report during start-up) would take the first request, and the main loop starts afresh.
  auto* timer = new QTimer(this);
  timer->setInterval(0);
  connect(timer, &QTimer::timeout, this, [] { QCoreApplication::exit(0); });
  if (QCoreApplication* application = QCoreApplication::instance()) {
    connect(application, &QCoreApplication::aboutToQuit, timer, &QTimer::stop);
  }
  timer->start();
}
