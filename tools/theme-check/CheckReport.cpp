#include "CheckReport.h"

#include <algorithm>

namespace Talvex::ThemeCheck {

void CheckReport::Error(const std::string& theme, const std::string& file, const std::string& message)
{
    findings.push_back({Severity::Error, theme, file, message});
}

void CheckReport::Warning(const std::string& theme, const std::string& file, const std::string& message)
{
    findings.push_back({Severity::Warning, theme, file, message});
}

int CheckReport::ErrorCount() const
{
    return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                          [](const Finding& finding) { return finding.severity == Severity::Error; }));
}

void CheckReport::Print(std::ostream& out) const
{
    for (const Finding& finding : findings) {
        out << (finding.severity == Severity::Error ? "error: " : "warning: ");
        if (!finding.theme.empty()) {
            out << "theme '" << finding.theme << "': ";
        }
        if (!finding.file.empty()) {
            out << finding.file << ": ";
        }
        out << finding.message << '\n';
    }
    const int errors = ErrorCount();
    out << errors << " error(s), " << findings.size() - static_cast<size_t>(errors) << " warning(s)\n";
}

} // namespace Talvex::ThemeCheck
