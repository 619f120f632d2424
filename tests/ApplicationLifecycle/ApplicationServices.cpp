#include "App/Application/EventHandler.h"
#include "App/Application/ProcessHelpers.h"
#include "Platform/Links/ILinksManager.h"
#include "common/ApplicationFakes.h"
#include "common/LogCapture.h"
#include "common/WaitUntil.h"

#include <QAbstractEventDispatcher>
#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace Talvex::Test {
namespace {

class CountingHandler : public App::EventHandler {
public:
    int calls = 0;
    void OnNativeEvent(const QByteArray&, void*, QtCompat::NativeEventResult*) override { ++calls; }
};

class FixedUrlApplication : public App::Application {
public:
    using App::Application::Application;
    QString url;
    QString GetUrl(const URLKeys&) const override { return url; }
};

} // namespace

class ApplicationServices : public ApplicationTest {
protected:
    ApplicationServices()
    {
        resources.WriteLinks(R"({"THANK_FOR_INSTALL_URL": "https://example.test/{locale}/thanks"})");
    }
    ResourcesFolder resources;
};

TEST_F(ApplicationServices, StoresFallBackFromMailToProductToGeneral)
{
    auto application = Make();
    auto general = FileStore(scratch.filePath("general.ini"));
    application->SetSettingsManager(general);
    EXPECT_EQ(application->GetProductSettingsManager(), general);
    EXPECT_EQ(application->GetMailSettingsManager(), general);

    auto product = FileStore(scratch.filePath("product.ini"));
    application->SetProductSettingsManager(product);
    EXPECT_EQ(application->GetMailSettingsManager(), product);

    auto mail = FileStore(scratch.filePath("mail.ini"));
    application->SetMailSettingsManager(mail);
    EXPECT_EQ(application->GetMailSettingsManager(), mail);
    EXPECT_EQ(application->GetSettingsManager(), general);
}

TEST_F(ApplicationServices, LinksManagerNeedsItsServicesAndRetriesAfterAFailure)
{
    auto application = Make();
    try {
        application->GetLinksManager();
        FAIL() << "built without services";
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(), "NotNull can not initialized by null");
    }
    application->SetCustomizationManager(std::make_shared<FakeCustomization>(), false);
    application->SetSettingsManager(FileStore(scratch.filePath("general.ini")));
    EXPECT_THROW(application->GetLinksManager(), std::logic_error) << "no look-and-feel manager yet";

    application->SetLookAndFeel(LookAndFeelIn(resources.Path(), "de_DE"));
    const auto links = application->GetLinksManager();
    ASSERT_TRUE(links);
    EXPECT_EQ(application->GetLinksManager(), links) << "built once";
    application->SetLookAndFeel(LookAndFeelIn(resources.Path(), "fr_FR"));
    EXPECT_EQ(application->GetUrl(URLKeys::THANK_FOR_INSTALL_URL), QStringLiteral("https://example.test/de_DE/thanks"))
        << "a later look-and-feel manager does not reach the links manager";
}

TEST_F(ApplicationServices, CustomizationWithoutLoggingStillSetsIdentityAndLogsTheVersion)
{
    auto application = Make();
    LogCapture log;
    auto customization = std::make_shared<FakeCustomization>();
    customization->version = "20.1.2";
    application->SetCustomizationManager(customization, false);
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Clipforge"));
    EXPECT_EQ(QCoreApplication::applicationVersion(), QStringLiteral("20.1.2"));
    EXPECT_EQ(QCoreApplication::organizationName(), QStringLiteral("Talvex Test"));
    EXPECT_EQ(log.Count(google::GLOG_INFO, "Product Version: 20.1.2"), 1);
    EXPECT_EQ(log.Count(google::GLOG_INFO, "FFmpeg version: ffmpeg/4.0.1-6@sdk_pkg/testing"), 1);
    EXPECT_EQ(log.Count(google::GLOG_INFO, "Build commit: 5f600fc"), 1);
    EXPECT_TRUE(qEnvironmentVariableIsEmpty("GLOG_PRODUCT_NAME"));
}

TEST_F(ApplicationServices, HandlerRegisteredTwiceIsCalledTwiceUntilUnregisteredTwice)
{
    auto application = Make();
    auto handler = std::make_shared<CountingHandler>();
    const auto callsAfterOneMessage = [&] {
        QtCompat::NativeEventResult result = 0;
        int message = 0;
        QAbstractEventDispatcher::instance()->filterNativeEvent("xcb_generic_event_t", &message, &result);
        return handler->calls;
    };
    application->RegisterEventHandler(handler);
    application->RegisterEventHandler(handler);
    EXPECT_EQ(callsAfterOneMessage(), 2);
    application->UnregisterEventHandler(handler);
    EXPECT_EQ(callsAfterOneMessage(), 3);
    application->UnregisterEventHandler(handler);
    EXPECT_EQ(callsAfterOneMessage(), 3);
}

TEST_F(ApplicationServices, InstanceMutexIsHeldOnlyWhenAsked)
{
    const auto probe = [] {
        return QProcess::execute(QStringLiteral(TALVEX_HELPER),
                                 {QStringLiteral("probe"), QStringLiteral("{2FFDCD54-CDEE-4C13-9DD4-533DC7585800}")});
    };
    auto application = Make(false);
    EXPECT_EQ(probe(), 0) << "no mutex without holdInstanceMutex";
    application.reset();
    application = Make(true);
    EXPECT_EQ(probe(), 1) << "another process sees the running application";
    application.reset();
    EXPECT_EQ(probe(), 0) << "released with the application";
}

TEST_F(ApplicationServices, WebLinksOpenInThePreferredBrowser)
{
    const QString record = RecordingBrowser(scratch, TALVEX_HELPER);

    auto application = Make();
    EXPECT_TRUE(QDesktopServices::openUrl(QUrl(QStringLiteral("https://example.test/page?a=1"))));
    QFile recorded(record);
    EXPECT_TRUE(WaitUntil([&] { return recorded.size() >= 33; }, 10000));
    ASSERT_TRUE(recorded.open(QIODevice::ReadOnly));
    EXPECT_EQ(recorded.readAll(), QByteArray("https://example.test/page?a=1\n--\n"));
}

TEST_F(ApplicationServices, DriverMessagesCarryTheAddressAndTheLinkStyle)
{
    auto application = Make<FixedUrlApplication>();
    application->url = QStringLiteral("https://example.test/driver");
    application->setProperty("linkStyle", QStringLiteral("color:#0af"));
    const QString setup = GetGPUNeedSetupDriverMessage(URLKeys::THANK_FOR_INSTALL_URL);
    EXPECT_TRUE(setup.endsWith(
        QStringLiteral("<a href=\"https://example.test/driver\" style=\"color:#0af\">Detailed Instructions</a>")))
        << setup.toStdString();
    EXPECT_TRUE(setup.startsWith(QStringLiteral("NVIDIA<sup>&reg;</sup> CUDA&#8482; acceleration has been disabled")));

    application->url.clear();
    application->setProperty("linkStyle", QVariant());
    const QString download = GetGPUUnsupportedDriverMessage(URLKeys::THANK_FOR_INSTALL_URL);
    EXPECT_TRUE(download.endsWith(QStringLiteral("<a href=\"\" style=\"\">Download Driver</a>")))
        << download.toStdString();
}

// The gateway and the crash tracker go before the native event filter, whose handlers
// they may still use while they shut down.
TEST_F(ApplicationServices, HandlersOfTheNativeFilterOutliveTheGateway)
{
    class WatchingGateway : public ExternalStimulus::IGateway {
    public:
        explicit WatchingGateway(std::weak_ptr<App::EventHandler> handler, bool& handlerAlive)
            : handler(std::move(handler)), handlerAlive(handlerAlive)
        {
        }
        ~WatchingGateway() override { handlerAlive = !handler.expired(); }
        void Post(ExternalStimulus::Stimulus&) override {}

    private:
        std::weak_ptr<App::EventHandler> handler;
        bool& handlerAlive;
    };
    bool handlerAlive = false;
    {
        auto application = Make();
        auto handler = std::make_shared<CountingHandler>();
        application->RegisterEventHandler(handler);
        application->SetExternalStimulusGateway(std::make_shared<WatchingGateway>(handler, handlerAlive));
    }
    EXPECT_TRUE(handlerAlive);
}

} // namespace Talvex::Test
