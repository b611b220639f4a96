#include "front/UnitClaim.h"

#include "link/HidLink.h"

namespace quorvin {

namespace {
constexpr int kLockRetryMs = 50;
}  // namespace

UnitClaim::UnitClaim(HidBackend* backend, SerialPort* port, Feedback& fb, Clock& clock, Language lang)
    : m_backend(backend), m_port(port), m_clock(clock), m_lang(std::move(lang)), m_relay(fb) {}

UnitClaim::~UnitClaim() { Release(); }

void UnitClaim::Release() {
  m_channel.reset();
  m_link.reset();  // the unit's handle is closed before its lock goes
  m_lock.Release();
  m_unit = {};
  m_listed.clear();
  m_holder = 0;
  m_detail.clear();
}

QString UnitClaim::UnitName() const {
  return m_target.link == LinkKind::Serial ? m_target.serial.portItem : m_unit.identity;
}

ClaimEnd UnitClaim::Take(const Target& target, const ClaimOptions& options) {
  Release();
  m_target = target;
  if (target.link == LinkKind::Serial) {
    m_channel = std::make_unique<SerialChannel>(*m_port, target.serial, m_relay, m_clock, m_lang);
    return ClaimEnd::Claimed;
  }
  m_link = std::make_unique<HidLink>(*m_backend, m_relay, m_clock);
  m_channel = std::make_unique<UsbChannel>(*m_link, m_relay, m_clock, m_lang);
  // A HID layer that never started: the link itself tells that fault when the operation asks.
  if (!m_backend->Started()) return ClaimEnd::NoneAttached;
  const DeviceChoice choice = ChooseRepeater(m_backend->Enumerate(), target.device);
  switch (choice.result) {
    case DeviceChoice::Result::NoneAttached:
      // The operation finds nothing and says so in its own words; a unit plugged in meanwhile is
      // not driven, since nobody locked it.
      m_link->SetFilter([](const HidDeviceInfo&) { return false; });
      return ClaimEnd::NoneAttached;
    case DeviceChoice::Result::NoMatch:
      m_listed = choice.attached;
      return ClaimEnd::NoMatch;
    case DeviceChoice::Result::Several:
      m_listed = choice.candidates;
      return ClaimEnd::Several;
    case DeviceChoice::Result::Chosen:
      break;
  }
  m_unit = choice.chosen;
  // Discovery links this unit only, even when others come and go while the operation runs.
  const QString path = m_unit.info.path;
  const QString location = m_unit.info.location;
  m_link->SetFilter(
      [path, location](const HidDeviceInfo& info) { return info.path == path && info.location == location; });
  return Lock(options);
}

ClaimEnd UnitClaim::Lock(const ClaimOptions& options) {
  // A unit that lives inside this process (the demo's, a test's) cannot be reached by another.
  if (!m_backend->SharedWithOtherProcesses()) return ClaimEnd::Claimed;
  const QString name = m_backend->LockName(m_unit.info);
  const qint64 until = m_clock.NowMs() + options.maxWaitMs;
  bool told = false;
  for (;;) {
    switch (m_lock.TryAcquire(name, m_holder, m_detail)) {
      case LockResult::Acquired:
        return ClaimEnd::Claimed;
      case LockResult::Failed:
        return ClaimEnd::LockFailed;
      case LockResult::Busy:
        break;
    }
    if (m_relay.CancelRequested()) return ClaimEnd::Interrupted;
    if (!options.waitLock || m_clock.NowMs() >= until) return ClaimEnd::Busy;
    if (!told && options.onWait) options.onWait(m_unit, m_holder);
    told = true;
    m_clock.SleepMs(kLockRetryMs);
  }
}

bool UnitClaim::StillAttached() {
  if (m_target.link != LinkKind::Usb || !m_backend) return true;
  for (const HidDeviceInfo& info : m_backend->Enumerate())
    if (info.path == m_unit.info.path && info.location == m_unit.info.location) return true;
  return false;
}

}  // namespace quorvin
