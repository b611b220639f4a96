#pragma once
// The virtual repeater: what the device keeps (version text, working frequency, firmware image,
// backup data, call-button data) and how it answers on its USB link. It is transport-free and
// driven by time: a transport hands it each report with the time it arrived, and asks for the
// reports the device has to send, each with the time it is due. The in-process backend, the
// socket server of quorvin-sim and the unit tests all drive this one model.
//
// Not thread-safe: whoever shares it between threads locks around it.

#include <QByteArray>
#include <QtGlobal>
#include <deque>
#include <memory>
#include <optional>
#include <span>

#include "protocol/Protocol.h"
#include "sim/model/DeviceFaults.h"
#include "sim/model/DeviceLog.h"
#include "sim/model/ReadBackStream.h"
#include "sim/model/Replay.h"
#include "sim/model/UploadCollector.h"

namespace quorvin {

class DeviceModel {
 public:
  static constexpr std::uint16_t kDefaultVendorId = 0x0483;
  static constexpr std::uint16_t kDefaultProductId = 0x1234;
  static constexpr quint32 kDefaultFrequency = 315'600'000;
  static constexpr int kDefaultReadBackIntervalUs = 1000;  // one report per USB frame

  DeviceModel();

  // --- What the device keeps -------------------------------------------------------------
  [[nodiscard]] std::uint16_t VendorId() const { return m_vendorId; }
  [[nodiscard]] std::uint16_t ProductId() const { return m_productId; }
  void SetIds(std::uint16_t vendorId, std::uint16_t productId);

  [[nodiscard]] const QByteArray& Version() const { return m_version; }
  // False (and nothing changed) when the text does not fit one reply (58 bytes).
  [[nodiscard]] bool SetVersion(const QByteArray& text);

  [[nodiscard]] quint32 Frequency() const { return m_frequency; }
  void SetFrequency(quint32 hz) { m_frequency = hz; }

  [[nodiscard]] const QByteArray& BackupData() const { return m_backup; }
  // False (and nothing changed) when the data need more packets than a 16-bit count allows.
  [[nodiscard]] bool SetBackupData(const QByteArray& data);
  [[nodiscard]] static QByteArray DefaultBackupData();

  [[nodiscard]] const QByteArray& FirmwareImage() const { return m_firmware; }
  void SetFirmwareImage(const QByteArray& image) { m_firmware = image; }

  [[nodiscard]] const QByteArray& CallButtonData() const { return m_callButtons; }
  void SetCallButtonData(const QByteArray& data) { m_callButtons = data; }
  [[nodiscard]] int CallButtonInits() const { return m_callButtonInits; }

  [[nodiscard]] int ReadBackIntervalUs() const { return m_readBackIntervalUs; }
  void SetReadBackIntervalUs(int us) { m_readBackIntervalUs = us < 0 ? 0 : us; }
  // How much shorter than the pace a pause between upload packets may look, on both links.
  void SetPauseToleranceMs(int ms) { m_upload.SetPauseToleranceMs(ms); }
  [[nodiscard]] int PauseToleranceMs() const { return m_upload.PauseToleranceMs(); }

  [[nodiscard]] DeviceFaults& Faults() { return m_faults; }
  [[nodiscard]] const DeviceFaults& Faults() const { return m_faults; }
  [[nodiscard]] DeviceLog& Log() { return m_log; }
  [[nodiscard]] const DeviceLog& Log() const { return m_log; }

  // The verdict on the last upload that reached its last packet (either link).
  [[nodiscard]] const std::optional<UploadResult>& LastUpload() const { return m_lastUpload; }
  // Keeps what a whole and consistent upload carried: 0xC3 the firmware, 0xC4 the backup data.
  // Also used by the serial side.
  void StoreUpload(const UploadResult& result);

  // The device has gone away (the vanish fault): it takes and sends nothing.
  [[nodiscard]] bool Vanished() const;
  // Reports taken from the host over USB so far.
  [[nodiscard]] int ReportsTaken() const { return m_reportsTaken; }
  // Reports sent to the host over USB so far.
  [[nodiscard]] int ReportsSent() const { return m_reportsSent; }

  // Plays a recording back instead of being the repeater: the recorded answers to the recorded
  // requests, on both links.
  void SetReplay(std::shared_ptr<Replay> replay) { m_replay = std::move(replay); }
  [[nodiscard]] Replay* GetReplay() const { return m_replay.get(); }

  // --- USB link ---------------------------------------------------------------------------
  // One output report (65 bytes, report ID first) written by the host at nowMs.
  void OnUsbReport(const Report& report, qint64 nowMs);
  // When the next input report is due, if the device has one to send.
  [[nodiscard]] std::optional<qint64> NextDueMs() const;
  // The earliest input report due at or before nowMs, logged as sent.
  [[nodiscard]] std::optional<Report> TakeDue(qint64 nowMs);
  // The host went away: nothing still queued will ever be read.
  void DropPending();
  // A fresh open of the device sees only what comes after it: reports that fell due while nobody
  // had it open are lost, as a HID driver drops input nobody reads.
  void DiscardDue(qint64 nowMs);

 private:
  struct Pending {
    qint64 dueMs;
    Report report;
  };
  void Dispatch(const Report& report, qint64 nowMs);
  void HandleUpload(const Report& report, qint64 nowMs);
  void StartReadBack(qint64 nowMs);
  // Sends a reply through the reply faults; false when it was dropped. *dueMs gets its due time.
  bool SendReply(Report reply, qint64 nowMs, qint64* dueMs = nullptr);
  void Queue(qint64 dueMs, const Report& report);
  void Note(qint64 nowMs, const QString& text) { m_log.AddNote(nowMs, text); }

  std::shared_ptr<Replay> m_replay;
  std::uint16_t m_vendorId = kDefaultVendorId;
  std::uint16_t m_productId = kDefaultProductId;
  QByteArray m_version;
  quint32 m_frequency = kDefaultFrequency;
  QByteArray m_backup;
  QByteArray m_firmware;
  QByteArray m_callButtons;
  int m_callButtonInits = 0;
  int m_readBackIntervalUs = kDefaultReadBackIntervalUs;
  int m_reportsTaken = 0;
  int m_reportsSent = 0;

  DeviceFaults m_faults;
  DeviceLog m_log;
  UploadCollector m_upload;
  std::optional<UploadResult> m_lastUpload;
  ReadBackStream m_stream;
  std::deque<Pending> m_queue;
};

}  // namespace quorvin
