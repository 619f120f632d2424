#pragma once

#include <QMainWindow>

#include <memory>

class QListWidget;

namespace Talvex::App {
class Application;
class ILookAndFeelManager;
} // namespace Talvex::App

// The sample product's window: a menu that switches themes, a list of what the
// application found at start-up and the user's media files.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(Talvex::App::Application& application, std::shared_ptr<Talvex::App::ILookAndFeelManager> lookAndFeel);

    void AddLine(const QString& text);
    // Fills the list once the application has started.
    void ReportStart();

private:
    void BuildThemeMenu();
    void ApplyTheme(const std::string& theme);

    Talvex::App::Application& application;
    std::shared_ptr<Talvex::App::ILookAndFeelManager> lookAndFeel;
    QListWidget* list;
};
