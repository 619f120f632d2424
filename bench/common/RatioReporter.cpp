#include "common/RatioReporter.h"

#include <cstdio>

namespace Talvex::Bench {
namespace {

// "Startup/baseline/min_time:2.000/real_time" -> "Startup/baseline": options that the
// benchmark itself sets are appended as "/name:value" parts or "/real_time".
std::string BaseName(const benchmark::BenchmarkReporter::Run& run)
{
    std::string name = run.run_name.str();
    for (auto slash = name.rfind('/'); slash != std::string::npos; slash = name.rfind('/')) {
        const std::string part = name.substr(slash + 1);
        if (part.find(':') == std::string::npos && part != "real_time" && part != "process_time" &&
            part != "manual_time") {
            break;
        }
        name.erase(slash);
    }
    return name;
}

std::string FigureOf(const std::string& name)
{
    const auto slash = name.rfind('/');
    return slash == std::string::npos ? std::string() : name.substr(0, slash);
}

} // namespace

void RatioReporter::ReportRuns(const std::vector<Run>& runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type == Run::RT_Aggregate && !median) {
            continue;
        }
        const std::string name = BaseName(run);
        auto found = figures.find(name);
        if (found == figures.end()) {
            order.push_back(name);
            found = figures.emplace(name, Figure()).first;
        }
        if (median || !found->second.isMedian) {
            found->second = {run.GetAdjustedRealTime(), median};
        }
    }
}

void RatioReporter::PrintRatios() const
{
    std::printf("\nRatios against the baseline of the same run:\n");
    for (const std::string& name : order) {
        const std::string figure = FigureOf(name);
        const auto baseline = figures.find(figure + "/baseline");
        if (figure.empty() || name == figure + "/baseline" || baseline == figures.end() || baseline->second.time <= 0) {
            continue;
        }
        std::printf("  %-60s %6.3fx\n", name.c_str(), figures.at(name).time / baseline->second.time);
    }
    std::fflush(stdout);
}

} // namespace Talvex::Bench
