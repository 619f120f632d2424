#include "App/Application/FirstLaunchCheck.h"
#include "LaunchFixture.h"

#include <QDateTime>

namespace Talvex::Test {
namespace {

const std::string STAMP = "2024-05-01 10:00:00";
const std::string NEW_STAMP = "2024-06-02 11:30:00";

// Counts CheckFirstLaunch per store, in call order.
class CountingApplication : public App::Application {
public:
    using App::Application::Application;
    mutable std::vector<App::ISettingsManager*> checked;

    LaunchType CheckFirstLaunch(std::shared_ptr<App::ISettingsManager> settings) const override
    {
        checked.push_back(settings.get());
        return App::Application::CheckFirstLaunch(settings);
    }
};

// Answers a fixed launch type without touching any store.
class FixedTypeApplication : public App::Application {
public:
    using App::Application::Application;
    LaunchType type = Regular;

    LaunchType CheckFirstLaunch(std::shared_ptr<App::ISettingsManager>) const override { return type; }
};

} // namespace

// The algorithm over two file stores, without an application.
class FirstLaunchCheckTest : public ::testing::Test {
protected:
    QString General() const { return folder.filePath(QStringLiteral("general.ini")); }
    QString Product() const { return folder.filePath(QStringLiteral("product.ini")); }

    QTemporaryDir folder;
    std::shared_ptr<App::SettingsManager> general = FileStore(General());
    std::shared_ptr<App::SettingsManager> product = FileStore(Product());
    const QDateTime now = QDateTime::currentDateTime();
};

TEST_F(FirstLaunchCheckTest, NewVersionAfterAnEarlierOneIsAnUpdateAndRestampsTheFirstStart)
{
    product->SetString("Version", "3-0");
    product->SetString("DateOfFirstStart", "Mon Jan 1 10:00:00 2024");
    product->SetString("DateTime", STAMP);
    EXPECT_EQ(App::FirstLaunchCheck::Run(*product, *product, true, "3-1", now), App::Application::Update);
    EXPECT_EQ(OnDisk(Product(), "Version"), "3-1");
    EXPECT_EQ(OnDisk(Product(), "DateOfFirstStart"), now.toString(Qt::TextDate));
    EXPECT_EQ(OnDisk(Product(), "InstallDateTime"), QString::fromStdString(STAMP));
    EXPECT_EQ(OnDisk(Product(), "ProductInstallType"), "3");
}

TEST_F(FirstLaunchCheckTest, ChangedInstallerStampIsAReinstallThatStoresTheNewStamp)
{
    product->SetString("Version", "3-1");
    product->SetString("InstallDateTime", STAMP);
    product->SetString("DateTime", NEW_STAMP);
    product->SetInt("ProductInstallType", App::Application::FirstInstall);
    EXPECT_EQ(App::FirstLaunchCheck::Run(*product, *product, true, "3-1", now), App::Application::Reinstall);
    EXPECT_EQ(OnDisk(Product(), "InstallDateTime"), QString::fromStdString(NEW_STAMP));
    EXPECT_EQ(OnDisk(Product(), "ProductInstallType"), "2");
    EXPECT_FALSE(product->Contains("DateOfFirstStart")) << "a reinstall is no new first start";
}

TEST_F(FirstLaunchCheckTest, RegularRunWritesNothing)
{
    product->SetString("Version", "3-1");
    product->SetString("DateOfFirstStart", "Mon Jan 1 10:00:00 2024");
    product->SetString("InstallDateTime", STAMP);
    product->SetString("DateTime", STAMP);
    product->SetInt("ProductInstallType", App::Application::Update);
    product.reset();
    product = FileStore(Product());
    const QByteArray before = FileBytes(Product());
    WriteLog writes;
    product->RegisterObserver(&writes);

    EXPECT_EQ(App::FirstLaunchCheck::Run(*product, *product, true, "3-1", now), App::Application::Regular);
    product->UnregisterObserver(&writes);
    product.reset();
    EXPECT_EQ(writes.keys, std::vector<std::string>());
    EXPECT_EQ(FileBytes(Product()), before);
}

// A separate product store that already knows its type keeps it: the general store
// only learns the version and the stamp.
TEST_F(FirstLaunchCheckTest, SeparateProductStoreKeepsTheTypeItAlreadyHolds)
{
    product->SetInt("ProductInstallType", App::Application::Update);
    product->SetString("DateTime", STAMP);
    WriteLog productWrites;
    product->RegisterObserver(&productWrites);

    EXPECT_EQ(App::FirstLaunchCheck::Run(*general, *product, false, "3-1", now), App::Application::Update)
        << "new version in the general store";
    EXPECT_EQ(OnDisk(General(), "Version"), "3-1");
    EXPECT_EQ(OnDisk(General(), "InstallDateTime"), QString::fromStdString(STAMP));

    product->SetString("DateTime", NEW_STAMP);
    productWrites.keys.clear();
    EXPECT_EQ(App::FirstLaunchCheck::Run(*general, *product, false, "3-1", now), App::Application::Update)
        << "changed stamp in the general store";
    EXPECT_EQ(OnDisk(General(), "InstallDateTime"), QString::fromStdString(NEW_STAMP));
    EXPECT_EQ(productWrites.keys, std::vector<std::string>());
    EXPECT_EQ(OnDisk(Product(), "ProductInstallType"), "3");
    product->UnregisterObserver(&productWrites);
}

TEST_F(FirstLaunchCheckTest, SeparateProductStoreWithoutATypeRecordsTheGeneralStoresType)
{
    general->SetString("Version", "2-0");
    general->SetString("DateOfFirstStart", "Mon Jan 1 10:00:00 2024");
    EXPECT_EQ(App::FirstLaunchCheck::Run(*general, *product, false, "3-1", now), App::Application::Update);
    EXPECT_EQ(OnDisk(Product(), "ProductInstallType"), "3");
    EXPECT_FALSE(product->Contains("Version")) << "the version belongs to the checked store";
}

// Through the application: the running version, the real clock and the caches.

class LaunchDetection : public LaunchTest {};

TEST_F(LaunchDetection, FirstEverRunRecordsTheRunAndIsAFirstInstall)
{
    auto application = Launch(false);
    general->SetString("DateTime", STAMP);
    const QDateTime before = QDateTime::currentDateTime();

    EXPECT_EQ(application->GetLaunchType(), App::Application::FirstInstall);
    EXPECT_EQ(OnDisk(General(), "Version"), "3-1");
    EXPECT_EQ(OnDisk(General(), "IsRun"), "1");
    const QDateTime firstStart = QDateTime::fromString(OnDisk(General(), "DateOfFirstStart"), Qt::TextDate);
    ASSERT_TRUE(firstStart.isValid()) << OnDisk(General(), "DateOfFirstStart").toStdString();
    EXPECT_LE(std::abs(firstStart.secsTo(before)), 5);
    EXPECT_EQ(OnDisk(General(), "InstallDateTime"), QString::fromStdString(STAMP));
    EXPECT_EQ(OnDisk(General(), "ProductInstallType"), "1");
    EXPECT_TRUE(application->IsFirstLaunch());
}

TEST_F(LaunchDetection, SingleStoreIsCheckedOnceAndBothGettersAgree)
{
    auto application = Launch<CountingApplication>(false);
    EXPECT_EQ(application->GetLaunchType(), App::Application::FirstInstall);
    EXPECT_EQ(application->GetProductLaunchType(), App::Application::FirstInstall);
    EXPECT_EQ(application->GetLaunchType(), App::Application::FirstInstall);
    EXPECT_EQ(application->checked, std::vector<App::ISettingsManager*>{general.get()});
}

TEST_F(LaunchDetection, SeparateStoresAreCheckedOnceEachProductFirst)
{
    auto application = Launch<CountingApplication>(true);
    general->SetString("Version", "3-1");
    general->SetString("InstallDateTime", STAMP);
    product->SetString("DateTime", STAMP);

    EXPECT_EQ(application->GetLaunchType(), App::Application::Regular);
    EXPECT_EQ(application->GetProductLaunchType(), App::Application::FirstInstall);
    EXPECT_FALSE(application->IsFirstLaunch());
    EXPECT_TRUE(application->IsFirstProductLaunch());
    EXPECT_EQ(application->checked, (std::vector<App::ISettingsManager*>{product.get(), general.get()}));
}

TEST_F(LaunchDetection, DaysPassedCountsCalendarDays)
{
    auto application = Launch(true);
    EXPECT_EQ(application->GetDaysPassed(), 0) << "no first start yet";

    const QDateTime lateYesterday(QDate::currentDate().addDays(-1), QTime(23, 59));
    product->SetString("DateOfFirstStart", lateYesterday.toString(Qt::TextDate).toStdString());
    EXPECT_EQ(application->GetDaysPassed(), 1);

    const QDateTime tenDaysAgo(QDate::currentDate().addDays(-10), QTime(0, 1));
    product->SetString("DateOfFirstStart", tenDaysAgo.toString(Qt::TextDate).toStdString());
    EXPECT_EQ(application->GetDaysPassed(), 10);
}

struct FirstLaunchCase {
    App::Application::LaunchType type;
    bool first;
};

class IsFirstLaunchPerType : public LaunchTest, public ::testing::WithParamInterface<FirstLaunchCase> {};

TEST_P(IsFirstLaunchPerType, OnlyInstallationsAndUpdatesCountAsFirst)
{
    auto application = Launch<FixedTypeApplication>(true);
    application->type = GetParam().type;
    EXPECT_EQ(application->IsFirstLaunch(), GetParam().first);
    EXPECT_EQ(application->IsFirstProductLaunch(), GetParam().first);
}

std::string TypeName(const ::testing::TestParamInfo<FirstLaunchCase>& info)
{
    static const char* const names[] = {"", "FirstInstall", "Reinstall", "Update", "Regular"};
    return names[info.param.type];
}

void PrintTo(const FirstLaunchCase& value, std::ostream* out)
{
    *out << "type " << value.type;
}

INSTANTIATE_TEST_SUITE_P(Types, IsFirstLaunchPerType,
                         ::testing::Values(FirstLaunchCase{App::Application::FirstInstall, true},
                                           FirstLaunchCase{App::Application::Reinstall, false},
                                           FirstLaunchCase{App::Application::Update, true},
                                           FirstLaunchCase{App::Application::Regular, false}),
                         TypeName);

} // namespace Talvex::Test
