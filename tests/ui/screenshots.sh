#!/bin/sh
# Photographs both pages under a real X server with a window manager, at the design size and at
# twice the scale, into the artifacts folder, so that a change of layout is seen.
# Usage: screenshots.sh TEST_UI ARTIFACT_FOLDER. Exits 77 (skipped) without Xvfb.
set -eu
test_ui=$1
artifacts=$2

if ! command -v Xvfb >/dev/null 2>&1; then
    echo "Skipped: Xvfb is not installed (Debian package xvfb), so no screenshots were taken."
    exit 77
fi

work=$(mktemp -d)
xvfb_pid=""
wm_pid=""
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# The server picks a free display itself and writes its number; large enough for the files page
# at twice the scale.
Xvfb -displayfd 3 -screen 0 2400x1800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
i=0
while [ ! -s "$work/display" ]; do
    i=$((i + 1))
    if [ "$i" -gt 100 ] || ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "Xvfb did not start:"
        cat "$work/xvfb.log"
        exit 1
    fi
    sleep 0.1
done
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY

if command -v openbox >/dev/null 2>&1; then
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    sleep 1
else
    echo "Note: openbox is not installed; the pages are photographed without window frames."
fi

# Only for the sanitizer build: a system library's buffer that lives as long as the process.
LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(dirname "$0")/xcb-leaks.supp"
export LSAN_OPTIONS

status=0
for scale in 1 2; do
    mkdir -p "$artifacts/${scale}x"
    QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale QUILLMERE_SCREENSHOT_DIR="$artifacts/${scale}x" \
        "$test_ui" --gtest_filter='Screenshot*' || status=1
done
echo "Screenshots in $artifacts"
exit $status
