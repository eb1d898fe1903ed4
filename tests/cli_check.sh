#!/usr/bin/env bash
# The command line is answered before Qt starts, so it works without any display.
# Usage: cli_check.sh PROGRAM VERSION
set -euo pipefail
exe=$1 version=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

out=$("$exe" --version) || fail "--version exited with $?"
[ "$out" = "quolmar $version" ] || fail "--version printed '$out'"

out=$("$exe" --help) || fail "--help exited with $?"
grep -q -- '--version' <<<"$out" && grep -q -- '--help' <<<"$out" || fail "--help does not list the options: $out"

# Anything else, Qt's own options too, is refused with a hint and status 2.
for arg in --bogus -platform; do
    rc=0
    err=$("$exe" "$arg" offscreen 2>&1 >/dev/null) || rc=$?
    [ "$rc" -eq 2 ] || fail "$arg exited with $rc"
    grep -qF "quolmar: unknown option '$arg'" <<<"$err" && grep -qF -- '--help' <<<"$err" ||
        fail "$arg gave the message '$err'"
done
