#pragma once
// The tests speak English or Chinese, as the tool did before its texts moved into catalogs.

#include "ops/Language.h"

namespace quorvin::test {

[[nodiscard]] inline Language TestLanguage(bool english) {
  return english ? Language() : Language::Load(QStringLiteral("zh_CN"));
}

}  // namespace quorvin::test
