#include "ops/Language.h"

#include <QLocale>
#include <QTranslator>

namespace quorvin {

namespace {

const QString kCatalogDir = QStringLiteral(":/i18n");
const QString kCatalogName = QStringLiteral("quorvin");

}  // namespace

Language Language::Load(const QString& code) {
  auto translator = std::make_shared<QTranslator>();
  if (!translator->load(kCatalogName + QLatin1Char('_') + code, kCatalogDir)) return {};
  Language lang;
  lang.m_translator = std::move(translator);
  lang.m_code = code;
  return lang;
}

Language Language::ForSystemLocale() {
  const QLocale locale = QLocale::system();
  // Every Chinese locale has always been given the simplified Chinese texts.
  if (locale.language() == QLocale::Chinese) return Load(QStringLiteral("zh_CN"));
  auto translator = std::make_shared<QTranslator>();
  if (!translator->load(locale, kCatalogName, QStringLiteral("_"), kCatalogDir)) return {};
  Language lang;
  lang.m_code = translator->language().isEmpty() ? locale.name() : translator->language();
  lang.m_translator = std::move(translator);
  return lang;
}

QString Language::Text(const char* source) const {
  if (m_translator) {
    QString text = m_translator->translate(kTextContext, source);
    if (!text.isEmpty()) return text;
  }
  return QString::fromUtf8(source);
}

}  // namespace quorvin
