#include "App/Application/ThankYouPage.h"
#include "LaunchFixture.h"
#include "Platform/EmailDialog/EmailDialogCreator.h"
#include "common/LogCapture.h"
#include "common/WaitUntil.h"

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

// Replaces the e-mail dialog factory for the lifetime of the object.
class DialogFactory {
public:
    DialogFactory()
    {
        EmailDialogCreator::SetFactory([this](const MailSettingsAccess&, std::shared_ptr<ILinksManager>, QWidget*) {
            ++created;
            return buildsNothing ? nullptr : std::make_unique<RecordedDialog>(shown);
        });
    }
    ~DialogFactory() { EmailDialogCreator::SetFactory({}); }

    int created = 0;
    int shown = 0;
    bool buildsNothing = false;
};

} // namespace

class FirstRunActions : public LaunchTest {
protected:
    void SetUp() override
    {
        resources.WriteLinks(R"({"THANK_FOR_INSTALL_URL": "talvex-test://thanks/install?v={version}",
                                 "THANK_FOR_REINSTALL_URL": "talvex-test://thanks/reinstall?v={version}"})");
    }

    std::unique_ptr<App::Application> LaunchWithServices()
    {
        auto application = Launch(true);
        mail = FileStore(scratch.filePath(QStringLiteral("mail.ini")));
        application->SetMailSettingsManager(mail);
        application->SetLookAndFeel(LookAndFeelIn(resources.Path(), "en_US"));
        installer = application->GetInstallerSettings(std::string());
        installer->Remove("InstallerName");
        return application;
    }

    ResourcesFolder resources;
    DialogFactory factory;
    PageRecorder recorder;
    std::shared_ptr<App::SettingsManager> mail;
    std::shared_ptr<App::ISettingsManager> installer;
};

enum class Scenario {
    FirstInstall,
    Update,
    Reinstall,
    Regular,
    RegisteredUser,
    DialogDisabled,
    SkipsFirstRunActions,
    OtherDistribution,
    OtherPostInstallPage
};

struct ActionCase {
    Scenario scenario;
    int dialogs;
    const char* page;
};

std::string ScenarioName(const ::testing::TestParamInfo<ActionCase>& info)
{
    static const char* const names[] = {"FirstInstall",        "Update",         "Reinstall",     "Regular",
                                        "RegisteredUser",      "DialogDisabled", "SkipsFirstRun", "OtherDistribution",
                                        "OtherPostInstallPage"};
    return names[static_cast<int>(info.param.scenario)];
}

void PrintTo(const ActionCase& value, std::ostream* out)
{
    *out << value.dialogs << " dialog(s), page \"" << value.page << '"';
}

class FirstRunActionsPerScenario : public FirstRunActions, public ::testing::WithParamInterface<ActionCase> {
protected:
    void Prepare(Scenario scenario)
    {
        switch (scenario) {
        case Scenario::Update:
            product->SetString("Version", "3-0");
            product->SetString("DateOfFirstStart", "Mon Jan 1 10:00:00 2024");
            break;
        case Scenario::Reinstall:
        case Scenario::Regular:
            product->SetString("Version", "3-1");
            product->SetString("InstallDateTime", "old stamp");
            product->SetString("DateTime", scenario == Scenario::Regular ? "old stamp" : "new stamp");
            break;
        case Scenario::RegisteredUser:
            mail->SetString("IsRegUser", "1");
            break;
        case Scenario::DialogDisabled:
            customization->emailDialog = false;
            break;
        case Scenario::SkipsFirstRunActions:
            customization->skipFirstRun = true;
            break;
        case Scenario::OtherDistribution:
            customization->distributionType = 1;
            break;
        case Scenario::OtherPostInstallPage:
            customization->postInstallPage = "welcome";
            break;
        case Scenario::FirstInstall:
            break;
        }
    }
};

TEST_P(FirstRunActionsPerScenario, ShowTheDialogAndOpenThePageOnlyWhenDue)
{
    auto application = LaunchWithServices();
    Prepare(GetParam().scenario);
    QSignalSpy before(application.get(), &App::Application::BeforeShowEmailDialog);
    QSignalSpy after(application.get(), &App::Application::AfterShowEmailDialog);

    application->Start();
    EXPECT_EQ(factory.shown, GetParam().dialogs);
    EXPECT_EQ(before.count(), GetParam().dialogs);
    EXPECT_EQ(after.count(), GetParam().dialogs);
    const QStringList pages = *GetParam().page ? QStringList{GetParam().page} : QStringList();
    EXPECT_EQ(recorder.pages, pages);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, FirstRunActionsPerScenario,
                         ::testing::Values(ActionCase{Scenario::FirstInstall, 1, INSTALL_PAGE},
                                           ActionCase{Scenario::Update, 0, REINSTALL_PAGE},
                                           ActionCase{Scenario::Reinstall, 0, REINSTALL_PAGE},
                                           ActionCase{Scenario::Regular, 0, ""},
                                           ActionCase{Scenario::RegisteredUser, 0, INSTALL_PAGE},
                                           ActionCase{Scenario::DialogDisabled, 0, INSTALL_PAGE},
                                           ActionCase{Scenario::SkipsFirstRunActions, 0, ""},
                                           ActionCase{Scenario::OtherDistribution, 0, ""},
                                           ActionCase{Scenario::OtherPostInstallPage, 1, ""}),
                         ScenarioName);

TEST_F(FirstRunActions, DialogThatCannotBeBuiltStillGivesTheSignalPairAndOneError)
{
    auto application = LaunchWithServices();
    factory.buildsNothing = true;
    QStringList order;
    QObject::connect(application.get(), &App::Application::BeforeShowEmailDialog, [&] { order << "before"; });
    QObject::connect(application.get(), &App::Application::AfterShowEmailDialog, [&] { order << "after"; });
    LogCapture log;

    application->Start();
    EXPECT_EQ(factory.created, 1);
    EXPECT_EQ(order, (QStringList{"before", "after"}));
    EXPECT_EQ(log.Count(google::GLOG_ERROR, "Failed to create Email Dialog Impl"), 1);
}

TEST_F(FirstRunActions, GatewayDecidesWhenTheActionsRun)
{
    auto application = LaunchWithServices();
    auto gateway = std::make_shared<DeferringGateway>();
    application->SetExternalStimulusGateway(gateway);

    application->Start();
    ASSERT_EQ(gateway->posted.size(), 2u);
    EXPECT_EQ(gateway->posted[0].name, "EMAIL_DIALOG");
    EXPECT_EQ(gateway->posted[1].name, "THANK_FOR_INSTALL");
    EXPECT_EQ(factory.created, 0);
    EXPECT_TRUE(recorder.pages.isEmpty());

    for (const auto& stimulus : gateway->posted) {
        stimulus.action();
    }
    EXPECT_EQ(factory.shown, 1);
    EXPECT_EQ(recorder.pages, QStringList{INSTALL_PAGE});
}

// The whole way of a web address: links table, installer settings, the application's
// http handler and the preferred browser.
TEST_F(FirstRunActions, ThankYouPageOpensInTheBrowserWithTheDistributionId)
{
    resources.WriteLinks(R"({"THANK_FOR_INSTALL_URL": "https://example.test/thanks?v={version}"})");
    const QString record = RecordingBrowser(scratch, TALVEX_HELPER);

    auto application = LaunchWithServices();
    installer->SetString("InstallerName", "clipforge_SetupC1a2b.exe");
    application->Start();
    ASSERT_TRUE(WaitUntil([&] { return FileBytes(record).endsWith("--\n"); }, 10000));
    EXPECT_EQ(FileBytes(record), QByteArray("https://example.test/thanks?v=3.1&did=C1a2b\n--\n"));
}

TEST_F(FirstRunActions, UpdateCheckIsRequestedOnceAboutFiveSecondsAfterStart)
{
    customization->skipFirstRun = true;
    auto application = LaunchWithServices();
    QSignalSpy requested(application.get(), &App::Application::AutoUpdateCheckRequested);
    QElapsedTimer clock;
    clock.start();

    application->Start();
    EXPECT_FALSE(requested.wait(4500 - static_cast<int>(clock.elapsed())));
    EXPECT_TRUE(requested.wait(6000 - static_cast<int>(clock.elapsed())));
    EXPECT_GE(clock.elapsed(), 4500);
    EXPECT_EQ(requested.count(), 1);
}

TEST_F(FirstRunActions, NoUpdateCheckWhenAutomaticUpdatesAreOff)
{
    auto application = LaunchWithServices();
    product->SetBool("autoUpdate", false);
    QSignalSpy requested(application.get(), &App::Application::AutoUpdateCheckRequested);
    application->Start();
    EXPECT_FALSE(requested.wait(6000));
}

struct InstallerNameCase {
    const char* name;
    const char* suffix;
};

class DistributionId : public ::testing::TestWithParam<InstallerNameCase> {};

TEST_P(DistributionId, ComesFromTheLastQualifyingSetupInTheInstallerName)
{
    const QString url = QStringLiteral("https://example.test/thanks?v=1");
    EXPECT_EQ(App::ThankYouPage::WithDistributionId(url, GetParam().name), url + QLatin1String(GetParam().suffix));
}

std::string NameIndex(const ::testing::TestParamInfo<InstallerNameCase>& info)
{
    return "Name" + std::to_string(info.index);
}

void PrintTo(const InstallerNameCase& value, std::ostream* out)
{
    *out << '"' << value.name << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Names, DistributionId,
    ::testing::Values(InstallerNameCase{"app_SetupC1a2b.exe", "&did=C1a2b"},
                      InstallerNameCase{"app_SetupX1a2b.exe", ""}, InstallerNameCase{"app_SetupC1a2.exe", ""},
                      InstallerNameCase{"SetupE9Z9z", "&did=E9Z9z"}, InstallerNameCase{"app_setupC1a2b.exe", ""},
                      InstallerNameCase{"a_SetupO1111_SetupU2222.exe", "&did=U2222"},
                      InstallerNameCase{"a_SetupO1111_SetupX2222.exe", "&did=O1111"}, InstallerNameCase{"", ""}),
    NameIndex);

} // namespace Talvex::Test

#include "FirstRunActions.moc"
