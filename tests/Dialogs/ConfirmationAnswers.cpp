#include "App/Application/Dialogs/ConfirmationAlertBox.h"
#include "App/Application/Settings/SettingsManager.h"
#include "DialogDriver.h"

#include <QSettings>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

namespace Talvex::Test {
namespace {

using App::ConfirmationAlertBox;

class KeyRecorder : public App::ISettingsManagerObserver {
public:
    std::vector<std::string> keys;
    void OnBoolChanged(const std::string& key, bool, const boost::optional<bool>&) override { keys.push_back(key); }
    void OnIntChanged(const std::string& key, int, const boost::optional<int>&) override { keys.push_back(key); }
    void OnStringChanged(const std::string&, const std::string&, const boost::optional<std::string>&) override {}
    void OnByteArrayChanged(const std::string&, const std::vector<unsigned char>&,
                            const boost::optional<std::vector<unsigned char>>&) override
    {
    }
    void OnInt64Changed(const std::string&, long long, const boost::optional<long long>&) override {}
    void OnDoubleChanged(const std::string&, double, const boost::optional<double>&) override {}
};

class ConfirmationAnswers : public GuiTest {
protected:
    std::unique_ptr<ConfirmationAlertBox>
    Box(const QString& id,
        QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
    {
        auto box = std::make_unique<ConfirmationAlertBox>(settings, Util::AlertBox::Question, "Convert",
                                                          "Replace the existing file?", buttons);
        box->SetConfirmationId(id);
        return box;
    }

    // Runs the box; when it shows, ticks the check box if asked and presses `which`.
    // Answers what Exec returned; `shown` tells whether the box appeared.
    QMessageBox::StandardButton Run(ConfirmationAlertBox& box, QMessageBox::StandardButton which, bool tick,
                                    bool* shown = nullptr)
    {
        DialogDriver driver([&](QMessageBox& open) {
            if (tick) {
                Tick(open);
            }
            Press(open, which);
        });
        const QMessageBox::StandardButton result = box.Exec();
        if (shown) {
            *shown = driver.Acted();
        }
        return result;
    }

    // What a fresh reader of the settings file sees.
    QVariant Stored(const QString& key) const { return QSettings(path, QSettings::IniFormat).value(key); }

    QTemporaryDir scratch;
    QString path = scratch.filePath("settings.ini");
    std::shared_ptr<App::SettingsManager> settings = std::make_shared<App::SettingsManager>(path, QSettings::IniFormat);
};

TEST_F(ConfirmationAnswers, TickedAnswerIsStoredDontConfirmFirstAndReturnedWithoutShowingAfterwards)
{
    KeyRecorder recorder;
    settings->RegisterObserver(&recorder);
    auto first = Box(QString());
    EXPECT_EQ(first->checkBox()->objectName(), "dontConfirmCheckBox");
    EXPECT_EQ(first->GetConfirmationText(), "Don't show this again");
    EXPECT_EQ(Run(*first, QMessageBox::Yes, true), QMessageBox::Yes);
    settings->UnregisterObserver(&recorder);

    EXPECT_EQ(recorder.keys, (std::vector<std::string>{"confirm/_dont_confirm", "confirm/_answer"}));
    EXPECT_EQ(Stored("confirm/_dont_confirm").toBool(), true);
    EXPECT_EQ(Stored("confirm/_answer").toInt(), int(QMessageBox::Yes));

    // Every box without an id shares that answer; a box with an id does not.
    bool shown = true;
    EXPECT_EQ(Run(*Box(QString()), QMessageBox::No, false, &shown), QMessageBox::Yes);
    EXPECT_FALSE(shown);
    EXPECT_EQ(Run(*Box("overwrite"), QMessageBox::No, false, &shown), QMessageBox::No);
    EXPECT_TRUE(shown);
}

TEST_F(ConfirmationAnswers, RejectRoleIsRememberedOnlyWhenAllowed)
{
    auto box = Box("cancel");
    EXPECT_EQ(Run(*box, QMessageBox::Cancel, true), QMessageBox::Cancel);
    EXPECT_FALSE(settings->Contains("confirm/cancel_dont_confirm"));
    EXPECT_FALSE(settings->Contains("confirm/cancel_answer"));

    auto allowed = Box("cancel");
    allowed->SetRememberOnReject(true);
    EXPECT_EQ(Run(*allowed, QMessageBox::Cancel, true), QMessageBox::Cancel);
    EXPECT_EQ(Stored("confirm/cancel_answer").toInt(), int(QMessageBox::Cancel));
}

TEST_F(ConfirmationAnswers, RememberOnlyStoresJustTheListedButtons)
{
    auto box = Box("only");
    box->SetRememberOnly(QMessageBox::Yes);
    EXPECT_EQ(Run(*box, QMessageBox::No, true), QMessageBox::No);
    EXPECT_FALSE(settings->Contains("confirm/only_dont_confirm"));

    // The box keeps its tick from the first run.
    EXPECT_EQ(Run(*box, QMessageBox::Yes, false), QMessageBox::Yes);
    EXPECT_EQ(Stored("confirm/only_answer").toInt(), int(QMessageBox::Yes));
}

TEST_F(ConfirmationAnswers, ForcedAnswerIsStoredInPlaceOfThePressedButton)
{
    auto box = Box("forced");
    box->SetForceSaveAnswer(0x400);
    EXPECT_EQ(Run(*box, QMessageBox::Yes, true), QMessageBox::Yes);
    EXPECT_EQ(Stored("confirm/forced_answer").toInt(), 1024);

    bool shown = true;
    EXPECT_EQ(Run(*Box("forced"), QMessageBox::No, false, &shown), QMessageBox::Ok);
    EXPECT_FALSE(shown);
}

TEST_F(ConfirmationAnswers, ResetShowsTheBoxAgainButKeepsTheStoredAnswer)
{
    auto box = Box("reset");
    Run(*box, QMessageBox::No, true);
    box->Reset();
    EXPECT_FALSE(Stored("confirm/reset_dont_confirm").toBool());
    EXPECT_EQ(Stored("confirm/reset_answer").toInt(), int(QMessageBox::No));

    bool shown = false;
    EXPECT_EQ(Run(*Box("reset"), QMessageBox::Yes, false, &shown), QMessageBox::Yes);
    EXPECT_TRUE(shown);
    EXPECT_EQ(Stored("confirm/reset_answer").toInt(), int(QMessageBox::No));
}

TEST_F(ConfirmationAnswers, PreTickedBoxIsStillShownAndRemembersUnlessUnticked)
{
    auto box = Box("preticked");
    box->SetDontConfirm(true);
    EXPECT_TRUE(box->IsDontConfirm());
    EXPECT_FALSE(settings->Contains("confirm/preticked_dont_confirm"));

    bool shown = false;
    EXPECT_EQ(Run(*box, QMessageBox::No, false, &shown), QMessageBox::No);
    EXPECT_TRUE(shown);
    EXPECT_EQ(Stored("confirm/preticked_answer").toInt(), int(QMessageBox::No));

    auto unticked = Box("unticked");
    unticked->SetDontConfirm(true);
    Run(*unticked, QMessageBox::Yes, true);
    EXPECT_FALSE(settings->Contains("confirm/unticked_dont_confirm"));
}

} // namespace
} // namespace Talvex::Test
