#!/usr/bin/env bash
# Runs every test: the release build's and the sanitizer build's.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
status=0
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 900 || status=1
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" --timeout 1800 || status=1
exit $status
