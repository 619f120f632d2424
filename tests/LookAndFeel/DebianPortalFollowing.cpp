#include "App/Application/LookAndFeel/DesktopThemeFollower.h"
#include "PortalFixture.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>

namespace Talvex::Test {
namespace {

const char PORTAL[] = "/usr/libexec/xdg-desktop-portal";
const char GTK_BACKEND[] = "/usr/libexec/xdg-desktop-portal-gtk";
// Activating the portal starts its GTK backend, the permission store and dconf.
const int PORTAL_START_MS = 15000;

// Debian's own portal with its GTK backend, activated on a bus of the test's own, the
// backend on an Xvfb display of its own, and every setting it reads or writes in the
// test's folder, so the desktop of whoever runs the test is never touched.
class DebianPortalFollowing : public ThemeFixture {
protected:
    void SetUp() override
    {
        const QString missing = MissingProgram();
        if (!missing.isEmpty()) {
            GTEST_SKIP() << "Debian's portal stack cannot start here: " << missing.toStdString() << " is not installed";
        }
        ASSERT_TRUE(StartDisplay());
        ASSERT_TRUE(bus.Start(true, Environment()));
        AddTheme("Light", {});
        AddTheme("Dark", {});
        MakeManager();
    }

    void TearDown() override
    {
        follower.reset();
        bus.Stop();
        if (display.state() != QProcess::NotRunning) {
            display.kill();
            display.waitForFinished(5000);
        }
        ThemeFixture::TearDown();
    }

    static QString MissingProgram()
    {
        for (const QString& program : {QString(PORTAL), QString(GTK_BACKEND)}) {
            if (!QFileInfo(program).isExecutable()) {
                return program;
            }
        }
        for (const char* program : {"dbus-daemon", "Xvfb", "gsettings"}) {
            if (QStandardPaths::findExecutable(QLatin1String(program)).isEmpty()) {
                return QLatin1String(program);
            }
        }
        return QString();
    }

    bool StartDisplay()
    {
        display.start(QStringLiteral("Xvfb"),
                      {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                       QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                       QStringLiteral("640x480x24")});
        if (!WaitUntil([this] { return display.canReadLine() || display.state() == QProcess::NotRunning; })) {
            return false;
        }
        displayName = QLatin1Char(':') + QString::fromUtf8(display.readLine()).trimmed();
        return displayName.size() > 1;
    }

    QProcessEnvironment Environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString home = root.filePath("home");
        QDir().mkpath(home + "/config");
        QDir().mkpath(home + "/run");
        QFile::setPermissions(home + "/run", QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        environment.insert("DISPLAY", displayName);
        environment.insert("HOME", home);
        environment.insert("XDG_CONFIG_HOME", home + "/config");
        environment.insert("XDG_CACHE_HOME", home + "/cache");
        environment.insert("XDG_DATA_HOME", home + "/data");
        environment.insert("XDG_RUNTIME_DIR", home + "/run");
        environment.insert("GSETTINGS_BACKEND", "dconf");
        // The portal picks its backends by the desktop's name; the GTK one says it is
        // for GNOME.
        environment.insert("XDG_CURRENT_DESKTOP", "GNOME");
        environment.remove("DBUS_SESSION_BUS_ADDRESS");
        return environment;
    }

    bool SetColorScheme(const char* scheme)
    {
        QProcessEnvironment environment = Environment();
        environment.insert("DBUS_SESSION_BUS_ADDRESS", bus.address);
        QProcess gsettings;
        gsettings.setProcessEnvironment(environment);
        gsettings.start(QStringLiteral("gsettings"),
                        {QStringLiteral("set"), QStringLiteral("org.gnome.desktop.interface"),
                         QStringLiteral("color-scheme"), QLatin1String(scheme)});
        return gsettings.waitForFinished(10000) && gsettings.exitCode() == 0;
    }

    // Reads the colour scheme with the call that every version of the portal serves,
    // waiting for the stack's activation: empty when it answered, else the error.
    QString PortalProblem() const
    {
        const QString name = QStringLiteral("debian-portal-probe");
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("Read"));
        call << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme");
        const QDBusMessage reply =
            QDBusConnection::connectToBus(bus.address, name).call(call, QDBus::Block, PORTAL_START_MS);
        QDBusConnection::disconnectFromBus(name);
        return reply.type() == QDBusMessage::ReplyMessage
                   ? QString()
                   : reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
    }

    // What the reader logged about the portal failing, as it logged it.
    std::string PortalFailures() const
    {
        std::string failures;
        for (const LogCapture::Entry& entry : log.Entries()) {
            const bool aboutPortal = entry.message.find("desktop settings portal") != std::string::npos ||
                                     entry.message.find("No desktop appearance preference") != std::string::npos;
            if (entry.severity == google::GLOG_INFO && aboutPortal) {
                failures += (failures.empty() ? "" : "; ") + entry.message;
            }
        }
        return failures;
    }

    QProcess display;
    QString displayName;
    PrivateSessionBus bus;
    std::shared_ptr<App::DesktopThemeFollower> follower;
};

TEST_F(DebianPortalFollowing, TheProductFollowsGsettingsThroughTheInstalledPortal)
{
    // The first call activates the whole stack, which takes longer than a product's
    // start may wait: a plain call of the test's own waits for it, and tells a stack
    // that cannot start here from a fault of the reader's.
    const QString problem = PortalProblem();
    if (!problem.isEmpty()) {
        GTEST_SKIP() << "Debian's portal stack gave no answer on the private bus: " << problem.toStdString();
    }
    App::DesktopAppearance reader(bus.address);
    QElapsedTimer clock;
    clock.start();
    reader.Start(std::chrono::milliseconds(PORTAL_START_MS));
    ASSERT_EQ(PortalFailures(), "") << "the portal answers others but not the reader";
    ASSERT_LT(clock.elapsed(), PORTAL_START_MS) << "the reader waited out its bound on a portal that answers";

    std::shared_ptr<App::LookAndFeelManager> shared(manager.get(), [](App::LookAndFeelManager*) {});
    follower = std::make_shared<App::DesktopThemeFollower>(shared, bus.address);
    follower->SetFollowing(true);
    follower->Start();
    manager->Initialize("en_US", follower->ThemeToShow("Dark"));
    EXPECT_EQ(manager->GetCurrentTheme(), "Light");

    ASSERT_TRUE(SetColorScheme("prefer-dark"));
    EXPECT_TRUE(WaitUntil([&] { return manager->GetCurrentTheme() == "Dark"; }, 10000));
    ASSERT_TRUE(SetColorScheme("prefer-light"));
    EXPECT_TRUE(WaitUntil([&] { return manager->GetCurrentTheme() == "Light"; }, 10000));
}

} // namespace
} // namespace Talvex::Test
