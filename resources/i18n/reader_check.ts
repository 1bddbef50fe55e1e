<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<!-- The reader check: its log lines, the dialog, the report and the plot. -->
<context>
    <name>ReaderCheckWindow</name>
    <message>
        <source>CTを戻せません</source>
        <translation>The tuning value could not be set back</translation>
    </message>
    <message>
        <source>CTを書けません: </source>
        <translation>Cannot write the tuning value: </translation>
    </message>
    <message>
        <source>CTを読めません</source>
        <translation>Cannot read the tuning value</translation>
    </message>
    <message>
        <source>IDフレーム</source>
        <translation>ID frames</translation>
    </message>
    <message>
        <source>LF送信出力</source>
        <translation>LF transmission level</translation>
    </message>
    <message>
        <source>LF送信出力 </source>
        <translation>LF level </translation>
    </message>
    <message>
        <source>LF送信出力を戻しました</source>
        <translation>LF level restored</translation>
    </message>
    <message>
        <source>LF送信出力を戻しました: </source>
        <translation>LF level restored: </translation>
    </message>
    <message>
        <source>LF送信出力を戻せません</source>
        <translation>The LF level could not be set back</translation>
    </message>
    <message>
        <source>LF送信出力を設定できません: </source>
        <translation>Cannot set the LF level: </translation>
    </message>
    <message>
        <source>LF送信出力を読めません</source>
        <translation>Cannot read the LF level</translation>
    </message>
    <message>
        <source>SIC7888 チューニング</source>
        <translation>SIC7888 tuning</translation>
    </message>
    <message>
        <source>SUMエラー</source>
        <translation>SUM errors</translation>
    </message>
    <message>
        <source>p95応答時間</source>
        <translation>p95 round trip</translation>
    </message>
    <message>
        <source>しきい値 (読み取り率 95 % 以上の最低出力)</source>
        <translation>Threshold (lowest level reading &gt;= 95 %)</translation>
    </message>
    <message>
        <source>しきい値: </source>
        <translation>Threshold: </translation>
    </message>
    <message>
        <source>はい</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>エラー</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>タイムアウト</source>
        <translation>Time-outs</translation>
    </message>
    <message>
        <source>タグがフィールドから離れません</source>
        <translation>The tag did not leave the field</translation>
    </message>
    <message>
        <source>タグの種類</source>
        <translation>Tag family</translation>
    </message>
    <message>
        <source>タグの種類: </source>
        <translation>Tag family: </translation>
    </message>
    <message>
        <source>タグをアンテナから離して、OKを押してください。</source>
        <translation>Take the tag away from the antenna, then press OK.</translation>
    </message>
    <message>
        <source>チューニングはSIC7888だけです</source>
        <translation>Tuning is for SIC7888 tags only</translation>
    </message>
    <message>
        <source>フィールドにタグがありません</source>
        <translation>No tag in the field</translation>
    </message>
    <message>
        <source>フォルダを作れません</source>
        <translation>cannot create the folder</translation>
    </message>
    <message>
        <source>フォーマットエラー</source>
        <translation>Format errors</translation>
    </message>
    <message>
        <source>ポート</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>ポートが失われました</source>
        <translation>The port was lost</translation>
    </message>
    <message>
        <source>リーダーチェック</source>
        <translation>Reader check</translation>
    </message>
    <message>
        <source>不要なバイト</source>
        <translation>Stray bytes</translation>
    </message>
    <message>
        <source>中断したリーダーチェックの前のLF送信出力に戻しました: </source>
        <translation>LF level set back to where an interrupted reader check found it: </translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>値</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>元のCT</source>
        <translation>original CT</translation>
    </message>
    <message>
        <source>元のCT: </source>
        <translation>Original CT: </translation>
    </message>
    <message>
        <source>出力スイープ</source>
        <translation>Power sweep</translation>
    </message>
    <message>
        <source>動作モードを設定できません</source>
        <translation>Cannot set the action mode</translation>
    </message>
    <message>
        <source>日時</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>書き込み: </source>
        <translation>Written: </translation>
    </message>
    <message>
        <source>最適なCT</source>
        <translation>best CT</translation>
    </message>
    <message>
        <source>最適なCT: </source>
        <translation>Best CT: </translation>
    </message>
    <message>
        <source>読み取り</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>読み取りループ: </source>
        <translation>Read loop: </translation>
    </message>
    <message>
        <source>読み取りループの時間 (ms)</source>
        <translation>Read-loop time (ms)</translation>
    </message>
    <message>
        <source>読み取り率</source>
        <translation>Read rate</translation>
    </message>
    <message>
        <source>読み取り率とp95応答時間</source>
        <translation>Read rate and p95 round trip</translation>
    </message>
    <message>
        <source>識別</source>
        <translation>Identification</translation>
    </message>
    <message>
        <source>識別: </source>
        <translation>Identification: </translation>
    </message>
    <message>
        <source>通信とノイズ</source>
        <translation>Link and noise</translation>
    </message>
    <message>
        <source>開始時のLF送信出力</source>
        <translation>LF level at the start</translation>
    </message>
    <message>
        <source>開始時のLF送信出力: </source>
        <translation>LF level at the start: </translation>
    </message>
    <message>
        <source>項目</source>
        <translation>Item</translation>
    </message>
    <message>
        <source>レベルごとの読み取り回数</source>
        <translation>Reads per level</translation>
    </message>
    <message>
        <source>通信とノイズも測る</source>
        <translation>Count link and noise too</translation>
    </message>
    <message>
        <source>タグなし (フィールドは空)</source>
        <translation>No tag (the field is empty)</translation>
    </message>
    <message>
        <source>開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>保存...</source>
        <translation>Save...</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>測るものがありません</source>
        <translation>Nothing to measure</translation>
    </message>
    <message>
        <source>測定中...</source>
        <translation>Measuring...</translation>
    </message>
    <message>
        <source>出力</source>
        <translation>Level</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>しきい値</source>
        <translation>Threshold</translation>
    </message>
</context>
</TS>
