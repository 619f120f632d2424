#include "App/Application/EmailDialog/EmailDialogCreator.h"
#include "App/Application/ThankYouPage.h"
#include "LaunchFixture.h"
#include "common/LogCapture.h"

#include <QDesktopServices>
#include <QSignalSpy>
#include <QUrl>

namespace Talvex::Test {
namespace {

const char INSTALL_PAGE[] = "talvex-test://thanks/install?v=3.1";
const char REINSTALL_PAGE[] = "talvex-test://thanks/reinstall?v=3.1";

// Receives the addresses of a private scheme synchronously, so a test can tell at
// once whether a page was opened.
class PageRecorder : public QObject {
    Q_OBJECT
public:
    PageRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("talvex-test"), this, "Open"); }
    ~PageRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("talvex-test")); }
    QStringList pages;

public slots:
    void Open(const QUrl& url) { pages << url.toString(); }
};

struct RecordedDialog : IEmailDialog {
    explicit RecordedDialog(int& shown) : shown(shown) {}
    void Show() override { ++shown; }
    int& shown;
};

} // namespace

class FirstRun : public LaunchTest {
public:
    FirstRun()
    {
        resources.WriteLinks(R"({"THANK_FOR_INSTALL_URL": "talvex-test://thanks/install?v={version}",
                                 "THANK_FOR_REINSTALL_URL": "talvex-test://thanks/reinstall?v={version}"})");
        EmailDialogCreator::SetFactory(
            [this](std::shared_ptr<App::ISettingsManager> settings, std::shared_ptr<ILinksManager>, QWidget*) {
                dialogSettings = settings;
                return buildsNothing ? nullptr : std::make_unique<RecordedDialog>(shown);
            });
        application = Launch(true);
        mail = FileStore(scratch.filePath(QStringLiteral("mail.ini")));
        application->SetMailSettingsManager(mail);
        application->SetLookAndFeel(LookAndFeelIn(resources.Path(), "en_US"));
        installer = application->GetInstallerSettings(std::string());
        installer->Remove("InstallerName");
    }
    ~FirstRun() override { EmailDialogCreator::SetFactory({}); }

    ResourcesFolder resources;
    PageRecorder recorder;
    int shown = 0;
    bool buildsNothing = false;
    std::shared_ptr<App::ISettingsManager> dialogSettings;
    std::unique_ptr<App::Application> application;
    std::shared_ptr<App::SettingsManager> mail;
    std::shared_ptr<App::ISettingsManager> installer;
};

struct ActionCase {
    const char* name;
    void (*prepare)(FirstRun&);
    int dialogs;
    QString page;
};

class FirstRunActions : public FirstRun, public ::testing::WithParamInterface<ActionCase> {};

TEST_P(FirstRunActions, ShowTheDialogAndOpenThePageOnlyWhenDue)
{
    GetParam().prepare(*this);
    QSignalSpy before(application.get(), &App::Application::BeforeShowEmailDialog);
    QSignalSpy after(application.get(), &App::Application::AfterShowEmailDialog);

    application->Start();
    EXPECT_EQ(shown, GetParam().dialogs);
    if (shown) {
        EXPECT_EQ(dialogSettings, mail) << "a product's dialog gets the mail store itself";
    }
    EXPECT_EQ(before.count(), GetParam().dialogs);
    EXPECT_EQ(after.count(), GetParam().dialogs);
    EXPECT_EQ(recorder.pages, GetParam().page.isEmpty() ? QStringList() : QStringList{GetParam().page});
}

// The product store as an earlier run of `version` left it, with the installer's
// current stamp.
void EarlierRun(FirstRun& t, const char* version, const char* stamp)
{
    t.product->SetString("Version", version);
    t.product->SetString("DateOfFirstStart", "Mon Jan 1 10:00:00 2024");
    t.product->SetString("InstallDateTime", "old stamp");
    t.product->SetString("DateTime", stamp);
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, FirstRunActions,
    ::testing::Values(
        ActionCase{"FirstInstall", [](FirstRun&) {}, 1, INSTALL_PAGE},
        ActionCase{"Update", [](FirstRun& t) { EarlierRun(t, "3-0", "old stamp"); }, 0, REINSTALL_PAGE},
        ActionCase{"Reinstall", [](FirstRun& t) { EarlierRun(t, "3-1", "new stamp"); }, 0, REINSTALL_PAGE},
        ActionCase{"Regular", [](FirstRun& t) { EarlierRun(t, "3-1", "old stamp"); }, 0, ""},
        ActionCase{"RegisteredUser", [](FirstRun& t) { t.mail->SetString("IsRegUser", "1"); }, 0, INSTALL_PAGE},
        ActionCase{"DialogDisabled", [](FirstRun& t) { t.customization->emailDialog = false; }, 0, INSTALL_PAGE},
        ActionCase{"SkipsFirstRun", [](FirstRun& t) { t.customization->skipFirstRun = true; }, 0, ""},
        ActionCase{"OtherDistribution", [](FirstRun& t) { t.customization->distributionType = 1; }, 0, ""},
        ActionCase{"OtherPostInstallPage", [](FirstRun& t) { t.customization->postInstallPage = "welcome"; }, 1, ""},
        ActionCase{"InstallerWithDistributionId",
                   [](FirstRun& t) { t.installer->SetString("InstallerName", "clipforge_SetupC1a2b.exe"); }, 1,
                   "talvex-test://thanks/install?v=3.1&did=C1a2b"}),
    [](const ::testing::TestParamInfo<ActionCase>& info) { return std::string(info.param.name); });

TEST_F(FirstRun, DialogThatCannotBeBuiltStillGivesTheSignalPairAndOneError)
{
    buildsNothing = true;
    QStringList order;
    QObject::connect(application.get(), &App::Application::BeforeShowEmailDialog, [&] { order << "before"; });
    QObject::connect(application.get(), &App::Application::AfterShowEmailDialog, [&] { order << "after"; });
    LogCapture log;

    application->Start();
    EXPECT_EQ(order, (QStringList{"before", "after"}));
    EXPECT_EQ(log.Count(google::GLOG_ERROR, "Failed to create Email Dialog Impl"), 1);
}

TEST_F(FirstRun, GatewayDecidesWhenTheActionsRun)
{
    auto gateway = std::make_shared<DeferringGateway>();
    application->SetExternalStimulusGateway(gateway);

    application->Start();
    ASSERT_EQ(gateway->posted.size(), 2u);
    EXPECT_EQ(gateway->posted[0].name + " " + gateway->posted[1].name, "EMAIL_DIALOG THANK_FOR_INSTALL");
    EXPECT_TRUE(shown == 0 && recorder.pages.isEmpty()) << "nothing runs before the gateway says so";

    for (const auto& stimulus : gateway->posted) {
        stimulus.action();
    }
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(recorder.pages, QStringList{INSTALL_PAGE});
}

TEST_F(FirstRun, UpdateCheckIsRequestedOnceAboutFiveSecondsAfterStart)
{
    customization->skipFirstRun = true;
    QSignalSpy requested(application.get(), &App::Application::AutoUpdateCheckRequested);
    application->Start();
    EXPECT_FALSE(requested.wait(4500));
    EXPECT_TRUE(requested.wait(1500));
    EXPECT_EQ(requested.count(), 1);
}

TEST_F(FirstRun, NoUpdateCheckWhenAutomaticUpdatesAreOff)
{
    product->SetBool("autoUpdate", false);
    QSignalSpy requested(application.get(), &App::Application::AutoUpdateCheckRequested);
    application->Start();
    EXPECT_FALSE(requested.wait(6000));
}

TEST(DistributionId, ComesFromTheLastQualifyingSetupInTheInstallerName)
{
    const QString url = QStringLiteral("https://example.test/thanks?v=1");
    const auto withId = [&](const char* installer) { return App::ThankYouPage::WithDistributionId(url, installer); };
    for (const char* none : {"app_SetupX1a2b.exe", "app_SetupC1a2.exe", "app_setupC1a2b.exe", ""}) {
        EXPECT_EQ(withId(none), url) << none;
    }
    EXPECT_EQ(withId("app_SetupC1a2b.exe"), url + "&did=C1a2b");
    EXPECT_EQ(withId("a_SetupO1111_SetupU2222.exe"), url + "&did=U2222");
    EXPECT_EQ(withId("a_SetupO1111_SetupX2222.exe"), url + "&did=O1111");
}

} // namespace Talvex::Test

#include "FirstRunActions.moc"
