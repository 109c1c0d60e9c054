# Sourced by run.sh and test.sh: configure_build FOLDER CMAKE-ARGS... configures a build folder
# once (Ninja and ccache when present). A folder that is configured already is left as it is:
# `cmake --build` reconfigures it by itself when a CMakeLists changed, and its generator must
# not change under it.
configure_build() {
    local folder=$1
    shift
    if [ -f "$folder/CMakeCache.txt" ]; then
        return 0
    fi
    local args=()
    if command -v ninja >/dev/null; then args+=(-G Ninja); fi
    if command -v ccache >/dev/null; then
        export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
        args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S . -B "$folder" "${args[@]}" "$@"
}
