// The device lock on Linux: one lock per unit for every process on the machine, in the machine's
// own folder whatever a process's environment says, naming its holder by pid.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUuid>

#include "host/DeviceLock.h"

namespace quorvin {
namespace {

TEST(DeviceLock, OneHolderPerMachineWhateverTheEnvironment) {
  // Unique per run: the folder is the machine's, shared with every other test running now.
  const QString unique = QUuid::createUuid().toString(QUuid::Id128);
  const QString name = "socket /tmp/" + unique + " ../../etc/sn:QV/1";
  const QString other = "socket /tmp/" + unique + " sim:1";
  QTemporaryDir runtime;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
  const QString path = DeviceLock::LockPath(name);
  EXPECT_EQ(QFileInfo(path).absolutePath(), DeviceLock::LockFolder());
  EXPECT_FALSE(path.startsWith(runtime.path()));
  qunsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(DeviceLock::LockPath(name), path);  // the environment names no other lock

  DeviceLock first;
  DeviceLock second;
  qint64 holder = 0;
  QString detail;
  ASSERT_EQ(first.TryAcquire(name, holder, detail), LockResult::Acquired) << detail.toStdString();
  EXPECT_EQ(second.TryAcquire(name, holder, detail), LockResult::Busy);
  EXPECT_EQ(holder, ::getpid());  // named by the pid it left
  EXPECT_EQ(second.TryAcquire(other, holder, detail), LockResult::Acquired);
  first.Release();
  EXPECT_FALSE(QFileInfo::exists(path));  // made by this process, so taken away with the lock
  EXPECT_EQ(first.TryAcquire(other, holder, detail), LockResult::Busy);
  second.Release();

  // A file this process did not make stays where it is.
  {
    QFile planted(path);
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
  }
  ASSERT_EQ(first.TryAcquire(name, holder, detail), LockResult::Acquired);
  first.Release();
  EXPECT_TRUE(QFileInfo::exists(path));
  ASSERT_TRUE(QFile::remove(path));
}

}  // namespace
}  // namespace quorvin
