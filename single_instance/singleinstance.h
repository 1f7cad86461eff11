#pragma once

// TSingleInstance: the single-instance guard. The main window holds one, SingleInstance1, created with
// its other components and before its start-up sequence runs. When an earlier copy of the program runs
// (RunningInstance.h says which copy counts as earlier), the guard asks the application to end, without
// a message: the request waits in the event queue, so the window's start-up completes first and the
// program ends once its event loop runs. The running copy is not told.
//
// The guard looks twice: when it is created, and again as the event loop starts. A copy created before
// us may not carry its executable's name yet when we first look (a process takes its name when it
// starts its program, some time after it was created), and the second look catches it.

#include <QObject>

#include <memory>

#include "single_instance/ProcessTable.h"

class TSingleInstance : public QObject {
  Q_OBJECT

 public:
  // Reads CurrentProcessTable().
  explicit TSingleInstance(QObject* AOwner);
  TSingleInstance(QObject* AOwner, std::shared_ptr<const tavelo::single_instance::ProcessTable> processes);
  ~TSingleInstance() override;

  // True once the guard has asked the application to end.
  bool QuitRequested() const { return FQuitRequested; }

  // The process table guards created from now on read: the system's unless another was set (nullptr
  // sets the system's again). Tests set their own, so test programs running side by side do not end
  // each other.
  static void SetProcessTable(std::shared_ptr<const tavelo::single_instance::ProcessTable> processes);
  static std::shared_ptr<const tavelo::single_instance::ProcessTable> CurrentProcessTable();

 private:
  bool EarlierCopyRuns() const;
  void RequestQuit();

  std::shared_ptr<const tavelo::single_instance::ProcessTable> FProcesses;
  bool FQuitRequested = false;
};
