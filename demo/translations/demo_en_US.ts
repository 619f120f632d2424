<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>MainWindow</name>
    <message>
        <source>the first run after the installation</source>
        <translation>the first run after the installation</translation>
    </message>
    <message>
        <source>the first run after a reinstallation</source>
        <translation>the first run after a reinstallation</translation>
    </message>
    <message>
        <source>the first run after an update</source>
        <translation>the first run after an update</translation>
    </message>
    <message>
        <source>a regular run</source>
        <translation>a regular run</translation>
    </message>
    <message>
        <source>launch type %1</source>
        <translation>launch type %1</translation>
    </message>
    <message>
        <source>This is %1 (%2 days since the first start)</source>
        <translation>This is %1 (%2 days since the first start)</translation>
    </message>
    <message>
        <source>Session %1</source>
        <translation>Session %1</translation>
    </message>
    <message>
        <source>The previous run ended normally</source>
        <translation>The previous run ended normally</translation>
    </message>
    <message>
        <source>The run of session %1 crashed</source>
        <translation>The run of session %1 crashed</translation>
    </message>
    <message>
        <source>Temporary files: %1</source>
        <translation>Temporary files: %1</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>&amp;Theme</source>
        <translation>&amp;Theme</translation>
    </message>
    <message>
        <source>Update check requested</source>
        <translation>Update check requested</translation>
    </message>
    <message>
        <source>The e-mail dialog was shown</source>
        <translation>The e-mail dialog was shown</translation>
    </message>
</context>
</TS>
