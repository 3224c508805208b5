// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

namespace kalvetro {

// Hands functions from worker threads to the thread this object lives on, to run there one
// per event-loop turn and in the order they were posted, like queued calls. The functions
// themselves pass through a queue under a standard mutex; only a bare "run the next" call goes
// through Qt's event queue. So every byte a worker prepares for the receiving thread is handed
// over under a lock that thread checkers see (Qt's own queue is invisible to them, and a
// receiver that happens to be awake takes a queued call without any visible hand-over).
// Functions still waiting when the object is deleted are dropped, as Qt drops the queued
// calls of a deleted receiver.
class ThreadInbox : public QObject {
  Q_OBJECT

 public:
  explicit ThreadInbox(QObject* parent = nullptr) : QObject(parent) {}

  // Any thread.
  void Post(std::function<void()> fn);

 private:
  Q_INVOKABLE void RunNext();

  std::mutex mutex_;
  std::deque<std::function<void()>> queue_;
};

}  // namespace kalvetro
