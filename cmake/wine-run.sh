#!/bin/sh
# Runs a Windows program under Wine for ctest (the cross build's CMAKE_CROSSCOMPILING_EMULATOR).
# The Wine prefix lives in the build folder (wine-prefix/ beside CMakeCache.txt), so builds never
# share or leave behind a prefix; WINEPREFIX chooses another. A wineserver that stays up for a
# minute after its last program keeps each test's start near 0.1 s instead of several seconds.
set -eu
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)

if [ -z "${WINEPREFIX:-}" ]; then
    dir=$(pwd)
    while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        echo "wine-run.sh: no build folder above $(pwd); set WINEPREFIX" >&2
        exit 2
    fi
    WINEPREFIX=$dir/wine-prefix
fi
export WINEPREFIX
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: the programs are plain Win32 console programs.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Parallel tests share the prefix: the first one makes it while the others wait on the lock.
# The wineserver must not inherit the lock's descriptor, or it would hold the lock while it runs.
mkdir -p "$WINEPREFIX"
(
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$wine" wineboot --init >/dev/null 2>&1 9>&-
        wineserver -w 9>&-
    fi
    # Starts the server unless one runs for the prefix already (then it just exits).
    wineserver -p60 >/dev/null 2>&1 9>&- || true
) 9>"$WINEPREFIX.lock"

# The first program of a fresh wineserver also starts Wine's services, which keep the
# program's standard output and error open for as long as they run: ctest, reading them through
# a pipe, would wait for that. So the program writes to files, passed on when it ends.
output=$(mktemp)
errors=$(mktemp)
trap 'rm -f "$output" "$errors"' EXIT
status=0
"$wine" "$@" >"$output" 2>"$errors" || status=$?
# Now and then the Linux loader under Wine fails its own check while the process ends, after
# the program is done ("Inconsistency detected by ld.so: dl-fini.c"): a fault of the host, not of
# the program, so the program runs once more.
if [ "$status" -ne 0 ] && grep -q "Inconsistency detected by ld.so" "$errors"; then
    status=0
    "$wine" "$@" >"$output" 2>"$errors" || status=$?
fi
cat "$output"
cat "$errors" >&2
exit $status
