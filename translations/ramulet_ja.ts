<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>ramulet::Animation</name>
    <message>
        <source>cannot write %1: the format is not known</source>
        <translation>%1 に書き込めません: 形式が分かりません</translation>
    </message>
    <message>
        <source>not all of it could be written (the disk may be full)</source>
        <translation>全部は書き込めませんでした (ディスクがいっぱいかもしれません)</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 に書き込めません: %2</translation>
    </message>
    <message>
        <source>the folder could not be made</source>
        <translation>フォルダーを作れませんでした</translation>
    </message>
    <message>
        <source>the ffmpeg program failed</source>
        <translation>ffmpeg プログラムが失敗しました</translation>
    </message>
    <message>
        <source>the ffmpeg program could not be started</source>
        <translation>ffmpeg プログラムを起動できませんでした</translation>
    </message>
    <message>
        <source>the WebP encoder could not be started</source>
        <translation>WebP エンコーダーを開始できませんでした</translation>
    </message>
</context>
<context>
    <name>ramulet::TreePicture</name>
    <message>
        <source>cannot write %1: %2</source>
        <translation>%1 に書き込めません: %2</translation>
    </message>
    <message>
        <source>the image is too large</source>
        <translation>画像が大きすぎます</translation>
    </message>
    <message>
        <source>the PDF document could not be made</source>
        <translation>PDF 文書を作れませんでした</translation>
    </message>
    <message>
        <source>the extension is not one of .svg, .png, .pdf</source>
        <translation>拡張子が .svg, .png, .pdf のどれでもありません</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>フォルダーです</translation>
    </message>
    <message>
        <source>it is neither a file, a pipe nor a character device</source>
        <translation>ファイルでも、パイプでも、キャラクターデバイスでもありません</translation>
    </message>
    <message>
        <source>it is a pipe that no program is reading</source>
        <translation>どのプログラムも読んでいないパイプです</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>メモリーが足りません</translation>
    </message>
    <message>
        <source>the image is empty</source>
        <translation>画像が空です</translation>
    </message>
</context>
</TS>
