<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<!-- The HDX family: TI HDX commands, the multipage editor, SIC279 and HDX+ operations. -->
<!-- The multipage editor's messages of its own. -->
<context>
    <name>TMPTDataWriteDlg</name>
    <message>
        <source>ファイルに書き込めませんでした: </source>
        <translation>Could not write the file: </translation>
    </message>
</context>
</TS>
