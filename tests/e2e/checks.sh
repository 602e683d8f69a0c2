# The counting of checks, shared by every end-to-end script: each check passes
# or fails with its description, and finish reports and sets the exit status.
# check returns the status of what it checked, so `check ... || return` stops
# a sequence whose later steps would only fail for the same reason.
PASSED=0
FAILED=0

fail() { echo "FAIL: $*" >&2; FAILED=$((FAILED + 1)); return 1; }
pass() { PASSED=$((PASSED + 1)); return 0; }
check() {  # check "description" command...
    local what=$1; shift
    if "$@"; then pass; else fail "$what"; fi
}
# skip "reason": the script cannot run here; ctest reports it as skipped.
skip() { echo "skipped: $*"; exit 77; }
finish() {
    echo "$PASSED passed, $FAILED failed"
    [ "$FAILED" -eq 0 ] && [ "$PASSED" -gt 0 ]
}
