// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A real OLA daemon for tests: started as an unprivileged user (olad refuses to run as root)
// with a temporary configuration in which every plugin is off, no web server and no DNS-SD,
// on an RPC port of its own; stopped by its process id. And a reader of a universe through
// OLA's client API.

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ola/Callback.h>
#include <ola/DmxBuffer.h>
#include <ola/Logging.h>
#include <ola/client/ClientArgs.h>
#include <ola/client/OlaClient.h>
#include <ola/io/SelectServer.h>
#include <ola/network/IPV4Address.h>
#include <ola/network/SocketAddress.h>
#include <ola/network/TCPSocket.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace kalvetro::testing {

class OlaDaemon {
 public:
  explicit OlaDaemon(std::uint16_t port) : port_(port) {
    dir_.setAutoRemove(true);
    // Every plugin of the daemon off: the test needs only the universe store, and no plugin
    // may open a network interface or a device.
    for (const char* plugin : {"artnet",
                               "dummy",
                               "e131",
                               "espnet",
                               "ftdidmx",
                               "gpio",
                               "karate",
                               "kinet",
                               "milinst",
                               "opendmx",
                               "openpixelcontrol",
                               "osc",
                               "pathport",
                               "renard",
                               "sandnet",
                               "shownet",
                               "spi",
                               "stageprofi",
                               "uartdmx",
                               "usbdmx",
                               "usbserial"}) {
      QFile conf(dir_.filePath(QStringLiteral("ola-%1.conf").arg(QString::fromLatin1(plugin))));
      if (conf.open(QIODevice::WriteOnly)) conf.write("enabled = false\n");
    }
    if (const passwd* nobody = ::getpwnam("nobody")) {
      const std::string path = dir_.path().toStdString();
      [[maybe_unused]] int r = ::chown(path.c_str(), nobody->pw_uid, nobody->pw_gid);
      for (const QString& name : QDir(dir_.path()).entryList(QDir::Files)) {
        const std::string file = dir_.filePath(name).toStdString();
        r = ::chown(file.c_str(), nobody->pw_uid, nobody->pw_gid);
      }
    }
  }
  ~OlaDaemon() { Stop(); }

  // Starts the daemon and waits until its RPC port answers.
  bool Start() {
    Stop();
    const std::string config = dir_.path().toStdString();
    const std::string port = std::to_string(port_);
    pid_ = ::fork();
    if (pid_ == 0) {
      const int devnull = ::open("/dev/null", O_RDWR);
      ::dup2(devnull, 1);
      ::dup2(devnull, 2);
      if (::geteuid() == 0) {
        ::execlp("setpriv", "setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
                 "olad", "-c", config.c_str(), "-l", "1", "--no-http", "--no-register-with-dns-sd",
                 "-r", port.c_str(), nullptr);
      } else {
        ::execlp("olad", "olad", "-c", config.c_str(), "-l", "1", "--no-http",
                 "--no-register-with-dns-sd", "-r", port.c_str(), nullptr);
      }
      ::_exit(127);
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < end) {
      if (Answers()) return true;
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }
  // Freezes and thaws the daemon: it stops reading its socket.
  void Pause() {
    if (pid_ > 0) ::kill(pid_, SIGSTOP);
  }
  void Resume() {
    if (pid_ > 0) ::kill(pid_, SIGCONT);
  }

  std::uint16_t Port() const { return port_; }

 private:
  bool Answers() const {
    std::unique_ptr<ola::network::TCPSocket> socket(ola::network::TCPSocket::Connect(
        ola::network::IPV4SocketAddress(ola::network::IPV4Address::Loopback(), port_)));
    return socket != nullptr;
  }

  std::uint16_t port_;
  pid_t pid_ = -1;
  QTemporaryDir dir_;
};

// A client of the daemon registered for one universe: it receives every frame the daemon
// passes on for that universe, through OLA's client API, on a thread of its own.
class OlaListener {
 public:
  // Everything of the client lives on the listener's own thread: the library hands its
  // callbacks over inside its own code, which the thread checker cannot see.
  OlaListener(std::uint16_t port, unsigned universe) {
    thread_ = std::thread([this, port, universe] {
      ola::io::SelectServer server;
      std::unique_ptr<ola::network::TCPSocket> socket(ola::network::TCPSocket::Connect(
          ola::network::IPV4SocketAddress(ola::network::IPV4Address::Loopback(), port)));
      if (!socket) return;
      {
        ola::client::OlaClient client(socket.get());
        if (!client.Setup()) return;
        server.AddReadDescriptor(socket.get());
        client.SetDMXCallback(ola::NewCallback(this, &OlaListener::OnDmx));
        client.RegisterUniverse(universe, ola::client::REGISTER,
                                ola::NewSingleCallback(this, &OlaListener::OnRegistered));
        while (!stop_.load()) server.RunOnce(ola::TimeInterval(0, 20000));
        server.RemoveReadDescriptor(socket.get());
        client.Stop();
      }
    });
  }
  ~OlaListener() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

  bool Registered() const { return registered_.load(); }
  long Frames() const { return frames_.load(); }
  std::array<std::uint8_t, 512> Last() const {
    std::lock_guard lock(mutex_);
    return last_;
  }
  // The number of slots the last frame carried.
  unsigned LastLength() const {
    std::lock_guard lock(mutex_);
    return lastLength_;
  }

 private:
  void OnRegistered(const ola::client::Result& result) { registered_ = result.Success(); }
  void OnDmx(const ola::client::DMXMetadata&, const ola::DmxBuffer& data) {
    std::array<std::uint8_t, 512> levels{};
    unsigned int length = levels.size();
    data.Get(levels.data(), &length);
    {
      std::lock_guard lock(mutex_);
      last_ = levels;
      lastLength_ = length;
    }
    frames_.fetch_add(1);
  }

  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::atomic<bool> registered_{false};
  std::atomic<long> frames_{0};
  mutable std::mutex mutex_;
  std::array<std::uint8_t, 512> last_{};
  unsigned lastLength_ = 0;
};

// A port for a test daemon that does not collide with a daemon of the user (9010) nor with
// another test run at the same time.
inline std::uint16_t TestOlaPort() {
  return static_cast<std::uint16_t>(19000 + ::getpid() % 2000);
}

}  // namespace kalvetro::testing
