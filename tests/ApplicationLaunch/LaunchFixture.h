#pragma once

#include "App/Application/Settings/ISettingsManagerObserver.h"
#include "common/ApplicationFakes.h"

#include <QFile>
#include <QSettings>

#include <string>
#include <vector>

namespace Talvex::Test {

// Remembers the key of every write notification of a settings manager.
class WriteLog : public App::ISettingsManagerObserver {
public:
    std::vector<std::string> keys;

    void OnBoolChanged(const std::string& key, bool, const boost::optional<bool>&) override { keys.push_back(key); }
    void OnIntChanged(const std::string& key, int, const boost::optional<int>&) override { keys.push_back(key); }
    void OnStringChanged(const std::string& key, const std::string&, const boost::optional<std::string>&) override
    {
        keys.push_back(key);
    }
    void OnByteArrayChanged(const std::string& key, const std::vector<unsigned char>&,
                            const boost::optional<std::vector<unsigned char>>&) override
    {
        keys.push_back(key);
    }
    void OnInt64Changed(const std::string& key, long long, const boost::optional<long long>&) override
    {
        keys.push_back(key);
    }
    void OnDoubleChanged(const std::string& key, double, const boost::optional<double>&) override
    {
        keys.push_back(key);
    }
};

// What a settings file holds on disk, read by a fresh QSettings so that no cache of
// the store under test answers.
inline QString OnDisk(const QString& file, const QString& key)
{
    return QSettings(file, QSettings::IniFormat).value(key).toString();
}

inline QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An application with file stores: "general.ini" and, when asked, a separate
// "product.ini", and a customization of version 3.1.
class LaunchTest : public ApplicationTest {
protected:
    QString General() const { return scratch.filePath(QStringLiteral("general.ini")); }
    QString Product() const { return scratch.filePath(QStringLiteral("product.ini")); }

    template <class Derived = App::Application> std::unique_ptr<Derived> Launch(bool separateProductStore)
    {
        App::Application::AppContext context;
        context.holdInstanceMutex = false;
        auto application = std::make_unique<Derived>(argc, argv, context);
        application->SetCustomizationManager(customization, false);
        general = FileStore(General());
        application->SetSettingsManager(general);
        if (separateProductStore) {
            product = FileStore(Product());
            application->SetProductSettingsManager(product);
        } else {
            product = general;
        }
        return application;
    }

    std::shared_ptr<FakeCustomization> customization = std::make_shared<FakeCustomization>();
    std::shared_ptr<App::SettingsManager> general;
    std::shared_ptr<App::SettingsManager> product;
};

} // namespace Talvex::Test
