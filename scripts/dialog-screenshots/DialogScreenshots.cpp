// Opens each common dialog as a product would, grabs it once it is on screen and
// writes the pictures to the folder given. Run through scripts/dialog-screenshots.sh.
#include "App/Application/Application.h"
#include "App/Application/Dialogs/ColorDialogHelper.h"
#include "App/Application/Dialogs/ConfirmationAlertBox.h"
#include "App/Application/Dialogs/Informer.h"
#include "App/Application/Dialogs/MacMenuActionHandler.h"
#include "App/Application/Settings/SettingsManager.h"

#include <QAction>
#include <QCheckBox>
#include <QColorDialog>
#include <QCursor>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

QString outputFolder;
bool allSaved = true;

// With `withScreen` the picture is taken from the screen, so windows over the widget
// (a tooltip) show too.
void Save(QWidget* widget, const QString& name, bool withScreen = false)
{
    const QString path = outputFolder + "/" + name + ".png";
    QRect frame = widget->frameGeometry();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (withScreen && window->isVisible() && window->inherits("QTipLabel")) {
            frame |= window->frameGeometry().adjusted(-4, -4, 4, 4);
        }
    }
    const QPixmap picture = withScreen
                                ? widget->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
                                : widget->grab();
    if (!picture.save(path)) {
        std::fprintf(stderr, "cannot save %s\n", qPrintable(path));
        allSaved = false;
    }
}

// Once the active modal dialog is up and laid out, prepares it, grabs it and closes it.
void GrabModal(const QString& name, std::function<void(QWidget*)> prepare = {}, bool withScreen = false)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible()) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (prepare) {
            prepare(dialog);
        }
        QTimer::singleShot(300, dialog, [=] {
            Save(dialog, name, withScreen);
            dialog->close();
            if (dialog->isVisible()) {
                QMetaObject::invokeMethod(dialog, "reject");
            }
        });
    });
    timer->start(20);
}

void Confirmation(const std::shared_ptr<Talvex::App::ISettingsManager>& settings)
{
    Talvex::App::ConfirmationAlertBox box(
        settings, Talvex::Util::AlertBox::Question, "Replace file",
        "A file named \"Holiday in the mountains (1080p).mp4\" already exists in the output folder. "
        "Do you want to replace it?",
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.SetConfirmationId("replaceOutput");
    GrabModal("confirmation", [](QWidget* dialog) { dialog->findChild<QCheckBox*>()->setChecked(true); });
    box.Exec();
    box.Reset();
}

void Informers()
{
    Talvex::App::Informer informer;
    GrabModal("informer");
    informer.ExecDialog("The conversion finished, but 2 of 14 files were skipped because their format is not "
                        "supported. See <a href=\"https://example.com/formats\">the list of formats</a>.",
                        "https://example.com/help/skipped-files", QString(), Talvex::Util::AlertBox::Warning,
                        {{QMessageBox::Ok, "Got it"}, {QMessageBox::Retry, "Convert again"}});
    // The user clicks the address: it is copied and a tooltip says so.
    GrabModal(
        "informer-mail",
        [](QWidget* dialog) {
            auto* label = dialog->findChild<QLabel*>("qt_msgbox_label");
            QCursor::setPos(label->mapToGlobal(QPoint(label->width() / 3, label->height() / 2)));
            emit label->linkActivated("mailto:support@example.com");
        },
        true);
    informer.ExecDialog("Something went wrong while reading the video. Please write to "
                        "<a href=\"mailto:support@example.com\">support@example.com</a> and attach the log file.",
                        QString(), QString(), Talvex::Util::AlertBox::Critical, {{QMessageBox::Close, ""}});
}

void Colours()
{
    for (int index = 0; index < QColorDialog::customCount(); ++index) {
        QColorDialog::setCustomColor(index, QColor::fromHsv(index * 360 / QColorDialog::customCount(), 170, 230));
    }
    {
        Talvex::App::ColorDialogHelper save;
    }
    for (int index = 0; index < QColorDialog::customCount(); ++index) {
        QColorDialog::setCustomColor(index, Qt::white);
    }
    Talvex::App::ColorDialogHelper load;
    GrabModal("colour-dialog");
    QColorDialog::getColor(QColor(0x2d, 0x5b, 0x9a));
}

void MacMenus()
{
    QMainWindow window;
    QMenu* appMenu = window.menuBar()->addMenu("Talvex");
    appMenu->setObjectName("menuMacOSMenu");
    const char* entries[][2] = {{"action_About", "About Talvex"},
                                {"action_Preferences", "Preferences..."},
                                {"action_Hide", "Hide Talvex"},
                                {"action_Hide_Others", "Hide Others"},
                                {"action_Quit", "Quit Talvex"}};
    for (const auto& entry : entries) {
        appMenu->addAction(entry[1])->setObjectName(entry[0]);
    }
    new Talvex::App::MacMenuActionHandler(window.menuBar(), {});
    window.resize(320, 60);
    window.show();
    appMenu->popup(window.mapToGlobal(QPoint(0, 30)));
    QEventLoop wait;
    QTimer::singleShot(400, &wait, &QEventLoop::quit);
    wait.exec();
    Save(appMenu, "mac-application-menu");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    outputFolder = QString::fromLocal8Bit(argv[1]);
    Talvex::App::Application::AppContext context;
    context.holdInstanceMutex = false;
    Talvex::App::Application application(argc, argv, context);
    QTemporaryDir scratch;
    auto settings =
        std::make_shared<Talvex::App::SettingsManager>(scratch.filePath("settings.ini"), QSettings::IniFormat);
    application.SetSettingsManager(settings);

    Confirmation(settings);
    Informers();
    Colours();
    MacMenus();
    return allSaved ? 0 : 1;
}
