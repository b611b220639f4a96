#include "host/TraceRecorder.h"

#include "protocol/Recording.h"

namespace quorvin {

TraceRecorder::TraceRecorder(const QString& path, const QString& link, const QString& toolVersion)
    : m_file(path), m_link(link), m_tool(toolVersion) {}

bool TraceRecorder::Open(QString* why) {
  std::lock_guard lock(m_mutex);
  if (const OutputRefusal refusal = m_file.Open(); refusal != OutputRefusal::None) {
    m_refusal = refusal;
    if (why) *why = m_file.Reason();
    return m_ok = false;
  }
  const QByteArray header = RecordingHeader(m_tool, m_link);
  m_ok = m_file.Write(header.constData(), header.size());
  m_clock.start();
  return m_ok;
}

void TraceRecorder::Add(TraceDir dir, const std::uint8_t* bytes, std::size_t count) {
  std::lock_guard lock(m_mutex);
  if (!m_ok) return;
  const QByteArray line =
      RecordingLine({m_clock.elapsed(), dir == TraceDir::Out,
                     QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(count))});
  m_ok = m_file.Write(line.constData(), line.size());
}

bool TraceRecorder::Finish(QString* why) {
  std::lock_guard lock(m_mutex);
  if (m_ok && m_file.Commit()) return true;
  if (why) *why = m_file.Reason();
  m_file.Cancel();
  return false;
}

void TraceRecorder::Cancel() {
  std::lock_guard lock(m_mutex);
  m_file.Cancel();
}

}  // namespace quorvin
