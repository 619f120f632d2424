// Several processes writing one settings file, and writers killed mid-write.
#include "Soak.h"

#include "App/Application/Settings/SettingsManager.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace Talvex::Test;

TEST(SettingsWriters, FourProcessesWritingOneFileKeepEveryKeyAndEachObserverSeesOnlyItsOwn)
{
    const int writers = 4;
    const int count = 250;
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("shared.ini"));
    for (int round = 0; round < SoakFactor(); ++round) {
        QFile::remove(file);
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int index = 0; index < writers; ++index) {
            auto& process = processes.emplace_back(std::make_unique<QProcess>());
            process->start(QStringLiteral(TALVEX_HELPER),
                           {QStringLiteral("settings-writer"), file, QString::number(index), QString::number(count)});
        }
        for (auto& process : processes) {
            ASSERT_TRUE(process->waitForFinished(120000));
            EXPECT_EQ(process->readAllStandardOutput().trimmed(), "notified " + QByteArray::number(count));
        }
        QSettings result(file, QSettings::IniFormat);
        EXPECT_EQ(result.status(), QSettings::NoError);
        EXPECT_EQ(result.allKeys().size(), writers * count);
    }
}

// Every key a completed save put on disk survives a kill at any later point.
TEST(SettingsWriters, AWriterKilledAtARandomPointLeavesAReadableFileWithEverySavedKey)
{
    QTemporaryDir folder;
    QRandomGenerator random(4242);
    for (int round = 0; round < 20 * SoakFactor(); ++round) {
        const QString file = folder.filePath(QStringLiteral("killed%1.ini").arg(round));
        QProcess writer;
        writer.start(QStringLiteral(TALVEX_HELPER), {QStringLiteral("settings-saver"), file});
        ASSERT_TRUE(writer.waitForReadyRead(15000));
        QThread::msleep(random.bounded(5, 120));
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished(15000));
        int lastSaved = -1;
        for (const QByteArray& line : writer.readAllStandardOutput().split('\n')) {
            if (line.startsWith("saved ")) {
                lastSaved = line.mid(6).toInt();
            }
        }
        ASSERT_GE(lastSaved, 0);
        QSettings raw(file, QSettings::IniFormat);
        EXPECT_EQ(raw.status(), QSettings::NoError) << "round " << round;
        Talvex::App::SettingsManager settings(file, QSettings::IniFormat);
        for (int n = 0; n <= lastSaved; ++n) {
            ASSERT_TRUE(settings.Contains("saved/key" + std::to_string(n))) << "round " << round << " key " << n;
        }
    }
}
