<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
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
        <source>Update check requested</source>
        <translation>Suche nach Updates angefordert</translation>
    </message>
    <message>
        <source>The e-mail dialog was shown</source>
        <translation>Der E-Mail-Dialog wurde angezeigt</translation>
    </message>
</context>
</TS>
