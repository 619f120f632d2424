#include "App/Application/ThankYouPage.h"
#include "LaunchFixture.h"
#include "Platform/EmailDialog/EmailDialogCreator.h"
#include "common/LogCapture.h"

#include <QDesktopServices>
#include <QElapsedTimer>
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

class RecordedDialog : public IEmailDialog {
public:
    explicit RecordedDialog(int& shown) : shown(shown) {}
    void Show() override { ++shown; }

private:
    int& shown;
};

} // namespace

class FirstRun : public LaunchTest {
public:
    FirstRun()
    {
        resources.WriteLinks(R"({"THANK_FOR_INSTALL_URL": "talvex-test://thanks/install?v={version}",
                                 "THANK_FOR_REINSTALL_URL": "talvex-test://thanks/reinstall?v={version}"})");
        EmailDialogCreator::SetFactory([this](const MailSettingsAccess&, std::shared_ptr<ILinksManager>, QWidget*) {
            ++created;
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

    using LaunchTest::customization;
    using LaunchTest::product;

    ResourcesFolder resources;
    PageRecorder recorder;
    int created = 0;
    int shown = 0;
    bool buildsNothing = false;
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

void PrintTo(const ActionCase& value, std::ostream* out)
{
    *out << value.name;
}

class FirstRunActions : public FirstRun, public ::testing::WithParamInterface<ActionCase> {};

TEST_P(FirstRunActions, ShowTheDialogAndOpenThePageOnlyWhenDue)
{
    GetParam().prepare(*this);
    QSignalSpy before(application.get(), &App::Application::BeforeShowEmailDialog);
    QSignalSpy after(application.get(), &App::Application::AfterShowEmailDialog);

    application->Start();
    EXPECT_EQ(shown, GetParam().dialogs);
    EXPECT_EQ(before.count(), GetParam().dialogs);
    EXPECT_EQ(after.count(), GetParam().dialogs);
    EXPECT_EQ(recorder.pages, GetParam().page.isEmpty() ? QStringList() : QStringList{GetParam().page});
}

void Reinstalled(FirstRun& t, const char* stamp)
{
    t.product->SetString("Version", "3-1");
    t.product->SetString("InstallDateTime", "old stamp");
    t.product->SetString("DateTime", stamp);
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, FirstRunActions,
    ::testing::Values(
        ActionCase{"FirstInstall", [](FirstRun&) {}, 1, INSTALL_PAGE},
        ActionCase{"Update",
                   [](FirstRun& t) {
                       t.product->SetString("Version", "3-0");
                       t.product->SetString("DateOfFirstStart", "Mon Jan 1 10:00:00 2024");
                   },
                   0, REINSTALL_PAGE},
        ActionCase{"Reinstall", [](FirstRun& t) { Reinstalled(t, "new stamp"); }, 0, REINSTALL_PAGE},
        ActionCase{"Regular", [](FirstRun& t) { Reinstalled(t, "old stamp"); }, 0, ""},
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
    EXPECT_EQ(created, 1);
    EXPECT_EQ(order, (QStringList{"before", "after"}));
    EXPECT_EQ(log.Count(google::GLOG_ERROR, "Failed to create Email Dialog Impl"), 1);
}

TEST_F(FirstRun, GatewayDecidesWhenTheActionsRun)
{
    auto gateway = std::make_shared<DeferringGateway>();
    application->SetExternalStimulusGateway(gateway);

    application->Start();
    ASSERT_EQ(gateway->posted.size(), 2u);
    EXPECT_EQ(gateway->posted[0].name, "EMAIL_DIALOG");
    EXPECT_EQ(gateway->posted[1].name, "THANK_FOR_INSTALL");
    EXPECT_EQ(created, 0);
    EXPECT_TRUE(recorder.pages.isEmpty());

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
    QElapsedTimer clock;
    clock.start();

    application->Start();
    EXPECT_FALSE(requested.wait(4500 - static_cast<int>(clock.elapsed())));
    EXPECT_TRUE(requested.wait(6000 - static_cast<int>(clock.elapsed())));
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
    const std::pair<const char*, const char*> cases[] = {{"app_SetupC1a2b.exe", "&did=C1a2b"},
                                                         {"app_SetupX1a2b.exe", ""},
                                                         {"app_SetupC1a2.exe", ""},
                                                         {"app_setupC1a2b.exe", ""},
                                                         {"a_SetupO1111_SetupU2222.exe", "&did=U2222"},
                                                         {"a_SetupO1111_SetupX2222.exe", "&did=O1111"}};
    for (const auto& [name, suffix] : cases) {
        EXPECT_EQ(App::ThankYouPage::WithDistributionId(url, name), url + QLatin1String(suffix)) << name;
    }
}

} // namespace Talvex::Test

#include "FirstRunActions.moc"
