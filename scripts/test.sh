#!/usr/bin/env bash
# Builds everything and runs every test. Printing tests use a CUPS queue "BillPDF" backed by
# cups-pdf; this script starts cupsd and adds the queue when it can (the tests skip with the
# reason when it cannot).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --tests
scripts/cups-queue.sh || echo "note: no CUPS queue; printing tests will report SKIP"
cd build
ctest --output-on-failure -j2 "$@"
