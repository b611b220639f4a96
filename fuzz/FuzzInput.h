#pragma once
// Reading a fuzzer's input as a run of small fields; past the end every field reads as zero, so
// any input, however short, describes one whole run.

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace quorvin::fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

  [[nodiscard]] bool Empty() const { return m_pos >= m_size; }
  std::uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
  // Up to n bytes, fewer at the end of the input.
  QByteArray Bytes(std::size_t n) {
    const std::size_t take = std::min(n, m_size - std::min(m_pos, m_size));
    QByteArray b(reinterpret_cast<const char*>(m_data + m_pos), static_cast<qsizetype>(take));
    m_pos += take;
    return b;
  }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_pos = 0;
};

// One private folder for the whole fuzzing run: files the operations write land here.
inline const QTemporaryDir& WorkDir() {
  static const QTemporaryDir dir;
  return dir;
}

// The progress window, once shown, was closed again by the end of the run.
inline bool ProgressClosed(const QStringList& log) {
  return log.lastIndexOf(QStringLiteral("progress: show")) < log.lastIndexOf(QStringLiteral("progress: close")) ||
         !log.contains(QStringLiteral("progress: show"));
}

// A property the code must keep whatever the device sends; a breach is a finding.
#define FUZZ_CHECK(cond)                                                               \
  do {                                                                                 \
    if (!(cond)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #cond); \
      std::abort();                                                                    \
    }                                                                                  \
  } while (0)

}  // namespace quorvin::fuzz
