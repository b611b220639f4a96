// The hidapi backend on a machine without the repeater: discovery ends cleanly and says so. When
// a repeater is plugged in these checks do not apply, so they step aside.

#include <gtest/gtest.h>

#include <algorithm>

#include "link/Backends.h"
#include "link/HidLink.h"
#include "ops/Operations.h"
#include "support/RecordingFeedback.h"

namespace quorvin {
namespace {

bool RepeaterPresent(HidBackend& backend) {
  const auto all = backend.Enumerate();
  return std::any_of(all.begin(), all.end(),
                     [](const HidDeviceInfo& d) { return d.vendorId == kVendorId && d.productId == kProductId; });
}

TEST(HidapiBackend, WithoutTheDeviceDiscoveryEndsCleanly) {
  auto backend = MakeHidapiBackend();
  EXPECT_EQ(backend->Name(), QStringLiteral("hidapi"));
  if (RepeaterPresent(*backend)) GTEST_SKIP() << "a repeater is plugged in";
  RealClock clock;
  test::RecordingFeedback fb;
  HidLink link(*backend, fb, clock);
  EXPECT_FALSE(link.FindHidDevice());
  TellDiscoveryFault(link, fb, Language());
  EXPECT_FALSE(link.LinkUp());
  EXPECT_TRUE(fb.Boxes().isEmpty());  // no device is no fault of discovery

  std::unique_ptr<HidHandle> handle;
  EXPECT_EQ(backend->Open(QStringLiteral("/dev/quorvin-no-such-node"), handle), HidOpen::Failed);
  EXPECT_FALSE(handle);
}

TEST(HidapiBackend, LibraryOutlivesAllButTheLastBackend) {
  auto first = MakeHidapiBackend();
  auto second = MakeHidapiBackend();
  const auto before = second->Enumerate().size();
  first.reset();  // must not shut the library down under the second one
  EXPECT_EQ(second->Enumerate().size(), before);
  second.reset();
  auto again = MakeHidapiBackend();  // and it comes back after the last one went
  EXPECT_EQ(again->Enumerate().size(), before);
}

TEST(Backends, DefaultFollowsTheEnvironment) {
  qunsetenv("QUORVIN_HID_SOCKET");
  EXPECT_EQ(MakeDefaultBackend()->Name(), QStringLiteral("hidapi"));
  qputenv("QUORVIN_HID_SOCKET", "/tmp/quorvin-test.sock");
  EXPECT_EQ(MakeDefaultBackend()->Name(), QStringLiteral("socket /tmp/quorvin-test.sock"));
  qunsetenv("QUORVIN_HID_SOCKET");
}

}  // namespace
}  // namespace quorvin
