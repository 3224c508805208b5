// SPDX-License-Identifier: GPL-3.0-or-later
// Measures the period of the output tick: runs the same scheduler as the console for a number
// of seconds and prints the p50, p99 and maximum deviation of the periods from 50 ms.
//   tick_timing [SECONDS] [--load]   (--load keeps every core busy meanwhile)
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "output/OutputTicker.h"

int main(int argc, char* argv[]) {
  using namespace std::chrono;
  double seconds = 10;
  bool load = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--load") == 0)
      load = true;
    else
      seconds = std::atof(argv[i]);
  }
  const auto period = milliseconds(50);
  std::vector<steady_clock::time_point> stamps;
  stamps.reserve(static_cast<std::size_t>(seconds * 20) + 16);

  std::atomic<bool> stopLoad{false};
  std::vector<std::thread> burners;
  if (load) {
    const unsigned n = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned i = 0; i < n; ++i)
      burners.emplace_back([&] {
        volatile unsigned long x = 0;
        while (!stopLoad.load(std::memory_order_relaxed)) x = x + 1;
      });
  }

  kalvetro::OutputTicker ticker;
  ticker.Start(period, [&] {
    if (stamps.size() < stamps.capacity()) stamps.push_back(steady_clock::now());
  });
  std::this_thread::sleep_for(duration<double>(seconds));
  ticker.Stop();
  stopLoad = true;
  for (auto& t : burners) t.join();

  std::vector<double> errors;
  for (std::size_t i = 1; i < stamps.size(); ++i) {
    const double ms = duration<double, std::milli>(stamps[i] - stamps[i - 1]).count();
    errors.push_back(std::fabs(ms - 50.0));
  }
  if (errors.empty()) {
    std::printf("no ticks measured\n");
    return 1;
  }
  std::sort(errors.begin(), errors.end());
  auto pct = [&](double p) {
    return errors[std::min(errors.size() - 1, static_cast<std::size_t>(p * errors.size()))];
  };
  std::printf("ticks %zu  real-time %s  skipped %ld%s\n", stamps.size(),
              ticker.RealTime() ? "yes" : "no", ticker.SkippedTicks(),
              load ? "  (under load)" : "");
  std::printf("period error ms: p50 %.3f  p99 %.3f  max %.3f\n", pct(0.50), pct(0.99),
              errors.back());
  return 0;
}
