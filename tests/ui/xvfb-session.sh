#!/bin/sh
# Runs a command under a private X server (Xvfb) with a window manager (openbox) and ends both
# afterwards; the command sees DISPLAY. Exits with the command's status, or 77 (skipped) with a
# message when a program it needs is missing.
# Usage: xvfb-session.sh [--screen WxHxDEPTH] [--require PROGRAM]... [--] COMMAND [ARG]...
# Without openbox (and without --require openbox) the command runs without window frames.
set -eu
screen=1280x1024x24
while [ $# -gt 0 ]; do
    case $1 in
    --screen) screen=$2; shift 2 ;;
    --require)
        if ! command -v "$2" >/dev/null 2>&1; then
            echo "Skipped: $2 is not installed (scripts/setup.sh lists the packages)."
            exit 77
        fi
        shift 2 ;;
    --) shift; break ;;
    *) break ;;
    esac
done
if ! command -v Xvfb >/dev/null 2>&1; then
    echo "Skipped: Xvfb is not installed (Debian package xvfb)."
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

# The server picks a free display itself and writes its number, so runs side by side never meet.
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
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
    echo "Note: openbox is not installed; the windows have no frames."
fi

# Only for the sanitizer build: a system library's buffer that lives as long as the process.
# (An absolute path: the programs under test may run in another folder.)
here=$(cd "$(dirname "$0")" && pwd)
LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$here/xcb-leaks.supp"
export LSAN_OPTIONS

status=0
"$@" || status=$?
exit $status
