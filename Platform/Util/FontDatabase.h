#pragma once

#include <TalvexExport.h>

#include <QString>

namespace Talvex::Util {

class TALVEX_EXPORT FontDatabase {
public:
    // Registers the font file with the application; the id QFontDatabase gives it, or -1
    // (logged) when the file cannot be loaded. A font whose bytes are registered already
    // (and not removed through QFontDatabase since) is not registered again: its id is
    // given. Needs a QGuiApplication.
    static int addApplicationFont(const QString& fileName);
};

} // namespace Talvex::Util
