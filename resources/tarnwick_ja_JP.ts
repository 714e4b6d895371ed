<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>Body</name>
    <message>
        <source>Quillfen</source>
        <translation>クイルフェン</translation>
    </message>
    <message>
        <source>No targets: no configuration found (looked for %1). Create it with lines of the form &quot;Target NAME DIR&quot;.</source>
        <translation>ターゲットがありません: 設定ファイルが見つかりません（%1 を探しました）。「Target 名前 ディレクトリ」の形式の行で作成してください。</translation>
    </message>
    <message>
        <source> and </source>
        <translation> と </translation>
    </message>
    <message>
        <source>No targets in %1. Add lines of the form &quot;Target NAME DIR&quot;.</source>
        <translation>%1 にターゲットがありません。「Target 名前 ディレクトリ」の形式の行を追加してください。</translation>
    </message>
    <message>
        <source>The directory %1 does not exist or cannot be read.</source>
        <translation>ディレクトリ %1 が存在しないか、読み取れません。</translation>
    </message>
    <message>
        <source>No versions of %1 found in %2.</source>
        <translation>%2 に %1 のバージョンが見つかりません。</translation>
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
    <message>
        <source>Could not point %1 to %2: %3</source>
        <translation>%1 を %2 に向けられませんでした: %3</translation>
    </message>
    <message>
        <source>Could not make %1 a link: %2</source>
        <translation>%1 をリンク化できませんでした: %2</translation>
    </message>
    <message>
        <source>%1 is no longer a plain file; nothing was changed</source>
        <translation>%1 は通常のファイルではなくなっていたため、何も変更しませんでした</translation>
    </message>
    <message>
        <source>Could not rename %1 to %2: %3</source>
        <translation>%1 を %2 に名前変更できませんでした: %3</translation>
    </message>
    <message>
        <source>the name is taken</source>
        <translation>その名前は既に使われています</translation>
    </message>
    <message>
        <source>a name cannot be empty, &quot;.&quot; or &quot;..&quot;, or contain &quot;/&quot;</source>
        <translation>名前は空、「.」、「..」にできず、「/」を含められません</translation>
    </message>
</context>
<context>
    <name>ExeFiles</name>
    <message>
        <source>%1 is gone: another program removed or renamed it</source>
        <translation>%1 がありません: 別のプログラムが削除または名前変更しました</translation>
    </message>
    <message>
        <source>Could not point %1 to %2: %3</source>
        <translation>%1 を %2 に向けられませんでした: %3</translation>
    </message>
</context>
</TS>
