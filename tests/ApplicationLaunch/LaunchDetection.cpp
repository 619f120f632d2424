#include "App/Application/FirstLaunchCheck.h"
#include "LaunchFixture.h"
#include "common/LogCapture.h"

#include <QDateTime>

#include <optional>

namespace Talvex::Test {
namespace {

using App::Application;

// Records which stores CheckFirstLaunch was asked about, in call order, and answers
// `fixedType` when one is set.
class CountingApplication : public Application {
public:
    using Application::Application;
    mutable std::vector<App::ISettingsManager*> checked;
    std::optional<LaunchType> fixedType;

    LaunchType CheckFirstLaunch(std::shared_ptr<App::ISettingsManager> settings) const override
    {
        checked.push_back(settings.get());
        return fixedType ? *fixedType : Application::CheckFirstLaunch(settings);
    }
};

const QDateTime NOW(QDate(2024, 7, 3), QTime(9, 15));

// "Key=value ..."; the value "now" stands for NOW as the first start is stored.
Records Parse(const char* text)
{
    Records records;
    for (const QString& item : QString(text).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString value = item.section(QLatin1Char('='), 1);
        records[item.section(QLatin1Char('='), 0, 0)] = value == "now" ? NOW.toString(Qt::TextDate) : value;
    }
    return records;
}

void Preset(const QString& file, const Records& records)
{
    QSettings settings(file, QSettings::IniFormat);
    for (const auto& [key, value] : records) {
        settings.setValue(key, value);
    }
}

// The stores before and after one check of version 3-1; a check on one store that is
// both leaves the product file untouched.
struct CheckCase {
    const char* what;
    bool separate;
    const char* general;
    const char* product;
    int type;
    const char* generalAfter;
    const char* productAfter;
};

} // namespace

TEST(FirstLaunchCheck, ReadsAndWritesExactlyTheRecordsOfEachLaunchType)
{
    const char* const regular =
        "Version=3-1 DateOfFirstStart=earlier InstallDateTime=stamp DateTime=stamp ProductInstallType=3";
    const CheckCase cases[] = {
        {"first run", false, "DateTime=stamp", "", Application::FirstInstall,
         "DateTime=stamp Version=3-1 IsRun=1 DateOfFirstStart=now InstallDateTime=stamp ProductInstallType=1", ""},
        {"update after an earlier version", false, "Version=3-0 DateOfFirstStart=earlier DateTime=stamp", "",
         Application::Update,
         "Version=3-1 IsRun=1 DateOfFirstStart=now DateTime=stamp InstallDateTime=stamp ProductInstallType=3", ""},
        {"reinstall: the installer stamp changed", false,
         "Version=3-1 InstallDateTime=stamp DateTime=newStamp ProductInstallType=1", "", Application::Reinstall,
         "Version=3-1 InstallDateTime=newStamp DateTime=newStamp ProductInstallType=2", ""},
        {"regular run writes nothing", false, regular, "", Application::Regular, regular, ""},
        {"new version, product store keeps its type", true, "", "ProductInstallType=3 DateTime=stamp",
         Application::Update, "Version=3-1 IsRun=1 DateOfFirstStart=now InstallDateTime=stamp",
         "ProductInstallType=3 DateTime=stamp"},
        {"new stamp, product store keeps its type", true, "Version=3-1 InstallDateTime=stamp",
         "ProductInstallType=3 DateTime=newStamp", Application::Update, "Version=3-1 InstallDateTime=newStamp",
         "ProductInstallType=3 DateTime=newStamp"},
        {"product store without a type learns the general one", true, "Version=2-0 DateOfFirstStart=earlier", "",
         Application::Update, "Version=3-1 IsRun=1 DateOfFirstStart=now InstallDateTime=", "ProductInstallType=3"},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir folder;
        const QString generalFile = folder.filePath(QStringLiteral("general.ini"));
        const QString productFile = folder.filePath(QStringLiteral("product.ini"));
        Preset(generalFile, Parse(c.general));
        Preset(productFile, Parse(c.product));
        auto general = FileStore(generalFile);
        auto product = c.separate ? FileStore(productFile) : general;
        EXPECT_EQ(App::FirstLaunchCheck::Run(*general, *product, !c.separate, "3-1", NOW), c.type);
        EXPECT_EQ(Contents(generalFile), Parse(c.generalAfter));
        EXPECT_EQ(Contents(productFile), Parse(c.productAfter));
    }
}

// Through the application: the stores it checks and the caches.
class LaunchDetection : public LaunchTest {};

TEST_F(LaunchDetection, SeparateStoresAreCheckedOnceEachProductFirst)
{
    auto application = Launch<CountingApplication>(true);
    general->SetString("Version", "3-1");
    general->SetString("InstallDateTime", "stamp");
    product->SetString("DateTime", "stamp");

    EXPECT_EQ(application->GetLaunchType(), Application::Regular);
    EXPECT_EQ(application->GetProductLaunchType(), Application::FirstInstall);
    EXPECT_FALSE(application->IsFirstLaunch());
    EXPECT_TRUE(application->IsFirstProductLaunch());
    EXPECT_EQ(application->checked, (std::vector<App::ISettingsManager*>{product.get(), general.get()}));
}

TEST_F(LaunchDetection, OnlyInstallationsAndUpdatesCountAsFirstLaunches)
{
    for (const auto type :
         {Application::FirstInstall, Application::Reinstall, Application::Update, Application::Regular}) {
        SCOPED_TRACE(type);
        const bool first = type == Application::FirstInstall || type == Application::Update;
        auto application = Launch<CountingApplication>(false);
        application->fixedType = type;
        EXPECT_EQ(application->IsFirstLaunch(), first);
        EXPECT_EQ(application->IsFirstProductLaunch(), first);
        EXPECT_EQ(application->checked.size(), 1u) << "one store is checked once";
    }
}

TEST_F(LaunchDetection, DaysPassedCountsCalendarDays)
{
    auto application = Launch(true);
    EXPECT_EQ(application->GetDaysPassed(), 0) << "no first start yet";
    application->GetProductLaunchType();
    EXPECT_EQ(application->GetDaysPassed(), 0) << "the first start was recorded on the running clock";
    const std::pair<int, QTime> cases[] = {{1, QTime(23, 59)}, {10, QTime(0, 1)}};
    for (const auto& [days, time] : cases) {
        const QDateTime start(QDate::currentDate().addDays(-days), time);
        product->SetString("DateOfFirstStart", start.toString(Qt::TextDate).toStdString());
        EXPECT_EQ(application->GetDaysPassed(), days);
    }
}

TEST_F(LaunchDetection, AskingBeforeTheStoresExistIsNotRememberedAndHidesNoInstallation)
{
    auto application = Make();
    application->SetCustomizationManager(customization, false);
    LogCapture log;
    EXPECT_EQ(application->GetLaunchType(), Application::Regular);
    EXPECT_EQ(application->GetProductLaunchType(), Application::Regular);
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "Launch detection needs a settings manager"));

    general = FileStore(General());
    general->SetString("DateTime", "stamp");
    application->SetSettingsManager(general);
    EXPECT_EQ(application->GetProductLaunchType(), Application::FirstInstall);
    EXPECT_EQ(application->GetLaunchType(), Application::FirstInstall);
}

} // namespace Talvex::Test
