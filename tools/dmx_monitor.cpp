// SPDX-License-Identifier: GPL-3.0-or-later
// DMX monitor: the far end of the console's DMX link, for operators without an interface and
// for tests. It creates a pseudo-terminal pair (or opens a given serial device), prints the
// port to pass to `kalvetro --port`, decodes the packet stream and shows the channel levels
// live with the frame rate and the period jitter. Malformed packets are counted and skipped.
//
//   dmx_monitor                       live view on a new pseudo-terminal
//   dmx_monitor --device /dev/ttyUSB0 live view on a serial device (115200 8N1)
//   dmx_monitor --frames N --json     print N decoded frames as JSON lines, then a summary
//   dmx_monitor --seconds S           run S seconds, then print the timing summary
//   dmx_monitor --port-file FILE      also write the port path to FILE (for scripts)
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sched.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "output/DmxPacket.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kPeriodMs = 50.0;

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) {
  gStop = 1;
}

struct Options {
  std::string device;
  std::string portFile;
  long frames = -1;     // stop after this many frames (-1: no limit)
  double seconds = -1;  // stop after this time (-1: no limit)
  bool json = false;
};

void Usage() {
  std::fprintf(stderr,
               "usage: dmx_monitor [--device PATH] [--frames N] [--seconds S] [--json]"
               " [--port-file FILE]\n");
}

bool ParseOptions(int argc, char* argv[], Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&](const char** value) {
      if (i + 1 >= argc) return false;
      *value = argv[++i];
      return true;
    };
    const char* v = nullptr;
    if (a == "--json")
      o->json = true;
    else if (a == "--device" && next(&v))
      o->device = v;
    else if (a == "--port-file" && next(&v))
      o->portFile = v;
    else if (a == "--frames" && next(&v))
      o->frames = std::atol(v);
    else if (a == "--seconds" && next(&v))
      o->seconds = std::atof(v);
    else
      return false;
  }
  return true;
}

void MakeRaw(int fd, bool setRate) {
  struct termios tio {};
  if (tcgetattr(fd, &tio) != 0) return;
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  if (setRate) cfsetspeed(&tio, B115200);
  tcsetattr(fd, TCSANOW, &tio);
}

struct Timing {
  std::vector<double> periods;  // ms between packet starts
  double Percentile(std::vector<double>& errors, double p) const {
    if (errors.empty()) return 0;
    const auto k = std::min(errors.size() - 1, static_cast<std::size_t>(p * errors.size()));
    return errors[k];
  }
  // |period - 50 ms| of the last `window` periods (all when window is 0), sorted.
  std::vector<double> Errors(std::size_t window) const {
    const std::size_t from = window && periods.size() > window ? periods.size() - window : 0;
    std::vector<double> e;
    for (std::size_t i = from; i < periods.size(); ++i)
      e.push_back(std::fabs(periods[i] - kPeriodMs));
    std::sort(e.begin(), e.end());
    return e;
  }
};

void DrawLive(const std::string& port, const kalvetro::DmxFrame& last,
              const kalvetro::DmxStreamDecoder& decoder, const Timing& timing) {
  auto errors = timing.Errors(200);
  double mean = 0;
  const std::size_t n = std::min<std::size_t>(timing.periods.size(), 200);
  for (std::size_t i = timing.periods.size() - n; i < timing.periods.size(); ++i)
    mean += timing.periods[i];
  if (n) mean /= static_cast<double>(n);
  std::string out = "\x1b[H\x1b[2J";
  char line[256];
  std::snprintf(line, sizeof line, "DMX monitor   port %s   (kalvetro --port %s)\n", port.c_str(),
                port.c_str());
  out += line;
  std::snprintf(line, sizeof line,
                "frames %ld   malformed %ld   skipped bytes %ld   rate %.1f fps\n",
                decoder.Frames(), decoder.Malformed(), decoder.SkippedBytes(),
                mean > 0 ? 1000.0 / mean : 0.0);
  out += line;
  std::snprintf(line, sizeof line,
                "period mean %.2f ms   error p50 %.3f  p99 %.3f  max %.3f ms (last %zu)\n\n", mean,
                timing.Percentile(errors, 0.50), timing.Percentile(errors, 0.99),
                errors.empty() ? 0.0 : errors.back(), n);
  out += line;
  for (int row = 0; row < 16; ++row) {
    std::snprintf(line, sizeof line, "%3d-%3d |", row * 16 + 1, row * 16 + 16);
    out += line;
    for (int c = 0; c < 16; ++c) {
      std::snprintf(line, sizeof line, " %3u", last.levels[static_cast<std::size_t>(row * 16 + c)]);
      out += line;
    }
    out += '\n';
  }
  out += "\nCtrl+C to stop\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  std::fflush(stdout);
}

void PrintSummary(const Options& o, const kalvetro::DmxStreamDecoder& decoder,
                  const Timing& timing) {
  auto errors = timing.Errors(0);
  const double p50 = timing.Percentile(errors, 0.50);
  const double p99 = timing.Percentile(errors, 0.99);
  const double max = errors.empty() ? 0.0 : errors.back();
  if (o.json) {
    std::printf(
        "{\"summary\":true,\"frames\":%ld,\"malformed\":%ld,\"skipped_bytes\":%ld,"
        "\"periods\":%zu,\"period_error_ms\":{\"p50\":%.4f,\"p99\":%.4f,\"max\":%.4f}}\n",
        decoder.Frames(), decoder.Malformed(), decoder.SkippedBytes(), timing.periods.size(), p50,
        p99, max);
  } else {
    std::printf("frames %ld  malformed %ld  skipped bytes %ld  periods %zu\n", decoder.Frames(),
                decoder.Malformed(), decoder.SkippedBytes(), timing.periods.size());
    std::printf("period error ms: p50 %.3f  p99 %.3f  max %.3f\n", p50, p99, max);
  }
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    Usage();
    return 2;
  }
  // Arrival times are only as good as this program's wake-ups: ask for real-time scheduling
  // like the console's output tick, and run normally when that is refused.
  struct sched_param param {};
  param.sched_priority = 10;
  const bool realTime = ::sched_setscheduler(0, SCHED_FIFO, &param) == 0;
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);

  int fd = -1;
  int slave = -1;  // kept open so that reads do not fail while the console is not connected
  std::string port;
  if (!options.device.empty()) {
    fd = ::open(options.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      std::fprintf(stderr, "dmx_monitor: cannot open %s: %s\n", options.device.c_str(),
                   std::strerror(errno));
      return 1;
    }
    MakeRaw(fd, true);
    port = options.device;
  } else {
    char name[128] = {};
    if (::openpty(&fd, &slave, name, nullptr, nullptr) != 0) {
      std::fprintf(stderr, "dmx_monitor: openpty failed: %s\n", std::strerror(errno));
      return 1;
    }
    MakeRaw(slave, false);
    ::fcntl(fd, F_SETFL, O_NONBLOCK);
    port = name;
  }
  if (!options.portFile.empty()) {
    if (FILE* f = std::fopen(options.portFile.c_str(), "w")) {
      std::fprintf(f, "%s\n", port.c_str());
      std::fclose(f);
    }
  }
  const bool live = !options.json && options.seconds < 0 && options.frames < 0;
  if (!live) {
    std::fprintf(stderr, "dmx_monitor: port %s  (kalvetro --port %s)  real-time %s\n", port.c_str(),
                 port.c_str(), realTime ? "yes" : "no");
  }

  kalvetro::DmxStreamDecoder decoder;
  kalvetro::DmxFrame last;
  Timing timing;
  std::int64_t firstNs = -1;
  std::int64_t previousNs = -1;
  const auto start = Clock::now();
  auto nextDraw = start;
  std::vector<std::uint8_t> buffer(4096);
  bool done = false;

  auto onFrame = [&](const kalvetro::DmxFrame& frame) {
    if (done) return;
    last = frame;
    if (firstNs < 0) firstNs = frame.timeNs;
    double period = 0;
    if (previousNs >= 0) {
      period = static_cast<double>(frame.timeNs - previousNs) / 1e6;
      timing.periods.push_back(period);
    }
    previousNs = frame.timeNs;
    if (options.json) {
      std::string out = "{\"frame\":" + std::to_string(decoder.Frames()) + ",\"t_ms\":";
      char num[64];
      std::snprintf(num, sizeof num, "%.3f", static_cast<double>(frame.timeNs - firstNs) / 1e6);
      out += num;
      std::snprintf(num, sizeof num, ",\"period_ms\":%.3f,\"levels\":[", period);
      out += num;
      for (std::size_t i = 0; i < frame.levels.size(); ++i) {
        if (i) out += ',';
        out += std::to_string(frame.levels[i]);
      }
      out += "]}\n";
      std::fwrite(out.data(), 1, out.size(), stdout);
    }
    if (options.frames >= 0 && decoder.Frames() >= options.frames) done = true;
  };

  while (!gStop && !done) {
    if (options.seconds >= 0 &&
        std::chrono::duration<double>(Clock::now() - start).count() >= options.seconds)
      break;
    struct pollfd p = {fd, POLLIN, 0};
    const int r = ::poll(&p, 1, 20);
    if (r < 0 && errno != EINTR) break;
    if (r > 0 && (p.revents & POLLIN)) {
      const std::int64_t now =
          std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
              .count();
      const ssize_t n = ::read(fd, buffer.data(), buffer.size());
      if (n > 0)
        decoder.Feed(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)), now,
                     onFrame);
    } else if (r > 0 && (p.revents & (POLLHUP | POLLERR))) {
      // A device without its far end: wait a little and look again.
      ::usleep(20000);
    }
    if (live && Clock::now() >= nextDraw) {
      DrawLive(port, last, decoder, timing);
      nextDraw = Clock::now() + std::chrono::milliseconds(100);
    }
  }
  if (!live || gStop) PrintSummary(options, decoder, timing);
  if (slave >= 0) ::close(slave);
  ::close(fd);
  return 0;
}
