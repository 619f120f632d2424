#include "Platform/Util/MountedResourceBundle.h"
#include "common/LogCapture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QResource>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>

using Talvex::Util::MountedResourceBundle;

namespace {

const QString TEXT_FILE = QStringLiteral(":/kept/check/c.txt");

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// `bytes` with the first occurrence of `from` given the same number of bytes of `to`.
QByteArray Replaced(QByteArray bytes, const QByteArray& from, const QByteArray& to)
{
    const int at = bytes.indexOf(from);
    EXPECT_GE(at, 0);
    return at < 0 ? bytes : bytes.replace(at, to.size(), to);
}

class BundleSnapshots : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The cache folder is the process's, shared by every test of the suite.
        QDir(Folder()).removeRecursively();
        ASSERT_TRUE(scratch.isValid());
        bundle = ReadAll(QStringLiteral(TALVEX_TEST_CHECK_BUNDLE));
        ASSERT_GT(bundle.size(), 100);
        path = scratch.filePath(QStringLiteral("theme.rcc"));
        // c.txt is stored as it is, so its text can be found and changed in the bytes.
        text = ReadAll(QStringLiteral(TALVEX_TEST_CHECK_BUNDLE_TEXT));
        ASSERT_TRUE(bundle.contains(text.left(64)));
    }

    static QString Folder()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/Talvex/Bundles";
    }

    static QStringList Copies()
    {
        return QDir(Folder()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    }

    static QString CopyPath()
    {
        const QStringList copies = Copies();
        EXPECT_EQ(copies.size(), 1);
        return copies.isEmpty() ? QString() : Folder() + "/" + copies.first();
    }

    // Writes the bundle in place and waits until it has settled long enough to be kept.
    void WriteSettled(const QByteArray& bytes)
    {
        ASSERT_TRUE(WriteAll(path, bytes));
        QThread::msleep(1100);
    }

    // What c.txt holds while the bundle is mounted; empty when it does not mount.
    QByteArray Shown()
    {
        const auto mounted = MountedResourceBundle::Mount(path, QStringLiteral("/kept"));
        return mounted ? ReadAll(TEXT_FILE) : QByteArray();
    }

    // Gives the kept copy's c.txt another beginning, in place, as a copy written from an
    // earlier version of the bundle would have.
    static void EditCopy()
    {
        const QString copy = CopyPath();
        QByteArray bytes = ReadAll(copy);
        ASSERT_TRUE(WriteAll(copy, Replaced(bytes, "# A real bundle", "# EDITED bundle")));
    }

    QTemporaryDir scratch;
    QByteArray bundle;
    QByteArray text;
    QString path;
};

} // namespace

// The first mount of a settled bundle keeps a copy; the next one shows the copy (here
// edited by hand to tell them apart), until the bundle changes: then it shows the new
// bundle at once, and replaces the copy once the change has settled. A bundle changed
// moments ago is never kept, since a file rewritten within one tick may keep its times.
TEST_F(BundleSnapshots, AKeptCopyServesTheNextMountOnlyWhileTheBundleIsUnchanged)
{
    ASSERT_TRUE(WriteAll(path, bundle));
    EXPECT_EQ(Shown(), text);
    EXPECT_TRUE(Copies().isEmpty()) << "a bundle written moments ago was kept";

    QThread::msleep(1100);
    EXPECT_EQ(Shown(), text);
    ASSERT_EQ(Copies().size(), 1);
    EditCopy();
    EXPECT_THAT(Shown().toStdString(), ::testing::HasSubstr("# EDITED bundle")) << "the copy was not used";

    // Rewritten in place, to the same size.
    const QByteArray changed = Replaced(bundle, "# A real bundle", "# A CHANGED one");
    ASSERT_TRUE(WriteAll(path, changed));
    EXPECT_THAT(Shown().toStdString(), ::testing::HasSubstr("# A CHANGED one"));
    QThread::msleep(1100);
    EXPECT_THAT(Shown().toStdString(), ::testing::HasSubstr("# A CHANGED one"));
    EXPECT_EQ(Copies().size(), 1) << "a changed bundle replaces its copy";
    EXPECT_EQ(ReadAll(CopyPath()).left(changed.size()), changed);
}

// Mappings of `copy` in this process.
long MappingsOf(const QString& copy)
{
    struct stat kept {};
    EXPECT_EQ(::stat(QFile::encodeName(copy).constData(), &kept), 0);
    const QByteArray inode = " " + QByteArray::number(static_cast<qulonglong>(kept.st_ino)) + " ";
    const QList<QByteArray> maps = ReadAll(QStringLiteral("/proc/self/maps")).split('\n');
    return std::count_if(maps.begin(), maps.end(), [&](const QByteArray& line) {
        return line.contains(inode) && line.endsWith(QFile::encodeName(copy));
    });
}

// A mount from the copy reads on as it was while an installer overwrites or cuts short
// the bundle itself. Mounting the same copy again, a thousand times, maps it once, and
// the mapping goes with the last mount of it: a bundle changed all day does not pile up
// mappings of its old copies.
TEST_F(BundleSnapshots, AMountFromTheCopyIgnoresTheBundleAndMapsItOnlyWhileMounted)
{
    WriteSettled(bundle);
    EXPECT_EQ(Shown(), text);
    ASSERT_EQ(Copies().size(), 1);

    const QString first = QStringLiteral(":/first/check/c.txt");
    const auto mounted = MountedResourceBundle::Mount(path, QStringLiteral("/first"));
    ASSERT_TRUE(mounted);
    ASSERT_TRUE(WriteAll(path, QByteArray(bundle.size(), 'x')));
    EXPECT_EQ(ReadAll(first), text);
    ASSERT_TRUE(WriteAll(path, QByteArray()));
    EXPECT_EQ(ReadAll(first), text);

    for (int change = 0; change < 3; ++change) {
        WriteSettled(Replaced(bundle, "# A real bundle", "# Change no. " + QByteArray::number(change) + " "));
        EXPECT_THAT(Shown().toStdString(), ::testing::HasSubstr("# Change no."));
        const QString copy = CopyPath();
        {
            const auto held = MountedResourceBundle::Mount(path, QStringLiteral("/held"));
            ASSERT_TRUE(held);
            for (int round = 0; round < 1000; ++round) {
                ASSERT_THAT(Shown().toStdString(), ::testing::HasSubstr("# Change no."));
            }
            EXPECT_EQ(MappingsOf(copy), 1);
        }
        EXPECT_EQ(MappingsOf(copy), 0) << "the last mount of a copy left it mapped";
    }
    EXPECT_EQ(ReadAll(first), text) << "the first mount no longer reads its own bytes";
}

// A copy that is damaged, cut short, of another kind or open to others is never used:
// the bundle is read instead, and nothing blocks.
TEST_F(BundleSnapshots, DamagedOrPlantedCopiesAreNeverUsed)
{
    WriteSettled(bundle);
    const std::vector<std::pair<const char*, std::function<void(const QString&)>>> damages = {
        {"cut short", [](const QString& copy) { ASSERT_TRUE(QFile(copy).resize(QFileInfo(copy).size() - 1)); }},
        {"trailer garbled",
         [](const QString& copy) {
             QByteArray bytes = ReadAll(copy);
             bytes[bytes.size() - 20] = char(bytes[bytes.size() - 20] ^ 0x55);
             ASSERT_TRUE(WriteAll(copy, bytes));
         }},
        {"zeros where the tree was",
         [this](const QString& copy) {
             QByteArray bytes = ReadAll(copy);
             bytes.replace(0, 16, QByteArray(16, '\0'));
             bytes.replace(bundle.size() - 64, 64, QByteArray(64, '\0'));
             ASSERT_TRUE(WriteAll(copy, bytes));
         }},
        {"open to the group", [](const QString& copy) { ASSERT_EQ(::chmod(QFile::encodeName(copy), 0620), 0); }},
        {"a link to an edited copy",
         [](const QString& copy) {
             ASSERT_TRUE(QFile::rename(copy, copy + ".elsewhere"));
             ASSERT_TRUE(QFile::link(copy + ".elsewhere", copy));
         }},
        {"a FIFO",
         [](const QString& copy) {
             ASSERT_TRUE(QFile::remove(copy));
             ASSERT_EQ(::mkfifo(QFile::encodeName(copy), 0600), 0);
         }},
        {"a folder",
         [](const QString& copy) {
             ASSERT_TRUE(QFile::remove(copy));
             ASSERT_TRUE(QDir().mkdir(copy));
         }},
    };
    for (const auto& [what, damage] : damages) {
        QDir(Folder()).removeRecursively();
        EXPECT_EQ(Shown(), text);
        EditCopy();
        damage(CopyPath());
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(Shown(), text) << what;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << what;
    }
}

// What writers stopped in the middle left behind goes at the first use of the folder in
// a run, whichever entry it was for, once it is minutes old; and a temporary name still
// taken by a writer of an earlier run with our process id (another container) is passed
// over instead of keeping the copy from being written.
TEST_F(BundleSnapshots, LeftoversOfStoppedWritersGoAndTheirNamesArePassedOver)
{
    WriteSettled(bundle);
    EXPECT_EQ(Shown(), text);
    const QString entry = QFileInfo(CopyPath()).fileName();

    // The folder made again, as after a clean-up of the cache, with leftovers in it.
    QDir(Folder()).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(Folder()));
    ASSERT_TRUE(QFile::setPermissions(Folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString abandoned = Folder() + "/other.new-99999-1";
    const QString writing = Folder() + "/other.new-99999-2";
    ASSERT_TRUE(WriteAll(abandoned, "half") && WriteAll(writing, "half"));
    QFile old(abandoned);
    ASSERT_TRUE(old.open(QIODevice::ReadWrite) &&
                old.setFileTime(QDateTime::currentDateTime().addSecs(-7200), QFileDevice::FileModificationTime));
    old.close();
    const QString taken = Folder() + "/" + entry + ".new-" + QString::number(::getpid()) + "-";
    for (int number = 1; number <= 15; ++number) {
        ASSERT_TRUE(WriteAll(taken + QString::number(number), "another run's"));
    }

    Talvex::Test::LogCapture log;
    EXPECT_EQ(Shown(), text);
    EXPECT_FALSE(QFile::exists(abandoned)) << "an abandoned file of another entry stayed";
    EXPECT_TRUE(QFile::exists(writing)) << "a file being written was taken away";
    EXPECT_TRUE(QFile::exists(Folder() + "/" + entry)) << "a taken temporary name kept the copy from being written";
    EXPECT_EQ(log.Count(google::GLOG_WARNING, "not kept"), 0);
}
