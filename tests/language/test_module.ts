<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<!-- A module file that differs from the embedded catalogue, to tell the two apart. -->
<context>
    <name>TTirisAppForm</name>
    <message>
        <source>言語</source>
        <translation>Language (module file)</translation>
    </message>
</context>
</TS>
