#include "link/HidLink.h"

#include <gtest/gtest.h>

#include <QSysInfo>

#include "app/UnitWatcher.h"
#include "ops/Operations.h"
#include "support/Languages.h"
#include "support/RecordingFeedback.h"
#include "support/ScriptedHid.h"

namespace quorvin {
namespace {

using test::RecordingFeedback;
using test::ScriptedHid;
using test::TestLanguage;

struct LinkFixture : ::testing::Test {
  VirtualClock clock;
  ScriptedHid hid{clock};
  RecordingFeedback fb;
  HidLink link{hid, fb, clock};
  // A look for the device as the window's operations and quorvinctl take it: discovery, then
  // its fault told when it is news.
  bool Look(const Language& lang = TestLanguage(true)) {
    const bool found = link.FindHidDevice();
    TellDiscoveryFault(link, fb, lang);
    return found;
  }
};

using HidLinkDiscovery = LinkFixture;

TEST_F(HidLinkDiscovery, ADevicePresentIsLinkedSilently) {
  EXPECT_TRUE(Look());
  EXPECT_TRUE(link.LinkUp());
  EXPECT_TRUE(fb.log.isEmpty());
}

TEST_F(HidLinkDiscovery, OnlyTheWantedIdsMatch) {
  hid.devices = {{"/dev/hidraw0", 0x046D, 0xC31C, true},  // a keyboard
                 {"/dev/hidraw1", 0x0483, 0x1235, true},
                 {"/dev/hidraw2", 0x0484, 0x1234, true}};
  EXPECT_FALSE(link.FindHidDevice());
  EXPECT_EQ(hid.openCount, 0);  // nothing that does not match is opened, so nothing leaks
  hid.devices.push_back({"/dev/hidraw3", 0x0483, 0x1234, true});
  EXPECT_TRUE(link.FindHidDevice());
  EXPECT_EQ(link.LinkedPath(), "/dev/hidraw3");
  EXPECT_TRUE(fb.log.isEmpty());
}

TEST_F(HidLinkDiscovery, ARunThatComparesNothingClearsTheLink) {
  ASSERT_TRUE(link.FindHidDevice());
  hid.devices.clear();
  EXPECT_FALSE(link.FindHidDevice());
  EXPECT_FALSE(link.LinkUp());
  EXPECT_EQ(hid.liveHandles, 0);  // the replaced handle was closed
}

TEST_F(HidLinkDiscovery, AFilterPicksOneRepeaterAmongSeveral) {
  hid.devices = {{"/dev/hidraw0", 0x0483, 0x1234, true, "A", "1-1"},
                 {"/dev/hidraw1", 0x0483, 0x1234, true, "B", "1-2"}};
  link.SetFilter([](const HidDeviceInfo& d) { return d.location == "1-2"; });
  ASSERT_TRUE(link.FindHidDevice());
  EXPECT_EQ(link.LinkedPath(), "/dev/hidraw1");
  link.SetFilter([](const HidDeviceInfo&) { return false; });
  EXPECT_FALSE(link.FindHidDevice());
  EXPECT_FALSE(link.SawMatchingDevice());
}

TEST_F(HidLinkDiscovery, RediscoveryReplacesHandlesWithoutLeaking) {
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(link.FindHidDevice());
  EXPECT_EQ(hid.liveHandles, 1);
}

TEST_F(HidLinkDiscovery, PersistentFaultIsShownOnceUntilItChanges) {
  hid.openResult["/dev/hidraw0"] = HidOpen::AccessDenied;
  for (int tick = 0; tick < 5; ++tick) EXPECT_FALSE(Look());
  ASSERT_EQ(fb.Boxes().size(), 1);
  EXPECT_TRUE(fb.Boxes()[0].startsWith("box: Unable to open communication port !\n"));
  EXPECT_TRUE(fb.Boxes()[0].contains("No permission to use the device"));
  // Only Linux has a rule to name; Windows asks no permission of a HID device's user.
  if (QSysInfo::kernelType() == QLatin1String("linux")) {
    EXPECT_TRUE(fb.Boxes()[0].contains("70-quorvin.rules"));
  }
  EXPECT_EQ(link.LastFault(), DiscoveryFault::AccessDenied);

  // Another fault is news; the same one after a clean run is news again.
  hid.openResult["/dev/hidraw0"] = HidOpen::Failed;
  EXPECT_FALSE(Look());
  EXPECT_EQ(fb.Boxes().size(), 2);
  EXPECT_EQ(fb.Boxes()[1], "box: Unable to open communication port !");
  hid.devices.clear();
  EXPECT_FALSE(Look());
  hid.devices = {{"/dev/hidraw0", 0x0483, 0x1234, true}};
  EXPECT_FALSE(Look());
  EXPECT_EQ(fb.Boxes().size(), 3);
}

TEST_F(HidLinkDiscovery, PathAndAttributeFaultsEndTheRun) {
  hid.devices = {{"", 0x0483, 0x1234, true}, {"/dev/hidraw1", 0x0483, 0x1234, true}};
  EXPECT_FALSE(Look(TestLanguage(false)));
  EXPECT_FALSE(link.LinkUp());
  EXPECT_EQ(FaultOf(true, hid.devices), DiscoveryFault::PathError);  // the window's watcher sees it alike
  hid.devices = {{"/dev/hidraw0", 0, 0, false}, {"/dev/hidraw1", 0x0483, 0x1234, true}};
  EXPECT_FALSE(Look(TestLanguage(false)));
  EXPECT_EQ(FaultOf(true, hid.devices), DiscoveryFault::AttributeError);
  EXPECT_EQ(fb.Boxes(), QStringList({"box: 查找路径设备时出错！", "box: 查询设备状态时出错！"}));
}

TEST_F(HidLinkDiscovery, AHidLayerThatDidNotStartIsItsOwnFaultShownOnce) {
  hid.started = false;
  for (int tick = 0; tick < 3; ++tick) EXPECT_FALSE(Look());
  EXPECT_EQ(FaultOf(false, {}), DiscoveryFault::LayerUnavailable);
  EXPECT_EQ(hid.enumerateCount, 0);
  EXPECT_EQ(link.LastFault(), DiscoveryFault::LayerUnavailable);
  ASSERT_EQ(fb.Boxes().size(), 1);
  EXPECT_TRUE(fb.Boxes()[0].startsWith("box: The USB HID layer of this system could not start"));
}

using HidLinkTransfer = LinkFixture;

TEST_F(HidLinkTransfer, WriteTimeoutClosesTheLinkAndNextWriteRediscovers) {
  ASSERT_TRUE(link.FindHidDevice());
  hid.failWrites = 1;
  const qint64 t0 = clock.NowMs();
  EXPECT_FALSE(link.WriteOutputReport());
  EXPECT_EQ(clock.NowMs() - t0, 300);
  EXPECT_FALSE(link.LinkUp());
  EXPECT_EQ(hid.liveHandles, 0);
  const int enumerations = hid.enumerateCount;
  EXPECT_TRUE(link.WriteOutputReport());
  EXPECT_EQ(hid.enumerateCount, enumerations + 1);
}

TEST_F(HidLinkTransfer, ReadTimeoutsCloseTheLink) {
  for (int timeout : {100, 1000, 5000}) {
    ASSERT_TRUE(link.FindHidDevice());
    const qint64 t0 = clock.NowMs();
    EXPECT_FALSE(link.ReadInputReport(timeout));
    EXPECT_EQ(clock.NowMs() - t0, timeout);
    EXPECT_FALSE(link.LinkUp());
    EXPECT_EQ(hid.liveHandles, 0);
  }
}

TEST_F(HidLinkTransfer, ReadPutsTheReportIdInByteZeroAndWriteClearsTheInputReport) {
  ASSERT_TRUE(link.FindHidDevice());
  Report reply = test::MakeReport(0x02, 0xC2, {'V', '1', '.', '0'});
  reply[0] = 0x7E;  // whatever the backend sees there, byte 0 above the link is the report ID 0
  hid.QueueReply(reply, 20);
  EXPECT_TRUE(link.ReadInputReport(1000));
  EXPECT_EQ(link.In()[0], 0x00);
  EXPECT_EQ(link.In()[1], 0x55);
  EXPECT_EQ(link.In()[6], 'V');
  EXPECT_EQ(clock.NowMs(), 20);
  link.Out()[5] = 0x11;
  link.Out()[0] = 0x33;
  EXPECT_TRUE(link.WriteOutputReport());
  EXPECT_EQ(link.In(), Report{});
  ASSERT_EQ(hid.written.size(), 1u);
  EXPECT_EQ(hid.written[0].report[0], 0x00);
  EXPECT_EQ(hid.written[0].report[5], 0x11);
}

TEST_F(HidLinkTransfer, NoDeviceMeansNoTransfer) {
  hid.devices.clear();
  EXPECT_FALSE(link.WriteOutputReport());
  EXPECT_FALSE(link.ReadInputReport(1000));
  EXPECT_TRUE(hid.written.empty());
  EXPECT_EQ(clock.NowMs(), 0);
}

}  // namespace
}  // namespace quorvin
