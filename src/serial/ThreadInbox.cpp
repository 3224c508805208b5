// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial/ThreadInbox.h"

namespace kalvetro {

void ThreadInbox::Post(std::function<void()> fn) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(fn));
  }
  // One call by name per function: Qt builds and reads this event inside its own library.
  QMetaObject::invokeMethod(this, "RunNext", Qt::QueuedConnection);
}

void ThreadInbox::RunNext() {
  std::function<void()> fn;
  {
    std::lock_guard lock(mutex_);
    if (queue_.empty()) return;
    fn = std::move(queue_.front());
    queue_.pop_front();
  }
  // The function may delete this object (a handler that closes its port); nothing here
  // touches it afterwards.
  fn();
}

}  // namespace kalvetro
