#pragma once

#include "Platform/Qt/TranslationFunctions.h"
#include "Platform/Util/AlertBox.h"

#include <TalvexExport.h>

#include <QMessageBox>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class QWidget;

namespace Talvex::App {

class InformerPrivate;

// Shows one modal message box at a time on behalf of a product window. Links in the
// text are handled here rather than by the labels: web links open through the desktop,
// mail links (and web links the desktop cannot open) are copied to the clipboard.
// The informer may be destroyed, for instance with its parent window, while its box
// runs; the box is still freed (later, from the event loop) when its run ends, and the
// informer's destructor frees only what the informer itself holds. GUI thread only;
// ExecDialog is not re-entrant.
class TALVEX_EXPORT Informer : public QObject {
    Q_OBJECT
    // trUtf8 as well as tr, on Qt 6 too (where it is tr under its old name).
    TALVEX_TR_UTF8

public:
    // `parentProvider`, when set, is asked once now for the informer's own parent and
    // again by every ExecDialog for the box's parent.
    explicit Informer(std::function<QWidget*()> parentProvider = {});
    ~Informer() override;

    // Runs a box with `text` (may hold HTML links), a "Learn more" link when
    // `learnMoreLink` is not empty, the picture at `iconPath` (the library's large icon
    // when empty) and one button per key of `buttons`, captioned with its text unless
    // that is empty. Returns the button pressed, NoButton when the box was closed
    // otherwise.
    QMessageBox::StandardButtons ExecDialog(const QString& text, const QString& learnMoreLink, const QString& iconPath,
                                            Util::AlertBox::Level level,
                                            const std::map<QMessageBox::StandardButton, QString>& buttons);

    // Asks the open box to close, which ends its ExecDialog; true when nothing is open.
    bool Close();

private slots:
    void OnDialogLinkActivated(const QString& link);

private:
    const std::unique_ptr<InformerPrivate> d;
};

} // namespace Talvex::App
