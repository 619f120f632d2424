<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>ApplicationRestarter</name>
    <message>
        <source>Attention</source>
        <translation>Внимание</translation>
    </message>
    <message>
        <source>&lt;b&gt;This will restart the application.&lt;/b&gt;&lt;br&gt;Do you want to continue?</source>
        <translation>&lt;b&gt;Приложение будет перезапущено.&lt;/b&gt;&lt;br&gt;Продолжить?</translation>
    </message>
</context>
<context>
    <name>Talvex::App::ConfirmationAlertBox</name>
    <message>
        <source>Don&apos;t show this again</source>
        <translation>Больше не показывать</translation>
    </message>
</context>
<context>
    <name>Talvex::App::Informer</name>
    <message>
        <source>Email address has been copied to the clipboard</source>
        <translation>Адрес электронной почты скопирован в буфер обмена</translation>
    </message>
</context>
<context>
    <name>Talvex::Util::AlertBox</name>
    <message>
        <source>Learn more</source>
        <translation>Подробнее</translation>
    </message>
</context>
<context>
    <name>Talvex::EmailDialog</name>
    <message>
        <source>Stay informed</source>
        <translation>Будьте в курсе</translation>
    </message>
    <message>
        <source>Get news about updates and special offers by e-mail.</source>
        <translation>Получайте новости об обновлениях и специальных предложениях по электронной почте.</translation>
    </message>
    <message>
        <source>you@example.com</source>
        <translation>vy@example.com</translation>
    </message>
    <message>
        <source>Subscribe</source>
        <translation>Подписаться</translation>
    </message>
    <message>
        <source>Not now</source>
        <translation>Не сейчас</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Да</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Нет</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
</context>
<context>
    <name>Talvex::App::LookAndFeelHandler</name>
    <message>
        <source>Follow the system</source>
        <translation>Как в системе</translation>
    </message>
</context>
</TS>
