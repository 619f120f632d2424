#include "App/Application/Dialogs/Informer.h"
#include "DialogDriver.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QToolTip>
#include <QUrl>

#include <map>

namespace Talvex::Test {
namespace {

using App::Informer;
using Util::AlertBox;

const char* const COPIED = "Email address has been copied to the clipboard";

// Stands in for the desktop's handler of one URL scheme.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

using Captions = std::map<QMessageBox::StandardButton, QString>;

class InformerDialog : public GuiTest {
protected:
    QMessageBox::StandardButtons Exec(Informer& informer, const QString& text, const Captions& buttons,
                                      std::function<void(QMessageBox&)> action, const QString& icon = QString())
    {
        DialogDriver driver(std::move(action));
        const auto pressed = informer.ExecDialog(text, "https://example.test/help", icon, AlertBox::Warning, buttons);
        EXPECT_TRUE(driver.Acted());
        return pressed;
    }

    QWidget window;
};

bool SamePicture(const QPixmap& shown, const QString& path)
{
    return !shown.isNull() && shown.toImage().convertToFormat(QImage::Format_ARGB32) ==
                                  QImage(path).convertToFormat(QImage::Format_ARGB32);
}

TEST_F(InformerDialog, BuildsTheBoxFromItsArgumentsAndReleasesItAfterwards)
{
    Informer informer([this] { return &window; });
    EXPECT_EQ(informer.parent(), &window);
    QPointer<QMessageBox> seen;
    QString defaultNo = QMessageBox(QMessageBox::NoIcon, "", "", QMessageBox::No).button(QMessageBox::No)->text();

    const auto pressed = Exec(informer, "Read <a href=\"https://example.test\">this</a>.",
                              {{QMessageBox::Yes, "Convert now"}, {QMessageBox::No, ""}}, [&](QMessageBox& box) {
                                  seen = &box;
                                  EXPECT_EQ(box.objectName(), "Informer_AlertBox");
                                  EXPECT_EQ(box.parentWidget(), &window);
                                  EXPECT_TRUE(box.windowTitle().isEmpty());
                                  EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "Convert now");
                                  EXPECT_EQ(box.button(QMessageBox::No)->text(), defaultNo);
                                  EXPECT_EQ(box.buttons().size(), 2);
                                  EXPECT_TRUE(SamePicture(box.iconPixmap(), ":/Icons/large_icon.png"));
                                  EXPECT_FALSE(box.windowIcon().isNull());
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
    const QString icon = scratch.filePath("icon.png");
    QImage picture(24, 24, QImage::Format_ARGB32);
    picture.fill(Qt::darkCyan);
    picture.save(icon);
    Informer informer;
    QApplication::clipboard()->setText("untouched");

    Exec(
        informer, "Write to <a href=\"mailto:help@example.test\">us</a>.", {{QMessageBox::Ok, ""}},
        [&](QMessageBox& box) {
            EXPECT_TRUE(SamePicture(box.iconPixmap(), icon));
            auto* label = box.findChild<QLabel*>("qt_msgbox_label");
            ASSERT_NE(label, nullptr);

            emit label->linkActivated("https://example.test/page");
            EXPECT_EQ(web.opened, QList<QUrl>{QUrl("https://example.test/page")});
            EXPECT_EQ(QApplication::clipboard()->text(), "untouched");

            emit label->linkActivated("mailto:help@example.test");
            EXPECT_EQ(QApplication::clipboard()->text(), "help@example.test");
            EXPECT_EQ(QToolTip::text(), COPIED);
            EXPECT_TRUE(mail.opened.isEmpty());

            // Only the lower-case prefix marks a mail link.
            emit label->linkActivated("MAILTO:Someone@Example.test");
            EXPECT_EQ(mail.opened.size(), 1);
            EXPECT_EQ(QApplication::clipboard()->text(), "help@example.test");

            // A link the desktop cannot open is offered whole instead.
            emit label->linkActivated("http://bad host/x");
            EXPECT_EQ(QApplication::clipboard()->text(), "http://bad host/x");

            // Only a label's link counts; a direct call copies nothing.
            QMetaObject::invokeMethod(&informer, "OnDialogLinkActivated", Q_ARG(QString, "mailto:x@example.test"));
            EXPECT_EQ(QApplication::clipboard()->text(), "http://bad host/x");
            Press(box, QMessageBox::Ok);
        },
        icon);
    QDesktopServices::unsetUrlHandler("https");
    QDesktopServices::unsetUrlHandler("mailto");
}

TEST_F(InformerDialog, CloseEndsTheOpenBoxWhenItHasAnEscapeButton)
{
    Informer informer;
    EXPECT_TRUE(informer.Close());

    const auto cancelled = Exec(informer, "Stop?", {{QMessageBox::Ok, ""}, {QMessageBox::Cancel, ""}},
                                [&](QMessageBox&) { EXPECT_TRUE(informer.Close()); });
    EXPECT_EQ(cancelled, QMessageBox::Cancel);

    // Without a button that closing could stand for, the box refuses to close.
    const auto saved =
        Exec(informer, "Keep?", {{QMessageBox::Yes, ""}, {QMessageBox::Save, ""}}, [&](QMessageBox& box) {
            EXPECT_FALSE(informer.Close());
            EXPECT_TRUE(box.isVisible());
            Press(box, QMessageBox::Save);
        });
    EXPECT_EQ(saved, QMessageBox::Save);
    EXPECT_TRUE(informer.Close());
}

TEST_F(InformerDialog, DestroyingTheInformerWhileItsBoxRunsStillReturnsThePressedButton)
{
    auto* informer = new Informer([this] { return &window; });
    QPointer<QMessageBox> box;
    const auto pressed =
        Exec(*informer, "Busy", {{QMessageBox::Yes, ""}, {QMessageBox::No, ""}}, [&](QMessageBox& open) {
            box = &open;
            Press(open, QMessageBox::Yes);
            delete informer;
        });
    EXPECT_EQ(pressed, QMessageBox::Yes);
    // The box belongs to the window, which releases it.
    EXPECT_FALSE(box.isNull());
}

TEST_F(InformerDialog, DestroyingTheParentWindowWhileTheBoxRunsReturnsNoButton)
{
    auto* parent = new QWidget;
    QPointer<Informer> informer = new Informer([parent] { return parent; });
    const auto pressed = Exec(*informer, "Busy", {{QMessageBox::Ok, ""}}, [&](QMessageBox&) { delete parent; });
    EXPECT_EQ(pressed, QMessageBox::NoButton);
    EXPECT_TRUE(informer.isNull());
}

} // namespace
} // namespace Talvex::Test

#include "InformerDialog.moc"
