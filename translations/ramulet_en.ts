<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>ramulet::AnimationDialog</name>
    <message>
        <source>アニメーション</source>
        <translation>Animation</translation>
    </message>
    <message>
        <source>成長</source>
        <translation>Grow</translation>
    </message>
    <message>
        <source>揺れ</source>
        <translation>Sway</translation>
    </message>
    <message>
        <source>変形</source>
        <translation>Morph</translation>
    </message>
    <message>
        <source>種類</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>ファイル...</source>
        <translation>File...</translation>
    </message>
    <message>
        <source>変形先</source>
        <translation>Into</translation>
    </message>
    <message>
        <source>長さ (秒)</source>
        <translation>Length (seconds)</translation>
    </message>
    <message>
        <source>コマ/秒</source>
        <translation>Frames per second</translation>
    </message>
    <message>
        <source>大きさ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>なめらか</source>
        <translation>Smooth</translation>
    </message>
    <message>
        <source>繰り返す</source>
        <translation>Loop</translation>
    </message>
    <message>
        <source>GIF アニメーション (*.gif)</source>
        <translation>Animated GIF (*.gif)</translation>
    </message>
    <message>
        <source>WebP アニメーション (*.webp)</source>
        <translation>Animated WebP (*.webp)</translation>
    </message>
    <message>
        <source>APNG (*.png)</source>
        <translation>APNG (*.png)</translation>
    </message>
    <message>
        <source>PNG 連番 (フォルダー)</source>
        <translation>Numbered PNG frames (folder)</translation>
    </message>
    <message>
        <source>MP4 動画 (*.mp4)</source>
        <translation>MP4 video (*.mp4)</translation>
    </message>
    <message>
        <source>WebM 動画 (*.webm)</source>
        <translation>WebM video (*.webm)</translation>
    </message>
    <message>
        <source>形式</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>書き出し...</source>
        <translation>Export...</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>変形先のテンプレート</source>
        <translation>Template to morph into</translation>
    </message>
    <message>
        <source>このファイルは開けません</source>
        <translation>This file cannot be opened.</translation>
    </message>
    <message>
        <source>PNG 連番を書き出すフォルダー</source>
        <translation>Folder for the PNG frames</translation>
    </message>
    <message>
        <source>アニメーションの書き出し</source>
        <translation>Export the animation</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>中止</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ramulet::BranchValuesWindow</name>
    <message>
        <source>枝の値</source>
        <translation>Branch values</translation>
    </message>
    <message>
        <source>種類</source>
        <translation>Kind</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>角度</source>
        <translation>Angle</translation>
    </message>
    <message>
        <source>長さ</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>幹に沿った枝の付け根（幹の長さ単位）</source>
        <translation>Where the branch starts along the trunk (in trunk lengths)</translation>
    </message>
    <message>
        <source>幹の向きからの角度（度、左回りが正）</source>
        <translation>Angle from the trunk&apos;s direction (degrees, counter-clockwise positive)</translation>
    </message>
    <message>
        <source>枝の長さ（幹の長さ単位）</source>
        <translation>Length of the branch (in trunk lengths)</translation>
    </message>
    <message>
        <source>正像</source>
        <translation>Upright</translation>
    </message>
    <message>
        <source>鏡像</source>
        <translation>Mirrored</translation>
    </message>
    <message>
        <source>線分</source>
        <translation>Segment</translation>
    </message>
    <message>
        <source>幹</source>
        <translation>Trunk</translation>
    </message>
    <message>
        <source>値を入力してください</source>
        <translation>Enter a value</translation>
    </message>
    <message>
        <source>%1 文字目が数値にも式にもなっていません</source>
        <translation>Character %1 is not part of a number or expression</translation>
    </message>
    <message>
        <source>%1 文字目に値がありません</source>
        <translation>A value is missing at character %1</translation>
    </message>
    <message>
        <source>括弧が閉じていません</source>
        <translation>A parenthesis is not closed</translation>
    </message>
    <message>
        <source>括弧が深すぎます</source>
        <translation>Too many nested parentheses</translation>
    </message>
    <message>
        <source>値が大きすぎます</source>
        <translation>The value is too large</translation>
    </message>
    <message>
        <source>0 で割っています</source>
        <translation>Division by zero</translation>
    </message>
    <message>
        <source>負の数の平方根はとれません</source>
        <translation>No square root of a negative number</translation>
    </message>
    <message>
        <source>種類は「正像」「鏡像」「線分」のどれかです</source>
        <translation>The kind is one of Upright, Mirrored and Segment</translation>
    </message>
    <message>
        <source>長さは 0 以上です</source>
        <translation>The length cannot be negative</translation>
    </message>
</context>
<context>
    <name>ramulet::CommandLine</name>
    <message>
        <source>使い方: ramulet [オプション] [テンプレート.rm2]
自己相似の木をテンプレートから描きます。

  テンプレート.rm2  起動時に開くテンプレート。引数は間に何も入れずにつないで
                    一つのファイル名にするので、空白を含む名前は引用符で囲みます
  -h, --help        この説明を表示して終了します
  --version         版を表示して終了します
  --                これより後はオプションではなくファイル名です
Qt の標準のオプション (-platform, -style など) も使えます。

環境変数:
  LANGUAGE, LC_ALL, LC_MESSAGES, LANG
                    ウィンドウの言語。LANGUAGE の最初の項目、なければ設定されて
                    いる最初の変数の言語が ja, C, POSIX か、どれも設定されて
                    いなければ日本語、ほかの言語なら英語です
</source>
        <translation>Usage: ramulet [OPTIONS] [TEMPLATE.rm2]
Draws self-similar trees from a template.

  TEMPLATE.rm2      a template to open at start; the arguments are joined with
                    nothing between them into one file name, so quote a name
                    with blanks
  -h, --help        show this help and exit
  --version         show the version and exit
  --                what follows is a file name, not an option
Qt&apos;s own options (-platform, -style, ...) are taken too.

Environment:
  LANGUAGE, LC_ALL, LC_MESSAGES, LANG
                    the window&apos;s language: Japanese when the first entry of
                    LANGUAGE, else the first of the others that is set, is ja,
                    C or POSIX, or when none is set; English for any other
</translation>
    </message>
    <message>
        <source>Ramulet %1 (Qt %2)
</source>
        <translation>Ramulet %1 (Qt %2)
</translation>
    </message>
    <message>
        <source>ramulet: 知らないオプション「%1」です (ファイル名なら -- の後に書きます)

</source>
        <translation>ramulet: unknown option &apos;%1&apos; (write a file name after --)

</translation>
    </message>
</context>
<context>
    <name>ramulet::GalleryDialog</name>
    <message>
        <source>見本</source>
        <translation>Examples</translation>
    </message>
</context>
<context>
    <name>ramulet::PngSizeDialog</name>
    <message>
        <source>PNG の大きさ</source>
        <translation>PNG Size</translation>
    </message>
    <message>
        <source>幅</source>
        <translation>Width:</translation>
    </message>
    <message>
        <source>高さ</source>
        <translation>Height:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ramulet::TMainform</name>
    <message>
        <source>ファイルに書き込めません。
%1

理由: %2</source>
        <translation>The file cannot be written.
%1

Reason: %2</translation>
    </message>
    <message>
        <source>%1 は既に存在します。
上書きしますか?</source>
        <translation>%1 already exists.
Do you want to replace it?</translation>
    </message>
    <message>
        <source>読み出し</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>このファイルは開けません</source>
        <translation>This file cannot be opened.</translation>
    </message>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>左クリック：拡大，右クリック：縮小，Shift+クリック：中央へ移動</source>
        <translation>Left-click: zoom in, right-click: zoom out, Shift+click: move to the center</translation>
    </message>
    <message>
        <source>点のドラッグで移動，枝のドラッグで平行移動，枝の右クリックで属性変更と削除</source>
        <translation>Drag a point to move it, drag a branch to slide it, right-click a branch to change its kind or delete it</translation>
    </message>
    <message>
        <source>枝の追加</source>
        <translation>Add branch</translation>
    </message>
    <message>
        <source>ネストの深さ</source>
        <translation>Nesting depth</translation>
    </message>
    <message>
        <source>編集</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>先端の色</source>
        <translation>Tip color</translation>
    </message>
    <message>
        <source>幹の色</source>
        <translation>Trunk color</translation>
    </message>
    <message>
        <source>幹の太さ</source>
        <translation>Trunk width</translation>
    </message>
    <message>
        <source>自動ｻｲｽﾞ調整</source>
        <translation>Fit to view</translation>
    </message>
    <message>
        <source>プレビュー</source>
        <translation>Live tree</translation>
    </message>
    <message>
        <source>編集画面に木を重ねて表示 (Ctrl+L)</source>
        <translation>Show the tree under the editor (Ctrl+L)</translation>
    </message>
    <message>
        <source>データの読み出し</source>
        <translation>Open a template</translation>
    </message>
    <message>
        <source>データの記録</source>
        <translation>Save the template</translation>
    </message>
    <message>
        <source>初期化</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>終&#x3000;了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>正像</source>
        <translation>Upright</translation>
    </message>
    <message>
        <source>鏡像</source>
        <translation>Mirrored</translation>
    </message>
    <message>
        <source>線分</source>
        <translation>Segment</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message numerus="yes">
        <source>%n重に繰り返し</source>
        <translation>
            <numerusform>%n level deep</numerusform>
            <numerusform>%n levels deep</numerusform>
        </translation>
    </message>
    <message>
        <source>点の移動</source>
        <translation>Move point</translation>
    </message>
    <message>
        <source>枝の平行移動</source>
        <translation>Slide branch</translation>
    </message>
    <message>
        <source>属性変更</source>
        <translation>Change kind</translation>
    </message>
    <message>
        <source>枝の削除</source>
        <translation>Delete branch</translation>
    </message>
    <message>
        <source>色の変更</source>
        <translation>Change color</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>未記録データを消去します</source>
        <translation>Start over with the default template? Anything not saved will be lost.</translation>
    </message>
    <message>
        <source>終了しますよ</source>
        <translation>Quit Ramulet? Anything not saved will be lost.</translation>
    </message>
    <message>
        <source>［自動ｻｲｽﾞ調整］がチェックされているときはズームできません.</source>
        <translation>You cannot zoom while “Fit to view” is checked.</translation>
    </message>
    <message>
        <source>画像の書き出し</source>
        <translation>Export the picture</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>やり直し</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>%1 は既にあります。置き換えますか?</source>
        <translation>%1 already exists. Do you want to replace it?</translation>
    </message>
    <message>
        <source>画像を書き出せません: %1
%2</source>
        <translation>The picture cannot be exported: %1
%2</translation>
    </message>
    <message>
        <source>見本</source>
        <translation>Examples</translation>
    </message>
    <message>
        <source>見本のテンプレートを開く (Ctrl+Shift+O)</source>
        <translation>Open an example template (Ctrl+Shift+O)</translation>
    </message>
    <message>
        <source>見本のテンプレートが見つかりません</source>
        <translation>No example templates were found</translation>
    </message>
    <message>
        <source>なめらか</source>
        <translation>Smooth</translation>
    </message>
    <message>
        <source>木をなめらかに描く (Ctrl+Shift+A)</source>
        <translation>Draw the tree smooth, antialiased (Ctrl+Shift+A)</translation>
    </message>
    <message>
        <source>枝の値</source>
        <translation>Values</translation>
    </message>
    <message>
        <source>ファイル(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>ヘルプ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>開く(&amp;O)...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>テンプレートのファイルを開く</source>
        <translation>Open a template file</translation>
    </message>
    <message>
        <source>見本(&amp;X)...</source>
        <translation>E&amp;xamples...</translation>
    </message>
    <message>
        <source>見本のテンプレートを開く</source>
        <translation>Open an example template</translation>
    </message>
    <message>
        <source>上書き保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>今のファイルに記録する (ファイルがなければ名前を聞く)</source>
        <translation>Save to the current file (asks for a name when there is none)</translation>
    </message>
    <message>
        <source>名前を付けて保存(&amp;A)...</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>名前を付けてテンプレートを記録する</source>
        <translation>Save the template under a name</translation>
    </message>
    <message>
        <source>画像の書き出し(&amp;E)...</source>
        <translation>&amp;Export Picture...</translation>
    </message>
    <message>
        <source>木の絵を SVG, PNG, PDF のファイルに書き出す</source>
        <translation>Write the tree picture to an SVG, PNG or PDF file</translation>
    </message>
    <message>
        <source>画像のコピー(&amp;C)</source>
        <translation>&amp;Copy Picture</translation>
    </message>
    <message>
        <source>木の絵をクリップボードにコピーする</source>
        <translation>Copy the tree picture to the clipboard</translation>
    </message>
    <message>
        <source>終了(&amp;Q)</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>プログラムを終了する</source>
        <translation>Quit the program</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>最後の編集を取り消す</source>
        <translation>Undo the last edit</translation>
    </message>
    <message>
        <source>やり直し(&amp;R)</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>取り消した編集をやり直す</source>
        <translation>Redo the edit undone</translation>
    </message>
    <message>
        <source>枝の追加(&amp;B)</source>
        <translation>Add &amp;Branch</translation>
    </message>
    <message>
        <source>テンプレートに枝を 1 本加える</source>
        <translation>Add a branch to the template</translation>
    </message>
    <message>
        <source>初期化(&amp;I)</source>
        <translation>&amp;Reset</translation>
    </message>
    <message>
        <source>最初のテンプレートに戻す</source>
        <translation>Go back to the default template</translation>
    </message>
    <message>
        <source>テンプレートの編集画面を表示する</source>
        <translation>Show the template editor</translation>
    </message>
    <message>
        <source>プレビュー(&amp;L)</source>
        <translation>&amp;Live Tree</translation>
    </message>
    <message>
        <source>なめらか(&amp;M)</source>
        <translation>S&amp;mooth</translation>
    </message>
    <message>
        <source>絵をなめらかに描く (Ctrl+Shift+A)</source>
        <translation>Draw the pictures smooth (Ctrl+Shift+A)</translation>
    </message>
    <message>
        <source>自動サイズ調整(&amp;F)</source>
        <translation>&amp;Fit to View</translation>
    </message>
    <message>
        <source>木の全体を画面に合わせる</source>
        <translation>Fit the whole tree into the view</translation>
    </message>
    <message>
        <source>拡大(&amp;I)</source>
        <translation>Zoom &amp;In</translation>
    </message>
    <message>
        <source>木の画面の中央を拡大する</source>
        <translation>Zoom in about the middle of the tree view</translation>
    </message>
    <message>
        <source>縮小(&amp;O)</source>
        <translation>Zoom &amp;Out</translation>
    </message>
    <message>
        <source>木の画面の中央を縮小する</source>
        <translation>Zoom out about the middle of the tree view</translation>
    </message>
    <message>
        <source>標準の表示(&amp;D)</source>
        <translation>&amp;Default View</translation>
    </message>
    <message>
        <source>木の画面の拡大と移動を元に戻す</source>
        <translation>Undo the zoom and moves of the tree view</translation>
    </message>
    <message>
        <source>キーボードショートカット(&amp;K)</source>
        <translation>&amp;Keyboard Shortcuts</translation>
    </message>
    <message>
        <source>ショートカットとマウスの操作の一覧</source>
        <translation>List the shortcuts and mouse gestures</translation>
    </message>
    <message>
        <source>Ramulet について(&amp;A)</source>
        <translation>&amp;About Ramulet</translation>
    </message>
    <message>
        <source>版とライセンス</source>
        <translation>Version and licence</translation>
    </message>
    <message>
        <source>編集画面</source>
        <translation>Editor</translation>
    </message>
    <message>
        <source>木の画面</source>
        <translation>Tree view</translation>
    </message>
    <message>
        <source>キーボードショートカット</source>
        <translation>Keyboard Shortcuts</translation>
    </message>
    <message>
        <source>Ramulet について</source>
        <translation>About Ramulet</translation>
    </message>
    <message>
        <source>&lt;h3&gt;Ramulet %1&lt;/h3&gt;&lt;p&gt;枝のテンプレートから自己相似の木を描くプログラム&lt;/p&gt;&lt;p&gt;ライセンス: GPL-3.0-or-later&lt;/p&gt;&lt;p&gt;Qt %2&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Ramulet %1&lt;/h3&gt;&lt;p&gt;Draws self-similar trees from a branch template.&lt;/p&gt;&lt;p&gt;Licence: GPL-3.0-or-later&lt;/p&gt;&lt;p&gt;Qt %2&lt;/p&gt;</translation>
    </message>
    <message>
        <source>枝の値を数値で編集 (Ctrl+T)</source>
        <translation>Edit the branch values as numbers (Ctrl+T)</translation>
    </message>
    <message>
        <source>バリエーション</source>
        <translation>Variations</translation>
    </message>
    <message>
        <source>いまのテンプレートの変化形から選ぶ (Ctrl+Shift+V)</source>
        <translation>Choose from variations of the template (Ctrl+Shift+V)</translation>
    </message>
    <message>
        <source>枝の値(&amp;V)...</source>
        <translation>Branch &amp;Values...</translation>
    </message>
    <message>
        <source>枝の値を数値で編集する</source>
        <translation>Edit the branch values as numbers</translation>
    </message>
    <message>
        <source>バリエーション(&amp;T)...</source>
        <translation>Varia&amp;tions...</translation>
    </message>
    <message>
        <source>いまのテンプレートの変化形から選ぶ</source>
        <translation>Choose from variations of the template</translation>
    </message>
    <message>
        <source>アニメーション(&amp;N)...</source>
        <translation>A&amp;nimation...</translation>
    </message>
    <message>
        <source>木が育つ・揺れる・変わるアニメーションを作る</source>
        <translation>Make an animation of the tree growing, swaying or turning into another</translation>
    </message>
    <message>
        <source>ドラッグの取り消し</source>
        <translation>Cancel the drag</translation>
    </message>
    <message>
        <source>選んだ枝の先を 0.01 動かす (Shift: 0.1)</source>
        <translation>Move the selected branch&apos;s end by 0.01 (Shift: 0.1)</translation>
    </message>
    <message>
        <source>選んだ枝を削除する</source>
        <translation>Delete the selected branch</translation>
    </message>
    <message>
        <source>木の画面を標準の表示に戻す</source>
        <translation>Back to the default view of the tree</translation>
    </message>
</context>
<context>
    <name>ramulet::TemplateFile</name>
    <message>
        <source>%1 行目: %2 が入るところに「%3」があります</source>
        <translation>line %1: expected %2, found &apos;%3&apos;</translation>
    </message>
    <message>
        <source>幹の %1 (数値)</source>
        <translation>the trunk&apos;s %1 (a number)</translation>
    </message>
    <message>
        <source>枝 %1 の %2 (数値)</source>
        <translation>%2 of branch %1 (a number)</translation>
    </message>
    <message>
        <source>幹の種類 (1, -1, 0 のどれか)</source>
        <translation>the trunk&apos;s kind (1, -1 or 0)</translation>
    </message>
    <message>
        <source>枝 %1 の種類 (1, -1, 0 のどれか)</source>
        <translation>the kind of branch %1 (1, -1 or 0)</translation>
    </message>
    <message>
        <source>背景色 (整数)</source>
        <translation>the background colour (a whole number)</translation>
    </message>
    <message>
        <source>先端の色 (整数)</source>
        <translation>the tip colour (a whole number)</translation>
    </message>
    <message>
        <source>幹の色 (整数)</source>
        <translation>the trunk colour (a whole number)</translation>
    </message>
    <message>
        <source>幹の太さの設定 (整数)</source>
        <translation>the pen width setting (a whole number)</translation>
    </message>
    <message>
        <source>ファイルが幹の行の前で終わっています</source>
        <translation>the file ends before the trunk&apos;s row</translation>
    </message>
    <message>
        <source>%1 行目: 幹の長さが 0 です</source>
        <translation>line %1: the trunk has zero length</translation>
    </message>
    <message>
        <source>%1 行目: 幹が長すぎます</source>
        <translation>line %1: the trunk is too long</translation>
    </message>
    <message>
        <source>空のファイルです</source>
        <translation>the file is empty</translation>
    </message>
    <message>
        <source>テキストファイルではありません</source>
        <translation>it is not a text file</translation>
    </message>
    <message>
        <source>1 行目: 先頭にバイト順マーク (BOM) が付いています</source>
        <translation>line 1: it begins with a byte-order mark (BOM)</translation>
    </message>
    <message>
        <source>Ramulet のテンプレートではありません (1 行目:「%1」)</source>
        <translation>it is not a Ramulet template (line 1: &apos;%1&apos;)</translation>
    </message>
    <message>
        <source>Ramulet の新しい版 (%1) のファイルです</source>
        <translation>it was written by a newer version of Ramulet (%1)</translation>
    </message>
    <message>
        <source>枝の数 (0..20 の整数)</source>
        <translation>the number of branches (a whole number 0..20)</translation>
    </message>
    <message>
        <source>ファイル名がありません</source>
        <translation>no file name was given</translation>
    </message>
    <message>
        <source>フォルダーです</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>普通のファイルではありません</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>1 MiB を超えて続くファイルで、どのテンプレートよりはるかに長いです</source>
        <translation>the file goes on past 1 MiB, far longer than any template</translation>
    </message>
    <message>
        <source>ファイルでもパイプでも文字デバイスでもありません</source>
        <translation>it is neither a file, a pipe nor a character device</translation>
    </message>
    <message>
        <source>読んでいるプログラムのないパイプです</source>
        <translation>a pipe that no program reads</translation>
    </message>
</context>
<context>
    <name>ramulet::VariationDialog</name>
    <message>
        <source>バリエーション</source>
        <translation>Variations</translation>
    </message>
    <message>
        <source>いまのテンプレート</source>
        <translation>The current template</translation>
    </message>
    <message>
        <source>対称を保つ</source>
        <translation>Keep symmetry</translation>
    </message>
    <message>
        <source>枝の数を保つ</source>
        <translation>Keep the number of branches</translation>
    </message>
    <message>
        <source>色も変える</source>
        <translation>Change colours too</translation>
    </message>
    <message>
        <source>ランダム</source>
        <translation>Random</translation>
    </message>
    <message>
        <source>戻る</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>使う</source>
        <translation>Use</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>控えめ</source>
        <translation>Subtle</translation>
    </message>
    <message>
        <source>大胆</source>
        <translation>Wild</translation>
    </message>
    <message>
        <source>シード %1</source>
        <translation>Seed %1</translation>
    </message>
    <message>
        <source>ランダム %1</source>
        <translation>Random %1</translation>
    </message>
</context>
</TS>
