<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<!-- What the window says about its connection, a lost port, the decoded tag IDs, the
     confirmation of the EEPROM initialisation and the reader check's waits. -->
<context>
    <name>TTirisAppForm</name>
    <message>
        <source>未接続</source>
        <translation>not connected</translation>
    </message>
    <message>
        <source>切断されました</source>
        <translation>disconnected</translation>
    </message>
    <message>
        <source>モジュール未確認</source>
        <translation>module not identified</translation>
    </message>
    <message>
        <source>読取ループモード</source>
        <translation>read loop mode</translation>
    </message>
    <message>
        <source>コマンドモード</source>
        <translation>command mode</translation>
    </message>
    <message>
        <source>%1 との接続が切れました（デバイスが切断されました）。「COM Port...」でポートを開き直してください</source>
        <translation>The connection to %1 was lost (the device was disconnected). Open the port again with "COM Port...".</translation>
    </message>
    <message>
        <source>国番号 個体識別番号</source>
        <translation>Country  National ID</translation>
    </message>
    <message>
        <source>モジュールのEEPROMの設定をすべて初期値に戻します。元には戻せません。よろしいですか？</source>
        <translation>This sets every EEPROM setting of the module back to its factory value and cannot be undone. Continue?</translation>
    </message>
</context>
<context>
    <name>ReaderCheckWindow</name>
    <message>
        <source>タグをアンテナから離してください</source>
        <translation>Take the tag away from the antenna</translation>
    </message>
    <message>
        <source>空のフィールドで読み取りループを聞いています</source>
        <translation>Listening in read loop mode with the field empty</translation>
    </message>
    <message>
        <source>%1 (残り %2 秒、キャンセルで中止)</source>
        <translation>%1 (%2 s left; Cancel stops)</translation>
    </message>
</context>
</TS>
