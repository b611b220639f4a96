// The tool and a separately started quorvin-sim, talking over the virtual HID socket.

#include <gtest/gtest.h>

#include <QFile>

#include "link/Backends.h"
#include "link/HidLink.h"
#include "link/UsbTransaction.h"
#include "support/RecordingFeedback.h"
#include "support/SimProcess.h"

namespace quorvin {
namespace {

const std::uint8_t kVersionBody[] = {0x01, 0xC2, 0x00, 0x3C};

QByteArray ReplyPayload(const HidLink& link) {
  return QByteArray(reinterpret_cast<const char*>(link.In().data() + 6), link.In()[5]);
}

TEST(SimProcess, VersionRequestOverTheSocketBackend) {
  test::SimProcess sim;
  ASSERT_TRUE(sim.Ready()) << sim.Output().toStdString();
  auto backend = MakeSocketBackend(sim.SocketPath());
  RealClock clock;
  test::RecordingFeedback fb;
  HidLink link(*backend, fb, clock);
  ASSERT_EQ(SendUsbCommand(link, true, sizeof kVersionBody, kVersionBody), TxEnd::Ok);
  EXPECT_EQ(ReplyPayload(link), QByteArray("V1.0"));
  EXPECT_TRUE(fb.Boxes().isEmpty());
}

TEST(SimProcess, FaultFlagsReachTheTool) {
  {
    // One reply dropped: that request fails as a read failure, the next one is answered.
    test::SimProcess sim({QStringLiteral("--drop-replies"), QStringLiteral("1"), QStringLiteral("--trace")});
    ASSERT_TRUE(sim.Ready()) << sim.Output().toStdString();
    auto backend = MakeSocketBackend(sim.SocketPath());
    RealClock clock;
    test::RecordingFeedback fb;
    HidLink link(*backend, fb, clock);
    EXPECT_EQ(SendUsbCommand(link, true, sizeof kVersionBody, kVersionBody), TxEnd::NoReply);
    EXPECT_EQ(SendUsbCommand(link, true, sizeof kVersionBody, kVersionBody), TxEnd::Ok);
    EXPECT_TRUE(sim.Output().contains(QLatin1String("reply to 0xC2 dropped")));
  }
  {
    // Another product id: a device that does not match is never linked.
    test::SimProcess sim({QStringLiteral("--product-id"), QStringLiteral("5750")});
    ASSERT_TRUE(sim.Ready());
    auto backend = MakeSocketBackend(sim.SocketPath());
    const auto found = backend->Enumerate();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].productId, 0x5750);
    RealClock clock;
    test::RecordingFeedback fb;
    HidLink link(*backend, fb, clock);
    EXPECT_FALSE(link.FindHidDevice());
  }
}

TEST(SimProcess, RemovesItsSocketOnExit) {
  QString path;
  {
    test::SimProcess sim;
    ASSERT_TRUE(sim.Ready());
    path = sim.SocketPath();
    EXPECT_TRUE(QFile::exists(path));
    sim.Process().terminate();
    ASSERT_TRUE(sim.Process().waitForFinished(5000));
    EXPECT_EQ(sim.Process().exitCode(), 0);
    EXPECT_FALSE(QFile::exists(path));
  }
}

}  // namespace
}  // namespace quorvin
