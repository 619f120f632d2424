// A store that cannot be saved loses every change of the run; the only place that can
// say so is the construction, since the manager never syncs.
#include "SettingsTestSupport.h"

#include "common/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

using Talvex::App::SettingsManager;
using Talvex::Test::LogCapture;

namespace {

const char* const LOST = "changes will not be kept";

enum class Blocked { FolderIsAFile, ReadOnlyFile, ReadOnlyFolder };

class SettingsUnwritableStore : public ::testing::TestWithParam<Blocked> {
protected:
    void TearDown() override { ::chmod(QFile::encodeName(folder.path()).constData(), 0700); }

    // Where the store goes, made unwritable as the parameter says.
    QString BlockedStore() const
    {
        const QString file = folder.filePath(QStringLiteral("store.ini"));
        QFile existing(file);
        switch (GetParam()) {
        case Blocked::FolderIsAFile:
            EXPECT_TRUE(existing.open(QIODevice::WriteOnly));
            return file + QStringLiteral("/inner/store.ini");
        case Blocked::ReadOnlyFile:
            EXPECT_TRUE(existing.open(QIODevice::WriteOnly) && existing.write("[General]\nkept=1\n") > 0);
            EXPECT_EQ(::chmod(QFile::encodeName(file).constData(), 0444), 0);
            return file;
        case Blocked::ReadOnlyFolder:
            EXPECT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 0555), 0);
            return file;
        }
        return file;
    }

    QTemporaryDir folder;
};

TEST_P(SettingsUnwritableStore, IsNamedAtConstructionAndStillKeepsValuesWithinTheRun)
{
    if (GetParam() != Blocked::FolderIsAFile && ::geteuid() == 0) {
        GTEST_SKIP() << "skipped: permissions do not bind root";
    }
    const QString file = BlockedStore();
    LogCapture log;
    SettingsManager store(file, QSettings::IniFormat);
    EXPECT_EQ(log.Count(google::GLOG_ERROR,
                        "Settings store " + QDir::toNativeSeparators(file).toStdString() + " cannot be written"),
              1);
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, LOST));
    store.SetInt("count", 7);
    EXPECT_EQ(store.GetInt("count", 0), 7);
}

std::string BlockedName(const ::testing::TestParamInfo<Blocked>& info)
{
    static const char* const names[] = {"FolderIsAFile", "ReadOnlyFile", "ReadOnlyFolder"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Blocked, SettingsUnwritableStore,
                         ::testing::Values(Blocked::FolderIsAFile, Blocked::ReadOnlyFile, Blocked::ReadOnlyFolder),
                         BlockedName);

// No false alarm for the usual cases: a new store in a folder yet to be made, and a
// store that exists.
TEST(SettingsWritableStore, RaisesNoAlarm)
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("new/deeper/store.ini"));
    LogCapture log;
    SettingsManager(file, QSettings::IniFormat).SetInt("count", 7);
    SettingsManager(file, QSettings::IniFormat).SetInt("count", 8);
    SettingsManager(QStringLiteral("SettingsTestApp"), QStringLiteral("SettingsTestOrg")).SetInt("count", 7);
    EXPECT_FALSE(log.Contains(google::GLOG_ERROR, LOST));
    EXPECT_EQ(SettingsManager(file, QSettings::IniFormat).GetInt("count", 0), 8);
}

} // namespace
