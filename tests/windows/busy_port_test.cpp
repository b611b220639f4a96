// A COM port another program holds is "busy" (quorvinctl's status 7) on Windows. Windows opens a
// COM port exclusively and refuses a second open; Wine lets a second open of a port through, but
// refuses a file held without sharing the same way, so a held file stands in for the held port.

#include <gtest/gtest.h>
#include <windows.h>

#include <QTemporaryDir>

#include "cli/ExitStatus.h"
#include "link/SerialPort.h"
#include "ops/Operations.h"
#include "support/RecordingFeedback.h"

namespace quorvin {
namespace {

TEST(BusyPort, TheSystemsRefusalsAreBusyOthersAreNot) {
  const QString port = QStringLiteral("\\\\.\\COM250");
  EXPECT_EQ(SerialOpenError(ERROR_ACCESS_DENIED, port).Fault(), SerialFault::Busy);
  EXPECT_EQ(SerialOpenError(ERROR_SHARING_VIOLATION, port).Fault(), SerialFault::Busy);
  EXPECT_EQ(SerialOpenError(ERROR_FILE_NOT_FOUND, port).Fault(), SerialFault::NotFound);
  EXPECT_EQ(SerialOpenError(ERROR_PATH_NOT_FOUND, port).Fault(), SerialFault::NotFound);
  EXPECT_EQ(SerialOpenError(ERROR_GEN_FAILURE, port).Fault(), SerialFault::Other);
  EXPECT_EQ(SerialOpenError(ERROR_SHARING_VIOLATION, port).Code(), quint32{ERROR_SHARING_VIOLATION});
}

// The real port's open, pointed at the held file whatever port the choice names.
class HeldPort final : public SerialPort {
 public:
  explicit HeldPort(QString path) : m_path(std::move(path)) {}
  void Open(const QString&, qint32 speed) override { SerialPort::Open(m_path, speed); }

 private:
  QString m_path;
};

TEST(BusyPort, AHeldPortEndsTheRunWithTheBusyStatus) {
  QTemporaryDir dir;
  const QString path = QDir::toNativeSeparators(dir.filePath(QStringLiteral("held")));
  const HANDLE holder = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  HeldPort port(path);
  test::RecordingFeedback fb;
  QString why;
  LinkFault fault = LinkFault::None;
  EXPECT_EQ(OpenSerialPort(port, {QStringLiteral("COM5"), QStringLiteral("9600")}, fb, Language(), &why, &fault),
            SerialOpen::Failed);
  CloseHandle(holder);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(fault, LinkFault::Busy) << why.toStdString();
  OpResult r;
  r.outcome = Outcome::Failed;
  r.linkFault = fault;
  EXPECT_EQ(cli::Judge(r).exitCode, cli::kExitBusy);
  ASSERT_EQ(fb.log.size(), 1);
  EXPECT_TRUE(fb.log[0].contains(QStringLiteral("busy"))) << fb.log[0].toStdString();
}

}  // namespace
}  // namespace quorvin
