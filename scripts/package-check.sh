#!/usr/bin/env bash
# Builds the Debian package into build/package/ and tries it out: unpacks it into a scratch
# root, checks its file list, runs the unpacked program headless (--version, a first start on a
# fresh user folder, a batch of orders printed to PDF) and checks the package with lintian and
# its desktop entry and metadata with their validators. Installs what it needs, when missing.
# Prints the path of the package on the last line.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh --package
# Only what the package holds, reusing the build of the test run when there is one: the tests
# are not needed for it, and cpack installs what is built without building anything
# (CMAKE_SKIP_INSTALL_ALL_DEPENDENCY in cmake/Packaging.cmake).
cmake --build build -j"$(nproc)" --target overprint packaging_files
(cd build && cpack -B "$PWD/package" >/dev/null)
deb=$(ls -t build/package/overprint_*.deb | head -n 1)

# What the program links or loads for scans and charts must come with the package: poppler,
# OpenCV and Qt Charts through dpkg-shlibdeps, Qt's TIFF reader named by hand.
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libpoppler-qt6 libopencv-core libopencv-imgproc libopencv-video libqt6charts6 qt6-image-formats-plugins; do
    grep -q "$needed" <<<"$depends" || { echo "the package does not depend on $needed: $depends" >&2; exit 1; }
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for path in usr/bin/overprint usr/share/overprint/schema.sql usr/share/doc/overprint/copyright \
            usr/share/applications/org.overprint.Overprint.desktop \
            usr/share/metainfo/org.overprint.Overprint.metainfo.xml \
            usr/share/mime/packages/org.overprint.Overprint.xml \
            usr/share/icons/hicolor/scalable/apps/org.overprint.Overprint.svg \
            usr/share/man/man1/overprint.1.gz; do
    [ -e "$root/$path" ] || { echo "package lacks /$path" >&2; exit 1; }
done
# The program reads its shipped data from the package's /usr/share/overprint, found beside its
# own executable: a mark put into the unpacked default settings must reach the new user folder.
mark="; package-check $$"
echo "$mark" >>"$root/usr/share/overprint/Config.ini"
# The unpacked program runs headless on a scratch home, so the caller's own folder is never
# touched: --version, then a first start that makes the user folder from the shipped data and
# prints the orders of a spreadsheet to PDF through the command line.
run() {
    HOME="$root/home" XDG_DATA_HOME="$root/home/data" QT_QPA_PLATFORM=offscreen \
        timeout 120 "$root/usr/bin/overprint" "$@"
}
version=$(sed -n 's/^project(overprint VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
out=$(run --version)
grep -q -- "$version" <<<"$out" || { echo "--version printed '$out', not $version" >&2; exit 1; }
echo "$out"
[ ! -e "$root/home/data/overprint" ] || { echo "--version made a user folder" >&2; exit 1; }
start=$(date +%s%N)
run notes >/dev/null
echo "first start, making the user folder: $(( ($(date +%s%N) - start) / 1000000 )) ms"
[ -f "$root/home/data/overprint/Config.ini" ] || { echo "no user folder after the first start" >&2; exit 1; }
grep -qxF -- "$mark" "$root/home/data/overprint/Config.ini" ||
    { echo "the user folder was not made from the package's /usr/share/overprint" >&2; exit 1; }
run batch --orders tests/data/sheets/orders.xlsx --details tests/data/sheets/order-details.xlsx \
    --pdf "$root/run.pdf" >/dev/null
pages=$(pdfinfo "$root/run.pdf" | sed -n 's/^Pages: *//p')
[ "${pages:-0}" -gt 0 ] || { echo "the installed program printed no page" >&2; exit 1; }
echo "printed $pages notes to PDF through the installed program"
desktop-file-validate "$root/usr/share/applications/org.overprint.Overprint.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.overprint.Overprint.metainfo.xml"
lintian --fail-on error "$deb"
echo "$deb"
