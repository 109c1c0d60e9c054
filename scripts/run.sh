#!/usr/bin/env bash
# Starts the wizard from this checkout: installs the packages that are missing, builds the
# program and its tools in the release build (build/) when they are missing or stale, records
# the sample files for this user when they are not recorded yet (the installer's step), and
# starts the program. Tests and the sanitizer build stay out of this path: ./scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
. scripts/build-folder.sh
configure_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target quillmere tool_quillmere-install tool_quillmere-import \
    tool_accessdb sample_database quillmere_program_files
./build/bin/quillmere-install --if-missing >/dev/null || true
exec ./build/bin/quillmere "$@"
