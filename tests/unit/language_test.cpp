#include "ops/Language.h"

#include <gtest/gtest.h>

namespace quorvin {
namespace {

constexpr char kNoDevice[] = "No device connected to PC !";

// tests/i18n/quorvin_xx.ts stands for a translator's new catalog: one .ts file, embedded in this
// binary only, and no code change.
TEST(Language, ANewCatalogTranslatesWhatItHasAndFallsBackToEnglish) {
  const Language xx = Language::Load(QStringLiteral("xx"));
  EXPECT_FALSE(xx.IsEnglish());
  EXPECT_EQ(xx.Code(), QStringLiteral("xx"));
  EXPECT_EQ(xx.Text(kNoDevice), QStringLiteral("xx: no device on this computer"));
  EXPECT_EQ(xx.Text("Read data failed, please send again !"), QStringLiteral("Read data failed, please send again !"));
}

TEST(Language, LanguagesLiveSideBySideAndAnUnknownCodeIsEnglish) {
  const Language zh = Language::Load(QStringLiteral("zh_CN"));
  const Language en;
  EXPECT_EQ(zh.Text(kNoDevice), QString::fromUtf8("没有设备连接到电脑上！"));
  EXPECT_EQ(en.Text(kNoDevice), QString::fromUtf8(kNoDevice));
  const Language unknown = Language::Load(QStringLiteral("qq"));
  EXPECT_TRUE(unknown.IsEnglish());
  EXPECT_EQ(unknown.Text(kNoDevice), QString::fromUtf8(kNoDevice));
}

}  // namespace
}  // namespace quorvin
