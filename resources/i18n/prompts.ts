<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<!-- The prompt dialogs, the numeric edit control and the progress dialog. -->
<!-- The progress dialog of long jobs. -->
<context>
    <name>TGuage1Dlg</name>
    <message>
        <source>しばらくお待ちください</source>
        <translation>Please wait</translation>
    </message>
    <message>
        <source>キャンセル(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
</context>
<!-- The option dialog of the multipage editor and the tag memory viewer. -->
<context>
    <name>THanyousettingDlg</name>
    <message>
        <source>設定</source>
        <translation>Setting</translation>
    </message>
    <message>
        <source>MPT書込み</source>
        <translation>MPT Data Write</translation>
    </message>
    <message>
        <source>書込み後にロックする</source>
        <translation>Lock after writing</translation>
    </message>
    <message>
        <source>表示するバイトデータを反転する</source>
        <translation>Byte inversion</translation>
    </message>
    <message>
        <source>ファストモード</source>
        <translation>Fast mode</translation>
    </message>
    <message>
        <source>タグの読取を固定する</source>
        <translation>Fix tag reading</translation>
    </message>
    <message>
        <source>タグデータ</source>
        <translation>Tag Data</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>TInp3Data1Dlg</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TInputIntDlg</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<!-- The conversion error of the numeric edit control. -->
<context>
    <name>TNumberEdit</name>
    <message>
        <source>'%1' は有効な浮動小数点値ではありません。</source>
        <translation>'%1' is not a valid floating point value.</translation>
    </message>
    <message>
        <source>'%1' は有効な整数値ではありません。</source>
        <translation>'%1' is not a valid integer value.</translation>
    </message>
    <message>
        <source>エラー</source>
        <translation>Error</translation>
    </message>
</context>
<!-- Close pressed on a dialog whose command is still running. -->
<context>
    <name>WidgetPrompts</name>
    <message>
        <source>コマンドの実行中です。終了するとウィンドウを閉じます。</source>
        <translation>A command is running. The window will close when it has finished.</translation>
    </message>
</context>
<context>
    <name>TSelInp1Dlg</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TInputIntDlg2</name>
    <message>
        <source>モード</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>TInp3Data2Dlg</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
</TS>
