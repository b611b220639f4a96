#include <gtest/gtest.h>

#include "link/DeviceSelector.h"

namespace quorvin {
namespace {

HidDeviceInfo Repeater(const char* path, const char* serial, const char* location) {
  return {path, 0x0483, 0x1234, true, serial, location};
}

TEST(DeviceSelector, ParsesEachFormAndRefusesEmptyOnes) {
  const auto usb = ParseSelector(" usb:1-2.3 ");
  ASSERT_TRUE(usb);
  EXPECT_EQ(usb->kind, DeviceSelector::Kind::Location);
  EXPECT_EQ(usb->value, "usb:1-2.3");
  EXPECT_EQ(ParseSelector("sim:3")->value, "sim:3");
  EXPECT_EQ(ParseSelector("sn:QV0002")->kind, DeviceSelector::Kind::Serial);
  EXPECT_EQ(ParseSelector("sn:QV0002")->value, "QV0002");
  EXPECT_EQ(ParseSelector("hidraw4")->value, "/dev/hidraw4");
  EXPECT_EQ(ParseSelector("/dev/hidraw4")->kind, DeviceSelector::Kind::Path);
  for (const char* bad : {"", "  ", "sn:", "usb:", "sim:"}) {
    QString why;
    EXPECT_FALSE(ParseSelector(bad, &why)) << bad;
    EXPECT_FALSE(why.isEmpty());
  }
}

TEST(DeviceSelector, MatchesOnlyWhatTheDeviceTells) {
  const HidDeviceInfo bare = Repeater("/dev/hidraw0", "", "");
  // A device without a serial number or location is never matched by an empty one.
  EXPECT_FALSE(Matches(*ParseSelector("sn:x"), bare));
  EXPECT_FALSE(Matches(*ParseSelector("usb:1-1"), bare));
  EXPECT_TRUE(Matches(*ParseSelector("/dev/hidraw0"), bare));
  // Locations are whole: usb:1-2 is not usb:1-2.3.
  EXPECT_FALSE(Matches(*ParseSelector("usb:1-2"), Repeater("/dev/hidraw1", "", "usb:1-2.3")));
}

TEST(DeviceSelector, IdentityIsTheUniqueSerialElseTheLocationElseThePath) {
  const auto ids =
      IdentifyRepeaters({Repeater("/dev/hidraw0", "A1", "usb:1-1"), Repeater("/dev/hidraw1", "D", "usb:1-2"),
                         Repeater("/dev/hidraw2", "D", "usb:1-3"), Repeater("/dev/hidraw3", "", "usb:2-1"),
                         Repeater("/dev/hidraw4", "", "")});
  ASSERT_EQ(ids.size(), 5u);
  EXPECT_EQ(ids[0].identity, "sn:A1");
  EXPECT_FALSE(ids[0].duplicateSerial);
  EXPECT_EQ(ids[1].identity, "usb:1-2");
  EXPECT_TRUE(ids[1].duplicateSerial);
  EXPECT_EQ(ids[2].identity, "usb:1-3");
  EXPECT_TRUE(ids[2].duplicateSerial);
  EXPECT_EQ(ids[3].identity, "usb:2-1");
  EXPECT_EQ(ids[4].identity, "/dev/hidraw4");
}

TEST(DeviceSelector, ChoosesOneRefusesToGuessAndSkipsOtherDevices) {
  const std::vector<HidDeviceInfo> attached = {{"/dev/hidraw9", 0x046D, 0xC31C, true, "A1", "usb:1-9"},  // a keyboard
                                               Repeater("/dev/hidraw0", "A1", "usb:1-1"),
                                               Repeater("/dev/hidraw1", "D", "usb:1-2"),
                                               Repeater("/dev/hidraw2", "D", "usb:1-3")};
  EXPECT_EQ(ChooseRepeater(attached, std::nullopt).result, DeviceChoice::Result::Several);
  const auto one = ChooseRepeater(attached, ParseSelector("sn:A1"));
  ASSERT_EQ(one.result, DeviceChoice::Result::Chosen);
  EXPECT_EQ(one.chosen.info.path, "/dev/hidraw0");
  const auto shared = ChooseRepeater(attached, ParseSelector("sn:D"));
  EXPECT_EQ(shared.result, DeviceChoice::Result::Several);
  EXPECT_EQ(shared.candidates.size(), 2u);
  EXPECT_EQ(ChooseRepeater(attached, ParseSelector("usb:1-3")).chosen.info.path, "/dev/hidraw2");
  EXPECT_EQ(ChooseRepeater(attached, ParseSelector("usb:1-9")).result, DeviceChoice::Result::NoMatch);
  EXPECT_EQ(ChooseRepeater({attached[1]}, std::nullopt).result, DeviceChoice::Result::Chosen);
  EXPECT_EQ(ChooseRepeater({}, std::nullopt).result, DeviceChoice::Result::NoneAttached);
}

}  // namespace
}  // namespace quorvin
