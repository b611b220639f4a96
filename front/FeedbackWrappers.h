#pragma once
// Feedback that stands in front of another: the run policy points a unit's link and channel at a
// relay, so that what the operation shows can be held back (a snapshot that works says nothing),
// silenced (devices --probe) or recorded (--record) without the link knowing.

#include <vector>

#include "host/TraceRecorder.h"
#include "ops/Feedback.h"

namespace quorvin {

// Passes everything to its target, which may change between operations (never during one).
class RelayFeedback : public Feedback {
 public:
  explicit RelayFeedback(Feedback& target) : m_target(&target) {}
  void Use(Feedback& target) { m_target = &target; }
  [[nodiscard]] Feedback& Target() const { return *m_target; }

  void MessageBox(const QString& text, MsgIcon icon) override { m_target->MessageBox(text, icon); }
  void ShowProgress() override { m_target->ShowProgress(); }
  void SetProgressText(const QString& text) override { m_target->SetProgressText(text); }
  void SetProgressRange(int max) override { m_target->SetProgressRange(max); }
  void SetProgressPos(int pos) override { m_target->SetProgressPos(pos); }
  int ProgressPos() override { return m_target->ProgressPos(); }
  void CloseProgress() override { m_target->CloseProgress(); }
  bool PumpMessages() override { return m_target->PumpMessages(); }
  void DebugLine(const QString& line) override { m_target->DebugLine(line); }
  void Trace(TraceDir dir, const std::uint8_t* bytes, std::size_t count) override {
    m_target->Trace(dir, bytes, count);
  }
  bool CancelRequested() override { return m_target->CancelRequested(); }

 private:
  Feedback* m_target;
};

// Everything as its inner Feedback shows it, and every report or chunk into a recording too.
class RecordingFeedback final : public RelayFeedback {
 public:
  RecordingFeedback(Feedback& inner, TraceRecorder& recorder) : RelayFeedback(inner), m_recorder(recorder) {}
  void Trace(TraceDir dir, const std::uint8_t* bytes, std::size_t count) override {
    m_recorder.Add(dir, bytes, count);
    RelayFeedback::Trace(dir, bytes, count);
  }

 private:
  TraceRecorder& m_recorder;
};

// Everything passes but the boxes, which are kept to be shown later, or never.
class HeldBoxes final : public RelayFeedback {
 public:
  using RelayFeedback::RelayFeedback;
  void MessageBox(const QString& text, MsgIcon icon) override { m_boxes.push_back({text, icon}); }
  void ShowHeld() {
    for (const auto& [text, icon] : m_boxes) Target().MessageBox(text, icon);
    m_boxes.clear();
  }

 private:
  std::vector<std::pair<QString, MsgIcon>> m_boxes;
};

// Shows nothing at all; only a stop request gets through.
class SilentFeedback final : public RelayFeedback {
 public:
  using RelayFeedback::RelayFeedback;
  void MessageBox(const QString&, MsgIcon) override {}
  void ShowProgress() override {}
  void SetProgressText(const QString&) override {}
  void SetProgressRange(int) override {}
  void SetProgressPos(int pos) override { m_pos = pos; }
  int ProgressPos() override { return m_pos; }
  void CloseProgress() override {}

 private:
  int m_pos = 0;
};

}  // namespace quorvin
