#include "Platform/Util/AlertBox.h"
#include "Platform/Util/SpontaneousDialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <functional>

using Talvex::Util::AlertBox;

namespace {

constexpr auto restartFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint;

// Runs `answer` once the box is on screen, from inside its own event loop.
void AnswerWhenShown(AlertBox& box, std::function<void()> answer)
{
    auto* poll = new QTimer(&box);
    QObject::connect(poll, &QTimer::timeout, &box, [&box, poll, answer] {
        if (box.isVisible()) {
            poll->stop();
            answer();
        }
    });
    poll->start(10);
}

QLabel* LearnMoreLabel(const AlertBox& box)
{
    for (QLabel* label : box.findChildren<QLabel*>()) {
        if (label->text().contains(QStringLiteral("href"))) {
            return label;
        }
    }
    return nullptr;
}

} // namespace

TEST(AlertBoxDialog, ExecReturnsTheStandardButtonPressed)
{
    AlertBox box(AlertBox::Information, "Attention", "Do you want to continue?", QMessageBox::Ok | QMessageBox::Cancel,
                 nullptr, restartFlags);
    AnswerWhenShown(box, [&box] { box.button(QMessageBox::Cancel)->click(); });
    EXPECT_EQ(box.Exec(), QMessageBox::Cancel);

    AnswerWhenShown(box, [&box] { box.button(QMessageBox::Ok)->click(); });
    EXPECT_EQ(box.Exec(), QMessageBox::Ok);
}

TEST(AlertBoxDialog, ButtonThatIsNotStandardAnswersNoButton)
{
    AlertBox box(AlertBox::Warning, "", "text", QMessageBox::Ok, nullptr, restartFlags);
    QPushButton* custom = box.addButton(QStringLiteral("Custom"), QMessageBox::ActionRole);
    AnswerWhenShown(box, [custom] { custom->click(); });
    EXPECT_EQ(box.Exec(), QMessageBox::NoButton);
}

TEST(AlertBoxDialog, LevelPicksTheIcon)
{
    const std::pair<AlertBox::Level, QMessageBox::Icon> expected[] = {{AlertBox::Information, QMessageBox::Information},
                                                                      {AlertBox::Warning, QMessageBox::Warning},
                                                                      {AlertBox::Critical, QMessageBox::Critical},
                                                                      {AlertBox::Question, QMessageBox::Question}};
    for (const auto& [level, icon] : expected) {
        AlertBox box(level, "", "", QMessageBox::Ok, nullptr, restartFlags);
        EXPECT_EQ(box.icon(), icon) << level;
    }
}

TEST(AlertBoxDialog, LearnMoreLinkSitsBetweenTextAndButtonsEvenAfterARelayout)
{
    AlertBox box(AlertBox::Information, "", "Something happened.", QMessageBox::Ok, nullptr, restartFlags);
    box.SetLearnMoreLink(QStringLiteral("https://example.com/help?a=1&b=2"));
    // Both of these make the message box rebuild its layout.
    box.setIconPixmap(QPixmap(16, 16));
    box.setInformativeText(QStringLiteral("More detail."));
    box.show();

    QLabel* link = LearnMoreLabel(box);
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->text().contains(QStringLiteral("a=1&amp;b=2")));
    EXPECT_TRUE(link->isVisible());
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    ASSERT_NE(grid, nullptr);
    EXPECT_GE(grid->indexOf(link), 0);
    auto* buttons = box.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_LT(link->geometry().bottom(), buttons->geometry().top());

    box.SetLearnMoreLink(QString());
    EXPECT_EQ(LearnMoreLabel(box), nullptr);
}

TEST(AlertBoxDialog, WidthIsFixedWhenShown)
{
    AlertBox box(AlertBox::Information, "", QString(300, QLatin1Char('w')).replace(10, 1, " "), QMessageBox::Ok,
                 nullptr, restartFlags);
    box.SetLearnMoreLink(QStringLiteral("https://example.com"));
    box.SetWidth(450);
    box.show();
    EXPECT_EQ(box.width(), 450);
    EXPECT_GE(box.height(), box.findChild<QDialogButtonBox*>()->sizeHint().height());
}

TEST(AlertBoxDialog, ModelessShowDeletesItselfOnCloseOnlyWhenAsked)
{
    QPointer<AlertBox> kept = new AlertBox(AlertBox::Information, "", "", QMessageBox::Ok, nullptr, restartFlags);
    kept->Show(false);
    EXPECT_TRUE(kept->isVisible());
    EXPECT_FALSE(kept->isModal());
    kept->close();

    QPointer<AlertBox> transient = new AlertBox(AlertBox::Information, "", "", QMessageBox::Ok, nullptr, restartFlags);
    transient->Show(true);
    transient->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return transient.isNull(); }, 5000));
    ASSERT_FALSE(kept.isNull());
    delete kept;
}

TEST(MainWindowRegistry, GivesTheLastWindowSetAndForgetsADeletedOne)
{
    auto* first = new QMainWindow;
    QMainWindow second;
    Talvex::Util::SpontaneousDialog::SetMainWindow(first);
    Talvex::Util::SpontaneousDialog::SetMainWindow(&second);
    EXPECT_EQ(Talvex::Util::SpontaneousDialog::GetMainWindow(), &second);

    Talvex::Util::SpontaneousDialog::SetMainWindow(first);
    delete first;
    EXPECT_EQ(Talvex::Util::SpontaneousDialog::GetMainWindow(), nullptr);
}
