<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<!-- The reasons a file cannot be used (core/file_error_text.cpp) and the settings file that
     cannot be read. -->
<context>
    <name>Files</name>
    <message>
        <source>FIFO です（通常のファイルではありません）</source>
        <translation>a FIFO, not a regular file</translation>
    </message>
    <message>
        <source>デバイスです（通常のファイルではありません）</source>
        <translation>a device, not a regular file</translation>
    </message>
    <message>
        <source>通常のファイルではありません</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>大きすぎます</source>
        <translation>too large</translation>
    </message>
    <message>
        <source>他のプロセスが使用中です</source>
        <translation>in use by another process</translation>
    </message>
</context>
<context>
    <name>TTirisAppForm</name>
    <message>
        <source>設定ファイルを読み込めません: </source>
        <translation>Cannot read the settings file: </translation>
    </message>
    <message>
        <source>既定値で動作し、このファイルには書き込みません。</source>
        <translation>The tool works on the default settings and does not write to this file.</translation>
    </message>
</context>
</TS>
