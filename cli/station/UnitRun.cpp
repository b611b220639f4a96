#include "cli/station/UnitRun.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <mutex>
#include <set>

#include "front/RunPolicy.h"
#include "host/History.h"
#include "ops/Operations.h"

namespace quorvin::station {

namespace {

QString StampText(const QDateTime& t) { return t.toUTC().toString(Qt::ISODateWithMs); }

// The file name part of a unit's read-back: its name with everything but letters, digits, '.', '-'
// and '_' replaced, so that no serial number or scanned id can reach outside the folder.
QString SafeName(const QString& name) {
  static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
  QString s = QString(name).replace(unsafe, QStringLiteral("_"));
  if (s.isEmpty() || s.startsWith(QLatin1Char('.'))) s.prepend(QLatin1String("unit"));
  return s;
}

// A fresh file name: an earlier read-back of the same unit in the same second is never replaced,
// nor is the one another unit's thread is writing under the same name (one id typed for two units).
QString ReadBackPath(const QString& folder, const UnitIdentity& unit, const QDateTime& now) {
  static std::mutex mutex;
  static std::set<QString> taken;
  const QString base = QDir(folder).filePath(SafeName(unit.Name()) + QLatin1Char('-') +
                                             now.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")));
  std::lock_guard lock(mutex);
  QString path = base + QStringLiteral(".bin");
  for (int n = 2; taken.count(path) || QFileInfo::exists(path); ++n) path = base + QStringLiteral("-%1.bin").arg(n);
  taken.insert(path);
  return path;
}

// A step the device carried out but whose result is not the one the recipe asks for.
struct Mismatch {
  QString outcome;  // empty: the result is as asked
  QString detail;   // in English, for the report
  QString told;     // in the user's language, for the FAIL line
};
using Check = std::function<Mismatch(const OpResult&)>;

class Runner {
 public:
  Runner(const Recipe& recipe, const UnitIdentity& unit, UnitEnv& env)
      : m_recipe(recipe), m_env(env), m_claim(&env.backend, nullptr, env.fb, env.clock, env.lang) {
    m_record.unit = unit;
  }

  UnitRecord Run();

 private:
  // Holds the unit for the whole recipe; false (with the unit's record saying why) when it cannot.
  bool Claim();
  // Runs one step and records it; false when the unit fails there.
  bool Do(const QString& name, const std::function<OpResult(Channel&)>& op, const Check& check = {});
  OpResult RunStep(const RecipeStep& step, Channel& ch);

  const Recipe& m_recipe;
  UnitEnv& m_env;
  UnitClaim m_claim;
  UnitRecord m_record;
  int m_index = 0;
  int m_count = 0;
};

bool Runner::Do(const QString& name, const std::function<OpResult(Channel&)>& op, const Check& check) {
  m_env.fb.BeginStep(name, ++m_index, m_count);
  const qint64 start = m_env.clock.NowMs();
  // The station keeps its own report: no history line per step.
  const OpResult r = RunClaimed(m_claim, {}, op).result;
  StepRecord s{name, QStringLiteral("ok"), 0, r.detail};
  QString told;
  if (!r.Ok()) {
    s.outcome = r.fault != Fault::None ? FaultName(r.fault) : OutcomeName(r.outcome);
    told = m_env.fb.StepMessages();
    // A unit pulled out mid-step fails on the link; said as what it is.
    if (r.outcome == Outcome::Failed && !m_claim.StillAttached()) {
      s.outcome = QStringLiteral("unplugged");
      s.detail = QStringLiteral("the unit was unplugged (%1)").arg(r.detail);
      told = m_env.lang.Text(QT_TRANSLATE_NOOP("quorvin", "the unit was unplugged"));
    }
  } else if (check) {
    const Mismatch m = check(r);
    if (!m.outcome.isEmpty()) {
      s.outcome = m.outcome;
      s.detail = m.detail;
      told = m.told;
    }
  }
  s.ms = m_env.clock.NowMs() - start;
  const bool ok = s.outcome == QLatin1String("ok");
  if (!ok) m_record.reason = told.isEmpty() ? s.detail : told;
  m_record.steps.push_back(std::move(s));
  return ok;
}

OpResult Runner::RunStep(const RecipeStep& step, Channel& ch) {
  switch (step.kind) {
    case StepKind::Upgrade:
    case StepKind::DownloadBackup: {
      const OpResult r =
          SendImage(ch, step.kind == StepKind::Upgrade ? ImageKind::Firmware : ImageKind::Backup, step.image);
      m_record.files.append(QJsonObject{{QStringLiteral("step"), StepName(step.kind)},
                                        {QStringLiteral("file"), step.file},
                                        {QStringLiteral("sha256"), step.sha256},
                                        {QStringLiteral("direction"), QStringLiteral("sent")}});
      return r;
    }
    case StepKind::SetFrequency:
      return SetFrequency(ch, step.hz);
    case StepKind::InitButtons:
      return InitCallButtons(ch);
    case StepKind::CheckVersion:
      return ReadVersion(ch);
    case StepKind::ReadBackup: {
      const QString path = ReadBackPath(step.folder, m_record.unit, QDateTime::currentDateTimeUtc());
      const OpResult r = ReadBackup(ch, path);
      if (r.Ok())
        m_record.files.append(QJsonObject{{QStringLiteral("step"), StepName(step.kind)},
                                          {QStringLiteral("file"), path},
                                          {QStringLiteral("sha256"), FileSha256(path)},
                                          {QStringLiteral("direction"), QStringLiteral("read")}});
      return r;
    }
  }
  return {};
}

bool Runner::Claim() {
  // A quorvinctl, a window or another station driving the same repeater would garble both runs:
  // the unit is held for the whole recipe, under the lock every front end takes.
  Target target;
  target.device = DeviceSelector{DeviceSelector::Kind::Path, m_record.unit.path};
  const ClaimEnd end = m_claim.Take(target);
  if (end == ClaimEnd::Claimed) return true;
  const bool busy = end == ClaimEnd::Busy;
  const qint64 holder = m_claim.HolderPid();
  m_record.reason =
      busy ? m_env.lang.Text(QT_TRANSLATE_NOOP("quorvin", "the unit is in use by another program (process %1)"))
                 .arg(holder > 0 ? QString::number(holder) : QStringLiteral("?"))
           : m_env.lang.Text(QT_TRANSLATE_NOOP("quorvin", "the unit could not be held for this run: %1"))
                 .arg(m_claim.Detail().isEmpty() ? QStringLiteral("it is gone") : m_claim.Detail());
  m_record.steps.push_back(
      {QStringLiteral("lock"), busy ? QStringLiteral("busy") : QStringLiteral("lock-failed"), 0,
       busy ? QStringLiteral("held by process %1").arg(holder)
            : (m_claim.Detail().isEmpty() ? QStringLiteral("not attached any more") : m_claim.Detail())});
  return false;
}

UnitRecord Runner::Run() {
  m_record.startedAt = QDateTime::currentDateTimeUtc();
  bool upgrades = false;
  m_count = static_cast<int>(m_recipe.steps.size()) + 1;
  for (const RecipeStep& s : m_recipe.steps) {
    upgrades = upgrades || s.kind == StepKind::Upgrade;
    if (s.kind == StepKind::SetFrequency) ++m_count;
  }
  if (upgrades) ++m_count;
  if (!Claim()) {
    m_record.endedAt = QDateTime::currentDateTimeUtc();
    return m_record;
  }
  const QString readVersion = QStringLiteral("read-version");
  // The version before anything changes, for the report; a unit that does not answer it fails here,
  // before anything is sent to it.
  bool ok = Do(readVersion, [this](Channel& ch) {
    OpResult r = ReadVersion(ch);
    m_record.oldVersion = r.version;
    return r;
  });
  for (std::size_t i = 0; ok && i < m_recipe.steps.size(); ++i) {
    const RecipeStep& step = m_recipe.steps[i];
    Check check;
    if (step.kind == StepKind::CheckVersion) {
      check = [this, &step](const OpResult& r) {
        m_record.newVersion = r.version;
        if (r.version == step.version) return Mismatch{};
        return Mismatch{
            QStringLiteral("version-mismatch"),
            QStringLiteral("the unit reports version \"%1\", the recipe expects \"%2\"").arg(r.version, step.version),
            m_env.lang.Text(QT_TRANSLATE_NOOP("quorvin", "the unit reports version \"%1\", the recipe expects \"%2\""))
                .arg(r.version, step.version)};
      };
    }
    ok = Do(
        StepName(step.kind), [this, &step](Channel& ch) { return RunStep(step, ch); }, check);
    if (ok && step.kind == StepKind::SetFrequency) {
      // A unit that acknowledges the value but keeps another would pass unnoticed: read it back.
      ok = Do(
          QStringLiteral("read-frequency"), [](Channel& ch) { return ReadFrequency(ch); },
          [this, &step](const OpResult& r) {
            m_record.frequency = r.frequency;
            if (r.frequency == step.hz) return Mismatch{};
            return Mismatch{
                QStringLiteral("frequency-mismatch"),
                QStringLiteral("the unit reports %1 Hz, the recipe sets %2 Hz").arg(r.frequency).arg(step.hz),
                m_env.lang.Text(QT_TRANSLATE_NOOP("quorvin", "the unit reports %1 Hz, the recipe sets %2 Hz"))
                    .arg(r.frequency)
                    .arg(step.hz)};
          });
    }
  }
  if (ok && upgrades)
    ok = Do(readVersion, [this](Channel& ch) {
      OpResult r = ReadVersion(ch);
      m_record.newVersion = r.version;
      return r;
    });
  m_claim.Release();
  m_record.pass = ok;
  m_record.endedAt = QDateTime::currentDateTimeUtc();
  return m_record;
}

}  // namespace

QJsonObject UnitRecord::ToJson(const Recipe& recipe, const QString& toolVersion) const {
  QJsonArray stepList;
  for (const StepRecord& s : steps) {
    QJsonObject o{
        {QStringLiteral("step"), s.step}, {QStringLiteral("outcome"), s.outcome}, {QStringLiteral("ms"), s.ms}};
    if (s.outcome != QLatin1String("ok") && !s.detail.isEmpty()) o[QStringLiteral("detail")] = s.detail;
    stepList.append(o);
  }
  QJsonObject o{{QStringLiteral("unit"), unit.Name()},
                {QStringLiteral("location"), unit.slot},
                {QStringLiteral("path"), unit.path},
                {QStringLiteral("serial"), unit.serial},
                {QStringLiteral("result"), pass ? QStringLiteral("pass") : QStringLiteral("fail")},
                {QStringLiteral("steps"), stepList},
                {QStringLiteral("startedAt"), StampText(startedAt)},
                {QStringLiteral("endedAt"), StampText(endedAt)},
                {QStringLiteral("oldVersion"), oldVersion},
                {QStringLiteral("newVersion"), newVersion},
                {QStringLiteral("files"), files},
                {QStringLiteral("recipe"), recipe.path},
                {QStringLiteral("recipeSha256"), QString::fromLatin1(recipe.sha256)},
                {QStringLiteral("tool"), toolVersion}};
  if (!unit.operatorId.isEmpty()) o[QStringLiteral("operatorId")] = unit.operatorId;
  if (frequency != 0) o[QStringLiteral("frequency")] = frequency;
  if (const StepRecord* f = Failed()) {
    o[QStringLiteral("failedStep")] = f->step;
    o[QStringLiteral("reason")] = f->detail;
  }
  return o;
}

UnitRecord RunUnit(const Recipe& recipe, const UnitIdentity& unit, UnitEnv& env) {
  return Runner(recipe, unit, env).Run();
}

}  // namespace quorvin::station
