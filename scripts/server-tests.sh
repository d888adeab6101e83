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
# Every test makes its own schema, so the programs run in two lanes, one per core: the ones that
# print through the one cups-pdf queue one after another in the first (each test's page stays
# its own, as under ctest), every other program in the second.
printing=(e2e_tests batch_tests print_tests)
others=(cli_tests entry_tests core_tests masterdata_tests history_tests accounts_tests templates_tests upgrade_tests
        users_tests imports_tests designer_tests recognition_tests)
programs=("${printing[@]}" "${others[@]}")
logs=$(mktemp -d)
trap 'rm -rf "$logs"; scripts/pg-test-server.sh stop "$dir"' EXIT
lane() {
    for program in "$@"; do
        # An exception no test caught can leave the test library's abort handler spinning: the
        # program is stopped after a quarter of an hour rather than holding the run.
        rc=0
        timeout -k 10 900 "build/tests/$program" >"$logs/$program.log" 2>&1 || rc=1
        echo $rc >"$logs/$program.rc"
    done
}
lane "${printing[@]}" &
lane "${others[@]}" &
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
