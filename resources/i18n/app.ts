<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<!-- What every handler reaches: the module, the handler registry and its error messages. -->
<context>
    <name>AppCore</name>
    <message>
        <source>ポートが開いていません。「COM Port...」でポートを開いてください</source>
        <translation>No port is open: open one with "COM Port..."</translation>
    </message>
</context>
<context>
    <name>HandlerRegistry</name>
    <message>
        <source>別のコマンドの実行中のため、開始しませんでした</source>
        <translation>Not started: another command is still running</translation>
    </message>
    <message>
        <source>予期しないエラーが発生しました</source>
        <translation>An unexpected error occurred</translation>
    </message>
</context>
</TS>
