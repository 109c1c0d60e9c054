#!/usr/bin/env bash
# Installs the packages that a fresh Debian 12 machine lacks for building, running and testing
# Quillmere; installs nothing when all are there. ./scripts/run.sh and ./scripts/test.sh call it.
set -euo pipefail
cd "$(dirname "$0")/.."

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

packages=(build-essential cmake pkg-config git qt6-base-dev libgl1-mesa-dev googletest
          libgtest-dev libgmock-dev mdbtools xvfb xdotool clang libclang-rt-14-dev
          fonts-liberation openbox libssl-dev)
# Faster builds, and the Debian package with its checks.
packages+=(ninja-build ccache file lintian appstream desktop-file-utils)
# The Windows build of the core and its tests: the mingw-w64 cross compiler and Wine to run them.
packages+=(g++-mingw-w64-x86-64-posix wine wine64)
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
    # Another install on this machine holds the lock for a while: wait for it.
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq -o DPkg::Lock::Timeout=600 \
        "${missing[@]}"
fi
