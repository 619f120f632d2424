// What a start does with the reports already in the folder: keeps the newest, reads a
// cut one as cut, removes them on request, and never touches what is not its own.
#include "App/Application/CrashReports.h"
#include "common/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using Talvex::App::CrashReports;
using Talvex::Test::LogCapture;

namespace {

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

TEST_F(CrashReportsKept, AFolderOpenToOthersIsRefused)
{
    Write(Id(1), COMPLETE);
    ASSERT_EQ(chmod(QFile::encodeName(Folder()).constData(), 0777), 0);
    LogCapture log;
    CrashReports reports(Folder(), Id(2).toStdString());
    reports.SetHandlerEnabled(true);
    EXPECT_FALSE(reports.IsHandlerEnabled());
    EXPECT_EQ(reports.Get(Id(1).toStdString()), "");
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "Crash reports are not kept"));
}

} // namespace
