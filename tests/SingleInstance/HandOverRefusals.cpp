#include "SingleInstanceFixture.h"

#include "App/Application/SingleInstance.h"
#include "Platform/Native/HandOverMessage.h"
#include "Platform/Native/InstanceClaim.h"
#include "common/LogCapture.h"

#include <QSignalSpy>
#include <QtEndian>

#include <sys/socket.h>
#include <sys/un.h>

using Talvex::App::SingleInstance;
using Talvex::Native::HandOverMessage;
using Talvex::Native::InstanceClaim;
using Talvex::Test::LogCapture;
using Talvex::Test::SingleInstanceTest;
using Talvex::Test::WaitUntil;

namespace {

QByteArray Header(quint32 payloadSize)
{
    QByteArray header("TVHO", 4);
    char number[4];
    qToLittleEndian<quint32>(1, number);
    header.append(number, 4);
    qToLittleEndian<quint32>(payloadSize, number);
    return header.append(number, 4);
}

QByteArray ValidMessage()
{
    HandOverMessage message;
    message.workingFolder = "/home/user/Videos";
    message.arguments = {"product", "clip.mkv"};
    return message.Encode();
}

// A launch talking to the instance from this very process, a byte at a time if need be.
class RawLaunch {
public:
    explicit RawLaunch(const QString& path) : descriptor(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
        connected = ::connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~RawLaunch() { Close(); }
    bool Connected() const { return connected; }
    void Send(const QByteArray& bytes)
    {
        [[maybe_unused]] const ssize_t sent =
            ::send(descriptor, bytes.constData(), std::size_t(bytes.size()), MSG_NOSIGNAL);
    }
    // What the instance answered: a byte, "" once it closed, "?" while it says nothing.
    QByteArray Answer()
    {
        QByteArray answer = "?";
        WaitUntil([&] {
            char byte = 0;
            const ssize_t count = ::recv(descriptor, &byte, 1, MSG_DONTWAIT);
            answer = count == 1 ? QByteArray(1, byte) : count == 0 ? QByteArray("") : QByteArray("?");
            return answer != "?";
        });
        return answer;
    }
    void Close()
    {
        if (descriptor >= 0) {
            ::close(descriptor);
            descriptor = -1;
        }
    }

private:
    int descriptor;
    bool connected = false;
};

struct BadHandOver {
    const char* name;
    QByteArray bytes;
    bool close;       // the launch closes after sending
    const char* word; // said after the acknowledgement, if any
    const char* logged;
};

void PrintTo(const BadHandOver& bad, std::ostream* out)
{
    *out << bad.name;
}

class HandOverRefusal : public SingleInstanceTest, public ::testing::WithParamInterface<BadHandOver> {
protected:
    void SetUp() override
    {
        instance = std::make_unique<SingleInstance>(1, argv, code.toStdString());
        ASSERT_TRUE(instance->IsRunningInstance());
        QString problem;
        path = InstanceClaim::SocketPath(code.toStdString(), &problem);
    }

    char program[8] = "product";
    char* argv[2] = {program, nullptr};
    std::unique_ptr<SingleInstance> instance;
    QString path;
};

} // namespace

TEST_P(HandOverRefusal, IsLoggedAndTheInstanceGoesOnTakingLaunches)
{
    QSignalSpy launched(instance.get(), &SingleInstance::LaunchedAgain);
    LogCapture log;
    {
        RawLaunch bad(path);
        ASSERT_TRUE(bad.Connected());
        bad.Send(GetParam().bytes);
        if (GetParam().word) {
            ASSERT_EQ(bad.Answer(), "A");
            bad.Send(GetParam().word);
        }
        if (GetParam().close) {
            bad.Close();
        } else {
            EXPECT_EQ(bad.Answer(), "") << "refused without an answer";
        }
        EXPECT_TRUE(WaitUntil([&] { return log.Contains(google::GLOG_ERROR, GetParam().logged); }));
    }
    RawLaunch good(path);
    good.Send(ValidMessage());
    ASSERT_EQ(good.Answer(), "A");
    good.Send("C");
    ASSERT_TRUE(WaitUntil([&] { return launched.size() == 1; }));
    EXPECT_EQ(launched.at(0).at(0).toStringList(), (QStringList{"product", "clip.mkv"}));
    EXPECT_EQ(launched.at(0).at(1).toString(), QStringLiteral("/home/user/Videos"));
}

INSTANTIATE_TEST_SUITE_P(
    Messages, HandOverRefusal,
    ::testing::Values(
        BadHandOver{"Foreign", "GET / HTTP/1.0\r\n\r\n", false, nullptr, "is not a hand-over"},
        BadHandOver{"Announced16MiB", Header(16u << 20), false, nullptr, "announced more than a hand-over"},
        BadHandOver{"CutShort", Header(100) + QByteArray(10, 'x'), true, nullptr, "was cut short"},
        BadHandOver{"FieldPastTheEnd", Header(8) + QByteArray("\xff\0\0\0abcd", 8), false, nullptr, "is malformed"},
        BadHandOver{"NoProgram", Header(12) + QByteArray(12, '\0'), false, nullptr, "is malformed"},
        BadHandOver{"TrailingBytes", ValidMessage() + "C", false, nullptr, "is malformed"},
        BadHandOver{"WrongWord", ValidMessage(), false, "X", "other than the word to go ahead"}),
    [](const ::testing::TestParamInfo<BadHandOver>& info) { return std::string(info.param.name); });

// The launch closes after the acknowledgement instead of saying to go ahead: it has
// started on its own, so its command line must not be opened a second time.
TEST_F(HandOverRefusal, LaunchThatGaveUpAfterTheAcknowledgementIsNotActedOn)
{
    QSignalSpy launched(instance.get(), &SingleInstance::LaunchedAgain);
    LogCapture log;
    RawLaunch launch(path);
    launch.Send(ValidMessage());
    ASSERT_EQ(launch.Answer(), "A");
    launch.Close();
    EXPECT_TRUE(WaitUntil([&] { return log.Contains(google::GLOG_WARNING, "gave up waiting"); }));
    EXPECT_EQ(launched.size(), 0);
}

TEST_F(SingleInstanceTest, CommandLinesUpToTwoMebibytesAreHandedOverAndLargerOnesStartOnTheirOwn)
{
    QProcess* first = Start(QStringLiteral("big"), code, {QStringLiteral("5000")});
    EXPECT_EQ(RoleOf(first), "running") << "too large to hand over, but nobody runs yet";
    EXPECT_EQ(RoleOf(Start(QStringLiteral("big"), code, {QStringLiteral("2048")})), "handed-over");
    const auto received = WaitForLines("received", 1);
    ASSERT_EQ(received.size(), 1);
    EXPECT_GE(received.at(0).mid(received.at(0).indexOf("bytes=") + 6).split(' ').at(0).toLongLong(), 2000000);

    QProcess* oversized = Start(QStringLiteral("big"), code, {QStringLiteral("5000")});
    EXPECT_EQ(RoleOf(oversized), "alone");
    EXPECT_TRUE(WaitUntil([&] { return oversized->readAllStandardError().contains("larger than a hand-over"); }));
}

namespace {

class AnotherUser : public SingleInstanceTest {
protected:
    void SetUp() override
    {
        if (!IsRoot()) {
            GTEST_SKIP() << "skipped: only root can act as another user";
        }
    }
    // Starts `role` as user "nobody" at our meeting place; its first record line, or
    // nothing (the test skipped) where the system does not let us change user.
    QByteArray StartAsNobody(const QString& role)
    {
        QString problem;
        const int before = Lines("roles").size();
        Start(role, InstanceClaim::SocketPath(code.toStdString(), &problem));
        const QByteArray line = WaitForLines("roles", before + 1).value(before);
        if (line == "skip") {
            SkipWithoutOtherUser();
            return QByteArray();
        }
        return line;
    }
    void SkipWithoutOtherUser() { GTEST_SKIP() << "skipped: this system does not let us change user"; }
};

} // namespace

TEST_F(AnotherUser, LaunchIsRefusedByTheRunningInstance)
{
    QProcess* running = Launch();
    ASSERT_EQ(RoleOf(running), "running");
    const QByteArray answer = StartAsNobody(QStringLiteral("foreign-send"));
    if (IsSkipped()) {
        return;
    }
    EXPECT_EQ(answer, "foreign-send closed");
    EXPECT_TRUE(WaitUntil([&] { return running->readAllStandardError().contains("from user 65534"); }));
    EXPECT_TRUE(Lines("received").isEmpty());
}

// The other user holds the claim and listens where our instance would: our command line
// must never reach it.
TEST_F(AnotherUser, ListenerAtOurMeetingPlaceGetsNothing)
{
    const QByteArray listening = StartAsNobody(QStringLiteral("foreign-hold"));
    if (IsSkipped()) {
        return;
    }
    ASSERT_EQ(listening, "foreign-hold listening");
    QProcess* ours = Launch({QStringLiteral("secret.mkv")});
    EXPECT_EQ(RoleOf(ours), "alone");
    EXPECT_TRUE(WaitUntil([&] { return ours->readAllStandardError().contains("without the one-instance check"); }));
    Stop();
    WaitUntil([] { return false; }, 300);
    for (const QByteArray& line : Lines("roles")) {
        EXPECT_FALSE(line.startsWith("foreign-hold got") && !line.endsWith(" 0")) << line.constData();
    }
}
