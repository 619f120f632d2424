#include "Platform/Util/MountedResourceBundle.h"
#include "Platform/Util/ResourceBundleCheck.h"

#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using Talvex::Util::MountedResourceBundle;
using Talvex::Util::ResourceBundleCheck;

namespace {

QByteArray RealBundle()
{
    QFile file(QStringLiteral(TALVEX_TEST_CHECK_BUNDLE));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What a product does with a bundle once the check let it through: mount it from the
// checked bytes in memory and read every file in it. Returns what the files held, one
// after the other. Qt trusts a bundle in memory further than one it maps by name, and
// the address checker sees reads past a heap buffer where it cannot past a mapping.
QByteArray RegisterAndReadAll(const QByteArray& bundle, const QString& scratch)
{
    const QString path = scratch + QStringLiteral("/bundle.rcc");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bundle) != bundle.size()) {
        ADD_FAILURE() << "cannot write " << path.toStdString();
        return QByteArray();
    }
    file.close();
    QByteArray content;
    if (auto mounted = MountedResourceBundle::Mount(path, QStringLiteral("/fuzzed"))) {
        for (QDirIterator it(QStringLiteral(":/fuzzed"), QDirIterator::Subdirectories); it.hasNext();) {
            QFile entry(it.next());
            if (entry.open(QIODevice::ReadOnly)) {
                content += entry.readAll();
            }
        }
    }
    return content;
}

} // namespace

TEST(ResourceBundleValidation, ARealBundlePassesAndEveryTruncationOfItFails)
{
    const QByteArray bundle = RealBundle();
    ASSERT_GT(bundle.size(), 100);
    QString problem;
    EXPECT_TRUE(ResourceBundleCheck::IsWellFormed(bundle, &problem)) << problem.toStdString();
    for (int size = 0; size < bundle.size(); ++size) {
        EXPECT_FALSE(ResourceBundleCheck::IsWellFormed(bundle.left(size))) << "truncated to " << size;
    }
    // Qt refuses unknown header flags only after mapping the file, and keeps the mapping.
    QByteArray flagged = bundle;
    flagged[23] = char(flagged[23] | 0x02);
    EXPECT_FALSE(ResourceBundleCheck::IsWellFormed(flagged));
    EXPECT_FALSE(ResourceBundleCheck::IsWellFormedFile(QStringLiteral("/nonexistent/bundle.rcc"), &problem));
    EXPECT_FALSE(problem.isEmpty());
}

// Anyone may plant something under a bundle's name; opening a FIFO to read it would
// wait for a writer for ever.
TEST(ResourceBundleValidation, OnlyRegularFilesAreReadAndTheyGiveTheBytesThatWereChecked)
{
    QTemporaryDir scratch;
    const QString fifo = scratch.filePath(QStringLiteral("planted.rcc"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QString problem;
    EXPECT_FALSE(ResourceBundleCheck::IsWellFormedFile(fifo, &problem));
    EXPECT_EQ(problem.toStdString(), "not a regular file");
    EXPECT_FALSE(ResourceBundleCheck::IsWellFormedFile(scratch.path()));

    QFile real(scratch.filePath(QStringLiteral("real.rcc")));
    ASSERT_TRUE(real.open(QIODevice::WriteOnly) && real.write(RealBundle()) > 100);
    real.close();
    EXPECT_EQ(ResourceBundleCheck::ReadWellFormedFile(real.fileName()), RealBundle());
}

// Whatever the check lets through must be safe to register and read; the sanitizer
// build turns any read outside the file into a failure.
TEST(ResourceBundleValidation, DamagedBundlesThatPassAreSafeToRegisterAndRead)
{
    const QByteArray bundle = RealBundle();
    QTemporaryDir scratch;
    QRandomGenerator random(20261206);
    int rejected = 0;
    for (int round = 0; round < 400; ++round) {
        QByteArray damaged = bundle;
        for (int flips = 1 + random.bounded(3); flips > 0; --flips) {
            char& byte = damaged.data()[random.bounded(damaged.size())];
            byte = char(byte ^ (1 << random.bounded(8)));
        }
        if (!ResourceBundleCheck::IsWellFormed(damaged)) {
            ++rejected;
            continue;
        }
        RegisterAndReadAll(damaged, scratch.path());
    }
    EXPECT_GT(rejected, 0);
    QByteArray random64(64, '\0');
    random.fillRange(reinterpret_cast<quint32*>(random64.data()), 16);
    EXPECT_FALSE(ResourceBundleCheck::IsWellFormed("qres" + random64));
}

namespace {

void Append32(QByteArray& bytes, quint32 value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes.append(char((value >> shift) & 0xff));
    }
}

void Append16(QByteArray& bytes, quint16 value)
{
    bytes.append(char(value >> 8));
    bytes.append(char(value & 0xff));
}

// The hash Qt looks names up by, so that the files of a made-up bundle can be read.
quint32 NameHash(const QString& name)
{
    quint32 hash = 0;
    for (const QChar character : name) {
        hash = (hash << 4) + character.unicode();
        hash ^= (hash & 0xf0000000) >> 23;
        hash &= 0x0fffffff;
    }
    return hash;
}

const quint16 PLAIN = 0x00;
const quint16 FOLDER = 0x02;
const quint16 ZLIB = 0x01;
const quint16 ZSTD = 0x04;

// A version 1 node: a folder's `count` children from index `first`, or a file's block
// at `first` in the data.
struct Node {
    QString name;
    quint16 flags;
    quint32 count;
    quint32 first;
};

QByteArray Bundle(const std::vector<Node>& nodes, const QByteArray& data)
{
    QByteArray tree;
    QByteArray names;
    for (const Node& node : nodes) {
        Append32(tree, quint32(names.size()));
        Append16(tree, node.flags);
        Append32(tree, node.flags & FOLDER ? node.count : 1); // a file's country, and its language C
        Append32(tree, node.first);
        Append16(names, quint16(node.name.size()));
        Append32(names, NameHash(node.name));
        for (const QChar character : node.name) {
            Append16(names, character.unicode());
        }
    }
    QByteArray bundle("qres");
    Append32(bundle, 1);
    Append32(bundle, 20);
    Append32(bundle, 20 + quint32(tree.size()));
    Append32(bundle, 20 + quint32(tree.size() + data.size()));
    return bundle + tree + data + names;
}

QByteArray Block(const QByteArray& bytes)
{
    QByteArray block;
    Append32(block, quint32(bytes.size()));
    return block + bytes;
}

// A bundle whose root holds the single file "a" with the given block.
QByteArray OneFile(quint16 flags, const QByteArray& bytes)
{
    return Bundle({{QString(), FOLDER, 1, 1}, {QStringLiteral("a"), flags, 0, 0}}, Block(bytes));
}

// A zlib block whose 4-byte prefix declares `declared` uncompressed bytes.
QByteArray ZlibBlock(quint32 declared)
{
    QByteArray block = qCompress(QByteArray(3000, 'x'));
    block[0] = char(declared >> 24);
    block[1] = char(declared >> 16);
    block[2] = char(declared >> 8);
    block[3] = char(declared);
    return block;
}

// A zstd frame whose header declares its content size in four bytes, holding one
// block that repeats "x" ten times.
QByteArray ZstdFrame(quint32 declared)
{
    QByteArray frame = QByteArray::fromHex("28b52ffd") + char(0xa0);
    for (int shift = 0; shift < 32; shift += 8) {
        frame.append(char((declared >> shift) & 0xff));
    }
    return frame + QByteArray::fromHex("530000") + 'x';
}

// Folders nested `depth` deep, the innermost holding the file "a".
QByteArray Nested(int depth)
{
    std::vector<Node> nodes{{QString(), FOLDER, 1, 1}};
    for (int level = 1; level <= depth; ++level) {
        nodes.push_back({QStringLiteral("d"), FOLDER, 1, quint32(level + 1)});
    }
    nodes.push_back({QStringLiteral("a"), PLAIN, 0, 0});
    return Bundle(nodes, Block("text"));
}

} // namespace

// Qt allocates what a compressed block declares before inflating it, so a few bytes
// declaring gigabytes must not pass; honest blocks of either kind read back whole.
TEST(ResourceBundleValidation, CompressedBlocksDeclaringMoreThanTheyCanHoldFail)
{
    QTemporaryDir scratch;
    QString problem;
    const QByteArray zlib = OneFile(ZLIB, ZlibBlock(3000));
    EXPECT_TRUE(ResourceBundleCheck::IsWellFormed(zlib, &problem)) << problem.toStdString();
    EXPECT_EQ(RegisterAndReadAll(zlib, scratch.path()), QByteArray(3000, 'x'));
    const QByteArray zstd = OneFile(ZSTD, ZstdFrame(10));
    EXPECT_TRUE(ResourceBundleCheck::IsWellFormed(zstd, &problem)) << problem.toStdString();
    EXPECT_EQ(RegisterAndReadAll(zstd, scratch.path()), QByteArray(10, 'x'));

    EXPECT_FALSE(ResourceBundleCheck::IsWellFormed(OneFile(ZLIB, ZlibBlock(0x7fffff00))));
    EXPECT_FALSE(ResourceBundleCheck::IsWellFormed(OneFile(ZSTD, ZstdFrame(0x7fffff00))));
    QByteArray unsized = ZstdFrame(10);
    unsized[4] = 0;
    EXPECT_FALSE(ResourceBundleCheck::IsWellFormed(OneFile(ZSTD, unsized))) << "a frame that does not say its size";
    EXPECT_FALSE(ResourceBundleCheck::IsWellFormed(OneFile(ZSTD | ZLIB, ZstdFrame(10)))) << "both kinds at once";
}

// Qt's readers walk the tree by path: a loop, a node reached by two paths or a very
// deep tree would make them run until memory is gone.
TEST(ResourceBundleValidation, TreesThatLoopShareOrNestTooDeepFail)
{
    const Node root{QString(), FOLDER, 1, 1};
    const Node file{QStringLiteral("a"), PLAIN, 0, 0};
    const QByteArray data = Block("text");
    QString problem;
    EXPECT_TRUE(
        ResourceBundleCheck::IsWellFormed(Bundle({root, {QStringLiteral("d"), FOLDER, 1, 2}, file}, data), &problem))
        << problem.toStdString();
    EXPECT_TRUE(ResourceBundleCheck::IsWellFormed(Nested(30), &problem)) << problem.toStdString();

    EXPECT_FALSE(ResourceBundleCheck::IsWellFormed(Bundle({root, {QStringLiteral("d"), FOLDER, 1, 1}, file}, data)))
        << "itself";
    EXPECT_FALSE(ResourceBundleCheck::IsWellFormed(Bundle({root, {QStringLiteral("d"), FOLDER, 2, 0}, file}, data)))
        << "the root";
    EXPECT_FALSE(ResourceBundleCheck::IsWellFormed(Bundle(
        {{QString(), FOLDER, 2, 1}, {QStringLiteral("d"), FOLDER, 1, 3}, {QStringLiteral("e"), FOLDER, 1, 3}, file},
        data)))
        << "one file in two folders";
    EXPECT_FALSE(ResourceBundleCheck::IsWellFormed(Bundle({{QString(), FOLDER, 0xffffffff, 1}, file}, data)));
    EXPECT_FALSE(ResourceBundleCheck::IsWellFormed(Nested(100)));
}

// A name that is not a plain path segment makes a node's path lead elsewhere: to its
// own folder for an empty name, which once made reading a bundle loop without end.
TEST(ResourceBundleValidation, NamesThatAreNotPlainPathSegmentsFail)
{
    for (const char* name : {"", ".", "..", "a/b", "/"}) {
        const QByteArray bundle = Bundle(
            {{QString(), FOLDER, 1, 1}, {QString::fromUtf8(name), FOLDER, 1, 2}, {QStringLiteral("a"), PLAIN, 0, 0}},
            Block("x"));
        EXPECT_FALSE(ResourceBundleCheck::IsWellFormed(bundle)) << '"' << name << '"';
    }
    for (const char* name : {"...", ".hidden", "a.b"}) {
        EXPECT_TRUE(ResourceBundleCheck::IsWellFormed(
            Bundle({{QString(), FOLDER, 1, 1}, {QString::fromUtf8(name), PLAIN, 0, 0}}, Block("x"))))
            << '"' << name << '"';
    }
}
