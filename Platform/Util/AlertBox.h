#pragma once

#include <TalvexExport.h>

#include <QMessageBox>
#include <QPointer>

class QLabel;

namespace Talvex::Util {

// The message box behind the library's dialogs. The level picks the icon; everything
// else of QMessageBox stays available. GUI thread only.
class TALVEX_EXPORT AlertBox : public QMessageBox {
    Q_OBJECT

public:
    // The first value is what a box asking before a disruptive action passes.
    enum Level { Information, Warning, Critical, Question };

    AlertBox(Level level, const QString& title, const QString& text, QMessageBox::StandardButtons buttons,
             QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    ~AlertBox() override;

    // Runs the box modally; the standard button pressed, or NoButton when it was closed
    // without one (or with a button that is not a standard one) or deleted while running.
    virtual QMessageBox::StandardButton Exec();
    // Shows the box without blocking. With `deleteOnClose` the box deletes itself once
    // closed, for a caller that does not keep it.
    virtual void Show(bool deleteOnClose);

    // Adds a clickable "Learn more" line under the text pointing at `link` (a URL), or
    // removes it for an empty link. The line is a QLabel child that opens the link itself
    // unless its openExternalLinks is switched off.
    void SetLearnMoreLink(const QString& link);
    // Fixes the box's width in pixels from the next time it is shown; 0 or less lets the
    // box size itself again.
    void SetWidth(int pixels);

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void PlaceLearnMoreLabel();
    void ApplyWidth();

    QPointer<QLabel> learnMoreLabel;
    int fixedWidth = 0;
};

} // namespace Talvex::Util
