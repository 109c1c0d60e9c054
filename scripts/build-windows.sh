#!/bin/sh
# Builds the Windows desktop program and its zip on Debian: Qt 6 for Windows is cross-compiled
# once from Debian's own qt6-base source into a cache folder outside the tree (reused on later
# runs), then Quillmere is cross-built against it and packed into dist/.
#   scripts/build-windows.sh            Qt (when not cached), Quillmere.exe and the zip
#   scripts/build-windows.sh --qt-only  only the Qt stage
# QUILLMERE_QT_WINDOWS names another Qt prefix (for example one built elsewhere); JOBS caps
# the parallel compile jobs (2 by default: the Qt build alone takes over an hour on 2 cores).
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
jobs=${JOBS:-2}
qt_version=6.4.2
cache=${XDG_CACHE_HOME:-$HOME/.cache}/quillmere
qt_prefix=${QUILLMERE_QT_WINDOWS:-$cache/qt-$qt_version-mingw64}
qt_stamp=$qt_prefix/.quillmere-complete
triplet=x86_64-w64-mingw32

. "$(dirname "$0")/need-packages.sh"

# Debian's apt sources are deb822 files; the source stanza names the same mirror and suite as
# the binary one so that `apt-get source` fetches exactly the qt6-base the host tools come from.
add_source_stanza() {
    list=/etc/apt/sources.list.d/quillmere-deb-src.sources
    [ -f "$list" ] && return 0
    cat >"$list" <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    apt-get update
}

# The programs of the Quillmere build link the runtime statically; Qt's DLLs cannot (each would
# carry its own C++ runtime), so Qt gets a toolchain file of its own without -static.
write_qt_toolchain() {
    cat >"$1" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $triplet-gcc-posix)
set(CMAKE_CXX_COMPILER $triplet-g++-posix)
set(CMAKE_RC_COMPILER $triplet-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$triplet)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TC
}

build_qt() {
    if [ -f "$qt_stamp" ]; then
        echo "build-windows.sh: Qt $qt_version for Windows cached in $qt_prefix"
        return 0
    fi
    need dpkg-dev qt6-base-dev-tools g++-mingw-w64-x86-64-posix cmake ninja-build
    add_source_stanza
    work=$cache/qt6-base-src
    mkdir -p "$work"
    src=$(find "$work" -maxdepth 1 -type d -name "qt6-base-$qt_version*" | head -n 1)
    if [ -z "$src" ]; then
        (cd "$work" && apt-get source qt6-base)
        src=$(find "$work" -maxdepth 1 -type d -name "qt6-base-$qt_version*" | head -n 1)
    fi
    # With Direct2D off, the windows platform plugin still reaches for the Direct2D font engine
    # under its DirectWrite 3 guards; they must require both.
    integration=$src/src/plugins/platforms/windows/qwindowsintegration.cpp
    if ! grep -q 'QT_CONFIG(directwrite3) && QT_CONFIG(direct2d)' "$integration"; then
        sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' "$integration"
        [ "$(grep -c 'QT_CONFIG(directwrite3) && QT_CONFIG(direct2d)' "$integration")" -eq 2 ] || {
            echo "build-windows.sh: the direct2d patch did not apply to $integration" >&2
            exit 1
        }
    fi
    build=$cache/qt6-base-build
    rm -rf "$build" "$qt_prefix"
    mkdir -p "$build"
    write_qt_toolchain "$cache/qt-mingw-w64.cmake"
    started=$(date +%s)
    (
        cd "$build"
        "$src/configure" -prefix "$qt_prefix" -qt-host-path /usr -release -shared -strip \
            -nomake tests -nomake examples -no-opengl -no-dbus -no-icu -no-pkg-config -no-zstd \
            -qt-zlib -qt-libpng -qt-freetype -qt-harfbuzz -qt-pcre -no-libjpeg \
            -no-feature-sql -no-feature-network -no-feature-xml -no-feature-testlib \
            -no-feature-concurrent -no-feature-printsupport -no-feature-tabletevent \
            -no-feature-direct2d -no-feature-vulkan \
            -- -G Ninja -DCMAKE_TOOLCHAIN_FILE="$cache/qt-mingw-w64.cmake" \
            -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
        cmake --build . -j"$jobs"
        # Qt 6.4 ignores configure's -strip; the install step strips instead (76 -> 63 MB).
        cmake --install . --strip
    )
    echo "Qt $qt_version for Windows built in $(($(date +%s) - started)) s" >"$qt_stamp"
    cat "$qt_stamp"
}

# The sample database is written by the Linux accessdb: the Linux build's when there is one
# (brought up to date), otherwise a small Linux build of the tools only.
sample_database() {
    if [ -f "$repo/build/CMakeCache.txt" ]; then
        host=$repo/build
    else
        host=$repo/build-windows-host
        cmake -S "$repo" -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=Release $launcher \
            -DQUILLMERE_GUI=OFF -DQUILLMERE_TESTS=OFF -DQUILLMERE_BENCH=OFF >/dev/null
    fi
    cmake --build "$host" -j"$jobs" --target sample_database >&2
    echo "$host/bin/Samples2/sample.mdb"
}

build_quillmere() {
    need g++-mingw-w64-x86-64-posix zip
    started=$(date +%s)
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
        -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" $launcher \
        -DCMAKE_PREFIX_PATH="$qt_prefix" -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQUILLMERE_GUI=ON -DQUILLMERE_TESTS=OFF -DQUILLMERE_BENCH=OFF
    cmake --build "$build" -j"$jobs"
    echo "build-windows.sh: Quillmere for Windows built in $(($(date +%s) - started)) s"
}

# Every DLL a shipped file imports must be shipped too or be part of Windows: a missing one
# shows only on a Windows machine without the build's folders.
check_imports() {
    shipped=$(find "$1" -iname '*.dll' -exec basename {} \; | tr 'A-Z' 'a-z')
    status=0
    for file in $(find "$1" -iname '*.exe' -o -iname '*.dll'); do
        for dll in $($triplet-objdump -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
            lower=$(echo "$dll" | tr 'A-Z' 'a-z')
            case "$lower" in
            lib*.dll | qt6*.dll)
                if ! echo "$shipped" | grep -qx "$lower"; then
                    echo "build-windows.sh: $file needs $dll, which the zip lacks" >&2
                    status=1
                fi
                ;;
            esac
        done
    done
    return $status
}

pack() {
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
    name=Quillmere-$version-windows-x64
    stage=$build/zip/$name
    rm -rf "$build/zip"
    mkdir -p "$stage/platforms" "$stage/styles" "$stage/imageformats" "$stage/Samples2"
    for program in Quillmere accessdb quillmere-import quillmere-install; do
        cp "$build/bin/$program.exe" "$stage/"
    done
    for module in Core Gui Widgets; do
        cp "$qt_prefix/bin/Qt6$module.dll" "$stage/"
    done
    cp "$qt_prefix/plugins/platforms/qwindows.dll" "$stage/platforms/"
    cp "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
    # HAND-M.CUR and drag.ico are read through Qt's ICO/CUR image plugin.
    cp "$qt_prefix/plugins/imageformats/qico.dll" "$stage/imageformats/"
    for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
        found=$($triplet-g++-posix -print-file-name=$dll)
        [ -f "$found" ] || found=/usr/$triplet/lib/$dll
        cp "$found" "$stage/"
    done
    # Debian ships the runtime DLLs with their symbols (libstdc++ 23.7 MB, 2 MB stripped).
    $triplet-strip --strip-unneeded "$stage"/*.exe "$stage"/*.dll "$stage"/*/*.dll
    cp "$build/bin/HAND-M.CUR" "$build/bin/drag.ico" "$stage/"
    cp -r "$build/bin/Samples" "$stage/"
    cp "$(sample_database)" "$stage/Samples2/sample.mdb"
    sed "s/@VERSION@/$version/" "$repo/packaging/windows/README.txt.in" | sed 's/$/\r/' \
        >"$stage/README.txt"
    check_imports "$stage"
    mkdir -p "$repo/dist"
    zip_file=$repo/dist/$name.zip
    rm -f "$zip_file"
    (cd "$build/zip" && zip -q -r -9 -X "$zip_file" "$name")
    echo "build-windows.sh: $zip_file ($(du -k "$zip_file" | cut -f1) KB; unpacked" \
        "$(du -sk "$stage" | cut -f1) KB)"
}

build_qt
[ "${1:-}" = --qt-only ] && exit 0
build=$repo/build-windows-qt
launcher=
if command -v ccache >/dev/null; then
    launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache"
fi
build_quillmere
pack
