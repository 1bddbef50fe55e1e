<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<!-- The tag memory viewer. -->
<context>
    <name>TDispTagDataDlg</name>
    <message>
        <source>ファイルに書き込めませんでした: </source>
        <translation>Could not write the file: </translation>
    </message>
</context>
</TS>
