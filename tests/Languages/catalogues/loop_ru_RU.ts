<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<dependencies>
<dependency catalog="loop_ru_RU"/>
</dependencies>
<context>
    <name>Sample</name>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
</context>
</TS>
