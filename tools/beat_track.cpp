// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the console's beat tracker over raw mono 32-bit float samples read from standard input
// (as `sox IN -t f32 -c 1 -` writes them) and prints the time of every beat it reports, in
// seconds from the first sample, one per line; then a line "cpu SECONDS" with the processor
// time the tracking took. The samples are handed over in blocks of 10 ms, each stamped with
// the time of its last sample as if it had just been heard, as the audio input does.
//
//   beat_track RATE < samples.f32
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "playback/BeatTracker.h"

int main(int argc, char** argv) {
  const int rate = argc == 2 ? std::atoi(argv[1]) : 0;
  if (rate < 8000 || rate > 192000) {
    std::fputs("usage: beat_track RATE < mono-float32-samples\n", stderr);
    return 2;
  }
  std::vector<float> samples;
  std::vector<float> chunk(65536);
  std::size_t got = 0;
  while ((got = std::fread(chunk.data(), sizeof(float), chunk.size(), stdin)) > 0)
    samples.insert(samples.end(), chunk.begin(), chunk.begin() + static_cast<long>(got));

  using Clock = kalvetro::BeatTracker::Clock;
  const Clock::time_point start{};
  kalvetro::BeatTracker tracker;
  std::vector<kalvetro::TrackedBeat> beats;
  const std::size_t block = static_cast<std::size_t>(rate) / 100;
  const std::clock_t cpu0 = std::clock();
  for (std::size_t at = 0; at < samples.size(); at += block) {
    const std::size_t n = std::min(block, samples.size() - at);
    const auto last = start + std::chrono::duration_cast<Clock::duration>(
                                  std::chrono::duration<double>(double(at + n - 1) / rate));
    tracker.Feed(std::span<const float>(samples.data() + at, n), rate, last, beats);
  }
  const double cpu = double(std::clock() - cpu0) / CLOCKS_PER_SEC;
  for (const kalvetro::TrackedBeat& beat : beats)
    std::printf("%.4f\n", std::chrono::duration<double>(beat.time - start).count());
  std::printf("cpu %.4f\n", cpu);
  return 0;
}
