# need PACKAGE...: installs the Debian packages of the list that are missing (sourced by the
# Windows scripts, which run as root on a build machine).
need() {
    missing=
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || missing="$missing $pkg"
    done
    if [ -n "$missing" ]; then
        echo "$(basename "$0"): installing$missing"
        apt-get install -y --no-install-recommends $missing
    fi
}
