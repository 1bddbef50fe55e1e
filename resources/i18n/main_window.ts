<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<!-- The main window, the open-port dialog, the port list and the line-settings dialog. -->
<context>
    <name>TTirisAppForm</name>
    <message>
        <source>コマンド</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>コマンドの実行中です。終了するとウィンドウを閉じます。</source>
        <translation>A command is running. The window will close when it has finished.</translation>
    </message>
    <message>
        <source>LFキャリアON...</source>
        <translation>LF ON...</translation>
    </message>
    <message>
        <source>ROMバージョン</source>
        <translation>ROM Version</translation>
    </message>
    <message>
        <source>鳴らさない</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>鳴らす</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>EEPROMの初期化</source>
        <translation>EEPROM Initialization</translation>
    </message>
    <message>
        <source>パラメータ設定...</source>
        <translation>Parameter...</translation>
    </message>
    <message>
        <source>EEPROM読取</source>
        <translation>Read EEPROM</translation>
    </message>
    <message>
        <source>EEPROM書込み</source>
        <translation>Write EEPROM</translation>
    </message>
    <message>
        <source>コマンドテストダイアログの表示...</source>
        <translation>Command Test Dialog...</translation>
    </message>
    <message>
        <source>タグデータの表示...</source>
        <translation>Display Tag Data...</translation>
    </message>
    <message>
        <source>リーダーチェック...</source>
        <translation>Reader check...</translation>
    </message>
    <message>
        <source>連番書込み...</source>
        <translation>Series programming...</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Configuration</translation>
    </message>
    <message>
        <source>COM通信スピード...</source>
        <translation>COM Speed...</translation>
    </message>
    <message>
        <source>動作モード...</source>
        <translation>Action Mode...</translation>
    </message>
    <message>
        <source>LF送信出力...</source>
        <translation>LF Power...</translation>
    </message>
    <message>
        <source>システムパラメータ...</source>
        <translation>System Parameter...</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>Exit(&amp;X)</translation>
    </message>
    <message>
        <source>LEDテスト</source>
        <translation>LED Teat</translation>
    </message>
    <message>
        <source>クリア</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>ログデータ</source>
        <translation>Log Data</translation>
    </message>
    <message>
        <source>タグデータ</source>
        <translation>Tag Data</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>HDXタグ</source>
        <translation>HDX Tag</translation>
    </message>
    <message>
        <source>FDXタグ</source>
        <translation>FDX Tag</translation>
    </message>
    <message>
        <source>動物ID</source>
        <translation>Animal ID</translation>
    </message>
    <message>
        <source>モードの選択</source>
        <translation>Select Mode</translation>
    </message>
    <message>
        <source>テスト読取モード(FDX)</source>
        <translation>Test Read Mode (FDX)</translation>
    </message>
    <message>
        <source>テスト読取モード(動物ID)</source>
        <translation>Test Read Mode (Animal ID)</translation>
    </message>
    <message>
        <source>緑点灯</source>
        <translation>Green On</translation>
    </message>
    <message>
        <source>赤点灯</source>
        <translation>Red On</translation>
    </message>
    <message>
        <source>青点灯</source>
        <translation>Blue On</translation>
    </message>
    <message>
        <source>消灯</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>点滅</source>
        <translation>Blink</translation>
    </message>
    <message>
        <source>設定...</source>
        <translation>LED Settings...</translation>
    </message>
    <message>
        <source>ブザーテスト</source>
        <translation>Buzzer Test</translation>
    </message>
    <message>
        <source>ブザーテスト...</source>
        <translation>Buzzer Test...</translation>
    </message>
    <message>
        <source>連続ON</source>
        <translation>Continuous On</translation>
    </message>
    <message>
        <source>リスタート</source>
        <translation>Restart</translation>
    </message>
    <message>
        <source>モデル名の取得</source>
        <translation>Get Model Name</translation>
    </message>
    <message>
        <source>ブザー周波数設定...</source>
        <translation>Buzzer Frequency...</translation>
    </message>
    <message>
        <source>テスト読取モード時のブザー</source>
        <translation>Buzzer in Read Loop Mode</translation>
    </message>
    <message>
        <source>通信スピードの設定</source>
        <translation>Module COM Speed</translation>
    </message>
    <message>
        <source>コマンドテスト</source>
        <translation>Command Test</translation>
    </message>
    <message>
        <source>COMポート...</source>
        <translation>COM Port...</translation>
    </message>
    <message>
        <source>COMパラメータ...</source>
        <translation>COM Parameter...</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;A)...</source>
        <translation>Version(&amp;A)...</translation>
    </message>
    <message>
        <source>直前コマンド実行</source>
        <translation>Repeat Last Command</translation>
    </message>
    <message>
        <source>MPT書込み</source>
        <translation>MPT Data Write</translation>
    </message>
</context>
<context>
    <name>TOpenCom1Dlg</name>
    <message>
        <source>COMポート</source>
        <translation>COM Port</translation>
    </message>
    <message>
        <source>通信スピード</source>
        <translation>COM Speed</translation>
    </message>
    <message>
        <source>パリティ</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>non</translation>
    </message>
    <message>
        <source>奇数</source>
        <translation>odd</translation>
    </message>
    <message>
        <source>偶数</source>
        <translation>even</translation>
    </message>
    <message>
        <source>自動チェック</source>
        <translation>Auto Check</translation>
    </message>
    <message>
        <source>ポートの確認...</source>
        <translation>Port check...</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TPortCheckDlg</name>
    <message>
        <source>ポートの確認</source>
        <translation>Port check</translation>
    </message>
    <message>
        <source>COMポート</source>
        <translation>COM Port</translation>
    </message>
    <message>
        <source>デバイス</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>ドライバ</source>
        <translation>Driver</translation>
    </message>
    <message>
        <source>USB ベンダー:製品</source>
        <translation>USB vendor:product</translation>
    </message>
    <message>
        <source>使用中</source>
        <translation>In use</translation>
    </message>
    <message>
        <source>はい</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>いいえ</source>
        <translation>No</translation>
    </message>
    <message>
        <source>シリアルポートが見つかりません</source>
        <translation>No serial port found</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>TComParamDlg</name>
    <message>
        <source>通信パラメータ</source>
        <translation>COM Parameters</translation>
    </message>
    <message>
        <source>ビット/秒</source>
        <translation>Bits per second</translation>
    </message>
    <message>
        <source>データ ビット</source>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>パリティ</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>奇数</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>偶数</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>マーク</source>
        <translation>Mark</translation>
    </message>
    <message>
        <source>スペース</source>
        <translation>Space</translation>
    </message>
    <message>
        <source>ストップ ビット</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>CTS 出力フロー制御 (RTS ハンドシェイク)</source>
        <translation>CTS output flow control (RTS handshake)</translation>
    </message>
    <message>
        <source>XON/XOFF 入出力</source>
        <translation>XON/XOFF in and out</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>TSetConfig2Dlg</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>デバッグメニュー</source>
        <translation>Debug Menu</translation>
    </message>
    <message>
        <source>デバッグ</source>
        <translation>Debug</translation>
    </message>
    <message>
        <source>動物IDの表示</source>
        <translation>Disply Animal ID</translation>
    </message>
    <message>
        <source>IDのみ</source>
        <translation>ID Only</translation>
    </message>
    <message>
        <source>ID+個別情報</source>
        <translation>ID + individual data</translation>
    </message>
    <message>
        <source>デバッグ表示</source>
        <translation>Debug display</translation>
    </message>
    <message>
        <source>動物IDの書込み</source>
        <translation>Write Animal ID</translation>
    </message>
    <message>
        <source>ID+詳細情報</source>
        <translation>ID + details</translation>
    </message>
</context>
<context>
    <name>TAboutBox</name>
    <message>
        <source>バージョン情報</source>
        <translation>Version Infomation</translation>
    </message>
</context>
</TS>
