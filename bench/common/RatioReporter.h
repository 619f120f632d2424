#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace Talvex::Bench {

// Console output as usual, then each "<figure>/<variant>" time divided by the time
// of "<figure>/baseline" from the same run. With repetitions the medians are used.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;
    void PrintRatios() const;

private:
    struct Figure {
        double time = 0;
        bool isMedian = false;
    };
    std::vector<std::string> order;
    std::map<std::string, Figure> figures;
};

} // namespace Talvex::Bench
