<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<!-- Animal ID programming (the plain dialog TSetID3Dlg) and the SIC7888 ID format set-up dialogs. -->
<context>
    <name>TSetID3Dlg</name>
    <message>
        <source>動物用</source>
        <translation>Animal</translation>
    </message>
    <message>
        <source>工業用</source>
        <translation>Industrial</translation>
    </message>
    <message>
        <source>ID Code: 10進数で入力してください</source>
        <translation>ID Code: enter a decimal number</translation>
    </message>
    <message>
        <source>ID Code: 16進数16桁以内で入力してください</source>
        <translation>ID Code: enter at most 16 hexadecimal digits</translation>
    </message>
</context>
<context>
    <name>TFecavaIDWrite1Dlg</name>
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
        <source>自動インクリメント</source>
        <translation>Auto increment</translation>
    </message>
    <message>
        <source>10進数</source>
        <translation>Decimal</translation>
    </message>
    <message>
        <source>16進数</source>
        <translation>Hexdecimal</translation>
    </message>
</context>
<context>
    <name>TIDWrite1Dlg</name>
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
        <source>自動インクリメント</source>
        <translation>Auto increment</translation>
    </message>
    <message>
        <source>10進数</source>
        <translation>Decimal</translation>
    </message>
    <message>
        <source>16進数</source>
        <translation>Hexdecimal</translation>
    </message>
</context>
<context>
    <name>TBDEIdWrite1Dlg</name>
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
        <source>自動インクリメント</source>
        <translation>Auto increment</translation>
    </message>
    <message>
        <source>10進数</source>
        <translation>Decimal</translation>
    </message>
    <message>
        <source>16進数</source>
        <translation>Hexdecimal</translation>
    </message>
</context>
</TS>
