# Shared by the end-to-end scripts, sourced right after `exe=$1`: a work
# folder that goes at exit together with a program still running as $pid,
# PASS/FAIL bookkeeping, Windows paths and settings-file values.
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill -9 $pid 2>/dev/null; rm -rf "$work"' EXIT
failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() {  # DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
win() { winepath -w "$1" 2>/dev/null; }
ini_value() {  # FILE SECTION KEY
    tr -d '\r' <"$1" | awk -v s="[$2]" -v k="$3" '
        /^\[/ { in_s = ($0 == s); next }
        in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2); exit }'
}
