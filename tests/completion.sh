#!/usr/bin/env bash
# The bash completion file against the real binary: commands, the configured
# targets and a target's versions, with the configuration named by -c.
set -u
binary=$1
completion=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/versions dir"
ln -s "$binary" "$work/bin/quillfen"
export PATH="$work/bin:$PATH" XDG_STATE_HOME="$work/state" XDG_CONFIG_HOME="$work/xdg"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
for name in app-1.exe "app 2.exe"; do echo "$name" > "$work/versions dir/$name"; sleep 0.02; done
ln -s app-1.exe "$work/versions dir/app.exe"
printf 'Target app.exe "%s"\nTarget tool "%s"\n' "$work/versions dir" "$work/versions dir" > "$work/my.cfg"
# shellcheck disable=SC1090
source "$completion"

status=0
expect() {
    local expected=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _quillfen
    local got="" word
    for word in "${COMPREPLY[@]}"; do got+="$word|"; done
    if [ "$got" != "$expected" ]; then
        echo "FAIL: '$*' completed to '$got', expected '$expected'"
        status=1
    fi
}
expect "--set|" quillfen --se
expect "--rename|" quillfen -c "$work/my.cfg" --re
expect "--previous|--prune|" quillfen --pr
expect "$work/my.cfg|" quillfen -c "$work/my.cfg" --add app.exe "$work/my."
expect "app.exe|tool|" quillfen -c "$work/my.cfg" --set ""
# Quoted for the shell: one word, read back exactly.
expect 'app\ 2.exe|app-1.exe|' quillfen -c "$work/my.cfg" --set app.exe ""
# A line break inside a name neither splits it nor forges another.
sleep 0.02
: >"$work/versions dir/app-"$'\n'"* app-evil.exe"
expect "\$'app-\\n* app-evil.exe'|app-1.exe|" quillfen -c "$work/my.cfg" --set app.exe "app-"
rm "$work/versions dir/app-"$'\n'"* app-evil.exe"
expect 'app\ 2.exe|' quillfen -c "$work/my.cfg" --rename app.exe "app\\ "
expect "" quillfen -c "$work/my.cfg" --set app.exe app-1.exe ""
expect "" quillfen --set ""
[ $status = 0 ] && echo "completion checked"
exit $status
