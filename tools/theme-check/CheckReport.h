#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace Talvex::ThemeCheck {

// What the checker found, one line per finding. Errors make the run fail; warnings are
// things a theme author most likely wants to clean up but that do not break a theme.
class CheckReport {
public:
    enum class Severity { Error, Warning };

    struct Finding {
        Severity severity;
        std::string theme; // empty for findings about a language
        std::string file;
        std::string message;
    };

    void Error(const std::string& theme, const std::string& file, const std::string& message);
    void Warning(const std::string& theme, const std::string& file, const std::string& message);

    int ErrorCount() const;
    const std::vector<Finding>& Findings() const { return findings; }
    // "error: theme 'Dark': <file>: <message>", then a closing count line.
    void Print(std::ostream& out) const;

private:
    std::vector<Finding> findings;
};

} // namespace Talvex::ThemeCheck
