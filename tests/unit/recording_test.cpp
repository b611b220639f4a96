// Recordings: what the recorder writes reads back the same, and a damaged one is refused naming
// the byte where it goes wrong; played back, the host's bytes may come in other pieces.

#include "protocol/Recording.h"

#include <gtest/gtest.h>

#include "sim/model/Replay.h"

namespace quorvin {
namespace {

TEST(Recording, WrittenLinesParseBackAndDamageIsPlacedByOffset) {
  const QByteArray good = RecordingHeader("1.0.0", "serial") + RecordingLine({0, true, "\x55\xAA"}) +
                          RecordingLine({15, false, QByteArray("\x01\x02\x03", 3)});
  Recording r;
  QString error;
  ASSERT_TRUE(ParseRecording(good, r, &error)) << error.toStdString();
  ASSERT_EQ(r.events.size(), 2u);
  EXPECT_EQ(r.link, "serial");
  EXPECT_EQ(r.events[1].ms, 15);
  EXPECT_FALSE(r.events[1].fromHost);
  EXPECT_EQ(r.events[1].bytes, QByteArray("\x01\x02\x03", 3));

  const QByteArray head = RecordingHeader("1.0.0", "serial");
  const QByteArray usb = RecordingHeader("1.0.0", "usb");
  const struct {
    QByteArray text;
    qsizetype offset;
  } bad[] = {
      {good.left(good.size() - 1), good.lastIndexOf("15 <")},  // cut short
      {"quorvin-recording 2\ntool x\nlink usb\n", 0},          // another version
      {head + "5 > 0055\n3 < 00\n", head.size() + 9},          // the time goes back
      {head + "0 > 5\n", head.size()},                         // odd hex
      {head + "0 = 55\n", head.size()},                        // no direction
      {head + "604800001 > 55\n", head.size()},                // past any run, and past a clock's range
      {head + "9223372036854775807 > 55\n", head.size()},
      {usb + "0 > 0055aa01c2003c\n", usb.size()},  // a request shorter than a report
  };
  for (const auto& b : bad) {
    EXPECT_FALSE(ParseRecording(b.text, r, &error)) << b.text.toStdString();
    EXPECT_TRUE(error.startsWith(QStringLiteral("byte %1:").arg(b.offset))) << error.toStdString();
  }
}

TEST(Replay, AnswersTheRecordedRequestsAndTellsTheFirstThatDiffers) {
  Recording r;
  r.link = "serial";
  r.events = {{100, true, "ABCD"}, {103, false, "ok1"}, {110, false, "ok2"}, {200, true, "EF"}, {201, false, "ok3"}};
  Replay replay(r);
  EXPECT_TRUE(replay.OnHost("AB", 1000).empty());  // half a request: nothing yet
  const auto due = replay.OnHost("CD", 1005);
  ASSERT_EQ(due.size(), 2u);
  EXPECT_EQ(due[0], std::make_pair(qint64{1008}, QByteArray("ok1")));  // as long after it as recorded
  EXPECT_EQ(due[1], std::make_pair(qint64{1015}, QByteArray("ok2")));
  EXPECT_TRUE(replay.OnHost("EX", 2000).empty());
  ASSERT_TRUE(replay.Divergence().has_value());
  EXPECT_TRUE(replay.Divergence()->contains("request 2 differs")) << replay.Divergence()->toStdString();
  EXPECT_TRUE(replay.OnHost("EF", 2001).empty());  // nothing more once it went its own way
}

TEST(Replay, AUsbReportMatchesOnlyWhole) {
  Recording r;
  r.link = "usb";
  r.events = {{0, true, QByteArray("\x00\x55\xAA", 3)}, {1, false, "ok"}};
  Replay replay(r);
  // The report starts as recorded and goes on: it is another request, and its rest no second one.
  EXPECT_TRUE(replay.OnHost(QByteArray("\x00\x55\xAA\x01", 4), 0).empty());
  ASSERT_TRUE(replay.Divergence().has_value());
  EXPECT_TRUE(replay.Divergence()->contains("request 1 differs")) << replay.Divergence()->toStdString();
}

}  // namespace
}  // namespace quorvin
