#!/usr/bin/env bash
# A longer fuzzing campaign of the readers: builds the libFuzzer programs with clang into
# build-fuzz/ and runs each for the given seconds (default 600), all at once, on a copy of the
# seed corpus grown under build-fuzz/corpus/. Findings land in build-fuzz/findings/<reader>/;
# add a fixed finding to tests/fuzz/corpus/<reader>/ so the test suite replays it from then on.
#   scripts/fuzz.sh [seconds] [reader...]     readers: xlsx ods csv ini xls_stream workbook package scan
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
readers=("$@")
[ ${#readers[@]} -eq 0 ] && readers=(xlsx ods csv ini xls_stream package scan)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DOVERPRINT_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${readers[@]/#/fuzz_}"

pids=()
for reader in "${readers[@]}"; do
    corpus=build-fuzz/corpus/$reader
    findings=build-fuzz/findings/$reader
    mkdir -p "$corpus" "$findings"
    cp -n tests/fuzz/corpus/"$reader"/* "$corpus"/ 2>/dev/null || true
    hostile=tests/data/hostile
    [ "$reader" = package ] && hostile=tests/data/packages
    QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 build-fuzz/tests/fuzz/fuzz_"$reader" "$corpus" "$hostile" \
        -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=10 -max_len=65536 \
        -artifact_prefix="$findings"/ -print_final_stats=1 >"build-fuzz/fuzz-$reader.log" 2>&1 &
    pids+=($!)
done
status=0
for i in "${!pids[@]}"; do
    wait "${pids[$i]}" || status=1
    reader=${readers[$i]}
    echo "$reader: $(grep -E '^#[0-9]+.*DONE|^#[0-9]+' "build-fuzz/fuzz-$reader.log" | tail -1)"
    grep -E 'stat::number_of_executed_units|ERROR|SUMMARY' "build-fuzz/fuzz-$reader.log" || true
done
exit $status
