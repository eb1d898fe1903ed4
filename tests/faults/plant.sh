#!/usr/bin/env bash
# Plants the faults of a list one at a time in a clean copy of the sources, builds, runs every
# C++ test program in full, and names the test functions that catch each fault. Not part of CI.
#   tests/faults/plant.sh FAULTS [REV]   (REV defaults to HEAD)
# One fault a line, "file @@ text @@ replacement" (# starts a comment; \n is a line break); the
# text must occur in the file, and only its first occurrence is replaced.
set -euo pipefail
faults=$(realpath "${1:?usage: plant.sh FAULTS [REV]}")
cd "$(dirname "$0")/../.."
copy=$(mktemp -d /tmp/quolmar-faults.XXXXXX)
trap 'git worktree remove --force "$copy" >/dev/null 2>&1 || rm -rf "$copy"' EXIT
git worktree add --detach "$copy" "${2:-HEAD}" >/dev/null 2>&1
build=$copy/build
export QT_QPA_PLATFORM=offscreen
cmake -S "$copy" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQUOLMAR_TESTS=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" >/dev/null
# What fails in every test program, "" when all pass.
failing() {
    local t out found=""
    for t in "$build"/tst_*; do
        [[ -f "$t" && -x "$t" ]] || continue
        out=$(cd "$build" && timeout 900 "$t" 2>&1) && continue
        found+=$(grep -oE '^FAIL!  : [A-Za-z]+::[A-Za-z_]+' <<<"$out" | sed 's/.*: //' | sort -u | tr '\n' ' ')
        grep -q '^FAIL!' <<<"$out" || found+="${t##*/}(crashed) "
    done
    echo "$found"
}
[ -z "$(failing)" ] || { echo "the tests fail without a fault" >&2; exit 1; }

caught=0 missed=0 broken=0
while IFS= read -r line; do
    [[ -z "$line" || "$line" == \#* ]] && continue
    file=${line%% @@ *}
    cp "$copy/$file" "$copy/$file.orig"
    python3 -c 'import re, sys
path, line = sys.argv[1:]
_, old, new = (p.replace("\\n", "\n") for p in re.split(r" @@ ?", line.rstrip("\n")))
source = open(path).read()
if old not in source:
    sys.exit(f"the list is out of date: not in {path}: {old}")
open(path, "w").write(source.replace(old, new, 1))' "$copy/$file" "$line"
    if ! cmake --build "$build" --parallel "$(nproc)" >/dev/null 2>&1; then
        result="does not build" broken=$((broken + 1))
    elif found=$(failing) && [ -z "$found" ]; then
        result="MISSED" missed=$((missed + 1))
    else
        result="caught by $found" caught=$((caught + 1))
    fi
    mv "$copy/$file.orig" "$copy/$file"
    touch "$copy/$file" # newer than the objects built with the fault, so the next build drops it
    printf '%-28s %-44.44s %s\n' "$file" "$(cut -d@ -f3 <<<"$line")" "$result"
done <"$faults"
echo "caught $caught of $((caught + missed)) faults that build ($broken do not build)"
