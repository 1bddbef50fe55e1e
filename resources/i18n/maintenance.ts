<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<!-- Reader maintenance: the module command dialogs, the parameter memory dialog and the command
     test dialog. Dialogs whose texts the English user interface keeps in Japanese (TLDESet1Dlg,
     TCmdOutpDlg, the buzzer prompts) have no entries. -->
<!-- The command test dialog. -->
<context>
    <name>TCoomandDlg1</name>
    <message>
        <source>コマンドテスト</source>
        <translation>Command Test</translation>
    </message>
    <message>
        <source>コマンド</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>ブロック/ページ</source>
        <translation>Block/Page</translation>
    </message>
    <message>
        <source>データ(HEX)</source>
        <translation>Data(HEX)</translation>
    </message>
    <message>
        <source>連続実行</source>
        <translation>Run continuously</translation>
    </message>
    <message>
        <source>ループ間隔</source>
        <translation>Loop Interval</translation>
    </message>
    <message>
        <source>エラーで終了</source>
        <translation>Terminate on error</translation>
    </message>
    <message>
        <source>実行数の制限</source>
        <translation>Number limit</translation>
    </message>
    <message>
        <source>状態</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>読み取り状態</source>
        <translation>Read Status</translation>
    </message>
    <message>
        <source>クリア</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>スタート</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>連続実行中です。実行を中止して閉じますか？</source>
        <translation>A continuous run is going on. Stop it and close?</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
<!-- The parameter memory dialog. -->
<context>
    <name>TFlashSet1Dlg</name>
    <message>
        <source>EEPROMの設定</source>
        <translation>EEPROM Setting</translation>
    </message>
    <message>
        <source>システムパラメータ</source>
        <translation>System Parameter</translation>
    </message>
    <message>
        <source>パラメータ</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>ブザー(連続ID読取りモード)</source>
        <translation>Buzzer(Read Loop Mode)</translation>
    </message>
    <message>
        <source>鳴らさない</source>
        <translation>Not Use</translation>
    </message>
    <message>
        <source>鳴らす</source>
        <translation>Use</translation>
    </message>
    <message>
        <source>タグ(連続ID読取りモード)</source>
        <translation>Tag(Read Loop Mode)</translation>
    </message>
    <message>
        <source>未使用(0固定)</source>
        <translation>unused(0 fixed)</translation>
    </message>
    <message>
        <source>コマンドモード用LED(緑)</source>
        <translation>LED for Command Mode(Green)</translation>
    </message>
    <message>
        <source>点灯する</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>点灯しない</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>連続読み取りの間隔</source>
        <translation>Interval(Read Loop Mode)</translation>
    </message>
    <message>
        <source>固定</source>
        <translation>Fixed</translation>
    </message>
    <message>
        <source>ランダム</source>
        <translation>Random</translation>
    </message>
    <message>
        <source>PASSの自動計算(ID Write)</source>
        <translation>Calc PASS(ID Write)</translation>
    </message>
    <message>
        <source>PASSの自動計算(Read/Wrie)</source>
        <translation>Calc PASS(Read/Wrie)</translation>
    </message>
    <message>
        <source>自動計算しない</source>
        <translation>No Calculate</translation>
    </message>
    <message>
        <source>自動計算する</source>
        <translation>Calculate</translation>
    </message>
    <message>
        <source>未使用</source>
        <translation>unused</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<!-- The action mode dialog. -->
<context>
    <name>TSetDousaModeDlg</name>
    <message>
        <source>動作モードの設定</source>
        <translation>Set Action Mode</translation>
    </message>
    <message>
        <source>コマンドモード</source>
        <translation>Command Mode</translation>
    </message>
    <message>
        <source>連続ID読み取りモード</source>
        <translation>Read Loop Mode</translation>
    </message>
    <message>
        <source>EEPROMに保存</source>
        <translation>Save to EEPROM</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
