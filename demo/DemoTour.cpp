#include "DemoTour.h"

#include "MainWindow.h"
#include "MediaList.h"

#include "App/Application/Application.h"
#include "App/Application/Dialogs/Informer.h"
#include "App/Application/LookAndFeel/ILookAndFeelManager.h"
#include "CrashReportOffer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest/QTest>

#include <cstdio>

namespace {

// Long enough for a style sheet change or a scroll to be painted.
const int SETTLE_MS = 400;
// The helper closes itself after 1.5 s and the update check is asked for 5 s after
// Start; the limit only matters on a machine too busy to get there.
const int LAST_STEP_WAIT_MS = 20000;
// A crashing child starts the whole product first.
const int CHILD_WAIT_MS = 20000;

} // namespace

DemoTour::DemoTour(Talvex::App::Application& application, MainWindow& window, const QString& folder)
    : application(application), window(window), folder(folder)
{
    this->folder.mkpath(QStringLiteral("."));
    connect(&application, &Talvex::App::Application::AutoUpdateCheckRequested, this,
            [this] { updateCheckRequested = true; });
    steps = {
        {QStringLiteral("start"), [] {}},
        {QStringLiteral("desktop-dark"), [this] { FlipDesktopToDark(); }},
        {QStringLiteral("theme-dark"), [this] { this->window.PickTheme("Dark"); }},
        {QStringLiteral("language-german"), [this] { this->window.PickLanguage("de_DE"); }},
        {QStringLiteral("confirmation"),
         [this] {
             PictureModal(
                 QStringLiteral("confirmation"), [this] { this->window.RemoveAllFiles(); },
                 [](QWidget& box) {
                     auto* message = qobject_cast<QMessageBox*>(&box);
                     QAbstractButton* no = message ? message->button(QMessageBox::No) : nullptr;
                     no ? no->click() : static_cast<void>(box.close());
                 });
         }},
        {QStringLiteral("touch-scroll"), [this] { ScrollByTouch(); }},
        {QStringLiteral("informer"),
         [this] {
             PictureModal(
                 QStringLiteral("informer"), [this] { this->window.ShowAbout(); },
                 [this](QWidget&) { this->window.GetInformer().Close(); });
         }},
        {QStringLiteral("crash-report"), [this] { ShowReportOfACrashedChild(); }},
        {QStringLiteral("second-launch"), [this] { OpenFromASecondLaunch(); }, true},
        {QStringLiteral("helper"), [this] { WaitForHelperAndUpdateCheck(LAST_STEP_WAIT_MS); }, true},
    };
}

void DemoTour::Start()
{
    QTimer::singleShot(SETTLE_MS, this, &DemoTour::RunNext);
}

void DemoTour::RunNext()
{
    if (next == steps.size()) {
        std::printf("tour finished: %zu steps, pictures in %s\n", steps.size(), qPrintable(folder.path()));
        application.TryToQuit();
        return;
    }
    const Step& step = steps[next++];
    modalPictured = false;
    step.action();
    if (step.continuesByItself) {
        return;
    }
    const QString name = QStringLiteral("%1-%2").arg(next).arg(step.name);
    QTimer::singleShot(SETTLE_MS, this, [this, name] {
        if (!modalPictured) {
            Save(name, Picture(nullptr));
        }
        RunNext();
    });
}

void DemoTour::Save(const QString& name, const QPixmap& picture)
{
    const QString path = folder.filePath(QStringLiteral("tour-") + name + QStringLiteral(".png"));
    const bool saved = picture.save(path);
    failures += saved ? 0 : 1;
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(path));
    SaveScreen(name);
}

// The window as the compositor shows it, taken from outside by the screen command
// (run-demo.sh names grim on Wayland); nothing without one.
void DemoTour::SaveScreen(const QString& name)
{
    const QString command = qEnvironmentVariable("TALVEX_DEMO_SCREEN_COMMAND");
    if (command.isEmpty()) {
        return;
    }
    const QString path = folder.filePath(QStringLiteral("screen-") + name + QStringLiteral(".png"));
    const bool saved = QProcess::execute(command, {path}) == 0;
    failures += saved ? 0 : 1;
    std::printf("%s %s\n", saved ? "saved" : "could not save", qPrintable(path));
}

QPixmap DemoTour::Picture(QWidget* box) const
{
    QPixmap picture = window.grab();
    if (!box) {
        return picture;
    }
    const QPixmap boxPicture = box->grab();
    QPoint at = box->mapToGlobal(QPoint()) - window.mapToGlobal(QPoint());
    at.setX(qBound(0, at.x(), qMax(0, picture.width() - boxPicture.width())));
    at.setY(qBound(0, at.y(), qMax(0, picture.height() - boxPicture.height())));
    QPainter painter(&picture);
    painter.drawPixmap(at, boxPicture);
    painter.setPen(window.palette().color(QPalette::Highlight));
    painter.drawRect(QRect(at, boxPicture.size()).adjusted(0, 0, -1, -1));
    return picture;
}

void DemoTour::PictureModal(const QString& name, const std::function<void()>& open,
                            const std::function<void(QWidget&)>& close)
{
    auto* watch = new QTimer(this);
    const QString picture = QStringLiteral("%1-%2").arg(next).arg(name);
    connect(watch, &QTimer::timeout, this, [this, watch, picture, close] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !box->isVisible()) {
            return;
        }
        watch->stop();
        watch->deleteLater();
        QTest::qWait(SETTLE_MS);
        Save(picture, Picture(box));
        modalPictured = true;
        close(*box);
    });
    watch->start(50);
    open();
    // A remembered answer shows no box at all; the next box is not this step's.
    if (!modalPictured) {
        watch->stop();
        watch->deleteLater();
    }
}

// The desktop's own switch (GNOME's setting, which the desktop portal serves); the
// product follows it by itself, without any menu being touched.
void DemoTour::FlipDesktopToDark()
{
    // Only a desktop set up for the tour is flipped (run-demo.sh starts one: a session
    // bus and a settings store of the run's own), never the desktop of whoever runs it.
    if (qEnvironmentVariable("TALVEX_DEMO_DESKTOP") != QLatin1String("private")) {
        std::printf("desktop preference left alone: no desktop of the tour's own\n");
        return;
    }
    QProcess gsettings;
    gsettings.start(QStringLiteral("gsettings"), {QStringLiteral("set"), QStringLiteral("org.gnome.desktop.interface"),
                                                  QStringLiteral("color-scheme"), QStringLiteral("prefer-dark")});
    const bool flipped =
        gsettings.waitForFinished(5000) && gsettings.exitStatus() == QProcess::NormalExit && gsettings.exitCode() == 0;
    const auto lookAndFeel = application.GetLookAndFeel();
    const bool followed =
        flipped && QTest::qWaitFor([&] { return lookAndFeel->GetCurrentTheme() == "Dark"; }, LAST_STEP_WAIT_MS);
    std::printf("desktop preference %s; the product %s\n", flipped ? "flipped to dark" : "could not be flipped",
                followed ? "switched to Dark on its own" : "did not switch");
}

// A flick: the finger travels 150 pixels in about 60 ms and lifts while still moving,
// so the list glides on well past where the finger left it.
void DemoTour::ScrollByTouch()
{
    MediaList& list = window.Files();
    auto* device = QTest::createTouchDevice();
    const int rowHeight = qMax(1, list.sizeHintForRow(0));
    const int topBefore = list.indexAt({5, 0}).row();
    const QPoint start(list.viewport()->width() / 2, list.viewport()->height() - 20);
    const int travel = qMin(150, start.y() - 10);
    QTest::touchEvent(&list, device).press(0, start, list.viewport());
    for (int step = 1; step <= 6; ++step) {
        QTest::qWait(10);
        QTest::touchEvent(&list, device).move(0, {start.x(), start.y() - travel * step / 6}, list.viewport());
    }
    QTest::touchEvent(&list, device).release(0, {start.x(), start.y() - travel}, list.viewport());
    // The glide hands the list its own scroll mode back when it comes to rest.
    const bool rested =
        QTest::qWaitFor([&list] { return list.verticalScrollMode() == QAbstractItemView::ScrollPerItem; }, 5000);
    const int moved = (list.indexAt({5, 0}).row() - topBefore) * rowHeight;
    std::printf("touch flick: the finger went %d px, the list %d px%s\n", travel, moved,
                rested ? "" : " and had not come to rest after 5 s");
}

void DemoTour::WaitForHelperAndUpdateCheck(int remainingMs)
{
    if (remainingMs == LAST_STEP_WAIT_MS) {
        // As a user would, from the window's own menu: the window is active when the
        // helper starts, so its coming back is what the step shows.
        if (!window.isActiveWindow()) {
            window.activateWindow();
        }
        window.StartHelper(QStringLiteral("--close-after 1500"));
    }
    const QString name = QStringLiteral("%1-helper").arg(next);
    if ((!window.IsHelperRunning() && !window.CheckingFocusHandBack() && updateCheckRequested) || remainingMs <= 0) {
        std::printf("helper handed the focus back: %s; update check requested: %s\n",
                    window.HelperHandedFocusBack() ? "yes" : "no", updateCheckRequested ? "yes" : "no");
        QTimer::singleShot(SETTLE_MS, this, [this, name] {
            Save(name, Picture(nullptr));
            RunNext();
        });
        return;
    }
    QTimer::singleShot(100, this, [this, remainingMs] { WaitForHelperAndUpdateCheck(remainingMs - 100); });
}

// `talvex-demo some-file.mkv` while the tour runs, as a file manager would start it: the
// launch hands the file over and exits, and the file shows up selected in our list. The
// launch runs without waiting for it, since the hand-over needs our event loop.
void DemoTour::OpenFromASecondLaunch()
{
    auto* launch = new QProcess(this);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("TALVEX_DEMO_TOUR"));
    launch->setProcessEnvironment(environment);
    const QString name = QStringLiteral("%1-second-launch").arg(next);
    connect(launch, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this, [this, launch, name] {
        launch->deleteLater();
        PictureOnceListed(name, QStringLiteral("some-file.mkv"), CHILD_WAIT_MS);
    });
    launch->start(QCoreApplication::applicationFilePath(), {QStringLiteral("some-file.mkv")});
}

void DemoTour::PictureOnceListed(const QString& name, const QString& file, int remainingMs)
{
    const bool listed = window.Files().Lists(file);
    if (!listed && remainingMs > 0) {
        QTimer::singleShot(100, this, [=] { PictureOnceListed(name, file, remainingMs - 100); });
        return;
    }
    std::printf("second launch handed over: %s\n", listed ? "yes" : "no");
    QTimer::singleShot(SETTLE_MS, this, [this, name] {
        Save(name, Picture(nullptr));
        RunNext();
    });
}

// Another instance of the product crashes on purpose; its report is then what the
// offer shows after a real crash.
void DemoTour::ShowReportOfACrashedChild()
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("TALVEX_DEMO_TOUR"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--crash-on-purpose")});
    child.waitForFinished(CHILD_WAIT_MS);
    const QByteArray output = child.readAllStandardOutput();
    const int at = output.indexOf("session ");
    const std::string session = at < 0 ? std::string() : output.mid(at + 8).trimmed().toStdString();
    std::printf("crashed child: %s, session %s\n",
                child.exitStatus() == QProcess::CrashExit ? "ended by its crash" : "did not crash", session.c_str());
    PictureModal(
        QStringLiteral("crash-report"), [this, session] { CrashReportOffer::ShowReport(application, window, session); },
        [](QWidget& box) { box.close(); });
}
