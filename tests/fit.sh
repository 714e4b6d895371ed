#!/usr/bin/env bash
# Runs tst_fit on a real X server (Xvfb) four times: at 96 dpi, with fonts at
# 192 dpi and no Qt scaling, with QT_SCALE_FACTOR=2, and on a 1366 x 768
# screen under a window manager (openbox), whose frame the window must fit
# with. Skips (77) where Xvfb cannot start.
set -u
test=$1
command -v xvfb-run >/dev/null || { echo "SKIP: xvfb-run is not installed"; exit 77; }
if ! xvfb-run -a -s "-screen 0 1280x1024x24" true 2>/dev/null; then
    echo "SKIP: Xvfb cannot start here"
    exit 77
fi
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/quillfen-runtime.XXXXXX)}
export QT_QPA_PLATFORM=xcb
# Widgets need no OpenGL, and Mesa's GLX integration leaks at exit on a
# fresh Debian, which the leak checker of the sanitized build reports.
export QT_XCB_GL_INTEGRATION=none
unset QT_SCALE_FACTOR QT_AUTO_SCREEN_SCALE_FACTOR QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI
status=0
run() {
    local variant=$1 dpi=$2
    shift 2
    echo "=== $variant ==="
    env QUILLFEN_FIT_VARIANT="$variant" "$@" \
        xvfb-run -a -s "-screen 0 1280x1024x24 -dpi $dpi" "$test" || status=1
}
run dpi96 96
run dpi192 192
run scale2 96 QT_SCALE_FACTOR=2
if command -v openbox >/dev/null; then
    echo "=== wm ==="
    # The window manager decorates the window whenever it is up; the test
    # waits for the frame.
    QUILLFEN_FIT_VARIANT=wm xvfb-run -a -s "-screen 0 1366x768x24 -dpi 96" \
        sh -c 'openbox --sm-disable & "$0"; code=$?; kill $! 2>/dev/null; exit $code' "$test" \
        || status=1
else
    echo "SKIP wm: openbox is not installed"
fi
exit $status
