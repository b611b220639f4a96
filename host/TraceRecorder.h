#pragma once
// Records what crosses a link, as it crosses, into a recording file (protocol/Recording.h): fed by
// the link's Trace (LinkEvents), which sees every report and serial chunk both ways. The file is
// written beside its place and put there at Finish, like a read-back's, so a recording that could
// not be written whole never replaces an earlier one.

#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <mutex>

#include "host/OutputFile.h"
#include "protocol/Recording.h"

namespace quorvin {

class TraceRecorder {
 public:
  // `link`: "usb" or "serial".
  TraceRecorder(const QString& path, const QString& link, const QString& toolVersion);

  // Checks the path and starts the file; false, with the system's reason, when it cannot be
  // written (Refusal() says why the path itself was turned away).
  [[nodiscard]] bool Open(QString* why);
  [[nodiscard]] OutputRefusal Refusal() const { return m_refusal; }
  // Safe from any thread.
  void Add(TraceDir dir, const std::uint8_t* bytes, std::size_t count);
  // Puts the recording in place; false, with the reason, when any of it could not be written.
  [[nodiscard]] bool Finish(QString* why);
  // Drops the recording: nothing is put in place, an earlier one stays.
  void Cancel();

 private:
  std::mutex m_mutex;
  OutputFile m_file;
  QString m_link;
  QString m_tool;
  QElapsedTimer m_clock;
  bool m_ok = true;
  OutputRefusal m_refusal = OutputRefusal::None;
};

}  // namespace quorvin
