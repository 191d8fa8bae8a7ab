#!/usr/bin/env bash
# Makes dist/Korvexer-VERSION.zip for users: Korvexer.exe, README.txt (CR LF
# line ends, for Notepad) and SHA256SUMS; dist/ also holds the three files
# unpacked, so `cd dist && sha256sum -c SHA256SUMS` checks them.
#
# The program is built twice from scratch, in build-release/ and in a
# temporary folder elsewhere, without the compiler cache (which could hand
# both builds the same objects); the release stops when the two differ by a
# byte. The zip is reproducible too: its files carry the time of the last
# commit (SOURCE_DATE_EPOCH when set), fixed modes, no extra fields, and are
# stored in a fixed order.
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=setup.sh
. "$here/setup.sh"

say() { printf 'release: %s\n' "$*"; }
die() {
    say "$*" >&2
    exit 1
}

# Only what building the program and packing it need.
korvexer_packages=(g++-mingw-w64-i686 cmake ninja-build libz-mingw-w64-dev zip)
korvexer_install

version=$("$here/version.sh")
dist=$repo_root/dist
first=$repo_root/build-release
zip_name=Korvexer-$version.zip

export LC_ALL=C TZ=UTC
umask 022
export CCACHE_DISABLE=1
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$repo_root" log -1 --format=%ct 2>/dev/null || echo 0)
fi
# A zip holds no time before 1980.
[ "$SOURCE_DATE_EPOCH" -ge 315532800 ] || SOURCE_DATE_EPOCH=315532800
export SOURCE_DATE_EPOCH

if git -C "$repo_root" rev-parse --git-dir >/dev/null 2>&1; then
    if [ -n "$(git -C "$repo_root" status --porcelain --untracked-files=no)" ]; then
        say "warning: the work tree has changes not committed; the zip is not the commit's" >&2
    fi
fi

# A release that fails leaves no zip of an earlier run to be taken for its own.
rm -rf "$dist"

work=$(mktemp -d "${TMPDIR:-/tmp}/korvexer-release.XXXXXX")
keep_work=0
trap '[ "$keep_work" = 1 ] || rm -rf "$work"' EXIT
second=$work/second-build

# Builds Korvexer.exe alone, the way the test build's product sub-build does.
build() {
    local dir=$1
    rm -rf "$dir"
    mkdir -p "$dir"
    say "building Korvexer.exe in $dir"
    if ! { cmake -S "$repo_root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo_root/cmake/mingw-i686-win32.cmake" \
        -DKORVEXER_PRODUCT_BUILD=ON -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF &&
        cmake --build "$dir" --target Korvexer -- -j"$(nproc)"; } >"$dir/build.log" 2>&1; then
        tail -n 30 "$dir/build.log" >&2
        die "the build in $dir failed (log: $dir/build.log)"
    fi
}
build "$first"
build "$second"

if ! difference=$(cmp "$first/Korvexer.exe" "$second/Korvexer.exe" 2>&1); then
    keep_work=1
    die "the two builds of Korvexer.exe differ ($difference); kept: $first $second"
fi
if ! check=$(bash "$repo_root/tests/platform/check_reproducible.sh" "$first/Korvexer.exe" \
    "$repo_root" "$first" "$second"); then
    keep_work=1
    die "$(printf '%s\n' "$check" | head -1)"
fi

stage=$work/stage
mkdir -p "$stage"
cp "$first/Korvexer.exe" "$stage/Korvexer.exe"
sed -e "s/@VERSION@/$version/g" -e 's/\r$//' -e 's/$/\r/' "$repo_root/docs/README.txt" >"$stage/README.txt"
(cd "$stage" && sha256sum Korvexer.exe README.txt >SHA256SUMS)
files=(Korvexer.exe README.txt SHA256SUMS)
(cd "$stage" && chmod 644 "${files[@]}" && touch -d "@$SOURCE_DATE_EPOCH" "${files[@]}" &&
    zip -X -D -q "$work/$zip_name" "${files[@]}") || die "zip could not pack $zip_name"
touch -d "@$SOURCE_DATE_EPOCH" "$work/$zip_name"

mkdir -p "$dist"
cp -p "$work/$zip_name" "${files[@]/#/$stage/}" "$dist/"
(cd "$dist" && sha256sum -c --quiet SHA256SUMS) || die "the checksums in $dist/SHA256SUMS do not match"
# The zip's own checksum, for the download page: SHA256SUMS inside the zip
# checks what was unpacked, this one the download itself.
(cd "$dist" && sha256sum "$zip_name" >"$zip_name.sha256")

say "the two builds are the same; made $dist/$zip_name"
cat "$dist/$zip_name.sha256"
