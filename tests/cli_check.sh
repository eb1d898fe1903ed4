#!/usr/bin/env bash
# The command line: --help and --version answer without any display, a mistyped option is
# refused, Qt's own options go to Qt, --help names the screens a display has, and a question file
# that cannot serve is refused before any window.
# Usage: cli_check.sh PROGRAM VERSION
set -euo pipefail
exe=$1 version=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
run() { rc=0; err=$("$exe" "$@" 2>&1 >/dev/null) || rc=$?; }
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

out=$("$exe" --version) || fail "--version exited with $?"
[ "$out" = "quolmar $version" ] || fail "--version printed '$out'"
out=$("$exe" --help) || fail "--help exited with $?"
for option in --audience --questions --version --help; do
    grep -q -- "$option" <<<"$out" || fail "--help does not list $option: $out"
done
run --bogus
[ "$rc" -eq 2 ] && grep -qF "quolmar: unknown option '--bogus'" <<<"$err" || fail "--bogus: $rc, '$err'"

screens=$(mktemp "${TMPDIR:-/tmp}/quolmar-screens.XXXXXX")
trap 'rm -f "$screens"' EXIT
# A question file that cannot serve is refused before any window: one line, with its line and
# the name as it is, after a line for what was guessed.
printf 'question,answer\nCaf\xe9,"Here\n' >"$screens"
run "$screens"
[ "$rc" -eq 2 ] && [ "$err" = "quolmar: $screens: not UTF-8, read as Windows-1252
quolmar: $screens:2: a quote is left open" ] || fail "open quote: $rc, '$err'"
# A zip bomb: a spreadsheet of 300 MB of nothing.
python3 -c 'import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("mimetype", "application/vnd.oasis.opendocument.spreadsheet")
    with z.open("content.xml", "w") as w:
        for _ in range(300): w.write(bytes(1 << 20))' "$screens"
run --questions "$screens"
[ "$rc" -eq 2 ] && [ "$err" = "quolmar: $screens: inflates past 256 MB, too large for questions" ] ||
    fail "zip bomb: $rc, '$err'"
run --questions /dev/zero # a file without end
[ "$rc" -eq 2 ] && [[ $err == *"too large for questions" ]] || fail "/dev/zero: $rc, '$err'"
echo '{"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1280, "height": 800},
  {"name": "tv", "x": 1280, "y": 0, "width": 1920, "height": 1080}]}' >"$screens"
out=$("$exe" -platform "offscreen:configfile=$screens" --help) || fail "-platform: status $?"
grep -q "tv  *1920x1080 at 1280,0" <<<"$out" || fail "--help does not list the screens: $out"
