#include "ThemeFixture.h"

#include <QDateTime>
#include <QStandardPaths>

#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::Test {
namespace {

const std::string SHARED_A = "QWidget { color: red; } /* A */\n";
const std::string SHARED_B = "QWidget { color: blue; } /* B */\n";

class StyleSheetCaching : public ThemeFixture {
protected:
    void SetUp() override
    {
        // The cache folder is the process's, shared by every test of the suite.
        QDir(Folder()).removeRecursively();
        AddTheme("Light", {"Base"});
        AddBundle("Light", "SharedA", "Shared");
    }

    static QString Folder()
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + "/Talvex/StyleSheets";
    }

    static QStringList Entries()
    {
        return QDir(Folder()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    }

    std::string ShowLight()
    {
        MakeManager({"Base", "Shared"}).SetTheme("Light");
        return manager->GetUnitedStylesheet();
    }

    // Gives the one entry another text, with a header that matches it, as an entry
    // written by another run would have: after the 8-byte mark and the 8-byte key comes
    // the text's length in bytes (UTF-8).
    static void RewriteEntry(const QByteArray& text)
    {
        const QStringList entries = Entries();
        ASSERT_EQ(entries.size(), 1);
        QFile file(Folder() + "/" + entries.first());
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray header = file.read(16);
        const std::uint64_t size = static_cast<std::uint64_t>(text.size());
        header.append(reinterpret_cast<const char*>(&size), 8);
        ASSERT_TRUE(file.resize(0) && file.seek(0));
        ASSERT_EQ(file.write(header + text), header.size() + text.size());
    }
};

} // namespace

// A later start shows the kept sheet without building it, and only while the theme's
// bytes are the same: a bundle replaced under the same name is built afresh.
TEST_F(StyleSheetCaching, KeptSheetServesTheNextStartUntilTheBundleChanges)
{
    const std::string built = ShowLight();
    EXPECT_THAT(built, ::testing::HasSubstr(SHARED_A));
    ASSERT_EQ(Entries().size(), 1);

    RewriteEntry("/* kept */");
    EXPECT_EQ(ShowLight(), "/* kept */") << "the entry was not used";

    ReleaseManager();
    ASSERT_TRUE(QFile::remove(root.filePath("resources/themes/Light/Shared.rcc")));
    AddBundle("Light", "SharedB", "Shared");
    const std::string rebuilt = ShowLight();
    EXPECT_THAT(rebuilt, ::testing::HasSubstr(SHARED_B));
    EXPECT_THAT(rebuilt, ::testing::Not(::testing::HasSubstr("kept")));
    EXPECT_EQ(Entries().size(), 1) << "a changed theme replaces its entry";

    // Another language is another entry; the first one stays.
    ShipLocales({"de_DE"});
    MakeManager({"Base", "Shared"}).Initialize("de_DE", "Light");
    EXPECT_THAT(manager->GetUnitedStylesheet(), ::testing::HasSubstr(SHARED_B));
    EXPECT_EQ(Entries().size(), 2);
    EXPECT_EQ(ShowLight(), rebuilt);
    EXPECT_EQ(log.Count(google::GLOG_WARNING, "Style sheets"), 0);
}

// Whatever sits at an entry's name, cut short, garbled, a link, a FIFO or a folder, the
// sheet shown is the one the theme builds, and nothing blocks.
TEST_F(StyleSheetCaching, DamagedOrPlantedEntriesAreNeverShown)
{
    const std::string built = ShowLight();
    ASSERT_EQ(Entries().size(), 1);
    const QString entry = Folder() + "/" + Entries().first();
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray kept = file.readAll();
    file.close();
    const QString elsewhere = root.filePath("elsewhere");

    const auto plant = [&](const std::function<void()>& make) {
        ReleaseManager();
        QFile::remove(entry);
        QDir(entry).removeRecursively();
        make();
        EXPECT_EQ(ShowLight(), built);
    };
    const auto write = [&](const QString& path, const QByteArray& bytes) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
    };
    plant([&] { write(entry, kept.left(kept.size() - 3)); });
    plant([&] { write(entry, QByteArray(kept.size(), 'x')); });
    plant([&] { write(entry, kept.left(32) + QByteArray(kept.size() - 32, '\0')); });
    // A block of the text lost to a crash of the machine, with the header intact.
    plant([&] { write(entry, kept.left(kept.size() - kept.size() / 4) + QByteArray(kept.size() / 4, '\0')); });
    plant([&] { write(entry, QByteArray()); });
    plant([&] {
        write(entry, kept);
        RewriteEntry("/* linked */");
        ASSERT_TRUE(QFile::rename(entry, elsewhere));
        ASSERT_TRUE(QFile::link(elsewhere, entry));
    });
    plant([&] { ASSERT_EQ(::mkfifo(QFile::encodeName(entry).constData(), 0600), 0); });
    plant([&] {
        write(entry, kept);
        RewriteEntry("/* open to the group */");
        ASSERT_EQ(::chmod(QFile::encodeName(entry).constData(), 0660), 0);
    });
    plant([&] { ASSERT_TRUE(QDir().mkpath(entry + "/inside")); });
    EXPECT_EQ(log.Count(google::GLOG_WARNING, "Style sheets are not kept"), 1) << "a folder at the name";
    EXPECT_TRUE(QFileInfo(entry + "/inside").isDir());

    // What writers stopped in the middle left behind goes with the next entry written,
    // once it is old enough to be nobody's: a link or a folder under such a name stays.
    QDir(entry).removeRecursively();
    const QString abandoned = entry + ".new-1-1";
    const QString recent = entry + ".new-2-1";
    write(abandoned, "half");
    write(recent, "half");
    ASSERT_TRUE(QFile::link(elsewhere, entry + ".new-3-1"));
    const QDateTime old = QDateTime::currentDateTime().addSecs(-3600);
    for (const QString& path : {abandoned, entry + ".new-3-1"}) {
        const QByteArray name = QFile::encodeName(path);
        const timespec times[2] = {{old.toSecsSinceEpoch(), 0}, {old.toSecsSinceEpoch(), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, name.constData(), times, AT_SYMLINK_NOFOLLOW), 0);
    }
    EXPECT_EQ(ShowLight(), built);
    EXPECT_FALSE(QFileInfo::exists(abandoned));
    EXPECT_TRUE(QFileInfo::exists(recent));
    EXPECT_TRUE(QFileInfo(entry + ".new-3-1").isSymLink());
}

// What else the sheet is built from is part of the key: the accent colour the desktop
// gives replaces the theme's own, start after start.
TEST_F(StyleSheetCaching, AccentColourChangeIsNeverServedFromAnOlderSheet)
{
    AddBundle("Light", "Accent", "Accent");
    const auto show = [&](const QColor& accent) {
        MakeManager({"Base", "Shared", "Accent"}).SetSystemAccentColor(accent);
        manager->SetTheme("Light");
        return manager->GetUnitedStylesheet();
    };
    EXPECT_THAT(show(QColor()), ::testing::HasSubstr("background: #123456;"));
    EXPECT_THAT(show(QColor("#abcdef")), ::testing::HasSubstr("background: #abcdef;"));
    EXPECT_THAT(show(QColor("#fedcba")), ::testing::HasSubstr("background: #fedcba;"));
    EXPECT_THAT(show(QColor()), ::testing::HasSubstr("background: #123456;"));
}

// The folder is checked on every use, not only when the run first makes it: one swapped
// for a link during the run (to a folder of ours, holding an entry that would match) is
// never read.
TEST_F(StyleSheetCaching, FolderSwappedForALinkDuringTheRunIsNotRead)
{
    const std::string built = ShowLight();
    RewriteEntry("/* planted */");
    const QString moved = root.filePath("moved");
    ASSERT_TRUE(QDir().rename(Folder(), moved));
    ASSERT_TRUE(QFile::link(moved, Folder()));
    EXPECT_EQ(ShowLight(), built);
    EXPECT_EQ(ShowLight(), built);
    EXPECT_EQ(log.Count(google::GLOG_WARNING, "Style sheets are built afresh"), 1);
    QFile::remove(Folder());
}

// A cache folder that is not ours keeps nothing, says so once, and costs no sheet.
TEST_F(StyleSheetCaching, FolderNotOursKeepsNothing)
{
    // A cache location of this test's own, which the run has not used yet.
    const QByteArray cacheHome = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root.filePath("cache")));
    const QString target = root.filePath("someone-elses");
    ASSERT_TRUE(QDir().mkpath(target));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(Folder()).absolutePath()));
    ASSERT_TRUE(QFile::link(target, Folder()));
    const std::string first = ShowLight();
    EXPECT_THAT(first, ::testing::HasSubstr(SHARED_A));
    EXPECT_EQ(ShowLight(), first);
    EXPECT_TRUE(QDir(target).isEmpty());
    EXPECT_EQ(log.Count(google::GLOG_WARNING, "Style sheets are built afresh"), 1);
    qputenv("XDG_CACHE_HOME", cacheHome);
}

} // namespace Talvex::Test
