// SPDX-License-Identifier: GPL-3.0-or-later
// Soak run: the real console binary plays a generated 256-scene show with crossfades for a
// long time on a pseudo-terminal, and this program is the interface at the far end. It decodes
// every packet and reports packets expected and received, malformed packets, the longest gap
// between two packets, and the console's resident memory at the start and at the end.
//
//   soak --minutes 60                      headless player (kalvetro --headless)
//   soak --seconds 90 --windowed           the main window under the offscreen platform (it
//                                          opens the show and sends it, without playing it)
//   soak --console PATH --tempo 15 --keep  another binary, another tempo, keep the folder
//
// Exit code: 0 when every target is met (no packet lost, no gap over 60 ms, no malformed
// packet, resident memory within 1 MiB from the end of the warm-up to the end), 1 when a
// target is missed, 2 when the run could not be made.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "output/DmxPacket.h"
#include "show/ShowMemory.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kPeriodMs = 50.0;
constexpr double kGapTargetMs = 60.0;
constexpr long kMemoryTargetKiB = 1024;

volatile std::sig_atomic_t gStop = 0;
void OnSignal(int) {
  gStop = 1;
}

struct Options {
  double seconds = 600;
  double warmupSeconds = 30;
  std::string console;
  std::string show;
  bool windowed = false;
  bool keep = false;
  int tempo = 15;  // 225 ms a scene: a pass of 256 scenes takes 57.6 s
};

void Usage() {
  std::fprintf(stderr,
               "usage: soak [--minutes M | --seconds S] [--warmup S] [--console PATH]\n"
               "            [--windowed] [--show FILE] [--tempo 10..170] [--keep]\n");
}

bool ParseOptions(int argc, char* argv[], Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
    if (a == "--windowed") {
      o->windowed = true;
    } else if (a == "--keep") {
      o->keep = true;
    } else if (v == nullptr) {
      return false;
    } else {
      ++i;
      if (a == "--minutes")
        o->seconds = std::atof(v) * 60;
      else if (a == "--seconds")
        o->seconds = std::atof(v);
      else if (a == "--warmup")
        o->warmupSeconds = std::atof(v);
      else if (a == "--console")
        o->console = v;
      else if (a == "--show")
        o->show = v;
      else if (a == "--tempo")
        o->tempo = std::atoi(v);
      else
        return false;
    }
  }
  return o->seconds > 0 && o->warmupSeconds >= 0 && o->tempo >= 10 && o->tempo <= 170;
}

// The console binary: named, else beside this tool (installed) or in the build tree.
std::string ConsoleBinary(const Options& o) {
  if (!o.console.empty()) return o.console;
  char self[4096] = {};
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    std::string dir(self, static_cast<std::size_t>(n));
    dir.erase(dir.rfind('/'));
    for (const std::string& candidate : {dir + "/kalvetro", dir + "/../kalvetro"})
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return KALVETRO_CONSOLE_BINARY;
}

// A show of 256 scenes that all differ, played from scene 1 at the tempo: every channel moves
// at every scene change, so every packet of a crossfade is new, and a fifth of the levels are
// 255 so that the escaping of the packet is exercised all the time.
bool WriteSoakShow(const std::string& path, int tempo) {
  std::vector<char> image(kalvetro::kShowFileSize, 0);
  std::memcpy(image.data(), kalvetro::kIdentificationText,
              std::strlen(kalvetro::kIdentificationText));
  image[kalvetro::kCurrentStep] = 0;
  image[kalvetro::kLastScene] = static_cast<char>(255);
  image[kalvetro::kTempo] = static_cast<char>(tempo);
  for (int s = 0; s < kalvetro::kSceneCount; ++s) {
    for (int n = 1; n <= 255; ++n) {
      const int level = (n + s) % 5 == 0 ? 255 : (s * 37 + n * 11) % 255;
      image[static_cast<std::size_t>(kalvetro::SceneRowOffset(s) + n)] = static_cast<char>(level);
    }
  }
  std::ofstream out(path, std::ios::binary);
  out.write(image.data(), static_cast<std::streamsize>(image.size()));
  return static_cast<bool>(out.flush());
}

// VmRSS of the process in KiB, or -1.
long ResidentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  return -1;
}

void MakeRaw(int fd) {
  struct termios tio {};
  if (::tcgetattr(fd, &tio) != 0) return;
  ::cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  ::tcsetattr(fd, TCSANOW, &tio);
}

pid_t StartConsole(const Options& o, const std::string& binary, const std::string& port,
                   const std::string& show, const std::string& folder) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  // The console runs as it would for an operator: normal scheduling, its own folders for
  // settings and autosave, no display needed.
  struct sched_param normal {};
  ::sched_setscheduler(0, SCHED_OTHER, &normal);
  ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const int devNull = ::open("/dev/null", O_WRONLY);
  const int log = ::open((folder + "/console.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (devNull >= 0) ::dup2(devNull, STDOUT_FILENO);
  if (log >= 0) ::dup2(log, STDERR_FILENO);
  std::vector<const char*> args = {binary.c_str()};
  if (!o.windowed) args.push_back("--headless");
  args.push_back("--port");
  args.push_back(port.c_str());
  args.push_back(show.c_str());
  args.push_back(nullptr);
  ::execv(binary.c_str(), const_cast<char* const*>(args.data()));
  std::fprintf(stderr, "soak: cannot start %s: %s\n", binary.c_str(), std::strerror(errno));
  ::_exit(127);
}

int CountLines(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  int lines = 0;
  while (std::getline(in, line)) lines += !line.empty();
  return lines;
}

}  // namespace

int main(int argc, char* argv[]) {
  Options o;
  if (!ParseOptions(argc, argv, &o)) {
    Usage();
    return 2;
  }
  const std::string binary = ConsoleBinary(o);
  char folderTemplate[] = "/tmp/kalvetro-soak-XXXXXX";
  if (::mkdtemp(folderTemplate) == nullptr) {
    std::perror("soak: mkdtemp");
    return 2;
  }
  const std::string folder = folderTemplate;
  const std::string show = o.show.empty() ? folder + "/soak.klv" : o.show;
  if (o.show.empty() && !WriteSoakShow(show, o.tempo)) {
    std::fprintf(stderr, "soak: cannot write %s\n", show.c_str());
    return 2;
  }

  int master = -1;
  int slave = -1;  // held open so that the master reads nothing but data
  char name[128] = {};
  if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
    std::perror("soak: openpty");
    return 2;
  }
  MakeRaw(slave);
  ::fcntl(master, F_SETFL, O_NONBLOCK);
  ::fcntl(master, F_SETFD, FD_CLOEXEC);
  ::fcntl(slave, F_SETFD, FD_CLOEXEC);

  // Arrival times are only as good as this reader's wake-ups: real-time scheduling when the
  // system grants it (the console itself is started with normal scheduling).
  struct sched_param param {};
  param.sched_priority = 10;
  const bool realTime = ::sched_setscheduler(0, SCHED_FIFO, &param) == 0;
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);

  const pid_t pid = StartConsole(o, binary, name, show, folder);
  if (pid < 0) {
    std::perror("soak: fork");
    return 2;
  }
  std::printf("soak: %s %s on %s for %.0f s (warm-up %.0f s), reader %s\n", binary.c_str(),
              o.windowed ? "(windowed, offscreen)" : "--headless", name, o.seconds, o.warmupSeconds,
              realTime ? "real-time" : "normal priority");
  std::fflush(stdout);

  kalvetro::DmxStreamDecoder decoder;
  const auto started = Clock::now();
  auto nowNs = [started] {
    return static_cast<std::int64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - started).count());
  };
  std::int64_t firstNs = -1;
  std::int64_t lastNs = -1;
  double longestGapMs = 0;
  std::int64_t longestGapAtNs = 0;
  long gapsOverTarget = 0;
  long lastLevel1 = -1;
  long changesOfChannel1 = 0;
  long rssAtStart = -1;
  long rssAfterWarmup = -1;
  long rssMax = -1;
  bool consoleEnded = false;
  int consoleStatus = 0;
  std::int64_t nextReportNs = 60'000'000'000LL;
  std::array<std::uint8_t, 8192> buffer{};

  const std::int64_t endNs = static_cast<std::int64_t>(o.seconds * 1e9);
  while (!gStop && nowNs() < endNs + (firstNs < 0 ? 0 : firstNs)) {
    struct pollfd fd = {master, POLLIN, 0};
    ::poll(&fd, 1, 20);
    for (;;) {
      const ssize_t n = ::read(master, buffer.data(), buffer.size());
      if (n <= 0) break;
      const std::int64_t t = nowNs();
      decoder.Feed(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)), t,
                   [&](const kalvetro::DmxFrame& f) {
                     if (firstNs < 0) {
                       firstNs = f.timeNs;
                       rssAtStart = ResidentKiB(pid);
                     } else {
                       const double gap = static_cast<double>(f.timeNs - lastNs) / 1e6;
                       if (gap > longestGapMs) {
                         longestGapMs = gap;
                         longestGapAtNs = f.timeNs;
                       }
                       gapsOverTarget += gap > kGapTargetMs;
                     }
                     changesOfChannel1 += lastLevel1 >= 0 && f.levels[0] != lastLevel1;
                     lastLevel1 = f.levels[0];
                     lastNs = f.timeNs;
                   });
    }
    if (firstNs >= 0) {
      const std::int64_t t = nowNs();
      if (rssAfterWarmup < 0 && t - firstNs >= static_cast<std::int64_t>(o.warmupSeconds * 1e9))
        rssAfterWarmup = ResidentKiB(pid);
      if (t - firstNs >= nextReportNs) {
        rssMax = std::max(rssMax, ResidentKiB(pid));
        std::fprintf(stderr, "soak: %3lld min  packets %ld  malformed %ld  longest gap %.1f ms\n",
                     static_cast<long long>(nextReportNs / 60'000'000'000LL), decoder.Frames(),
                     decoder.Malformed(), longestGapMs);
        nextReportNs += 60'000'000'000LL;
      }
    }
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      consoleEnded = true;
      consoleStatus = status;
      break;
    }
  }

  const long rssAtEnd = consoleEnded ? -1 : ResidentKiB(pid);
  rssMax = std::max(rssMax, rssAtEnd);
  if (!consoleEnded) {
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 100 && ::waitpid(pid, &consoleStatus, WNOHANG) != pid; ++i)
      ::usleep(50'000);
    if (::waitpid(pid, &consoleStatus, WNOHANG) == 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &consoleStatus, 0);
    }
  }
  ::close(master);
  ::close(slave);

  const long received = decoder.Frames();
  const double spanMs = firstNs >= 0 ? static_cast<double>(lastNs - firstNs) / 1e6 : 0;
  const long expected = firstNs >= 0 ? static_cast<long>(spanMs / kPeriodMs + 0.5) + 1 : 0;
  const long lost = std::max(0L, expected - received);
  const long rssGrowth = rssAfterWarmup >= 0 && rssAtEnd >= 0 ? rssAtEnd - rssAfterWarmup : 0;
  const int statusLines = CountLines(folder + "/console.log");

  std::printf("duration          %.1f s of packets (%.1f s asked)\n", spanMs / 1000, o.seconds);
  std::printf("packets expected  %ld (one per %.0f ms from the first to the last)\n", expected,
              kPeriodMs);
  std::printf("packets received  %ld   lost %ld\n", received, lost);
  std::printf("malformed         %ld packets, %ld skipped bytes\n", decoder.Malformed(),
              decoder.SkippedBytes());
  std::printf("longest gap       %.1f ms (at %.1f s); gaps over %.0f ms: %ld\n", longestGapMs,
              static_cast<double>(longestGapAtNs - std::max<std::int64_t>(firstNs, 0)) / 1e9,
              kGapTargetMs, gapsOverTarget);
  std::printf("channel 1 moved   in %ld packets\n", changesOfChannel1);
  std::printf(
      "resident memory   %ld KiB at start, %ld KiB after warm-up, %ld KiB at end "
      "(max %ld); growth after warm-up %ld KiB\n",
      rssAtStart, rssAfterWarmup, rssAtEnd, rssMax, rssGrowth);
  std::printf("console messages  %d line(s) in %s/console.log\n", statusLines, folder.c_str());
  if (consoleEnded) std::printf("console ENDED during the run (status %d)\n", consoleStatus);
  std::fflush(stdout);

  if (!o.keep && !consoleEnded) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  if (consoleEnded || received == 0) return 2;
  const bool met = lost == 0 && longestGapMs <= kGapTargetMs && decoder.Malformed() == 0 &&
                   decoder.SkippedBytes() == 0 && rssGrowth <= kMemoryTargetKiB;
  std::printf("targets           %s\n", met ? "met" : "MISSED");
  return met ? 0 : 1;
}
