// The serial port object and the open step, on real pseudo-terminals: what only a real port shows
// (opening, a port held elsewhere, the raw line, a hang-up). The operations' handling of the line
// is tested on the scripted port (serial_*_test.cpp).

#include <gtest/gtest.h>

#include <QSerialPort>
#include <QThread>
#include <functional>

#include "host/Clock.h"
#include "link/SerialPort.h"
#include "ops/Operations.h"
#include "support/Languages.h"
#include "support/PtyDevice.h"
#include "support/RecordingFeedback.h"
#include "support/SerialFrames.h"

namespace quorvin::test {
namespace {

// Runs fn on a thread started by Qt and waits for it: the port belongs to the thread that opens
// it, and only Qt's own threads can serve it (the test runner's main thread has no Qt event
// dispatcher).
void OnQtThread(const std::function<void()>& fn) {
  QThread* thread = QThread::create(fn);
  thread->start();
  thread->wait();
  delete thread;
}

TEST(SerialPortChoice, PortItemsAndSpeedsReadLikeTheirDecimalNumbers) {
  EXPECT_EQ(PortNumberFromItem("COM3"), 3);
  EXPECT_EQ(PortNumberFromItem("COM12"), 12);
  EXPECT_EQ(PortNumberFromItem("COMX"), 0);
  EXPECT_EQ(PortNumberFromItem("COM"), 0);
  EXPECT_EQ(PortNumberFromItem("COM 7x"), 7);
  EXPECT_EQ(ParseDecimal("115200"), 115200);
  EXPECT_EQ(ParseDecimal("  -96"), -96);
  EXPECT_EQ(ParseDecimal("baud"), 0);
  EXPECT_EQ(ParseDecimal("99999999999999"), INT32_MAX);

  const SerialTarget com3 = ResolveSerialTarget("COM3", true);
  EXPECT_EQ(com3.location, "\\\\.\\COM3");
  EXPECT_EQ(com3.label, "3");
  EXPECT_EQ(ResolveSerialTarget("COM12", true).location, "\\\\.\\COM12");
  EXPECT_EQ(ResolveSerialTarget("ABCDE", true).location, "\\\\.\\COM0");

  // Elsewhere a port is its system location, and messages name that.
  EXPECT_EQ(ResolveSerialTarget("/dev/pts/5", false).location, "/dev/pts/5");
  EXPECT_EQ(ResolveSerialTarget("/dev/pts/5", false).label, "/dev/pts/5");
  EXPECT_EQ(ResolveSerialTarget("ttyQ9", false).location, "/dev/ttyQ9");
}

TEST(SerialOpenStep, NothingHappensWithoutASpeedOrAPort) {
  OnQtThread([] {
    PtyDevice device;
    ASSERT_TRUE(device.Ok());
    SerialPort port;
    RecordingFeedback fb;
    EXPECT_EQ(OpenSerialPort(port, {device.SlavePath(), ""}, fb, TestLanguage(true)), SerialOpen::NotStarted);
    EXPECT_EQ(OpenSerialPort(port, {"", "9600"}, fb, TestLanguage(true)), SerialOpen::NotStarted);
    EXPECT_TRUE(fb.log.isEmpty());
    EXPECT_FALSE(port.IsOpen());
  });
}

TEST(SerialOpenStep, FailuresNameThePortAndGiveTheSystemText) {
  OnQtThread([] {
    SerialPort port;
    {
      RecordingFeedback fb;
      EXPECT_EQ(OpenSerialPort(port, {"/dev/no-such-port", "9600"}, fb, TestLanguage(true)), SerialOpen::Failed);
      EXPECT_EQ(fb.log, QStringList({QString::fromUtf8("box: Comm：/dev/no-such-port\nNo such file or directory")}));
    }
    {  // A speed field without digits passes 0, which the driver refuses; the port is not left open.
      PtyDevice device;
      RecordingFeedback fb;
      EXPECT_EQ(OpenSerialPort(port, {device.SlavePath(), "fast"}, fb, TestLanguage(false)), SerialOpen::Failed);
      ASSERT_EQ(fb.log.size(), 1);
      EXPECT_TRUE(fb.log[0].startsWith(QString::fromUtf8("box: 端口：") + device.SlavePath() + "\n"));
      EXPECT_GT(fb.log[0].size(), QString::fromUtf8("box: 端口：\n").size() + device.SlavePath().size());
      EXPECT_FALSE(port.IsOpen());
    }
  });
}

TEST(SerialOpenStep, APortHeldElsewhereIsReportedAndAReopenClosesFirst) {
  OnQtThread([] {
    PtyDevice device;
    SerialPort port;
    RecordingFeedback fb;
    {
      QSerialPort holder(device.SlavePath());
      ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
      EXPECT_EQ(OpenSerialPort(port, {device.SlavePath(), "9600"}, fb, TestLanguage(true)), SerialOpen::Failed);
      ASSERT_EQ(fb.log.size(), 1);
      EXPECT_TRUE(fb.log[0].startsWith(QString::fromUtf8("box: Comm：") + device.SlavePath() + "\n"));
      EXPECT_FALSE(port.IsOpen());
    }
    // Once released, the port opens; opening it again while open closes the first handle, or the
    // port's own lock would refuse the second open.
    EXPECT_EQ(OpenSerialPort(port, {device.SlavePath(), "115200"}, fb, TestLanguage(true)), SerialOpen::Opened);
    EXPECT_EQ(OpenSerialPort(port, {device.SlavePath(), "57600"}, fb, TestLanguage(true)), SerialOpen::Opened);
    EXPECT_EQ(fb.log.size(), 1);
    port.Write("\x55\xAA", 2);
    EXPECT_EQ(device.ReadExactly(2, 1000), Bytes({0x55, 0xAA}));
    port.Close();
    EXPECT_FALSE(port.IsOpen());
  });
}

TEST(SerialPortIo, ReadsReturnWhatCameAndNothingAfterTheWait) {
  OnQtThread([] {
    PtyDevice device;
    SerialPort port;
    port.Open(device.SlavePath(), 9600);
    char buf[16] = {};
    RealClock clock;
    const qint64 t0 = clock.NowMs();
    EXPECT_EQ(port.Read(buf, sizeof buf, 80), 0);
    EXPECT_GE(clock.NowMs() - t0, 70);
    // Every byte value passes unchanged: no line editing, no translation of CR, LF or XON/XOFF.
    const QByteArray raw = Bytes({0x0D, 0x0A, 0x11, 0x13, 0x03, 0x00, 0xFF, 0x7F});
    ASSERT_TRUE(device.Write(raw));
    QByteArray got;
    while (got.size() < raw.size()) {
      const qint64 n = port.Read(buf, sizeof buf, 500);
      ASSERT_GT(n, 0);
      got.append(buf, n);
    }
    EXPECT_EQ(got, raw);
    port.Write(raw.constData(), raw.size());
    EXPECT_EQ(device.ReadExactly(raw.size(), 1000), raw);
  });
}

// A line whose far end goes away raises at the next read, named as a hang-up, rather than read as
// silence until the operation's window runs out.
TEST(SerialPortIo, AHungUpLineRaisesAsSuch) {
  OnQtThread([] {
    PtyDevice device;
    ASSERT_TRUE(device.Ok());
    SerialPort port;
    port.Open(device.SlavePath(), 9600);
    device.HangUp();
    char buf[16] = {};
    RealClock clock;
    const qint64 t0 = clock.NowMs();
    try {
      for (int i = 0; i < 10; ++i) (void)port.Read(buf, sizeof buf, 200);
      FAIL() << "no exception";
    } catch (const SerialError& e) {
      EXPECT_EQ(e.Fault(), SerialFault::HungUp);
      EXPECT_TRUE(e.Text().contains("no longer available")) << e.Text().toStdString();
    }
    EXPECT_LT(clock.NowMs() - t0, 1000);
  });
}

TEST(SerialPortIo, ClosedPortRaisesWithText) {
  OnQtThread([] {
    SerialPort port;
    char c = 0;
    try {
      (void)port.Read(&c, 1, 10);
      FAIL() << "no exception";
    } catch (const SerialError& e) {
      EXPECT_FALSE(e.Text().isEmpty());
    }
  });
}

}  // namespace
}  // namespace quorvin::test
