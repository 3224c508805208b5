// SPDX-License-Identifier: GPL-3.0-or-later
// TBComPort on the fake device: modem lines, line errors, refused rates and vanishing
// devices, which pseudo-terminals do not have.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <string>
#include <vector>

#include "serial/BCPort.h"
#include "serial/SerialTestSupport.h"
#include "support/FakeSerialDevice.h"

namespace kalvetro {
namespace {

using serial::FakeSerialLine;
using testing::Pump;
using testing::WaitFor;
using namespace comport_messages;

bool OnUiThread() {
  return QThread::currentThread() == QCoreApplication::instance()->thread();
}

TEST(FakeDeviceTest, LineSettingsReachTheDeviceAndClosingReleasesTheLines) {
  auto line = FakeSerialLine::Create("fake:settings");
  TBComPort port;
  port.SetPort(QStringLiteral("fake:settings"));
  port.SetBaudRate(br115200);
  ASSERT_TRUE(port.Open());
  serial::DeviceControlBlock dcb = line->State();
  EXPECT_EQ(dcb.length, 28u);
  EXPECT_EQ(dcb.baudRate, 115200u);
  EXPECT_EQ(dcb.flags, 0x1011u);
  EXPECT_EQ(dcb.byteSize, 8);
  EXPECT_EQ(dcb.parity, 0);
  EXPECT_EQ(dcb.stopBits, 0);
  EXPECT_EQ(dcb.xonChar, 0x11);
  EXPECT_EQ(dcb.xoffChar, 0x13);
  EXPECT_EQ(line->Timeouts().readInterval, 0xFFFFFFFFu);
  EXPECT_EQ(line->Timeouts().writeTotalMultiplier, 100u);
  EXPECT_EQ(line->Timeouts().writeTotalConstant, 1000u);
  EXPECT_TRUE(line->Dtr());
  EXPECT_TRUE(line->Rts());

  port.SetParity(paOdd);
  port.SetByteSize(bs7);
  dcb = line->State();
  EXPECT_EQ(dcb.flags, 0x1013u);  // parity checking on
  EXPECT_EQ(dcb.byteSize, 7);
  EXPECT_EQ(dcb.parity, 1);

  // Time-outs: a setter applies at once; Assign only copies; SetTimeouts copies and applies.
  port.Timeouts().SetReadTotalConstant(25);
  EXPECT_EQ(line->Timeouts().readTotalConstant, 25u);
  TComTimeouts other;
  other.SetWriteTotalConstant(7);
  port.Timeouts().Assign(other);
  EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 7);
  EXPECT_EQ(line->Timeouts().writeTotalConstant, 1000u);
  port.SetTimeouts(other);
  EXPECT_EQ(line->Timeouts().writeTotalConstant, 7u);
  EXPECT_EQ(line->Timeouts().readTotalConstant, 0u);

  // A rate the driver refuses.
  line->RefuseRate(256000);
  try {
    port.SetBaudRate(br256000);
    ADD_FAILURE() << "refused rate accepted";
  } catch (const EComPort& e) {
    EXPECT_STREQ(e.what(), kSetCommStateError);
  }

  port.SetDTR(false);
  EXPECT_FALSE(line->Dtr());
  port.Close();
  EXPECT_FALSE(line->Dtr());
  EXPECT_FALSE(line->Rts());
  EXPECT_FALSE(line->IsOpen());

  // Opening with the refused rate fails and leaves everything closed.
  try {
    port.Open();
    ADD_FAILURE() << "open with a refused rate";
  } catch (const EComPort& e) {
    EXPECT_STREQ(e.what(), kSetCommStateError);
  }
  EXPECT_FALSE(port.Connected());
  EXPECT_FALSE(line->IsOpen());
}

TEST(FakeDeviceTest, EventsOfOneWaitRunInTheirFixedOrder) {
  auto line = FakeSerialLine::Create("fake:events");
  TBComPort port;
  port.SetPort(QStringLiteral("fake:events"));
  std::vector<std::string> order;
  bool allOnUiThread = true;
  auto note = [&](std::string what) {
    allOnUiThread = allOnUiThread && OnUiThread();
    order.push_back(std::move(what));
  };
  port.OnError = [&](TBComPort*, TComErrors e) { note("error" + std::to_string(e.Bits())); };
  port.OnRxChar = [&](TBComPort* p, int count) {
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(count));
    p->Read(buffer.data(), count);
    note("rx" + std::to_string(count));
  };
  port.OnCTSChange = [&](TBComPort*, bool on) { note(on ? "cts+" : "cts-"); };
  port.OnDSRChange = [&](TBComPort*, bool on) { note(on ? "dsr+" : "dsr-"); };
  port.OnRLSDChange = [&](TBComPort*, bool on) { note(on ? "rlsd+" : "rlsd-"); };
  port.OnRing = [&](TBComPort*) { note("ring"); };
  ASSERT_TRUE(port.Open());

  // The first change makes the event thread wait for this thread; meanwhile everything else
  // happens, so that the next wait reports it all at once.
  line->SetModemStatus(serial::kMsDsrOn);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  line->RaiseLineErrors(serial::kCeFrame | serial::kCeOverrun);
  line->Send({2, 3});
  line->SetModemStatus(serial::kMsCtsOn | serial::kMsDsrOn | serial::kMsRlsdOn | serial::kMsRingOn);
  ASSERT_TRUE(WaitFor([&] { return order.size() >= 6; })) << ::testing::PrintToString(order);
  Pump(30);
  const std::vector<std::string> expected = {"dsr+", "error5", "rx2", "ring", "cts+", "rlsd+"};
  EXPECT_EQ(order, expected);
  EXPECT_TRUE(allOnUiThread);
  EXPECT_EQ(port.ModemSignals(), (TComSignals{csCTS, csDSR, csRing, csRLSD}));

  // A line that drops is reported with its new state.
  order.clear();
  line->SetModemStatus(serial::kMsDsrOn);
  ASSERT_TRUE(WaitFor([&] { return order.size() >= 3; }));
  EXPECT_EQ(order, (std::vector<std::string>{"ring", "cts-", "rlsd-"}));
  port.Close();
}

// A write fires "transmit queue empty" only for a port that handles it; a port without the
// handler never has the device watch for it, so its writes wake no thread.
TEST(FakeDeviceTest, TransmitEmptyIsWatchedOnlyWhenHandled) {
  auto line = FakeSerialLine::Create("fake:txempty");
  const std::uint8_t bytes[] = {1, 2, 3};
  {
    TBComPort port;
    port.SetPort(QStringLiteral("fake:txempty"));
    port.OnRxChar = [](TBComPort*, int) {};
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(line->WatchedEvents() & serial::kEvTxEmpty, 0u);
    EXPECT_NE(line->WatchedEvents() & serial::kEvRxChar, 0u);
    EXPECT_NE(line->WatchedEvents() & serial::kEvCts, 0u);
    EXPECT_EQ(port.Write(bytes, 3), 3);
    port.Close();
  }
  TBComPort port;
  port.SetPort(QStringLiteral("fake:txempty"));
  std::atomic<int> emptied{0};
  bool onUiThread = true;
  port.OnTxEmpty = [&](TBComPort*) {
    onUiThread = onUiThread && OnUiThread();
    ++emptied;
  };
  ASSERT_TRUE(port.Open());
  EXPECT_NE(line->WatchedEvents() & serial::kEvTxEmpty, 0u);
  EXPECT_EQ(port.Write(bytes, 3), 3);
  ASSERT_TRUE(WaitFor([&] { return emptied.load() >= 1; }));
  EXPECT_TRUE(onUiThread);
  port.Close();
}

TEST(FakeDeviceTest, ParityErrorsCountOnlyWithParityAndEmptyQueuesRaiseNothing) {
  auto line = FakeSerialLine::Create("fake:errors");
  TBComPort port;
  port.SetPort(QStringLiteral("fake:errors"));
  std::vector<TComErrors> errors;
  int rxCalls = 0;
  port.OnError = [&](TBComPort*, TComErrors e) { errors.push_back(e); };
  port.OnRxChar = [&](TBComPort*, int) { ++rxCalls; };
  ASSERT_TRUE(port.Open());

  // Without parity a parity error is no error; the frame error after it is.
  line->RaiseLineErrors(serial::kCeRxParity);
  Pump(50);
  line->RaiseLineErrors(serial::kCeFrame);
  ASSERT_TRUE(WaitFor([&] { return !errors.empty(); }));
  Pump(30);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], TComErrors{ceFrame});

  port.SetParity(paEven);
  line->RaiseLineErrors(serial::kCeRxParity | serial::kCeBreak | serial::kCeRxOver);
  ASSERT_TRUE(WaitFor([&] { return errors.size() == 2; }));
  EXPECT_EQ(errors[1], (TComErrors{ceRxParity, ceBreak, ceRxOver}));

  // Bytes read before their notification is handled leave an empty queue: no OnRxChar.
  line->Send({9, 9, 9});
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::uint8_t buffer[8];
  EXPECT_EQ(port.Read(buffer, 8), 3);
  Pump(50);
  EXPECT_EQ(rxCalls, 0);
  line->Send({1});
  EXPECT_TRUE(WaitFor([&] { return rxCalls == 1; }));

  // An error that comes while a reception waits for this thread is cleared by the reception's
  // queue query; it is still reported by the error event that follows.
  line->Send({7});
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  line->RaiseLineErrors(serial::kCeOverrun);
  ASSERT_TRUE(WaitFor([&] { return errors.size() == 3; }));
  EXPECT_EQ(errors[2], TComErrors{ceOverrun});
  EXPECT_EQ(rxCalls, 2);
  port.Close();
}

TEST(FakeDeviceTest, SyncMethodsChooseTheThreadOfTheHandlers) {
  auto line = FakeSerialLine::Create("fake:sync");
  TBComPort port;
  port.SetPort(QStringLiteral("fake:sync"));

  // smNone: the handlers run on the event thread.
  port.SetSyncMethod(smNone);
  std::atomic<int> calls{0};
  std::atomic<bool> onEventThread{false};
  port.OnCTSChange = [&](TBComPort*, bool) {
    onEventThread = !OnUiThread();
    ++calls;
  };
  ASSERT_TRUE(port.Open());
  line->SetModemStatus(serial::kMsCtsOn);
  ASSERT_TRUE(WaitFor([&] { return calls.load() == 1; }));
  EXPECT_TRUE(onEventThread.load());
  port.Close();

  // smWindowSync: on this thread, and an error of a handler is shown without stopping the
  // events that follow.
  port.SetSyncMethod(smWindowSync);
  QStringList shown;
  bool uiThread = false;
  port.OnHandlerError = [&](const QString& message) { shown << message; };
  port.OnCTSChange = [&](TBComPort*, bool on) {
    uiThread = OnUiThread();
    ++calls;
    if (!on) throw EComPort(kReadError);
  };
  ASSERT_TRUE(port.Open());
  line->SetModemStatus(0);
  ASSERT_TRUE(WaitFor([&] { return calls.load() == 2; }));
  line->SetModemStatus(serial::kMsCtsOn);
  ASSERT_TRUE(WaitFor([&] { return calls.load() == 3; }));
  EXPECT_TRUE(uiThread);
  EXPECT_EQ(shown, QStringList{QString::fromUtf8(kReadError)});
  port.Close();
}

TEST(FakeDeviceTest, AVanishedDeviceEndsTheEventThreadAndStillCloses) {
  auto line = FakeSerialLine::Create("fake:gone");
  TBComPort port;
  port.SetPort(QStringLiteral("fake:gone"));
  ASSERT_TRUE(port.Open());
  line->Unplug();
  const std::uint8_t b = 1;
  try {
    port.Write(&b, 1);
    ADD_FAILURE() << "write to a vanished device";
  } catch (const EComPort& e) {
    EXPECT_STREQ(e.what(), kWriteError);
  }
  EXPECT_TRUE(port.Close());
  EXPECT_FALSE(port.Connected());
  try {
    port.Open();
    ADD_FAILURE() << "a vanished device opened";
  } catch (const EComPort& e) {
    EXPECT_STREQ(e.what(), kNoSuchPort);
  }
}

}  // namespace
}  // namespace kalvetro
