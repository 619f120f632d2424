#pragma once

#include "App/Application/Settings/ISettingsManagerObserver.h"
#include "App/Application/Settings/SettingsManager.h"

#include <QTemporaryDir>

#include <boost/optional.hpp>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

namespace boost {
// Readable failure messages for old values, whatever the value type.
template <class T> void PrintTo(const optional<T>& value, std::ostream* out)
{
    *out << (value ? ::testing::PrintToString(*value) : std::string("(none)"));
}
} // namespace boost

namespace Talvex::Test {

using Bytes = std::vector<unsigned char>;

class MockSettingsObserver : public App::ISettingsManagerObserver {
public:
    MOCK_METHOD(void, OnBoolChanged, (const std::string&, bool, const boost::optional<bool>&), (override));
    MOCK_METHOD(void, OnIntChanged, (const std::string&, int, const boost::optional<int>&), (override));
    MOCK_METHOD(void, OnStringChanged, (const std::string&, const std::string&, const boost::optional<std::string>&),
                (override));
    MOCK_METHOD(void, OnByteArrayChanged, (const std::string&, const Bytes&, const boost::optional<Bytes>&),
                (override));
    MOCK_METHOD(void, OnInt64Changed, (const std::string&, long long, const boost::optional<long long>&), (override));
    MOCK_METHOD(void, OnDoubleChanged, (const std::string&, double, const boost::optional<double>&), (override));
};

// A fresh INI store in the suite's private temporary folder. Strict observers fail on
// any notification not expected, and expectations must be met in the order given.
class SettingsFile : public ::testing::Test {
protected:
    QString Path() const { return folder.filePath(QStringLiteral("store.ini")); }
    std::unique_ptr<App::SettingsManager> Open() const
    {
        return std::make_unique<App::SettingsManager>(Path(), QSettings::IniFormat);
    }

    void Register(std::initializer_list<App::ISettingsManagerObserver*> observers)
    {
        for (auto* observer : observers) {
            store->RegisterObserver(observer);
        }
    }

    QTemporaryDir folder;
    std::unique_ptr<App::SettingsManager> store = Open();
    ::testing::StrictMock<MockSettingsObserver> a, b, c;
    ::testing::InSequence order;
};

} // namespace Talvex::Test
