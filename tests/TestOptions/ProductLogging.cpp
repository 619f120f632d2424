// What reaches the helper product's log: the lines the library wrote before the product
// set up logging, and where the log goes when its folder is not ours.
#include "HelperProduct.h"

#include <gmock/gmock.h>

#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::Test {
namespace {

using ::testing::HasSubstr;

int Occurrences(const QByteArray& text, const QByteArray& part)
{
    return static_cast<int>(text.count(part));
}

class ProductLogging : public TestOptionsInAProduct {
protected:
    QString Data(const QString& relative) const { return root.filePath(QStringLiteral("data/") + relative); }
    // Where the tracker keeps its session file, named when the application is built.
    QString SessionFolder() const { return Data(QStringLiteral("TestOptionsHelper/Talvex/clipforge 20.1.2")); }
    QString LogFolder() const { return Data(QStringLiteral("Talvex/options-helper/Logs")); }

    // The INFO log, which holds the lines of every severity once.
    QByteArray InfoLog() const
    {
        QDirIterator files(LogFolder(), {QStringLiteral("*.log.INFO.*")}, QDir::Files);
        return files.hasNext() ? Read(files.next()) : QByteArray();
    }
};

// A lock file that cannot be opened makes every start of this user skip the crashes of
// other runs: a product must be able to read that in its log.
TEST_F(ProductLogging, WhatTheLibraryWroteBeforeLoggingWasSetUpReachesTheLogOnce)
{
    ASSERT_TRUE(QDir().mkpath(SessionFolder() + QStringLiteral("/TestOptionsHelper.ini.guard")));
    ASSERT_TRUE(QFile::link(root.path(), SessionFolder() + QStringLiteral("/crashes")));

    ExpectNormalEnd(Launch({QStringLiteral("--test-start-delay=soon")}));
    const QByteArray log = InfoLog();
    EXPECT_EQ(Occurrences(log, "--test-start-delay=\"soon\""), 1) << log.toStdString();
    EXPECT_EQ(Occurrences(log, "Crash reports are not kept in "), 1);
    // The start's, written before logging was set up, and the stop's.
    EXPECT_EQ(Occurrences(log, "Cannot open the lock file "), 2);
}

TEST_F(ProductLogging, LogFolderThatIsALinkIsRefusedAndTheProductLogsToStandardErrorOnly)
{
    const QString elsewhere = root.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(LogFolder()).absolutePath()));
    ASSERT_TRUE(QFile::link(elsewhere, LogFolder()));

    const ProductOutput run = Launch({QStringLiteral("--test-start-delay=soon")});
    ExpectNormalEnd(run);
    EXPECT_TRUE(QDir(elsewhere).isEmpty()) << "wrote log files through the link";
    const std::string refusal = "Log files are not written to " + LogFolder().toStdString() + ": " +
                                LogFolder().toStdString() + " is a symbolic link; logging to standard error only";
    EXPECT_EQ(Occurrences(run.err, QByteArray::fromStdString(refusal)), 1) << run.err.toStdString();
    EXPECT_THAT(run.err.toStdString(), HasSubstr("Product Version: 2.5"));
    // Written there before logging was set up, it is not repeated there.
    EXPECT_EQ(Occurrences(run.err, "--test-start-delay=\"soon\""), 1);
}

// A root run given another user's home (sudo without -H): nothing of root's may be
// made there, nor written into a folder that user owns and reads.
TEST_F(ProductLogging, LogFolderInAnotherUsersSpaceIsNeitherMadeNorUsed)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only root can hand a folder to another user";
    }
    const QString talvex = Data(QStringLiteral("Talvex"));
    ASSERT_TRUE(QDir().mkpath(talvex));
    ASSERT_EQ(::chown(QFile::encodeName(talvex).constData(), 65534, 65534), 0);
    const ProductOutput owned = Launch({});
    ExpectNormalEnd(owned);
    EXPECT_THAT(owned.err.toStdString(), HasSubstr(talvex.toStdString() + " belongs to another user"));
    EXPECT_FALSE(QFileInfo::exists(LogFolder()));

    ASSERT_TRUE(QDir(talvex).removeRecursively());
    ASSERT_EQ(::chown(QFile::encodeName(Data(QString())).constData(), 65534, 65534), 0);
    const ProductOutput home = Launch({});
    ExpectNormalEnd(home);
    EXPECT_THAT(home.err.toStdString(), HasSubstr("; logging to standard error only"));
    EXPECT_FALSE(QFileInfo::exists(talvex)) << "left a folder of root's in another user's space";
}

} // namespace
} // namespace Talvex::Test
