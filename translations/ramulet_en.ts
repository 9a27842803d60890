<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
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
        <source>ファイルを読み込めません。
%1

理由: %2</source>
        <translation>The file cannot be read.
%1

Reason: %2</translation>
    </message>
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
</context>
</TS>
