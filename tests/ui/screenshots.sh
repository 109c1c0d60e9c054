#!/bin/sh
# Photographs both pages at the design size and at twice the scale into the artifacts folder, so
# that a change of layout is seen. Runs under xvfb-session.sh, which gives it a real X server
# with a window manager.
# Usage: xvfb-session.sh --screen 2400x1800x24 screenshots.sh TEST_UI ARTIFACT_FOLDER
set -eu
test_ui=$1
artifacts=$2

status=0
for scale in 1 2; do
    mkdir -p "$artifacts/${scale}x"
    QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale QUILLMERE_SCREENSHOT_DIR="$artifacts/${scale}x" \
        "$test_ui" --gtest_filter='Screenshot*' || status=1
done
echo "Screenshots in $artifacts"
exit $status
