#pragma once

#include <QDir>
#include <QString>

#include <string>

namespace Talvex::App {
class LookAndFeelManager;
}

namespace Talvex::ThemeCheck {

// Renders a small gallery of common widgets under every theme in every language, with
// the style sheet the manager assembles, to <folder>/<theme>_<locale>.png.
class PreviewGallery {
public:
    PreviewGallery(App::LookAndFeelManager& manager, const QString& folder);

    // The number of pictures written; a picture that cannot be saved is reported on
    // standard error and not counted.
    int Render();

private:
    bool RenderOne(const std::string& theme, const std::string& locale);

    App::LookAndFeelManager& manager;
    QDir folder;
};

} // namespace Talvex::ThemeCheck
