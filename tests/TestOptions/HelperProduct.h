#pragma once

// The helper product run in a child process, in a private home of its own.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Talvex::Test {

inline QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline std::vector<std::string> Lines(const QByteArray& text)
{
    std::vector<std::string> lines;
    for (const QByteArray& line : text.split('\n')) {
        if (!line.isEmpty()) {
            lines.push_back(line.toStdString());
        }
    }
    return lines;
}

struct ProductOutput {
    QByteArray out;
    QByteArray err;
    QProcess::ExitStatus status = QProcess::CrashExit;
    int code = -1;

    // The rest of the helper's line that starts with `prefix`.
    std::string Reported(const std::string& prefix) const
    {
        for (const std::string& line : Lines(out)) {
            if (line.rfind(prefix, 0) == 0) {
                return line.substr(prefix.size());
            }
        }
        return "(not reported)";
    }
};

// A private home for the helper product: resources with the real links table and two
// shipped languages, a settings file, a browser script that leaves a trace if started.
class TestOptionsInAProduct : public ::testing::Test {
protected:
    TestOptionsInAProduct()
    {
        const QDir dir(root.path());
        for (const char* folder : {"resources/locales/de_DE", "resources/locales/ru_RU", "resources/themes", "data"}) {
            dir.mkpath(QLatin1String(folder));
        }
        QFile::copy(QStringLiteral(TALVEX_LINKS_TABLE), dir.filePath(QStringLiteral("resources/links.json")));
        QFile script(dir.filePath(QStringLiteral("browser.sh")));
        if (script.open(QIODevice::WriteOnly)) {
            script.write(QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1'\n").arg(BrowserTrace()).toUtf8());
            script.close();
            script.setPermissions(script.permissions() | QFile::ExeOwner);
        }
        environment.insert(QStringLiteral("BROWSER"), script.fileName());
        environment.insert(QStringLiteral("TALVEX_RESOURCES_DIR"), dir.filePath(QStringLiteral("resources")));
        environment.insert(QStringLiteral("TALVEX_TEST_STORE"), Store());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    }

    ProductOutput Launch(const QStringList& arguments) const
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TALVEX_HELPER), arguments);
        // A helper still running is killed when the process object goes.
        EXPECT_TRUE(process.waitForFinished(30000)) << "the helper did not end";
        return {process.readAllStandardOutput(), process.readAllStandardError(), process.exitStatus(),
                process.exitCode()};
    }

    QString Output(const char* name = "") const { return root.filePath(QStringLiteral("out/") + name); }
    QString OutputOption() const { return QStringLiteral("--test-output-dir=") + Output(); }
    QString BrowserTrace() const { return root.filePath(QStringLiteral("browser-started")); }
    QString Store() const { return root.filePath(QStringLiteral("store.ini")); }

    // Everything glog wrote for the helper product.
    QByteArray ProductLogs() const
    {
        QByteArray all;
        QDirIterator files(root.filePath(QStringLiteral("data/Talvex/options-helper/Logs")), QDir::Files);
        while (files.hasNext()) {
            all += Read(files.next());
        }
        return all;
    }

    QTemporaryDir root;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

inline void ExpectNormalEnd(const ProductOutput& run)
{
    EXPECT_EQ(run.status, QProcess::NormalExit);
    EXPECT_EQ(run.code, 0) << run.err.toStdString();
}

} // namespace Talvex::Test
