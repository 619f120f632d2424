#include "IPCFixture.h"

#include "Platform/IO/CommunicationChannel.h"
#include "Platform/IO/DataInputPipe.h"
#include "Platform/IO/DataOutputPipe.h"
#include "Platform/IO/IOException.h"
#include "Platform/Util/TextConversion.h"
#include "common/LogCapture.h"

#include <QProcess>
#include <QThread>

#include <thread>

#include <sys/stat.h>
#include <unistd.h>

using namespace Talvex::Core;
using Talvex::App::IPCManager;
using Talvex::Test::IPCTest;

namespace {

std::string Input(const char* id)
{
    return Talvex::Util::QStringToUtf8(IPCManager::InputPipeName(QString::fromLatin1(id)));
}

std::string Output(const char* id)
{
    return Talvex::Util::QStringToUtf8(IPCManager::OutputPipeName(QString::fromLatin1(id)));
}

bool Exists(const std::string& path)
{
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

boost::intrusive_ptr<IDataChannel> Channel(const char* id, bool master)
{
    auto input = DataInputPipe::Create(master ? Output(id) : Input(id), master);
    auto output = DataOutputPipe::Create(master ? Input(id) : Output(id), master);
    auto channel = CommunicationChannel::Create(input, output, false);
    channel->SetTimeout(300);
    return channel;
}

} // namespace

TEST_F(IPCTest, PipeNamesAreOwnerOnlySocketsInAPrivateFolderAndGoWithTheMastersPipe)
{
    const std::string name = Output("31");
    {
        const auto pipe = DataInputPipe::Create(name, true);
        struct stat file {
        }, folder{};
        ASSERT_EQ(::lstat(name.c_str(), &file), 0);
        ASSERT_EQ(::lstat(name.substr(0, name.rfind('/')).c_str(), &folder), 0);
        EXPECT_TRUE(S_ISSOCK(file.st_mode));
        EXPECT_EQ(file.st_mode & 07777, 0600u);
        EXPECT_EQ(folder.st_mode & 07777, 0700u);
        EXPECT_EQ(file.st_uid, ::geteuid());
    }
    EXPECT_FALSE(Exists(name));
}

TEST_F(IPCTest, PlantedLinksAndForeignFilesAreNeitherFollowedNorDeleted)
{
    const auto master = DataInputPipe::Create(Output("40"), true);
    ASSERT_TRUE(QFile::link(QString::fromStdString(Output("40")), QString::fromStdString(Output("41"))));
    EXPECT_THROW(DataOutputPipe::Create(Output("41"), false), IOException) << "never connects through a link";
    EXPECT_FALSE(master->WaitForInput(0));

    const QString target = scratch.filePath(QStringLiteral("target"));
    ASSERT_TRUE(QFile::link(target, QString::fromStdString(Input("41"))));
    EXPECT_THROW(DataOutputPipe::Create(Input("41"), true), IOException) << "never creates through a link";
    EXPECT_FALSE(QFileInfo::exists(target));

    auto replaced = DataInputPipe::Create(Output("42"), true);
    ASSERT_TRUE(QFile::remove(QString::fromStdString(Output("42"))));
    QFile foreign(QString::fromStdString(Output("42")));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    replaced.reset();
    EXPECT_TRUE(Exists(Output("42"))) << "what replaced our socket is not ours to delete";
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Output("41"))).isSymLink());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Input("41"))).isSymLink());
}

TEST_F(IPCTest, AnotherUsersConnectionIsRefused)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "skipped: only root can connect as another user to our private folder";
    }
    const auto write = DataOutputPipe::Create(Input("50"), true);
    QProcess stranger;
    stranger.start(QStringLiteral(TALVEX_HELPER), {QStringLiteral("foreign"), QString::fromStdString(Input("50"))});
    ASSERT_TRUE(stranger.waitForReadyRead(10000));
    const QByteArray connected = stranger.readLine().trimmed();
    if (connected == "skip") {
        GTEST_SKIP() << "skipped: this system does not let us change user";
    }
    ASSERT_EQ(connected, "connected");

    const auto read = DataInputPipe::Create(Input("50"), false);
    Talvex::Test::LogCapture log;
    write->Write("secret", 6);
    char buffer[6] = {};
    EXPECT_EQ(read->Read(buffer, 6), 6u) << "our own slave still gets through";
    ASSERT_TRUE(stranger.waitForFinished(10000));
    EXPECT_EQ(stranger.readAll().trimmed(), "got 0");
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "Refused a connection from another user"));
}

TEST_F(IPCTest, ChannelWaitsBoundedlyForAWholeReplyAndFailsOnAClosedPeer)
{
    auto master = Channel("60", true);
    const auto slave = Channel("60", false);
    EXPECT_EQ(slave->GetWaitingInputSize(), 0u) << "a silent peer: the wait ends at the time-out";

    const QByteArray reply(4000, 'r');
    std::thread replier([&] {
        QThread::msleep(50);
        master->Write(reply.constData(), static_cast<std::size_t>(reply.size()));
    });
    const std::size_t waiting = slave->GetWaitingInputSize();
    replier.join();
    EXPECT_EQ(waiting, static_cast<std::size_t>(reply.size())) << "the size query waits for the whole reply";
    QByteArray received(reply.size(), '\0');
    EXPECT_EQ(slave->Read(received.data(), waiting), waiting);
    EXPECT_EQ(received, reply);

    master.reset();
    EXPECT_EQ(slave->GetWaitingInputSize(), 0u);
    EXPECT_EQ(slave->Read(received.data(), 1), 0u);
    EXPECT_THROW(slave->Write("x", 1), IOException);
    const auto lonely = Channel("61", true);
    EXPECT_THROW(lonely->Write("x", 1), IOException) << "no slave ever connected";
}
