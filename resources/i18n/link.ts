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
    <message>
        <source>ポートが閉じられたため送信できません（デバイスが切断されました）。「COM Port...」でポートを開き直してください</source>
        <translation>Not sent: the port was closed (the device was disconnected). Reopen it with "COM Port..."</translation>
    </message>
    <message>
        <source>応答待ちのコマンドがあるため、新しいコマンドは送信しませんでした</source>
        <translation>Busy: a command is still waiting for its response; the new command was not sent</translation>
    </message>
</context>
</TS>
