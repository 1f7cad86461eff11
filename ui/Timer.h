#pragma once

// A timer where interval 0 means idle, and setting the interval it already has does not restart a running
// countdown. Setting a new non-zero interval (re)starts the countdown from that moment.

#include <QObject>
#include <QTimer>

class TTimer : public QObject {
  Q_OBJECT

 public:
  explicit TTimer(QObject* parent = nullptr, int interval = 1000, bool enabled = true);

  int Interval() const { return FInterval; }
  void SetInterval(int milliseconds);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool enabled);
  bool IsCounting() const { return FTimer.isActive(); }

 signals:
  void Timer(QObject* sender);

 private:
  void Restart();

  QTimer FTimer;
  int FInterval;
  bool FEnabled;
};
