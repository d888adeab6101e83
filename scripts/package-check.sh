#!/usr/bin/env bash
# Builds the Debian package into build/package/ and tries it out: unpacks it into a scratch
# root, checks its file list and starts the unpacked program headless with --version.
# The build packages must be installed (scripts/setup.sh).
# Prints the path of the package on the last line.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ ! -f build/CMakeCache.txt ]; then
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
fi
# Only what the package holds: the tests are not needed for it.
cmake --build build -j"$(nproc)" --target overprint packaging_files
(cd build && cpack -B "$PWD/package" >/dev/null)
deb=$(ls -t build/package/overprint_*.deb | head -n 1)

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for path in usr/bin/overprint usr/share/overprint/schema.sql usr/share/doc/overprint/copyright \
            usr/share/applications/org.overprint.Overprint.desktop \
            usr/share/metainfo/org.overprint.Overprint.metainfo.xml \
            usr/share/mime/packages/org.overprint.Overprint.xml \
            usr/share/icons/hicolor/scalable/apps/org.overprint.Overprint.svg; do
    [ -e "$root/$path" ] || { echo "package lacks /$path" >&2; exit 1; }
done
# A program without --version starts, makes a user folder and ends at once through
# --quit-after-show; it runs on a scratch home, so the caller's own folder is never touched.
out=$(HOME="$root/home" XDG_DATA_HOME="$root/home/data" QT_QPA_PLATFORM=offscreen \
      timeout 60 "$root/usr/bin/overprint" --version --quit-after-show)
if grep -q '^shown ' <<<"$out"; then
    echo "the program has no --version yet (it started on a fresh user folder: $out)"
else
    version=$(sed -n 's/^project(overprint VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
    grep -q -- "$version" <<<"$out" || { echo "--version printed '$out', not $version" >&2; exit 1; }
    echo "$out"
fi
echo "$deb"
