#pragma once
// Real devices through hidapi (hidraw on Linux).

#include "link/HidBackend.h"

namespace quorvin {

// The version of the hidapi library this process runs on (as the library reports it, which may be
// newer than the headers it was built with), such as "0.13.1".
[[nodiscard]] QString HidapiVersionText();

class HidapiBackend final : public HidBackend {
 public:
  HidapiBackend();            // takes a share of the library (hid_init on the first)
  ~HidapiBackend() override;  // hid_exit when the last share goes
  HidapiBackend(const HidapiBackend&) = delete;
  HidapiBackend& operator=(const HidapiBackend&) = delete;

  [[nodiscard]] std::vector<HidDeviceInfo> Enumerate() override;
  [[nodiscard]] HidOpen Open(const QString& path, std::unique_ptr<HidHandle>& handle) override;
  [[nodiscard]] QString Name() const override { return QStringLiteral("hidapi"); }
  // False when hid_init failed (e.g. a system without the functions hidapi needs).
  [[nodiscard]] bool Started() const override { return m_usable; }

 private:
  bool m_usable = false;
};

}  // namespace quorvin
