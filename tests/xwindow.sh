#!/usr/bin/env bash
# Runs tests/xwindow.py under a virtual X server; skips (77) where Xvfb
# cannot start.
set -u
binary=$1
out=$2
here=$(dirname "$0")
for tool in xvfb-run xdotool import python3; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
if ! xvfb-run -a -s "-screen 0 1024x768x24" true 2>/dev/null; then
    echo "SKIP: Xvfb cannot start here"
    exit 77
fi
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/quillfen-runtime.XXXXXX)}
rm -rf "$out"
exec xvfb-run -a -s "-screen 0 1024x768x24" python3 "$here/xwindow.py" "$binary" "$out"
