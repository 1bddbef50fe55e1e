<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<!-- Reader maintenance: the module command dialogs, the parameter memory dialog and the command
     test dialog. Dialogs whose texts the English user interface keeps in Japanese (TLDESet1Dlg,
     TCmdOutpDlg, the buzzer prompts) have no entries. -->
<!-- The command test dialog. -->
<context>
    <name>TCoomandDlg1</name>
    <message>
        <source>コマンドテスト</source>
        <translation>Command Test</translation>
    </message>
    <message>
        <source>コマンド</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>ブロック/ページ</source>
        <translation>Block/Page</translation>
    </message>
    <message>
        <source>データ(HEX)</source>
        <translation>Data(HEX)</translation>
    </message>
    <message>
        <source>連続実行</source>
        <translation>Run continuously</translation>
    </message>
    <message>
        <source>ループ間隔</source>
        <translation>Loop Interval</translation>
    </message>
    <message>
        <source>エラーで終了</source>
        <translation>Terminate on error</translation>
    </message>
    <message>
        <source>実行数の制限</source>
        <translation>Number limit</translation>
    </message>
    <message>
        <source>状態</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>読み取り状態</source>
        <translation>Read Status</translation>
    </message>
    <message>
        <source>クリア</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>スタート</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>連続実行中です。実行を中止して閉じますか？</source>
        <translation>A continuous run is going on. Stop it and close?</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
<!-- The parameter memory dialog. -->
<context>
    <name>TFlashSet1Dlg</name>
    <message>
        <source>EEPROMの設定</source>
        <translation>EEPROM Setting</translation>
    </message>
    <message>
        <source>システムパラメータ</source>
        <translation>System Parameter</translation>
    </message>
    <message>
        <source>パラメータ</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>ブザー(連続ID読取りモード)</source>
        <translation>Buzzer(Read Loop Mode)</translation>
    </message>
    <message>
        <source>鳴らさない</source>
        <translation>Not Use</translation>
    </message>
    <message>
        <source>鳴らす</source>
        <translation>Use</translation>
    </message>
    <message>
        <source>タグ(連続ID読取りモード)</source>
        <translation>Tag(Read Loop Mode)</translation>
    </message>
    <message>
        <source>未使用(0固定)</source>
        <translation>unused(0 fixed)</translation>
    </message>
    <message>
        <source>コマンドモード用LED(緑)</source>
        <translation>LED for Command Mode(Green)</translation>
    </message>
    <message>
        <source>点灯する</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>点灯しない</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>連続読み取りの間隔</source>
        <translation>Interval(Read Loop Mode)</translation>
    </message>
    <message>
        <source>固定</source>
        <translation>Fixed</translation>
    </message>
    <message>
        <source>ランダム</source>
        <translation>Random</translation>
    </message>
    <message>
        <source>PASSの自動計算(ID Write)</source>
        <translation>Calc PASS(ID Write)</translation>
    </message>
    <message>
        <source>PASSの自動計算(Read/Wrie)</source>
        <translation>Calc PASS(Read/Wrie)</translation>
    </message>
    <message>
        <source>自動計算しない</source>
        <translation>No Calculate</translation>
    </message>
    <message>
        <source>自動計算する</source>
        <translation>Calculate</translation>
    </message>
    <message>
        <source>未使用</source>
        <translation>unused</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>LED点等時間</source>
        <translation>LED on time</translation>
    </message>
    <message>
        <source>ブザー鳴動時間</source>
        <translation>Buzzer sound time</translation>
    </message>
    <message>
        <source>LED点等時間(テストモード１)</source>
        <translation>LED on time (test mode 1)</translation>
    </message>
    <message>
        <source>ブザー鳴動時間（テストモード１）</source>
        <translation>Buzzer sound time (test mode 1)</translation>
    </message>
    <message>
        <source>ID保持時間</source>
        <translation>ID hold time</translation>
    </message>
    <message>
        <source>IDの更新タイミング</source>
        <translation>ID update timing</translation>
    </message>
    <message>
        <source>TIRIS読取間隔(Min)</source>
        <translation>TIRIS read interval (Min)</translation>
    </message>
    <message>
        <source>TIRIS読取間隔(Max)</source>
        <translation>TIRIS read interval (Max)</translation>
    </message>
    <message>
        <source>TIRISチャージ時間</source>
        <translation>TIRIS charge time</translation>
    </message>
    <message>
        <source>プログラム待ち時間</source>
        <translation>Program wait time</translation>
    </message>
    <message>
        <source>プログラム待ち時間（認証含む）</source>
        <translation>Program wait time (with authentication)</translation>
    </message>
    <message>
        <source>プログラム待ち時間2（認証含む）</source>
        <translation>Program wait time 2 (with authentication)</translation>
    </message>
    <message>
        <source>ブザー周波数設定値</source>
        <translation>Buzzer frequency</translation>
    </message>
    <message>
        <source>送受信のランダム間隔</source>
        <translation>Random interval of send/receive</translation>
    </message>
    <message>
        <source>動作モード</source>
        <translation>Action mode</translation>
    </message>
    <message>
        <source>キャリア周期設定</source>
        <translation>Carrier period</translation>
    </message>
    <message>
        <source>パワー設定（Duty)</source>
        <translation>Power (Duty)</translation>
    </message>
    <message>
        <source>ブザー（PWM）</source>
        <translation>Buzzer (PWM)</translation>
    </message>
    <message>
        <source>テスト用（モード設定）</source>
        <translation>For tests (mode setting)</translation>
    </message>
    <message>
        <source>予備</source>
        <translation>Reserve</translation>
    </message>
    <message>
        <source>読取バンク(3 or 7)</source>
        <translation>Read bank (3 or 7)</translation>
    </message>
    <message>
        <source>読取ページ(3:0-12, 7:0-31)</source>
        <translation>Read page (3:0-12, 7:0-31)</translation>
    </message>
    <message>
        <source>セレクトアドレス(HEX)</source>
        <translation>Select address (HEX)</translation>
    </message>
    <message>
        <source>キー</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>CRCチェック(TIRIS)</source>
        <translation>CRC check (TIRIS)</translation>
    </message>
    <message>
        <source>する</source>
        <translation>On</translation>
    </message>
    <message>
        <source>しない</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>FXD-B 受信堀</source>
        <translation>FDX-B reception width</translation>
    </message>
    <message>
        <source>判パルス</source>
        <translation>Half pulse</translation>
    </message>
    <message>
        <source>2パルス（周期）</source>
        <translation>2 pulses (period)</translation>
    </message>
    <message>
        <source>SIC7888 MD_Advanced固定</source>
        <translation>SIC7888 MD_Advanced fixed</translation>
    </message>
    <message>
        <source>固定しない</source>
        <translation>Not fixed</translation>
    </message>
    <message>
        <source>固定する</source>
        <translation>Fixed</translation>
    </message>
    <message>
        <source>R/W 通信スピード</source>
        <translation>R/W COM Speed</translation>
    </message>
    <message>
        <source>設定１</source>
        <translation>Set 1</translation>
    </message>
    <message>
        <source>設定２</source>
        <translation>Set 2</translation>
    </message>
    <message>
        <source>設定３</source>
        <translation>Set 3</translation>
    </message>
    <message>
        <source>動物ID</source>
        <translation>Animal ID</translation>
    </message>
</context>
<!-- The action mode dialog. -->
<context>
    <name>TSetDousaModeDlg</name>
    <message>
        <source>動作モードの設定</source>
        <translation>Set Action Mode</translation>
    </message>
    <message>
        <source>コマンドモード</source>
        <translation>Command Mode</translation>
    </message>
    <message>
        <source>連続ID読み取りモード</source>
        <translation>Read Loop Mode</translation>
    </message>
    <message>
        <source>EEPROMに保存</source>
        <translation>Save to EEPROM</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TLDESet1Dlg</name>
    <message>
        <source>常時ON/OFF</source>
        <translation>Always ON/OFF</translation>
    </message>
    <message>
        <source>指定時間ON</source>
        <translation>ON for a set time</translation>
    </message>
    <message>
        <source>点滅制御</source>
        <translation>Blink</translation>
    </message>
    <message>
        <source>点滅制御２</source>
        <translation>Blink 2</translation>
    </message>
    <message>
        <source>LEDのモードセット</source>
        <translation>LED Mode Setting</translation>
    </message>
    <message>
        <source>緑LED：　動作モード</source>
        <translation>Green LED: mode</translation>
    </message>
    <message>
        <source>緑LED：　点灯、点滅時間(*50ms)</source>
        <translation>Green LED: on/blink time (*50ms)</translation>
    </message>
    <message>
        <source>赤LED：　動作モード</source>
        <translation>Red LED: mode</translation>
    </message>
    <message>
        <source>赤LED：　点灯、点滅時間(*50ms)</source>
        <translation>Red LED: on/blink time (*50ms)</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TInp3Data2Dlg</name>
    <message>
        <source>ブザー音の指定(0:OFF,255:連続)</source>
        <translation>Buzzer Sound (0:OFF, 255:continuous)</translation>
    </message>
    <message>
        <source>返信(1:あり)</source>
        <translation>Reply (1: yes)</translation>
    </message>
    <message>
        <source>ブザー音(0-8, 255)</source>
        <translation>Buzzer sound (0-8, 255)</translation>
    </message>
</context>
<context>
    <name>TCmdOutpDlg</name>
    <message>
        <source>コマンド発行</source>
        <translation>Send Command</translation>
    </message>
    <message>
        <source>コマンド列（例：02 00 78 02 01 40 03 C0 0D）</source>
        <translation>Command bytes (example: 02 00 78 02 01 40 03 C0 0D)</translation>
    </message>
    <message>
        <source>SUM値、CR値の自動送信</source>
        <translation>Send SUM and CR automatically</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TInputIntDlg</name>
    <message>
        <source>周波数の設定</source>
        <translation>Buzzer Frequency</translation>
    </message>
    <message>
        <source>周波数を設定してください。(1500Hz or 4000Hz)</source>
        <translation>Set the frequency (1500Hz or 4000Hz).</translation>
    </message>
</context>
</TS>
