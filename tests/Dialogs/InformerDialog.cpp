#include "App/Application/Dialogs/Informer.h"
#include "DialogDriver.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QToolTip>
#include <QUrl>

namespace Talvex::Test {
namespace {

using App::Informer;
using Captions = std::map<QMessageBox::StandardButton, QString>;

// Stands in for the desktop's handler of one URL scheme.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

class InformerDialog : public GuiTest {
protected:
    QMessageBox::StandardButtons Exec(Informer& informer, const Captions& buttons,
                                      std::function<void(QMessageBox&)> action, const QString& icon = QString())
    {
        DialogDriver driver(std::move(action));
        const auto pressed = informer.ExecDialog("Read <a href=\"mailto:help@example.test\">us</a>.",
                                                 "https://example.test/help", icon, Util::AlertBox::Warning, buttons);
        EXPECT_TRUE(driver.Acted());
        return pressed;
    }

    static bool Shows(const QPixmap& shown, const QString& path)
    {
        return shown.toImage().convertToFormat(QImage::Format_ARGB32) ==
               QImage(path).convertToFormat(QImage::Format_ARGB32);
    }

    QWidget window;
};

TEST_F(InformerDialog, BuildsTheBoxFromItsArgumentsAndReleasesItAfterwards)
{
    Informer informer([this] { return &window; });
    QPointer<QMessageBox> seen;
    const QString defaultNo = QMessageBox(QMessageBox::NoIcon, "", "", QMessageBox::No).button(QMessageBox::No)->text();
    const auto pressed =
        Exec(informer, {{QMessageBox::Yes, "Convert now"}, {QMessageBox::No, ""}}, [&](QMessageBox& box) {
            seen = &box;
            EXPECT_EQ(box.objectName(), "Informer_AlertBox");
            EXPECT_EQ(box.parentWidget(), &window);
            EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "Convert now");
            EXPECT_EQ(box.button(QMessageBox::No)->text(), defaultNo);
            EXPECT_TRUE(Shows(box.iconPixmap(), ":/Icons/large_icon.png"));
            // The box keeps its width when it lays itself out again.
            QEvent relayout(QEvent::LayoutRequest);
            QCoreApplication::sendEvent(&box, &relayout);
            EXPECT_EQ(box.width(), 450);
            int linkLabels = 0;
            for (QLabel* label : box.findChildren<QLabel*>()) {
                EXPECT_EQ(label->textInteractionFlags(), Qt::LinksAccessibleByMouse);
                EXPECT_FALSE(label->openExternalLinks());
                linkLabels += label->text().contains("href") ? 1 : 0;
            }
            EXPECT_EQ(linkLabels, 2); // the text and the learn-more line
            Press(box, QMessageBox::No);
        });
    EXPECT_EQ(pressed, QMessageBox::No);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(seen.isNull());
}

TEST_F(InformerDialog, MailLinksGoToTheClipboardWebLinksToTheDesktop)
{
    UrlRecorder web, mail;
    QDesktopServices::setUrlHandler("https", &web, "Open");
    QDesktopServices::setUrlHandler("mailto", &mail, "Open");
    QTemporaryDir scratch;
    QImage picture(24, 24, QImage::Format_ARGB32);
    picture.fill(Qt::darkCyan);
    picture.save(scratch.filePath("icon.png"));
    Informer informer;
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText("untouched");
    auto clickLinks = [&](QMessageBox& box) {
        EXPECT_TRUE(Shows(box.iconPixmap(), scratch.filePath("icon.png")));
        auto* label = box.findChild<QLabel*>("qt_msgbox_label");
        emit label->linkActivated("https://example.test/page");
        EXPECT_EQ(web.opened, QList<QUrl>{QUrl("https://example.test/page")});
        EXPECT_EQ(clipboard->text(), "untouched");
        emit label->linkActivated("mailto:help@example.test");
        EXPECT_EQ(clipboard->text(), "help@example.test");
        EXPECT_EQ(QToolTip::text(), "Email address has been copied to the clipboard");
        emit label->linkActivated("MAILTO:Someone@Example.test"); // a web link: only lower case marks mail
        EXPECT_EQ(mail.opened.size(), 1);
        emit label->linkActivated("http://bad host/x"); // the desktop cannot open it
        EXPECT_EQ(clipboard->text(), "http://bad host/x");
        // Without a label as sender nothing is copied.
        QMetaObject::invokeMethod(&informer, "OnDialogLinkActivated", Q_ARG(QString, "mailto:x@example.test"));
        EXPECT_EQ(clipboard->text(), "http://bad host/x");
        Press(box, QMessageBox::Ok);
    };
    Exec(informer, {{QMessageBox::Ok, ""}}, clickLinks, scratch.filePath("icon.png"));
    QDesktopServices::unsetUrlHandler("https");
    QDesktopServices::unsetUrlHandler("mailto");
}

TEST_F(InformerDialog, CloseEndsTheOpenBoxWhenItHasAnEscapeButton)
{
    Informer informer;
    EXPECT_TRUE(informer.Close());
    auto close = [&](QMessageBox&) { EXPECT_TRUE(informer.Close()); };
    EXPECT_EQ(Exec(informer, {{QMessageBox::Ok, ""}, {QMessageBox::Cancel, ""}}, close), QMessageBox::Cancel);
    // Without a button that closing could stand for, the box refuses to close.
    auto refuse = [&](QMessageBox& box) {
        EXPECT_FALSE(informer.Close());
        Press(box, QMessageBox::Save);
    };
    EXPECT_EQ(Exec(informer, {{QMessageBox::Yes, ""}, {QMessageBox::Save, ""}}, refuse), QMessageBox::Save);
}

TEST_F(InformerDialog, DestroyingTheInformerOrItsWindowWhileTheBoxRunsIsSafeAndFreesTheBox)
{
    auto* informer = new Informer([this] { return &window; });
    auto pressYesAndDestroy = [&](QMessageBox& box) {
        Press(box, QMessageBox::Yes);
        delete informer;
    };
    EXPECT_EQ(Exec(*informer, {{QMessageBox::Yes, ""}, {QMessageBox::No, ""}}, pressYesAndDestroy), QMessageBox::Yes);

    auto* parent = new QWidget;
    QPointer<Informer> owned = new Informer([parent] { return parent; });
    EXPECT_EQ(Exec(*owned, {{QMessageBox::Ok, ""}}, [&](QMessageBox&) { delete parent; }), QMessageBox::NoButton);
    EXPECT_TRUE(owned.isNull());

    // A box without a parent window has nobody else to free it.
    QList<QPointer<QMessageBox>> boxes;
    for (int round = 0; round < 3; ++round) {
        auto* parentless = new Informer;
        auto destroyAndPress = [&](QMessageBox& box) {
            boxes << &box;
            delete parentless;
            Press(box, QMessageBox::Ok);
        };
        EXPECT_EQ(Exec(*parentless, {{QMessageBox::Ok, ""}}, destroyAndPress), QMessageBox::Ok);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(boxes.size(), 3);
    EXPECT_EQ(boxes.count(nullptr), 3);
}

} // namespace
} // namespace Talvex::Test

#include "InformerDialog.moc"
