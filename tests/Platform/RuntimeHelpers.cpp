#include "Platform/Core/AppLocations.h"
#include "Platform/Core/DyLib.h"
#include "Platform/Core/IRefCountable.h"
#include "Platform/Core/Version.h"
#include "Platform/Core/WstringFromUtf8.h"
#include "Platform/Core/ioPath.h"
#include "Platform/Util/TextConversion.h"
#include "Platform/Util/VersionToString.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

using Talvex::ioPath;
using Talvex::Core::Version;

TEST(DynamicLibrary, LoadsARealLibraryAndAFailedOpenLeavesNothingLoaded)
{
    Talvex::Core::DyLib library;
    ASSERT_TRUE(library.Open(ioPath("libm.so.6")));
    const auto cosine = reinterpret_cast<double (*)(double)>(library.GetProc("cos"));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(library.GetProc("no_such_entry_point"), nullptr);
    EXPECT_FALSE(library.Open(ioPath("Shcore.dll")));
    EXPECT_EQ(library.GetProc("cos"), nullptr);
}

TEST(ApplicationLocations, ResourcesFollowTheEnvironmentOnEveryCall)
{
    auto& locations = Talvex::Core::AppLocations::GetLocations();
    ioPath resources, fonts;
    qputenv("TALVEX_RESOURCES_DIR", "/opt/Talvex/Ressourcen-ü");
    locations.GetResourcesPath(resources);
    locations.GetFontConfigPath(fonts);
    EXPECT_EQ(resources.utf8string(), "/opt/Talvex/Ressourcen-ü");
    EXPECT_EQ(fonts.utf8string(), "/opt/Talvex/Ressourcen-ü/fonts.conf");

    qunsetenv("TALVEX_RESOURCES_DIR");
    locations.GetResourcesPath(resources);
    EXPECT_EQ(resources.ToQString(), QCoreApplication::applicationDirPath() + "/resources");
}

TEST(VersionText, ParsesOnlyDottedNumbersAndPrintsTheRequestedParts)
{
    EXPECT_EQ(Version("1.2.3.4"), Version(1, 2, 3, 4));
    EXPECT_EQ(Version("7"), Version(7, 0));
    for (const char* bad : {"", "20..1", "1.2.3.4.5", "v1.2", "1.2 ", "1.", "-1", "99999999999"}) {
        Version result(9, 9, 9, 9);
        EXPECT_FALSE(Version::Parse(bad, result)) << bad;
        EXPECT_EQ(result, Version(9, 9, 9, 9)) << bad;
    }
    EXPECT_LT(Version(20, 1, 2), Version(20, 1, 10));

    using Talvex::Util::VersionToString;
    EXPECT_EQ(VersionToString(Version(20, 1, 2, 0), 0, "."), "20.1.2") << "zero drops trailing zeros";
    EXPECT_EQ(VersionToString(Version(3, 0), 0, "."), "3.0");
    EXPECT_EQ(VersionToString(Version(1, 0, 0, 5), 0, "."), "1.0.0.5");
    EXPECT_EQ(VersionToString(Version(20, 1, 2, 7), 3, "_"), "20_1_2");
}

TEST(PathText, JoiningPutsOneSeparatorBetweenPartsAndParentWalksUpToEmpty)
{
    EXPECT_EQ((ioPath("a/") / "/b").utf8string(), "a/b");
    EXPECT_EQ((ioPath("/") / "usr").utf8string(), "/usr");
    EXPECT_EQ((ioPath() / "b").utf8string(), "b");
    EXPECT_EQ((ioPath("a") / ioPath()).utf8string(), "a");
    EXPECT_EQ((ioPath("/opt") / std::string("x") / "y.conf").utf8string(), "/opt/x/y.conf");

    EXPECT_EQ(ioPath("/usr/lib/").parent_path(), ioPath("/usr"));
    EXPECT_EQ(ioPath("a//b").parent_path(), ioPath("a"));
    EXPECT_EQ(ioPath("file.txt").parent_path(), ioPath());
    EXPECT_EQ(ioPath("/usr").parent_path(), ioPath("/"));
    EXPECT_TRUE(ioPath("/").parent_path().empty()) << "walking upwards must end";
}

TEST(PathText, NonAsciiTextSurvivesEveryConversion)
{
    const std::string utf8 = "/home/Zoë/Vidéos/日本語/\xF0\x9F\x98\x80 clip.mp4";
    const ioPath path(utf8);
    EXPECT_EQ(path.utf8string(), utf8);
    EXPECT_EQ(ioPath(path.wstring()), path);
    EXPECT_EQ(path.wstring(), Talvex::Core::WstringFromUtf8(utf8));
    EXPECT_EQ(path.ToQString(), QString::fromUtf8(utf8.c_str()));
    EXPECT_EQ(Talvex::FromQString(path.ToQString()), path);
    EXPECT_EQ(path.parent_path().parent_path().utf8string(), "/home/Zoë/Vidéos");
}

#if defined(__GNUC__) && !defined(_WIN32)
// Objects counted across module boundaries share the table of virtual operations, so
// its layout is a contract. Under the Itanium ABI a pointer to a virtual operation holds
// its byte offset in the table plus one; the destructor's two entries come first.
TEST(ReferenceCounting, VirtualTableStartsWithTheDestructorThenAddRefGetRefCountRelease)
{
    const auto offset = [](auto member) {
        std::ptrdiff_t raw = 0;
        std::memcpy(&raw, &member, sizeof raw);
        return (raw - 1) / static_cast<std::ptrdiff_t>(sizeof(void*));
    };
    EXPECT_EQ(offset(&Talvex::IRefCountable::AddRef), 2);
    EXPECT_EQ(offset(&Talvex::IRefCountable::GetRefCount), 3);
    EXPECT_EQ(offset(&Talvex::IRefCountable::Release), 4);
}
#endif

// Every length around the four-unit steps and the short-text limit, with one non-ASCII character (one whose low
// byte looks like ASCII too) at every position or none.
TEST(TextConversion, TextOfEveryLengthWithNonAsciiAnywhereConvertsBothWaysAndReusedBuffersSpareCopies)
{
    QString buffer;
    for (const char* foreign : {"\xC3\xA9", "\xC4\x80"}) {
        for (std::size_t length : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 63, 64, 65, 66}) {
            for (std::size_t at = 0; at <= length; ++at) {
                std::string text;
                for (std::size_t i = 0; i < length; ++i) {
                    text += i == at ? std::string(foreign) : std::string(1, static_cast<char>('a' + i % 26));
                }
                const QString expected = QString::fromUtf8(text.data(), static_cast<int>(text.size()));
                EXPECT_EQ(Talvex::Util::Utf8ToQString(text), expected) << text;
                Talvex::Util::Utf8ToQString(text, buffer);
                EXPECT_EQ(buffer, expected) << text;
                EXPECT_EQ(Talvex::Util::QStringToUtf8(expected), text);
            }
        }
    }
    Talvex::Util::Utf8ToQString("group_001/setting_key_1", buffer);
    const QString kept = buffer;
    Talvex::Util::Utf8ToQString("other", buffer);
    EXPECT_EQ(kept, "group_001/setting_key_1");
    EXPECT_EQ(buffer, "other");
}
