#include "link/HidLink.h"

#include <algorithm>

namespace quorvin {

bool HidLink::IsRepeater(const HidDeviceInfo& info) {
  return info.attributesOk && info.vendorId == kVendorId && info.productId == kProductId;
}

HidLink::HidLink(HidBackend& backend, LinkEvents& events, Clock& clock)
    : m_backend(backend), m_events(events), m_clock(clock) {}

HidLink::~HidLink() = default;

void HidLink::Drop() {
  CloseHidDevice();
  m_linkUp = false;
}

void HidLink::CloseHidDevice() {
  m_handle.reset();
  m_path.clear();
}

bool HidLink::OpenReportHandles(const QString& path) {
  std::unique_ptr<HidHandle> handle;
  const HidOpen result = m_backend.Open(path, handle);
  if (result != HidOpen::Ok || !handle) {
    ReportFault(result == HidOpen::AccessDenied ? DiscoveryFault::AccessDenied : DiscoveryFault::OpenFailed);
    return false;
  }
  m_handle = std::move(handle);
  m_path = path;
  return true;
}

void HidLink::ReportFault(DiscoveryFault fault) {
  m_lastFault = fault;
  if (fault == m_shownFault) return;
  m_shownFault = fault;
  m_newFault = fault;
}

bool HidLink::FindHidDevice() {
  // Handles a later run would replace are closed first, never leaked.
  Drop();
  m_sawMatch = false;
  if (!m_backend.Started()) {
    // Told once; the poll timer keeps asking quietly.
    ReportFault(DiscoveryFault::LayerUnavailable);
    return false;
  }
  DiscoveryFault fault = DiscoveryFault::None;
  const auto devices = m_backend.Enumerate();
  for (const auto& info : devices) {
    if (!info.attributesOk) {
      fault = DiscoveryFault::AttributeError;
      break;
    }
    if (info.path.isEmpty()) {
      fault = DiscoveryFault::PathError;
      break;
    }
    if (!IsRepeater(info) || (m_filter && !m_filter(info))) continue;  // not opened, so nothing to close
    m_sawMatch = true;
    if (OpenReportHandles(info.path)) m_linkUp = true;
    break;
  }
  if (fault != DiscoveryFault::None) {
    ReportFault(fault);
  } else if (m_linkUp || !m_sawMatch) {
    // The run ended cleanly: a fault that comes back later is shown again.
    m_lastFault = DiscoveryFault::None;
    m_shownFault = DiscoveryFault::None;
    m_newFault = DiscoveryFault::None;
  }
  return m_linkUp;
}

bool HidLink::WriteOutputReport() {
  if (!m_linkUp && !FindHidDevice()) return false;
  m_out[0] = 0x00;
  m_events.PumpMessages();
  if (!m_handle) {
    m_linkUp = false;
    return false;
  }
  m_in.fill(0);  // no earlier reply survives a new request
  m_events.Trace(TraceDir::Out, m_out.data(), m_out.size());
  const HidIo io = m_handle->Write(m_out.data(), m_out.size(), kWriteTimeoutMs);
  if (io != HidIo::Ok) Drop();
  return m_linkUp;
}

bool HidLink::ReadInputReport(int timeoutMs) {
  if (!m_linkUp || !m_handle) {
    m_linkUp = false;
    return false;
  }
  m_in.fill(0);
  m_events.PumpMessages();
  // The wait is taken in slices so a stop request (Ctrl+C, closing the window) is seen within
  // ~100 ms even during the 5000 ms waits; the whole wait still ends at its deadline.
  const qint64 deadline = m_clock.NowMs() + timeoutMs;
  HidIo io = HidIo::Timeout;
  for (;;) {
    const qint64 left = deadline - m_clock.NowMs();
    const int slice = static_cast<int>(std::clamp<qint64>(left, 0, kStopCheckMs));
    io = m_handle->Read(m_in.data() + 1, m_in.size() - 1, slice);
    if (io != HidIo::Timeout || left <= kStopCheckMs) break;
    if (m_events.CancelRequested()) break;  // the link is released below, as after a time-out
  }
  m_events.PumpMessages();
  m_in[0] = 0x00;  // hidapi delivers the data bytes without the report ID
  if (io != HidIo::Ok) {
    m_in.fill(0);
    Drop();
  } else {
    m_events.Trace(TraceDir::In, m_in.data(), m_in.size());
  }
  return m_linkUp;
}

}  // namespace quorvin
