<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>Body</name>
    <message>
        <source>Quillfen</source>
        <translation>クイルフェン</translation>
    </message>
</context>
<context>
    <name>ExeFile</name>
    <message>
        <source>Rename</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>exe file</source>
        <translation>実行ファイル</translation>
    </message>
    <message>
        <source>to Link</source>
        <translation>リンク化</translation>
    </message>
</context>
</TS>
