#pragma once

#include <TalvexExport.h>

#include <boost/optional.hpp>

#include <string>
#include <vector>

namespace Talvex::App {

// Told of every value written through a settings manager, on the writing thread,
// after the value is stored. `oldValue` is empty when the key did not exist before;
// otherwise it is the previous value converted to the written type. The manager
// does not own its observers: an observer must outlive every pass that may reach it.
class TALVEX_EXPORT ISettingsManagerObserver {
public:
    virtual void OnBoolChanged(const std::string& key, bool value, const boost::optional<bool>& oldValue) = 0;
    virtual void OnIntChanged(const std::string& key, int value, const boost::optional<int>& oldValue) = 0;
    virtual void OnStringChanged(const std::string& key, const std::string& value,
                                 const boost::optional<std::string>& oldValue) = 0;
    virtual void OnByteArrayChanged(const std::string& key, const std::vector<unsigned char>& value,
                                    const boost::optional<std::vector<unsigned char>>& oldValue) = 0;
    virtual void OnInt64Changed(const std::string& key, long long value,
                                const boost::optional<long long>& oldValue) = 0;
    virtual void OnDoubleChanged(const std::string& key, double value, const boost::optional<double>& oldValue) = 0;
    virtual ~ISettingsManagerObserver() = default;
};

} // namespace Talvex::App
