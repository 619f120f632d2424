<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>CrashReportOffer</name>
    <message>
        <source>A crash report would be offered now</source>
        <translation>Сейчас был бы предложен отчёт о сбое</translation>
    </message>
    <message>
        <source>Crash report</source>
        <translation>Отчёт о сбое</translation>
    </message>
    <message>
        <source>%1 closed unexpectedly last time. Prepare a report that you can send us?</source>
        <translation>В прошлый раз %1 неожиданно закрылась. Подготовить отчёт, который вы сможете нам отправить?</translation>
    </message>
    <message>
        <source>The crash report could not be written</source>
        <translation>Не удалось записать отчёт о сбое</translation>
    </message>
    <message>
        <source>Crash report written to %1</source>
        <translation>Отчёт о сбое сохранён: %1</translation>
    </message>
    <message>
        <source>This session left no report.</source>
        <translation>Этот сеанс не оставил отчёта.</translation>
    </message>
    <message>
        <source>Reports are kept in %1</source>
        <translation>Отчёты хранятся в %1</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Копировать</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>the first run after the installation</source>
        <translation>первый запуск после установки</translation>
    </message>
    <message>
        <source>the first run after a reinstallation</source>
        <translation>первый запуск после переустановки</translation>
    </message>
    <message>
        <source>the first run after an update</source>
        <translation>первый запуск после обновления</translation>
    </message>
    <message>
        <source>a regular run</source>
        <translation>обычный запуск</translation>
    </message>
    <message>
        <source>launch type %1</source>
        <translation>тип запуска %1</translation>
    </message>
    <message>
        <source>This is %1 (%2 days since the first start)</source>
        <translation>Это %1 (%2 дн. с первого запуска)</translation>
    </message>
    <message>
        <source>Session %1</source>
        <translation>Сеанс %1</translation>
    </message>
    <message>
        <source>The previous run ended normally</source>
        <translation>Предыдущий запуск завершился нормально</translation>
    </message>
    <message>
        <source>The run of session %1 crashed</source>
        <translation>Запуск сеанса %1 завершился сбоем</translation>
    </message>
    <message>
        <source>Temporary files: %1</source>
        <translation>Временные файлы: %1</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>&amp;Язык</translation>
    </message>
    <message>
        <source>&amp;Theme</source>
        <translation>&amp;Тема</translation>
    </message>
    <message>
        <source>The e-mail dialog was shown</source>
        <translation>Показан диалог подписки</translation>
    </message>
    <message>
        <source>Opened %1</source>
        <translation>Открыто: %1</translation>
    </message>
    <message>
        <source>The helper closed and handed the focus back</source>
        <translation>Помощник закрыт и вернул фокус</translation>
    </message>
    <message>
        <source>The helper closed, but this window did not come forward</source>
        <translation>Вспомогательная программа закрылась, но это окно не вышло на передний план</translation>
    </message>
    <message>
        <source>Remove files</source>
        <translation>Удаление файлов</translation>
    </message>
    <message>
        <source>Remove all files from the list?</source>
        <translation>Удалить все файлы из списка?</translation>
    </message>
    <message>
        <source>All files were removed from the list</source>
        <translation>Все файлы удалены из списка</translation>
    </message>
    <message>
        <source>&lt;b&gt;%1&lt;/b&gt; converts your videos and music.&lt;br&gt;Questions or ideas? Write to &lt;a href=&quot;mailto:%2&quot;&gt;%2&lt;/a&gt; (a click copies the address).</source>
        <translation>&lt;b&gt;%1&lt;/b&gt; конвертирует ваши видео и музыку.&lt;br&gt;Вопросы или идеи? Пишите на &lt;a href=&quot;mailto:%2&quot;&gt;%2&lt;/a&gt; (щелчок копирует адрес).</translation>
    </message>
    <message>
        <source>Choose a colour</source>
        <translation>Выбор цвета</translation>
    </message>
    <message>
        <source>Colour picked: %1</source>
        <translation>Выбран цвет: %1</translation>
    </message>
    <message>
        <source>The helper is running; close it to come back here</source>
        <translation>Помощник запущен; закройте его, чтобы вернуться сюда</translation>
    </message>
    <message>
        <source>The helper could not be started</source>
        <translation>Не удалось запустить помощника</translation>
    </message>
    <message>
        <source>Media files</source>
        <translation>Медиафайлы</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>&amp;Remove all files...</source>
        <translation>&amp;Удалить все файлы...</translation>
    </message>
    <message>
        <source>Choose &amp;colour...</source>
        <translation>Выбрать &amp;цвет...</translation>
    </message>
    <message>
        <source>Start the &amp;helper</source>
        <translation>Запустить &amp;помощника</translation>
    </message>
    <message>
        <source>Re&amp;start</source>
        <translation>&amp;Перезапустить</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>В&amp;ыход</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Справка</translation>
    </message>
    <message>
        <source>&amp;About...</source>
        <translation>&amp;О программе...</translation>
    </message>
    <message>
        <source>Temporary files older than %1 days are removed at start</source>
        <translation>Временные файлы старше %1 дн. удаляются при запуске</translation>
    </message>
    <message>
        <source>Updates: a check follows shortly after the start</source>
        <translation>Обновления: проверка вскоре после запуска</translation>
    </message>
    <message>
        <source>Updates: check requested at %1</source>
        <translation>Обновления: проверка запрошена в %1</translation>
    </message>
</context>
</TS>
