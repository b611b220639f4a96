#pragma once
// The doctor's findings as its checks add them (front/Doctor.cpp for the Linux ones and the file,
// front/WindowsFindings.cpp for Windows' and the tool's folders).

#include <vector>

#include "front/Doctor.h"

namespace quorvin {

class Findings {
 public:
  explicit Findings(const Language& lang) : m_lang(lang) {}
  QString T(const char* text) const { return m_lang.Text(text); }
  void Ok(const char* check, const QString& subject, const QString& what) {
    m_list.push_back({QString::fromLatin1(check), true, subject, what, {}});
  }
  void Problem(const char* check, const QString& subject, const QString& what, const QString& fix) {
    m_list.push_back({QString::fromLatin1(check), false, subject, what, fix});
  }
  std::vector<Finding> Take() { return std::move(m_list); }

 private:
  const Language& m_lang;
  std::vector<Finding> m_list;
};

// Windows: the HID layer, the devices with the repeater's ids, the COM ports.
void CheckWindows(const SystemFacts& s, Findings& r);
// The folders the tool writes its history and snapshots into.
void CheckFolders(const SystemFacts& s, Findings& r);

}  // namespace quorvin
