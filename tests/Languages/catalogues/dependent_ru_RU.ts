<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<dependencies>
<dependency catalog="app_ru_RU"/>
</dependencies>
<context>
    <name>Sample</name>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s)</source>
        <translation>
            <numerusform>%n файл</numerusform>
            <numerusform>%n файла</numerusform>
            <numerusform>%n файлов</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Other</name>
    <message>
        <source>Close</source>
        <comment>window</comment>
        <translation>Закрыть окно</translation>
    </message>
</context>
</TS>
