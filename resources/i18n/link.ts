<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<!-- The reader link: the communication module's own log lines. -->
<context>
    <name>TTirisC1Dlg</name>
    <message>
        <source>送信できませんでした: %1 (%2/%3 バイト送信)</source>
        <translation>Write failed: %1 (%2 of %3 bytes sent)</translation>
    </message>
    <message>
        <source>書き込みの時間切れ</source>
        <translation>write time-out</translation>
    </message>
</context>
</TS>
