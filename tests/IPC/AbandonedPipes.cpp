#include "IPCFixture.h"

#include "Platform/IO/DataInputPipe.h"
#include "Platform/Util/TextConversion.h"
#include "common/LogCapture.h"

#include <QProcess>

#include <memory>
#include <vector>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using Talvex::App::IPCManager;
using Talvex::Test::IPCTest;

namespace {

// What a process that was killed while listening leaves: a socket name nobody listens on.
bool LeaveDeadSocket(const QString& path)
{
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", QFile::encodeName(path).constData());
    const bool bound = ::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(descriptor);
    return bound;
}

QString Id(int number)
{
    return QString::number(number);
}

bool BothNamesExist(int id)
{
    return QFileInfo::exists(IPCManager::InputPipeName(Id(id))) &&
           QFileInfo::exists(IPCManager::OutputPipeName(Id(id)));
}

} // namespace

TEST_F(IPCTest, KilledMastersDisconnectTheirSlavesAndTheNextLaunchRemovesOnlyTheirNames)
{
    // Alive at once, so that each draws an id of its own.
    std::vector<std::unique_ptr<QProcess>> masters;
    std::vector<int> staleIds;
    for (int round = 0; round < 3; ++round) {
        masters.push_back(std::make_unique<QProcess>());
        masters.back()->start(QStringLiteral(TALVEX_HELPER), {QStringLiteral("master"), scratch.filePath(Id(round))});
        ASSERT_TRUE(masters.back()->waitForReadyRead(15000));
        const QByteArray launched = masters.back()->readLine().trimmed();
        ASSERT_TRUE(launched.startsWith("launched ")) << launched.constData();
        staleIds.push_back(launched.mid(9).toInt());
        EXPECT_EQ(Recorded(Id(round) + QStringLiteral(".up")), "connected=1\n");
    }
    for (int round = 0; round < 3; ++round) {
        ::kill(static_cast<pid_t>(masters[round]->processId()), SIGKILL);
        ASSERT_TRUE(masters[round]->waitForFinished(10000));
        EXPECT_EQ(Recorded(Id(round)), "disconnected\n") << "the slave noticed without calling anything";
        ASSERT_TRUE(BothNamesExist(staleIds[round]));
    }

    // Names that are not a dead master's stay: a live master's, a dead socket under a name
    // we never make, a plain file under a pipe name and, where we can make one, another
    // user's dead socket.
    const auto live =
        Talvex::Core::DataInputPipe::Create(Talvex::Util::QStringToUtf8(IPCManager::OutputPipeName(Id(30001))), true);
    const QString otherProgram =
        QFileInfo(IPCManager::InputPipeName(Id(1))).path() + QStringLiteral("/TalvexIPCInputX1");
    ASSERT_TRUE(LeaveDeadSocket(otherProgram));
    QFile plain(IPCManager::InputPipeName(Id(30002)));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString foreign = IPCManager::OutputPipeName(Id(30003));
    ASSERT_TRUE(LeaveDeadSocket(foreign));
    const bool foreignOwned = ::geteuid() == 0 && ::lchown(QFile::encodeName(foreign).constData(), 65534, 65534) == 0;

    Talvex::Test::LogCapture log;
    IPCManager::SetPipeIdGenerator([] { return 30004; });
    ASSERT_TRUE(Launch(QStringLiteral("report")));
    EXPECT_TRUE(client.ReadToEnd().contains("/MasterPipeId=30004|"));
    for (const int id : staleIds) {
        EXPECT_FALSE(QFileInfo::exists(IPCManager::InputPipeName(Id(id))) ||
                     QFileInfo::exists(IPCManager::OutputPipeName(Id(id))))
            << id;
    }
    EXPECT_TRUE(log.Entries().empty()) << "cleaning up is no news: " << log.Entries().front().message;
    EXPECT_TRUE(QFileInfo::exists(IPCManager::OutputPipeName(Id(30001)))) << "a live master's pipe";
    EXPECT_TRUE(QFileInfo::exists(otherProgram));
    EXPECT_TRUE(plain.exists());
    EXPECT_EQ(QFileInfo::exists(foreign), foreignOwned) << "another user's socket is theirs to remove";
}
