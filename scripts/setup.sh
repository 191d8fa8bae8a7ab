# Installs what building and running Korvexer needs, builds it. Sourced by
# run.sh and test.sh; quick when everything is already there.
set -euo pipefail
repo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

korvexer_packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 xvfb xauth googletest
    cmake ninja-build x11-apps imagemagick fonts-wine clang libclang-rt-14-dev libz-mingw-w64-dev)

korvexer_as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

korvexer_install() {
    local missing=()
    for p in "${korvexer_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        korvexer_as_root dpkg --add-architecture i386
    fi
    korvexer_as_root apt-get update -qq
    korvexer_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

# win32 where this kernel can execute 32-bit binaries (the 32-bit Wine
# loader); win64 otherwise, where the same sources are built for 64-bit
# Windows and run under 64-bit Wine.
korvexer_flavour() {
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo win32; else echo win64; fi
}

korvexer_build_dir() {
    if [ "$1" = win32 ]; then echo "$repo_root/build"; else echo "$repo_root/build-win64"; fi
}

korvexer_build() {
    local preset=$1 dir
    [ "$preset" = win32 ] && preset=default
    dir=$(korvexer_build_dir "$1")
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake --preset "$preset" -S "$repo_root" >/dev/null
    fi
    # Progress lines are dropped; compiler messages and a failure are not.
    local status=0
    cmake --build "$dir" -- -j2 > "$dir/build.log" 2>&1 || status=$?
    grep -vE '^\[[0-9]+/[0-9]+\]' "$dir/build.log" | grep -v '^ninja: no work to do' || true
    return $status
}

# Installs, builds the 32-bit program and, where it cannot run here, the
# 64-bit build too; sets `flavour` and `dir` (the build that runs).
korvexer_prepare() {
    korvexer_install
    flavour=$(korvexer_flavour)
    korvexer_build win32
    [ "$flavour" = win32 ] || korvexer_build "$flavour"
    dir=$(korvexer_build_dir "$flavour")
}
