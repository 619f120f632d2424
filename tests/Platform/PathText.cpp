#include "Platform/Core/WstringFromUtf8.h"
#include "Platform/Core/ioPath.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using Talvex::ioPath;

TEST(PathText, JoiningPutsExactlyOneSeparatorBetweenTheParts)
{
    EXPECT_EQ((ioPath("a") / "b").utf8string(), "a/b");
    EXPECT_EQ((ioPath("a/") / "b").utf8string(), "a/b");
    EXPECT_EQ((ioPath("a/") / "/b").utf8string(), "a/b");
    EXPECT_EQ((ioPath("/") / "usr").utf8string(), "/usr");
    EXPECT_EQ((ioPath() / "b").utf8string(), "b");
    EXPECT_EQ((ioPath("a") / ioPath()).utf8string(), "a");
    EXPECT_EQ((ioPath("/opt") / std::string("x") / "y.conf").utf8string(), "/opt/x/y.conf");
}

TEST(PathText, ParentDropsTheLastComponentAndEndsEmpty)
{
    EXPECT_EQ(ioPath("/usr/lib/libm.so").parent_path(), ioPath("/usr/lib"));
    EXPECT_EQ(ioPath("/usr/lib/").parent_path(), ioPath("/usr"));
    EXPECT_EQ(ioPath("a//b").parent_path(), ioPath("a"));
    EXPECT_EQ(ioPath("/usr").parent_path(), ioPath("/"));
    EXPECT_EQ(ioPath("file.txt").parent_path(), ioPath());

    // Walking upwards from anywhere must terminate.
    ioPath walker("/a/b/c");
    int steps = 0;
    while (!walker.empty() && steps < 10) {
        walker = walker.parent_path();
        ++steps;
    }
    EXPECT_EQ(steps, 4);
}

TEST(PathText, MakePreferredWorksInPlaceAndChains)
{
    ioPath path("dir/sub/file");
    ioPath& result = path.make_preferred();
    EXPECT_EQ(&result, &path);
    EXPECT_EQ(path.parent_path().utf8string(), "dir/sub");
#ifndef Q_OS_WIN
    EXPECT_EQ(ioPath("a\\b").make_preferred().utf8string(), "a\\b") << "a backslash is a file-name character here";
#endif
}

TEST(PathText, NonAsciiTextSurvivesEveryConversion)
{
    const std::string utf8 = "/home/Zoë/Vidéos/日本語/\xF0\x9F\x98\x80 clip.mp4";
    const ioPath path(utf8);

    EXPECT_EQ(path.utf8string(), utf8);
    EXPECT_EQ(ioPath(path.wstring()), path);
    EXPECT_EQ(path.wstring(), Talvex::Core::WstringFromUtf8(utf8));
    EXPECT_EQ(path.wstring().back(), L'4');
    EXPECT_EQ(path.ToQString(), QString::fromUtf8(utf8.c_str()));
    EXPECT_EQ(Talvex::FromQString(path.ToQString()), path);
    EXPECT_EQ(path.parent_path().parent_path().utf8string(), "/home/Zoë/Vidéos");

    ioPath assigned;
    assigned = utf8.c_str();
    EXPECT_EQ(assigned, path);
}

TEST(PathText, CreatesAndFindsFoldersOnDisk)
{
    QTemporaryDir temp;
    const ioPath nested = ioPath(temp.path()) / "één" / "twee";
    EXPECT_FALSE(nested.exists());
    EXPECT_TRUE(nested.create_directories());
    EXPECT_TRUE(nested.exists());
    EXPECT_TRUE(nested.create_directories()) << "an existing folder is success";
    EXPECT_EQ(nested.platformString(), nested.utf8string());
    EXPECT_FALSE(ioPath().exists());
}
