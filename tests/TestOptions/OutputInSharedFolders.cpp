// Where the test options write when another local user can reach the place: planted
// links, FIFOs and folders open to others.
#include "ApplicationWithOptions.h"

#include "App/Application/TestOptions.h"

#include <QDesktopServices>
#include <QUrl>

#include <gmock/gmock.h>

#include <sys/stat.h>
#include <unistd.h>

namespace Talvex::Test {
namespace {

class OutputInSharedFolders : public ApplicationWithOptions {
protected:
    OutputInSharedFolders()
    {
        resources.WriteLinks(Read(QStringLiteral(TALVEX_LINKS_TABLE)));
        Victim(QStringLiteral("victim-list"));
        Victim(QStringLiteral("victim-log"));
    }

    // Starts with the URL log and the address list, both into `folder`.
    void StartWritingInto(const QString& folder)
    {
        Make({QStringLiteral("--test-urls-log"), QStringLiteral("--test-list-urls"),
              QStringLiteral("--test-output-dir=") + folder});
        application->SetLookAndFeel(LookAndFeelIn(Path(QStringLiteral("look")), "en_US"));
        application->Start();
    }

    void Victim(const QString& name) const
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("precious\n") == 9);
    }

    void Plant(const QString& name, const QString& target) const
    {
        ASSERT_EQ(::symlink(QFile::encodeName(Path(target)).constData(), QFile::encodeName(name).constData()), 0);
    }

    QString OwnFolder(const QString& name) const
    {
        const QString folder = Path(name);
        EXPECT_EQ(::mkdir(QFile::encodeName(folder).constData(), 0700), 0);
        return folder;
    }

    bool Logged(google::LogSeverity severity, const QString& text) const
    {
        return log.Contains(severity, text.toStdString());
    }

    ResourcesFolder resources;
};

TEST_F(OutputInSharedFolders, FolderOthersCanWriteGivesWayToTheTemporaryFolderAndItsLinksAreNeverFollowed)
{
    const QString shared = Path(QStringLiteral("shared"));
    ASSERT_EQ(::mkdir(QFile::encodeName(shared).constData(), 0700), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0777), 0);
    Plant(shared + QStringLiteral("/product-urls.txt"), QStringLiteral("victim-list"));
    Plant(shared + QStringLiteral("/urls.log"), QStringLiteral("victim-log"));

    StartWritingInto(shared);
    QDesktopServices::openUrl(QUrl(QStringLiteral("https://product.example/after-start")));

    EXPECT_EQ(Read(Path(QStringLiteral("victim-list"))), "precious\n");
    EXPECT_EQ(Read(Path(QStringLiteral("victim-log"))), "precious\n");
    EXPECT_TRUE(Logged(google::GLOG_ERROR, shared + QStringLiteral(" is open to other users")));
    EXPECT_TRUE(Logged(google::GLOG_ERROR, QStringLiteral("--test-output-dir is ignored")));
    const App::TestOptions& options = application->GetTestOptions();
    EXPECT_FALSE(options.IsSet(QStringLiteral("test-output-dir")));
    const QString fallback = options.OutputDir();
    EXPECT_EQ(fallback, QDir(application->GetApplicationTemporaryFilesDir()).absolutePath());
    EXPECT_THAT(Read(fallback + QStringLiteral("/product-urls.txt")).toStdString(), ::testing::StartsWith("1\t"));
    EXPECT_EQ(Read(fallback + QStringLiteral("/urls.log")), "https://product.example/after-start\n");
}

// What a test script's mkdir gives under a user-private-group umask (002).
TEST_F(OutputInSharedFolders, FolderOfOursOnlyOurGroupMayWriteIsClosedToTheGroupAndUsed)
{
    const QString out = OwnFolder(QStringLiteral("out"));
    ASSERT_EQ(::chmod(QFile::encodeName(out).constData(), 0775), 0);

    StartWritingInto(out);

    EXPECT_EQ(application->GetTestOptions().OutputDir(), out);
    EXPECT_FALSE(Logged(google::GLOG_ERROR, QStringLiteral("--test-output-dir is ignored")));
    EXPECT_EQ(QFileInfo(out).permissions() & QFileDevice::WriteGroup, QFileDevice::Permissions());
    EXPECT_THAT(Read(out + QStringLiteral("/product-urls.txt")).toStdString(), ::testing::StartsWith("1\t"));
}

// Another user may rename a folder of ours in a folder it may write, and put a link in
// its place; a sticky bit (as on the system's temporary folder) forbids that.
TEST_F(OutputInSharedFolders, FolderInsideAFolderOthersCanChangeIsRefusedUnlessTheStickyBitGuardsIt)
{
    const QString shared = OwnFolder(QStringLiteral("shared"));
    const QString run = shared + QStringLiteral("/run1");
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0777), 0);
    StartWritingInto(run);
    EXPECT_TRUE(Logged(google::GLOG_ERROR,
                       run + QStringLiteral(" lies where ") + shared + QStringLiteral(" is open to other users")));
    EXPECT_TRUE(Logged(google::GLOG_ERROR, QStringLiteral("--test-output-dir is ignored")));
    EXPECT_FALSE(QFileInfo::exists(run));
    EXPECT_NE(application->GetTestOptions().OutputDir(), run);

    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    StartWritingInto(run);
    EXPECT_EQ(application->GetTestOptions().OutputDir(), run);
    EXPECT_THAT(Read(run + QStringLiteral("/product-urls.txt")).toStdString(), ::testing::StartsWith("1\t"));

    // A link of ours on the way is followed, and the folder it leads to is judged.
    const QString via = Path(QStringLiteral("via"));
    ASSERT_TRUE(QFile::link(shared, via));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0777), 0);
    StartWritingInto(via + QStringLiteral("/run2"));
    EXPECT_TRUE(Logged(google::GLOG_ERROR, via + QStringLiteral("/run2 lies where ") +
                                               QFileInfo(shared).canonicalFilePath() +
                                               QStringLiteral(" is open to other users")));
}

// A test script's umask must not leave the folders on the way open to other users.
TEST_F(OutputInSharedFolders, MissingFoldersOnTheWayAreMadeOwnerOnlyWhateverTheUmask)
{
    struct UmaskGuard {
        mode_t previous = ::umask(0);
        ~UmaskGuard() { ::umask(previous); }
    } umaskGuard;
    const QString out = Path(QStringLiteral("new/deeper/out"));

    StartWritingInto(out);

    EXPECT_EQ(application->GetTestOptions().OutputDir(), out);
    for (const QString& level : {Path(QStringLiteral("new")), Path(QStringLiteral("new/deeper")), out}) {
        struct stat status {};
        ASSERT_EQ(::lstat(QFile::encodeName(level).constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0700u) << level.toStdString();
    }
}

TEST_F(OutputInSharedFolders, PlantedLinkAndFifoAreRefusedWithoutWaitingAndTheLinksAreDroppedAloud)
{
    const QString out = OwnFolder(QStringLiteral("out"));
    Plant(out + QStringLiteral("/urls.log"), QStringLiteral("victim-log"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(out + QStringLiteral("/product-urls.txt")).constData(), 0600), 0);

    StartWritingInto(out);
    QDesktopServices::openUrl(QUrl(QStringLiteral("https://product.example/after-start")));

    EXPECT_EQ(Read(Path(QStringLiteral("victim-log"))), "precious\n");
    EXPECT_TRUE(
        Logged(google::GLOG_ERROR, out + QStringLiteral("/urls.log is a symbolic link; every link will be dropped")));
    EXPECT_TRUE(Logged(google::GLOG_ERROR, out + QStringLiteral("/product-urls.txt is not a regular file; "
                                                                "--test-list-urls is ignored")));
    EXPECT_FALSE(Logged(google::GLOG_INFO, QStringLiteral("links are logged to")));
}

TEST_F(OutputInSharedFolders, UrlLogIsAnnouncedOnlyOnceItOpenedAndOtherwiseAnErrorNamesIt)
{
    const QString out = OwnFolder(QStringLiteral("out"));
    ASSERT_TRUE(QDir(out).mkdir(QStringLiteral("urls.log")));
    Make({QStringLiteral("--test-urls-log"), QStringLiteral("--test-output-dir=") + out});
    application->Start();

    EXPECT_TRUE(Logged(google::GLOG_ERROR, out + QStringLiteral("/urls.log cannot be opened")));
    EXPECT_TRUE(Logged(google::GLOG_ERROR, QStringLiteral("every link will be dropped, neither logged nor opened")));
    EXPECT_FALSE(Logged(google::GLOG_INFO, QStringLiteral("links are logged to")));
}

} // namespace
} // namespace Talvex::Test
