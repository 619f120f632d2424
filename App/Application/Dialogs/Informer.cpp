#include "App/Application/Dialogs/Informer.h"
#include "App/Application/Dialogs/Informer_p.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QToolTip>
#include <QUrl>

namespace Talvex::App {

namespace {

const QString MAILTO = QStringLiteral("mailto:");
const int DIALOG_WIDTH = 450;

QMessageBox::StandardButtons UnionOfKeys(const std::map<QMessageBox::StandardButton, QString>& buttons)
{
    QMessageBox::StandardButtons all;
    for (const auto& entry : buttons) {
        all |= entry.first;
    }
    return all;
}

void SetCaptions(QMessageBox& box, const std::map<QMessageBox::StandardButton, QString>& captions)
{
    for (const auto& [which, caption] : captions) {
        if (QAbstractButton* button = box.button(which); button && !caption.isEmpty()) {
            button->setText(caption);
        }
    }
}

// Frees the box however ExecDialog ends. The informer may be gone by then, and a box
// without a parent window would otherwise outlive it.
class BoxRelease {
public:
    explicit BoxRelease(Util::AlertBox* box) : box(box) {}
    ~BoxRelease()
    {
        if (box) {
            box->deleteLater();
        }
    }
    BoxRelease(const BoxRelease&) = delete;
    BoxRelease& operator=(const BoxRelease&) = delete;

private:
    QPointer<Util::AlertBox> box;
};

} // namespace

Informer::Informer(std::function<QWidget*()> parentProvider) : d(std::make_unique<InformerPrivate>())
{
    d->parentProvider = std::move(parentProvider);
    if (d->parentProvider) {
        setParent(d->parentProvider());
    }
}

Informer::~Informer() = default;

QMessageBox::StandardButtons Informer::ExecDialog(const QString& text, const QString& learnMoreLink,
                                                  const QString& iconPath, Util::AlertBox::Level level,
                                                  const std::map<QMessageBox::StandardButton, QString>& buttons)
{
    QWidget* parent = d->parentProvider ? d->parentProvider() : nullptr;
    auto* box = new Util::AlertBox(level, QString(), text, UnionOfKeys(buttons), parent,
                                   Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    const BoxRelease release(box);
    d->currentBox = box;
    SetCaptions(*box, buttons);
    box->setObjectName(QStringLiteral("Informer_AlertBox"));
    box->setIconPixmap(QPixmap(iconPath.isEmpty() ? QStringLiteral(":/Icons/large_icon.png") : iconPath));
    box->setWindowIcon(QIcon(QStringLiteral(":/Icons/activation.png")));
    box->SetLearnMoreLink(learnMoreLink);
    // Every label, the learn-more line included, hands its links to us instead of
    // opening them itself.
    for (QLabel* label : box->findChildren<QLabel*>()) {
        label->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
        label->setOpenExternalLinks(false);
        connect(label, &QLabel::linkActivated, this, &Informer::OnDialogLinkActivated);
    }
    box->SetWidth(DIALOG_WIDTH);

    // The informer (and its private part) may be gone when Exec returns, for instance
    // destroyed with its parent window; then nothing of it may be touched.
    QPointer<Informer> guard(this);
    const QMessageBox::StandardButton pressed = box->Exec();
    if (guard) {
        d->currentBox = nullptr;
    }
    return pressed;
}

bool Informer::Close()
{
    return d->currentBox ? d->currentBox->close() : true;
}

void Informer::OnDialogLinkActivated(const QString& link)
{
    if (!link.contains(MAILTO, Qt::CaseSensitive) && QDesktopServices::openUrl(QUrl(link, QUrl::TolerantMode))) {
        return;
    }
    if (!qobject_cast<QWidget*>(sender())) {
        return;
    }
    QString address = link;
    address.remove(MAILTO, Qt::CaseSensitive);
    QApplication::clipboard()->setText(address);
    QToolTip::showText(QCursor::pos(), tr("Email address has been copied to the clipboard"));
}

} // namespace Talvex::App
