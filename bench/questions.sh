#!/usr/bin/env bash
# Times reading decks as a spreadsheet program saves them: 1,000 and 100,000 rows, each ending in
# an answer without a question, made once as CSV and saved by LibreOffice Calc as .ods and .xlsx;
# then the program refuses each at its last row, against its --version.
#   bench/questions.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
command -v soffice >/dev/null || "$root/scripts/setup.sh" libreoffice-calc-nogui
cmake --build "$build" --target quolmar quolmar_bench_questions >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for rows in 1000 100000; do
    awk -v n="$rows" 'BEGIN {
        print "Question,Answer"
        for (i = 0; i < n; i++)
            printf "\"In the atlas, what is the capital of country number %d?\",\"The city numbered %d\"\n", i, i
        print ",an answer without a question" }' >"$work/deck$rows.csv"
    for to in ods xlsx; do
        soffice --headless -env:UserInstallation=file://$work/profile --infilter=CSV:44,34,76,1 \
            --convert-to $to --outdir "$work" "$work/deck$rows.csv" >/dev/null 2>&1
    done
done
"$build/bench/quolmar_bench_questions" "$build/quolmar" "$work"/deck1000.{ods,xlsx} "$work"/deck100000.{ods,xlsx}
