#!/bin/sh
# Tries the Windows zip the way a new user would, under Wine in a virtual X server: unpacks it,
# runs quillmere-install.exe (the sample files' record), starts Quillmere.exe with the windows
# platform plugin, takes the sample database, imports the sample files into new tables, then
# appends customers.csv to the sample's Customers table and stock_tab.csv to its Stock table,
# each run to "Done.". After each run a copy of the database is read by the Linux readers
# (mdb-tables, mdb-export, mdb-reader, accessdb check and, when built, the Jackcess checker),
# which must agree on every table's rows. Screenshots of the pages, cut to the program's
# windows, go to SHOTS.
#   scripts/windows-smoke.sh [ZIP [SHOTS]]
# ZIP defaults to the newest dist/Quillmere-*-windows-x64.zip, SHOTS to a folder in the run's
# temporary folder. ACCESSDB names the Linux accessdb (default build/bin/accessdb). The program
# is driven through its widget map (QUILLMERE_WIDGET_MAP): buttons are found by name, not by
# pixels. Not part of the test command: it needs the zip, which needs the Qt for Windows.
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)

# What the run needs beyond the build: Wine, the virtual X server and its tools, ImageMagick
# for the screenshots (pngquant, when present, makes them small), mdbtools, node for mdb-reader.
. "$(dirname "$0")/need-packages.sh"
need wine64 xvfb xdotool x11-utils imagemagick unzip mdbtools
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    need nodejs npm
fi
readers=$repo/tests/readers
if [ ! -d "$readers/node_modules" ]; then
    (cd "$readers" && npm ci --no-audit --no-fund --loglevel=error)
fi
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

# printf, not echo: the Windows paths' backslashes are no escapes.
step() { printf 'windows-smoke.sh: %s\n' "$*"; }
fail() {
    printf 'windows-smoke.sh: FAILED: %s\n' "$*" >&2
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
    desktop_id=$(xdotool search --name 'Quillmere - Wine desktop' | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$desktop_id")"
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
# The rectangle (X Y W H) of the shown windows with these names or classes taken together, with
# Wine's frame (the map gives the inside: the title bar is above it, a thin border around),
# held to the desktop.
windows_rect() {
    awk -F'\t' -v names=" $* " '
        { sub(/\r$/, "") }
        $1=="window" && (index(names, " " $2 " ") || index(names, " " $3 " ")) {
            l = $4 - 6; t = $5 - 30; r = $4 + $6 + 6; b = $5 + $7 + 6
            if (!n++ || l < L) L = l; if (n == 1 || t < T) T = t
            if (n == 1 || r > R) R = r; if (n == 1 || b > B) B = b
        }
        END {
            if (!n) exit 1
            if (L < 0) L = 0; if (T < 0) T = 0; if (R > 1024) R = 1024; if (B > 768) B = 768
            printf "%dx%d+%d+%d\n", R - L, B - T, L, T
        }' "$map"
}
# A screenshot of the named windows (all of the desktop when none is named), made small.
shot() {
    name=$1
    shift
    sleep 1
    file=$shots/$name.png
    if [ $# -gt 0 ] && crop=$(windows_rect "$@"); then
        import -window "$desktop_id" -crop "$crop" +repage "$file"
    else
        import -window "$desktop_id" "$file"
    fi
    if command -v pngquant >/dev/null; then
        pngquant --force --skip-if-larger --output "$file" -- "$file" || true
    fi
    step "screenshot $file ($(du -k "$file" | cut -f1) KB)"
}
# Waits for a message box, checks its text (a pattern), takes a screenshot of it over the files
# page when named, and clicks the button with the given caption.
answer_message() {
    wait_until "a message box" message_shown
    text=$(message_text)
    step "message: $text"
    case "$text" in
    $1) ;;
    *) fail "the message is \"$text\", not \"$1\"" ;;
    esac
    [ -z "$2" ] || shot "$2" Form2 QMessageBox
    click "" "" "$3"
    wait_until "the message box to close" no_message
}

# Reads a copy of the database as it is after a run with every Linux reader: its tables, each
# table's rows by mdb-export and by mdb-reader (which must agree), accessdb check and the
# Jackcess checker. Leaves "TABLE ROWS" lines in $work/LABEL.rows.
accesscheck=${QUILLMERE_ACCESSCHECK:-/work/oracles/accesscheck}
read_database() {
    copy=$shots/$1.mdb
    cp "$database" "$copy"
    step "reading $copy"
    tables=$(mdb-tables -1 "$copy") || fail "mdb-tables cannot read $copy"
    step "mdb-tables -1: $(echo "$tables" | tr '\n' ' ')"
    : >"$work/$1.rows"
    # One name a line: a name may hold blanks.
    saved_ifs=$IFS
    IFS='
'
    for table in $tables; do
        IFS=$saved_ifs
        csv=$work/$1-$table.csv
        mdb-export "$copy" "$table" >"$csv" || fail "mdb-export cannot read $table of $copy"
        exported=$(($(wc -l <"$csv") - 1))
        node "$readers/dump.mjs" "$copy" --table "$table" >"$work/$1-$table.json" ||
            fail "mdb-reader cannot read $table of $copy"
        dumped=$(node -e 'const d = JSON.parse(require("fs").readFileSync(process.argv[1]));
            console.log(d.tables[0].rows.length)' "$work/$1-$table.json")
        step "  $table: $exported rows by mdb-export, $dumped by mdb-reader"
        sed 's/^/      /' "$csv"
        [ "$exported" = "$dumped" ] || fail "mdb-export and mdb-reader disagree on $table"
        echo "$table $exported" >>"$work/$1.rows"
    done
    IFS=$saved_ifs
    checked=$("$accessdb" check "$copy") || fail "accessdb check finds faults in $copy: $checked"
    step "accessdb check: $checked"
    if [ -x "$accesscheck" ]; then
        checked=$("$accesscheck" --quiet "$copy") || fail "accesscheck finds faults in $copy: $checked"
        step "accesscheck: $checked"
    else
        step "accesscheck: not built ($accesscheck), skipped"
    fi
}
expect_rows() {
    grep -qx "$2 $3" "$work/$1.rows" || fail "$2 should hold $3 rows ($1)"
}
# Leaves the one file of the list whose name ends so: the others are selected and removed with
# the Delete key, from the bottom (the last row selected by End) or from the top (Home). After
# a removal no row is selected but the current row stays: a key that does not move it selects
# nothing, so the other end is visited first.
keep_only() {
    case $2 in
    End) keys="Home End" ;;
    *) keys="End Home" ;;
    esac
    click Form2 ListView1
    for _ in 1 2; do
        for key in $keys; do
            xdotool key "$key"
            sleep 0.3
        done
        xdotool key Delete
        sleep 0.5
    done
    wait_until "$1 alone in the list" rows_are ListView1 1
    row_texts ListView1 | grep -q "$1\$" || fail "$1 is not the file left"
}
# Selects the table of that name in the list of tables to append to: its first row is clicked,
# then the Down key moves to the row the map gives the table.
select_table() {
    position=$(row_texts List1 | grep -nx "$1" | cut -d: -f1)
    [ -n "$position" ] || fail "no table $1 to append to: $(row_texts List1 | tr '\n' ' ')"
    click Form2 List1 "" 30,10
    xdotool key Home
    sleep 0.2
    while [ "$position" -gt 1 ]; do
        xdotool key Down
        sleep 0.2
        position=$((position - 1))
    done
}
# The samples into the list: the question about opening their folder is answered No.
load_samples() {
    click Form2 PushButton10 # Load Sample/Example Files
    answer_message "*" "" No
    wait_until "three sample files in the list" rows_are ListView1 3
}

[ -x "$accessdb" ] || fail "no Linux accessdb at $accessdb (build it, or name it in ACCESSDB)"
wait_until "the database page" window_shown Form1
step "the database page is shown after $(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN {printf "%.1f", b - a}') s"
desktop_origin
shot form1-database-page Form1

click Form1 PushButton1 # Load Sample/Example Database
wait_until "the sample database's name" control_has Form1 Text1 'sample\.mdb$'
step "database: $(control_text Form1 Text1)"
shot form1-sample-database Form1
click Form1 PushButton3 # Next >
wait_until "the files page" window_shown Form2

load_samples
step "files: $(row_texts ListView1 | tr '\n' ' ')"
shot form2-sample-files Form2
click Form2 PushButton1 # Start Importing
answer_message "Done." form2-import-done OK
read_database after-import
expect_rows after-import NewTable1 8
expect_rows after-import Customers 2
expect_rows after-import Stock 2

# The append runs, each file's header line skipped: customers.csv (comma) to Customers, then
# stock_tab.csv (tab) to Stock.
click Form2 Option2
click Form2 Check2 "" 8,10 # its box: the rest of its width takes no click
wait_until "the tables to append to" rows_at_least List1 5
keep_only customers.csv End
select_table Customers
shot form2-append-options Form2
click Form2 PushButton1 # Start Importing
answer_message "Done." form2-append-customers-done OK
read_database after-append-customers
expect_rows after-append-customers Customers 10

click Form2 PushButton9 # Clear List
wait_until "an empty list" rows_are ListView1 0
load_samples
keep_only stock_tab.csv Home
click Form2 Option14 # Tab
select_table Stock
click Form2 PushButton1 # Start Importing
answer_message "Done." form2-append-stock-done OK
read_database after-append-stock
expect_rows after-append-stock Customers 10
expect_rows after-append-stock Stock 9

step "closing the program"
xdotool key alt+F4 || true
sleep 2
wineserver -k || true
step "passed; screenshots and the databases after each run in $shots"
