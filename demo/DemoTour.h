#pragma once

#include <QDir>
#include <QObject>
#include <QPixmap>
#include <QTimer>

#include <functional>
#include <vector>

class MainWindow;

namespace Talvex::App {
class Application;
}

// The unattended walk through the sample product: flip the desktop to dark and let the
// product follow, switch the theme, switch the
// language, ask the confirmation, scroll the file list by touch, open the Informer,
// show the crash report of a child instance that crashed on purpose, open a file from a
// second launch of the product (which hands it over and exits), start the helper and wait for it to hand the focus
// back and for the update check. After each step a picture of the window (with the open box drawn where it stands) is
// saved as <folder>/tour-<n>-<step>.png (and, when TALVEX_DEMO_SCREEN_COMMAND names a
// screen grabber, the screen as <folder>/screen-<n>-<step>.png); then the application
// is asked to quit.
class DemoTour : public QObject {
public:
    DemoTour(Talvex::App::Application& application, MainWindow& window, const QString& folder);

    void Start();
    // The number of pictures that could not be saved.
    int Failures() const { return failures; }

private:
    struct Step {
        QString name;
        std::function<void()> action;
        // The step pictures itself and goes on when it is done.
        bool continuesByItself = false;
    };

    void RunNext();
    void Save(const QString& name, const QPixmap& picture);
    void SaveScreen(const QString& name);
    QPixmap Picture(QWidget* box) const;
    // Runs `open`, which shows a modal box; once the box is up it is pictured and
    // closed with `close`.
    void PictureModal(const QString& name, const std::function<void()>& open,
                      const std::function<void(QWidget&)>& close);
    void FlipDesktopToDark();
    void ScrollByTouch();
    void WaitForHelperAndUpdateCheck(int remainingMs);
    void ShowReportOfACrashedChild();
    void OpenFromASecondLaunch();
    void PictureOnceListed(const QString& name, const QString& file, int remainingMs);

    Talvex::App::Application& application;
    MainWindow& window;
    QDir folder;
    std::vector<Step> steps;
    std::size_t next = 0;
    int failures = 0;
    bool modalPictured = false;
    bool updateCheckRequested = false;
};
