// Whether a process runs a given program decides which crash records are dead.
#include "Platform/Util/IsProcessRunning.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Talvex::Util::IsProcessRunning;

// An update replaces the executable under a running instance: it still runs the
// program, though the system now marks its file as deleted.
TEST(ProcessIdentity, AnInstanceKeepsRunningTheProgramWhoseFileWasReplaced)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString program = folder.filePath(QStringLiteral("sleeper"));
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), program));
    QProcess instance;
    instance.start(program, {QStringLiteral("30")});
    ASSERT_TRUE(instance.waitForStarted(5000));
    const auto pid = static_cast<unsigned long>(instance.processId());

    EXPECT_TRUE(IsProcessRunning(pid, program));
    EXPECT_FALSE(IsProcessRunning(pid, QStringLiteral("/bin/sleep"))) << "another program's file";
    ASSERT_TRUE(QFile::remove(program));
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), program));
    EXPECT_TRUE(IsProcessRunning(pid, program));

    instance.kill();
    instance.waitForFinished(5000);
    EXPECT_FALSE(IsProcessRunning(pid, program));
    EXPECT_FALSE(IsProcessRunning(0, program));
}

} // namespace
