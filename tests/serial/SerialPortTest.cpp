// SPDX-License-Identifier: GPL-3.0-or-later
// TBComPort on pseudo-terminals: the slave is the port, the master the far end.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <fstream>

#include "serial/BCPort.h"
#include "serial/SerialTestSupport.h"

namespace kalvetro {
namespace {

using testing::Pty;
using testing::WaitFor;
using namespace comport_messages;

// Runs f and returns the message of the EComPort it raised ("" when none).
template <typename F>
std::string RaisedBy(F&& f) {
  try {
    f();
  } catch (const EComPort& e) {
    return e.what();
  }
  return {};
}

void Configure(TBComPort& port, const Pty& pty) {
  port.SetPort(QString::fromStdString(pty.Path()));
  port.SetBaudRate(br115200);
}

TEST(SerialPortTest, PortNamesMapToDevices) {
  EXPECT_EQ(serial::DevicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(serial::DevicePath("COM2"), "/dev/ttyS1");
  EXPECT_EQ(serial::DevicePath("COM12"), "/dev/ttyS11");
  EXPECT_EQ(serial::DevicePath("/dev/ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(serial::DevicePath("ttyACM0"), "/dev/ttyACM0");
}

TEST(SerialPortTest, TheSystemConsoleIsNeverOpened) {
  // A serial port that carries the kernel's console belongs to the system: it reports busy,
  // so that no DMX stream ever goes into it.
  std::ifstream active("/sys/class/tty/console/active");
  std::string name;
  std::string console;
  while (active >> name)
    if (name.rfind("ttyS", 0) == 0 && ::access(("/dev/" + name).c_str(), F_OK) == 0) console = name;
  if (console.empty()) GTEST_SKIP() << "no serial console on this machine";
  TBComPort port;
  port.SetPort(QString::fromStdString("/dev/" + console));
  EXPECT_EQ(RaisedBy([&] { port.Open(); }), kPortBusy);
  EXPECT_FALSE(port.Connected());
}

TEST(SerialPortTest, BytesTravelBothWaysAndReceptionIsHandledOnTheUiThread) {
  Pty pty;
  ASSERT_FALSE(pty.Path().empty());
  TBComPort port;
  Configure(port, pty);
  int received = 0;
  bool onUiThread = true;
  std::vector<std::uint8_t> data;
  port.OnRxChar = [&](TBComPort* sender, int count) {
    EXPECT_EQ(sender, &port);
    onUiThread = onUiThread && QThread::currentThread() == QCoreApplication::instance()->thread();
    received += count;
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(count));
    const int n = port.Read(chunk.data(), count);
    data.insert(data.end(), chunk.begin(), chunk.begin() + n);
  };
  ASSERT_TRUE(port.Open());
  EXPECT_TRUE(port.Connected());
  EXPECT_TRUE(port.Open());  // opening an open port changes nothing

  const std::uint8_t out[] = {0xFF, 0xF0, 0x00, 0x0A, 0x0D, 0x11, 0x13, 0x7F};
  EXPECT_EQ(port.Write(out, 8), 8);
  // Raw mode: no byte is translated or swallowed on the way.
  EXPECT_EQ(pty.Receive(8), std::vector<std::uint8_t>(out, out + 8));

  std::vector<std::uint8_t> in(20);
  for (int i = 0; i < 20; ++i) in[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i + 240);
  pty.Send(in);
  ASSERT_TRUE(WaitFor([&] { return data.size() >= 20; }));
  EXPECT_EQ(data, in);
  EXPECT_EQ(received, 20);
  EXPECT_TRUE(onUiThread);

  // With the default time-outs a read returns at once with what is queued: nothing.
  std::uint8_t buffer[16];
  EXPECT_EQ(port.Read(buffer, 16), 0);
  EXPECT_EQ(port.InputCount(), 0);

  // A pseudo-terminal has no modem lines: the lines read off and setting them is harmless.
  EXPECT_TRUE(port.ModemSignals().Empty());
  EXPECT_EQ(RaisedBy([&] {
              port.SetDTR(true);
              port.SetRTS(false);
            }),
            "");
  EXPECT_TRUE(port.Close());
  EXPECT_FALSE(port.Connected());
  EXPECT_TRUE(port.Close());
}

TEST(SerialPortTest, OpeningFailsClearlyAndThePortIsExclusive) {
  TBComPort missing;
  missing.SetPort(QStringLiteral("/dev/kalvetro-no-such-port"));
  EXPECT_EQ(RaisedBy([&] { missing.Open(); }), kNoSuchPort);
  EXPECT_FALSE(missing.Connected());

  Pty pty;
  TBComPort first;
  TBComPort second;
  Configure(first, pty);
  Configure(second, pty);
  ASSERT_TRUE(first.Open());
  EXPECT_EQ(RaisedBy([&] { second.Open(); }), kPortBusy);
  EXPECT_FALSE(second.Connected());

  // Once the first lets go, the port opens again and works.
  first.Close();
  ASSERT_TRUE(second.Open());
  const std::uint8_t byte = 0x42;
  EXPECT_EQ(second.Write(&byte, 1), 1);
  EXPECT_EQ(pty.Receive(1), std::vector<std::uint8_t>{0x42});
  second.Close();
  ASSERT_TRUE(first.Open());
  first.Close();
}

TEST(SerialPortTest, PropertiesFollowTheirRules) {
  Pty pty;
  TBComPort port;
  EXPECT_EQ(port.Port(), QStringLiteral("COM2"));
  EXPECT_EQ(port.BaudRate(), br9600);
  EXPECT_EQ(port.InBufSize(), 2048);
  EXPECT_EQ(port.Timeouts().ReadInterval(), -1);
  EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 1000);
  EXPECT_EQ(port.Events().Bits(), 0xFF);
  EXPECT_EQ(EventMask(port.Events()), 0x05BDu);

  port.SetInBufSize(1025);
  EXPECT_EQ(port.InBufSize(), 1024);
  port.SetOutBufSize(2049);
  EXPECT_EQ(port.OutBufSize(), 2048);

  // Every operation on a closed port fails with its own message.
  std::uint8_t b = 0;
  EXPECT_EQ(RaisedBy([&] { port.Write(&b, 1); }), kWriteError);
  EXPECT_EQ(RaisedBy([&] { port.Read(&b, 1); }), kReadError);
  EXPECT_EQ(RaisedBy([&] { port.InputCount(); }), kClearCommErrorError);
  EXPECT_EQ(RaisedBy([&] { port.ModemSignals(); }), kModemStatusError);
  EXPECT_EQ(RaisedBy([&] { port.SetDTR(true); }), kEscapeError);
  EXPECT_EQ(RaisedBy([&] { port.SetRTS(true); }), kEscapeError);
  EXPECT_EQ(RaisedBy([&] { port.Purge(); }), kPurgeError);

  Configure(port, pty);
  ASSERT_TRUE(port.Open());
  EXPECT_EQ(RaisedBy([&] { port.SetPort(QStringLiteral("COM1")); }), kPortOpenError);
  EXPECT_EQ(port.Port(), QString::fromStdString(pty.Path()));
  EXPECT_EQ(RaisedBy([&] { port.SetSyncMethod(smThreadSync); }), "");
  EXPECT_EQ(RaisedBy([&] { port.SetSyncMethod(smNone); }), kPortOpenError);
  EXPECT_EQ(port.SyncMethod(), smThreadSync);
  // Line settings change on the open device.
  EXPECT_EQ(RaisedBy([&] {
              port.SetBaudRate(br57600);
              port.SetParity(paEven);
              port.SetByteSize(bs7);
              port.SetStopBits(sb2);
              port.Timeouts().SetReadTotalConstant(10);
            }),
            "");
  // One and a half stop bits need five data bits.
  EXPECT_EQ(RaisedBy([&] { port.SetStopBits(sb1_5); }), kSetCommStateError);
  port.Close();
  port.SetPort(QStringLiteral("COM1"));
  EXPECT_EQ(port.Port(), QStringLiteral("COM1"));
}

TEST(SerialPortTest, WritesAreBoundedAndAVanishedDeviceStillCloses) {
  Pty pty;
  TBComPort port;
  Configure(port, pty);
  port.Timeouts().SetWriteTotalMultiplier(0);
  port.Timeouts().SetWriteTotalConstant(100);
  ASSERT_TRUE(port.Open());
  // The far end reads nothing: the write time-out ends the write with what went out.
  std::vector<std::uint8_t> big(200000, 0x55);
  const int written = port.Write(big.data(), static_cast<int>(big.size()));
  EXPECT_GE(written, 0);
  EXPECT_LT(written, static_cast<int>(big.size()));
  EXPECT_EQ(port.WriteWithin(big.data(), 1000, 0), 0);

  // The interface is unplugged: writing fails, closing still releases everything.
  pty.CloseMaster();
  EXPECT_EQ(RaisedBy([&] { port.Write(big.data(), 10); }), kWriteError);
  EXPECT_TRUE(port.Close());
  EXPECT_FALSE(port.Connected());
}

TEST(SerialPortTest, ClosingWhileTheEventThreadWaitsForTheUiThreadDoesNotHang) {
  Pty pty;
  TBComPort port;
  Configure(port, pty);
  int calls = 0;
  port.OnRxChar = [&](TBComPort*, int) { ++calls; };
  ASSERT_TRUE(port.Open());
  // The event thread sees the bytes and waits for this thread, which does not run its
  // event loop but closes the port instead.
  pty.Send({1, 2, 3});
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(port.Close());
  testing::Pump(50);
  EXPECT_EQ(calls, 0);  // the delivery of a closed port is dropped

  // A handler may close the port itself; the other events of the wait are then skipped.
  ASSERT_TRUE(port.Open());
  port.OnRxChar = [&](TBComPort* sender, int) {
    ++calls;
    sender->Close();
  };
  pty.Send({4});
  ASSERT_TRUE(WaitFor([&] { return !port.Connected(); }));
  EXPECT_EQ(calls, 1);
  // And it opens again afterwards.
  port.OnRxChar = [&](TBComPort*, int) { ++calls; };
  ASSERT_TRUE(port.Open());
  pty.Send({5});
  EXPECT_TRUE(WaitFor([&] { return calls == 2; }));
  port.Close();
}

}  // namespace
}  // namespace kalvetro
