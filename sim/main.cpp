// quorvin-sim: the virtual repeater as its own process, so the tool and quorvinctl can be run
// against a device that behaves, and misbehaves, on demand.

#include <fcntl.h>
#include <unistd.h>

#include <QStringList>
#include <QTextStream>
#include <csignal>
#include <cstdio>

#include "link/Clock.h"
#include "sim/HidSocketServer.h"
#include "sim/HidTcpServer.h"
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
  if (!InstallStopSignals()) {
    PrintLine(stderr, QStringLiteral("quorvin-sim: cannot set up signal handling"));
    return 1;
  }

  RealClock clock;
  const qint64 origin = clock.NowMs();
  if (setup.trace)
    model.Log().SetSink([origin](const LogEntry& e) { PrintLine(stdout, DeviceLog::Format(e, origin)); });

  if (Replay* replay = model.GetReplay())
    replay->SetOnDivergence([](const QString& what) { PrintLine(stdout, QStringLiteral("quorvin-sim: ") + what); });

  SimLoop loop(clock);
  if (!setup.hidSocket.isEmpty()) {
    auto hid = std::make_unique<HidSocketServer>(model, clock);
    if (!hid->Listen(setup.hidSocket, error)) {
      PrintLine(stderr, QStringLiteral("quorvin-sim: ") + error);
      return 1;
    }
    loop.Add(std::move(hid));
  }
  if (setup.hidTcp) {
    auto tcp = std::make_unique<HidTcpServer>(model, clock);
    if (!tcp->Listen(*setup.hidTcp, error)) {
      PrintLine(stderr, QStringLiteral("quorvin-sim: ") + error);
      return 1;
    }
    loop.Add(std::move(tcp));
  }
  if (setup.serial) {
    auto serial = std::make_unique<PtySerialServer>(model, clock);
    if (!serial->Open(error)) {
      PrintLine(stderr, QStringLiteral("quorvin-sim: ") + error);
      return 1;
    }
    loop.Add(std::move(serial));
  }

  QStringList links;
  for (const auto& t : loop.Transports()) links << t->Describe();
  PrintLine(stdout, QStringLiteral("quorvin-sim ready: %1 (vendor %2, product %3, version %4)")
                        .arg(links.join(QStringLiteral("; ")))
                        .arg(model.VendorId(), 4, 16, QLatin1Char('0'))
                        .arg(model.ProductId(), 4, 16, QLatin1Char('0'))
                        .arg(QString::fromLatin1(model.Version())));
  const bool ok = loop.Run(g_stopPipe[0]);
  return ok ? 0 : 1;
}
