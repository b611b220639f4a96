// Version read, frequency set and read-back, call-button initialisation: one request, one reply,
// and the box shown while the progress window is still open.

#include <QStringDecoder>
#include <QStringEncoder>

#include "link/UsbTransaction.h"
#include "ops_fixture.h"
#include "protocol/VersionText.h"

namespace quorvin::test {
namespace {

using Short = OpsTest;

// The written report: report ID, start bytes, the body, zeros to the end.
void ExpectReport(const Report& r, const std::vector<std::uint8_t>& body) {
  Report want{};
  want[1] = kStart1;
  want[2] = kStart2;
  std::copy(body.begin(), body.end(), want.begin() + 3);
  EXPECT_EQ(std::vector<std::uint8_t>(r.begin(), r.end()), std::vector<std::uint8_t>(want.begin(), want.end()));
}

TEST_F(Short, VersionTextInBothLanguages) {
  AnswerWith(cmd::ReadVersion, {'V', '1', '.', '0'});
  UsbChannel en = Env(true);
  OpResult r = ReadVersion(en);
  EXPECT_TRUE(r.Ok());
  EXPECT_EQ(r.version, QStringLiteral("V1.0"));
  ASSERT_EQ(hid.written.size(), 1u);
  ExpectReport(hid.written[0].report, Hex({0x01, 0xC2, 0x00, 0x3C}));
  EXPECT_EQ(Joined(fb.log),
            Joined({"progress: show", "progress: text Reading version ...", "box: Version :V1.0", "progress: close"}));

  fb.log.clear();
  UsbChannel zh = Env(false);
  (void)ReadVersion(zh);
  EXPECT_EQ(Joined(fb.log), Joined({"progress: show", QString::fromUtf8("progress: text 正在读取版本号....."),
                                    QString::fromUtf8("box: 当前版本号:V1.0"), "progress: close"}));
}

TEST_F(Short, VersionPayloadEdges) {
  UsbChannel env = Env();
  AnswerWith(cmd::ReadVersion, {});
  EXPECT_EQ(ReadVersion(env).version, QString());
  EXPECT_TRUE(fb.log.contains("box: Version :"));

  // The text ends at a zero byte, as the device's firmware means it.
  AnswerWith(cmd::ReadVersion, {'V', '2', 0x00, 'x', 'y'});
  EXPECT_EQ(ReadVersion(env).version, QStringLiteral("V2"));
  EXPECT_TRUE(fb.log.contains("box: Version :V2"));

  // Bytes above 0x7F are the firmware's Chinese code page; a stray one stays a visible character.
  if (QStringDecoder("GBK").isValid()) {
    AnswerWith(cmd::ReadVersion, {'V', 0xB0, 0xE6});
    EXPECT_EQ(ReadVersion(env).version, QString::fromUtf8("V版"));
    AnswerWith(cmd::ReadVersion, {'V', 0xB0});
    EXPECT_EQ(ReadVersion(env).version, QString::fromLatin1("V\xB0"));
  }

  // Control characters are shown escaped: a newline must not split the message, an escape
  // sequence must not reach the terminal.
  AnswerWith(cmd::ReadVersion, {'V', '1', '\n', 0x1B, '[', '2', 'J', 0x7F});
  EXPECT_EQ(ReadVersion(env).version, QStringLiteral("V1\\x0A\\x1B[2J\\x7F"));
  // A byte that is no GBK character is kept as its Latin-1 one; in the C1 range that is a control
  // character a terminal would swallow, so it too is shown escaped rather than vanishing.
  AnswerWith(cmd::ReadVersion, {'V', 0x81});
  EXPECT_EQ(ReadVersion(env).version, QStringLiteral("V\\x81"));

  // A late reply to something else comes first and is passed over.
  hid.responder = [this](const Report&) {
    hid.QueueFrame(kDirReply, cmd::ReadFrequency, {1, 2, 3, 4}, 2);
    hid.QueueFrame(kDirReply, cmd::ReadVersion, {'V', '3'}, 4);
  };
  EXPECT_EQ(ReadVersion(env).version, QStringLiteral("V3"));
}

// Every byte the device sends survives the decoding: the text is either GBK that encodes back to
// exactly those bytes, or the bytes one by one as Latin-1. Tried on every one- and two-byte text
// above ASCII, where a decoder may drop or merge a byte it has no character for.
TEST(VersionText, NoByteVanishes) {
  QStringEncoder gbk("GBK", QStringEncoder::Flag::Stateless);
  for (int a = 0x80; a <= 0xFF; ++a) {
    for (int b = -1; b <= 0xFF; ++b) {
      QByteArray raw(1, static_cast<char>(a));
      if (b > 0) raw.append(static_cast<char>(b));
      const QString text = DecodeVersion(raw);
      const bool asLatin1 = text == QString::fromLatin1(raw);
      const bool asGbk = gbk.isValid() && gbk.encode(text) == raw;
      ASSERT_TRUE(asLatin1 || asGbk) << raw.toHex().constData();
    }
  }
}

TEST_F(Short, VersionFailureBoxFollowsTheLinkMessageBeforeTheWindowCloses) {
  UsbChannel env = Env();
  OpResult r = ReadVersion(env);  // nobody answers
  EXPECT_EQ(r.outcome, Outcome::Failed);
  EXPECT_EQ(Joined(fb.log),
            Joined({"progress: show", "progress: text Reading version ...",
                    "box: Read data failed, please send again !", "box: Reading version failed !", "progress: close"}));
  EXPECT_EQ(clock.NowMs(), 10'000 + 1000);
}

TEST_F(Short, SetFrequencyFramesAndBounds) {
  AnswerWith(cmd::SetFrequency, {});
  UsbChannel env = Env();
  const std::vector<std::pair<qint32, std::vector<std::uint8_t>>> cases{
      {315'600'000, Hex({0x01, 0xC0, 0x04, 0x80, 0xAC, 0xCF, 0x12, 0x2D})},
      {300'000'000, Hex({0x01, 0xC0, 0x04, 0x00, 0xA3, 0xE1, 0x11, 0xA5})},
      {900'000'000, Hex({0x01, 0xC0, 0x04, 0x00, 0xE9, 0xA4, 0x35, 0x78})},
  };
  for (const auto& [hz, body] : cases) {
    hid.written.clear();
    fb.log.clear();
    OpResult r = SetFrequency(env, hz);
    EXPECT_TRUE(r.Ok()) << hz;
    ASSERT_EQ(hid.written.size(), 1u);
    ExpectReport(hid.written[0].report, body);
    EXPECT_EQ(Joined(fb.log), Joined({"progress: show", "progress: text Setuping frequency parameters...",
                                      "box: Setup frequency parameters successfully !", "progress: close"}));
  }

  hid.written.clear();
  fb.log.clear();
  for (qint32 hz : {299'999'999, 900'000'001}) EXPECT_EQ(SetFrequency(env, hz).outcome, Outcome::InvalidInput);
  EXPECT_TRUE(hid.written.empty());
  EXPECT_TRUE(fb.log.filter("progress").isEmpty());
}

TEST_F(Short, ReadFrequencyTakesFourBytesLeastSignificantFirst) {
  UsbChannel env = Env();
  AnswerWith(cmd::ReadFrequency, {0x80, 0xAC, 0xCF, 0x12});
  OpResult r = ReadFrequency(env);
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(r.frequency, 315'600'000);
  ExpectReport(hid.written[0].report, Hex({0x01, 0xC1, 0x00, 0x3D}));
  EXPECT_TRUE(fb.Boxes().isEmpty());  // a read that worked shows its value, not a box
  EXPECT_EQ(Joined(fb.log), Joined({"progress: show", "progress: text Reading frequency ...", "progress: close"}));

  AnswerWith(cmd::ReadFrequency, {0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_EQ(ReadFrequency(env).frequency, -1);

  fb.log.clear();
  AnswerWith(cmd::ReadFrequency, {});
  hid.responder = nullptr;
  EXPECT_EQ(ReadFrequency(env).outcome, Outcome::Failed);
  EXPECT_EQ(Joined(fb.Boxes()),
            Joined({"box: Read data failed, please send again !", "box: Reading frequency failed !"}));
  EXPECT_EQ(fb.log.last(), "progress: close");
}

TEST_F(Short, CallButtonsOneRequestOneBox) {
  AnswerWith(cmd::InitCallButtons, {});
  UsbChannel env = Env();
  EXPECT_TRUE(InitCallButtons(env).Ok());
  ASSERT_EQ(hid.written.size(), 1u);
  ExpectReport(hid.written[0].report, Hex({0x01, 0xC6, 0x00, 0x38}));
  EXPECT_EQ(Joined(fb.log), Joined({"progress: show", "progress: text Initialize call button data ...",
                                    "box: Initialize call button data successfully !", "progress: close"}));

  fb.log.clear();
  hid.failWrites = kWriteAttempts;  // the repeater has stopped taking reports
  EXPECT_EQ(InitCallButtons(env).outcome, Outcome::Failed);
  EXPECT_EQ(Joined(fb.Boxes()), Joined({"box: Equipment not connected, please connect equipment !",
                                        "box: Initialize call button data failed !"}));
}

}  // namespace
}  // namespace quorvin::test
