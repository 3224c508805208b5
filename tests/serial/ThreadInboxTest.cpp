// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QThread>
#include <thread>
#include <vector>

#include "serial/SerialTestSupport.h"
#include "serial/ThreadInbox.h"

namespace kalvetro {
namespace {

using testing::Pump;
using testing::WaitFor;

// What two workers post runs on the inbox's thread, each worker's functions in the order it
// posted them, with the data they captured intact, one function per event-loop turn.
TEST(ThreadInbox, FunctionsFromWorkersRunOnTheInboxThreadInTheirOrder) {
  ThreadInbox inbox;
  std::vector<int> seen;  // touched only on this thread
  bool allOnThisThread = true;
  const QThread* here = QThread::currentThread();
  auto worker = [&](int base) {
    for (int n = 0; n < 200; ++n) {
      std::vector<int> payload(16, base + n);  // heap data prepared on the worker
      inbox.Post([&, payload] {
        allOnThisThread = allOnThisThread && QThread::currentThread() == here;
        seen.push_back(payload.back());
      });
    }
  };
  std::thread a(worker, 0), b(worker, 1000);
  a.join();
  b.join();
  ASSERT_TRUE(WaitFor([&] { return seen.size() == 400; }));
  EXPECT_TRUE(allOnThisThread);
  int lastA = -1, lastB = 999;
  for (int v : seen) {
    int& last = v < 1000 ? lastA : lastB;
    EXPECT_EQ(v, last + 1);
    last = v;
  }

  // A function that posts another one does not run it within itself.
  int depth = 0, maxDepth = 0, runs = 0;
  std::function<void()> again = [&] {
    maxDepth = std::max(maxDepth, ++depth);
    if (++runs < 3) inbox.Post(again);
    --depth;
  };
  inbox.Post(again);
  ASSERT_TRUE(WaitFor([&] { return runs == 3; }));
  EXPECT_EQ(maxDepth, 1);
}

// An inbox deleted while functions wait for their turn drops them: they never run on a
// receiver that is gone (a closed port's deliveries).
TEST(ThreadInbox, DeletingTheInboxDropsWhatWaits) {
  auto* inbox = new ThreadInbox;
  int ran = 0;
  std::thread worker([&] {
    inbox->Post([&] { ++ran; });
    inbox->Post([&] { ++ran; });
  });
  worker.join();
  delete inbox;
  Pump(50);
  EXPECT_EQ(ran, 0);
}

}  // namespace
}  // namespace kalvetro
