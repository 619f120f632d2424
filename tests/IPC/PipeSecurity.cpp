#include "IPCFixture.h"

#include "Platform/IO/DataInputPipe.h"
#include "Platform/IO/DataOutputPipe.h"
#include "Platform/IO/IOException.h"
#include "Platform/Util/TextConversion.h"
#include "common/LogCapture.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <functional>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

using namespace Talvex::Core;
using Talvex::App::IPCManager;
using Talvex::Test::IPCTest;

namespace {

std::string Name(bool input, const char* id)
{
    const QString text = QString::fromLatin1(id);
    return Talvex::Util::QStringToUtf8(input ? IPCManager::InputPipeName(text) : IPCManager::OutputPipeName(text));
}

bool IsLink(const std::string& name)
{
    return QFileInfo(QString::fromStdString(name)).isSymLink();
}

} // namespace

TEST_F(IPCTest, PipeNamesAreOwnerOnlySocketsInAPrivateFolderAndGoWithTheMastersPipe)
{
    const std::string name = Name(false, "31");
    struct stat file {
    }, folder{};
    {
        const auto pipe = DataInputPipe::Create(name, true);
        ASSERT_EQ(::lstat(name.c_str(), &file), 0);
        ASSERT_EQ(::lstat(name.substr(0, name.rfind('/')).c_str(), &folder), 0);
    }
    EXPECT_TRUE(S_ISSOCK(file.st_mode) && file.st_uid == ::geteuid());
    EXPECT_EQ(file.st_mode & 07777, 0600u);
    EXPECT_EQ(folder.st_mode & 07777, 0700u);
    EXPECT_NE(::lstat(name.c_str(), &file), 0) << "released with the pipe";

    const std::string runtime = name.substr(0, name.rfind('/'));
    ASSERT_EQ(::chmod(runtime.c_str(), 0755), 0);
    Talvex::Test::LogCapture log;
    EXPECT_THROW(DataInputPipe::Create(name, true), IOException) << "a folder others may enter takes no pipes";
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "not a private folder of ours"));
    ::chmod(runtime.c_str(), 0700);
}

TEST_F(IPCTest, PlantedLinksAndForeignFilesAreNeitherFollowedNorDeleted)
{
    const auto master = DataInputPipe::Create(Name(false, "40"), true);
    ASSERT_TRUE(QFile::link(QString::fromStdString(Name(false, "40")), QString::fromStdString(Name(false, "41"))));
    EXPECT_THROW(DataOutputPipe::Create(Name(false, "41"), false), IOException) << "never connects through a link";
    EXPECT_FALSE(master->WaitForInput(0));
    const QString target = scratch.filePath(QStringLiteral("target"));
    ASSERT_TRUE(QFile::link(target, QString::fromStdString(Name(true, "41"))));
    EXPECT_THROW(DataOutputPipe::Create(Name(true, "41"), true), IOException) << "never creates through a link";
    EXPECT_FALSE(QFileInfo::exists(target));

    auto replaced = DataInputPipe::Create(Name(false, "42"), true);
    QFile foreign(QString::fromStdString(Name(false, "42")));
    ASSERT_TRUE(foreign.remove() && foreign.open(QIODevice::WriteOnly));
    replaced.reset();
    EXPECT_TRUE(foreign.exists()) << "what replaced our socket is not ours to delete";
    EXPECT_TRUE(IsLink(Name(false, "41")) && IsLink(Name(true, "41")));
}

TEST_F(IPCTest, AnotherUsersConnectionIsRefused)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "skipped: only root can connect as another user to our private folder";
    }
    const auto write = DataOutputPipe::Create(Name(true, "50"), true);
    QProcess stranger;
    stranger.start(QStringLiteral(TALVEX_HELPER),
                   {QStringLiteral("foreign"), QString::fromStdString(Name(true, "50"))});
    ASSERT_TRUE(stranger.waitForReadyRead(10000));
    const QByteArray connected = stranger.readLine().trimmed();
    if (connected == "skip") {
        GTEST_SKIP() << "skipped: this system does not let us change user";
    }
    ASSERT_EQ(connected, "connected");

    const auto read = DataInputPipe::Create(Name(true, "50"), false);
    Talvex::Test::LogCapture log;
    write->Write("secret", 6);
    char buffer[6] = {};
    EXPECT_EQ(read->Read(buffer, 6), 6u) << "our own slave still gets through";
    ASSERT_TRUE(stranger.waitForFinished(10000));
    EXPECT_EQ(stranger.readAll().trimmed(), "got 0");
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "Refused a connection from another user"));
}

// Without a runtime folder from the session the pipes' folder has a predictable name in
// the shared temporary folder, and another user may take that name first.
TEST_F(IPCTest, APipeFolderTakenByAnotherUserMovesThePipesToAPrivateFolder)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("XDG_RUNTIME_DIR");
    const QString name = QStringLiteral("runtime-") + QString::number(::geteuid());
    const QString shared = QDir::tempPath() + QLatin1Char('/') + name;
    const QString own =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QLatin1Char('/') + name;
    const QString elsewhere = scratch.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const QByteArray sharedName = QFile::encodeName(shared);
    const std::pair<const char*, std::function<bool()>> takers[] = {
        {"a link", [&] { return QFile::link(elsewhere, shared); }},
        {"open to others", [&] { return QDir().mkdir(shared) && ::chmod(sharedName, 0777) == 0; }},
        {"another user's", [&] { return QDir().mkdir(shared) && ::chown(sharedName, 65534, 65534) == 0; }},
    };
    for (const auto& [how, take] : takers) {
        QDir(own).removeRecursively();
        ASSERT_TRUE(!QFileInfo(shared).isSymLink() || QFile::remove(shared));
        ASSERT_TRUE(QDir(shared).removeRecursively());
        if (!take()) {
            EXPECT_NE(::geteuid(), 0u) << how;
            continue;
        }
        Talvex::Test::LogCapture log;
        Talvex::Test::MasterClient master;
        ASSERT_TRUE(IPCManager::LaunchSlave(master, QStringLiteral("IPCHelper"), QStringLiteral("report"), false))
            << how;
        EXPECT_TRUE(master.ReadToEnd().contains("|/MasterPipeId=")) << how << ": the slave found its master's pipes";
        EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "Using the private pipe folder " + own.toStdString())) << how;
        EXPECT_TRUE(QDir(elsewhere).isEmpty()) << how;
        EXPECT_TRUE(QFileInfo(shared).isSymLink() || QDir(shared).isEmpty()) << how;
    }
    qputenv("XDG_RUNTIME_DIR", runtime);
}
