#include "PreviewGallery.h"

#include <App/Application/LookAndFeel/LanguageNames.h>
#include <App/Application/LookAndFeel/LookAndFeelManager.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <iostream>

namespace Talvex::ThemeCheck {

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// Texts the library translates itself, so its catalogues show up in the gallery too.
QString LibraryText(const char* context, const char* text)
{
    return QCoreApplication::translate(context, text);
}

void FillGallery(QWidget& gallery, const QString& title)
{
    auto* layout = new QVBoxLayout(&gallery);
    auto* heading = new QLabel(title, &gallery);
    heading->setObjectName(QStringLiteral("previewTitle"));
    layout->addWidget(heading);
    auto* form = new QFormLayout;
    auto* edit = new QLineEdit(&gallery);
    edit->setPlaceholderText(LibraryText("Talvex::EmailDialog", "you@example.com"));
    form->addRow(LibraryText("Talvex::EmailDialog", "Stay informed"), edit);
    auto* combo = new QComboBox(&gallery);
    combo->addItems({QStringLiteral("MP4 (H.264)"), QStringLiteral("WebM (VP9)")});
    form->addRow(QStringLiteral("Format"), combo);
    layout->addLayout(form);
    auto* list = new QListWidget(&gallery);
    list->addItems({QStringLiteral("holiday.mp4"), QStringLiteral("concert.mkv"), QStringLiteral("interview.avi")});
    list->setCurrentRow(1);
    list->setMaximumHeight(90);
    layout->addWidget(list);
    auto* progress = new QProgressBar(&gallery);
    progress->setValue(60);
    layout->addWidget(progress);
    auto* slider = new QSlider(Qt::Horizontal, &gallery);
    slider->setValue(30);
    layout->addWidget(slider);
    layout->addWidget(
        new QCheckBox(LibraryText("Talvex::App::ConfirmationAlertBox", "Don't show this again"), &gallery));
    auto* buttons = new QDialogButtonBox(&gallery);
    buttons->addButton(LibraryText("Talvex::EmailDialog", "Subscribe"), QDialogButtonBox::AcceptRole);
    buttons->addButton(LibraryText("Talvex::EmailDialog", "Not now"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
}

} // namespace

PreviewGallery::PreviewGallery(App::LookAndFeelManager& manager, const QString& folder)
    : manager(manager), folder(folder)
{
}

int PreviewGallery::Render()
{
    folder.mkpath(QStringLiteral("."));
    std::list<std::string> locales = manager.GetLocales();
    if (locales.empty()) {
        locales.push_back(std::string());
    }
    int written = 0;
    for (const std::string& theme : manager.GetThemes()) {
        for (const std::string& locale : locales) {
            written += RenderOne(theme, locale) ? 1 : 0;
        }
    }
    qApp->setStyleSheet(QString());
    manager.SetTheme(std::string());
    return written;
}

bool PreviewGallery::RenderOne(const std::string& theme, const std::string& locale)
{
    if (!locale.empty()) {
        manager.SetLocale(locale);
    }
    manager.SetTheme(theme);
    qApp->setStyleSheet(Text(manager.GetUnitedStylesheet()));
    QWidget gallery;
    const std::string language = locale.empty() ? std::string("-") : App::LanguageName(locale);
    FillGallery(gallery, Text(manager.GetLocalizedThemeName(theme)) + QStringLiteral(" · ") + Text(language));
    gallery.resize(360, gallery.sizeHint().height());
    gallery.show();
    QCoreApplication::processEvents();
    const QString path = folder.filePath(Text(theme) + QLatin1Char('_') + Text(locale.empty() ? "none" : locale) +
                                         QStringLiteral(".png"));
    if (!gallery.grab().save(path)) {
        std::cerr << "could not save " << path.toStdString() << '\n';
        return false;
    }
    std::cout << "preview: " << path.toStdString() << '\n';
    return true;
}

} // namespace Talvex::ThemeCheck
