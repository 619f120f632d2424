#include "CheckReport.h"
#include "FollowCheck.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace Talvex::ThemeCheck {
namespace {

std::vector<std::string> Warnings(const CheckReport& report)
{
    std::vector<std::string> messages;
    for (const auto& finding : report.Findings()) {
        EXPECT_EQ(finding.severity, CheckReport::Severity::Warning);
        messages.push_back(finding.message);
    }
    return messages;
}

TEST(FollowingFaults, EachPreferenceWithoutAShippedThemeIsWarnedAbout)
{
    CheckReport complete;
    FollowCheck({}, {"Light", "Dark"}, complete).Run();
    EXPECT_TRUE(complete.Findings().empty());

    CheckReport lacking;
    FollowCheck({"Light", "Dark", "Contrast"}, {"Light"}, lacking).Run();
    EXPECT_THAT(
        Warnings(lacking),
        ::testing::ElementsAre("the product follows the desktop but ships no theme 'Dark' for its dark preference",
                               "the product follows the desktop but ships no theme 'Contrast' for its "
                               "high-contrast preference"));
    EXPECT_EQ(lacking.ErrorCount(), 0);
}

} // namespace
} // namespace Talvex::ThemeCheck
