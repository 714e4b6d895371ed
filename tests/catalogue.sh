#!/usr/bin/env bash
# Every user-visible text of the sources has its Japanese translation: lupdate
# run over the sources into a copy of the catalogue must find nothing new and
# leave nothing unfinished.
set -u
source_dir=$1
command -v lupdate >/dev/null || { echo "SKIP: lupdate is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$source_dir/resources/tarnwick_ja_JP.ts" "$work/catalogue.ts"
(cd "$source_dir" && lupdate -no-obsolete -locations none app disk versions ui \
    -ts "$work/catalogue.ts") >"$work/lupdate.log" 2>&1 || { cat "$work/lupdate.log"; exit 1; }
status=0
grep -q "(0 new and" "$work/lupdate.log" || { echo "FAIL: texts missing from the catalogue:"; \
    diff "$source_dir/resources/tarnwick_ja_JP.ts" "$work/catalogue.ts" | grep "^> *<source>"; status=1; }
unfinished=$(grep -B1 'type="unfinished"' "$work/catalogue.ts" | grep "<source>")
[ -z "$unfinished" ] || { echo "FAIL: untranslated: $unfinished"; status=1; }
[ $status = 0 ] && echo "catalogue complete"
exit $status
