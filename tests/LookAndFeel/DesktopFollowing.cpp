#include "App/Application/LookAndFeel/DesktopThemeFollower.h"
#include "App/Application/LookAndFeel/LookAndFeelHandler.h"
#include "PortalFixture.h"

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QSignalSpy>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

namespace Talvex::Test {

using Scheme = App::DesktopAppearance::ColorScheme;

class PortalVersions : public PortalFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(PortalVersions, ReadsEachKeyOnItsOwnAndAMissingOrMistypedKeyIsNoPreferenceForThatKeyAlone)
{
    ServePortal(GetParam(), {"color-scheme=u:1", "contrast=u:1", "accent-color=c:0.2,0.4,0.6"});
    App::DesktopAppearance full(bus.address);
    full.Start();
    EXPECT_EQ(full.GetPreference().colorScheme, Scheme::Dark);
    EXPECT_TRUE(full.GetPreference().highContrast);
    EXPECT_EQ(full.GetPreference().accentColor, QColor::fromRgbF(0.2, 0.4, 0.6));

    // Debian 12's backend serves only the colour scheme; a portal may also answer
    // with a type no key has.
    portal.Send("set color-scheme=s:dark");
    portal.Send("set contrast=u:0");
    ASSERT_TRUE(WaitUntil([&] { return full.GetPreference().colorScheme == Scheme::NoPreference; }));
    EXPECT_TRUE(log.Contains(google::GLOG_ERROR, "gave color-scheme as a value of type QString"));
    ASSERT_TRUE(WaitUntil([&] { return !full.GetPreference().highContrast; }));
    EXPECT_EQ(full.GetPreference().accentColor, QColor::fromRgbF(0.2, 0.4, 0.6));
}

TEST_P(PortalVersions, AKeyTheTestPortalLacksOrMistypesLeavesTheOthersRead)
{
    ServePortal(GetParam(), {"color-scheme=u:2", "contrast=s:high"});
    App::DesktopAppearance partial(bus.address);
    partial.Start();
    EXPECT_EQ(partial.GetPreference().colorScheme, Scheme::Light);
    EXPECT_FALSE(partial.GetPreference().highContrast);
    EXPECT_FALSE(partial.GetPreference().accentColor.isValid());
    EXPECT_EQ(log.Count(google::GLOG_ERROR, "gave contrast as a value of type"), 1);
    EXPECT_EQ(log.Count(google::GLOG_INFO, "No desktop appearance preference"), 0);
}

INSTANTIATE_TEST_SUITE_P(InterfaceVersions, PortalVersions, ::testing::Values("v1", "v2"));

using DesktopFollowing = PortalFixture;

TEST_F(DesktopFollowing, WithoutAPortalOrABusThereIsNoPreferenceAndOneInfoLine)
{
    App::DesktopAppearance noPortal(bus.address);
    noPortal.Start();
    noPortal.Start();
    EXPECT_EQ(noPortal.GetPreference(), App::DesktopAppearance::Preference());
    EXPECT_EQ(log.Count(google::GLOG_INFO, "No desktop appearance preference: the desktop settings portal is not "
                                           "there (org.freedesktop.DBus.Error.ServiceUnknown"),
              1);

    log.Clear();
    App::DesktopAppearance noBus(QStringLiteral("unix:path=") + root.filePath("no-bus"));
    noBus.Start();
    EXPECT_EQ(noBus.GetPreference(), App::DesktopAppearance::Preference());
    EXPECT_EQ(log.Count(google::GLOG_INFO, "No desktop appearance preference: no session bus"), 1);

    // Following without a preference shows the light theme the product names.
    MakeFollower();
    StartProduct("Dark");
    EXPECT_EQ(manager->GetCurrentTheme(), "Light");
}

TEST_F(DesktopFollowing, AKeyLostAfterAnotherWasReadIsNamedAndIsNotReportedAsNoPreference)
{
    ServePortal("silent", {"color-scheme=u:1"});
    App::DesktopAppearance appearance(bus.address);
    appearance.Start();
    portal.Send("answer color-scheme");
    ASSERT_TRUE(WaitUntil([&] { return appearance.GetPreference().colorScheme == Scheme::Dark; }));
    portal.Stop();
    ASSERT_TRUE(WaitUntil([&] { return log.Count(google::GLOG_INFO, "could not give") == 2; }));
    EXPECT_TRUE(log.Contains(google::GLOG_INFO, "could not give contrast (org.freedesktop.DBus.Error.NoReply"));
    EXPECT_TRUE(log.Contains(google::GLOG_INFO, "could not give accent-color (org.freedesktop.DBus.Error.NoReply"));
    EXPECT_EQ(log.Count(google::GLOG_INFO, "No desktop appearance preference"), 0);
    EXPECT_EQ(appearance.GetPreference().colorScheme, Scheme::Dark);
}

TEST_F(DesktopFollowing, EachFlipAPersonMakesIsOneSwitchTheFirstAtOnceAndAFloodIsMergedEndingInTheLastState)
{
    ServePortal("v1", {"color-scheme=u:1"});
    MakeFollower();
    StartProduct();
    EXPECT_THAT(ThemeEvents(), ElementsAre("Dark"));

    std::vector<std::string> shownWhenTold;
    QObject::connect(&follower->GetAppearance(), &App::DesktopAppearance::PreferenceChanged, follower.get(),
                     [&] { shownWhenTold.push_back(manager->GetCurrentTheme()); });
    for (const std::string theme : {"Light", "Dark", "Light", "Dark"}) {
        portal.Send("flip 1");
        ASSERT_TRUE(WaitForTheme(theme));
    }
    EXPECT_THAT(ThemeEvents(), ElementsAre("Dark", "Light", "Dark", "Light", "Dark"));
    ASSERT_FALSE(shownWhenTold.empty());
    EXPECT_EQ(shownWhenTold.front(), "Light") << "a single change waits for nothing";

    QSignalSpy changes(&follower->GetAppearance(), &App::DesktopAppearance::PreferenceChanged);
    portal.Send("flip 3999");
    ASSERT_TRUE(WaitUntil([&] { return changes.count() == 3999 && manager->GetCurrentTheme() == "Light"; }, 60000))
        << changes.count();
    EXPECT_LE(ThemeEvents().size(), 5u + 400u);
    EXPECT_EQ(ThemeEvents().back(), "Light");
}

TEST_F(DesktopFollowing, HighContrastWinsOnlyWhileAskedAndOnlyWhenTheProductNamesATheme)
{
    ServePortal("v2", {"color-scheme=u:1", "contrast=u:1"});
    MakeFollower();
    StartProduct();
    EXPECT_EQ(manager->GetCurrentTheme(), "Contrast");

    portal.Send("set contrast=u:0");
    ASSERT_TRUE(WaitForTheme("Dark"));
    follower->SetThemes({"Light", "Dark", ""});
    portal.Send("set contrast=u:1");
    portal.Send("set color-scheme=u:2");
    ASSERT_TRUE(WaitForTheme("Light"));
    EXPECT_THAT(ThemeEvents(), ElementsAre("Contrast", "Dark", "Light"));
}

TEST_F(DesktopFollowing, AThemeTheProductDoesNotShipIsSkippedWithAWarning)
{
    ServePortal("v2", {"color-scheme=u:2"});
    MakeFollower();
    follower->SetThemes({"Light", "Midnight", ""});
    StartProduct();
    portal.Send("set color-scheme=u:1");
    ASSERT_TRUE(WaitUntil([&] { return log.Contains(google::GLOG_WARNING, "asks for theme [Midnight]"); }));
    EXPECT_EQ(manager->GetCurrentTheme(), "Light");
    EXPECT_THAT(ThemeEvents(), ElementsAre("Light"));
}

TEST_F(DesktopFollowing, AccentColourReplacesTheThemesOwnValueOnlyWhileFollowing)
{
    ServePortal("v2", {"color-scheme=u:2", "accent-color=c:1,0,0"});
    MakeFollower();
    StartProduct();
    EXPECT_THAT(manager->GetUnitedStylesheet(), HasSubstr("background: #ff0000;"));

    // An accent change alone rebuilds the sheet once; out of range means none given.
    portal.Send("set accent-color=c:0,0,1");
    ASSERT_TRUE(WaitUntil([&] { return manager->GetUnitedStylesheet().find("#0000ff") != std::string::npos; }));
    portal.Send("set accent-color=c:1.5,0,0");
    ASSERT_TRUE(WaitUntil([&] { return manager->GetUnitedStylesheet().find("#123456") != std::string::npos; }));
    EXPECT_THAT(ThemeEvents(), ElementsAre("Light", "Light", "Light"));

    portal.Send("set accent-color=c:0,1,0");
    ASSERT_TRUE(WaitUntil([&] { return manager->GetUnitedStylesheet().find("#00ff00") != std::string::npos; }));
    follower->SetFollowing(false);
    EXPECT_THAT(manager->GetUnitedStylesheet(), HasSubstr("background: #123456;"));
    manager->SetTheme("Light");
    EXPECT_THAT(manager->GetUnitedStylesheet(), Not(HasSubstr("#00ff00")));
}

TEST_F(DesktopFollowing, AFollowerGoneWhileFollowingTakesItsAccentColourWithIt)
{
    ServePortal("v2", {"color-scheme=u:2", "accent-color=c:1,0,0"});
    MakeFollower();
    StartProduct();
    EXPECT_THAT(manager->GetUnitedStylesheet(), HasSubstr("background: #ff0000;"));
    follower.reset();
    manager->SetTheme("Light");
    EXPECT_THAT(manager->GetUnitedStylesheet(), HasSubstr("background: #123456;"));
}

TEST_F(DesktopFollowing, APortalThatNeverAnswersHoldsTheStartOnlyForTheBoundAndItsLateAnswerIsApplied)
{
    ServePortal("silent", {"color-scheme=u:1"});
    MakeFollower();
    QElapsedTimer clock;
    clock.start();
    StartProduct();
    EXPECT_LT(clock.elapsed(), 750);
    EXPECT_EQ(manager->GetCurrentTheme(), "Light");

    portal.Send("answer");
    ASSERT_TRUE(WaitForTheme("Dark"));
    EXPECT_THAT(ThemeEvents(), ElementsAre("Light", "Dark"));
}

TEST_F(DesktopFollowing, WithoutFollowingTheStartDoesNotWaitForThePortalYetTakesItsLateAnswer)
{
    ServePortal("silent", {"color-scheme=u:1"});
    MakeFollower(false);
    QElapsedTimer clock;
    clock.start();
    follower->Start();
    EXPECT_LT(clock.elapsed(), 100);

    // Asked again until the portal holds the calls, which the start did not wait for.
    ASSERT_TRUE(WaitUntil([&] {
        portal.Send("answer");
        return follower->GetAppearance().GetPreference().colorScheme == Scheme::Dark;
    }));
    manager->Initialize("en_US", "Light");
    follower->SetFollowing(true);
    EXPECT_EQ(manager->GetCurrentTheme(), "Dark");
}

TEST_F(DesktopFollowing, TheBusGoingAwayKeepsTheThemeAndTheManagerWorking)
{
    ServePortal("v2", {"color-scheme=u:1"});
    MakeFollower();
    StartProduct();
    bus.Stop();
    QSignalSpy changes(&follower->GetAppearance(), &App::DesktopAppearance::PreferenceChanged);
    EXPECT_FALSE(changes.wait(200));
    EXPECT_EQ(manager->GetCurrentTheme(), "Dark");
    manager->SetTheme("Light");
    EXPECT_EQ(manager->GetCurrentTheme(), "Light");
}

TEST_F(DesktopFollowing, TheFollowEntrySurvivesRebuildsAndAThemePickedInTheMenuStopsFollowing)
{
    ServePortal("v2", {"color-scheme=u:2"});
    MakeFollower(false);
    StartProduct();
    std::shared_ptr<App::ILookAndFeelManager> shared(manager.get(), [](App::ILookAndFeelManager*) {});
    QMenu menu;
    App::LookAndFeelHandler handler(shared, nullptr, &menu);
    handler.SetThemeList({"Light", "Dark"});
    EXPECT_EQ(menu.actions().size(), 2);

    handler.OfferFollowSystem(follower);
    handler.SelectTheme(manager->GetCurrentTheme());
    handler.Refresh();
    ASSERT_EQ(menu.actions().size(), 4);
    QAction* follow = menu.actions().at(0);
    EXPECT_EQ(follow->text(), "Follow the system");
    EXPECT_FALSE(follow->isChecked());
    EXPECT_TRUE(menu.actions().at(1)->isSeparator());

    QSignalSpy picks(&handler, &App::LookAndFeelHandler::ThemeChanged);
    follow->trigger();
    EXPECT_TRUE(follower->IsFollowing());
    portal.Send("set color-scheme=u:1");
    ASSERT_TRUE(WaitForTheme("Dark"));
    EXPECT_TRUE(menu.actions().at(3)->isChecked());
    EXPECT_EQ(picks.count(), 0);

    menu.actions().at(2)->trigger();
    EXPECT_FALSE(follower->IsFollowing());
    EXPECT_FALSE(follow->isChecked());
    EXPECT_EQ(manager->GetCurrentTheme(), "Light");
    portal.Send("set color-scheme=u:2");
    portal.Send("set color-scheme=u:1");
    QSignalSpy desktop(&follower->GetAppearance(), &App::DesktopAppearance::PreferenceChanged);
    ASSERT_TRUE(WaitUntil([&] { return desktop.count() == 2; }));
    EXPECT_EQ(manager->GetCurrentTheme(), "Light");
    EXPECT_THAT(ThemeEvents(), ElementsAre("Light", "Dark", "Light"));
}

TEST_F(DesktopFollowing, AThemePickedInTheMenuStopsFollowingAlsoWhenTheMenuOffersNoFollowEntry)
{
    ServePortal("v2", {"color-scheme=u:2"});
    MakeFollower();
    StartProduct();
    std::shared_ptr<App::ILookAndFeelManager> shared(manager.get(), [](App::ILookAndFeelManager*) {});
    QMenu menu;
    App::LookAndFeelHandler handler(shared, nullptr, &menu);
    handler.SetFollower(follower, false);
    handler.SetThemeList({"Light", "Dark"});
    ASSERT_EQ(menu.actions().size(), 2);

    menu.actions().at(1)->trigger();
    EXPECT_FALSE(follower->IsFollowing());
    QSignalSpy desktop(&follower->GetAppearance(), &App::DesktopAppearance::PreferenceChanged);
    portal.Send("set color-scheme=u:1");
    portal.Send("set color-scheme=u:2");
    ASSERT_TRUE(WaitUntil([&] { return desktop.count() == 2; }));
    EXPECT_EQ(manager->GetCurrentTheme(), "Dark");
    EXPECT_THAT(ThemeEvents(), ElementsAre("Light", "Dark"));
}

} // namespace Talvex::Test
