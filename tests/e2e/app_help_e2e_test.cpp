// quorvin-setup asked for its help or version where there is no display (over SSH, in a build
// script): it answers and exits 0 rather than aborting for want of a screen.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

namespace quorvin {
namespace {

TEST(SetupHelp, HelpAndVersionNeedNoDisplay) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
  for (const char* option : {"--help", "-h", "--version"}) {
    SCOPED_TRACE(option);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(QUORVIN_SETUP_BINARY), {QString::fromLatin1(option)});
    ASSERT_TRUE(p.waitForFinished(30'000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << p.readAllStandardError().toStdString();
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(out.contains(QString::fromLatin1(option) == "--version" ? "quorvin-setup 1.0" : "--demo"))
        << out.toStdString();
  }
}

}  // namespace
}  // namespace quorvin
