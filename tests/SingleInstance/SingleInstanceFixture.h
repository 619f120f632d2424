#pragma once

#include "common/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <unistd.h>

namespace Talvex::Test {

// Launches of the helper program for one product code name (the test's name), with
// their records in a scratch folder; every launch still running is stopped at the end.
class SingleInstanceTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        Stop();
        for (const auto& process : processes) {
            if (!process->waitForFinished(5000)) {
                process->kill();
                process->waitForFinished(5000);
            }
        }
    }

    QProcess* Start(const QString& role, const QString& target, const QStringList& extra = {},
                    const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        processes.push_back(std::make_unique<QProcess>());
        QProcess* process = processes.back().get();
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(scratch.path());
        process->start(QStringLiteral(TALVEX_HELPER), QStringList{role, target, scratch.path()} + extra);
        return process;
    }

    QProcess* Launch(const QStringList& extra = {}) { return Start(QStringLiteral("launch"), code, extra); }

    QList<QByteArray> Lines(const char* file) const
    {
        QFile in(scratch.filePath(QLatin1String(file)));
        in.open(QIODevice::ReadOnly);
        QList<QByteArray> lines = in.readAll().split('\n');
        lines.removeAll(QByteArray());
        return lines;
    }

    // Waits (bounded) until `file` has at least `count` lines; returns them.
    QList<QByteArray> WaitForLines(const char* file, int count, int timeoutMs = 15000) const
    {
        WaitUntil([&] { return Lines(file).size() >= count; }, timeoutMs);
        return Lines(file);
    }

    // The role the launch with this process id recorded, once it has.
    QByteArray RoleOf(const QProcess* process, int timeoutMs = 15000) const
    {
        const QByteArray pid = ' ' + QByteArray::number(process->processId());
        QByteArray role;
        WaitUntil(
            [&] {
                for (const QByteArray& line : Lines("roles")) {
                    if (line.contains(pid + ' ') || line.endsWith(pid)) {
                        role = line.left(line.indexOf(' '));
                    }
                }
                return !role.isEmpty();
            },
            timeoutMs);
        return role;
    }

    // Lets every launch still waiting for hand-overs end.
    void Stop()
    {
        QFile stop(scratch.filePath(QStringLiteral("stop")));
        stop.open(QIODevice::WriteOnly);
    }

    static bool IsRoot() { return ::geteuid() == 0; }

    QTemporaryDir scratch;
    const QString code = QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::vector<std::unique_ptr<QProcess>> processes;
};

} // namespace Talvex::Test
