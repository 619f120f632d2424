#include "Platform/Native/OwnedFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Talvex::Native::OpenOwnedFileForWriting;

class OwnedFileOpening : public ::testing::Test {
protected:
    QString Path(const char* name) const { return folder.filePath(QLatin1String(name)); }
    QByteArray Encoded(const char* name) const { return QFile::encodeName(Path(name)); }

    void Write(const char* name, const QByteArray& text) const
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    }

    QByteArray Read(const char* name) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    }

    QTemporaryDir folder;
};

TEST_F(OwnedFileOpening, EmptiesOurRegularFileAndCreatesAMissingOne)
{
    Write("ours.txt", "from an earlier run\n");
    for (const char* name : {"ours.txt", "new.txt"}) {
        QFile file(Path(name));
        QString problem;
        ASSERT_TRUE(OpenOwnedFileForWriting(file, &problem)) << name << ": " << problem.toStdString();
        EXPECT_TRUE(file.isWritable());
        EXPECT_EQ(file.write("fresh\n"), 6);
        file.close();
        EXPECT_EQ(Read(name), "fresh\n");
    }
}

TEST_F(OwnedFileOpening, RefusesAnythingButOurOwnSingleNamedRegularFileAndChangesNothing)
{
    Write("victim.txt", "precious\n");
    ASSERT_EQ(::symlink(Encoded("victim.txt").constData(), Encoded("link").constData()), 0);
    ASSERT_EQ(::link(Encoded("victim.txt").constData(), Encoded("hard").constData()), 0);
    ASSERT_EQ(::mkfifo(Encoded("fifo").constData(), 0600), 0);
    ASSERT_EQ(::mkfifo(Encoded("read-fifo").constData(), 0600), 0);
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder")));
    // With a reader waiting, the open itself succeeds; only the check after it refuses.
    const int reader = ::open(Encoded("read-fifo").constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);

    const std::pair<const char*, const char*> cases[] = {{"link", "is a symbolic link"},
                                                         {"hard", "has other names"},
                                                         {"fifo", "is not a regular file"},
                                                         {"read-fifo", "is not a regular file"},
                                                         {"folder", "cannot be opened"}};
    for (const auto& [name, expected] : cases) {
        QFile file(Path(name));
        QString problem;
        EXPECT_FALSE(OpenOwnedFileForWriting(file, &problem)) << name;
        EXPECT_THAT(problem.toStdString(), ::testing::HasSubstr(expected)) << name;
        EXPECT_FALSE(file.isOpen()) << name;
    }
    ::close(reader);
    EXPECT_EQ(Read("victim.txt"), "precious\n");

    if (::geteuid() == 0) {
        Write("theirs.txt", "theirs\n");
        ASSERT_EQ(::chown(Encoded("theirs.txt").constData(), 65534, 65534), 0);
        QFile file(Path("theirs.txt"));
        QString problem;
        EXPECT_FALSE(OpenOwnedFileForWriting(file, &problem));
        EXPECT_EQ(problem.toStdString(), "belongs to another user");
        EXPECT_EQ(Read("theirs.txt"), "theirs\n");
    }
}

} // namespace
