// The hidapi backend on a machine without the repeater: discovery ends cleanly and says so, and a
// HID layer that cannot start (hidapi under Wine) is said as its own fault, once. When a repeater is
// plugged in these checks do not apply, so they step aside.

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
  for (int look = 0; look < 2; ++look) {
    EXPECT_FALSE(link.FindHidDevice());
    TellDiscoveryFault(link, fb, Language());
  }
  EXPECT_FALSE(link.LinkUp());
  if (backend->Started()) {
    EXPECT_TRUE(fb.Boxes().isEmpty());  // no device is no fault of discovery
  } else {
    EXPECT_EQ(link.LastFault(), DiscoveryFault::LayerUnavailable);
    ASSERT_EQ(fb.Boxes().size(), 1);  // told once, however often discovery looks
    EXPECT_TRUE(fb.Boxes()[0].contains("USB HID layer of this system could not start"));
  }

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

// QUORVIN_HID_SOCKET picks the virtual link; without it the system's HID layer is used. (Its Unix
// socket form is checked with the socket backend.)
TEST(Backends, DefaultFollowsTheEnvironment) {
  qunsetenv("QUORVIN_HID_SOCKET");
  EXPECT_EQ(MakeDefaultBackend()->Name(), QStringLiteral("hidapi"));
  qputenv("QUORVIN_HID_SOCKET", "tcp:127.0.0.1:5555");
  EXPECT_EQ(MakeDefaultBackend()->Name(), QStringLiteral("socket tcp:127.0.0.1:5555"));
  qunsetenv("QUORVIN_HID_SOCKET");
}

}  // namespace
}  // namespace quorvin
