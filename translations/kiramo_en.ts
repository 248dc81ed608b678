<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>BitmapCodec</name>
    <message>
        <source>ビットマップファイルが途中で終わっています: %2 バイトのうち %1 バイトしかありません</source>
        <translation>The bitmap file ends early: %1 of %2 bytes are there</translation>
    </message>
    <message>
        <source>ビットマップファイルが途中で終わっています: ヘッダーに %1 バイト必要ですが、%2 バイトしかありません</source>
        <translation>The bitmap file ends early: its headers need %1 bytes, %2 are there</translation>
    </message>
    <message>
        <source>ビットマップファイルが途中で終わっています: 圧縮された画素が %2 行のうち %1 行目で切れています</source>
        <translation>The bitmap file ends early: its compressed pixels stop in row %1 of %2</translation>
    </message>
    <message>
        <source>ビットマップファイルが壊れています: %1</source>
        <translation>The bitmap file is damaged: %1</translation>
    </message>
    <message>
        <source>Windows ビットマップのファイルではありません</source>
        <translation>The file is not a Windows bitmap</translation>
    </message>
    <message>
        <source>ビットマップのヘッダーが未知の種類です (%1 バイト)</source>
        <translation>The bitmap has a header of an unknown kind (%1 bytes)</translation>
    </message>
    <message>
        <source>大きさが %1 x %2 ピクセルとなっています</source>
        <translation>it gives its size as %1 x %2 pixels</translation>
    </message>
    <message>
        <source>読めない種類のビットマップです (1 画素 %1 ビット、圧縮 %2)</source>
        <translation>The bitmap is of a kind that the program does not read (%1 bits a pixel, compression %2)</translation>
    </message>
    <message>
        <source>画素の始まり (%1 バイト目) がヘッダーの中にあります</source>
        <translation>its pixels start at byte %1, inside its headers</translation>
    </message>
    <message>
        <source>色のマスクがひと続きのビットになっていません</source>
        <translation>its colour masks are not single runs of bits</translation>
    </message>
    <message>
        <source>書き込む画像がありません</source>
        <translation>There is no picture to write</translation>
    </message>
    <message>
        <source>画像がビットマップファイルには大きすぎます</source>
        <translation>The picture is too large for a bitmap file</translation>
    </message>
</context>
<context>
    <name>Caption</name>
    <message>
        <source>  右クリックで色記録</source>
        <translation>  Right-click: colour</translation>
    </message>
</context>
<context>
    <name>ColourCommands</name>
    <message>
        <source>カラーテーブルに色がありません</source>
        <translation>The colour table holds no colours</translation>
    </message>
    <message>
        <source>パレットの書き出し</source>
        <translation>Export Palette</translation>
    </message>
    <message>
        <source>GIMP パレット (*.gpl)</source>
        <translation>GIMP Palette (*.gpl)</translation>
    </message>
</context>
<context>
    <name>FileChecks</name>
    <message>
        <source>%1 へのリンクで、その先は通常のファイルではありません (%2)。</source>
        <translation>A link to %1, which is not a regular file (%2).</translation>
    </message>
    <message>
        <source>通常のファイルではありません (%1)。</source>
        <translation>Not a regular file (%1).</translation>
    </message>
    <message>
        <source>名前付きパイプ</source>
        <translation>named pipe</translation>
    </message>
    <message>
        <source>デバイス</source>
        <translation>device</translation>
    </message>
    <message>
        <source>フォルダー</source>
        <translation>folder</translation>
    </message>
    <message>
        <source>ソケット</source>
        <translation>socket</translation>
    </message>
    <message>
        <source>特殊なファイル</source>
        <translation>special file</translation>
    </message>
    <message>
        <source>%1 は %2 へのリンクです。自分だけのフォルダーとしては使えません。</source>
        <translation>%1 is a link to %2; it cannot serve as a private folder.</translation>
    </message>
    <message>
        <source>%1 はほかのユーザー (uid %2) のフォルダーです。</source>
        <translation>%1 belongs to another user (uid %2).</translation>
    </message>
    <message>
        <source>%1 を作成できません。</source>
        <translation>Cannot create %1.</translation>
    </message>
    <message>
        <source>%1 は %2 へのリンクですが、%2 はありません。</source>
        <translation>%1 is a link to %2, which does not exist.</translation>
    </message>
</context>
<context>
    <name>FileCommands</name>
    <message>
        <source>ファイルを開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp|All Files (*.*)|*.*|</source>
        <translation>Bitmap (*.bmp)|*.bmp|All Files (*.*)|*.*|</translation>
    </message>
    <message>
        <source>該当する拡張子 [%1] が関連付けされていません</source>
        <translation>No program is associated with the extension [%1]</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>ﾋﾞｯﾄﾏｯﾌﾟ (*.bmp)|*.bmp|PNG (*.png)|*.png|All Files (*.*)|*.*|</source>
        <translation>Bitmap (*.bmp)|*.bmp|PNG (*.png)|*.png|All Files (*.*)|*.*|</translation>
    </message>
    <message>
        <source>画像</source>
        <translation>Pictures</translation>
    </message>
</context>
<context>
    <name>FileReplacement</name>
    <message>
        <source>%1 に書き込めません: %2</source>
        <translation>%1 cannot be written: %2</translation>
    </message>
    <message>
        <source>通常のファイルではありません</source>
        <translation>it is not a file</translation>
    </message>
    <message>
        <source>保存している間に別のファイルに置き換えられました</source>
        <translation>it was replaced while being saved</translation>
    </message>
    <message>
        <source>%1 (上書きの途中だったため、元の内容は失われました)</source>
        <translation>%1; it was being overwritten in place and its old contents are lost</translation>
    </message>
    <message>
        <source>フォルダーです</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>パイプかデバイスで、ファイルではありません</source>
        <translation>it is a pipe or a device, not a file</translation>
    </message>
</context>
<context>
    <name>FirstStepHint</name>
    <message>
        <source>はじめに
・画面を取り込む: %1 ▸ %2
・ファイルを開く: %3 ▸ %4
・または画像をここにドロップ</source>
        <translation>To begin:
• Capture the screen: %1 ▸ %2
• Open a file: %3 ▸ %4
• Or drop a picture here</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>画面を取り込めません。
%1</source>
        <translation>The screen cannot be captured.
%1</translation>
    </message>
    <message>
        <source>キャンバス</source>
        <translation>Canvas</translation>
    </message>
    <message>
        <source>作業中の絵です。ドラッグで範囲を選び、矢印キーで 1 ピクセル (Shift で 10) 動かし、Ctrl+矢印キーで大きさを変えます。Esc で選択をやめます。右クリックで色を拾います。</source>
        <translation>The picture being worked on. Drag to select a rectangle; the arrow keys move it one pixel (ten with Shift), Ctrl+arrow keys change its size. Escape removes the selection. A right-click picks a colour.</translation>
    </message>
    <message>
        <source>デスクトップの画面取り込みを使う</source>
        <translation>Use the Desktop&apos;s Screenshot</translation>
    </message>
</context>
<context>
    <name>Form1Menus</name>
    <message>
        <source>1/8 分割</source>
        <translation>1/8 Divisions</translation>
    </message>
    <message>
        <source>等分...</source>
        <translation>Equal Parts...</translation>
    </message>
    <message>
        <source>寸法(cm)指定...</source>
        <translation>Spacing (cm)...</translation>
    </message>
    <message>
        <source>寸法が読めないため、選択範囲の比率を決められません。書式: @ 名前 幅x高さ (例: @ A4 29.7x21、x は小文字)</source>
        <translation>The sizes cannot be read, so the selection has no proportions. Format: @ name widthxheight (e.g. @ A4 29.7x21, x in lower case)</translation>
    </message>
    <message>
        <source>寸法 %1x%2 に 0 以下の値があるため、選択範囲の比率を決められません。幅と高さは 0 より大きい数で書いてください (例: @ A4 29.7x21)</source>
        <translation>The sizes %1x%2 include a value of 0 or less, so the selection has no proportions. Write width and height as numbers above 0 (e.g. @ A4 29.7x21)</translation>
    </message>
    <message>
        <source>上書き保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>最近使ったファイル(&amp;R)</source>
        <translation>Open &amp;Recent</translation>
    </message>
    <message>
        <source>前回の画像を復元(&amp;L)</source>
        <translation>Restore &amp;Last Picture</translation>
    </message>
    <message>
        <source>グリッドの表示形式(&amp;S)...</source>
        <translation>Grid &amp;Style...</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>やり直し(&amp;R)</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>色の値をコピー(&amp;V)</source>
        <translation>Copy Colour &amp;Values</translation>
    </message>
    <message>
        <source>パレットを書き出す(&amp;E)...</source>
        <translation>&amp;Export Palette...</translation>
    </message>
    <message>
        <source>横向き(&amp;L)</source>
        <translation>&amp;Landscape</translation>
    </message>
    <message>
        <source>(なし)</source>
        <translation>(Empty)</translation>
    </message>
    <message>
        <source>一覧を消去(&amp;C)</source>
        <translation>&amp;Clear</translation>
    </message>
    <message>
        <source>表示倍率: %1</source>
        <translation>Zoom: %1</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>拡大(&amp;I)</source>
        <translation>Zoom &amp;In</translation>
    </message>
    <message>
        <source>縮小(&amp;O)</source>
        <translation>Zoom &amp;Out</translation>
    </message>
    <message>
        <source>実際のサイズ(&amp;A)</source>
        <translation>&amp;Actual Size</translation>
    </message>
    <message>
        <source>画面に合わせる(&amp;F)</source>
        <translation>&amp;Fit</translation>
    </message>
    <message>
        <source>グレースケール(&amp;G)</source>
        <translation>&amp;Greyscale</translation>
    </message>
    <message>
        <source>明暗 3 段階(&amp;3)</source>
        <translation>&amp;Values (3)</translation>
    </message>
    <message>
        <source>明暗 5 段階(&amp;5)</source>
        <translation>Values (&amp;5)</translation>
    </message>
    <message>
        <source>左右反転(&amp;M)</source>
        <translation>&amp;Mirror</translation>
    </message>
    <message>
        <source>セル番号(&amp;L)</source>
        <translation>Cell &amp;Labels</translation>
    </message>
</context>
<context>
    <name>Form2</name>
    <message>
        <source>画面の取り込み</source>
        <translation>Screen capture</translation>
    </message>
    <message>
        <source>止めた画面です。ドラッグで範囲を描き、矢印キーで 1 ピクセル (Shift で 10) 動かし、Ctrl+矢印キーで大きさを変えます。Enter かダブルクリックで取り込み、Esc か右クリックでやめます。</source>
        <translation>The frozen screen. Drag to draw a rectangle; the arrow keys move it one pixel (ten with Shift), Ctrl+arrow keys change its size. Enter or a double-click takes it, Escape or a right-click gives up.</translation>
    </message>
</context>
<context>
    <name>GridCommands</name>
    <message>
        <source>選択部分左右幅を基準に</source>
        <translation>Based on the selection&apos;s width:</translation>
    </message>
    <message>
        <source>画像左右幅を基準に</source>
        <translation>Based on the picture&apos;s width:</translation>
    </message>
    <message>
        <source>何等分のグリッドを描きますか？</source>
        <translation>How many equal parts for the grid?</translation>
    </message>
    <message>
        <source> ] 横位置</source>
        <translation> ] landscape</translation>
    </message>
    <message>
        <source> ] 縦位置</source>
        <translation> ] portrait</translation>
    </message>
    <message>
        <source>画像左上を基点に</source>
        <translation>From the picture&apos;s top left corner:</translation>
    </message>
    <message>
        <source>何cmのグリッドを描きますか？</source>
        <translation>Grid spacing in cm?</translation>
    </message>
    <message>
        <source>等分グリッドの指定</source>
        <translation>Equal Parts Grid</translation>
    </message>
    <message>
        <source>FreeSizeは寸法(cm)指定ができません</source>
        <translation>FreeSize has no sizes for a spacing in cm</translation>
    </message>
    <message>
        <source>%1は寸法が0のため寸法(cm)指定ができません</source>
        <translation>%1 has a size of 0: no spacing in cm</translation>
    </message>
    <message>
        <source>グリッド寸法の指定</source>
        <translation>Grid Spacing</translation>
    </message>
</context>
<context>
    <name>GridStyleDialog</name>
    <message>
        <source>グリッドの表示形式</source>
        <translation>Grid Style</translation>
    </message>
    <message>
        <source>グリッドの色</source>
        <translation>Grid Colour</translation>
    </message>
    <message>
        <source>色:</source>
        <translation>Colour:</translation>
    </message>
    <message>
        <source>線の幅:</source>
        <translation>Line width:</translation>
    </message>
    <message>
        <source>不透明度:</source>
        <translation>Opacity:</translation>
    </message>
    <message>
        <source>これから描くグリッドに使われます。</source>
        <translation>Used for the grids drawn from now on.</translation>
    </message>
</context>
<context>
    <name>GridStyleSettings</name>
    <message>
        <source>グリッドの表示形式を %1 に保存できません</source>
        <translation>The grid style cannot be saved to %1</translation>
    </message>
</context>
<context>
    <name>HandOff</name>
    <message>
        <source>該当する拡張子 [BMP] が関連付けされていません</source>
        <translation>No program is associated with the extension [BMP]</translation>
    </message>
    <message>
        <source>ヘルプのページを書き出せません。
%1</source>
        <translation>The help page cannot be written.
%1</translation>
    </message>
    <message>
        <source>ブラウザを起動できません。ヘルプのページはここにあります:
%1</source>
        <translation>No browser can be started. The help page is here:
%1</translation>
    </message>
    <message>
        <source>help.html</source>
        <comment>the file name of the help page in this language</comment>
        <translation>help.en.html</translation>
    </message>
</context>
<context>
    <name>HistoryItems</name>
    <message>
        <source>元に戻す(&amp;U): %1</source>
        <translation>&amp;Undo %1</translation>
    </message>
    <message>
        <source>やり直し(&amp;R): %1</source>
        <translation>&amp;Redo %1</translation>
    </message>
</context>
<context>
    <name>ImageFiles</name>
    <message>
        <source>%1 を読み込んでいます...</source>
        <translation>Loading %1...</translation>
    </message>
    <message>
        <source>%1 を保存しています...</source>
        <translation>Saving %1...</translation>
    </message>
    <message>
        <source>%1 はフォルダーで、画像ファイルではありません</source>
        <translation>%1 is a folder, not a picture file</translation>
    </message>
    <message>
        <source>%1 は画像ファイルではなく、デバイスかパイプです</source>
        <translation>%1 is not a picture file but a device or a pipe</translation>
    </message>
    <message>
        <source>%1 を開けません: %2</source>
        <translation>%1 cannot be opened: %2</translation>
    </message>
    <message>
        <source>%1 を読み込めません: %2</source>
        <translation>%1 cannot be loaded: %2</translation>
    </message>
</context>
<context>
    <name>LastPicture</name>
    <message>
        <source>復元できる前回の画像がありません</source>
        <translation>There is no last picture to restore</translation>
    </message>
</context>
<context>
    <name>Orientation</name>
    <message>
        <source>縦</source>
        <translation>portrait</translation>
    </message>
    <message>
        <source>横</source>
        <translation>landscape</translation>
    </message>
</context>
<context>
    <name>PageLayout</name>
    <message>
        <source>%1 等分</source>
        <translation>%1 parts</translation>
    </message>
    <message>
        <source>%1、グリッド %2</source>
        <translation>%1, grid %2</translation>
    </message>
</context>
<context>
    <name>PaperCommands</name>
    <message>
        <source>PDF の書き出し</source>
        <translation>Export PDF</translation>
    </message>
    <message>
        <source>印刷</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>PDF を作成できません</source>
        <translation>the PDF could not be started</translation>
    </message>
    <message>
        <source>PDF (*.pdf)|*.pdf|すべてのファイル (*.*)|*.*|</source>
        <translation>PDF (*.pdf)|*.pdf|All Files (*.*)|*.*|</translation>
    </message>
</context>
<context>
    <name>PaperOptionsDialog</name>
    <message>
        <source>実寸: %1</source>
        <translation>True size: %1</translation>
    </message>
    <message>
        <source>用紙に合わせる:</source>
        <translation>Fitted on the page:</translation>
    </message>
    <message>
        <source>用紙に合わせる</source>
        <translation>Fitted on the page</translation>
    </message>
    <message>
        <source>マス目の記号 (列 A, B, C… 行 1, 2, 3…)</source>
        <translation>Cell labels (columns A, B, C… rows 1, 2, 3…)</translation>
    </message>
</context>
<context>
    <name>PaperScene</name>
    <message>
        <source>%1 (%2 %、%3 に配置)</source>
        <translation>%1 at %2 %, on %3</translation>
    </message>
    <message>
        <source>%1 (%2 に配置)</source>
        <translation>%1, on %2</translation>
    </message>
    <message>
        <source>%1/%2 行 %3/%4 列 — %5</source>
        <translation>Row %1 of %2, column %3 of %4 — %5</translation>
    </message>
</context>
<context>
    <name>PictureIntake</name>
    <message>
        <source>画像が大きすぎます: %1 x %2 ピクセル (最大 %3 x %3)</source>
        <translation>The picture is too large: %1 x %2 pixels (at most %3 x %3)</translation>
    </message>
    <message>
        <source>%1 x %2 ピクセルの画像に足りるメモリーがありません</source>
        <translation>There is not enough memory for a picture of %1 x %2 pixels</translation>
    </message>
    <message>
        <source>画像に画素がありません: %1 x %2</source>
        <translation>The picture has no pixels: %1 x %2</translation>
    </message>
    <message>
        <source>読み込める画像ではありません</source>
        <translation>Not a picture that the program can read</translation>
    </message>
</context>
<context>
    <name>ScreenGrabber</name>
    <message>
        <source>セッションバスに接続できません。</source>
        <translation>Cannot connect to the session bus.</translation>
    </message>
    <message>
        <source>デスクトップのスクリーンショット機能 (xdg-desktop-portal) が見つかりません。</source>
        <translation>The desktop&apos;s screenshot service (xdg-desktop-portal) was not found.</translation>
    </message>
    <message>
        <source>デスクトップが画面の読み取りを断りました: %1</source>
        <translation>The desktop refused to read the screen: %1</translation>
    </message>
    <message>
        <source>デスクトップが画面の読み取りに失敗しました。</source>
        <translation>The desktop failed to read the screen.</translation>
    </message>
    <message>
        <source>画像 %1 を読めません。</source>
        <translation>The picture %1 cannot be read.</translation>
    </message>
    <message>
        <source>画面を読み取れませんでした。</source>
        <translation>The screen could not be read.</translation>
    </message>
    <message>
        <source>デスクトップが画面の読み取りを許可していません (以前の確認で「拒否」が選ばれ、記憶されています)。
もう一度確認させるには、端末で次を実行してください:
%1</source>
        <translation>The desktop does not allow reading the screen (&quot;Deny&quot; was chosen when it asked before, and it is remembered).
To have it ask again, run this in a terminal:
%1</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>%1 を作成できません。
%2</source>
        <translation>Cannot create %1.
%2</translation>
    </message>
    <message>
        <source>%1 を開けません。
%2</source>
        <translation>Cannot open %1.
%2</translation>
    </message>
</context>
<context>
    <name>WaitWindow</name>
    <message>
        <source>画面の取り込みを待っています…</source>
        <translation>Waiting for the screen to be captured…</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Workspace</name>
    <message>
        <source>%1 を起動できません</source>
        <translation>Cannot start %1</translation>
    </message>
    <message>
        <source>同名ファイル %1 が存在します。上書きしますか？</source>
        <translation>%1 already exists. Replace it?</translation>
    </message>
</context>
</TS>
