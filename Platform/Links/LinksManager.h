#pragma once

#include "Platform/Links/ILinksManager.h"

#include <TalvexExport.h>

#include <QHash>
#include <QString>

#include <functional>

namespace Talvex {

// Who is asking for an address: fills the product fields of the links table.
struct ProductIdentity {
    QString productName;
    QString codeName;
    QString version;
};

// Addresses from the links table "links.json" in the resources folder
// (Talvex::Core::AppLocations). The table is one JSON object from key names to
// address templates:
//
//   { "HOME_PAGE": "https://www.example.com/{lang}/{code}/?v={version}", ... }
//
// Template fields, replaced percent-encoded on every GetUrl:
//   {locale}    current user-interface locale ("de_DE")     {lang}    its language ("de")
//   {product}   product name                                 {code}    product code name
//   {version}   product version text                         {email}   "Email" of the mail settings
//   {installer} "InstallerName" of the installer settings    {partner} "Partner" of the installer settings
//
// The table is read once, at construction. A missing or malformed table is logged
// as an error and leaves every address empty; a key the table lacks has an empty
// address. GUI thread only.
class TALVEX_EXPORT LinksManager : public ILinksManager {
public:
    using IdentitySource = std::function<ProductIdentity()>;
    using LocaleSource = std::function<QString()>;
    // Reads a string setting: (key, default value) -> value.
    using SettingReader = std::function<QString(const QString& key, const QString& defaultValue)>;

    // The four sources stand for the application's customization manager, look-and-feel
    // manager, mail settings store and installer settings store, in that order. They are
    // asked on every GetUrl, so an answer that changes (the locale) is always current.
    // An application adapts its services with lambdas that capture the shared pointers
    // it holds at construction time, e.g.
    //
    //   NotNull<ICustomizationManager> customization(GetCustomizationManager());
    //   NotNull<ILookAndFeelManager> lookAndFeel(GetLookAndFeel());
    //   LinksManager links(
    //       [customization] { return ProductIdentity{name(customization), code(...), version(...)}; },
    //       [lookAndFeel] { return Utf8ToQString(lookAndFeel->GetCurrentLocale()); },
    //       [mail](const QString& key, const QString& fallback) { return ...mail->GetString(...); },
    //       [installer](const QString& key, const QString& fallback) { ... });
    //
    // so the links manager keeps the services it was built with, even when the
    // application is given new ones later. An empty source reads as empty text.
    LinksManager(IdentitySource customization, LocaleSource lookAndFeel, SettingReader mailSettings,
                 SettingReader installerSettings);
    ~LinksManager() override;

    QString GetUrl(const URLKeys& key) const override;
    void OpenUrl(const QString& url) const override;

private:
    QString Fill(QString address) const;
    QString ReadSetting(const SettingReader& reader, const char* key) const;

    IdentitySource customization;
    LocaleSource lookAndFeel;
    SettingReader mailSettings;
    SettingReader installerSettings;
    QHash<int, QString> templates;
};

} // namespace Talvex
