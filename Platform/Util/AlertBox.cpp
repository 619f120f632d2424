#include "Platform/Util/AlertBox.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>

namespace Talvex::Util {

namespace {

QMessageBox::Icon IconFor(AlertBox::Level level)
{
    switch (level) {
    case AlertBox::Information:
        return QMessageBox::Information;
    case AlertBox::Warning:
        return QMessageBox::Warning;
    case AlertBox::Critical:
        return QMessageBox::Critical;
    case AlertBox::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

AlertBox::AlertBox(Level level, const QString& title, const QString& text, QMessageBox::StandardButtons buttons,
                   QWidget* parent, Qt::WindowFlags flags)
    : QMessageBox(IconFor(level), title, text, buttons, parent, flags)
{
}

AlertBox::~AlertBox() = default;

QMessageBox::StandardButton AlertBox::Exec()
{
    // The parent may delete the box while it runs; then no button counts as pressed.
    QPointer<AlertBox> guard(this);
    exec();
    return guard ? standardButton(clickedButton()) : QMessageBox::NoButton;
}

void AlertBox::Show(bool deleteOnClose)
{
    setAttribute(Qt::WA_DeleteOnClose, deleteOnClose);
    setWindowModality(Qt::NonModal);
    show();
}

void AlertBox::SetLearnMoreLink(const QString& link)
{
    if (link.isEmpty()) {
        delete learnMoreLabel;
        return;
    }
    if (!learnMoreLabel) {
        learnMoreLabel = new QLabel(this);
        learnMoreLabel->setObjectName(QStringLiteral("learnMoreLabel"));
        learnMoreLabel->setTextFormat(Qt::RichText);
        learnMoreLabel->setTextInteractionFlags(Qt::TextBrowserInteraction);
        learnMoreLabel->setOpenExternalLinks(true);
    }
    learnMoreLabel->setText(
        QStringLiteral("<a href=\"%1\">%2</a>").arg(link.toHtmlEscaped(), tr("Learn more").toHtmlEscaped()));
    if (isVisible()) {
        PlaceLearnMoreLabel();
    }
}

void AlertBox::SetWidth(int pixels)
{
    fixedWidth = pixels;
    if (isVisible()) {
        ApplyWidth();
    }
}

bool AlertBox::event(QEvent* event)
{
    // QMessageBox sizes itself anew on every layout request; the fixed width must win.
    const bool handled = QMessageBox::event(event);
    if (event->type() == QEvent::LayoutRequest && isVisible()) {
        ApplyWidth();
    }
    return handled;
}

void AlertBox::changeEvent(QEvent* event)
{
    QMessageBox::changeEvent(event);
    if ((event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange) && isVisible()) {
        ApplyWidth();
    }
}

void AlertBox::showEvent(QShowEvent* event)
{
    // QMessageBox rebuilds its layout whenever its parts change and sizes itself on
    // show, so our additions are put back in place only now.
    PlaceLearnMoreLabel();
    QMessageBox::showEvent(event);
    ApplyWidth();
}

void AlertBox::PlaceLearnMoreLabel()
{
    auto* grid = qobject_cast<QGridLayout*>(layout());
    if (!learnMoreLabel || !grid || grid->indexOf(learnMoreLabel) >= 0) {
        return;
    }
    int row = 0, column = 1, rowSpan = 1, columnSpan = 1;
    if (auto* text = findChild<QLabel*>(QStringLiteral("qt_msgbox_label")); text && grid->indexOf(text) >= 0) {
        grid->getItemPosition(grid->indexOf(text), &row, &column, &rowSpan, &columnSpan);
    }
    auto* buttons = findChild<QDialogButtonBox*>();
    const int buttonsIndex = buttons ? grid->indexOf(buttons) : -1;
    if (buttonsIndex < 0) {
        grid->addWidget(learnMoreLabel, grid->rowCount(), column);
        return;
    }
    // The link belongs with the text, above the buttons.
    int buttonsRow = 0, buttonsColumn = 0;
    grid->getItemPosition(buttonsIndex, &buttonsRow, &buttonsColumn, &rowSpan, &columnSpan);
    grid->removeWidget(buttons);
    grid->addWidget(learnMoreLabel, buttonsRow, column);
    grid->addWidget(buttons, grid->rowCount(), buttonsColumn, 1, columnSpan);
}

void AlertBox::ApplyWidth()
{
    if (fixedWidth <= 0 || !layout()) {
        return;
    }
    layout()->activate();
    const int height =
        layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(fixedWidth) : layout()->totalSizeHint().height();
    setFixedSize(fixedWidth, height);
}

} // namespace Talvex::Util
