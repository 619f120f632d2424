#pragma once

#include "Platform/Util/AlertBox.h"

#include <TalvexExport.h>

#include <QString>

#include <memory>
#include <string>

class QCheckBox;

namespace Talvex::App {

class ISettingsManager;

// A modal question with a "Don't show this again" check box. When the user ticks it
// and presses a button that may be remembered, the answer is stored in `settings`
// under "confirm/<id>_dont_confirm" and "confirm/<id>_answer"; from then on Exec
// returns the stored answer without showing anything, until Reset. Boxes without an
// id share one remembered answer. `settings` should not be null; without it the box
// asks every time and an ERROR line says so. GUI thread only.
class TALVEX_EXPORT ConfirmationAlertBox : public Util::AlertBox {
    Q_OBJECT

public:
    ConfirmationAlertBox(std::shared_ptr<ISettingsManager> settings, Level level, const QString& title,
                         const QString& text, QMessageBox::StandardButtons buttons, QWidget* parent = nullptr,
                         Qt::WindowFlags flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    ~ConfirmationAlertBox() override;

    void SetConfirmationId(const QString& id);
    QString GetConfirmationId() const;

    // The check box's caption.
    void SetConfirmationText(const QString& text);
    QString GetConfirmationText() const;

    // The check box as shown, not the stored state: ticking it beforehand still shows
    // the box.
    void SetDontConfirm(bool dontConfirm);
    bool IsDontConfirm() const;

    // Whether a button of the reject role (Cancel, Close, Abort...) may be remembered.
    void SetRememberOnReject(bool remember);
    bool RememberOnReject() const;

    // When not empty, only these buttons are remembered.
    void SetRememberOnly(QMessageBox::StandardButtons buttons);
    QMessageBox::StandardButtons RememberOnly() const;

    // Stores `answer` instead of the pressed button whenever an answer is remembered;
    // Exec still returns the pressed button that time.
    void SetForceSaveAnswer(int answer);

    // Shows the box again from the next Exec on; the stored answer itself stays.
    void Reset();

    // The stored answer when one is remembered, else the button pressed in the box.
    QMessageBox::StandardButton Exec() override;

private:
    bool MayRemember(QMessageBox::StandardButton pressed) const;
    std::string GetSettingKey(const std::string& name) const;
    int ReadAnswer() const;
    bool ReadDontConfirm() const;
    void WriteAnswer(int answer);
    void WriteDontConfirm(bool dontConfirm);

    std::shared_ptr<ISettingsManager> settings;
    QString confirmationId;
    QCheckBox* dontConfirmBox;
    bool rememberOnReject = false;
    QMessageBox::StandardButtons rememberOnly;
    bool forceSave = false;
    int forcedAnswer = 0;
};

} // namespace Talvex::App
