#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>
#include <vector>

class QListWidget;
class QMenu;

namespace Talvex::App {
class Application;
class ILookAndFeelManager;
class LookAndFeelHandler;
} // namespace Talvex::App

// The sample product's window: language and theme menus, a list of what the
// application found at start-up and the user's media files. Every visible text
// follows the current language.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Talvex::App::Application& application, std::shared_ptr<Talvex::App::ILookAndFeelManager> lookAndFeel);

    // A fixed line, shown as given in every language.
    void AddLine(const QString& text);
    // A line built again whenever the language changes.
    void AddTranslatedLine(std::function<QString()> text);
    // Fills the list once the application has started.
    void ReportStart();
    // Saves a picture of each open menu into `folder`, for unattended runs.
    void SaveMenuPictures(const QString& folder);

protected:
    void changeEvent(QEvent* event) override;

private:
    void BuildMenus();
    void Retranslate();
    void ApplyStyleSheet();
    void OnLanguagePicked(const std::string& locale);

    Talvex::App::Application& application;
    std::shared_ptr<Talvex::App::ILookAndFeelManager> lookAndFeel;
    QListWidget* list;
    QMenu* languageMenu = nullptr;
    QMenu* themeMenu = nullptr;
    Talvex::App::LookAndFeelHandler* handler = nullptr;
    std::vector<std::function<QString()>> lines;
};
