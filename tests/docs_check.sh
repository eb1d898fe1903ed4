#!/usr/bin/env bash
# The README and the manual page against the program: every option --help lists, every key of the
# game-control window's table, and every refusal of the question-file reader.
#   docs_check.sh QUOLMAR_EXECUTABLE SOURCE_DIR
set -euo pipefail
exe=$1 src=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
readme=$src/README.md page=$src/packaging/quolmar.6.scd

for option in $(env -u DISPLAY -u WAYLAND_DISPLAY "$exe" --help | grep -o -- '--[a-z]*' | sort -u); do
    grep -q -- "$option" "$readme" || fail "the README does not name $option"
    grep -q -- "\*$option" "$page" || fail "the manual page does not name $option"
done
for key in $(grep -o "{'[A-Z0-9]', When::" "$src/src/state/RoundEngine.cpp" | cut -c3); do
    grep -qE "^\| $key \|" "$readme" || fail "the README's key table lacks $key"
    grep -qE "^(\*[A-Z0-9]\*, )*\*$key\*" "$page" || fail "the manual page's KEYS lack $key"
done
# Notices (what was guessed) aside, every sentence the reader refuses a file with.
grep -ohE 'QStringLiteral\("[a-z][^"]* [^"]*"\)' "$src"/src/questions/{QuestionFile,Spreadsheet}.cpp |
    sed 's/^QStringLiteral("//; s/")$//' | grep -vE '^(not UTF-8|read with )' | sort -u |
    while read -r refusal; do
        pattern=$(sed 's/[].[*^$\\/]/\\&/g; s/%1/[0-9]+/g' <<<"$refusal")
        grep -qE "\`$pattern" "$readme" || fail "the README's list of refusals lacks '$refusal'"
    done
