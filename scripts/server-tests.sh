#!/usr/bin/env bash
# Runs the programs that work on the store a second time, each test on its own schema of a
# scratch PostgreSQL cluster (scripts/pg-test-server.sh), and prints how many tests ran there.
# Needs a build with its tests (scripts/test.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

conninfo=$(scripts/pg-test-server.sh start 2>/tmp/overprint-pg-dir)
dir=$(cat /tmp/overprint-pg-dir)

# A test that hangs on a lock fails after a minute instead of holding the run.
export OVERPRINT_TEST_PG="$conninfo" QT_QPA_PLATFORM=offscreen OVERPRINT_DB_NOSYNC=1 \
       OVERPRINT_TEST_DATA="$PWD/tests/data" QTEST_DISABLE_STACK_DUMP=1 QTEST_FUNCTION_TIMEOUT=60000
# Every test makes its own schema, so the programs run side by side: the ones that print
# through the one cups-pdf queue one after another in the first lane (each test's page stays its
# own, as under ctest), every other program taken by whichever lane is free, the longest first.
# A lane mostly waits for the server's answers, so there is one lane more than cores.
printing=(e2e_tests batch_tests print_tests)
others=(core_tests cli_tests entry_tests masterdata_tests imports_tests templates_tests history_tests
        designer_tests recognition_tests users_tests upgrade_tests accounts_tests backup_tests)
programs=("${printing[@]}" "${others[@]}")
lanes=${OVERPRINT_TEST_LANES:-$(($(nproc) + 1))}
logs=$(mktemp -d)
trap 'rm -rf "$logs"; scripts/pg-test-server.sh stop "$dir"' EXIT
printf '%s\n' "${others[@]}" >"$logs/queue"
# The next program of the queue, taken under a lock; nothing when it is empty.
take() {
    flock "$logs/queue.lock" sh -c 'head -n 1 "$1"; sed -i 1d "$1"' take "$logs/queue"
}
run() {
    # An exception no test caught can leave the test library's abort handler spinning: the
    # program is stopped after a quarter of an hour rather than holding the run.
    local rc=0
    timeout -k 10 900 "build/tests/$1" >"$logs/$1.log" 2>&1 || rc=1
    echo $rc >"$logs/$1.rc"
}
lane() {
    local program
    for program in "$@"; do
        run "$program"
    done
    while program=$(take) && [ -n "$program" ]; do
        run "$program"
    done
}
lane "${printing[@]}" &
for ((i = 1; i < lanes; ++i)); do
    lane &
done
wait
failed=0
passed=0
skipped=0
for program in "${programs[@]}"; do
    log="$logs/$program.log"
    if [ "$(cat "$logs/$program.rc" 2>/dev/null)" != 0 ]; then
        failed=1
        grep -E '^FAIL!|^   Loc:' "$log" | head -40 >&2 || true
        echo "$program: failed on the server" >&2
    fi
    p=$(grep -c '^PASS' "$log" || true)
    s=$(grep -c '^SKIP' "$log" || true)
    echo "$program on the server: $p passed, $s skipped"
    passed=$((passed + p))
    skipped=$((skipped + s))
done
echo "on the server: $passed passed, $skipped skipped"
exit $failed
