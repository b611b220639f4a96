// quorvin-sim: the virtual repeater as its own process, so the tool and quorvinctl can be run
// against a device that behaves, and misbehaves, on demand.

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QStringList>
#include <QTextStream>
#include <csignal>
#include <cstdio>
#include <memory>
#include <vector>

#include "host/Clock.h"
#include "sim/HidSocketServer.h"
#include "sim/HidTcpServer.h"
#include "sim/HidTcpUnits.h"
#include "sim/PtySerialServer.h"
#include "sim/SimLoop.h"
#include "sim/SimOptions.h"
#include "sim/model/DeviceModel.h"

namespace {

int g_stopPipe[2] = {-1, -1};

extern "C" void OnStopSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const auto n = ::write(g_stopPipe[1], &byte, 1);
}

bool InstallStopSignals() {
  if (::pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction sa {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  ::sigaction(SIGINT, &sa, nullptr);
  ::sigaction(SIGTERM, &sa, nullptr);
  ::sigaction(SIGHUP, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  return true;
}

void PrintLine(std::FILE* to, const QString& line) {
  std::fputs(line.toLocal8Bit().constData(), to);
  std::fputc('\n', to);
  std::fflush(to);
}

void TraceTo(quorvin::DeviceModel& model, qint64 origin, const QString& prefix) {
  model.Log().SetSink([origin, prefix](const quorvin::LogEntry& e) {
    PrintLine(stdout, prefix + quorvin::DeviceLog::Format(e, origin));
  });
}

// What unit `n` says as its serial number: QV0001, QV0002, ..; units 1 and 2 alike with
// --duplicate-serial; none with --no-serial, or when a single socket is served. --serial-number
// names unit 1's (and unit 2's with --duplicate-serial).
QByteArray UnitSerial(const quorvin::SimSetup& setup, int n) {
  if (setup.noSerial) return {};
  if (!setup.serialNumber.isEmpty() && (n == 1 || (n == 2 && setup.duplicateSerial)))
    return setup.serialNumber.toUtf8();
  if (setup.units == 0) return {};
  if (setup.duplicateSerial && n == 2) n = 1;
  return QStringLiteral("QV%1").arg(n, 4, 10, QLatin1Char('0')).toUtf8();
}

// The HID socket, or with --units one socket per unit in the folder --hid-socket names.
bool ServeHidSockets(const quorvin::SimSetup& setup, const std::vector<quorvin::DeviceModel*>& units,
                     quorvin::Clock& clock, quorvin::SimLoop& loop, QStringList& links, QString& error) {
  using namespace quorvin;
  if (setup.units > 0 && !QDir().mkpath(setup.hidSocket)) {
    error = QStringLiteral("cannot create the folder %1").arg(setup.hidSocket);
    return false;
  }
  for (int n = 1; n <= static_cast<int>(units.size()); ++n) {
    auto hid = std::make_unique<HidSocketServer>(*units[n - 1], clock);
    hid->SetSerial(UnitSerial(setup, n));
    const QString path =
        setup.units > 0 ? QDir(setup.hidSocket).filePath(QStringLiteral("%1.sock").arg(n)) : setup.hidSocket;
    if (!hid->Listen(path, error)) return false;
    if (setup.replugEveryMs > 0) hid->SetReplugEveryMs(setup.replugEveryMs, clock.NowMs());
    if (setup.units == 0) links << hid->Describe();
    loop.Add(std::move(hid));
  }
  // One entry for the folder rather than a socket each: the line stays readable with 20 units.
  if (setup.units > 0) links << QStringLiteral("hid-socket %1 (units 1..%2)").arg(setup.hidSocket).arg(setup.units);
  return true;
}

// The TCP listener: one unit, or with --units all of them on the one port.
bool ServeHidTcp(const quorvin::SimSetup& setup, const std::vector<quorvin::DeviceModel*>& units, quorvin::Clock& clock,
                 quorvin::SimLoop& loop, QStringList& links, QString& error) {
  using namespace quorvin;
  if (setup.units == 0) {
    auto tcp = std::make_unique<HidTcpServer>(*units.front(), clock);
    if (!tcp->Listen(*setup.hidTcp, error)) return false;
    if (setup.replugEveryMs > 0) tcp->SetReplugEveryMs(setup.replugEveryMs, clock.NowMs());
    links << tcp->Describe();
    loop.Add(std::move(tcp));
    return true;
  }
  auto shared = std::make_unique<HidTcpUnits>();
  if (!shared->Listen(*setup.hidTcp, error)) return false;
  if (!shared->Stamped())
    units.front()->Log().AddNote(clock.NowMs(), QStringLiteral("no arrival stamps: upload pauses judged by read time"));
  std::vector<HidTcpServer*> servers;
  for (int n = 1; n <= setup.units; ++n) {
    auto unit = std::make_unique<HidTcpServer>(*units[n - 1], clock);
    unit->ServeAsUnit(shared->Address(), n);
    unit->SetSerial(UnitSerial(setup, n));
    if (setup.replugEveryMs > 0) unit->SetReplugEveryMs(setup.replugEveryMs, clock.NowMs());
    servers.push_back(unit.get());
    loop.Add(std::move(unit));  // the loop outlives the shared listener's use of them
  }
  shared->SetUnits(std::move(servers));
  links << shared->Describe();
  loop.Add(std::move(shared));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace quorvin;
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);

  DeviceModel model;
  SimSetup setup{model};
  QString error;
  if (!ParseSimArgs(args, setup, error)) {
    PrintLine(stderr, QStringLiteral("quorvin-sim: ") + error);
    return 2;
  }
  if (setup.help) {
    std::fputs(SimUsage().toLocal8Bit().constData(), stdout);
    return 0;
  }
  if (setup.hidSocket.isEmpty() && !setup.hidTcp && !setup.serial) {
    PrintLine(stderr, QStringLiteral("quorvin-sim: nothing to serve; give --hid-socket PATH, --hid-tcp 127.0.0.1:PORT "
                                     "or --serial (see --help)"));
    return 2;
  }
  if (setup.units > 0 && setup.hidSocket.isEmpty() && !setup.hidTcp) {
    PrintLine(stderr, QStringLiteral("quorvin-sim: --units needs --hid-socket DIR, the folder for the units' sockets, "
                                     "or --hid-tcp 127.0.0.1:PORT, the port they share"));
    return 2;
  }
  if (setup.hidTcp && setup.units == 0 && setup.hidSocket.isEmpty() && !setup.serialNumber.isEmpty()) {
    // Said nowhere would be a serial number silently dropped.
    PrintLine(stderr, QStringLiteral("quorvin-sim: --serial-number: the single TCP unit's hello carries none; add "
                                     "--units 1 (QUORVIN_HID_SOCKET=tcp:127.0.0.1:PORT/1)"));
    return 2;
  }
  if (setup.duplicateSerial && setup.units < 2) {
    PrintLine(stderr, QStringLiteral("quorvin-sim: --duplicate-serial needs --units 2 or more"));
    return 2;
  }
  if (const Replay* replay = model.GetReplay()) {
    // A recording plays back on the link it was made on: reports are not serial chunks.
    const bool usb = replay->Source().link == QLatin1String("usb");
    if ((usb && setup.serial) || (!usb && (!setup.hidSocket.isEmpty() || setup.hidTcp))) {
      PrintLine(stderr, usb ? QStringLiteral("quorvin-sim: --replay: the recording was made over usb; play it back on "
                                             "--hid-socket or --hid-tcp, not --serial")
                            : QStringLiteral("quorvin-sim: --replay: the recording was made over serial; play it back "
                                             "on --serial, not --hid-socket or --hid-tcp"));
      return 2;
    }
  }
  if (!InstallStopSignals()) {
    PrintLine(stderr, QStringLiteral("quorvin-sim: cannot set up signal handling"));
    return 1;
  }

  RealClock clock;
  const qint64 origin = clock.NowMs();
  if (setup.trace) TraceTo(model, origin, setup.units > 0 ? QStringLiteral("unit 1: ") : QString());

  if (Replay* replay = model.GetReplay())
    replay->SetOnDivergence([](const QString& what) { PrintLine(stdout, QStringLiteral("quorvin-sim: ") + what); });

  SimLoop loop(clock);
  // The first unit is `model`; with --units the others get models of their own, set up by the same
  // options, so each keeps its own state and counts its own faults. A unit served on both the
  // socket and TCP is one device on two links.
  std::vector<std::unique_ptr<DeviceModel>> others;
  std::vector<DeviceModel*> units{&model};
  for (int n = 2; n <= setup.units; ++n) {
    others.push_back(std::make_unique<DeviceModel>());
    SimSetup unitSetup{*others.back()};
    if (!ParseSimArgs(args, unitSetup, error)) {
      PrintLine(stderr, QStringLiteral("quorvin-sim: ") + error);
      return 1;
    }
    if (setup.trace) TraceTo(*others.back(), origin, QStringLiteral("unit %1: ").arg(n));
    units.push_back(others.back().get());
  }
  QStringList links;
  if ((!setup.hidSocket.isEmpty() && !ServeHidSockets(setup, units, clock, loop, links, error)) ||
      (setup.hidTcp && !ServeHidTcp(setup, units, clock, loop, links, error))) {
    PrintLine(stderr, QStringLiteral("quorvin-sim: ") + error);
    return 1;
  }
  if (setup.serial) {
    auto serial = std::make_unique<PtySerialServer>(model, clock);
    if (!serial->Open(error)) {
      PrintLine(stderr, QStringLiteral("quorvin-sim: ") + error);
      return 1;
    }
    links << serial->Describe();
    loop.Add(std::move(serial));
  }

  PrintLine(stdout, QStringLiteral("quorvin-sim ready: %1 (vendor %2, product %3, version %4)")
                        .arg(links.join(QStringLiteral("; ")))
                        .arg(model.VendorId(), 4, 16, QLatin1Char('0'))
                        .arg(model.ProductId(), 4, 16, QLatin1Char('0'))
                        .arg(QString::fromLatin1(model.Version())));
  const bool ok = loop.Run(g_stopPipe[0]);
  return ok ? 0 : 1;
}
