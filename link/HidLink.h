#pragma once
// The USB link to the repeater: discovery by vendor/product id and 65-byte report reads and writes
// with time-outs; when to look for the device (poll timer, watcher) is the window's business, and
// what to tell the user about a fault is the caller's: the link never talks to the user. It owns
// the report-ID byte: every layer above sees whole 65-byte reports with byte 0 = 0x00.
//
// One thread at a time uses a link; the operation runner keeps the poll timer's discovery out of a
// running transfer.

#include <functional>
#include <memory>
#include <utility>

#include "host/Clock.h"
#include "link/HidBackend.h"
#include "link/LinkEvents.h"
#include "protocol/Frame.h"

namespace quorvin {

inline constexpr std::uint16_t kVendorId = 0x0483;
inline constexpr std::uint16_t kProductId = 0x1234;
inline constexpr int kWriteTimeoutMs = 300;
// The longest a read waits without looking for a stop request.
inline constexpr int kStopCheckMs = 100;

// LayerUnavailable: the platform's HID layer could not start, so no device can be found at all.
enum class DiscoveryFault { None, PathError, OpenFailed, AccessDenied, AttributeError, LayerUnavailable };

class HidLink {
 public:
  HidLink(HidBackend& backend, LinkEvents& events, Clock& clock);
  ~HidLink();
  HidLink(const HidLink&) = delete;
  HidLink& operator=(const HidLink&) = delete;

  [[nodiscard]] LinkEvents& Events() { return m_events; }
  [[nodiscard]] Clock& GetClock() { return m_clock; }
  [[nodiscard]] HidBackend& Backend() { return m_backend; }

  // Whether an interface is the repeater: its ids read and equal to the repeater's.
  [[nodiscard]] static bool IsRepeater(const HidDeviceInfo& info);
  // With several repeaters attached, which one this link drives: discovery links only a repeater
  // the filter accepts. Without one, the first repeater found.
  void SetFilter(std::function<bool(const HidDeviceInfo&)> filter) { m_filter = std::move(filter); }
  // Discovery: links the first interface with the wanted ids. Answers whether the link is up.
  bool FindHidDevice();
  // Reads one input report into In() within timeoutMs; a time-out or failure closes the link.
  // A stop request (LinkEvents::CancelRequested) ends the wait early, as a time-out. A link that is
  // down stays down: a read never looks for the device again.
  bool ReadInputReport(int timeoutMs);
  // Writes Out(), looking for the device first when the link is down; a write that fails or
  // does not complete in 300 ms closes the link.
  bool WriteOutputReport();
  void CloseHidDevice();

  [[nodiscard]] bool LinkUp() const { return m_linkUp; }
  [[nodiscard]] DiscoveryFault LastFault() const { return m_lastFault; }
  // The last discovery's fault when it is news, once; None otherwise. A persistent fault is told
  // once, not on every poll tick, and again only after a clean run or another fault.
  [[nodiscard]] DiscoveryFault TakeNewFault() { return std::exchange(m_newFault, DiscoveryFault::None); }
  // Whether the last discovery saw a matching interface at all (linked or not).
  [[nodiscard]] bool SawMatchingDevice() const { return m_sawMatch; }
  [[nodiscard]] const QString& LinkedPath() const { return m_path; }

  // The last input report read (zeroed by a write, a time-out or a failure), and the output report
  // the next WriteOutputReport sends; byte 0 is the report ID, always 0x00.
  [[nodiscard]] const Report& In() const { return m_in; }
  [[nodiscard]] Report& Out() { return m_out; }

 private:
  bool OpenReportHandles(const QString& path);
  void ReportFault(DiscoveryFault fault);
  void Drop();

  HidBackend& m_backend;
  LinkEvents& m_events;
  Clock& m_clock;
  std::unique_ptr<HidHandle> m_handle;
  std::function<bool(const HidDeviceInfo&)> m_filter;
  QString m_path;
  bool m_linkUp = false;
  bool m_sawMatch = false;
  DiscoveryFault m_lastFault = DiscoveryFault::None;
  DiscoveryFault m_shownFault = DiscoveryFault::None;
  DiscoveryFault m_newFault = DiscoveryFault::None;
  Report m_in{};
  Report m_out{};
};

}  // namespace quorvin
