// The history: lines from several writers at once stay whole, and a torn line is skipped on reading.

#include "host/History.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
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

}  // namespace
}  // namespace quorvin
