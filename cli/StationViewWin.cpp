// Standard input on Windows cannot be waited on with a time-out the same way for a console, a pipe
// and a file, so one thread reads it with the blocking calls and hands over what came.

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "cli/StationView.h"

namespace quorvin::cli {

namespace {

struct Incoming {
  std::mutex mutex;
  std::condition_variable arrived;
  QByteArray bytes;
  bool end = false;
};

void Hand(Incoming& in, const QByteArray& bytes, bool end) {
  std::lock_guard lock(in.mutex);
  in.bytes += bytes;
  in.end = in.end || end;
  in.arrived.notify_all();
}

// A console hands over what is typed in UTF-16 (a file or pipe, bytes as they are); Ctrl+Z at the
// start of a line is its end of input, as for every console program.
void ReadConsoleLines(HANDLE h, Incoming& in) {
  wchar_t chunk[256];
  for (;;) {
    DWORD got = 0;
    if (!ReadConsoleW(h, chunk, static_cast<DWORD>(std::size(chunk)), &got, nullptr)) {
      // Ctrl+C cuts a read short; the console itself going away ends the process.
      if (GetLastError() == ERROR_OPERATION_ABORTED) continue;
      return Hand(in, {}, true);
    }
    if (got == 0) {
      Sleep(10);
      continue;
    }
    if (chunk[0] == 0x1a) return Hand(in, {}, true);
    Hand(in, QString::fromWCharArray(chunk, static_cast<qsizetype>(got)).toUtf8(), false);
  }
}

void ReadBytes(HANDLE h, Incoming& in) {
  char chunk[256];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(h, chunk, sizeof chunk, &got, nullptr) || got == 0) return Hand(in, {}, true);
    Hand(in, QByteArray(chunk, static_cast<qsizetype>(got)), false);
  }
}

Incoming& StartReading() {
  // Never freed: the reading thread may still wait in its read when the process ends.
  static Incoming* in = [] {
    auto* shared = new Incoming;
    const HANDLE h = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (h == nullptr || h == INVALID_HANDLE_VALUE) {
      shared->end = true;
    } else if (GetConsoleMode(h, &mode)) {
      std::thread([h, shared] { ReadConsoleLines(h, *shared); }).detach();
    } else {
      std::thread([h, shared] { ReadBytes(h, *shared); }).detach();
    }
    return shared;
  }();
  return *in;
}

}  // namespace

StdinRead ReadStandardInput(QByteArray& into, int waitMs) {
  Incoming& in = StartReading();
  std::unique_lock lock(in.mutex);
  in.arrived.wait_for(lock, std::chrono::milliseconds(waitMs > 0 ? waitMs : 0),
                      [&in] { return !in.bytes.isEmpty() || in.end; });
  if (!in.bytes.isEmpty()) {
    into += in.bytes;
    in.bytes.clear();
    return StdinRead::Data;
  }
  return in.end ? StdinRead::End : StdinRead::Nothing;
}

}  // namespace quorvin::cli
