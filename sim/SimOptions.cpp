#include "sim/SimOptions.h"

#include <QFile>
#include <memory>

#include "host/FileOpen.h"
#include "protocol/Recording.h"
#include "sim/model/Replay.h"

namespace quorvin {

namespace {
bool ParseInt(const QString& text, qint64 min, qint64 max, qint64& out, const QString& what, QString& error) {
  bool ok = false;
  const qint64 v = text.toLongLong(&ok, 0);
  if (!ok || v < min || v > max) {
    error = QStringLiteral("%1 must be a number from %2 to %3, not \"%4\"").arg(what).arg(min).arg(max).arg(text);
    return false;
  }
  out = v;
  return true;
}

// "N" strikes N times, "all" every time.
bool ParseCount(const QString& text, FaultCount& out, const QString& what, QString& error) {
  if (text == QLatin1String("all")) {
    out = FaultCount::Always();
    return true;
  }
  qint64 n = 0;
  if (!ParseInt(text, 0, 1'000'000, n, what, error)) {
    error += QStringLiteral(" (or \"all\")");
    return false;
  }
  out = FaultCount::Times(static_cast<int>(n));
  return true;
}

bool ParseId(const QString& text, std::uint16_t& out, const QString& what, QString& error) {
  bool ok = false;
  const uint v = text.toUInt(&ok, 16);
  if (!ok || v > 0xFFFF) {
    error = QStringLiteral("%1 must be four hex digits, not \"%2\"").arg(what, text);
    return false;
  }
  out = static_cast<std::uint16_t>(v);
  return true;
}

SimOption Count(const char* name, const char* help, FaultCount DeviceFaults::*member) {
  return {QLatin1String(name), QStringLiteral("N|all"), QLatin1String(help),
          [member, name](SimSetup& s, const QString& v, QString& e) {
            return ParseCount(v, s.model.Faults().*member, QLatin1String(name), e);
          }};
}

std::vector<SimOption> MakeOptions() {
  std::vector<SimOption> o;
  o.push_back({QStringLiteral("--hid-socket"), QStringLiteral("PATH"),
               QStringLiteral("serve the virtual HID link on this Unix socket"),
               [](SimSetup& s, const QString& v, QString&) {
                 s.hidSocket = v;
                 return true;
               }});
  o.push_back({QStringLiteral("--units"), QStringLiteral("N"),
               QStringLiteral("N repeaters at once: --hid-socket names a folder, one socket per unit (1.sock ..); "
                              "on --hid-tcp they share the port"),
               [](SimSetup& s, const QString& v, QString& e) {
                 qint64 n = 0;
                 if (!ParseInt(v, 1, kMaxUnits, n, QStringLiteral("--units"), e)) return false;
                 s.units = static_cast<int>(n);
                 return true;
               }});
  o.push_back({QStringLiteral("--no-serial"),
               {},
               QStringLiteral("with --units: the units have no serial number (otherwise QV0001 ..)"),
               [](SimSetup& s, const QString&, QString&) {
                 s.noSerial = true;
                 return true;
               }});
  o.push_back({QStringLiteral("--duplicate-serial"),
               {},
               QStringLiteral("with --units: units 1 and 2 report the same serial number"),
               [](SimSetup& s, const QString&, QString&) {
                 s.duplicateSerial = true;
                 return true;
               }});
  o.push_back({QStringLiteral("--serial-number"), QStringLiteral("TEXT"),
               QStringLiteral("the serial number the unit (with --units, unit 1) reports; a single TCP unit has none"),
               [](SimSetup& s, const QString& v, QString& e) {
                 // As a USB string descriptor holds it: the socket hello carries at most this many.
                 if (v.isEmpty() || v.toUtf8().size() > 126) {
                   e = QStringLiteral("--serial-number takes 1 to 126 bytes of text");
                   return false;
                 }
                 s.serialNumber = v;
                 return true;
               }});
  o.push_back({QStringLiteral("--replug-every"), QStringLiteral("MS"),
               QStringLiteral("each unit is unplugged and plugged in again every MS: its socket removed and created "
                              "again, or over TCP its port or unit closed and opened again"),
               [](SimSetup& s, const QString& v, QString& e) {
                 qint64 ms = 0;
                 if (!ParseInt(v, 10, 3'600'000, ms, QStringLiteral("--replug-every"), e)) return false;
                 s.replugEveryMs = static_cast<int>(ms);
                 return true;
               }});
  o.push_back({QStringLiteral("--hid-tcp"), QStringLiteral("127.0.0.1:PORT"),
               QStringLiteral("serve the virtual HID link on TCP, loopback only; port 0 picks a free one; with "
                              "--units the units share the port (see below)"),
               [](SimSetup& s, const QString& v, QString& e) {
                 QString why;
                 s.hidTcp = ParseLoopbackAddress(v, /*portZeroAllowed=*/true, why);
                 if (!s.hidTcp) e = QStringLiteral("--hid-tcp: ") + why;
                 return s.hidTcp.has_value();
               }});
  o.push_back({QStringLiteral("--serial"),
               {},
               QStringLiteral("serve the serial link on a pseudo-terminal (its path is printed)"),
               [](SimSetup& s, const QString&, QString&) {
                 s.serial = true;
                 return true;
               }});
  o.push_back({QStringLiteral("--version"), QStringLiteral("TEXT"),
               QStringLiteral("version text the device reports (default V1.0, at most 58 bytes)"),
               [](SimSetup& s, const QString& v, QString& e) {
                 if (s.model.SetVersion(v.toLatin1())) return true;
                 e = QStringLiteral("--version: at most 58 bytes fit one reply");
                 return false;
               }});
  o.push_back({QStringLiteral("--frequency"), QStringLiteral("HZ"),
               QStringLiteral("working frequency in Hz (default 315600000)"),
               [](SimSetup& s, const QString& v, QString& e) {
                 qint64 hz = 0;
                 if (!ParseInt(v, 0, 0xFFFFFFFFLL, hz, QStringLiteral("--frequency"), e)) return false;
                 s.model.SetFrequency(static_cast<quint32>(hz));
                 return true;
               }});
  o.push_back({QStringLiteral("--backup"), QStringLiteral("FILE"),
               QStringLiteral("backup data the device holds (default: a 300-byte demo pattern)"),
               [](SimSetup& s, const QString& v, QString& e) {
                 QFile f(v);
                 if (!f.open(QIODevice::ReadOnly)) {
                   e = QStringLiteral("--backup: cannot open %1: %2").arg(v, f.errorString());
                   return false;
                 }
                 if (f.size() > ReadBackStream::kMaxBytes || !s.model.SetBackupData(f.readAll())) {
                   e = QStringLiteral("--backup: %1 is larger than %2 bytes").arg(v).arg(ReadBackStream::kMaxBytes);
                   return false;
                 }
                 return true;
               }});
  o.push_back({QStringLiteral("--rate-us"), QStringLiteral("N"),
               QStringLiteral("microseconds between read-back reports (default 1000)"),
               [](SimSetup& s, const QString& v, QString& e) {
                 qint64 us = 0;
                 if (!ParseInt(v, 0, 10'000'000, us, QStringLiteral("--rate-us"), e)) return false;
                 s.model.SetReadBackIntervalUs(static_cast<int>(us));
                 return true;
               }});
  o.push_back({QStringLiteral("--pause-tolerance-ms"), QStringLiteral("N"),
               QStringLiteral("how much shorter than asked an upload pause may look, on either link (default %1)")
                   .arg(UploadCollector::kDefaultPauseToleranceMs),
               [](SimSetup& s, const QString& v, QString& e) {
                 qint64 ms = 0;
                 if (!ParseInt(v, 0, 60'000, ms, QStringLiteral("--pause-tolerance-ms"), e)) return false;
                 s.model.SetPauseToleranceMs(static_cast<int>(ms));
                 return true;
               }});
  o.push_back({QStringLiteral("--trace"),
               {},
               QStringLiteral("print every report with its time as it passes"),
               [](SimSetup& s, const QString&, QString&) {
                 s.trace = true;
                 return true;
               }});
  o.push_back(Count("--drop-replies", "fault: the next N replies are never sent", &DeviceFaults::dropReply));
  o.push_back(Count("--corrupt-checksums", "fault: the next N replies carry a checksum off by one",
                    &DeviceFaults::corruptChecksum));
  o.push_back({QStringLiteral("--delay-ms"), QStringLiteral("MS"),
               QStringLiteral("fault: replies come MS late (every reply, or --delay-replies of them)"),
               [](SimSetup& s, const QString& v, QString& e) {
                 qint64 ms = 0;
                 if (!ParseInt(v, 0, 600'000, ms, QStringLiteral("--delay-ms"), e)) return false;
                 auto& f = s.model.Faults();
                 f.delayMs = static_cast<int>(ms);
                 if (!f.delayReply.Armed()) f.delayReply = FaultCount::Always();
                 return true;
               }});
  o.push_back(Count("--delay-replies", "fault: how many replies --delay-ms delays", &DeviceFaults::delayReply));
  o.push_back({QStringLiteral("--replay"), QStringLiteral("FILE"),
               QStringLiteral("play back the device's side of a recording (quorvinctl --record FILE) instead of "
                              "being the repeater; the first request that differs is told"),
               [](SimSetup& s, const QString& v, QString& e) {
                 QFile file(v);
                 if (!OpenForReading(file)) {  // a FIFO nobody writes to reads as empty, never hangs
                   e = QStringLiteral("--replay: cannot open %1: %2").arg(v, file.errorString());
                   return false;
                 }
                 Recording recording;
                 QString why;
                 if (!ParseRecording(file.readAll(), recording, &why)) {
                   e = QStringLiteral("--replay: %1: %2").arg(v, why);
                   return false;
                 }
                 s.model.SetReplay(std::make_shared<Replay>(std::move(recording)));
                 return true;
               }});
  o.push_back({QStringLiteral("--store-flip"), QStringLiteral("OFFSET"),
               QStringLiteral("fault: a downloaded backup is kept with the byte at OFFSET inverted"),
               [](SimSetup& s, const QString& v, QString& e) {
                 qint64 offset = 0;
                 if (!ParseInt(v, 0, 100'000'000, offset, QStringLiteral("--store-flip"), e)) return false;
                 s.model.Faults().storeFlipOffset = static_cast<int>(offset);
                 return true;
               }});
  o.push_back(Count("--refuse", "fault: the next N finished uploads are answered 0xA5", &DeviceFaults::refuse));
  o.push_back(Count("--quiet-status", "fault: the next N finished serial uploads are answered 0x66",
                    &DeviceFaults::quietStatus));
  o.push_back(Count("--stray-reply", "fault: the next N replies are preceded by a valid reply to another command",
                    &DeviceFaults::strayReply));
  o.push_back({QStringLiteral("--stop-readback"), QStringLiteral("K"),
               QStringLiteral("fault: a backup read-back stops after K packets"),
               [](SimSetup& s, const QString& v, QString& e) {
                 qint64 k = 0;
                 if (!ParseInt(v, 0, 0xFFFF, k, QStringLiteral("--stop-readback"), e)) return false;
                 s.model.Faults().stopReadBackAfter = static_cast<int>(k);
                 return true;
               }});
  o.push_back({QStringLiteral("--serial-jitter"), QStringLiteral("DELAY,GAP"),
               QStringLiteral("serial replies start a random 0..DELAY ms late, their bytes a random 0..GAP ms apart"),
               [](SimSetup& s, const QString& v, QString& e) {
                 const QStringList parts = v.split(QLatin1Char(','));
                 qint64 delay = 0;
                 qint64 gap = 0;
                 if (parts.size() != 2) {
                   e = QStringLiteral("--serial-jitter takes two numbers, DELAY,GAP, not \"%1\"").arg(v);
                   return false;
                 }
                 if (!ParseInt(parts[0], 0, 60'000, delay, QStringLiteral("--serial-jitter DELAY"), e) ||
                     !ParseInt(parts[1], 0, 60'000, gap, QStringLiteral("--serial-jitter GAP"), e))
                   return false;
                 s.model.Faults().serialReplyDelayMaxMs = static_cast<int>(delay);
                 s.model.Faults().serialByteGapMaxMs = static_cast<int>(gap);
                 return true;
               }});
  o.push_back({QStringLiteral("--vanish-after"), QStringLiteral("K"),
               QStringLiteral("fault: after taking K reports the device closes the link and its socket"),
               [](SimSetup& s, const QString& v, QString& e) {
                 qint64 k = 0;
                 if (!ParseInt(v, 0, 100'000'000, k, QStringLiteral("--vanish-after"), e)) return false;
                 s.model.Faults().vanishAfterReports = static_cast<int>(k);
                 return true;
               }});
  o.push_back({QStringLiteral("--vanish-after-sent"), QStringLiteral("K"),
               QStringLiteral("fault: after sending K reports (a read-back under way, say) the device goes away"),
               [](SimSetup& s, const QString& v, QString& e) {
                 qint64 k = 0;
                 if (!ParseInt(v, 0, 100'000'000, k, QStringLiteral("--vanish-after-sent"), e)) return false;
                 s.model.Faults().vanishAfterSent = static_cast<int>(k);
                 return true;
               }});
  o.push_back({QStringLiteral("--vendor-id"), QStringLiteral("HEX"),
               QStringLiteral("fault: present this vendor id instead of 0483"),
               [](SimSetup& s, const QString& v, QString& e) {
                 std::uint16_t id = 0;
                 if (!ParseId(v, id, QStringLiteral("--vendor-id"), e)) return false;
                 s.model.SetIds(id, s.model.ProductId());
                 return true;
               }});
  o.push_back({QStringLiteral("--product-id"), QStringLiteral("HEX"),
               QStringLiteral("fault: present this product id instead of 1234"),
               [](SimSetup& s, const QString& v, QString& e) {
                 std::uint16_t id = 0;
                 if (!ParseId(v, id, QStringLiteral("--product-id"), e)) return false;
                 s.model.SetIds(s.model.VendorId(), id);
                 return true;
               }});
  o.push_back(
      {QStringLiteral("--help"), {}, QStringLiteral("show this text"), [](SimSetup& s, const QString&, QString&) {
         s.help = true;
         return true;
       }});
  return o;
}
}  // namespace

const std::vector<SimOption>& SimOptions() {
  static const std::vector<SimOption> options = MakeOptions();
  return options;
}

bool ParseSimArgs(const QStringList& args, SimSetup& setup, QString& error) {
  for (qsizetype i = 0; i < args.size(); ++i) {
    QString name = args[i];
    std::optional<QString> value;
    if (const qsizetype eq = name.indexOf(QLatin1Char('=')); name.startsWith(QLatin1String("--")) && eq > 0) {
      value = name.mid(eq + 1);
      name = name.left(eq);
    }
    if (name == QLatin1String("-h")) name = QStringLiteral("--help");
    const auto& options = SimOptions();
    const auto it = std::find_if(options.begin(), options.end(), [&](const SimOption& o) { return o.name == name; });
    if (it == options.end()) {
      error = QStringLiteral("unknown option \"%1\" (see --help)").arg(args[i]);
      return false;
    }
    if (it->valueName.isEmpty() && value) {
      error = QStringLiteral("%1 takes no value").arg(name);
      return false;
    }
    if (!it->valueName.isEmpty() && !value) {
      if (i + 1 >= args.size()) {
        error = QStringLiteral("%1 needs a value: %1 %2").arg(name, it->valueName);
        return false;
      }
      value = args[++i];
    }
    if (!it->apply(setup, value.value_or(QString()), error)) return false;
  }
  return true;
}

QString SimUsage() {
  QString text = QStringLiteral(
      "Usage: quorvin-sim [--hid-socket PATH] [--hid-tcp 127.0.0.1:PORT] [--serial] [options]\n"
      "The virtual repeater: answers the set-up tool as the device does, with faults on demand.\n"
      "Runs until interrupted; removes its socket on exit.\n\nOptions:\n");
  for (const auto& o : SimOptions()) {
    const QString head = o.valueName.isEmpty() ? o.name : o.name + QLatin1Char(' ') + o.valueName;
    text += QStringLiteral("  %1 %2\n").arg(head, -28).arg(o.help);
  }
  text += QStringLiteral(
      "\nOnce serving, quorvin-sim prints one line naming each link, for scripts to read, e.g.\n"
      "  quorvin-sim ready: hid-tcp 127.0.0.1:40213; serial /dev/pts/3 (vendor 0483, product 1234, version V1.0)\n"
      "The tool finds the device through the environment: QUORVIN_HID_SOCKET=PATH for --hid-socket,\n"
      "QUORVIN_HID_SOCKET=tcp:127.0.0.1:PORT for --hid-tcp. With --units N, QUORVIN_HID_SOCKET=DIR, or\n"
      "tcp:127.0.0.1:PORT/N for --hid-tcp (the N units share the port, each connection names its unit\n"
      "first): each unit is one repeater at location sim:1, sim:2, .. (quorvinctl --device sim:2 or\n"
      "sn:QV0002). The fault options apply to every unit, each counting its own.\n");
  return text;
}

}  // namespace quorvin
