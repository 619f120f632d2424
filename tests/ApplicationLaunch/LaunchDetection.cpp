#include "App/Application/FirstLaunchCheck.h"
#include "LaunchFixture.h"

#include <QDateTime>

namespace Talvex::Test {
namespace {

using App::Application;

// Records which stores CheckFirstLaunch was asked about, in call order.
class CountingApplication : public Application {
public:
    using Application::Application;
    mutable std::vector<App::ISettingsManager*> checked;

    LaunchType CheckFirstLaunch(std::shared_ptr<App::ISettingsManager> settings) const override
    {
        checked.push_back(settings.get());
        return Application::CheckFirstLaunch(settings);
    }
};

class FixedTypeApplication : public Application {
public:
    using Application::Application;
    LaunchType type = Regular;
    LaunchType CheckFirstLaunch(std::shared_ptr<App::ISettingsManager>) const override { return type; }
};

void Preset(const QString& file, const Records& records)
{
    QSettings settings(file, QSettings::IniFormat);
    for (const auto& [key, value] : records) {
        settings.setValue(key, value);
    }
}

const QString STAMP = QStringLiteral("2024-05-01 10:00:00");
const QString NEW_STAMP = QStringLiteral("2024-06-02 11:30:00");
const QString OLD_START = QStringLiteral("Mon Jan 1 10:00:00 2024");

// The stores before and after one check. Without `product` the check runs on one store
// that is both; `productAfter` must then stay empty.
struct CheckCase {
    const char* what;
    Records general;
    Records product;
    int type;
    Records generalAfter;
    Records productAfter;
    bool separate = false;
};

} // namespace

TEST(FirstLaunchCheck, ReadsAndWritesExactlyTheRecordsOfEachLaunchType)
{
    const QDateTime now(QDate(2024, 7, 3), QTime(9, 15));
    const QString nowText = now.toString(Qt::TextDate);
    const Records regular = {{"Version", "3-1"},
                             {"DateOfFirstStart", OLD_START},
                             {"InstallDateTime", STAMP},
                             {"DateTime", STAMP},
                             {"ProductInstallType", "3"}};
    const CheckCase cases[] = {
        {"first run",
         {{"DateTime", STAMP}},
         {},
         Application::FirstInstall,
         {{"DateTime", STAMP},
          {"Version", "3-1"},
          {"IsRun", "1"},
          {"DateOfFirstStart", nowText},
          {"InstallDateTime", STAMP},
          {"ProductInstallType", "1"}},
         {}},
        {"update after an earlier version",
         {{"Version", "3-0"}, {"DateOfFirstStart", OLD_START}, {"DateTime", STAMP}},
         {},
         Application::Update,
         {{"Version", "3-1"},
          {"IsRun", "1"},
          {"DateOfFirstStart", nowText},
          {"DateTime", STAMP},
          {"InstallDateTime", STAMP},
          {"ProductInstallType", "3"}},
         {}},
        {"reinstall: the installer stamp changed",
         {{"Version", "3-1"}, {"InstallDateTime", STAMP}, {"DateTime", NEW_STAMP}, {"ProductInstallType", "1"}},
         {},
         Application::Reinstall,
         {{"Version", "3-1"}, {"InstallDateTime", NEW_STAMP}, {"DateTime", NEW_STAMP}, {"ProductInstallType", "2"}},
         {}},
        {"regular run writes nothing", regular, {}, Application::Regular, regular, {}},
        {"new version, product store keeps its type",
         {},
         {{"ProductInstallType", "3"}, {"DateTime", STAMP}},
         Application::Update,
         {{"Version", "3-1"}, {"IsRun", "1"}, {"DateOfFirstStart", nowText}, {"InstallDateTime", STAMP}},
         {{"ProductInstallType", "3"}, {"DateTime", STAMP}},
         true},
        {"new stamp, product store keeps its type",
         {{"Version", "3-1"}, {"InstallDateTime", STAMP}},
         {{"ProductInstallType", "3"}, {"DateTime", NEW_STAMP}},
         Application::Update,
         {{"Version", "3-1"}, {"InstallDateTime", NEW_STAMP}},
         {{"ProductInstallType", "3"}, {"DateTime", NEW_STAMP}},
         true},
        {"product store without a type learns the general one",
         {{"Version", "2-0"}, {"DateOfFirstStart", OLD_START}},
         {},
         Application::Update,
         {{"Version", "3-1"}, {"IsRun", "1"}, {"DateOfFirstStart", nowText}, {"InstallDateTime", ""}},
         {{"ProductInstallType", "3"}},
         true},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir folder;
        const QString generalFile = folder.filePath(QStringLiteral("general.ini"));
        const QString productFile = folder.filePath(QStringLiteral("product.ini"));
        Preset(generalFile, c.general);
        Preset(productFile, c.product);
        auto general = FileStore(generalFile);
        auto product = c.separate ? FileStore(productFile) : general;
        EXPECT_EQ(App::FirstLaunchCheck::Run(*general, *product, !c.separate, "3-1", now), c.type);
        EXPECT_EQ(Contents(generalFile), c.generalAfter);
        EXPECT_EQ(Contents(productFile), c.productAfter);
    }
}

// Through the application: the running version, the real clock and the caches.
class LaunchDetection : public LaunchTest {};

TEST_F(LaunchDetection, FirstEverRunIsCheckedOnceAgainstTheRunningVersionAndClock)
{
    auto application = Launch<CountingApplication>(false);
    const QDateTime before = QDateTime::currentDateTime();
    EXPECT_EQ(application->GetLaunchType(), Application::FirstInstall);
    EXPECT_EQ(application->GetProductLaunchType(), Application::FirstInstall);
    EXPECT_EQ(application->GetLaunchType(), Application::FirstInstall);
    EXPECT_TRUE(application->IsFirstLaunch());
    EXPECT_EQ(application->checked, std::vector<App::ISettingsManager*>{general.get()});
    EXPECT_EQ(OnDisk(General(), "Version"), "3-1");
    const QDateTime firstStart = QDateTime::fromString(OnDisk(General(), "DateOfFirstStart"), Qt::TextDate);
    ASSERT_TRUE(firstStart.isValid());
    EXPECT_LE(std::abs(firstStart.secsTo(before)), 5);
}

TEST_F(LaunchDetection, SeparateStoresAreCheckedOnceEachProductFirst)
{
    auto application = Launch<CountingApplication>(true);
    general->SetString("Version", "3-1");
    general->SetString("InstallDateTime", STAMP.toStdString());
    product->SetString("DateTime", STAMP.toStdString());

    EXPECT_EQ(application->GetLaunchType(), Application::Regular);
    EXPECT_EQ(application->GetProductLaunchType(), Application::FirstInstall);
    EXPECT_FALSE(application->IsFirstLaunch());
    EXPECT_TRUE(application->IsFirstProductLaunch());
    EXPECT_EQ(application->checked, (std::vector<App::ISettingsManager*>{product.get(), general.get()}));
}

TEST_F(LaunchDetection, OnlyInstallationsAndUpdatesCountAsFirstLaunches)
{
    const std::pair<Application::LaunchType, bool> cases[] = {{Application::FirstInstall, true},
                                                              {Application::Reinstall, false},
                                                              {Application::Update, true},
                                                              {Application::Regular, false}};
    for (const auto& [type, first] : cases) {
        SCOPED_TRACE(type);
        auto application = Launch<FixedTypeApplication>(true);
        application->type = type;
        EXPECT_EQ(application->IsFirstLaunch(), first);
        EXPECT_EQ(application->IsFirstProductLaunch(), first);
    }
}

TEST_F(LaunchDetection, DaysPassedCountsCalendarDays)
{
    auto application = Launch(true);
    EXPECT_EQ(application->GetDaysPassed(), 0) << "no first start yet";
    const std::pair<int, QTime> cases[] = {{1, QTime(23, 59)}, {10, QTime(0, 1)}};
    for (const auto& [days, time] : cases) {
        const QDateTime start(QDate::currentDate().addDays(-days), time);
        product->SetString("DateOfFirstStart", start.toString(Qt::TextDate).toStdString());
        EXPECT_EQ(application->GetDaysPassed(), days);
    }
}

} // namespace Talvex::Test
