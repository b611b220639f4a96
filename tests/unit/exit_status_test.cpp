// quorvinctl's exit status and --json code come from the run's typed outcome and link fault alone.

#include <gtest/gtest.h>

#include "cli/ExitStatus.h"

namespace quorvin::cli {
namespace {

TEST(ExitStatus, TheOutcomeAndTheLinkFaultDecideIt) {
  const struct {
    Outcome outcome;
    LinkFault link;
    int status;
    const char* code;
  } cases[] = {
      {Outcome::Success, LinkFault::None, 0, "ok"},
      {Outcome::Failed, LinkFault::None, 1, "device-failed"},
      {Outcome::Failed, LinkFault::NotFound, 3, "no-device"},
      {Outcome::Failed, LinkFault::PermissionDenied, 4, "permission-denied"},
      {Outcome::Failed, LinkFault::Busy, 7, "busy"},
      {Outcome::Failed, LinkFault::HidUnavailable, 3, "hid-unavailable"},
      {Outcome::NotStarted, LinkFault::Ambiguous, 2, "ambiguous-device"},
      {Outcome::NotStarted, LinkFault::None, 3, "not-started"},
      {Outcome::QuietEnd, LinkFault::None, 6, "quiet-end"},
      {Outcome::FileError, LinkFault::None, 5, "file-error"},
      {Outcome::InvalidInput, LinkFault::None, 2, "invalid-input"},
      {Outcome::Interrupted, LinkFault::None, 130, "interrupted"},
      // A link fault beside an outcome it did not cause leaves the outcome's status.
      {Outcome::FileError, LinkFault::Busy, 5, "file-error"},
  };
  for (const auto& c : cases) {
    OpResult r;
    r.outcome = c.outcome;
    r.linkFault = c.link;
    r.detail = QStringLiteral("busy, no device");  // words never decide
    const Verdict v = Judge(r);
    EXPECT_EQ(v.exitCode, c.status) << c.code;
    EXPECT_EQ(v.code.toStdString(), c.code);
  }
  OpResult fine;
  fine.outcome = Outcome::Success;
  const Verdict refused = Judge(fine, /*lineRefused=*/true);
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_EQ(refused.code, "usage-error");
}

}  // namespace
}  // namespace quorvin::cli
