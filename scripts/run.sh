#!/usr/bin/env bash
# Builds the program and starts it on a program folder made from the shipped data (run/).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec build/src/app/overprint --home "$PWD/run" "$@"
