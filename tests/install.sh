#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands there.
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
status=0
for file in bin/quillfen share/applications/org.quillfen.Quillfen.desktop \
            share/icons/hicolor/scalable/apps/quillfen.svg \
            share/metainfo/org.quillfen.Quillfen.metainfo.xml share/man/man1/quillfen.1.gz \
            share/doc/quillfen/copyright share/doc/quillfen/README.md \
            share/doc/quillfen/changelog.gz share/bash-completion/completions/quillfen \
            share/zsh/vendor-completions/_quillfen; do
    if [ -e "$prefix/$file" ]; then echo "installed: $file"; else echo "MISSING: $file"; status=1; fi
done
[ -x "$prefix/bin/quillfen" ] || { echo "bin/quillfen is not executable"; status=1; }
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/org.quillfen.Quillfen.desktop" || status=1
else
    echo "SKIP: desktop-file-validate is not installed"; exit 77
fi
grep -q "<svg" "$prefix/share/icons/hicolor/scalable/apps/quillfen.svg" || { echo "icon is no SVG"; status=1; }
exit $status
