<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<!-- The FDX family: ID reads, SIC7888 and EM4305 dialogs. -->
<!-- The block write dialog of the SIC7888 writes and the EM4305 login. -->
<context>
    <name>TWrData1_4Dlg</name>
    <message>
        <source>読取モード</source>
        <translation>Response Protocol Mode</translation>
    </message>
    <message>
        <source>データ(HEX)</source>
        <translation>Data(HEX)</translation>
    </message>
    <message>
        <source>標準</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>アドバンスト</source>
        <translation>Advanced</translation>
    </message>
    <message>
        <source>高速アドバンスト</source>
        <translation>Fast Advanced</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>TBDEIdWrite1Dlg</name>
    <message>
        <source>BDE設定</source>
        <translation>BDE Config Setup</translation>
    </message>
    <message>
        <source>トランスポンダの種類</source>
        <translation>Type of transponder</translation>
    </message>
    <message>
        <source>アプリケーションコード</source>
        <translation>Application code</translation>
    </message>
    <message>
        <source>供給者コード</source>
        <translation>Supplier code</translation>
    </message>
    <message>
        <source>シリアル番号</source>
        <translation>Serial number</translation>
    </message>
</context>
<context>
    <name>TIDWrite1Dlg</name>
    <message>
        <source>EM ID設定</source>
        <translation>EM ID Config Setup</translation>
    </message>
</context>
<context>
    <name>TFecavaIDWrite1Dlg</name>
    <message>
        <source>Fecava ID設定</source>
        <translation>Fecava ID Config Setup</translation>
    </message>
    <message>
        <source>16進数のみ</source>
        <translation>HexDecimal Only</translation>
    </message>
</context>
<context>
    <name>TSetID2Dlg</name>
    <message>
        <source>ID書込み</source>
        <translation>ID Write</translation>
    </message>
    <message>
        <source>工業用</source>
        <translation>Industrial</translation>
    </message>
    <message>
        <source>動物用</source>
        <translation>Animal</translation>
    </message>
    <message>
        <source>国コード</source>
        <translation>Country Code</translation>
    </message>
    <message>
        <source>392:日本, 999:テスト用トランスポンダ</source>
        <translation>392:Japan, 999:test Transponder</translation>
    </message>
    <message>
        <source>個体識別コード</source>
        <translation>National Code</translation>
    </message>
    <message>
        <source>書込み</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TSetID3Dlg</name>
    <message>
        <source>国コード</source>
        <translation>Country Code</translation>
    </message>
    <message>
        <source>392:日本, 999:テスト用トランスポンダ</source>
        <translation>392:Japan, 999:Test Transponder</translation>
    </message>
    <message>
        <source>IDコード</source>
        <translation>ID Code</translation>
    </message>
    <message>
        <source>10進数</source>
        <translation>Decimal</translation>
    </message>
    <message>
        <source>16進数</source>
        <translation>Hexdecimal</translation>
    </message>
    <message>
        <source>自動: データの加算</source>
        <translation>Auto: Addition of data</translation>
    </message>
    <message>
        <source>加算値</source>
        <translation>Addition value</translation>
    </message>
    <message>
        <source>ロック</source>
        <translation>Lock</translation>
    </message>
    <message>
        <source>書込み</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>読取り</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>SIC279; 動物ID書込み</source>
        <translation>SIC279; Animal ID Write</translation>
    </message>
    <message>
        <source>SIC7888; 動物ID書込み</source>
        <translation>SIC7888; Animal ID Write</translation>
    </message>
    <message>
        <source>EM4305; 動物ID書込み</source>
        <translation>EM4305; Animal ID Write</translation>
    </message>
</context>
<context>
    <name>TInp3Data2Dlg</name>
    <message>
        <source>CT値</source>
        <translation>CT Value</translation>
    </message>
    <message>
        <source>開始ブロックアドレス(0-43)</source>
        <translation>Start Block Address(0-43)</translation>
    </message>
    <message>
        <source>ブロック数(1-44)</source>
        <translation>Block Number(1-44)</translation>
    </message>
</context>
<context>
    <name>TWrData1_5Dlg</name>
    <message>
        <source>ワード(0～15)</source>
        <translation>Word(0～15)</translation>
    </message>
    <message>
        <source>パスワード</source>
        <translation>Passowrd</translation>
    </message>
    <message>
        <source>設定情報を書き換えます。
よろしいですか?</source>
        <translation>Rewrite the setting information.&#xd;
Is it OK?</translation>
    </message>
    <message>
        <source>Protectビットは1から0に戻せません。よろしいですか?</source>
        <translation>The Protect bit cannot be set back from 1 to 0. Is it OK?</translation>
    </message>
    <message>
        <source>アドレス</source>
        <translation>Addr</translation>
    </message>
    <message>
        <source>ログイン</source>
        <translation>Login</translation>
    </message>
    <message>
        <source>データ</source>
        <translation>Data</translation>
    </message>
    <message>
        <source>サブデータ</source>
        <translation>SubData</translation>
    </message>
    <message>
        <source>保護ビット prN: 1 でワード N を書込み禁止 (0 には戻せません)</source>
        <translation>Protect bits prN: 1 write-protects word N (cannot be set back to 0)</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>パスワード(4バイト)</source>
        <translation>Pasword(4Byte)</translation>
    </message>
</context>
</TS>
