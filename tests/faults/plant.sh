#!/usr/bin/env bash
# Plants the faults listed in tests/faults/game.txt one at a time in a clean copy of the sources,
# builds and runs the C++ tests, and counts the faults the tests catch. Not part of CI.
#   tests/faults/plant.sh [REV] [FAULTS]   (REV defaults to HEAD, FAULTS to tests/faults/game.txt)
# With PLANT_DETAIL=1 every test program runs in full and each fault lists the test functions
# that fail, instead of stopping at the first failing program.
# Each line of the list is "file @@ text @@ replacement" (# starts a comment line; \n in text or
# replacement is a line break); the text must occur in the file, and only its first occurrence
# is replaced.
set -euo pipefail
cd "$(dirname "$0")/../.."
rev=${1:-HEAD}
faults=$(realpath "${2:-tests/faults/game.txt}")
copy=$(mktemp -d /tmp/quolmar-faults.XXXXXX)
trap 'git worktree remove --force "$copy" >/dev/null 2>&1 || rm -rf "$copy"' EXIT
git worktree add --detach "$copy" "$rev" >/dev/null 2>&1
build=$copy/build
export QT_QPA_PLATFORM=offscreen
cmake -S "$copy" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQUOLMAR_TESTS=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" >/dev/null
# The shell checks of the installed program and of the desktops cannot see a rule's fault the C++
# tests miss.
only_cpp=(-E 'nowrite|_check|wayland')
ctest --test-dir "$build" "${only_cpp[@]}" >/dev/null || { echo "the tests fail without a fault" >&2; exit 1; }

caught=0 missed=0 broken=0
while IFS= read -r line; do
    [[ -z "$line" || "$line" == \#* ]] && continue
    file=${line%% @@ *}
    text=${line#* @@ }
    text=${text%% @@ *}
    cp "$copy/$file" "$copy/$file.orig"
    if ! python3 - "$copy/$file" "$line" <<'PY'; then
import re, sys
path, line = sys.argv[1:]
_, old, new = (p.replace("\\n", "\n") for p in re.split(r" @@ ?", line.rstrip("\n")))
source = open(path).read()
if old not in source:
    sys.exit(f"not found in {path}: {old}")
open(path, "w").write(source.replace(old, new, 1))
PY
        echo "error: the list is out of date" >&2
        exit 1
    fi
    if ! cmake --build "$build" --parallel "$(nproc)" >/dev/null 2>&1; then
        result="does not build"
        broken=$((broken + 1))
    elif [ -n "${PLANT_DETAIL:-}" ]; then
        # Every test function that fails, from every test program: which tests earn their lines.
        found=""
        for t in "$build"/tst_*; do
            [[ -f "$t" && -x "$t" ]] || continue
            out=$(cd "$build" && timeout 900 "$t" 2>&1) && rc=0 || rc=$?
            fails=$(grep -oE '^FAIL!  : [A-Za-z]+::[A-Za-z_]+' <<<"$out" | sed 's/.*: //' | sort -u | tr '\n' ' ' || true)
            [[ $rc -ne 0 && -z "$fails" ]] && fails="${t##*/}(exit $rc) "
            found+=$fails
        done
        if [ -z "$found" ]; then
            result="MISSED"
            missed=$((missed + 1))
        else
            result="caught by $found"
            caught=$((caught + 1))
        fi
    elif ctest --test-dir "$build" "${only_cpp[@]}" --parallel "$(nproc)" --stop-on-failure \
        >"$copy/ctest.log" 2>&1; then
        result="MISSED"
        missed=$((missed + 1))
    else
        result="caught by $(grep -oE '[0-9]+ - [a-z_]+' "$copy/ctest.log" | awk '{print $3}' | sort -u | tr '\n' ' ')"
        caught=$((caught + 1))
    fi
    mv "$copy/$file.orig" "$copy/$file"
    # Newer than the objects built with the fault, so the next build drops it.
    touch "$copy/$file"
    printf '%-28s %-44.44s %s\n' "$file" "$text" "$result"
done <"$faults"
echo "caught $caught of $((caught + missed)) faults that build ($broken do not build)"
