// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <mutex>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace kalvetro {

// A mutex for what is shared with a thread that a library starts and calls us back on (RtMidi
// on libjack's process thread). It locks as std::mutex does. Under ThreadSanitizer it also says
// each hand-over itself: the lock and unlock of std::mutex made on that thread, called through
// libraries that are not built for it, are not seen as a hand-over, so every use of the data
// behind it would be reported as a race.
class CallbackMutex {
 public:
  void lock() {
    mutex_.lock();
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(this);
#endif
  }
  void unlock() {
#if defined(__SANITIZE_THREAD__)
    __tsan_release(this);
#endif
    mutex_.unlock();
  }

 private:
  std::mutex mutex_;
};

}  // namespace kalvetro
