<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>ApplicationRestarter</name>
    <message>
        <source>Attention</source>
        <translation>Achtung</translation>
    </message>
    <message>
        <source>&lt;b&gt;This will restart the application.&lt;/b&gt;&lt;br&gt;Do you want to continue?</source>
        <translation>&lt;b&gt;Die Anwendung wird neu gestartet.&lt;/b&gt;&lt;br&gt;Möchten Sie fortfahren?</translation>
    </message>
</context>
<context>
    <name>Talvex::App::ConfirmationAlertBox</name>
    <message>
        <source>Don&apos;t show this again</source>
        <translation>Nicht mehr anzeigen</translation>
    </message>
</context>
<context>
    <name>Talvex::App::Informer</name>
    <message>
        <source>Email address has been copied to the clipboard</source>
        <translation>Die E-Mail-Adresse wurde in die Zwischenablage kopiert</translation>
    </message>
</context>
<context>
    <name>Talvex::Util::AlertBox</name>
    <message>
        <source>Learn more</source>
        <translation>Mehr erfahren</translation>
    </message>
</context>
<context>
    <name>Talvex::EmailDialog</name>
    <message>
        <source>Stay informed</source>
        <translation>Auf dem Laufenden bleiben</translation>
    </message>
    <message>
        <source>Get news about updates and special offers by e-mail.</source>
        <translation>Neuigkeiten zu Updates und Sonderangeboten per E-Mail erhalten.</translation>
    </message>
    <message>
        <source>you@example.com</source>
        <translation>sie@beispiel.de</translation>
    </message>
    <message>
        <source>Subscribe</source>
        <translation>Abonnieren</translation>
    </message>
    <message>
        <source>Not now</source>
        <translation>Nicht jetzt</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Ja</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Nein</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>Talvex::App::LookAndFeelHandler</name>
    <message>
        <source>Follow the system</source>
        <translation>Dem System folgen</translation>
    </message>
</context>
</TS>
