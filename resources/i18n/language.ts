<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<!-- The captions of the language menu of the main window. -->
<context>
    <name>TTirisAppForm</name>
    <message>
        <source>言語</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>日本語</source>
        <translation>Japanese</translation>
    </message>
    <message>
        <source>英語</source>
        <translation>English</translation>
    </message>
</context>
</TS>
