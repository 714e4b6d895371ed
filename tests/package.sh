#!/usr/bin/env bash
# Packs the build into a Debian package with CPack and checks the package:
# its files, its Depends computed from the binary, the extracted program's
# --version and --help, the manual page, the metadata and lintian.
#   package.sh BUILD_DIR VERSION SANITIZED
# Skips (77) where the Debian tools are missing, and for a sanitized build,
# whose binary is not what a package ships.
set -u
build=$1
version=$2
sanitized=$3
[ "$sanitized" = 1 ] && { echo "SKIP: a sanitized build is not packaged"; exit 77; }
for tool in cpack dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
[ -f "$build/CPackConfig.cmake" ] || { echo "SKIP: no CPack configuration"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) \
    || { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb=$(ls "$work"/out/quillfen_"$version"_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { ls "$work/out"; echo "FAIL: no quillfen_${version}_<arch>.deb"; exit 1; }
echo "package: $(basename "$deb")"

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in ./usr/bin/quillfen ./usr/share/applications/org.quillfen.Quillfen.desktop \
            ./usr/share/icons/hicolor/scalable/apps/quillfen.svg \
            ./usr/share/metainfo/org.quillfen.Quillfen.metainfo.xml \
            ./usr/share/man/man1/quillfen.1.gz ./usr/share/doc/quillfen/copyright \
            ./usr/share/doc/quillfen/README.md ./usr/share/doc/quillfen/changelog.gz \
            ./usr/share/bash-completion/completions/quillfen \
            ./usr/share/zsh/vendor-completions/_quillfen; do
    grep -qx -- "$file" <<<"$files" || fail "missing $file"
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libc6 libqt5core5a libqt5gui5 libqt5widgets5 libqt5svg5 libstdc++6 qttranslations5-l10n; do
    grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library"
done

dpkg-deb -x "$deb" "$work/root"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$work/root/usr/bin/quillfen" --version) \
    || fail "--version exited non-zero"
[ "$out" = "quillfen $version" ] || fail "--version printed '$out'"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$work/root/usr/bin/quillfen" -e --help) \
    || fail "--help exited non-zero"
grep -q "^Usage: quillfen" <<<"$out" || fail "--help printed no usage"

if command -v groff >/dev/null; then
    warnings=$(zcat "$work/root/usr/share/man/man1/quillfen.1.gz" | groff -ww -z -man 2>&1)
    [ -z "$warnings" ] || fail "manual page: $warnings"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net \
        "$work/root/usr/share/metainfo/org.quillfen.Quillfen.metainfo.xml" >/dev/null \
        || fail "appstreamcli validate"
fi
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$work/root/usr/share/applications/org.quillfen.Quillfen.desktop" \
        || fail "desktop-file-validate"
fi
if command -v lintian >/dev/null; then
    # Errors only: this build is not made with Debian's hardening flags
    # (scripts/package's is).
    lintian --fail-on error "$deb" 2>/dev/null | grep '^E:' && fail "lintian errors"
fi
[ $status = 0 ] && echo "package checked"
exit $status
