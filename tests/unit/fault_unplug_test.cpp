// The repeater unplugged part way through a transfer, at every point of a small upgrade, backup
// download and read-back, on a virtual clock: the tool says so at the moment its own waits say it
// should, holds no handle to the lost device, and finds the device again when it comes back.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ops/Operations.h"
#include "sim/InProcessBackend.h"
#include "support/Languages.h"
#include "support/RecordingFeedback.h"

namespace quorvin {
namespace {

// Counts the handles the link holds open on the device.
class CountingBackend final : public HidBackend {
 public:
  explicit CountingBackend(HidBackend& inner) : m_inner(inner) {}
  int live = 0;
  int opens = 0;

  std::vector<HidDeviceInfo> Enumerate() override { return m_inner.Enumerate(); }
  HidOpen Open(const QString& path, std::unique_ptr<HidHandle>& handle) override {
    std::unique_ptr<HidHandle> inner;
    const HidOpen result = m_inner.Open(path, inner);
    if (result == HidOpen::Ok) {
      ++opens;
      handle = std::make_unique<Counted>(std::move(inner), live);
    }
    return result;
  }
  QString Name() const override { return m_inner.Name(); }

 private:
  class Counted final : public HidHandle {
   public:
    Counted(std::unique_ptr<HidHandle> inner, int& live) : m_inner(std::move(inner)), m_live(live) { ++m_live; }
    ~Counted() override { --m_live; }
    HidIo Write(const std::uint8_t* r, std::size_t n, int t) override { return m_inner->Write(r, n, t); }
    HidIo Read(std::uint8_t* d, std::size_t n, int t) override { return m_inner->Read(d, n, t); }

   private:
    std::unique_ptr<HidHandle> m_inner;
    int& m_live;
  };
  HidBackend& m_inner;
};

struct Bench {
  VirtualClock clock{50'000};
  InProcessBackend device{clock};
  CountingBackend backend{device};
  test::RecordingFeedback fb;
  HidLink link{backend, fb, clock};
  UsbChannel env{link, fb, clock, test::TestLanguage(true)};
  QTemporaryDir dir;

  template <typename Fn>
  void Faults(Fn&& fn) {
    device.WithModel([&](DeviceModel& m) { fn(m.Faults()); });
  }
  // The device is plugged in again: the next operation must find it by itself.
  void ComesBack() {
    Faults([](DeviceFaults& f) {
      f.vanishAfterReports = -1;
      f.vanishAfterSent = -1;
    });
  }
  QString File(const char* name, const QByteArray& bytes) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    return path;
  }
  [[nodiscard]] bool HoldsNothing() const { return backend.live == 0 && !link.LinkUp() && link.LinkedPath().isEmpty(); }
  void ExpectRediscovered(bool linkWasDropped = true) {
    const int opensBefore = backend.opens;
    fb.log.clear();
    const OpResult r = ReadVersion(env);
    EXPECT_TRUE(r.Ok()) << fb.log.join('\n').toStdString();
    EXPECT_EQ(r.version, "V1.0");
    EXPECT_EQ(backend.opens, opensBefore + (linkWasDropped ? 1 : 0));
    EXPECT_EQ(backend.live, 1);  // the link keeps its one handle between operations
  }
};

QByteArray Image(int n) {
  QByteArray a(n, Qt::Uninitialized);
  for (int i = 0; i < n; ++i) a[i] = static_cast<char>(i * 13 + 5);
  return a;
}

struct UploadCase {
  const char* name;
  OpResult (*op)(Channel&, const QString&);
  int perPacket;
  int firstPauseMs;
  const char* title;
  const char* failure;
};

const UploadCase kUploads[] = {
    {"upgrade", Upgrade, 52, 4000, " Update program ", "Update failed"},
    {"download", DownloadBackup, 54, 5000, "Download backup data", "Download failed !"},
};

// For every k, the device takes k packets of a five-packet image and is gone. The next packet
// write fails as soon as the pause after packet k is over; gone after the last packet, the
// acknowledgement never comes and the transfer ends with its failure line.
TEST(Unplug, UploadsFailWhereverTheDeviceGoes) {
  for (const UploadCase& c : kUploads) {
    const int packets = 5;
    const QByteArray image = Image(c.perPacket * (packets - 1) + 7);
    for (int k = 1; k <= packets; ++k) {
      SCOPED_TRACE(testing::Message() << c.name << ", gone after packet " << k);
      Bench b;
      const QString path = b.File("image.bin", image);
      b.Faults([k](DeviceFaults& f) { f.vanishAfterReports = k; });
      const qint64 start = b.clock.NowMs();
      const OpResult r = c.op(b.env, path);
      const qint64 elapsed = b.clock.NowMs() - start;
      const qint64 pauses = c.firstPauseMs + 50LL * (k - 1);

      EXPECT_EQ(r.outcome, Outcome::Failed);
      EXPECT_EQ(r.bytes, qMin<qint64>(qint64{c.perPacket} * k, image.size()));
      EXPECT_EQ(b.fb.log.last(), QStringLiteral("box: ") + c.failure);
      if (k < packets) {
        EXPECT_EQ(elapsed, pauses);
        EXPECT_EQ(b.fb.Boxes(), QStringList({"box: Equipment not connected, please connect equipment !",
                                             QStringLiteral("box: ") + c.failure}));
      } else {
        EXPECT_EQ(elapsed, pauses + 1000);  // the gone device is noticed at once, then the failure line
        EXPECT_TRUE(b.fb.log.contains(QStringLiteral("progress: text ") + c.title + " sending failure !"));
      }
      EXPECT_TRUE(b.HoldsNothing());
      EXPECT_TRUE(b.fb.log.lastIndexOf("progress: close") > b.fb.log.lastIndexOf("progress: show"));
      b.ComesBack();
      b.ExpectRediscovered();
    }
  }
}

// The device streams a 20-packet backup and is pulled out after sending s of them. The missing
// packet ends the read-back with its failure line; the file chosen keeps what it held.
TEST(Unplug, ReadBackFailsWhereverTheDeviceGoesAndKeepsTheEarlierFile) {
  const QByteArray backup = Image(54 * 20);
  for (int s : {1, 2, 7, 19, 20}) {
    SCOPED_TRACE(testing::Message() << "gone after sending " << s);
    Bench b;
    b.device.WithModel([&](DeviceModel& m) { return m.SetBackupData(backup); });
    b.Faults([s](DeviceFaults& f) { f.vanishAfterSent = s; });
    const QByteArray earlier("an earlier backup");
    const QString path = b.File("backup.bin", earlier);
    const qint64 start = b.clock.NowMs();
    const OpResult r = ReadBackup(b.env, path);
    const qint64 elapsed = b.clock.NowMs() - start;
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    if (s == 20) {  // every packet was out before the device went: nothing is missing
      EXPECT_TRUE(r.Ok());
      EXPECT_EQ(f.readAll(), backup);
    } else {
      EXPECT_EQ(r.outcome, Outcome::Failed);
      EXPECT_EQ(r.bytes, 54 * s);
      EXPECT_EQ(f.readAll(), earlier);
      EXPECT_TRUE(b.fb.log.contains("progress: text Read backup data read failure"));
      EXPECT_EQ(b.fb.Boxes(), QStringList{"box: Read backup data failed !"});
      // The stream runs at one packet a millisecond; the loss is seen at once, well inside the
      // 100 ms a packet may take, and the failure line stands for a second.
      EXPECT_GE(elapsed, 1000);
      EXPECT_LE(elapsed, (s - 1) + 100 + 1000);
      EXPECT_TRUE(b.HoldsNothing());
    }
    EXPECT_EQ(QDir(b.dir.path()).entryList(QDir::Files), QStringList{"backup.bin"});
    b.ComesBack();
    b.ExpectRediscovered(s != 20);
  }
}

// Gone before the read-back's first reply: the request was taken and nothing came back.
TEST(Unplug, ReadBackWithTheDeviceGoneOnTheRequest) {
  Bench b;
  b.Faults([](DeviceFaults& f) { f.vanishAfterReports = 1; });
  const qint64 start = b.clock.NowMs();
  const OpResult r = ReadBackup(b.env, b.dir.filePath("new.bin"));
  EXPECT_EQ(r.outcome, Outcome::Failed);
  EXPECT_LE(b.clock.NowMs() - start, 5000);  // at most the first reply's time-out
  EXPECT_EQ(b.fb.Boxes(), QStringList{"box: Read backup data failed !"});
  EXPECT_FALSE(QFile::exists(b.dir.filePath("new.bin")));
  EXPECT_TRUE(b.HoldsNothing());
  b.ComesBack();
  b.ExpectRediscovered();
}

}  // namespace
}  // namespace quorvin
