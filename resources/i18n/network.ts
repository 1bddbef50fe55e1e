<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>TOpenCom1Dlg</name>
    <message>
        <source>ネットワークポートの追加...</source>
        <translation>Add network port...</translation>
    </message>
    <message>
        <source>サーバーで設定された速度</source>
        <translation>the speed set at the server</translation>
    </message>
</context>
<context>
    <name>TAddNetPortDlg</name>
    <message>
        <source>ネットワークポートの追加</source>
        <translation>Add network port</translation>
    </message>
    <message>
        <source>ser2net やターミナルサーバーのポート: rfc2217://ホスト:ポート (速度を設定できる)、socket://ホスト:ポート (生の TCP)</source>
        <translation>A port of ser2net or a terminal server: rfc2217://host:port (speed can be set), socket://host:port (raw TCP)</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ポートを登録できませんでした: </source>
        <translation>The port could not be registered: </translation>
    </message>
</context>
</TS>
