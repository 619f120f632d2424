<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CrashReportOffer</name>
    <message>
        <source>A crash report would be offered now</source>
        <translation>A crash report would be offered now</translation>
    </message>
    <message>
        <source>Crash report</source>
        <translation>Crash report</translation>
    </message>
    <message>
        <source>%1 closed unexpectedly last time. Prepare a report that you can send us?</source>
        <translation>%1 closed unexpectedly last time. Prepare a report that you can send us?</translation>
    </message>
    <message>
        <source>The crash report could not be written</source>
        <translation>The crash report could not be written</translation>
    </message>
    <message>
        <source>Crash report written to %1</source>
        <translation>Crash report written to %1</translation>
    </message>
    <message>
        <source>This session left no report.</source>
        <translation>This session left no report.</translation>
    </message>
    <message>
        <source>Reports are kept in %1</source>
        <translation>Reports are kept in %1</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
</context>
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
        <source>The e-mail dialog was shown</source>
        <translation>The e-mail dialog was shown</translation>
    </message>
    <message>
        <source>Opened %1</source>
        <translation>Opened %1</translation>
    </message>
    <message>
        <source>The helper closed and handed the focus back</source>
        <translation>The helper closed and handed the focus back</translation>
    </message>
    <message>
        <source>The helper closed, but this window did not come forward</source>
        <translation>The helper closed, but this window did not come forward</translation>
    </message>
    <message>
        <source>Remove files</source>
        <translation>Remove files</translation>
    </message>
    <message>
        <source>Remove all files from the list?</source>
        <translation>Remove all files from the list?</translation>
    </message>
    <message>
        <source>All files were removed from the list</source>
        <translation>All files were removed from the list</translation>
    </message>
    <message>
        <source>&lt;b&gt;%1&lt;/b&gt; converts your videos and music.&lt;br&gt;Questions or ideas? Write to &lt;a href=&quot;mailto:%2&quot;&gt;%2&lt;/a&gt; (a click copies the address).</source>
        <translation>&lt;b&gt;%1&lt;/b&gt; converts your videos and music.&lt;br&gt;Questions or ideas? Write to &lt;a href=&quot;mailto:%2&quot;&gt;%2&lt;/a&gt; (a click copies the address).</translation>
    </message>
    <message>
        <source>Choose a colour</source>
        <translation>Choose a colour</translation>
    </message>
    <message>
        <source>Colour picked: %1</source>
        <translation>Colour picked: %1</translation>
    </message>
    <message>
        <source>The helper is running; close it to come back here</source>
        <translation>The helper is running; close it to come back here</translation>
    </message>
    <message>
        <source>The helper could not be started</source>
        <translation>The helper could not be started</translation>
    </message>
    <message>
        <source>Media files</source>
        <translation>Media files</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Remove all files...</source>
        <translation>&amp;Remove all files...</translation>
    </message>
    <message>
        <source>Choose &amp;colour...</source>
        <translation>Choose &amp;colour...</translation>
    </message>
    <message>
        <source>Start the &amp;helper</source>
        <translation>Start the &amp;helper</translation>
    </message>
    <message>
        <source>Re&amp;start</source>
        <translation>Re&amp;start</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>Temporary files older than %1 days are removed at start</source>
        <translation>Temporary files older than %1 days are removed at start</translation>
    </message>
    <message>
        <source>Updates: a check follows shortly after the start</source>
        <translation>Updates: a check follows shortly after the start</translation>
    </message>
    <message>
        <source>Updates: check requested at %1</source>
        <translation>Updates: check requested at %1</translation>
    </message>
</context>
</TS>
