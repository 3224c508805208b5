// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <utility>

namespace kalvetro {

// One call on the next turn of the event loop, however often it was asked for before then: a
// burst (a flood of refused datagrams or connections, several signals of one show change)
// redraws a group or sends the state once. The call goes with its context object.
class CoalescedCall {
 public:
  CoalescedCall(QObject* context, std::function<void()> call)
      : context_(context), call_(std::move(call)) {}

  void Schedule() {
    if (pending_) return;
    pending_ = true;
    QTimer::singleShot(0, context_, [this] {
      pending_ = false;
      call_();
    });
  }

 private:
  QObject* context_;
  std::function<void()> call_;
  bool pending_ = false;
};

}  // namespace kalvetro
