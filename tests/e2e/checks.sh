# The counting of checks, shared by every end-to-end script: each check passes
# or fails with its description, and finish reports and sets the exit status.
PASSED=0
FAILED=0

fail() { echo "FAIL: $*" >&2; FAILED=$((FAILED + 1)); }
pass() { PASSED=$((PASSED + 1)); }
check() {  # check "description" command...
    local what=$1; shift
    if "$@"; then pass; else fail "$what"; fi
}
finish() {
    echo "$PASSED passed, $FAILED failed"
    [ "$FAILED" -eq 0 ]
}
