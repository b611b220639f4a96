#include "cli/station/Recipe.h"

#include <toml++/toml.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "host/FileOpen.h"
#include "host/InputFile.h"
#include "protocol/Protocol.h"

namespace quorvin::station {

namespace {

struct StepForm {
  StepKind kind;
  const char* name;
  std::vector<const char*> needs;
  std::vector<const char*> may;
};

// Every step the station knows and the keys it takes besides `do`.
const std::vector<StepForm>& Forms() {
  static const std::vector<StepForm> forms = {
      {StepKind::Upgrade, "upgrade", {"file", "sha256"}, {}},
      {StepKind::DownloadBackup, "download-backup", {"file"}, {"sha256"}},
      {StepKind::SetFrequency, "set-frequency", {"hz"}, {}},
      {StepKind::InitButtons, "init-buttons", {}, {}},
      {StepKind::CheckVersion, "check-version", {"equals"}, {}},
      {StepKind::ReadBackup, "read-backup", {"folder"}, {}},
  };
  return forms;
}

class Loader {
 public:
  Loader(const QString& path, const Language& lang, RecipeError* error)
      : m_path(path), m_dir(QFileInfo(path).absoluteDir()), m_lang(lang), m_error(error) {}

  std::optional<Recipe> Load();

 private:
  bool Fail(RecipeProblem problem, int line, const QString& reason) {
    if (m_error) {
      const QString where = QFileInfo(m_path).fileName();
      m_error->problem = problem;
      m_error->line = line;
      m_error->text =
          line > 0 ? m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "%1, line %2: %3")).arg(where).arg(line).arg(reason)
                   : m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "%1: %2")).arg(where, reason);
    }
    return false;
  }
  bool Step(const toml::table& table, RecipeStep& step);
  bool Text(const toml::table& table, const StepForm& form, const char* key, QString& out, int& line);
  bool LoadFile(const toml::table& table, const StepForm& form, RecipeStep& step);

  QString m_path;
  QDir m_dir;
  const Language& m_lang;
  RecipeError* m_error;
};

int LineOf(const toml::node& node) { return static_cast<int>(node.source().begin.line); }

bool Loader::Text(const toml::table& table, const StepForm& form, const char* key, QString& out, int& line) {
  const toml::node* node = table.get(key);
  if (!node) {
    line = LineOf(table);
    return false;
  }
  line = LineOf(*node);
  const auto value = node->value<std::string>();
  if (!value)
    return Fail(RecipeProblem::BadValue, line,
                m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the key \"%1\" of the step %2 takes a text in quotes"))
                    .arg(QString::fromUtf8(key), QString::fromUtf8(form.name)));
  out = QString::fromStdString(*value);
  return true;
}

bool Loader::LoadFile(const toml::table& table, const StepForm& form, RecipeStep& step) {
  int line = 0;
  QString name;
  if (!Text(table, form, "file", name, line)) return false;
  if (name.isEmpty())
    return Fail(RecipeProblem::BadValue, line,
                m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the key \"file\" of the step %1 is empty: name the file"))
                    .arg(QString::fromUtf8(form.name)));
  step.file = QDir::cleanPath(m_dir.absoluteFilePath(name));
  QString reason;
  const FileRead read = ReadWholeFile(step.file, step.image, kMaxUsbImage, &reason);
  if (read == FileRead::CannotOpen || read == FileRead::ReadFailed)
    return Fail(RecipeProblem::FileMissing, line,
                m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the file %1 cannot be read: %2")).arg(step.file, reason));
  if (read == FileRead::TooLarge || step.image.isEmpty())
    return Fail(RecipeProblem::FileBad, line,
                m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the file %1 is empty or larger than %2 bytes"))
                    .arg(step.file)
                    .arg(kMaxUsbImage));
  step.sha256 = QString::fromLatin1(QCryptographicHash::hash(step.image, QCryptographicHash::Sha256).toHex());
  if (!table.get("sha256")) return true;  // only the upgrade insists on a pinned hash (a needed key)
  QString pinned;
  if (!Text(table, form, "sha256", pinned, line)) return false;
  static const QRegularExpression hex(QStringLiteral("^[0-9a-fA-F]{64}$"));
  if (!hex.match(pinned).hasMatch())
    return Fail(RecipeProblem::BadValue, line,
                m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "sha256 must be 64 hexadecimal digits")));
  if (pinned.toLower() != step.sha256)
    return Fail(RecipeProblem::HashMismatch, line,
                m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the SHA-256 of %1 is %2, not the %3 the recipe pins"))
                    .arg(step.file, step.sha256, pinned.toLower()));
  return true;
}

bool Loader::Step(const toml::table& table, RecipeStep& step) {
  step.line = LineOf(table);
  QString what;
  const toml::node* doNode = table.get("do");
  if (!doNode)
    return Fail(RecipeProblem::MissingKey, step.line,
                m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the step needs the key \"do\" naming what to do")));
  const auto name = doNode->value<std::string>();
  const StepForm* form = nullptr;
  for (const StepForm& f : Forms())
    if (name && *name == f.name) form = &f;
  if (!form) {
    QStringList known;
    for (const StepForm& f : Forms()) known << QString::fromUtf8(f.name);
    return Fail(RecipeProblem::UnknownStep, LineOf(*doNode),
                m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "unknown step \"%1\"; the steps are: %2"))
                    .arg(name ? QString::fromStdString(*name) : QStringLiteral("?"), known.join(QStringLiteral(", "))));
  }
  step.kind = form->kind;
  for (const auto& [key, node] : table) {
    const std::string_view k = key.str();
    bool known = k == "do";
    for (const char* n : form->needs) known = known || k == n;
    for (const char* n : form->may) known = known || k == n;
    if (!known)
      return Fail(
          RecipeProblem::UnknownKey, LineOf(node),
          m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the step %1 does not take the key \"%2\""))
              .arg(QString::fromUtf8(form->name), QString::fromUtf8(k.data(), static_cast<qsizetype>(k.size()))));
  }
  for (const char* n : form->needs)
    if (!table.get(n))
      return Fail(RecipeProblem::MissingKey, step.line,
                  m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the step %1 needs the key \"%2\""))
                      .arg(QString::fromUtf8(form->name), QString::fromUtf8(n)));
  int line = step.line;
  switch (step.kind) {
    case StepKind::Upgrade:
    case StepKind::DownloadBackup:
      return LoadFile(table, *form, step);
    case StepKind::SetFrequency: {
      const toml::node& node = *table.get("hz");
      const auto hz = node.value<std::int64_t>();
      if (!node.is_integer() || !hz)
        return Fail(RecipeProblem::BadValue, LineOf(node),
                    m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "hz takes a whole number of hertz, without quotes")));
      if (*hz < kMinFrequency || *hz > kMaxFrequency)
        return Fail(RecipeProblem::OutOfRange, LineOf(node),
                    m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the frequency %1 Hz is outside %2..%3 Hz"))
                        .arg(*hz)
                        .arg(kMinFrequency)
                        .arg(kMaxFrequency));
      step.hz = static_cast<qint32>(*hz);
      return true;
    }
    case StepKind::InitButtons:
      return true;
    case StepKind::CheckVersion:
      return Text(table, *form, "equals", step.version, line);
    case StepKind::ReadBackup: {
      QString folder;
      if (!Text(table, *form, "folder", folder, line)) return false;
      step.folder = QDir::cleanPath(m_dir.absoluteFilePath(folder));
      const QFileInfo info(step.folder);
      if (folder.isEmpty() || !info.isDir() || !info.isWritable())
        return Fail(RecipeProblem::FolderMissing, line,
                    m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the folder %1 does not exist or cannot be written"))
                        .arg(step.folder));
      return true;
    }
  }
  return true;
}

std::optional<Recipe> Loader::Load() {
  QFile file(m_path);
  QByteArray text;
  // Opened without waiting: a FIFO with nobody writing reads as empty instead of holding the
  // station before it starts.
  if (!OpenForReading(file) || (text = file.readAll(), file.error() != QFile::NoError)) {
    Fail(RecipeProblem::Unreadable, 0,
         m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the recipe cannot be read: %1")).arg(file.errorString()));
    return std::nullopt;
  }
  Recipe recipe;
  recipe.path = QFileInfo(m_path).absoluteFilePath();
  recipe.sha256 = QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex();
  toml::table root;
  try {
    root = toml::parse(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
  } catch (const toml::parse_error& e) {
    Fail(RecipeProblem::Syntax, static_cast<int>(e.source().begin.line),
         m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "not valid TOML: %1")).arg(QString::fromUtf8(e.description())));
    return std::nullopt;
  }
  for (const auto& [key, node] : root) {
    if (key.str() != "step" || !node.is_array_of_tables()) {
      Fail(RecipeProblem::UnknownKey, LineOf(node),
           m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "only [[step]] tables belong in a recipe, not \"%1\""))
               .arg(QString::fromStdString(std::string(key.str()))));
      return std::nullopt;
    }
  }
  if (const toml::array* steps = root["step"].as_array()) {
    for (const toml::node& node : *steps) {
      RecipeStep step;
      if (!Step(*node.as_table(), step)) return std::nullopt;
      recipe.steps.push_back(std::move(step));
    }
  }
  if (recipe.steps.empty()) {
    Fail(RecipeProblem::NoSteps, 0,
         m_lang.Text(QT_TRANSLATE_NOOP("quorvin", "the recipe has no steps: add [[step]] tables with do = \"...\"")));
    return std::nullopt;
  }
  return recipe;
}

}  // namespace

QString StepName(StepKind kind) {
  for (const StepForm& f : Forms())
    if (f.kind == kind) return QString::fromUtf8(f.name);
  return {};
}

QString ProblemName(RecipeProblem problem) {
  switch (problem) {
    case RecipeProblem::Unreadable:
      return QStringLiteral("unreadable");
    case RecipeProblem::Syntax:
      return QStringLiteral("syntax");
    case RecipeProblem::NoSteps:
      return QStringLiteral("no-steps");
    case RecipeProblem::UnknownStep:
      return QStringLiteral("unknown-step");
    case RecipeProblem::UnknownKey:
      return QStringLiteral("unknown-key");
    case RecipeProblem::MissingKey:
      return QStringLiteral("missing-key");
    case RecipeProblem::BadValue:
      return QStringLiteral("bad-value");
    case RecipeProblem::OutOfRange:
      return QStringLiteral("out-of-range");
    case RecipeProblem::FileMissing:
      return QStringLiteral("file-missing");
    case RecipeProblem::FileBad:
      return QStringLiteral("file-bad");
    case RecipeProblem::HashMismatch:
      return QStringLiteral("hash-mismatch");
    case RecipeProblem::FolderMissing:
      return QStringLiteral("folder-missing");
  }
  return {};
}

std::optional<Recipe> LoadRecipe(const QString& path, const Language& lang, RecipeError* error) {
  return Loader(path, lang, error).Load();
}

}  // namespace quorvin::station
