#pragma once
// A repeater scripted on a virtual clock, a recorder for what the user sees, and helpers to read
// back the frames the tool wrote. Test files come from support/Files.h.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "link/HidLink.h"
#include "ops/Operations.h"
#include "support/Files.h"
#include "support/Languages.h"
#include "support/RecordingFeedback.h"
#include "support/ScriptedHid.h"

namespace quorvin::test {

class OpsTest : public ::testing::Test {
 protected:
  VirtualClock clock{10'000};
  ScriptedHid hid{clock};
  RecordingFeedback fb;
  HidLink link{hid, fb, clock};
  QTemporaryDir dir;

  UsbChannel Env(bool english = true) { return {link, fb, clock, TestLanguage(english)}; }

  // Answers every request for `command` with one reply carrying `payload`.
  void AnswerWith(std::uint8_t command, std::vector<std::uint8_t> payload) {
    hid.responder = [this, command, payload](const Report& r) {
      if (r[4] == command) hid.QueueFrame(kDirReply, command, payload, 5);
    };
  }

  // The frame body (direction .. checksum) of the i-th report written.
  [[nodiscard]] std::vector<std::uint8_t> Body(std::size_t i) const {
    const Report& r = hid.written.at(i).report;
    return {r.begin() + 3, r.begin() + 3 + r[5] + 4};
  }

  QString PathOf(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

// Logs compared as text, so a mismatch prints line by line.
inline std::string Joined(const QStringList& lines) { return lines.join(QLatin1Char('\n')).toStdString(); }

inline std::vector<std::uint8_t> Hex(std::initializer_list<int> bytes) {
  std::vector<std::uint8_t> v;
  for (int b : bytes) v.push_back(static_cast<std::uint8_t>(b));
  return v;
}

}  // namespace quorvin::test
