#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, then builds everything: the release build in
# build/ (program, tools, benchmarks) and the sanitizer build of the tests in build-asan/.
set -euo pipefail
cd "$(dirname "$0")/.."

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

packages=(build-essential cmake pkg-config git qt6-base-dev libgl1-mesa-dev googletest
          libgtest-dev libgmock-dev mdbtools xvfb xdotool clang)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Node.js runs the mdb-reader cross-checks; keep a Node.js that is already installed.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    missing+=(nodejs npm)
fi
if [ ${#missing[@]} -gt 0 ]; then
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

# The independent reader used by the tests (no network use at test time).
if [ -f tests/readers/package.json ]; then
    (cd tests/readers && npm ci --no-audit --no-fund --loglevel=error)
fi

jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILLMERE_SANITIZE=ON -DQUILLMERE_BENCH=OFF
cmake --build build-asan -j"$jobs"
./build/bin/quillmere-install
echo "Built: build/bin (program and tools), build-asan (tests with sanitizers)."
