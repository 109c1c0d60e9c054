#!/usr/bin/env bash
# Builds the Debian package from a release build folder (default build/) and checks it the way a
# user meets it: its control data and contents, lintian, the menu entry and metainfo, installing
# it, the tools and an import run from /usr/bin, the wizard's first start, and removing it again.
# Installing needs root. Runs on one machine at a time (other checkouts wait for the lock).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out="$build/package"

passed=0
failed=0
check() {  # check DESCRIPTION COMMAND...: runs the command, counts and reports the outcome
    local description=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok: $description"
    else
        failed=$((failed + 1))
        echo "FAILED: $description"
    fi
}
finish() {
    echo "package: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}

rm -rf "$out"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >/dev/null
debs=("$out"/quillmere_*_amd64.deb)
deb=$(readlink -f "${debs[0]}")
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

dpkg-deb --info "$deb"
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
has_all() {
    local path
    for path in "$@"; do
        grep -qxF "./$path" <<<"$contents" || { echo "missing from the package: /$path"; return 1; }
    done
}
control=$(dpkg-deb --field "$deb" Package Depends)
check "the control data names the package and Qt 6 as found by shlibdeps" \
    grep -q "libqt6widgets6" <<<"$control"
program=usr/lib/quillmere
check "the program folder is complete" has_all "$program/quillmere" "$program/quillmere-import" \
    "$program/accessdb" "$program/quillmere-install" "$program/HAND-M.CUR" "$program/drag.ico" \
    "$program/Samples/customers.csv" "$program/Samples2/sample.mdb"
check "launchers, menu entry, icons, metainfo and manual pages are there" has_all \
    usr/bin/quillmere usr/bin/quillmere-import usr/bin/accessdb \
    usr/share/applications/app.quillmere.Quillmere.desktop \
    usr/share/icons/hicolor/scalable/apps/quillmere.svg \
    usr/share/icons/hicolor/48x48/apps/quillmere.png \
    usr/share/metainfo/app.quillmere.Quillmere.metainfo.xml \
    usr/share/man/man1/quillmere-import.1.gz usr/share/man/man1/accessdb.1.gz \
    usr/share/doc/quillmere/copyright

lintian_errors() {
    # lintian says so when it runs as root; that is no finding about the package.
    lintian --fail-on error "$deb" 2> >(grep -v "running with root privileges" >&2)
}
check "lintian finds no errors" lintian_errors
check "the menu entry is valid" desktop-file-validate packaging/app.quillmere.Quillmere.desktop
check "appstreamcli accepts the metainfo" \
    appstreamcli validate --no-net "$build/packaging/app.quillmere.Quillmere.metainfo.xml"

if [ "$(id -u)" -ne 0 ]; then
    echo "skipped installing the package: that needs root"
    finish
    exit
fi

# Installing and removing: one checkout at a time on a shared machine.
exec 9>/var/lock/quillmere-package-check
flock 9
if dpkg-query -W -f='${Status}' quillmere 2>/dev/null | grep -q "install ok installed"; then
    echo "FAILED: quillmere is installed on this machine already; the check would replace and" \
        "then remove it (apt-get purge quillmere lets it run)"
    failed=$((failed + 1))
    finish
    exit
fi
apt_get() {
    DEBIAN_FRONTEND=noninteractive apt-get -y -qq -o DPkg::Lock::Timeout=600 "$@" >/dev/null
}
work=$(mktemp -d)
trap 'apt_get purge quillmere || true; rm -rf "$work"' EXIT

check "the package installs with its dependencies" apt_get install "$deb"
check "quillmere-import --help runs from /usr/bin" \
    bash -c '/usr/bin/quillmere-import --help | grep -q "^Usage: quillmere-import"'
check "man finds the manual pages" \
    bash -c '{ man -w quillmere-import && man -w accessdb && man -w quillmere; } >/dev/null'

import_from_path() {
    local database="$work/shop.accdb"
    (cd "$work" && HOME="$work" XDG_CONFIG_HOME="$work/config" quillmere-import \
        --database "$database" /usr/lib/quillmere/Samples/customers.csv \
        /usr/lib/quillmere/Samples/customers.csv) || return 1
    [ "$(/usr/bin/accessdb tables "$database")" = "$(printf 'NewTable1\nNewTable2')" ] || return 1
    /usr/bin/accessdb check "$database" >/dev/null || return 1
    # Every data line of the sample file is a row of the new table.
    local lines rows
    lines=$(($(grep -c . /usr/lib/quillmere/Samples/customers.csv) - 1))
    rows=$(($(/usr/bin/accessdb export "$database" NewTable1 | wc -l) - 1))
    [ "$rows" -eq "$lines" ] || { echo "$rows rows for $lines lines"; return 1; }
}
check "an import from /usr/bin makes a database with the sample's rows" import_from_path

first_start() {
    # The wizard still running after a few seconds has started; the launcher has then recorded
    # this user's sample files, which name the installed program folder.
    local status=0
    HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" \
        QT_QPA_PLATFORM=offscreen timeout 5 /usr/bin/quillmere >"$work/wizard.log" 2>&1 || status=$?
    if [ "$status" -ne 124 ]; then
        echo "the wizard ended with status $status:"
        cat "$work/wizard.log"
        return 1
    fi
    # The record is scrambled: bytes that are no text in any locale but C.
    LC_ALL=C grep -aq "^Snapshot=." "$work/config/Vantrell/Quillmere.ini"
}
check "the wizard's first start records the sample files for the user" first_start

removed_cleanly() {
    apt_get purge quillmere || return 1
    ! dpkg-query -W -f='${Status}' quillmere 2>/dev/null | grep -q "installed" || return 1
    local path
    for path in /usr/lib/quillmere /usr/bin/quillmere /usr/bin/quillmere-import \
        /usr/bin/accessdb /usr/share/applications/app.quillmere.Quillmere.desktop \
        /usr/share/doc/quillmere; do
        if [ -e "$path" ] || [ -L "$path" ]; then
            echo "left after removal: $path"
            return 1
        fi
    done
}
check "removing it leaves nothing behind" removed_cleanly
trap 'rm -rf "$work"' EXIT
finish
