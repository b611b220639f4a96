#pragma once
// Acknowledges every message box the moment it is shown, as a technician who has read it would,
// and notes its text and when it came. Watching show events rather than polling adds no delay of
// its own to the operation being timed.

#include <QObject>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace quorvin::bench {

class BoxAnswerer final : public QObject {
 public:
  BoxAnswerer();
  ~BoxAnswerer() override;

  void Clear();
  [[nodiscard]] const QStringList& Texts() const { return m_texts; }
  [[nodiscard]] const std::vector<std::int64_t>& ShownNs() const { return m_shownNs; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QStringList m_texts;
  std::vector<std::int64_t> m_shownNs;
};

}  // namespace quorvin::bench
