// The history: lines from several writers at once stay whole, a torn line is skipped on reading and
// never takes the next entry with it, and a copy that cannot be kept says why.

#include "host/History.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <thread>
#include <vector>

namespace quorvin {
namespace {

TEST(History, ConcurrentWritersLeaveWholeLinesOnly) {
  QTemporaryDir dir;
  qputenv("XDG_STATE_HOME", QFile::encodeName(dir.path()));
  constexpr int kWriters = 4;
  constexpr int kLines = 100;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w)
    writers.emplace_back([w] {
      for (int i = 0; i < kLines; ++i)
        EXPECT_TRUE(AppendHistory({{"writer", w}, {"line", i}, {"pad", QString(300, QLatin1Char('x'))}}));
    });
  for (auto& t : writers) t.join();
  // A line a crash cut short is skipped, not taken for an entry.
  QFile file(HistoryPath());
  ASSERT_TRUE(file.open(QIODevice::Append));
  ASSERT_EQ(file.write("{\"writer\": 9, \"li"), 17);
  file.close();
  int skipped = 0;
  const auto entries = ReadHistory(HistoryPath(), &skipped);
  EXPECT_EQ(entries.size(), kWriters * kLines);
  EXPECT_EQ(skipped, 1);
  qunsetenv("XDG_STATE_HOME");
}

[[maybe_unused]] QByteArray HistoryBytes() {  // the full-disk case runs on POSIX only
  QFile file(HistoryPath());
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool AppendRaw(const QByteArray& bytes) {
  QFile file(HistoryPath());
  return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
}

TEST(History, ALineCutShortNeverTakesTheNextEntryWithIt) {
  QTemporaryDir dir;
  qputenv("XDG_STATE_HOME", QFile::encodeName(dir.path()));
  ASSERT_TRUE(AppendHistory({{"n", 1}}));
#ifndef _WIN32
  const QByteArray whole = HistoryBytes();
  // A file-size limit a few bytes on stands for a full disk: the line goes out in part only, and
  // the file goes back to its last whole line (the limit is POSIX's; Windows has none to set).
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit tight = old;
  tight.rlim_cur = static_cast<rlim_t>(whole.size() + 5);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
  FileProblem problem;
  const bool appended = AppendHistory({{"n", 2}, {"pad", QString(100, QLatin1Char('x'))}}, &problem);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(appended);
  EXPECT_EQ(problem.kind, FileProblem::Kind::System);
  EXPECT_FALSE(problem.reason.isEmpty());
  EXPECT_EQ(HistoryBytes(), whole);
#endif

  // A line an earlier crash left without its end: the next entry starts a line of its own.
  ASSERT_TRUE(AppendRaw("{\"n\": 3, \"cut"));
  ASSERT_TRUE(AppendHistory({{"n", 4}}));
  // And one glued to a torn line before entries started on their own lines is still read.
  ASSERT_TRUE(AppendRaw("{\"n\": 5, \"cu{\"n\":6}\n"));
  int skipped = 0;
  QVector<int> read;
  for (const QJsonObject& e : ReadHistory(HistoryPath(), &skipped)) read << e["n"].toInt();
  EXPECT_EQ(read, QVector<int>({1, 4, 6}));
  EXPECT_EQ(skipped, 2);
  qunsetenv("XDG_STATE_HOME");
}

TEST(History, AKeptRecordingThatCannotBeWrittenSaysWhy) {
  QTemporaryDir dir;
  const QString recording = dir.filePath("case.rec");
  QFile file(recording);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("quorvin-recording 1\n") > 0);
  file.close();
  // The state folder's place is taken by a file, then the copy's own place by a folder.
  const QString blocked = dir.filePath("blocked");
  QFile plain(blocked);
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  qputenv("XDG_STATE_HOME", QFile::encodeName(blocked));
  FileProblem problem;
  EXPECT_FALSE(KeepAsLastRecording(recording, &problem));
  // The system's own words for it.
#ifdef _WIN32
  EXPECT_TRUE(problem.reason.contains("directory name", Qt::CaseInsensitive)) << problem.reason.toStdString();
#else
  EXPECT_TRUE(problem.reason.contains("Not a directory")) << problem.reason.toStdString();
#endif
  qputenv("XDG_STATE_HOME", QFile::encodeName(dir.path()));
  ASSERT_TRUE(QDir().mkpath(LastRecordingPath()));
  EXPECT_FALSE(KeepAsLastRecording(recording, &problem));
  EXPECT_EQ(problem.kind, FileProblem::Kind::Refused);
  EXPECT_EQ(problem.refusal, OutputRefusal::NotRegularFile);
  EXPECT_EQ(problem.path, LastRecordingPath());
  qunsetenv("XDG_STATE_HOME");
}

}  // namespace
}  // namespace quorvin
