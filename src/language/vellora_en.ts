<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>about_box::AboutBox</name>
    <message>
        <source>Velloraについて</source>
        <translation>About Vellora</translation>
    </message>
    <message>
        <source>E-Mail：vellora@example.org</source>
        <translation>Email: vellora@example.org</translation>
    </message>
</context>
<context>
    <name>app::CommandLine</name>
    <message>
        <source>Usage: vellora [--user-data | --data-dir DIR] [PICTURE...]
       vellora --autostart on|off
       vellora [--user-data | --data-dir DIR] --pins list|hide|show|toggle|solid|window
       vellora [--user-data | --data-dir DIR] --paste
       vellora [--user-data | --data-dir DIR] --capture [last] [--delay SECONDS]
       vellora [--user-data | --data-dir DIR] --board NAME show|hide|toggle
       vellora [--user-data | --data-dir DIR] --preferences
使い方: vellora [--user-data | --data-dir ﾌｫﾙﾀﾞ] [画像...]

Vellora pins %1 pictures onto the desktop.
Vellora は %2 の画像をデスクトップに張り付けます。

Where the data file &quot;zuzerid.dat&quot; is kept / データファイルの場所:
  --user-data      $XDG_DATA_HOME/vellora (~/.local/share/vellora), created when
                   missing; the desktop menu and start at login use it.
                   ユーザーのデータフォルダ (無ければ作成)。
  --data-dir DIR   the folder DIR, created when missing.
                   指定したフォルダ (無ければ作成)。
  (neither)        the current folder, where the program was started.
                   どちらも無いときは現在のフォルダ。

One Vellora runs for each data folder. Starting it again for the same folder
brings the running one&apos;s main window back, or opens PICTURE in it, and ends.
同じデータフォルダで再び起動すると、動いている Vellora のﾒｲﾝｳｨﾝﾄﾞｳを表示するか
画像を開いて終了します。

  PICTURE          a %3 file: opened in the display window as if chosen
                   in the browser and double-clicked; a %4 file
                   opens there directly. Only the first is opened.
                   画像を画像表示ｳｨﾝﾄﾞｳで開きます (最初の 1 つだけ)。
  --paste          the clipboard&apos;s picture: written as a PNG file into &quot;pasted&quot;
                   in the data folder (a copied file is opened where it is) and
                   opened in the display window, ready to pin.
                   クリップボードの画像を画像表示ｳｨﾝﾄﾞｳで開きます。
  --capture        a part of the screen, dragged with the mouse over the frozen
                   desktop: pinned exactly where it was and kept as a PNG file
                   in &quot;captured&quot; in the data folder. Esc cancels. A click
                   takes the window under the pointer; Tab and the wheel step
                   to its client area and the monitor; C copies the colour.
                   画面の一部を張り付けます (Esc で取り消し)。
  --capture last   the rectangle of the last capture again, without the
                   overlay, as much of it as the monitors show now.
                   前回の範囲をもう一度張り付けます。
  --preferences    the preferences window (keys, language, new pins, ...),
                   opened in the running Vellora or in a new one.
                   設定ウィンドウを開きます。
  --delay SECONDS  with --capture: the screen freezes that many seconds
                   later (0 to 60).
                   指定した秒数の後に画面を止めます。
  --pins list      every pinned picture, one a line: its state (shown, hidden,
                   waiting for its folder to appear, or saved when no Vellora
                   runs), its place and size in twips, and its file.
                   A last field names the pin&apos;s board; pins in the recently
                   removed list come last, as removed.
                   張り付けた画像の一覧 (状態・位置・大きさ・ファイル・ボード)。
  --pins hide|show|toggle
                   hide or show every pinned picture of the running Vellora;
                   nothing is saved, and the next start shows them all.
                   動いている Vellora の張り付けた画像をすべて隠す / 表示する。
  --pins solid     let every pinned picture take clicks again (the way back
                   from click-through).
                   すべての画像のクリック透過を解除する。
  --pins window    the running Vellora&apos;s window that lists every pin.
                   張り付けた画像の一覧のウィンドウを開く。
  --board NAME show|hide|toggle
                   show or hide every pin of the board NAME of the running
                   Vellora; a hidden board stays hidden at the next start.
                   ボードの画像をまとめて表示する / 隠す。
  --autostart on   start with --user-data at login ($XDG_CONFIG_HOME/autostart).
  --autostart off  no longer start at login.
                   ログイン時に起動する / しない。
  --version        the version / バージョン
  -h, --help       this text / このヘルプ
</source>
        <translation>Usage: vellora [--user-data | --data-dir DIR] [PICTURE...]
       vellora --autostart on|off
       vellora [--user-data | --data-dir DIR] --pins list|hide|show|toggle|solid|window
       vellora [--user-data | --data-dir DIR] --paste
       vellora [--user-data | --data-dir DIR] --capture [last] [--delay SECONDS]
       vellora [--user-data | --data-dir DIR] --board NAME show|hide|toggle
       vellora [--user-data | --data-dir DIR] --preferences

Vellora pins %1 pictures onto the desktop.

Where the data file &quot;zuzerid.dat&quot; is kept:
  --user-data      $XDG_DATA_HOME/vellora (~/.local/share/vellora), created when
                   missing; the desktop menu and start at login use it.
  --data-dir DIR   the folder DIR, created when missing.
  (neither)        the current folder, where the program was started.

One Vellora runs for each data folder. Starting it again for the same folder
brings the running one&apos;s main window back, or opens PICTURE in it, and ends.

  PICTURE          a %3 file: opened in the display window as if chosen
                   in the browser and double-clicked; a %4 file
                   opens there directly. Only the first is opened.
  --paste          the clipboard&apos;s picture: written as a PNG file into &quot;pasted&quot;
                   in the data folder (a copied file is opened where it is) and
                   opened in the display window, ready to pin.
  --capture        a part of the screen, dragged with the mouse over the frozen
                   desktop: pinned exactly where it was and kept as a PNG file
                   in &quot;captured&quot; in the data folder. Esc cancels. A click
                   takes the window under the pointer; Tab and the wheel step
                   to its client area and the monitor; C copies the colour.
  --capture last   the rectangle of the last capture again, without the
                   overlay, as much of it as the monitors show now.
  --preferences    the preferences window (keys, language, new pins, ...),
                   opened in the running Vellora or in a new one.
  --delay SECONDS  with --capture: the screen freezes that many seconds
                   later (0 to 60).
  --pins list      every pinned picture, one a line: its state (shown, hidden,
                   waiting for its folder to appear, or saved when no Vellora
                   runs), its place and size in twips, and its file.
                   A last field names the pin&apos;s board; pins in the recently
                   removed list come last, as removed.
  --pins hide|show|toggle
                   hide or show every pinned picture of the running Vellora;
                   nothing is saved, and the next start shows them all.
  --pins solid     let every pinned picture take clicks again (the way back
                   from click-through).
  --pins window    the running Vellora&apos;s window that lists every pin.
  --board NAME show|hide|toggle
                   show or hide every pin of the board NAME of the running
                   Vellora; a hidden board stays hidden at the next start.
  --autostart on   start with --user-data at login ($XDG_CONFIG_HOME/autostart).
  --autostart off  no longer start at login.
  --version        the version
  -h, --help       this text
</translation>
    </message>
</context>
<context>
    <name>app::Commands</name>
    <message>
        <source>ﾒｲﾝｳｨﾝﾄﾞｳを表示</source>
        <translation>Show Main Window</translation>
    </message>
    <message>
        <source>クリップボードの画像を開く</source>
        <translation>Open Picture from Clipboard</translation>
    </message>
    <message>
        <source>張り付けた画像を隠す</source>
        <translation>Hide Pinned Pictures</translation>
    </message>
    <message>
        <source>すべての画像のクリック透過を解除</source>
        <translation>Turn Off Click Through for All Pictures</translation>
    </message>
    <message>
        <source>張り付けた画像の一覧</source>
        <translation>Pinned Pictures</translation>
    </message>
    <message>
        <source>画面の一部を張り付け</source>
        <translation>Pin a Part of the Screen</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>前回の範囲を張り付け</source>
        <translation>Pin the Last Region Again</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Preferences</translation>
    </message>
</context>
<context>
    <name>app::OwnKeys</name>
    <message>
        <source>ほかのプログラムが使っているキーです</source>
        <translation>Another program holds this key</translation>
    </message>
    <message>
        <source>このキーは使えません</source>
        <translation>This key cannot be used</translation>
    </message>
    <message>
        <source>「%1」と同じキーです</source>
        <translation>The same key as &quot;%1&quot;</translation>
    </message>
</context>
<context>
    <name>app::Program</name>
    <message>
        <source>%1 をコピーしました</source>
        <translation>Copied %1</translation>
    </message>
</context>
<context>
    <name>app::SaveFailureNotice</name>
    <message>
        <source>張り付けた画像の位置を保存できませんでした。

データファイル: %1
理由: %2

画像はこのまま画面に残りますが、次に起動したときには元に戻りません。</source>
        <translation>The places of the pinned pictures could not be saved.

Data file: %1
Reason: %2

The pictures stay on the screen, but they will not come back the next time Vellora starts.</translation>
    </message>
    <message>
        <source>%1 を保存できませんでした。

理由: %2</source>
        <translation>%1 could not be saved.

Reason: %2</translation>
    </message>
</context>
<context>
    <name>app::TrayIcon</name>
    <message>
        <source>接続待ちの画像</source>
        <translation>Waiting for Their Drive</translation>
    </message>
    <message>
        <source>この画像を忘れる</source>
        <translation>Forget This Picture</translation>
    </message>
    <message>
        <source>クリップボードは空です</source>
        <translation>The clipboard is empty</translation>
    </message>
    <message>
        <source>クリップボードの %1 は張り付けられません</source>
        <translation>The clipboard holds %1, which cannot be pinned</translation>
    </message>
    <message>
        <source>ボードの表示</source>
        <translation>Boards</translation>
    </message>
    <message numerus="yes">
        <source>%n 秒後に画面を止めます</source>
        <translation>
            <numerusform>The screen freezes in %n second</numerusform>
            <numerusform>The screen freezes in %n seconds</numerusform>
        </translation>
    </message>
    <message>
        <source>ほかのプログラムが使っているキー: %1</source>
        <translation>Keys another program holds: %1</translation>
    </message>
</context>
<context>
    <name>capture_window::ScreenOverlay</name>
    <message>
        <source>画面の一部を張り付け</source>
        <translation>Pin a Part of the Screen</translation>
    </message>
    <message>
        <source>クリック: ウィンドウ  ドラッグ: 範囲  Tab・ホイール: 枠あり→中身→画面  矢印: 1 ピクセル (Shift で 10)  Enter: 始点・終点  Space: 範囲を移動  C・Shift+C: 色をコピー  Esc: 取り消し</source>
        <translation>Click: the window  Drag: a region  Tab, wheel: framed → client area → monitor  Arrows: 1 pixel (10 with Shift)  Enter: start, end  Space: move the region  C, Shift+C: copy the colour  Esc: cancel</translation>
    </message>
</context>
<context>
    <name>display_window::DisplayWindow</name>
    <message>
        <source>画像表示 </source>
        <translation>Picture</translation>
    </message>
    <message>
        <source>ﾒﾆｭｰ</source>
        <translation>File</translation>
    </message>
    <message>
        <source>張り付け</source>
        <translation>Pin</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>画像追加...</source>
        <translation>Add Picture...</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
</context>
<context>
    <name>help::HelpWindow</name>
    <message>
        <source>Velloraﾍﾙﾌﾟ</source>
        <translation>Vellora Help</translation>
    </message>
    <message>
        <source>目次</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>戻る</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>進む</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>main_window::MainWindow</name>
    <message>
        <source>ﾒﾆｭｰ</source>
        <translation>File</translation>
    </message>
    <message>
        <source>非表示</source>
        <translation>Hide</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
</context>
<context>
    <name>marking_toolbar</name>
    <message>
        <source>選択</source>
        <translation>Select</translation>
    </message>
    <message>
        <source>ペン</source>
        <translation>Pen</translation>
    </message>
    <message>
        <source>蛍光ペン</source>
        <translation>Highlighter</translation>
    </message>
    <message>
        <source>直線</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>矢印</source>
        <translation>Arrow</translation>
    </message>
    <message>
        <source>四角形</source>
        <translation>Rectangle</translation>
    </message>
    <message>
        <source>楕円</source>
        <translation>Ellipse</translation>
    </message>
    <message>
        <source>文字</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>番号</source>
        <translation>Number</translation>
    </message>
    <message>
        <source>モザイク</source>
        <translation>Mosaic</translation>
    </message>
    <message>
        <source>ぼかし</source>
        <translation>Blur</translation>
    </message>
</context>
<context>
    <name>marking_toolbar::MarkingToolbar</name>
    <message>
        <source>ほかの色...</source>
        <translation>Other Colour...</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>やり直す</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>完了</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>色の選択</source>
        <translation>Choose a Colour</translation>
    </message>
</context>
<context>
    <name>pin_board::PinBoard</name>
    <message>
        <source>名前を付けて保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>PNG 画像 (*.png);;JPEG 画像 (*.jpg *.jpeg);;WebP 画像 (*.webp)</source>
        <translation>PNG image (*.png);;JPEG image (*.jpg *.jpeg);;WebP image (*.webp)</translation>
    </message>
</context>
<context>
    <name>pin_list::PinList</name>
    <message>
        <source>%1 の読めない行 (%2) はそのまま残しています</source>
        <translation>Unreadable lines of %1 (%2) are kept as they are</translation>
    </message>
    <message>
        <source>既定</source>
        <comment>the first board</comment>
        <translation>Default</translation>
    </message>
    <message>
        <source>この画像はもうありません</source>
        <translation>This picture is no longer listed</translation>
    </message>
    <message>
        <source>%1 は元のフォルダー %2 に戻せません</source>
        <translation>%1 cannot go back to its folder %2</translation>
    </message>
    <message>
        <source>%1 のファイルがなくなっています</source>
        <translation>The file of %1 is gone</translation>
    </message>
    <message>
        <source>%1 を %2 に戻せません</source>
        <translation>%1 cannot be put back into %2</translation>
    </message>
    <message>
        <source>%1 を表示できません</source>
        <translation>%1 cannot be shown</translation>
    </message>
</context>
<context>
    <name>pin_list_window::PinListWindow</name>
    <message>
        <source>表示</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>非表示</source>
        <translation>Hide</translation>
    </message>
    <message>
        <source>前面に表示</source>
        <translation>Bring to Front</translation>
    </message>
    <message>
        <source>表示ウィンドウに戻す</source>
        <translation>Back to Picture Window</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>%1 個の画像を削除しますか?</source>
        <translation>Delete the selected pictures (%1)?</translation>
    </message>
    <message>
        <source>張り付けた画像の一覧</source>
        <translation>Pinned Pictures</translation>
    </message>
    <message>
        <source>ボードを表示</source>
        <translation>Show Board</translation>
    </message>
    <message>
        <source>ボードを隠す</source>
        <translation>Hide Board</translation>
    </message>
    <message>
        <source>新しいボード...</source>
        <translation>New Board...</translation>
    </message>
    <message>
        <source>名前を変更...</source>
        <translation>Rename...</translation>
    </message>
    <message>
        <source>ボードを削除</source>
        <translation>Delete Board</translation>
    </message>
    <message>
        <source>ボードへ移動</source>
        <translation>Move to Board</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>ファイル名・フォルダ・画像の文字で検索</source>
        <translation>Search names, folders and text in pictures</translation>
    </message>
    <message>
        <source>すべてのボード</source>
        <translation>All Boards</translation>
    </message>
    <message>
        <source>新しいボードの名前:</source>
        <translation>Name of the new board:</translation>
    </message>
    <message>
        <source>「%1」というボードはもうあります。</source>
        <translation>There is already a board named “%1”.</translation>
    </message>
    <message>
        <source>ボードの新しい名前:</source>
        <translation>New name of the board:</translation>
    </message>
    <message>
        <source>ボード「%1」を削除しますか? その画像は「%2」に移ります。</source>
        <translation>Delete the board “%1”? Its pictures move to “%2”.</translation>
    </message>
    <message>
        <source>最近削除した画像</source>
        <translation>Recently Removed</translation>
    </message>
</context>
<context>
    <name>pin_list_window::PinRows</name>
    <message>
        <source>復元中</source>
        <translation>Restoring</translation>
    </message>
    <message>
        <source>表示中</source>
        <translation>Shown</translation>
    </message>
    <message>
        <source>非表示</source>
        <translation>Hidden</translation>
    </message>
    <message>
        <source>フォルダ待ち</source>
        <translation>Waiting for its folder</translation>
    </message>
    <message>
        <source>削除済み</source>
        <translation>Removed</translation>
    </message>
</context>
<context>
    <name>pinned_window::PinnedWindow</name>
    <message>
        <source>不透明度</source>
        <translation>Opacity</translation>
    </message>
    <message>
        <source>クリックを透過</source>
        <translation>Click Through</translation>
    </message>
    <message>
        <source>常に手前に表示</source>
        <translation>Always on Top</translation>
    </message>
    <message>
        <source>すべてのﾃﾞｽｸﾄｯﾌﾟに表示</source>
        <translation>Show on All Workspaces</translation>
    </message>
    <message>
        <source>ファイルの変更に追従</source>
        <translation>Follow File Changes</translation>
    </message>
    <message>
        <source>アニメーションを再生</source>
        <translation>Play Animation</translation>
    </message>
    <message>
        <source>元の大きさ</source>
        <translation>Original Size</translation>
    </message>
    <message>
        <source>画像をコピー</source>
        <translation>Copy Picture</translation>
    </message>
    <message>
        <source>フォルダを開く</source>
        <translation>Open Containing Folder</translation>
    </message>
    <message>
        <source>張り付けを解除</source>
        <translation>Unpin</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>文字を認識してコピー</source>
        <translation>Copy Text</translation>
    </message>
    <message>
        <source>選択した文字をコピー</source>
        <translation>Copy Selected Text</translation>
    </message>
    <message>
        <source>文字の選択を終了</source>
        <translation>Stop Selecting Text</translation>
    </message>
    <message>
        <source>文字を選択</source>
        <translation>Select Text</translation>
    </message>
    <message>
        <source>文字を認識できませんでした</source>
        <translation>The text could not be recognized</translation>
    </message>
    <message>
        <source>文字が見つかりませんでした</source>
        <translation>No text found</translation>
    </message>
    <message numerus="yes">
        <source>%n文字をコピーしました</source>
        <translation>
            <numerusform>Copied %n character</numerusform>
            <numerusform>Copied %n characters</numerusform>
        </translation>
    </message>
    <message>
        <source>名前を付けて保存...</source>
        <translation>Save As...</translation>
    </message>
    <message>
        <source>完了</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>書き込む</source>
        <translation>Annotate</translation>
    </message>
    <message>
        <source>書き込みを表示</source>
        <translation>Show Annotations</translation>
    </message>
    <message>
        <source>書き込みを消去</source>
        <translation>Clear Annotations</translation>
    </message>
    <message>
        <source>変形</source>
        <translation>Transform</translation>
    </message>
    <message>
        <source>右に90度回転</source>
        <translation>Rotate Right</translation>
    </message>
    <message>
        <source>左に90度回転</source>
        <translation>Rotate Left</translation>
    </message>
    <message>
        <source>180度回転</source>
        <translation>Rotate 180°</translation>
    </message>
    <message>
        <source>左右反転</source>
        <translation>Flip Horizontally</translation>
    </message>
    <message>
        <source>上下反転</source>
        <translation>Flip Vertically</translation>
    </message>
    <message>
        <source>切り抜き</source>
        <translation>Crop</translation>
    </message>
    <message>
        <source>変形を元に戻す</source>
        <translation>Reset Transform</translation>
    </message>
</context>
<context>
    <name>platform</name>
    <message>
        <source>%1 に保存できません: %2</source>
        <translation>%1 cannot be saved: %2</translation>
    </message>
</context>
<context>
    <name>platform::HelpMenu</name>
    <message>
        <source>ﾍﾙﾌﾟ</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Velloraﾍﾙﾌﾟ...</source>
        <translation>Vellora Help</translation>
    </message>
    <message>
        <source>Velloraについて...</source>
        <translation>About Vellora</translation>
    </message>
</context>
<context>
    <name>preferences_window::PreferencesWindow</name>
    <message>
        <source>設定</source>
        <translation>Preferences</translation>
    </message>
    <message>
        <source>キー</source>
        <translation>Keys</translation>
    </message>
    <message>
        <source>消去</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>このデスクトップではキーを保持できません。デスクトップの設定で、キーに「vellora --capture」などのコマンドを割り当ててください。</source>
        <translation>Vellora cannot hold keys on this desktop. Bind a key to a command such as &quot;vellora --capture&quot; in the desktop&apos;s own settings.</translation>
    </message>
    <message>
        <source>全般</source>
        <translation>General</translation>
    </message>
    <message>
        <source>デスクトップに従う</source>
        <translation>Follow the desktop</translation>
    </message>
    <message>
        <source>次の起動から有効になります。</source>
        <translation>Takes effect at the next start.</translation>
    </message>
    <message>
        <source>言語</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>ログイン時に起動する</source>
        <translation>Start at login</translation>
    </message>
    <message>
        <source>新しい画像と取り込み</source>
        <translation>New pins and captures</translation>
    </message>
    <message>
        <source>新しい画像を常に手前に表示する</source>
        <translation>Keep new pins above other windows</translation>
    </message>
    <message>
        <source>新しい画像の不透明度</source>
        <translation>Opacity of new pins</translation>
    </message>
    <message>
        <source>取り込むときにポインタの下のウィンドウを囲む</source>
        <translation>Outline the window under the pointer when capturing</translation>
    </message>
    <message>
        <source>コピーしない</source>
        <translation>Not copied</translation>
    </message>
    <message>
        <source>選択...</source>
        <translation>Choose...</translation>
    </message>
    <message>
        <source>取り込んだ画像のコピー先</source>
        <translation>Also copy captured pictures to</translation>
    </message>
    <message>
        <source>文字認識の言語</source>
        <translation>Text recognition languages</translation>
    </message>
</context>
<context>
    <name>text_recognition</name>
    <message>
        <source>QRコードの内容をコピーしました</source>
        <translation>Copied the QR code&apos;s contents</translation>
    </message>
    <message>
        <source>Data Matrixコードの内容をコピーしました</source>
        <translation>Copied the Data Matrix code&apos;s contents</translation>
    </message>
    <message>
        <source>バーコードの内容をコピーしました</source>
        <translation>Copied the barcode&apos;s contents</translation>
    </message>
</context>
</TS>
