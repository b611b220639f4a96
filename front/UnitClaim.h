#pragma once
// Which repeater a run drives, and the lock that keeps every other process on this machine off it
// meanwhile. A claim is made at the moment of the run from what is attached then, never from an
// earlier look: the unit a window listed a second ago may have gone, or been joined by another.
// Over USB it resolves the unit, takes its lock (waiting if asked) and opens a link held to that
// unit alone; over a serial port the port's own exclusive open is the lock, taken by each
// operation. The claim says nothing to the user: it returns what it found, typed, and each front
// end tells it its own way.

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "front/FeedbackWrappers.h"
#include "host/DeviceLock.h"
#include "link/DeviceSelector.h"
#include "ops/Channel.h"

namespace quorvin {

class SerialPort;

// Which link and, over USB, which repeater.
struct Target {
  LinkKind link = LinkKind::Usb;
  std::optional<DeviceSelector> device;  // USB: none means the only one attached
  SerialChoice serial;                   // serial: the port and its speed
};

// The longest a claim waits for another process to let go of the unit: longer than any upgrade
// takes, short enough that a forgotten holder does not stall a production line for good.
inline constexpr int kMaxLockWaitMs = 15 * 60 * 1000;

struct ClaimOptions {
  bool waitLock = false;
  int maxWaitMs = kMaxLockWaitMs;
  // Called once when the claim starts to wait for the holder (`holderPid` 0: not known).
  std::function<void(const AttachedRepeater& unit, qint64 holderPid)> onWait = {};
};

enum class ClaimEnd {
  Claimed,       // the unit (or the serial port) is this run's; Channel() drives it
  NoneAttached,  // USB, no selector and no repeater: the operation runs and says "no device" itself
  NoMatch,       // the selector names none of the attached repeaters (Listed(): those attached)
  Several,       // several fit and none was chosen (Listed(): the candidates)
  Busy,          // another process holds the unit (HolderPid(), when known)
  LockFailed,    // the lock could not be taken at all (Detail()); nothing runs unlocked
  Interrupted,   // a stop request came while waiting for the lock
};

class UnitClaim {
 public:
  // `backend`: the USB side (may be null for a serial target); `port`: the serial side, used by
  // the serial channel (may be null for a USB target). `fb` is where the operations speak.
  UnitClaim(HidBackend* backend, SerialPort* port, Feedback& fb, Clock& clock, Language lang);
  ~UnitClaim();
  UnitClaim(const UnitClaim&) = delete;
  UnitClaim& operator=(const UnitClaim&) = delete;

  [[nodiscard]] ClaimEnd Take(const Target& target, const ClaimOptions& options = {});

  // After Claimed or NoneAttached: the channel to run operations on.
  [[nodiscard]] Channel& GetChannel() { return *m_channel; }
  // What the link and the channel speak through; the run policy points it elsewhere for a while.
  [[nodiscard]] RelayFeedback& Relay() { return m_relay; }
  [[nodiscard]] HidLink* Link() { return m_link.get(); }
  // USB: the unit claimed, or the one another process holds.
  [[nodiscard]] const AttachedRepeater& Unit() const { return m_unit; }
  [[nodiscard]] const std::vector<AttachedRepeater>& Listed() const { return m_listed; }
  [[nodiscard]] qint64 HolderPid() const { return m_holder; }
  [[nodiscard]] const QString& Detail() const { return m_detail; }
  [[nodiscard]] const Target& GetTarget() const { return m_target; }
  // What the history and the window call the unit: its identity, or the serial port.
  [[nodiscard]] QString UnitName() const;
  // Whether the claimed USB unit is still attached, as its path and location (a unit pulled out
  // mid-run fails on the link; this tells the station why).
  [[nodiscard]] bool StillAttached();
  void Release();

 private:
  ClaimEnd Lock(const ClaimOptions& options);

  HidBackend* m_backend;
  SerialPort* m_port;
  Clock& m_clock;
  Language m_lang;
  RelayFeedback m_relay;
  Target m_target;
  std::unique_ptr<HidLink> m_link;
  std::unique_ptr<Channel> m_channel;
  DeviceLock m_lock;
  AttachedRepeater m_unit;
  std::vector<AttachedRepeater> m_listed;
  qint64 m_holder = 0;
  QString m_detail;
};

}  // namespace quorvin
