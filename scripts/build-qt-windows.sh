#!/usr/bin/env bash
# Builds the Qt that the Windows program links against: Qt 6 (qtbase) static for
# x86_64-w64-mingw32 from Debian's own qt6-base source package, with Debian's Qt of the same
# version as the host tools.
# The result goes to a cache folder outside the checkout, with a stamp file that names the
# source versions and the configure line; a later run with the same stamp does nothing.
#
#   scripts/build-qt-windows.sh            build (about an hour on two cores) unless cached
#   scripts/build-qt-windows.sh --check    exit 0 when the cache holds a Qt of the right stamp
#   scripts/build-qt-windows.sh --prefix   print the prefix the Windows build uses
#   scripts/build-qt-windows.sh --pack F   write the cached prefix as a tar.xz (stamp inside)
#   scripts/build-qt-windows.sh --unpack   use a matching prebuilt copy if there is one, never
#                                          build; exit 0 when the cache is then ready
#
# VORMATIC_QT_WINDOWS_CACHE names the cache folder (default ~/.cache/vormatic-qt-windows).
# A prebuilt copy in ../shared/qt-windows/*.tar.xz (or VORMATIC_QT_WINDOWS_PREBUILT) is unpacked
# instead of building when the stamp inside it matches.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cache=${VORMATIC_QT_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vormatic-qt-windows}
prebuilt=${VORMATIC_QT_WINDOWS_PREBUILT:-$top/../shared/qt-windows}
prefix=$cache/prefix
triple=x86_64-w64-mingw32

features=(
    -static -release -nomake tests -nomake examples -no-opengl -no-dbus -no-pkg-config -no-zstd
    -qt-zlib -qt-pcre -qt-libpng -qt-freetype -qt-harfbuzz -qt-doubleconversion
    -no-libjpeg -no-gif -no-openssl -no-feature-sql -no-feature-printsupport
    -no-feature-concurrent -no-feature-xml -no-feature-ssl -no-feature-vulkan
    -no-feature-tabletevent -no-feature-androiddeployqt
)

package_version() { dpkg-query -W -f='${source:Version}' "$1" 2>/dev/null || echo none; }

# What the cache must say to be used: the source versions (the host Qt's version is the source
# version, and they must agree) and the configure options.
expected_stamp() {
    echo "qt6-base $(package_version qt6-base-dev)"
    echo "configure -xplatform win32-g++ ${features[*]}"
}

stamp_matches() { [ -f "$1" ] && [ "$(cat "$1")" = "$(expected_stamp)" ]; }

install_packages() {
    local packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
        qt6-base-dev qt6-base-dev-tools dpkg-dev cmake ninja-build xz-utils)
    local missing=() p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# Source entries for the machine's own package sources: the same URIs and suites, type
# deb-src, kept in a private apt state folder so the system's configuration is not touched.
apt_source() {
    local work=$1 package=$2 etc=$1/apt
    mkdir -p "$etc/sources.list.d" "$etc/lists/partial" "$etc/cache/archives/partial"
    : >"$etc/sources.list"
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >"$etc/sources.list"
    fi
    local f
    for f in /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] && sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$etc/sources.list"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" >"$etc/sources.list.d/$(basename "$f")"
    done
    local options=(-o "Dir::Etc::SourceList=$etc/sources.list"
        -o "Dir::Etc::SourceParts=$etc/sources.list.d"
        -o "Dir::State::Lists=$etc/lists" -o "Dir::Cache=$etc/cache"
        -o "Debug::NoLocking=1" -o "APT::Sandbox::User=root")
    apt-get "${options[@]}" update -qq
    (cd "$work" && apt-get "${options[@]}" source -qq "$package=$(package_version "$3")")
}

build_qt() {
    local work=$1 src
    # The configure line names the toolchain file inside the prefix.
    mkdir -p "$prefix/lib/cmake"
    cp "$top/cmake/mingw-w64-x86_64.cmake" "$prefix/lib/cmake/vormatic-mingw-toolchain.cmake"
    # An interrupted build of the same stamp goes on where it stopped.
    if [ -f "$work/build/build.ninja" ] && stamp_matches "$work/stamp"; then
        cmake --build "$work/build" --parallel "${VORMATIC_JOBS:-$(nproc)}"
        cmake --install "$work/build"
        return
    fi
    rm -rf "$work"
    mkdir -p "$work"
    expected_stamp >"$work/stamp"
    apt_source "$work" qt6-base qt6-base-dev
    src=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
    mkdir -p "$work/build"
    (cd "$work/build" && "$src/configure" -prefix "$prefix" -xplatform win32-g++ \
        -device-option CROSS_COMPILE="$triple-" -qt-host-path /usr "${features[@]}" \
        -- -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/vormatic-mingw-toolchain.cmake" \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
    cmake --build "$work/build" --parallel "${VORMATIC_JOBS:-$(nproc)}"
    cmake --install "$work/build"
}

use_prebuilt() {
    local archive
    for archive in "$prebuilt"/*.tar.xz; do
        [ -f "$archive" ] || continue
        local probe
        probe=$(mktemp -d)
        tar -xJf "$archive" -C "$probe" --wildcards '*/stamp' 2>/dev/null || true
        if stamp_matches "$(find "$probe" -name stamp | head -n 1)"; then
            rm -rf "$probe" "$prefix"
            mkdir -p "$cache"
            tar -xJf "$archive" -C "$cache"
            echo "Qt for Windows: unpacked $archive into $cache"
            return 0
        fi
        rm -rf "$probe"
    done
    return 1
}

case "${1:-}" in
--check) stamp_matches "$prefix/stamp" && exit 0 || exit 1 ;;
--prefix) echo "$prefix"; exit 0 ;;
--unpack)
    stamp_matches "$prefix/stamp" && exit 0
    use_prebuilt >&2 && stamp_matches "$prefix/stamp" && exit 0
    exit 1 ;;
--pack)
    stamp_matches "$prefix/stamp" || { echo "no Qt for Windows in $cache" >&2; exit 1; }
    tar -cJf "$2" -C "$cache" prefix
    exit 0 ;;
esac

install_packages
if stamp_matches "$prefix/stamp"; then
    echo "Qt for Windows: $prefix is up to date"
    exit 0
fi
use_prebuilt && stamp_matches "$prefix/stamp" && exit 0

started=$SECONDS
work=$cache/work
rm -rf "$prefix"
build_qt "$work"
expected_stamp >"$prefix/stamp"
rm -rf "$work"
echo "Qt for Windows: built into $prefix in $(((SECONDS - started) / 60)) min"
