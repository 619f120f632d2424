#pragma once

#include "common/ApplicationFakes.h"
#include "common/LogCapture.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace Talvex::Test {

// A real application in this process, built from a command line of the test's own,
// with the services a start needs and a private scratch folder.
class ApplicationWithOptions : public ::testing::Test {
protected:
    App::Application& Make(const QStringList& options)
    {
        application.reset();
        argv.clear();
        arguments = {QByteArrayLiteral("options-test")};
        for (const QString& option : options) {
            arguments.push_back(option.toUtf8());
        }
        for (QByteArray& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        argc = static_cast<int>(arguments.size());
        App::Application::AppContext context;
        context.holdInstanceMutex = false;
        application = std::make_unique<App::Application>(argc, argv.data(), context);
        auto customization = std::make_shared<FakeCustomization>();
        customization->skipFirstRun = true;
        application->SetCustomizationManager(customization, false);
        application->SetSettingsManager(FileStore(Path("store.ini")));
        return *application;
    }

    QString Path(const QString& relative) const { return scratch.filePath(relative); }

    static QByteArray Read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
    }

    QTemporaryDir scratch;
    LogCapture log;

private:
    // The application keeps referring to these while it lives.
    std::vector<QByteArray> arguments;
    std::vector<char*> argv;
    int argc = 0;

protected:
    std::unique_ptr<App::Application> application;
};

} // namespace Talvex::Test
