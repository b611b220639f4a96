#pragma once
// The language the tool talks in. English is the source language: every text is written in
// English in the code, marked for lupdate with QT_TRANSLATE_NOOP("quorvin", ...), and looked up
// in the language's catalog when shown. A catalog is a Qt .qm file embedded as :/i18n/quorvin_<code>.qm,
// so a new language needs a new i18n/quorvin_<code>.ts and nothing else.
//
// The translator is held by the value, not installed in the application: the window, the terminal
// tool and the tests may each speak their own language in one process.

#include <QString>
#include <memory>

class QTranslator;

namespace quorvin {

// The context every text of the tool is filed under in the catalogs.
inline constexpr char kTextContext[] = "quorvin";

class Language {
 public:
  Language() = default;  // English

  // The embedded catalog for a code such as "zh_CN"; English when there is none.
  [[nodiscard]] static Language Load(const QString& code);
  // A Chinese system locale speaks Chinese; any other speaks its own language when a catalog for
  // it is embedded, else English.
  [[nodiscard]] static Language ForSystemLocale();

  // The text in this language: the catalog's translation of the English source, or the source.
  [[nodiscard]] QString Text(const char* source) const;
  [[nodiscard]] bool IsEnglish() const { return !m_translator; }
  [[nodiscard]] QString Code() const { return m_code; }

 private:
  std::shared_ptr<const QTranslator> m_translator;
  QString m_code = QStringLiteral("en");
};

}  // namespace quorvin
