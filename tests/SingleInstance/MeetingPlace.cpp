#include "Platform/Native/HandOverSender.h"
#include "Platform/Native/InstanceClaim.h"
#include "Platform/Native/LaunchEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

using Talvex::Native::InstanceClaim;

namespace {

// The meeting place with the given session variables (null: unset).
QString PlaceFor(const char* display, const char* wayland, const std::string& code = "player")
{
    for (const auto& [name, value] : {std::pair{"DISPLAY", display}, std::pair{"WAYLAND_DISPLAY", wayland}}) {
        value ? qputenv(name, value) : qunsetenv(name);
    }
    QString problem;
    const QString path = InstanceClaim::SocketPath(code, &problem);
    EXPECT_FALSE(path.isEmpty()) << problem.toStdString();
    return path;
}

} // namespace

TEST(MeetingPlace, OneSessionWrittenAnyWayMeetsInOnePlaceAndOtherSessionsAndProductsElsewhere)
{
    const QString display0 = PlaceFor(":0", nullptr);
    EXPECT_EQ(PlaceFor(":0.0", nullptr), display0);
    EXPECT_EQ(PlaceFor("unix:0.1", nullptr), display0);
    EXPECT_NE(PlaceFor(":1", nullptr), display0);
    EXPECT_NE(PlaceFor("otherhost:0", nullptr), display0);
    EXPECT_NE(PlaceFor(":0", nullptr, "converter"), display0);
    EXPECT_NE(PlaceFor(nullptr, nullptr), display0);

    // Under Xwayland an X11 client and a Wayland one of the same session meet.
    const QString wayland = PlaceFor(":0", "wayland-0");
    EXPECT_NE(wayland, display0);
    EXPECT_EQ(PlaceFor(":5", "wayland-0"), wayland);
    EXPECT_EQ(PlaceFor(nullptr, QFile::encodeName(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/wayland-0")), wayland);
    EXPECT_NE(PlaceFor(":0", "wayland-1"), wayland);
}

TEST(MeetingPlace, IsAFolderOnlyWeMayEnterWhoseNameStaysReadableWhateverTheCodeName)
{
    const QString path = PlaceFor(":0", nullptr, std::string(300, 'x') + "/../../evil");
    EXPECT_EQ(QFileInfo(path).fileName().size(), QFileInfo(PlaceFor(":0", nullptr, "x")).fileName().size() + 31);
    EXPECT_FALSE(QFileInfo(path).fileName().contains(QStringLiteral("..")));
    struct stat folder {};
    ASSERT_EQ(::stat(QFile::encodeName(QFileInfo(path).path()).constData(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);

    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    ASSERT_EQ(::chmod(runtime.constData(), 0755), 0);
    QString problem;
    EXPECT_TRUE(InstanceClaim::SocketPath("player", &problem).isEmpty()) << "others may enter the folder";
    EXPECT_TRUE(problem.contains(QStringLiteral("open to other users"))) << problem.toStdString();
    ::chmod(runtime.constData(), 0700);
}

// A socket address holds about a hundred bytes of path; a runtime folder may be longer.
TEST(MeetingPlace, WorksInARuntimeFolderDeeperThanASocketAddressReaches)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QString deep = QFile::decodeName(runtime) + QLatin1Char('/') + QString(120, QLatin1Char('d'));
    ASSERT_TRUE(QDir().mkpath(deep) && ::chmod(QFile::encodeName(deep).constData(), 0700) == 0);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(deep));
    QString problem;
    const QString path = InstanceClaim::SocketPath("player", &problem);
    ASSERT_FALSE(path.isEmpty()) << problem.toStdString();
    ASSERT_GT(QFile::encodeName(path).size(), int(sizeof(sockaddr_un::sun_path)));
    InstanceClaim::Outcome outcome = InstanceClaim::Outcome::Impossible;
    const auto claim = InstanceClaim::TryTake(path, &outcome, &problem);
    ASSERT_TRUE(claim) << problem.toStdString();
    EXPECT_TRUE(QFileInfo(path).exists()) << "the socket lies where its long name says";

    Talvex::Native::HandOverSender launch(path, QByteArray("hello"), 200);
    EXPECT_EQ(launch.Run(), Talvex::Native::HandOverSender::Result::NoAnswer);
    EXPECT_TRUE(launch.Problem().contains(QStringLiteral("did not answer in time")))
        << "it connected, and only our silence stopped it: " << launch.Problem().toStdString();
    qputenv("XDG_RUNTIME_DIR", runtime);
}

// A holder that closes on every hand-over (full, or of another version) refuses it: the
// launch stops at the second refusal instead of filling the holder's log for a second.
TEST(MeetingPlace, ALaunchThatTheHolderRefusesTwiceStopsAskingAtOnce)
{
    QString problem;
    const QString path = InstanceClaim::SocketPath("refuser", &problem);
    InstanceClaim::Outcome outcome = InstanceClaim::Outcome::Impossible;
    const auto claim = InstanceClaim::TryTake(path, &outcome, &problem);
    ASSERT_TRUE(claim) << problem.toStdString();
    std::atomic<int> refused{0};
    std::atomic<bool> stop{false};
    std::thread holder([&] {
        while (!stop) {
            pollfd entry{claim->ListeningDescriptor(), POLLIN, 0};
            if (::poll(&entry, 1, 20) > 0) {
                const int connection = ::accept(claim->ListeningDescriptor(), nullptr, nullptr);
                if (connection >= 0) {
                    ++refused;
                    ::close(connection);
                }
            }
        }
    });
    const auto start = std::chrono::steady_clock::now();
    Talvex::Native::HandOverSender launch(path, QByteArray("hello"), 5000);
    EXPECT_EQ(launch.Run(), Talvex::Native::HandOverSender::Result::Refused) << launch.Problem().toStdString();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    stop = true;
    holder.join();
    EXPECT_GE(refused.load(), 2);
}

// A token is spent by whoever reads it first; a hand-over must carry it away.
TEST(MeetingPlace, LaunchTokensLeaveTheEnvironmentWithTheHandOverAndComeBackForALaunchOnItsOwn)
{
    qputenv("DESKTOP_STARTUP_ID", "launcher-1_TIME42");
    qputenv("XDG_ACTIVATION_TOKEN", "wl-token");
    char program[] = "product";
    char file[] = "clip.mkv";
    char* argv[] = {program, file, nullptr};
    Talvex::Native::LaunchEnvironment environment;
    EXPECT_FALSE(qEnvironmentVariableIsSet("DESKTOP_STARTUP_ID"));
    EXPECT_FALSE(qEnvironmentVariableIsSet("XDG_ACTIVATION_TOKEN"));

    const auto message = Talvex::Native::HandOverMessage::Decode(environment.Message(2, argv).Encode());
    ASSERT_TRUE(message);
    EXPECT_EQ(message->startupId, "launcher-1_TIME42");
    EXPECT_EQ(message->activationToken, "wl-token");
    EXPECT_EQ(message->arguments, (QList<QByteArray>{"product", "clip.mkv"}));
    EXPECT_EQ(message->workingFolder, QFile::encodeName(QDir::currentPath()));

    environment.Restore();
    EXPECT_EQ(qgetenv("DESKTOP_STARTUP_ID"), "launcher-1_TIME42");
    EXPECT_EQ(qgetenv("XDG_ACTIVATION_TOKEN"), "wl-token");
}
