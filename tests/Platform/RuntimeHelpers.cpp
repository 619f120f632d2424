#include "Platform/Core/AppLocations.h"
#include "Platform/Core/DyLib.h"
#include "Platform/Core/RefCountImpl.h"
#include "Platform/Core/Version.h"
#include "Platform/Util/FontDatabase.h"
#include "Platform/Util/IsProcessRunning.h"
#include "Platform/Util/VersionToString.h"

#include "common/LogCapture.h"

#include <QCoreApplication>
#include <QProcess>

#include <boost/intrusive_ptr.hpp>
#include <gtest/gtest.h>

using Talvex::ioPath;
using Talvex::Core::Version;

TEST(DynamicLibrary, LoadsARealLibraryAndFailsCleanlyOtherwise)
{
    Talvex::Core::DyLib library;
    EXPECT_EQ(library.GetProc("cos"), nullptr) << "nothing loaded yet";
    ASSERT_TRUE(library.Open(ioPath("libm.so.6")));
    const auto cosine = reinterpret_cast<double (*)(double)>(library.GetProc("cos"));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(library.GetProc("no_such_entry_point"), nullptr);

    EXPECT_FALSE(library.Open(ioPath("Shcore.dll")));
    EXPECT_EQ(library.GetProc("cos"), nullptr) << "a failed open leaves nothing loaded";
    EXPECT_FALSE(library.Open(ioPath()));
}

TEST(ApplicationLocations, ResourcesFollowTheEnvironmentOnEveryCall)
{
    const QByteArray saved = qgetenv("TALVEX_RESOURCES_DIR");
    auto& locations = Talvex::Core::AppLocations::GetLocations();
    EXPECT_EQ(&locations, &Talvex::Core::AppLocations::GetLocations());

    ioPath resources, fonts;
    qputenv("TALVEX_RESOURCES_DIR", "/opt/Talvex/Ressourcen-ü");
    locations.GetResourcesPath(resources);
    locations.GetFontConfigPath(fonts);
    EXPECT_EQ(resources.utf8string(), "/opt/Talvex/Ressourcen-ü");
    EXPECT_EQ(fonts.utf8string(), "/opt/Talvex/Ressourcen-ü/fonts.conf");

    qunsetenv("TALVEX_RESOURCES_DIR");
    locations.GetResourcesPath(resources);
    locations.GetFontConfigPath(fonts);
    EXPECT_EQ(resources.ToQString(), QCoreApplication::applicationDirPath() + "/resources");
    EXPECT_EQ(fonts.parent_path(), resources);

    if (!saved.isNull()) {
        qputenv("TALVEX_RESOURCES_DIR", saved);
    }
}

TEST(VersionText, ParsesDottedNumbersAndRejectsAnythingElse)
{
    EXPECT_EQ(Version("20.1.2"), Version(20, 1, 2, 0));
    EXPECT_EQ(Version("7"), Version(7, 0));
    EXPECT_EQ(Version("1.2.3.4"), Version(1, 2, 3, 4));
    for (const char* bad : {"", "20..1", "1.2.3.4.5", "v1.2", "1.2 ", "1.", "-1", "99999999999"}) {
        Version result(9, 9, 9, 9);
        EXPECT_FALSE(Version::Parse(bad, result)) << bad;
        EXPECT_EQ(result, Version(9, 9, 9, 9)) << bad;
        EXPECT_EQ(Version(std::string(bad)), Version()) << bad;
    }
    EXPECT_LT(Version(20, 1, 2), Version(20, 1, 10));
}

TEST(VersionText, DetailPicksHowManyPartsAndZeroDropsTrailingZeros)
{
    const Version version(20, 1, 2, 7);
    EXPECT_EQ(Talvex::Util::VersionToString(version, 0, "."), "20.1.2.7");
    EXPECT_EQ(Talvex::Util::VersionToString(Talvex::Core::Version("20.1.2"), 0, "."), "20.1.2");
    EXPECT_EQ(Talvex::Util::VersionToString(Talvex::Core::Version("3.1"), 0, "."), "3.1");
    EXPECT_EQ(Talvex::Util::VersionToString(Talvex::Core::Version("3"), 0, "."), "3.0");
    EXPECT_EQ(Talvex::Util::VersionToString(version, 1, "."), "20");
    EXPECT_EQ(Talvex::Util::VersionToString(version, 3, "_"), "20_1_2");
    EXPECT_EQ(Talvex::Util::VersionToString(version, 9, ", "), "20, 1, 2, 7");
    EXPECT_EQ(Talvex::Util::VersionToString(Version(), -1, "."), "0.0");
    EXPECT_EQ(Talvex::Util::VersionToString(Version(1, 0, 0, 5), 0, "."), "1.0.0.5") << "only trailing zeros go";
}

TEST(ProcessCheck, MatchesPidAndExecutableTogether)
{
    const auto self = static_cast<unsigned long>(QCoreApplication::applicationPid());
    EXPECT_TRUE(Talvex::Util::IsProcessRunning(self, QCoreApplication::applicationFilePath()));
    EXPECT_FALSE(Talvex::Util::IsProcessRunning(self, QStringLiteral(TALVEX_HELPER)));
    EXPECT_FALSE(Talvex::Util::IsProcessRunning(self, QString()));
    EXPECT_FALSE(Talvex::Util::IsProcessRunning(0, QCoreApplication::applicationFilePath()));

    QProcess child;
    child.start(QStringLiteral(TALVEX_HELPER), {QStringLiteral("exit")});
    ASSERT_TRUE(child.waitForStarted(10000));
    const auto pid = static_cast<unsigned long>(child.processId());
    ASSERT_TRUE(child.waitForFinished(10000));
    EXPECT_FALSE(Talvex::Util::IsProcessRunning(pid, QStringLiteral(TALVEX_HELPER)));
}

namespace {

class Counted : public Talvex::RefCounted<Talvex::IRefCountable> {
public:
    explicit Counted(int& deletions) : deletions(deletions) {}
    ~Counted() override { ++deletions; }

private:
    int& deletions;
};

} // namespace

TEST(ReferenceCounting, IntrusivePointersDeleteExactlyOnceAfterTheLastOwner)
{
    int deletions = 0;
    boost::intrusive_ptr<Counted> first(new Counted(deletions));
    EXPECT_EQ(first->GetRefCount(), 1u);
    {
        boost::intrusive_ptr<Counted> second = first;
        boost::intrusive_ptr<const Talvex::IRefCountable> asBase(second);
        EXPECT_EQ(first->GetRefCount(), 3u);
    }
    EXPECT_EQ(first->GetRefCount(), 1u);
    EXPECT_EQ(deletions, 0);
    first.reset();
    EXPECT_EQ(deletions, 1);
}

TEST(FontRegistration, FileThatIsNoFontIsRefusedAndLogged)
{
    Talvex::Test::LogCapture log;
    EXPECT_EQ(Talvex::Util::FontDatabase::addApplicationFont(QStringLiteral("/nonexistent/Font.ttf")), -1);
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "/nonexistent/Font.ttf"));
}
