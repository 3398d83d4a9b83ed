# Shared by the tests of the scripts: each check counts, a failed one prints
# what differs, and test_summary ends the test with "N passed, N failed" and
# its exit status.
checks=0
failures=0

# expect CASE EXPECTED ACTUAL
expect() {
    checks=$((checks + 1))
    if [ "$2" != "$3" ]; then
        printf 'FAIL %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
        failures=$((failures + 1))
    fi
}

test_summary() {
    echo "$((checks - failures)) passed, $failures failed"
    [ "$failures" -eq 0 ]
}

# expect_same_files CASE EXPECTED_FILE ACTUAL_FILE: for outputs too long to
# print whole; a difference shows its first lines.
expect_same_files() {
    checks=$((checks + 1))
    if ! cmp -s "$2" "$3"; then
        printf 'FAIL %s\n' "$1"
        diff "$2" "$3" | head -n 10
        failures=$((failures + 1))
    fi
}
