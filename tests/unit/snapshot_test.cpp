// Snapshots: each gets a folder of its own, never one that was there, and a snapshot goes back only
// onto the unit it was taken from.

#include "front/Snapshot.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "front/UnitClaim.h"
#include "sim/InProcessBackend.h"
#include "support/Languages.h"
#include "support/RecordingFeedback.h"

namespace quorvin {
namespace {

// Every name the next two seconds would give a snapshot is taken already: the snapshot takes
// another name and leaves each of them where it was.
TEST(Snapshot, ANameThatIsTakenIsNeverReusedOrRemoved) {
  QTemporaryDir data;
  qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
  QDir root(SnapshotRoot());
  ASSERT_TRUE(root.mkpath("."));
  const QDateTime now = QDateTime::currentDateTimeUtc();
  constexpr int kTaken = 2000;
  QStringList taken;
  for (int ms = 0; ms < kTaken; ++ms) {
    taken << now.addMSecs(ms).toString("yyyyMMdd-HHmmss-zzz");
    ASSERT_TRUE(root.mkdir(taken.back()));
  }
  VirtualClock clock(1000);
  InProcessBackend backend(clock);
  test::RecordingFeedback fb;
  UnitClaim claim(&backend, nullptr, fb, clock, test::TestLanguage(true));
  ASSERT_EQ(claim.Take({}), ClaimEnd::Claimed);
  SnapshotInfo info;
  const OpResult r = TakeSnapshot(claim, &info);
  ASSERT_TRUE(r.Ok()) << r.detail.toStdString();
  EXPECT_FALSE(taken.contains(QFileInfo(info.folder).fileName()));
  int kept = 0;
  for (const QString& name : taken) kept += QFileInfo(root.filePath(name)).isDir() ? 1 : 0;
  EXPECT_EQ(kept, kTaken);
  qunsetenv("XDG_DATA_HOME");
}

TEST(Snapshot, TakenFromTellsUnitsBySerialAndWhereSerialsRepeatByPlace) {
  const auto unit = [](const char* serial, const char* location, bool shared = false) {
    AttachedRepeater a;
    a.info = HidDeviceInfo("/dev/hidraw0", 0x0483, 0x1234, true, serial, location);
    a.duplicateSerial = shared;
    return a;
  };
  SnapshotInfo s;
  s.serial = "A1";
  s.location = "usb:1-2";
  EXPECT_TRUE(TakenFrom(s, unit("A1", "usb:1-4")));   // a unique serial number follows the unit around
  EXPECT_FALSE(TakenFrom(s, unit("B2", "usb:1-2")));  // the same place, another unit
  EXPECT_TRUE(TakenFrom(s, unit("A1", "usb:1-2", true)));
  EXPECT_FALSE(TakenFrom(s, unit("A1", "usb:1-4", true)));  // shared now: the place decides too
  EXPECT_FALSE(TakenFrom(s, unit("", "usb:1-2")));
  s.serial.clear();  // taken while shared, or from a unit without one: known by its place alone
  EXPECT_TRUE(TakenFrom(s, unit("", "usb:1-2")));
  EXPECT_FALSE(TakenFrom(s, unit("A1", "usb:1-2")));
  s.location.clear();  // an older snapshot that knew only the device path
  EXPECT_FALSE(TakenFrom(s, unit("", "usb:1-2")));
}

}  // namespace
}  // namespace quorvin
