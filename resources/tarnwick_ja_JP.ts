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
            <source>No targets: no configuration found (looked for %1). Create it with lines of the form "Target NAME DIR".</source>
            <translation>ターゲットがありません: 設定ファイルが見つかりません（%1 を探しました）。「Target 名前 ディレクトリ」の形式の行で作成してください。</translation>
        </message>
        <message>
            <source> and </source>
            <translation> と </translation>
        </message>
        <message>
            <source>No targets in %1. Add lines of the form "Target NAME DIR".</source>
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
        <message>
            <source>&amp;Version</source>
            <translation>バージョン(&amp;V)</translation>
        </message>
        <message>
            <source>&amp;Back to Previous Version</source>
            <translation>前のバージョンに戻す(&amp;B)</translation>
        </message>
        <message>
            <source>Point the link back to the version it pointed to before its latest change</source>
            <translation>リンクを最後の変更の前に指していたバージョンに戻します</translation>
        </message>
        <message>
            <source>V&amp;iew</source>
            <translation>表示(&amp;I)</translation>
        </message>
        <message>
            <source>&amp;Refresh</source>
            <translation>再読み込み(&amp;R)</translation>
        </message>
        <message>
            <source>List the directory again, for file systems that do not say when they change</source>
            <translation>変更を知らせないファイルシステムのために、ディレクトリをもう一度読み込みます</translation>
        </message>
        <message>
            <source>line %1: unknown key %2</source>
            <translation>%1 行目: 不明なキー %2</translation>
        </message>
        <message>
            <source>&amp;File</source>
            <translation>ファイル(&amp;F)</translation>
        </message>
        <message>
            <source>&amp;Help</source>
            <translation>ヘルプ(&amp;H)</translation>
        </message>
        <message>
            <source>&amp;Add Version…</source>
            <translation>バージョンを追加(&amp;A)…</translation>
        </message>
        <message>
            <source>Copy a file into the target's directory as its newest version</source>
            <translation>ファイルをターゲットのディレクトリに最新のバージョンとしてコピーします</translation>
        </message>
        <message>
            <source>&amp;Quit</source>
            <translation>終了(&amp;Q)</translation>
        </message>
        <message>
            <source>&amp;Clean Up…</source>
            <translation>整理(&amp;C)…</translation>
        </message>
        <message>
            <source>Move old versions to the trash</source>
            <translation>古いバージョンをゴミ箱に移します</translation>
        </message>
        <message>
            <source>&amp;About Quillfen</source>
            <translation>クイルフェンについて(&amp;A)</translation>
        </message>
        <message>
            <source>Add Version</source>
            <translation>バージョンを追加</translation>
        </message>
        <message>
            <source>Move to Trash</source>
            <translation>ゴミ箱に移す</translation>
        </message>
        <message>
            <source>Move these versions of %1 to the trash?</source>
            <translation>%1 の次のバージョンをゴミ箱に移しますか?</translation>
        </message>
        <message>
            <source>About Quillfen</source>
            <translation>クイルフェンについて</translation>
        </message>
        <message>
            <source>&lt;p&gt;&lt;b&gt;Quillfen&lt;/b&gt; %1&lt;/p&gt;&lt;p&gt;Chooses which stored version of a program its link points to.&lt;/p&gt;&lt;p&gt;MIT licence. Uses Qt %2 under the LGPL.&lt;/p&gt;&lt;p&gt;Configuration: %3&lt;/p&gt;</source>
            <translation>&lt;p&gt;&lt;b&gt;クイルフェン&lt;/b&gt; %1&lt;/p&gt;&lt;p&gt;プログラムのリンクが指す保存済みバージョンを選びます。&lt;/p&gt;&lt;p&gt;MIT ライセンス。Qt %2 を LGPL のもとで使用しています。&lt;/p&gt;&lt;p&gt;設定ファイル: %3&lt;/p&gt;</translation>
        </message>
        <message>
            <source>none found</source>
            <translation>見つかりません</translation>
        </message>
        <message>
            <source>%1 entries left out: their names are not valid UTF-8, so they can be neither shown nor changed exactly</source>
            <translation>%1 個の項目を除外しました: 名前が正しい UTF-8 ではないため、正確に表示も変更もできません</translation>
        </message>
        <message>
            <source>Kept: %1, as %2</source>
            <translation>残すもの: %1（%2）</translation>
        </message>
        <message>
            <source>A copy is still running: %1 was not added; add it once the copy is done</source>
            <translation>コピーがまだ実行中です: %1 は追加していません。コピーが終わってから追加してください</translation>
        </message>
        <message>
            <source>%1 files</source>
            <translation>%1 個のファイル</translation>
        </message>
        <message>
            <source>Copying %1: %2 of %3</source>
            <translation>%1 をコピー中: %3 のうち %2</translation>
        </message>
        <message>
            <source>Waiting</source>
            <translation>待機中</translation>
        </message>
        <message>
            <source>Cancel came once the copy was done: %1 was added and stays</source>
            <translation>キャンセルはコピーの完了後でした: %1 は追加され、そのまま残ります</translation>
        </message>
        <message>
            <source>%1 lines of the history %2 are cut short or not Quillfen&apos;s, and were left out</source>
            <translation>履歴 %2 の %1 行は途中で切れているか Quillfen のものではないため、除外しました</translation>
        </message>
    </context>
    <context>
        <name>CleanUpDialog</name>
        <message>
            <source>Clean Up</source>
            <translation>整理</translation>
        </message>
        <message>
            <source>&amp;Keep the newest</source>
            <translation>新しいものから残す数(&amp;K)</translation>
        </message>
        <message>
            <source>Versions of %1 in %2, newest first. The checked ones are moved to the trash; the version in use is never moved.</source>
            <translation>%2 にある %1 のバージョン（新しい順）。チェックしたものをゴミ箱に移します。使用中のバージョンは移しません。</translation>
        </message>
        <message>
            <source>Move to Trash</source>
            <translation>ゴミ箱に移す</translation>
        </message>
        <message>
            <source>%1 (in use)</source>
            <translation>%1（使用中）</translation>
        </message>
        <message>
            <source>Checked: %1, freeing %2</source>
            <translation>チェック: %1 件、%2 を解放</translation>
        </message>
        <message>
            <source>%1 (kept)</source>
            <translation>%1（残します）</translation>
        </message>
        <message>
            <source>%1
Kept: %2</source>
            <translation>%1
残します: %2</translation>
        </message>
    </context>
    <context>
        <name>CommandLine</name>
        <message>
            <source>unknown option %1</source>
            <translation>不明なオプション %1</translation>
        </message>
        <message>
            <source>%1: only one command at a time</source>
            <translation>%1: コマンドは一度に一つだけです</translation>
        </message>
        <message>
            <source>%1: an argument is missing</source>
            <translation>%1: 引数が足りません</translation>
        </message>
        <message>
            <source>%1: too many arguments</source>
            <translation>%1: 引数が多すぎます</translation>
        </message>
        <message>
            <source>--dry-run goes only with a command that changes something</source>
            <translation>--dry-run は何かを変更するコマンドとだけ使えます</translation>
        </message>
        <message>
            <source>quillfen: the window needs a display, and none was found (DISPLAY and WAYLAND_DISPLAY are not set).
These work without one: --list, --set, --to-link, --rename, --previous, --history, --add, --trash, --prune, --help and --version.
</source>
            <translation>quillfen: ウィンドウにはディスプレイが必要ですが、見つかりません（DISPLAY と WAYLAND_DISPLAY が設定されていません）。
ディスプレイなしで使えるもの: --list、--set、--to-link、--rename、--previous、--history、--add、--trash、--prune、--help、--version。
</translation>
        </message>
        <message>
            <source>Usage: quillfen [-e] [-c FILE] [-config FILE]
       quillfen --list [TARGET] [--json]
       quillfen --set TARGET VERSION [--dry-run] [--json]
       quillfen --to-link TARGET [--dry-run] [--json]
       quillfen --rename TARGET VERSION NEWNAME [--force] [--dry-run] [--json]
       quillfen --previous TARGET [--dry-run] [--json]
       quillfen --history [TARGET] [--json]
       quillfen --add TARGET FILE [--use] [--dry-run] [--json]
       quillfen --trash TARGET VERSION [--dry-run] [--json]
       quillfen --prune TARGET KEEP [--dry-run] [--json]
       quillfen -h | --help | --version
</source>
            <translation>使い方: quillfen [-e] [-c ファイル] [-config ファイル]
        quillfen --list [ターゲット] [--json]
        quillfen --set ターゲット バージョン [--dry-run] [--json]
        quillfen --to-link ターゲット [--dry-run] [--json]
        quillfen --rename ターゲット バージョン 新しい名前 [--force] [--dry-run] [--json]
        quillfen --previous ターゲット [--dry-run] [--json]
        quillfen --history [ターゲット] [--json]
        quillfen --add ターゲット ファイル [--use] [--dry-run] [--json]
        quillfen --trash ターゲット バージョン [--dry-run] [--json]
        quillfen --prune ターゲット 残す数 [--dry-run] [--json]
        quillfen -h | --help | --version
</translation>
        </message>
        <message>
            <source>
Points the link of each configured target to the version picked in a window,
or from the command line with the commands below, which need no display.

  --list [TARGET]      the targets, numbered, with the version each link points
                       to; with TARGET its versions, newest first, the current
                       one marked "* "
  --set TARGET VERSION point the link to VERSION (a plain file at the link's
                       name is set aside under a dated name first)
  --to-link TARGET     set the plain file at the link's name aside under a
                       dated name and put a link to it in its place
  --rename TARGET VERSION NEWNAME
                       rename a version; the link follows the current one; a
                       name that would take it out of the list needs --force
  --previous TARGET    point the link back to the version before its latest
                       change; twice returns to where it was
  --history [TARGET]   the recorded changes of the links, newest last
  --add TARGET FILE    copy FILE in as the newest version, under a dated name,
                       and print that name; the link is not changed, unless
                       --use points it to the version added in the same step
  --trash TARGET VERSION
                       move VERSION to the trash, unless it is the one in use
  --prune TARGET KEEP  move all versions but the newest KEEP to the trash, never
                       the one in use, and print each name moved
  --dry-run            with a command that changes something: say what it
                       would do, and change nothing
  --json               print one JSON document instead of text
  --null               with --list: the bare names, each ended by a NUL byte
  -e                   no translation: English texts instead of Japanese
  -c FILE              read the configuration from FILE instead of config.cfg
  -config FILE         the same; when both are given, -config wins
  -h, --help           print this help and exit
  --version            print the version and exit

TARGET is the link's name as configured (app.exe), DIR:NAME as the window's
chooser shows it, the target's number in --list, or the absolute path of a
link that no configuration names. VERSION is a version's file name as
--list TARGET prints it.

Without -c or -config the configuration is config.cfg in the working
directory, or else $XDG_CONFIG_HOME/quillfen/config.cfg
(~/.config/quillfen/config.cfg). One entry per line:
  Target NAME DIR      the link NAME in the directory DIR
  Debug_to_file 1      empty log.log in the working directory at start

Every change of a link is recorded in $XDG_STATE_HOME/quillfen/history
(~/.local/state/quillfen/history).

Exit status, the same with and without --json: 0 done (also where it was so
already, with a note on standard error), 1 not done and nothing changed, 2 bad
usage (an unknown target or version, a bad option), 3 partly done (what was
done is printed, what was not is on standard error).
</source>
            <translation>
設定された各ターゲットのリンクを、ウィンドウで選んだバージョンに向けます。
以下のコマンドでも操作でき、これらはディスプレイを必要としません。

  --list [ターゲット]   ターゲットの一覧（番号付き）と各リンクが指すバージョン。
                       ターゲットを指定するとそのバージョンを新しい順に表示し、
                       現在のものに「* 」を付けます
  --set ターゲット バージョン
                       リンクをバージョンに向けます（リンクの名前に通常のファイル
                       がある場合は、先に日付付きの名前で退避します）
  --to-link ターゲット リンクの名前にある通常のファイルを日付付きの名前で退避し、
                       そこへのリンクを置きます
  --rename ターゲット バージョン 新しい名前
                       バージョンの名前を変更します。現在のバージョンならリンクも
                       追従します。一覧から外れる名前には --force が必要です
  --previous ターゲット
                       リンクを最後の変更の前のバージョンに戻します。二度行うと
                       元に戻ります
  --history [ターゲット]
                       記録されたリンクの変更（新しいものが最後）
  --add ターゲット ファイル
                       ファイルを日付付きの名前で最新のバージョンとしてコピーし、
                       その名前を表示します。リンクは変更しません（--use を付けると
                       同じ手順で追加したバージョンにリンクを向けます）
  --trash ターゲット バージョン
                       バージョンをゴミ箱に移します（使用中のものは移しません）
  --prune ターゲット 残す数
                       新しいものから残す数だけを残し、他のバージョンをゴミ箱に
                       移して名前を表示します（使用中のものは移しません）
  --dry-run            変更するコマンドと共に: 何をするかを表示するだけで、
                       何も変更しません
  --json               テキストの代わりに JSON 文書を一つ出力します
  --null               --list と共に: 名前だけを、それぞれ NUL バイトで終えて出力します
  -e                   翻訳なし: 日本語の代わりに英語で表示します
  -c ファイル          config.cfg の代わりにファイルから設定を読みます
  -config ファイル     同上。両方あるときは -config が優先されます
  -h, --help           このヘルプを表示して終了します
  --version            バージョンを表示して終了します

ターゲットは設定にあるリンクの名前（app.exe）、ウィンドウの選択欄に表示される
ディレクトリ:名前、--list の番号、または設定にないリンクの絶対パスです。バージョンは --list ターゲット が
表示するファイル名です。

-c も -config もないときは、作業ディレクトリの config.cfg、なければ
$XDG_CONFIG_HOME/quillfen/config.cfg（~/.config/quillfen/config.cfg）を
読みます。一行に一項目:
  Target 名前 ディレクトリ  ディレクトリにあるリンク「名前」
  Debug_to_file 1           起動時に作業ディレクトリの log.log を空にします

リンクの変更はすべて $XDG_STATE_HOME/quillfen/history
（~/.local/state/quillfen/history）に記録されます。

終了ステータス（--json の有無にかかわらず同じ）: 0 完了（すでにそうなっていた場合も。標準エラー
に注記）、1 実行できず何も変更していない、2 使い方の誤り（不明なターゲットやバージョン、
誤ったオプション）、3 一部だけ実行（実行したことは出力し、しなかったことは標準エラーに）。
</translation>
        </message>
        <message>
            <source>--null goes only with --list, without --json</source>
            <translation>--null は --json なしの --list とだけ使えます</translation>
        </message>
        <message>
            <source>--use goes only with --add</source>
            <translation>--use は --add とだけ使えます</translation>
        </message>
    </context>
    <context>
        <name>CommandRunner</name>
        <message>
            <source>The directory %1 does not exist or cannot be read.</source>
            <translation>ディレクトリ %1 が存在しないか、読み取れません。</translation>
        </message>
        <message>
            <source>(link to %1, which is missing)</source>
            <translation>（リンク先 %1 がありません）</translation>
        </message>
        <message>
            <source>(missing)</source>
            <translation>（ありません）</translation>
        </message>
        <message>
            <source>(plain file)</source>
            <translation>（通常のファイル）</translation>
        </message>
        <message>
            <source>Could not read the history %1: %2</source>
            <translation>履歴 %1 を読み取れませんでした: %2</translation>
        </message>
        <message>
            <source>KEEP must be a number of versions, 0 or more, not %1</source>
            <translation>残す数には 0 以上の数を指定してください（%1 は使えません）</translation>
        </message>
        <message>
            <source>%1; --list %2 shows the versions</source>
            <translation>%1。バージョンは --list %2 で表示できます</translation>
        </message>
        <message>
            <source>would set the plain file %1 aside as %2</source>
            <translation>通常のファイル %1 を %2 として退避します（予定）</translation>
        </message>
        <message>
            <source>would rename %1 to %2</source>
            <translation>%1 の名前を %2 に変更します（予定）</translation>
        </message>
        <message>
            <source>would add %1 as %2</source>
            <translation>%1 を %2 として追加します（予定）</translation>
        </message>
        <message>
            <source>would point the link to %1</source>
            <translation>リンクを %1 に向けます（予定）</translation>
        </message>
        <message>
            <source>would point the link to %1 instead of %2</source>
            <translation>リンクを %2 から %1 に向け替えます（予定）</translation>
        </message>
        <message>
            <source>nothing would change</source>
            <translation>何も変わりません</translation>
        </message>
        <message>
            <source>there is no such file</source>
            <translation>そのようなファイルはありません</translation>
        </message>
        <message>
            <source>it is not a regular file</source>
            <translation>通常のファイルではありません</translation>
        </message>
        <message>
            <source>it cannot be read</source>
            <translation>読み取れません</translation>
        </message>
        <message>
            <source>it is too large or cannot be read</source>
            <translation>大きすぎるか、読み取れません</translation>
        </message>
        <message>
            <source>Could not read the configuration %1: %2</source>
            <translation>設定 %1 を読めませんでした: %2</translation>
        </message>
        <message>
            <source>%1 entries of %2 left out: their names are not valid UTF-8, so they can be neither shown nor changed exactly</source>
            <translation>%2 の項目を %1 個除外しました: 名前が正しい UTF-8 ではないため、正確に表示も変更もできません</translation>
        </message>
        <message>
            <source>kept: %1, as %2</source>
            <translation>残すもの: %1（%2）</translation>
        </message>
        <message>
            <source>%1; --force renames it all the same</source>
            <translation>%1。--force を付ければそれでも名前を変更します</translation>
        </message>
        <message>
            <source>Copying %1: %2 of %3</source>
            <translation>%1 をコピー中: %3 のうち %2</translation>
        </message>
        <message>
            <source>%1 is no target: %2</source>
            <translation>%1 はターゲットではありません: %2</translation>
        </message>
        <message>
            <source>(left out: %1)</source>
            <translation>（除外: %1）</translation>
        </message>
        <message>
            <source>%1 lines of the history %2 are cut short or not Quillfen&apos;s, and are left out</source>
            <translation>履歴 %2 の %1 行は途中で切れているか Quillfen のものではないため、除外しました</translation>
        </message>
    </context>
    <context>
        <name>ExeFile</name>
        <message>
            <source>Rename</source>
            <translation>名前の変更</translation>
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
            <source>Move to Trash</source>
            <translation>ゴミ箱に移す</translation>
        </message>
        <message>
            <source>Born %1</source>
            <translation>作成 %1</translation>
        </message>
        <message>
            <source>Size %1</source>
            <translation>サイズ %1</translation>
        </message>
        <message>
            <source>%1. Rename it all the same?</source>
            <translation>%1。それでも名前を変更しますか?</translation>
        </message>
    </context>
    <context>
        <name>ConfiguredTarget</name>
        <message>
            <source>%1 names more than one target: %2</source>
            <translation>%1 は複数のターゲットに当てはまります: %2</translation>
        </message>
        <message>
            <source>No target %1 is configured</source>
            <translation>ターゲット %1 は設定されていません</translation>
        </message>
        <message>
            <source>the link&apos;s name is empty</source>
            <translation>リンクの名前が空です</translation>
        </message>
        <message>
            <source>%1 names a folder, not a file</source>
            <translation>%1 はファイルではなくフォルダーを指しています</translation>
        </message>
        <message>
            <source>the link&apos;s name %1 holds a folder separator; name the folder as DIR</source>
            <translation>リンクの名前 %1 にフォルダーの区切りが含まれています。フォルダーは DIR として指定してください</translation>
        </message>
        <message>
            <source>the link&apos;s name %1 has neither a base name nor a suffix</source>
            <translation>リンクの名前 %1 には基本名も拡張子もありません</translation>
        </message>
        <message>
            <source>%1 is a folder, not a link</source>
            <translation>%1 はリンクではなくフォルダーです</translation>
        </message>
        <message>
            <source>The target %1 is left out: %2</source>
            <translation>ターゲット %1 は除外されました: %2</translation>
        </message>
        <message>
            <source>line %1: the target %2 is left out: %3</source>
            <translation>%1 行目: ターゲット %2 は除外されました: %3</translation>
        </message>
    </context>
    <context>
        <name>VersionActions</name>
        <message>
            <source>The change was made, but the history %1 could not be written: %2</source>
            <translation>変更しましたが、履歴 %1 に書き込めませんでした: %2</translation>
        </message>
        <message>
            <source>Could not point %1 to %2: %3</source>
            <translation>%1 を %2 に向けられませんでした: %3</translation>
        </message>
        <message>
            <source>%1 is no longer a plain file; nothing was changed</source>
            <translation>%1 は通常のファイルではなくなっていたため、何も変更しませんでした</translation>
        </message>
        <message>
            <source>Could not make %1 a link: %2</source>
            <translation>%1 をリンク化できませんでした: %2</translation>
        </message>
        <message>
            <source>Could not rename %1 to %2: %3</source>
            <translation>%1 を %2 に名前変更できませんでした: %3</translation>
        </message>
        <message>
            <source>a name cannot be empty, "." or "..", or contain "/"</source>
            <translation>名前は空、「.」、「..」にできず、「/」を含められません</translation>
        </message>
        <message>
            <source>the name is taken</source>
            <translation>その名前は既に使われています</translation>
        </message>
        <message>
            <source>Could not read the history %1: %2</source>
            <translation>履歴 %1 を読み取れませんでした: %2</translation>
        </message>
        <message>
            <source>No earlier version of %1 is recorded: there is nothing to go back to</source>
            <translation>%1 の以前のバージョンは記録されていないため、戻れません</translation>
        </message>
        <message>
            <source>%1, the version before the latest change of %2, is gone</source>
            <translation>%2 の最後の変更の前のバージョン %1 がありません</translation>
        </message>
        <message>
            <source>Could not add %1: %2</source>
            <translation>%1 を追加できませんでした: %2</translation>
        </message>
        <message>
            <source>there is no such file</source>
            <translation>そのようなファイルはありません</translation>
        </message>
        <message>
            <source>it is not a file</source>
            <translation>ファイルではありません</translation>
        </message>
        <message>
            <source>%1 is already a version of %2, as %3</source>
            <translation>%1 は既に %2 のバージョン %3 です</translation>
        </message>
        <message>
            <source>%1 is not a version of %2; nothing was moved</source>
            <translation>%1 は %2 のバージョンではないため、何も移しませんでした</translation>
        </message>
        <message>
            <source>%1 is the version in use; it stays where it is</source>
            <translation>%1 は使用中のバージョンなので、移しません</translation>
        </message>
        <message>
            <source>%1 changed since the listing; nothing was moved</source>
            <translation>%1 は一覧の後に変更されたため、何も移しませんでした</translation>
        </message>
        <message>
            <source>Could not move %1 to the trash (%2); it stays where it is</source>
            <translation>%1 をゴミ箱に移せませんでした（%2）。元の場所に残っています</translation>
        </message>
        <message>
            <source>Another Quillfen process is changing %1 and did not finish within %2 seconds; nothing was changed. Try again.</source>
            <translation>別の Quillfen プロセスが %1 を変更中で、%2 秒以内に終わりませんでした。何も変更していません。もう一度お試しください。</translation>
        </message>
        <message>
            <source>Could not lock %1: %2; nothing was changed</source>
            <translation>%1 をロックできませんでした: %2。何も変更していません</translation>
        </message>
        <message>
            <source>%1 is not a version of %2: it is not in %3</source>
            <translation>%1 は %2 のバージョンではありません: %3 の中にありません</translation>
        </message>
        <message>
            <source>%1 is not a version of %2: there is no such file now (another program may have removed or renamed it)</source>
            <translation>%1 は %2 のバージョンではありません: そのファイルは今ありません（別のプログラムが削除したか名前を変えた可能性があります）</translation>
        </message>
        <message>
            <source>%1 is not a version of %2: it is a link to %3</source>
            <translation>%1 は %2 のバージョンではありません: %3 へのリンクです</translation>
        </message>
        <message>
            <source>%1 is not a version of %2</source>
            <translation>%1 は %2 のバージョンではありません</translation>
        </message>
        <message>
            <source>%1 is a link already; nothing was changed</source>
            <translation>%1 はすでにリンクです。何も変更していません</translation>
        </message>
        <message>
            <source>%1 is no longer a link; nothing was changed</source>
            <translation>%1 はもうリンクではありません。何も変更していません</translation>
        </message>
        <message>
            <source>the link could not follow the new name, so the version keeps its old one (%1)</source>
            <translation>リンクが新しい名前に追従できなかったため、バージョンは元の名前のままです（%1）</translation>
        </message>
        <message>
            <source>the link could not follow the new name (%1), and the version could not get its old name back (%2): %3 leads nowhere until it is pointed to %4</source>
            <translation>リンクが新しい名前に追従できず（%1）、バージョンを元の名前に戻せませんでした（%2）。%3 は %4 を指すようにするまでどこにも繋がりません</translation>
        </message>
        <message>
            <source>The history names %1 as the version before the latest change of %2, but it is not a version of %2 now; nothing was changed</source>
            <translation>履歴は %2 の最後の変更前のバージョンとして %1 を示していますが、今は %2 のバージョンではありません。何も変更していません</translation>
        </message>
        <message>
            <source>There is no %1 in %2: nothing to move</source>
            <translation>%2 に %1 はありません。移すものはありません</translation>
        </message>
        <message>
            <source>it is the version in use</source>
            <translation>使用中のバージョンです</translation>
        </message>
        <message>
            <source>the link reaches it through %1</source>
            <translation>リンクが %1 を経由して指しています</translation>
        </message>
        <message>
            <source>Back to Previous Version returns to it</source>
            <translation>「前のバージョンに戻す」の戻り先です</translation>
        </message>
        <message>
            <source> and end with .%1</source>
            <translation>、.%1 で終わる</translation>
        </message>
        <message>
            <source>Cancelled: nothing was changed</source>
            <translation>取り消しました: 何も変更していません</translation>
        </message>
        <message>
            <source>Cancelled: %1 was not added</source>
            <translation>取り消しました: %1 は追加していません</translation>
        </message>
        <message>
            <source>Renaming %1 to %2 takes it out of the list of %3's versions, which begin with %4%5</source>
            <translation>%1 の名前を %2 に変えると、%3 のバージョンの一覧から外れます（バージョンは %4 で始まり%5もの）</translation>
        </message>
        <message>
            <source>%1 in %2 had a name of Quillfen&apos;s temporaries and no other name: moved to the trash</source>
            <translation>%2 の %1 は Quillfen の一時ファイルの名前で、ほかの名前がありませんでした: ゴミ箱に移動しました</translation>
        </message>
        <message>
            <source>%1 and %2 are one file, left so by an interrupted Quillfen; it could not be made a link: %3</source>
            <translation>%1 と %2 は中断された Quillfen が残した同じファイルです。リンクにできませんでした: %3</translation>
        </message>
        <message>
            <source>%1 was being set aside as %2 when a Quillfen was interrupted: it is a link to %2 now</source>
            <translation>Quillfen が中断されたとき %1 は %2 として退避されるところでした: 現在は %2 へのリンクです</translation>
        </message>
        <message>
            <source>%1 was the second name of %2, left by a rename that a Quillfen did not finish: removed, the version keeps the name %2</source>
            <translation>%1 は Quillfen が完了しなかった名前変更で残った %2 の別名でした: 削除しました。バージョンの名前は %2 のままです</translation>
        </message>
        <message>
            <source>%1 cannot be set aside: its name with a date would be longer than a file name may be; nothing was changed</source>
            <translation>%1 は退避できません: 日付付きの名前がファイル名の長さの上限を超えます。何も変更されていません</translation>
        </message>
        <message>
            <source>Could not rename %1 to %2: names of this form belong to Quillfen&apos;s own temporary files</source>
            <translation>%1 を %2 に名前変更できませんでした: この形式の名前は Quillfen 自身の一時ファイル用です</translation>
        </message>
        <message>
            <source>Could not add %1: a dated name for %2 would be longer than a file name may be</source>
            <translation>%1 を追加できませんでした: %2 の日付付きの名前がファイル名の長さの上限を超えます</translation>
        </message>
        <message>
            <source>%1 stays: %2</source>
            <translation>%1 は残します: %2</translation>
        </message>
    </context>
    <context>
        <name>ExeFiles</name>
        <message>
            <source>A link to %1, not a version of %2: it cannot be picked</source>
            <translation>%1 へのリンクで、%2 のバージョンではありません。選択できません</translation>
        </message>
        <message>
            <source>Space or Enter points the link to this version; the arrow keys only move between versions</source>
            <translation>スペースキーか Enter キーでリンクをこのバージョンに向けます。矢印キーはバージョン間を移動するだけです</translation>
        </message>
        <message>
            <source>%1 did not exist: it was made, leading to %2</source>
            <translation>%1 がなかったので、%2 を指すように作りました</translation>
        </message>
        <message>
            <source>%1 led to %2, which is gone: it leads to %3 now</source>
            <translation>%1 が指していた %2 はなくなりました。今は %3 を指しています</translation>
        </message>
    </context>
    <context>
        <name>History</name>
        <message>
            <source>another process kept it locked</source>
            <translation>別のプロセスがロックしたままでした</translation>
        </message>
    </context>
    <context>
        <name>SafeFs</name>
        <message>
            <source>Windows lets this user make links only in Developer Mode or with the privilege to create symbolic links</source>
            <translation>このユーザーが Windows でリンクを作れるのは、開発者モードのときか、シンボリックリンク作成の特権があるときだけです</translation>
        </message>
        <message>
            <source>it is not a regular file</source>
            <translation>通常のファイルではありません</translation>
        </message>
        <message>
            <source>this drive has no recycle bin, where the file would be deleted for good</source>
            <translation>このドライブにはゴミ箱がなく、ファイルは完全に削除されてしまいます</translation>
        </message>
        <message>
            <source>%1, process %2</source>
            <translation>%1（プロセス %2）</translation>
        </message>
    </context>
    <context>
        <name>VersionEntry</name>
        <message>
            <source>%1 bytes</source>
            <translation>%1 バイト</translation>
        </message>
    </context>
    <context>
        <name>FolderWait</name>
        <message>
            <source>Cancelled: nothing was changed</source>
            <translation>キャンセルしました: 何も変更していません</translation>
        </message>
        <message>
            <source>Waiting for another Quillfen, which is changing %1…</source>
            <translation>%1 を変更中の別の Quillfen を待っています…</translation>
        </message>
        <message>
            <source>Waiting for %1, which is changing %2…</source>
            <translation>%2 を変更中の %1 を待っています…</translation>
        </message>
    </context>
</TS>
