#pragma once

#include <TalvexExport.h>

namespace Talvex::App {

// Keeps the custom colours of QColorDialog (process-wide) from one run to the next in
// the application's settings, group "Talvex::App::ColorDialogHelper". Construction
// loads them, destruction saves them; alpha is not kept. Create one before the first
// colour dialog opens and destroy it while the application's settings manager still
// exists. Without an application or settings manager nothing is loaded or saved (an
// ERROR line says so). GUI thread only.
class TALVEX_EXPORT ColorDialogHelper {
public:
    ColorDialogHelper();
    virtual ~ColorDialogHelper();

    // A copy loads nothing but still saves when destroyed.
    ColorDialogHelper(const ColorDialogHelper& other);
    ColorDialogHelper& operator=(const ColorDialogHelper& other);
};

} // namespace Talvex::App
