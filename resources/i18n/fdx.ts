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
</context>
</TS>
