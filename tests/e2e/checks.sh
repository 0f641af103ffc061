# The checks the warblet-cli end-to-end scripts share; sourced after the script has set cli (the
# tool), work (its folder) and cli_args (what goes before every command, e.g. --data-dir DIR).
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run EXPECTED_STATUS COMMAND...: runs the tool, keeps its output in $out and its errors in $err;
# standard input is kept.
run() {
    local expected=$1 status=0
    shift
    out=$("$cli" "${cli_args[@]}" "$@" 2>"$work/err") || status=$?
    err=$(cat "$work/err")
    [ "$status" -eq "$expected" ] || fail "warblet-cli $* exited $status, expected $expected: $err"
}
expect_in() { grep -qF -- "$1" <<<"$2" || fail "expected '$1' in: ${2:0:300}"; }
lines() { [ -z "$1" ] && echo 0 || wc -l <<<"$1"; }

# finish MESSAGE: fails the script when a check failed, else says MESSAGE.
finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures failed"
        exit 1
    fi
    echo "$1"
}
