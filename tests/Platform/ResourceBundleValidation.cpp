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
