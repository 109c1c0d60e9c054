#!/usr/bin/env bash
# Runs every test. Sets up what it needs first: the missing packages, the independent reader of
# the cross-checks, the release build (build/) and the sanitizer build (build-asan/), each built
# when missing or stale. Then runs both builds' tests and checks the Debian package.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
if [ -f tests/readers/package.json ]; then
    (cd tests/readers && npm ci --no-audit --no-fund --loglevel=error)
fi
. scripts/build-folder.sh
configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
configure_build build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILLMERE_SANITIZE=ON -DQUILLMERE_BENCH=OFF
jobs=$(nproc)
cmake --build build -j"$jobs"
cmake --build build-asan -j"$jobs"

export QT_QPA_PLATFORM=offscreen
status=0
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 900 || status=1
ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 1800 || status=1
./scripts/check-package.sh build || status=1

# The Windows build of the core, its programs and the core tests, run under Wine
# (tests/WindowsTests.cmake says which), when the cross compiler and Wine are installed.
if command -v x86_64-w64-mingw32-g++-posix >/dev/null && [ -x /usr/lib/wine/wine64 ]; then
    configure_build build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-O1 -DCMAKE_C_FLAGS_RELEASE=-O1
    cmake --build build-windows -j"$jobs" || status=1
    ctest --test-dir build-windows --output-on-failure -j"$jobs" --timeout 900 || status=1
fi
exit $status
