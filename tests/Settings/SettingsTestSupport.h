#pragma once

#include "App/Application/Settings/ISettingsManagerObserver.h"
#include "App/Application/Settings/SettingsManager.h"

#include <QDir>
#include <QTemporaryDir>

#include <boost/optional.hpp>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// Appends "<name>:<key>" to a shared log for every int change and then runs `hook`,
// so tests can see the order of calls across observers and nested passes.
class RecordingObserver : public App::ISettingsManagerObserver {
public:
    RecordingObserver(std::string name, std::vector<std::string>& log) : name(std::move(name)), log(log) {}

    std::function<void(const std::string& key)> hook;

    void OnIntChanged(const std::string& key, int, const boost::optional<int>&) override
    {
        log.push_back(name + ":" + key);
        if (hook) {
            hook(key);
        }
    }
    void OnBoolChanged(const std::string&, bool, const boost::optional<bool>&) override {}
    void OnStringChanged(const std::string&, const std::string&, const boost::optional<std::string>&) override {}
    void OnByteArrayChanged(const std::string&, const Bytes&, const boost::optional<Bytes>&) override {}
    void OnInt64Changed(const std::string&, long long, const boost::optional<long long>&) override {}
    void OnDoubleChanged(const std::string&, double, const boost::optional<double>&) override {}

private:
    std::string name;
    std::vector<std::string>& log;
};

// A fresh INI store in the suite's private temporary folder.
class SettingsFile : public ::testing::Test {
protected:
    QString Path() const { return folder.filePath(QStringLiteral("store.ini")); }
    std::unique_ptr<App::SettingsManager> Open() const
    {
        return std::make_unique<App::SettingsManager>(Path(), QSettings::IniFormat);
    }

    QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/settings-XXXXXX")};
};

} // namespace Talvex::Test
