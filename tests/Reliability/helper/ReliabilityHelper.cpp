// Helper program of the reliability tests; its role is its first argument.
//   settings-writer <file> <index> <count>: writes <count> keys "writer<index>/key<n>"
//       through a SettingsManager on the file store, letting the store save after each,
//       and prints "notified <n>", what its own observer was told.
//   settings-saver <file>: writes keys "saved/key<n>" for ever, and after each write
//       whose save completed prints "saved <n>"; tests kill it.
#include "App/Application/Settings/ISettingsManagerObserver.h"
#include "App/Application/Settings/SettingsManager.h"

#include <QCoreApplication>
#include <QSettings>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

class CountingObserver : public Talvex::App::ISettingsManagerObserver {
public:
    int told = 0;
    void OnBoolChanged(const std::string&, bool, const boost::optional<bool>&) override { ++told; }
    void OnIntChanged(const std::string&, int, const boost::optional<int>&) override { ++told; }
    void OnStringChanged(const std::string&, const std::string&, const boost::optional<std::string>&) override
    {
        ++told;
    }
    void OnByteArrayChanged(const std::string&, const std::vector<unsigned char>&,
                            const boost::optional<std::vector<unsigned char>>&) override
    {
        ++told;
    }
    void OnInt64Changed(const std::string&, long long, const boost::optional<long long>&) override { ++told; }
    void OnDoubleChanged(const std::string&, double, const boost::optional<double>&) override { ++told; }
};

int WriteSettings(const char* file, const char* index, int count)
{
    Talvex::App::SettingsManager settings(QString::fromLocal8Bit(file), QSettings::IniFormat);
    CountingObserver observer;
    settings.RegisterObserver(&observer);
    for (int n = 0; n < count; ++n) {
        settings.SetInt(std::string("writer") + index + "/key" + std::to_string(n), n);
        // The store saves (merging with the other writers) when its posted request runs.
        QCoreApplication::processEvents();
    }
    settings.UnregisterObserver(&observer);
    std::printf("notified %d\n", observer.told);
    return 0;
}

int SaveUntilKilled(const char* file)
{
    Talvex::App::SettingsManager settings(QString::fromLocal8Bit(file), QSettings::IniFormat);
    const std::string padding(200, 'x');
    for (int n = 0; n < 1000000; ++n) {
        settings.SetString("saved/key" + std::to_string(n), padding + std::to_string(n));
        QCoreApplication::processEvents();
        std::printf("saved %d\n", n);
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const std::string role = argc > 1 ? argv[1] : "";
    if (role == "settings-writer" && argc > 4) {
        return WriteSettings(argv[2], argv[3], std::atoi(argv[4]));
    }
    if (role == "settings-saver" && argc > 2) {
        return SaveUntilKilled(argv[2]);
    }
    std::fprintf(stderr, "unknown role\n");
    return 2;
}
