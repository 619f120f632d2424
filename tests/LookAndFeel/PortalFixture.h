#pragma once

#include "ThemeFixture.h"
#include "common/WaitUntil.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>

namespace Talvex::Test {

// A bus daemon of the test's own, with the session bus's role but no service folders,
// so nothing on the machine (Debian's portal included) is started on it by activation.
class PrivateSessionBus {
public:
    ~PrivateSessionBus() { Stop(); }

    // The session bus's own configuration, listening on a socket of ours and, unless
    // the services installed on the machine are wanted, without its service folders.
    // Services the bus starts get `environment`.
    bool Start(bool installedServices = false,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        QFile session(QStringLiteral("/usr/share/dbus-1/session.conf"));
        if (!session.open(QIODevice::ReadOnly)) {
            return false;
        }
        QString text = QString::fromUtf8(session.readAll());
        text.replace(QRegularExpression(QStringLiteral("<listen>[^<]*</listen>")),
                     QStringLiteral("<listen>unix:path=%1</listen>").arg(folder.filePath("bus")));
        if (!installedServices) {
            text.remove(QStringLiteral("<standard_session_servicedirs />"));
        }
        const QString config = folder.filePath("session.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0) {
            return false;
        }
        file.close();
        daemon.setProcessEnvironment(environment);
        daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + config,
                                                     QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!WaitUntil([this] { return daemon.canReadLine() || daemon.state() == QProcess::NotRunning; })) {
            return false;
        }
        address = QString::fromUtf8(daemon.readLine()).trimmed();
        return !address.isEmpty();
    }

    void Stop()
    {
        if (daemon.state() != QProcess::NotRunning) {
            daemon.kill();
            daemon.waitForFinished(5000);
        }
    }

    QString address;

private:
    QTemporaryDir folder;
    QProcess daemon;
};

// The tests' own portal (the suite's helper program) on a given bus.
class PortalService {
public:
    ~PortalService() { Stop(); }

    // Ends the portal; the bus answers the calls it still holds with NoReply.
    void Stop()
    {
        if (process.state() != QProcess::NotRunning) {
            process.closeWriteChannel();
            if (!process.waitForFinished(2000)) {
                process.kill();
                process.waitForFinished(2000);
            }
        }
    }

    bool Start(const QString& busAddress, const QString& role, const QStringList& settings)
    {
        process.start(QStringLiteral(TALVEX_HELPER), QStringList{busAddress, role} + settings);
        return WaitUntil([this] { return process.canReadLine() || process.state() == QProcess::NotRunning; }) &&
               process.readLine().trimmed() == "ready";
    }

    void Send(const QByteArray& command)
    {
        process.write(command + '\n');
        process.waitForBytesWritten(2000);
    }

private:
    QProcess process;
};

// Themes "Light", "Dark" and "Contrast" (the last two with a sheet of their own), the
// tests' own portal on a private bus and a follower for the manager.
class PortalFixture : public ThemeFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.Start());
        AddTheme("Light", {"Accent"});
        AddTheme("Dark", {"Extra"});
        AddTheme("Contrast", {});
        MakeManager();
    }

    void TearDown() override
    {
        follower.reset();
        ThemeFixture::TearDown();
    }

    void ServePortal(const QString& role, const QStringList& settings)
    {
        ASSERT_TRUE(portal.Start(bus.address, role, settings));
    }

    App::DesktopThemeFollower& MakeFollower(bool following = true)
    {
        std::shared_ptr<App::LookAndFeelManager> shared(manager.get(), [](App::LookAndFeelManager*) {});
        follower = std::make_shared<App::DesktopThemeFollower>(shared, bus.address);
        follower->SetThemes({"Light", "Dark", "Contrast"});
        follower->SetFollowing(following);
        return *follower;
    }

    // The start of a following product: read the desktop, then Initialize.
    void StartProduct(const std::string& productTheme = "Light")
    {
        follower->Start();
        manager->Initialize("en_US", follower->ThemeToShow(productTheme));
    }

    std::vector<std::string> ThemeEvents() const
    {
        std::vector<std::string> themes;
        for (const std::string& event : observer.events) {
            if (event.rfind("theme:", 0) == 0) {
                themes.push_back(event.substr(6));
            }
        }
        return themes;
    }

    bool WaitForTheme(const std::string& theme)
    {
        return WaitUntil([&] { return manager->GetCurrentTheme() == theme; });
    }

    PrivateSessionBus bus;
    PortalService portal;
    std::shared_ptr<App::DesktopThemeFollower> follower;
};

} // namespace Talvex::Test
