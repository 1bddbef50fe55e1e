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
    <message>
        <source>ロックするページ</source>
        <translation>Lock page</translation>
    </message>
    <message>
        <source>MPT書込み</source>
        <translation>MPT Write</translation>
    </message>
    <message>
        <source>スキャン</source>
        <translation>SCAN</translation>
    </message>
    <message>
        <source>書込み</source>
        <translation>WRITE</translation>
    </message>
    <message>
        <source>クリア</source>
        <translation>CLEAR</translation>
    </message>
    <message>
        <source>ログ保存</source>
        <translation>SAVE LOG</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>CLOSE</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Setting</translation>
    </message>
    <message>
        <source>表示モード</source>
        <translation>Display Mode</translation>
    </message>
    <message>
        <source>設定(&amp;C)</source>
        <translation>&amp;Configuration</translation>
    </message>
    <message>
        <source>設定(&amp;S)</source>
        <translation>&amp;Setting</translation>
    </message>
    <message>
        <source>ロック</source>
        <translation>Lock</translation>
    </message>
    <message>
        <source>バイト</source>
        <translation>Byte</translation>
    </message>
    <message>
        <source>ページ</source>
        <translation>page</translation>
    </message>
    <message>
        <source>編集</source>
        <translation>EDIT</translation>
    </message>
    <message>
        <source>編集終了</source>
        <translation>END EDIT</translation>
    </message>
    <message>
        <source>ファイルに追記しました: </source>
        <translation>Saved to the end of the file: </translation>
    </message>
</context>
<context>
    <name>TDispTagDataDlg</name>
    <message>
        <source>タグデータ</source>
        <translation>Tag Data</translation>
    </message>
    <message>
        <source>ID(16進)</source>
        <translation>ID(Hex)</translation>
    </message>
    <message>
        <source>タグの種類</source>
        <translation>Tag Type</translation>
    </message>
    <message>
        <source>チップ/製造者</source>
        <translation>Chip/Manufacture</translation>
    </message>
    <message>
        <source>読取り</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>動作環境</source>
        <translation>Operating environment</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>設定(&amp;C)</source>
        <translation>&amp;Configuration</translation>
    </message>
</context>
<context>
    <name>TWrData1_3Dlg</name>
    <message>
        <source>データ(HEX)</source>
        <translation>Data(HEX)</translation>
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
        <source>タグの種類</source>
        <translation>Tag Type</translation>
    </message>
    <message>
        <source>読み書き</source>
        <translation>Read/Write</translation>
    </message>
    <message>
        <source>読取り専用</source>
        <translation>Read Only</translation>
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
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>TWrData1Dlg</name>
    <message>
        <source>データ(HEX)</source>
        <translation>Data(HEX)</translation>
    </message>
    <message>
        <source>ロック</source>
        <translation>Lock</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>ID書込み</source>
        <translation>ID Write</translation>
    </message>
    <message>
        <source>タグの種類</source>
        <translation>Tag Type</translation>
    </message>
    <message>
        <source>読み書き</source>
        <translation>Read/Write</translation>
    </message>
    <message>
        <source>読取り専用</source>
        <translation>Read Only</translation>
    </message>
    <message>
        <source>書込み</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>データは書き換えられなくなりますが、よろしいですか?</source>
        <translation>Can not rewrite data but is good?</translation>
    </message>
</context>
<context>
    <name>TWriteData2Dlg</name>
    <message>
        <source>プログラムデータ（HEX）</source>
        <translation>Program Data（HEX）</translation>
    </message>
    <message>
        <source>データ1をセット</source>
        <translation>Set Data1</translation>
    </message>
    <message>
        <source>データ2をセット</source>
        <translation>Set Data2</translation>
    </message>
    <message>
        <source>データ3をセット</source>
        <translation>Set Data3</translation>
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
    <name>TInp3Data2Dlg</name>
    <message>
        <source>開始ページ</source>
        <translation>Start page</translation>
    </message>
    <message>
        <source>ページ数</source>
        <translation>page number</translation>
    </message>
</context>
<context>
    <name>TWrData1_2Dlg</name>
    <message>
        <source>ID書込み</source>
        <translation>ID Write</translation>
    </message>
    <message>
        <source>チップロック</source>
        <translation>Chip Lock</translation>
    </message>
</context>
</TS>
