#!/usr/bin/env bash
# Installs the Debian packages the build (and, with --tests, the test run) needs, when missing,
# then configures and builds into build/. With --package it installs what the build and the
# package check need and builds nothing (scripts/package-check.sh builds the program alone).
# Nothing is downloaded from anywhere but Debian.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ pkg-config qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql libgl-dev libsqlite3-dev libssl-dev
          libfreexl-dev libxlsxwriter-dev libzip-dev fonts-noto-cjk qt6-translations-l10n
          libpoppler-qt6-dev qt6-charts-dev libqt6opengl6-dev qt6-image-formats-plugins libopencv-core-dev libopencv-imgproc-dev libopencv-video-dev libcups2-dev)
if [ "${1:-}" = "--tests" ]; then
    packages+=(xvfb xauth poppler-utils cups cups-bsd printer-driver-cups-pdf)
    # The database tests run a second time against a scratch PostgreSQL server (citext is in its contrib part).
    packages+=(postgresql postgresql-contrib)
    # The readers' fuzzers (tests/fuzz, scripts/fuzz.sh) need clang with its sanitizer runtimes.
    packages+=(clang libclang-rt-14-dev)
fi
if [ "${1:-}" = "--package" ]; then
    packages+=(dpkg-dev file lintian poppler-utils desktop-file-utils appstream)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

launcher=()
# A developer machine with ccache shares compiled objects between checkouts; CI has none and builds plainly.
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
[ "${1:-}" = "--package" ] && exit 0
cmake --build build -j"$(nproc)"
