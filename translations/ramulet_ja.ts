<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>ramulet::TreePicture</name>
    <message>
        <source>not all of it could be written (the disk may be full)</source>
        <translation>全部は書き込めませんでした (ディスクがいっぱいかもしれません)</translation>
    </message>
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
</context>
</TS>
