#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QListWidget;
class QMenu;
class QAction;
class HelperLink;
class MediaList;

namespace Talvex::App {
class Application;
class ColorDialogHelper;
class DesktopThemeFollower;
class ILookAndFeelManager;
class ILookAndFeelObserver;
class Informer;
class LookAndFeelHandler;
} // namespace Talvex::App

// The sample product's window: a converter's file list that scrolls by touch, a list of
// what the application found at start-up, a status line, and menus for the common
// dialogs, the helper program, restarting, languages and themes. Every visible text
// follows the current language.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Product setting: whether the theme follows the desktop (on unless the user turned it off).
    static constexpr char FOLLOW_SYSTEM[] = "followSystem";

    MainWindow(Talvex::App::Application& application, std::shared_ptr<Talvex::App::ILookAndFeelManager> lookAndFeel);
    ~MainWindow() override;

    // Offers "Follow the system" in the theme menu and remembers whether it is on.
    void FollowTheDesktop(std::shared_ptr<Talvex::App::DesktopThemeFollower> follower);

    // A fixed line, shown as given in every language.
    void AddLine(const QString& text);
    // A line built again whenever the language changes.
    void AddTranslatedLine(std::function<QString()> text);
    // Fills the list once the application has started.
    void ReportStart();
    // The status line; it keeps the text builder to follow the language.
    void SetStatus(std::function<QString()> text);
    // The update check's own place at the right of the status bar.
    void SetUpdateStatus(std::function<QString()> text);

    // Lists the files a command line names (relative ones in `folder`); options are
    // left to others. `arguments` start with the program, as a launch gives them.
    void OpenFiles(const QStringList& arguments, const QString& folder);

    // What the menus do, also for the unattended tour. The two pickers go through the
    // menu entries, exactly as a click would.
    void RemoveAllFiles();
    void ShowAbout();
    void ChooseColour();
    void StartHelper(const QString& arguments = QString());
    void PickTheme(const std::string& theme);
    void PickLanguage(const std::string& locale);

    bool IsHelperRunning() const;
    // True once the helper handed the focus back and this window really became active.
    bool HelperHandedFocusBack() const { return focusHandedBack; }
    // True while it is still to be seen whether this window comes forward.
    bool CheckingFocusHandBack() const { return checkingFocus; }
    MediaList& Files() const { return *files; }
    Talvex::App::Informer& GetInformer() const { return *informer; }

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CheckFocusCameBack();
    void BuildMenus();
    void Retranslate();
    void ApplyStyleSheet();
    void OnLanguagePicked(const std::string& locale);
    static void TriggerMenuEntry(QMenu& menu, const std::string& name);

    Talvex::App::Application& application;
    std::shared_ptr<Talvex::App::ILookAndFeelManager> lookAndFeel;
    QLabel* heading;
    MediaList* files;
    QListWidget* facts;
    QLabel* statusLine;
    QLabel* updateLine;
    QMenu* fileMenu = nullptr;
    QMenu* languageMenu = nullptr;
    QMenu* themeMenu = nullptr;
    QMenu* helpMenu = nullptr;
    QAction* removeAllAction = nullptr;
    QAction* colourAction = nullptr;
    QAction* helperAction = nullptr;
    QAction* restartAction = nullptr;
    QAction* quitAction = nullptr;
    QAction* aboutAction = nullptr;
    Talvex::App::LookAndFeelHandler* handler = nullptr;
    // Re-applies the sheet after every theme change, the desktop's included.
    std::unique_ptr<Talvex::App::ILookAndFeelObserver> sheetApplier;
    std::unique_ptr<Talvex::App::Informer> informer;
    std::unique_ptr<Talvex::App::ColorDialogHelper> colours;
    HelperLink* helper;
    std::vector<std::function<QString()>> lines;
    std::function<QString()> status;
    bool focusHandedBack = false;
    bool checkingFocus = false;
    std::function<QString()> updateStatus;
};
