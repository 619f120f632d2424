#include "Platform/Util/ResourceBundleCheck.h"

#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QResource>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using Talvex::Util::ResourceBundleCheck;

namespace {

QByteArray RealBundle()
{
    QFile file(QStringLiteral(TALVEX_TEST_CHECK_BUNDLE));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What a product does with a bundle once the check let it through: register it and
// read every file in it.
void RegisterAndReadAll(const QByteArray& bundle, const QString& scratch)
{
    const QString path = scratch + QStringLiteral("/bundle.rcc");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bundle);
    file.close();
    if (!QResource::registerResource(path, QStringLiteral("/fuzzed"))) {
        return;
    }
    for (QDirIterator it(QStringLiteral(":/fuzzed"), QDirIterator::Subdirectories); it.hasNext();) {
        QFile entry(it.next());
        if (entry.open(QIODevice::ReadOnly)) {
            entry.readAll();
        }
    }
    QResource::unregisterResource(path, QStringLiteral("/fuzzed"));
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
    EXPECT_FALSE(ResourceBundleCheck::IsWellFormedFile(QStringLiteral("/nonexistent/bundle.rcc"), &problem));
    EXPECT_FALSE(problem.isEmpty());
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

// A version 1 bundle with one compressed file "a", whose block declares `declared`
// uncompressed bytes.
QByteArray CompressedBundle(quint32 declared)
{
    QByteArray block = qCompress(QByteArray(3000, 'x'));
    block[0] = char(declared >> 24);
    block[1] = char(declared >> 16);
    block[2] = char(declared >> 8);
    block[3] = char(declared);
    QByteArray tree;
    Append32(tree, 0); // root: name, folder, one child at index 1
    Append16(tree, 0x02);
    Append32(tree, 1);
    Append32(tree, 1);
    Append32(tree, 0); // "a": name, compressed, locale, data
    Append16(tree, 0x01);
    Append32(tree, 0);
    Append32(tree, 0);
    QByteArray names;
    Append16(names, 1);
    Append32(names, 'a');
    Append16(names, 'a');
    QByteArray data;
    Append32(data, quint32(block.size()));
    data += block;

    QByteArray bundle("qres");
    Append32(bundle, 1);
    Append32(bundle, 20);
    Append32(bundle, 20 + quint32(tree.size()));
    Append32(bundle, 20 + quint32(tree.size() + data.size()));
    return bundle + tree + data + names;
}

} // namespace

// Qt allocates what a compressed block declares before inflating it, so a few bytes
// declaring gigabytes must not pass.
TEST(ResourceBundleValidation, CompressedBlocksDeclaringMoreThanTheyCanHoldFail)
{
    const QByteArray honest = CompressedBundle(3000);
    QString problem;
    EXPECT_TRUE(ResourceBundleCheck::IsWellFormed(honest, &problem)) << problem.toStdString();
    QTemporaryDir scratch;
    RegisterAndReadAll(honest, scratch.path());
    EXPECT_FALSE(ResourceBundleCheck::IsWellFormed(CompressedBundle(0x7fffff00)));
}
