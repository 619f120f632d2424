#include "App/Application/Dialogs/ConfirmationAlertBox.h"
#include "App/Application/Settings/SettingsManager.h"
#include "DialogDriver.h"

#include <QSettings>
#include <QTemporaryDir>

namespace Talvex::Test {
namespace {

using App::ConfirmationAlertBox;
using Button = QMessageBox::StandardButton;

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
    std::unique_ptr<ConfirmationAlertBox> Box(const QString& id)
    {
        auto box = std::make_unique<ConfirmationAlertBox>(settings, Util::AlertBox::Question, "Convert", "Replace?",
                                                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box->SetConfirmationId(id);
        return box;
    }

    // Runs the box; if it shows, ticks the check box when asked and presses `which`.
    Button Run(ConfirmationAlertBox& box, Button which, bool tick, bool* shown = nullptr)
    {
        DialogDriver driver([&](QMessageBox& open) {
            if (tick) {
                Tick(open);
            }
            Press(open, which);
        });
        const Button result = box.Exec();
        if (shown) {
            *shown = driver.Acted();
        }
        return result;
    }

    // What a fresh reader of the settings file sees; -1 when the key is absent.
    int Stored(const QString& key) const { return QSettings(path, QSettings::IniFormat).value(key, -1).toInt(); }

    QTemporaryDir scratch;
    QString path = scratch.filePath("settings.ini");
    std::shared_ptr<App::SettingsManager> settings = std::make_shared<App::SettingsManager>(path, QSettings::IniFormat);
};

TEST_F(ConfirmationAnswers, TickedAnswerIsStoredDontConfirmFirstAndReturnedWithoutShowingAfterwards)
{
    KeyRecorder recorder;
    settings->RegisterObserver(&recorder);
    auto first = Box(QString());
    EXPECT_EQ(first->findChild<QCheckBox*>("dontConfirmCheckBox")->text(), "Don't show this again");
    EXPECT_EQ(Run(*first, QMessageBox::Yes, true), QMessageBox::Yes);
    settings->UnregisterObserver(&recorder);
    EXPECT_EQ(recorder.keys, (std::vector<std::string>{"confirm/_dont_confirm", "confirm/_answer"}));
    EXPECT_EQ(Stored("confirm/_dont_confirm"), 1);
    EXPECT_EQ(Stored("confirm/_answer"), int(QMessageBox::Yes));

    // Every box without an id shares that answer; a box with an id does not.
    bool shown = true;
    EXPECT_EQ(Run(*Box(QString()), QMessageBox::No, false, &shown), QMessageBox::Yes);
    EXPECT_FALSE(shown);
    EXPECT_EQ(Run(*Box("other"), QMessageBox::No, false, &shown), QMessageBox::No);
    EXPECT_TRUE(shown);
}

TEST_F(ConfirmationAnswers, OnlyAllowedButtonsAreRemembered)
{
    auto onlyYes = Box("only");
    onlyYes->SetRememberOnly(QMessageBox::Yes);
    EXPECT_EQ(Run(*Box("cancel"), QMessageBox::Cancel, true), QMessageBox::Cancel);
    EXPECT_EQ(Run(*onlyYes, QMessageBox::No, true), QMessageBox::No);
    EXPECT_EQ(Stored("confirm/cancel_dont_confirm"), -1);
    EXPECT_EQ(Stored("confirm/only_dont_confirm"), -1);

    // Ticking beforehand does not skip the box.
    auto cancel = Box("cancel");
    cancel->SetRememberOnReject(true);
    cancel->SetDontConfirm(true);
    bool shown = false;
    Run(*cancel, QMessageBox::Cancel, false, &shown);
    EXPECT_TRUE(shown);
    Run(*onlyYes, QMessageBox::Yes, false); // still ticked from its first run
    EXPECT_EQ(Stored("confirm/cancel_answer"), int(QMessageBox::Cancel));
    EXPECT_EQ(Stored("confirm/only_answer"), int(QMessageBox::Yes));
}

TEST_F(ConfirmationAnswers, ForcedAnswerIsStoredAndResetShowsTheBoxAgainKeepingIt)
{
    auto box = Box("forced");
    box->SetForceSaveAnswer(0x400);
    EXPECT_EQ(Run(*box, QMessageBox::Yes, true), QMessageBox::Yes);
    EXPECT_EQ(Stored("confirm/forced_answer"), 1024);
    bool shown = true;
    EXPECT_EQ(Run(*Box("forced"), QMessageBox::No, false, &shown), QMessageBox::Ok);
    EXPECT_FALSE(shown);

    box->Reset();
    EXPECT_EQ(Stored("confirm/forced_dont_confirm"), 0);
    EXPECT_EQ(Run(*Box("forced"), QMessageBox::No, false, &shown), QMessageBox::No);
    EXPECT_TRUE(shown);
    EXPECT_EQ(Stored("confirm/forced_answer"), 1024);
}

TEST_F(ConfirmationAnswers, BoxDeletedWithItsWindowWhileRunningReturnsNoButtonAndStoresNothing)
{
    auto* window = new QWidget;
    auto* box = new ConfirmationAlertBox(settings, Util::AlertBox::Question, "Convert", "Replace?",
                                         QMessageBox::Yes | QMessageBox::No, window);
    box->SetConfirmationId("gone");
    box->SetDontConfirm(true);
    DialogDriver driver([&](QMessageBox&) { delete window; });
    EXPECT_EQ(box->Exec(), QMessageBox::NoButton);
    EXPECT_TRUE(driver.Acted());
    EXPECT_EQ(Stored("confirm/gone_dont_confirm"), -1);
}

} // namespace
} // namespace Talvex::Test
