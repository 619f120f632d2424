#include "Platform/Util/AlertBox.h"
#include "Platform/Util/SpontaneousDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>

using Talvex::Util::AlertBox;

namespace {

AlertBox* NewBox(const QString& text = QString())
{
    return new AlertBox(AlertBox::Information, "", text, QMessageBox::Ok, nullptr,
                        Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
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

TEST(AlertBoxDialog, LearnMoreLinkStaysBetweenTextAndButtonsAfterARelayoutAndWidthIsFixed)
{
    std::unique_ptr<AlertBox> box(NewBox(QString(300, QLatin1Char('w')).replace(10, 1, " ")));
    box->SetLearnMoreLink(QStringLiteral("https://example.com/help?a=1&b=2"));
    box->SetWidth(450);
    // Both of these make the message box rebuild its layout.
    box->setIconPixmap(QPixmap(16, 16));
    box->setInformativeText(QStringLiteral("More detail."));
    box->show();

    QLabel* link = LearnMoreLabel(*box);
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->text().contains(QStringLiteral("a=1&amp;b=2")));
    EXPECT_TRUE(link->isVisible());
    EXPECT_GE(qobject_cast<QGridLayout*>(box->layout())->indexOf(link), 0);
    EXPECT_LT(link->geometry().bottom(), box->findChild<QDialogButtonBox*>()->geometry().top());
    EXPECT_EQ(box->width(), 450);

    box->SetLearnMoreLink(QString());
    EXPECT_EQ(LearnMoreLabel(*box), nullptr);
}

TEST(AlertBoxDialog, ModelessShowDeletesItselfOnCloseOnlyWhenAsked)
{
    QPointer<AlertBox> kept = NewBox();
    QPointer<AlertBox> transient = NewBox();
    kept->Show(false);
    transient->Show(true);
    EXPECT_FALSE(kept->isModal());
    kept->close();
    transient->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return transient.isNull(); }, 5000));
    ASSERT_FALSE(kept.isNull());
    delete kept;
}

TEST(MainWindowRegistry, GivesTheLastWindowSetAndForgetsADeletedOne)
{
    auto* first = new QMainWindow;
    QMainWindow second;
    Talvex::Util::SpontaneousDialog::SetMainWindow(&second);
    EXPECT_EQ(Talvex::Util::SpontaneousDialog::GetMainWindow(), &second);
    Talvex::Util::SpontaneousDialog::SetMainWindow(first);
    delete first;
    EXPECT_EQ(Talvex::Util::SpontaneousDialog::GetMainWindow(), nullptr);
}
