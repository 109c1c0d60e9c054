#!/bin/sh
# Tries the Windows zip the way a new user would, under Wine in a virtual X server: unpacks it,
# runs quillmere-install.exe (the sample files' record), starts Quillmere.exe with the windows
# platform plugin, takes the sample database, imports the sample files into new tables, then
# appends customers.csv to the sample's Customers table, each run to "Done.". The database is
# then read by accessdb check and mdb-export. Screenshots of the pages go to SHOTS.
#   scripts/windows-smoke.sh [ZIP [SHOTS]]
# ZIP defaults to the newest dist/Quillmere-*-windows-x64.zip, SHOTS to a folder in the run's
# temporary folder. ACCESSDB names the Linux accessdb (default build/bin/accessdb). The program
# is driven through its widget map (QUILLMERE_WIDGET_MAP): buttons are found by name, not by
# pixels. Not part of the test command: it needs the zip, which needs the Qt for Windows.
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
zip_file=${1:-$(ls -t "$repo"/dist/Quillmere-*-windows-x64.zip 2>/dev/null | head -n 1)}
[ -f "$zip_file" ] || {
    echo "windows-smoke.sh: no zip (run scripts/build-windows.sh)" >&2
    exit 2
}
work=$(mktemp -d /tmp/quillmere-windows-smoke.XXXXXX)
shots=${2:-$work/shots}
accessdb=${ACCESSDB:-$repo/build/bin/accessdb}
mkdir -p "$shots"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)

xvfb=
cleanup() {
    WINEPREFIX=$WINEPREFIX wineserver -k 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

unzip -q "$zip_file" -d "$work"
program=$(find "$work" -maxdepth 1 -type d -name 'Quillmere-*')
database=$program/Samples2/sample.mdb
export WINEPREFIX=$work/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# A display of our own: the first free number from 90.
display=90
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do
    display=$((display + 1))
done
Xvfb :$display -screen 0 1280x960x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=:$display
for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.2
done

step() { echo "windows-smoke.sh: $*"; }
fail() {
    echo "windows-smoke.sh: FAILED: $*" >&2
    import -window root "$shots/failure.png" 2>/dev/null || true
    [ -f "$map" ] && cat "$map" >&2
    exit 1
}

step "making the Wine prefix"
"$wine" wineboot --init >/dev/null 2>&1
wineserver -w

map=$work/widgets.map
export QUILLMERE_WIDGET_MAP="Z:$(echo "$map" | tr / '\\')"
cd "$program"
step "quillmere-install.exe records the sample files"
"$wine" ./quillmere-install.exe || fail "quillmere-install.exe"

# A virtual desktop: one X window holds every Windows window, so the screen places the program
# writes are places in that window, and no window manager is needed.
started=$(date +%s.%N)
"$wine" explorer /desktop=Quillmere,1024x768 Quillmere.exe >"$work/program.log" 2>&1 &

# The program writes the map with Windows line ends; every reader drops the carriage return.
# The map's fields: window NAME CLASS X Y W H TITLE; control WINDOW NAME CLASS X Y W H ENABLED TEXT.
window_shown() { [ -f "$map" ] && awk -F'\t' -v w="$1" '{ sub(/\r$/, "") } $1=="window" && $2==w {f=1} END {exit !f}' "$map"; }
control_text() { awk -F'\t' -v w="$1" -v c="$2" '{ sub(/\r$/, "") } $1=="control" && $2==w && $3==c {print $10}' "$map"; }
control_has() { control_text "$1" "$2" | grep -q "$3"; }
message_text() { [ -f "$map" ] && awk -F'\t' '{ sub(/\r$/, "") } $1=="control" && $3=="MessageText" {print $10}' "$map"; }
message_shown() { [ -n "$(message_text)" ]; }
no_message() { ! message_shown; }
row_texts() { awk -F'\t' -v l="$1" '{ sub(/\r$/, "") } $1=="row" && $2==l {print $4}' "$map"; }
rows_are() { [ "$(row_texts "$1" | wc -l)" -eq "$2" ]; }
rows_at_least() { [ "$(row_texts "$1" | wc -l)" -ge "$2" ]; }
wait_until() {
    what=$1
    shift
    for _ in $(seq 600); do
        "$@" && return 0
        sleep 0.1
    done
    fail "waited 60 s for $what"
}

# The desktop window's place on the X screen, added to the program's screen places.
desktop_origin() {
    id=$(xdotool search --name 'Quillmere - Wine desktop' | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$id")"
    origin_x=$X
    origin_y=$Y
}
click_at() {
    xdotool mousemove $(($1 + origin_x)) $(($2 + origin_y))
    sleep 0.2
    xdotool click 1
    sleep 0.3
}
# Clicks the middle of a named control; with a third argument, the button with that caption
# (a message box's buttons have no names; "&" marks are left out). The fourth moves the click
# from the middle to that many pixels from the control's left and top edges (a list's first row).
click() {
    place=$(awk -F'\t' -v w="$1" -v c="$2" -v t="${3:-}" -v at="${4:-}" '
        { sub(/\r$/, "") }
        $1=="control" { text = $10; gsub(/&/, "", text) }
        $1=="control" && (t=="" ? ($2==w && $3==c) : text==t) {
            if (at == "") print int($5 + $7 / 2), int($6 + $8 / 2)
            else { split(at, d, ","); print $5 + d[1], $6 + d[2] }
            exit }' "$map")
    [ -n "$place" ] || fail "no control $1/$2 ${3:-} in the widget map"
    click_at $place
}
shot() {
    sleep 1
    import -window root "$shots/$1.png"
    step "screenshot $shots/$1.png"
}
# Waits for a message box, checks its text (a pattern), takes a screenshot when named, and
# clicks the button with the given caption.
answer_message() {
    wait_until "a message box" message_shown
    text=$(message_text)
    step "message: $text"
    case "$text" in
    $1) ;;
    *) fail "the message is \"$text\", not \"$1\"" ;;
    esac
    [ -z "$2" ] || shot "$2"
    click "" "" "$3"
    wait_until "the message box to close" no_message
}

wait_until "the database page" window_shown Form1
step "the database page is shown after $(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN {printf "%.1f", b - a}') s"
desktop_origin
shot form1-database-page

click Form1 PushButton1 # Load Sample/Example Database
wait_until "the sample database's name" control_has Form1 Text1 'sample\.mdb$'
step "database: $(control_text Form1 Text1)"
shot form1-sample-database
click Form1 PushButton3 # Next >
wait_until "the files page" window_shown Form2
shot form2-files-page

click Form2 PushButton10 # Load Sample/Example Files
answer_message "*" "" No # whether to open the samples folder
wait_until "three sample files in the list" rows_are ListView1 3
shot form2-sample-files
click Form2 PushButton1 # Start Importing
answer_message "Done." form2-import-done OK

# The append run: customers.csv alone, its header line skipped, into the sample's Customers.
click Form2 Option2
click Form2 Check2
wait_until "the tables to append to" rows_at_least List1 2
# The Delete key removes the file list's selected row; the two after customers.csv go.
click Form2 ListView1
for _ in 1 2; do
    xdotool key End
    sleep 0.3
    xdotool key Delete
    sleep 0.5
done
wait_until "customers.csv alone in the list" rows_are ListView1 1
row_texts ListView1 | grep -q 'customers\.csv$' || fail "customers.csv is not the file left"
[ "$(row_texts List1 | head -n 1)" = Customers ] || fail "Customers is not the first table"
click Form2 List1 "" 30,10 # its first row

shot form2-append-options
click Form2 PushButton1 # Start Importing
answer_message "Done." form2-append-done OK

step "closing the program"
xdotool key alt+F4 || true
sleep 2
wineserver -k || true
cd "$repo"

step "reading $database"
"$accessdb" check "$database"
for table in NewTable1 NewTable2 NewTable3 Customers; do
    rows=$(mdb-export "$database" "$table" | tail -n +2 | wc -l)
    step "mdb-export $table: $rows rows"
    echo "$table $rows" >>"$work/rows.txt"
done
grep -qx "Customers 10" "$work/rows.txt" || fail "Customers should hold its 2 rows and 8 appended"
if [ -x /work/oracles/accesscheck ]; then
    /work/oracles/accesscheck "$database"
fi
cp "$database" "$shots/sample-after-smoke.mdb"
step "passed; screenshots and the database in $shots"
