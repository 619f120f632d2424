#pragma once

#include "common/ApplicationFakes.h"

#include <QFile>
#include <QSettings>

#include <map>
#include <string>

namespace Talvex::Test {

using Records = std::map<QString, QString>;

// What a settings file holds, including what the store under test has not synced yet.
inline Records Contents(const QString& file)
{
    QSettings settings(file, QSettings::IniFormat);
    Records records;
    for (const QString& key : settings.allKeys()) {
        records[key] = settings.value(key).toString();
    }
    return records;
}

inline QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An application with file stores: "general.ini" and, when asked, a separate
// "product.ini", and a customization of version 3.1.
class LaunchTest : public ApplicationTest {
public:
    QString General() const { return scratch.filePath(QStringLiteral("general.ini")); }
    QString Product() const { return scratch.filePath(QStringLiteral("product.ini")); }

    template <class Derived = App::Application> std::unique_ptr<Derived> Launch(bool separateProductStore)
    {
        auto application = Make<Derived>();
        application->SetCustomizationManager(customization, false);
        general = FileStore(General());
        application->SetSettingsManager(general);
        product = separateProductStore ? FileStore(Product()) : general;
        if (separateProductStore) {
            application->SetProductSettingsManager(product);
        }
        return application;
    }

    std::shared_ptr<FakeCustomization> customization = std::make_shared<FakeCustomization>();
    std::shared_ptr<App::SettingsManager> general;
    std::shared_ptr<App::SettingsManager> product;
};

} // namespace Talvex::Test
