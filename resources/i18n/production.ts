<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<!-- Series programming: the production window. -->
<context>
    <name>TSeriesProgramDlg</name>
    <message>
        <source>%1 を解放しますか? そのステーションが持っていたタグをリーダーに置いてください。</source>
        <translation>Release %1? Put the tag that station had in hand on the reader first.</translation>
    </message>
    <message>
        <source>12桁まで、例: 081500000001</source>
        <translation>Up to 12 digits, e.g. 081500000001</translation>
    </message>
    <message>
        <source>CSVに書き出す...</source>
        <translation>Export to CSV...</translation>
    </message>
    <message>
        <source>NGのため停止しました</source>
        <translation>Stopped after an NG</translation>
    </message>
    <message>
        <source>NGのとき</source>
        <translation>On NG</translation>
    </message>
    <message>
        <source>OK/NGを音で知らせる</source>
        <translation>Sound for OK/NG</translation>
    </message>
    <message>
        <source>このステーション: OK %1</source>
        <translation>This station: OK %1</translation>
    </message>
    <message>
        <source>コード</source>
        <translation>Code</translation>
    </message>
    <message>
        <source>シリーズ</source>
        <translation>Series</translation>
    </message>
    <message>
        <source>シリーズ %1 件</source>
        <translation>%1 series</translation>
    </message>
    <message>
        <source>シリーズの最後まで書きました</source>
        <translation>The series is complete</translation>
    </message>
    <message>
        <source>シリーズ全体: OK %1</source>
        <translation>Whole series: OK %1</translation>
    </message>
    <message>
        <source>ステップ</source>
        <translation>Step</translation>
    </message>
    <message>
        <source>ステーション</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>ステーション名</source>
        <translation>Station name</translation>
    </message>
    <message>
        <source>タグを取ってください</source>
        <translation>Remove the tag</translation>
    </message>
    <message>
        <source>タグを置いてください</source>
        <translation>Place a tag</translation>
    </message>
    <message>
        <source>チップ</source>
        <translation>Chip</translation>
    </message>
    <message>
        <source>ポートが失われたため停止しました</source>
        <translation>Stopped: the port was lost</translation>
    </message>
    <message>
        <source>ポートが開いていません</source>
        <translation>The port is not open</translation>
    </message>
    <message>
        <source>リーダーにタグがあります。このタグで停止しますか?</source>
        <translation>A tag is on the reader. Stop after this tag?</translation>
    </message>
    <message>
        <source>一時停止 (Space)</source>
        <translation>Pause (Space)</translation>
    </message>
    <message>
        <source>一時停止中</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>予定数 (0: 上限なし)</source>
        <translation>Planned count (0: open)</translation>
    </message>
    <message>
        <source>停止 (Esc)</source>
        <translation>Stop (Esc)</translation>
    </message>
    <message>
        <source>停止しました</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>停止する</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>再開 (Space)</source>
        <translation>Resume (Space)</translation>
    </message>
    <message>
        <source>台帳</source>
        <translation>Ledger</translation>
    </message>
    <message>
        <source>台帳: </source>
        <translation>Ledger: </translation>
    </message>
    <message>
        <source>台帳が使えなくなったため停止しました: </source>
        <translation>Stopped: the ledger failed: </translation>
    </message>
    <message>
        <source>台帳に続きのシリーズがありません</source>
        <translation>The ledger holds no open series</translation>
    </message>
    <message>
        <source>台帳のシリーズ</source>
        <translation>Series of the ledger</translation>
    </message>
    <message>
        <source>台帳のシリーズを選んでください</source>
        <translation>Pick a series of the ledger</translation>
    </message>
    <message>
        <source>台帳の続きのシリーズ</source>
        <translation>Open series of the ledger</translation>
    </message>
    <message>
        <source>国</source>
        <translation>Country</translation>
    </message>
    <message>
        <source>接続しました: %1</source>
        <translation>Connected: %1</translation>
    </message>
    <message>
        <source>接続テスト</source>
        <translation>Test connection</translation>
    </message>
    <message>
        <source>新しい動物IDシリーズ</source>
        <translation>New animal ID series</translation>
    </message>
    <message>
        <source>新しい産業用IDシリーズ</source>
        <translation>New industrial ID series</translation>
    </message>
    <message>
        <source>時刻</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>書いたコード</source>
        <translation>Code written</translation>
    </message>
    <message>
        <source>書き出しました: %1</source>
        <translation>Exported: %1</translation>
    </message>
    <message>
        <source>書込み</source>
        <translation>Running</translation>
    </message>
    <message>
        <source>書込み中</source>
        <translation>Writing</translation>
    </message>
    <message>
        <source>書込み中 %1</source>
        <translation>in hand %1</translation>
    </message>
    <message>
        <source>最初の国別ID</source>
        <translation>First national ID</translation>
    </message>
    <message>
        <source>最初の国別IDを数字で入れてください</source>
        <translation>Enter the first national ID in digits</translation>
    </message>
    <message>
        <source>最初の産業用番号</source>
        <translation>First industrial number</translation>
    </message>
    <message>
        <source>最初の産業用番号を数字で入れてください</source>
        <translation>Enter the first industrial number in digits</translation>
    </message>
    <message>
        <source>次のタグで同じコードを書く</source>
        <translation>Write the same code on the next tag</translation>
    </message>
    <message>
        <source>止まったステーションの孤立コード</source>
        <translation>Orphans of stopped stations</translation>
    </message>
    <message>
        <source>残り %1</source>
        <translation>left %1</translation>
    </message>
    <message>
        <source>準備</source>
        <translation>Set-up</translation>
    </message>
    <message>
        <source>状態</source>
        <translation>State</translation>
    </message>
    <message>
        <source>確認中</source>
        <translation>Verifying</translation>
    </message>
    <message>
        <source>空: このユーザーのSQLite台帳; または postgresql://user@host/db</source>
        <translation>Empty: this user's SQLite ledger; or postgresql://user@host/db</translation>
    </message>
    <message>
        <source>空: ポートの固定名</source>
        <translation>Empty: the port's stable name</translation>
    </message>
    <message>
        <source>結果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>結果ファイル (CSV)</source>
        <translation>Results file (CSV)</translation>
    </message>
    <message>
        <source>解放</source>
        <translation>Release</translation>
    </message>
    <message>
        <source>解放...</source>
        <translation>Release...</translation>
    </message>
    <message>
        <source>読み返し</source>
        <translation>Read back</translation>
    </message>
    <message>
        <source>連番書込み</source>
        <translation>Series programming</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>国 999 はテスト用トランスポンダのコードです。このウィンドウでは書き込めません</source>
        <translation>Country 999 is the code of test transponders; this window does not write it</translation>
    </message>
    <message>
        <source>国 %1 は ISO 3166-1 の国コードでも製造者コード (900-998) でもありません。このウィンドウでは書き込めません</source>
        <translation>Country %1 is neither an ISO 3166-1 country code nor a manufacturer code (900-998); this window does not write it</translation>
    </message>
    <message>
        <source>%2 から %3 おきの %1 個のコードは国別IDの上限 %4 を超えます。予定数を減らしてください</source>
        <translation>%1 codes from %2 in steps of %3 pass the largest national ID, %4: plan fewer codes</translation>
    </message>
    <message>
        <source>%2 から %3 おきの %1 個のコードは産業用番号の上限 %4 を超えます。予定数を減らしてください</source>
        <translation>%1 codes from %2 in steps of %3 pass the largest industrial number, %4: plan fewer codes</translation>
    </message>
    <message>
        <source>%1 には別の台帳のシリーズ %3 の %2 があります。1つの結果ファイルには1つのシリーズです。別の結果ファイルを入れてください</source>
        <translation>%1 holds %2 of series %3 of another ledger. One results file, one series: enter another results file</translation>
    </message>
    <message>
        <source>%1 にはシリーズ %2 の行があります。1つの結果ファイルには1つのシリーズです。別の結果ファイルを入れてください</source>
        <translation>%1 holds rows of series %2. One results file, one series: enter another results file</translation>
    </message>
    <message>
        <source>台帳にシリーズ %1 がありません。「接続テスト」で一覧を更新してください</source>
        <translation>The ledger holds no series %1: refresh the list with "Test connection"</translation>
    </message>
    <message>
        <source>シリーズは %1 で終わっています</source>
        <translation>The series ends with %1</translation>
    </message>
    <message>
        <source>%1 は書込み済みです (%4, シリーズ %5)。別の最初の番号を入れてください</source>
        <translation>%1 was verified before (%4, series %5): enter another first number</translation>
    </message>
    <message>
        <source>%1 は %3 でNGになり、次のタグのために保たれています (%4, シリーズ %5)。別の最初の番号を入れてください</source>
        <translation>%1 failed at %3, which keeps it for its next tag (%4, series %5): enter another first number</translation>
    </message>
    <message>
        <source>%1 は %3 が書込み中で、まだ記録されていません (%4, シリーズ %5)。別の最初の番号を入れてください</source>
        <translation>%1 is claimed by %3 and not recorded (%4, series %5): enter another first number</translation>
    </message>
    <message>
        <source>シリーズ %3 は台帳に予定数 %2 とは別の計画で入っています。加わるには「台帳の続きのシリーズ」で選んでください</source>
        <translation>Series %3 is in the ledger with another plan than %2 codes: to join it, pick it under "Open series of the ledger"</translation>
    </message>
    <message>
        <source>%1 は以前に書込み済みです (%2)。「台帳の続きのシリーズ」を選ぶか、別の最初の番号を入れてください</source>
        <translation>%1 was verified before (%2): pick "Open series of the ledger" or enter another first number</translation>
    </message>
    <message>
        <source>ステーション %1 はすでに動いています (pid %2, %3)。ステーションごとに別のステーション名を入れてください</source>
        <translation>The station %1 runs already (pid %2, on %3): give each station its own station name</translation>
    </message>
    <message>
        <source>%1 は台帳のシリーズ %2 のコードなので飛ばしました</source>
        <translation>%1 is held by series %2 of the ledger: passed over</translation>
    </message>
    <message>
        <source>シリーズ %1 にはもうコードがありません</source>
        <translation>Series %1 has no code left</translation>
    </message>
    <message>
        <source>シリーズは %1 で終わりです</source>
        <translation>The series ends with %1</translation>
    </message>
    <message>
        <source>結果ファイルに書けないため停止しました: %1。このタグの行: %2</source>
        <translation>Stopped: cannot write the results file (%1). This tag's row: %2</translation>
    </message>
    <message>
        <source>タグ %1 は書込み済みの %2 を持っています。書き込みません</source>
        <translation>Tag %1 already carries %2, verified before: not written</translation>
    </message>
    <message>
        <source>タグ %1 は以前に %2 を書込み済みです。書き込みません</source>
        <translation>Tag %1 was programmed and verified before (%2): not written</translation>
    </message>
    <message>
        <source>予定 %1</source>
        <translation>planned %1</translation>
    </message>
    <message>
        <source>予定なし</source>
        <translation>open</translation>
    </message>
    <message>
        <source>シリーズ %1 (動物ID %2 から, ステップ %3, %4)</source>
        <translation>Series %1 (animal codes from %2, step %3, %4)</translation>
    </message>
    <message>
        <source>シリーズ %1 (産業用ID %2 から, ステップ %3, %4)</source>
        <translation>Series %1 (industrial codes from %2, step %3, %4)</translation>
    </message>
    <message>
        <source>OK %1, 書込み中 %2, NG %3, 残り %4</source>
        <translation>OK %1, in hand %2, NG %3, left %4</translation>
    </message>
    <message>
        <source>ステーション %1</source>
        <translation>station %1</translation>
    </message>
    <message>
        <source>未記録</source>
        <translation>claimed, not recorded</translation>
    </message>
    <message>
        <source>止まったステーションの孤立コードはありません</source>
        <translation>No orphans of stations that stopped</translation>
    </message>
    <message>
        <source>「準備」で開始を押してください</source>
        <translation>Press Start on “Set-up”</translation>
    </message>
    <message>
        <source>書込みの結果はここに出ます</source>
        <translation>The results of the run appear here</translation>
    </message>
    <message>
        <source>%1 を解放しました。リーダーのタグ (UID %2) は何も送りません。シリーズ %4 の次の書込みが使います</source>
        <translation>%1 released. The tag on the reader (UID %2) sends nothing; the next claim of series %4 takes the code</translation>
    </message>
    <message>
        <source>%1 を解放しました。リーダーのタグ (UID %2) は %3 を送ります。シリーズ %4 の次の書込みが使います</source>
        <translation>%1 released. The tag on the reader (UID %2) sends %3; the next claim of series %4 takes the code</translation>
    </message>
    <message>
        <source>%1 を解放しません: 台帳のチップ「%2」は知らないチップです</source>
        <translation>%1 not released: the ledger names no known chip (“%2”)</translation>
    </message>
    <message>
        <source>%1 を解放しません: %2 のタグがありません。%3 が持っていたタグをリーダーに置いてください</source>
        <translation>%1 not released: no %2 tag on the reader. Put the tag %3 had in hand on the reader</translation>
    </message>
    <message>
        <source>%1 を解放しません: リーダーのタグ (UID %2) は %3 が持っていたタグ (UID %4) ではありません</source>
        <translation>%1 not released: the tag on the reader (UID %2) is not the one %3 had in hand (UID %4)</translation>
    </message>
    <message>
        <source>%1 を解放しません: リーダーのタグがこのコードを持っています</source>
        <translation>%1 not released: the tag on the reader carries it</translation>
    </message>
    <message>
        <source>%1 を解放しません: 台帳でその間に変わりました。もう一度見てください</source>
        <translation>%1 not released: it changed in the ledger meanwhile; look again</translation>
    </message>
</context>
</TS>
