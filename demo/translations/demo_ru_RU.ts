<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
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
        <source>Update check requested</source>
        <translation>Запрошена проверка обновлений</translation>
    </message>
    <message>
        <source>The e-mail dialog was shown</source>
        <translation>Показан диалог подписки</translation>
    </message>
</context>
</TS>
