// What a start does with the reports already in the folder: keeps the newest, reads a
// cut one as cut, removes them on request, and never touches what is not its own.
#include "App/Application/CrashReports.h"
#include "common/LogCapture.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using Talvex::App::CrashReports;
using Talvex::Test::LogCapture;

namespace {

const uid_t NOBODY = 65534;
const char COMPLETE[] = "Crash report\nSession: x\nStack:\nLast log lines:\nEnd of report\n";

class CrashReportsKept : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir().mkpath(Folder()));
        QFile::setPermissions(Folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString Folder() const { return root.filePath(QStringLiteral("session/crashes")); }
    QString PathOf(const QString& id) const { return Folder() + QLatin1Char('/') + id + QStringLiteral(".txt"); }
    void Write(const QString& id, const QByteArray& text) const
    {
        QFile file(PathOf(id));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    static QString Id(int n) { return QStringLiteral("261206-2030%1-123456").arg(n, 2, 10, QLatin1Char('0')); }
    void SetWritten(const QString& id, const QDateTime& time) const
    {
        QFile file(PathOf(id));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly) && file.setFileTime(time, QFileDevice::FileModificationTime));
    }
    static unsigned ModeOf(const QString& path)
    {
        struct stat status {};
        return stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : ~0u;
    }

    QTemporaryDir root;
};

TEST_F(CrashReportsKept, AStartKeepsOnlyTheNewestTwentyAndLeavesForeignNamesAlone)
{
    for (int n = 0; n < CrashReports::KEPT + 3; ++n) {
        Write(Id(n), COMPLETE);
    }
    Write(QStringLiteral("notes"), "not a report");
    QTemporaryDir elsewhere;
    const QString target = elsewhere.filePath(QStringLiteral("kept.txt"));
    QFile(target).open(QIODevice::WriteOnly);
    // Oldest of all by its name, and a link: neither removed nor followed.
    ASSERT_TRUE(QFile::link(target, PathOf(QStringLiteral("000101-000000-100000"))));
    LogCapture log;
    const CrashReports reports(Folder(), "261206-210000-654321");
    for (int n = 0; n < CrashReports::KEPT + 3; ++n) {
        EXPECT_EQ(QFile::exists(PathOf(Id(n))), n >= 3) << n;
    }
    EXPECT_TRUE(QFile::exists(PathOf(QStringLiteral("notes"))));
    EXPECT_TRUE(QFileInfo(PathOf(QStringLiteral("000101-000000-100000"))).isSymLink());
    EXPECT_TRUE(QFile::exists(target));
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "000101-000000-100000.txt is left alone"));
}

// Names are local times, which run backwards when the zone moves back (travel, the end of
// summer time): the newest written are kept, and reading one, which saves its names into
// it, does not make it newer.
TEST_F(CrashReportsKept, TheNewestKeptAreTheLastWrittenWhateverTheirNames)
{
    const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-1);
    const int count = CrashReports::KEPT + 2;
    for (int n = 0; n < count; ++n) {
        Write(Id(n), n == CrashReports::KEPT - 1 ? QByteArray("Crash report\n") : QByteArray(COMPLETE));
        SetWritten(Id(n), start.addSecs(-60 * n));
    }
    {
        const CrashReports reports(Folder(), Id(60).toStdString());
        for (int n = 0; n < count; ++n) {
            EXPECT_EQ(QFile::exists(PathOf(Id(n))), n < CrashReports::KEPT) << n;
        }
        EXPECT_NE(reports.Get(Id(CrashReports::KEPT - 1).toStdString()), "Crash report\n");
    }
    Write(Id(61), COMPLETE);
    SetWritten(Id(61), start.addSecs(60));
    const CrashReports reports(Folder(), Id(62).toStdString());
    EXPECT_FALSE(QFile::exists(PathOf(Id(CrashReports::KEPT - 1))));
    EXPECT_TRUE(QFile::exists(PathOf(Id(CrashReports::KEPT - 2))));
    EXPECT_TRUE(QFile::exists(PathOf(Id(61))));
}

TEST_F(CrashReportsKept, AReportCutShortIsShownAsFarAsItGoesAndSaysSo)
{
    Write(Id(1), "Crash report\nSession: x\nSignal: SIGSEGV (11)\nStack:\n#0 0x1234 +0x");
    const CrashReports reports(Folder(), Id(2).toStdString());
    const std::string first = reports.Get(Id(1).toStdString());
    EXPECT_EQ(first.rfind("Crash report\nSession: x\nSignal: SIGSEGV (11)\n", 0), 0u) << first;
    EXPECT_NE(first.find("the process was stopped while writing it"), std::string::npos) << first;
    EXPECT_EQ(reports.Get(Id(1).toStdString()), first);
    EXPECT_EQ(reports.Get(Id(3).toStdString()), "");
    EXPECT_EQ(reports.Get("../crashes/" + Id(1).toStdString()), "");
}

// A full disk lets the handler make the file but write nothing into it: that is a crash
// too, not a session without a report.
TEST_F(CrashReportsKept, AnEmptyReportIsTheNoteOfACutOneAlone)
{
    Write(Id(1), "Crash report\n");
    Write(Id(2), "");
    const CrashReports reports(Folder(), Id(3).toStdString());
    const std::string empty = reports.Get(Id(2).toStdString());
    EXPECT_FALSE(empty.empty());
    EXPECT_EQ(reports.Get(Id(1).toStdString()), "Crash report\n" + empty);
    EXPECT_EQ(reports.Get(Id(2).toStdString()), empty);
}

TEST_F(CrashReportsKept, ClearingRemovesTheReportsButNothingPlanted)
{
    Write(Id(1), COMPLETE);
    Write(Id(2), COMPLETE);
    QTemporaryDir elsewhere;
    ASSERT_TRUE(QFile::link(elsewhere.path(), PathOf(Id(3))));
    const CrashReports reports(Folder(), Id(4).toStdString());
    reports.Clear();
    EXPECT_FALSE(QFile::exists(PathOf(Id(1))));
    EXPECT_FALSE(QFile::exists(PathOf(Id(2))));
    EXPECT_TRUE(QFileInfo(PathOf(Id(3))).isSymLink());
    EXPECT_TRUE(QDir(elsewhere.path()).exists());
}

// An older build or a restored backup may have left the folder open; ours, it is closed
// and used. Another user's folder is neither changed nor used, even by root.
TEST_F(CrashReportsKept, AFolderOfOursOpenToOthersIsMadeOwnerOnlyAndAnotherUsersIsRefused)
{
    Write(Id(1), COMPLETE);
    for (const mode_t mode : {0755, 0750, 0777}) {
        ASSERT_EQ(chmod(QFile::encodeName(Folder()).constData(), mode), 0);
        CrashReports reports(Folder(), Id(2).toStdString());
        reports.SetHandlerEnabled(true);
        EXPECT_TRUE(reports.IsHandlerEnabled()) << std::oct << mode;
        EXPECT_EQ(reports.Get(Id(1).toStdString()), COMPLETE) << std::oct << mode;
        EXPECT_EQ(ModeOf(Folder()), 0700u) << std::oct << mode;
    }
    if (geteuid() != 0) {
        return;
    }
    ASSERT_EQ(chmod(QFile::encodeName(Folder()).constData(), 0755), 0);
    ASSERT_EQ(chown(QFile::encodeName(Folder()).constData(), NOBODY, NOBODY), 0);
    LogCapture log;
    CrashReports reports(Folder(), Id(2).toStdString());
    reports.SetHandlerEnabled(true);
    EXPECT_FALSE(reports.IsHandlerEnabled());
    EXPECT_EQ(reports.Get(Id(1).toStdString()), "");
    EXPECT_EQ(ModeOf(Folder()), 0755u);
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "belongs to another user"));
}

} // namespace
