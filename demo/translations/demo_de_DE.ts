<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CrashReportOffer</name>
    <message>
        <source>A crash report would be offered now</source>
        <translation>Ein Absturzbericht würde jetzt angeboten</translation>
    </message>
    <message>
        <source>Crash report</source>
        <translation>Absturzbericht</translation>
    </message>
    <message>
        <source>%1 closed unexpectedly last time. Prepare a report that you can send us?</source>
        <translation>%1 wurde beim letzten Mal unerwartet beendet. Einen Bericht vorbereiten, den Sie uns senden können?</translation>
    </message>
    <message>
        <source>The crash report could not be written</source>
        <translation>Der Absturzbericht konnte nicht geschrieben werden</translation>
    </message>
    <message>
        <source>Crash report written to %1</source>
        <translation>Absturzbericht gespeichert unter %1</translation>
    </message>
    <message>
        <source>This session left no report.</source>
        <translation>Diese Sitzung hat keinen Bericht hinterlassen.</translation>
    </message>
    <message>
        <source>Reports are kept in %1</source>
        <translation>Berichte liegen in %1</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>the first run after the installation</source>
        <translation>der erste Start nach der Installation</translation>
    </message>
    <message>
        <source>the first run after a reinstallation</source>
        <translation>der erste Start nach einer Neuinstallation</translation>
    </message>
    <message>
        <source>the first run after an update</source>
        <translation>der erste Start nach einem Update</translation>
    </message>
    <message>
        <source>a regular run</source>
        <translation>ein gewöhnlicher Start</translation>
    </message>
    <message>
        <source>launch type %1</source>
        <translation>Startart %1</translation>
    </message>
    <message>
        <source>This is %1 (%2 days since the first start)</source>
        <translation>Dies ist %1 (%2 Tage seit dem ersten Start)</translation>
    </message>
    <message>
        <source>Session %1</source>
        <translation>Sitzung %1</translation>
    </message>
    <message>
        <source>The previous run ended normally</source>
        <translation>Der vorige Lauf endete normal</translation>
    </message>
    <message>
        <source>The run of session %1 crashed</source>
        <translation>Der Lauf der Sitzung %1 ist abgestürzt</translation>
    </message>
    <message>
        <source>Temporary files: %1</source>
        <translation>Temporäre Dateien: %1</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>&amp;Sprache</translation>
    </message>
    <message>
        <source>&amp;Theme</source>
        <translation>&amp;Design</translation>
    </message>
    <message>
        <source>The e-mail dialog was shown</source>
        <translation>Der E-Mail-Dialog wurde angezeigt</translation>
    </message>
    <message>
        <source>Opened %1</source>
        <translation>Geöffnet: %1</translation>
    </message>
    <message>
        <source>The helper closed and handed the focus back</source>
        <translation>Das Hilfsprogramm wurde geschlossen und hat den Fokus zurückgegeben</translation>
    </message>
    <message>
        <source>The helper closed, but this window did not come forward</source>
        <translation>Das Hilfsprogramm wurde geschlossen, aber dieses Fenster kam nicht nach vorn</translation>
    </message>
    <message>
        <source>Remove files</source>
        <translation>Dateien entfernen</translation>
    </message>
    <message>
        <source>Remove all files from the list?</source>
        <translation>Alle Dateien aus der Liste entfernen?</translation>
    </message>
    <message>
        <source>All files were removed from the list</source>
        <translation>Alle Dateien wurden aus der Liste entfernt</translation>
    </message>
    <message>
        <source>&lt;b&gt;%1&lt;/b&gt; converts your videos and music.&lt;br&gt;Questions or ideas? Write to &lt;a href=&quot;mailto:%2&quot;&gt;%2&lt;/a&gt; (a click copies the address).</source>
        <translation>&lt;b&gt;%1&lt;/b&gt; konvertiert Ihre Videos und Musik.&lt;br&gt;Fragen oder Ideen? Schreiben Sie an &lt;a href=&quot;mailto:%2&quot;&gt;%2&lt;/a&gt; (ein Klick kopiert die Adresse).</translation>
    </message>
    <message>
        <source>Choose a colour</source>
        <translation>Farbe wählen</translation>
    </message>
    <message>
        <source>Colour picked: %1</source>
        <translation>Gewählte Farbe: %1</translation>
    </message>
    <message>
        <source>The helper is running; close it to come back here</source>
        <translation>Das Hilfsprogramm läuft; schließen Sie es, um hierher zurückzukehren</translation>
    </message>
    <message>
        <source>The helper could not be started</source>
        <translation>Das Hilfsprogramm konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>Media files</source>
        <translation>Mediendateien</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Remove all files...</source>
        <translation>Alle Dateien &amp;entfernen...</translation>
    </message>
    <message>
        <source>Choose &amp;colour...</source>
        <translation>&amp;Farbe wählen...</translation>
    </message>
    <message>
        <source>Start the &amp;helper</source>
        <translation>&amp;Hilfsprogramm starten</translation>
    </message>
    <message>
        <source>Re&amp;start</source>
        <translation>&amp;Neu starten</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation>&amp;Über...</translation>
    </message>
    <message>
        <source>Temporary files older than %1 days are removed at start</source>
        <translation>Temporäre Dateien, die älter als %1 Tage sind, werden beim Start entfernt</translation>
    </message>
    <message>
        <source>Updates: a check follows shortly after the start</source>
        <translation>Updates: Prüfung folgt kurz nach dem Start</translation>
    </message>
    <message>
        <source>Updates: check requested at %1</source>
        <translation>Updates: Prüfung um %1 angefordert</translation>
    </message>
</context>
</TS>
