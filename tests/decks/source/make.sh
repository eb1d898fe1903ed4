#!/bin/sh
# Makes the decks in tests/decks from deck.fods with LibreOffice Calc. Run by hand, once: the
# tests read the files it made and never run soffice.
set -eu
src=$(cd "$(dirname "$0")" && pwd); out=$(dirname "$src"); tmp=$(mktemp -d)
lo() { # soffice now and then crashes on its way out; once more then
    soffice -env:UserInstallation="file://$tmp/profile" --headless "$@" >/dev/null 2>&1 ||
        soffice -env:UserInstallation="file://$tmp/profile" --headless "$@" >/dev/null 2>&1
}
ods() { lo --convert-to ods --outdir "$tmp" "$tmp/$1.fods"; }
csv() { # NAME SOURCE OPTIONS
    lo --convert-to "csv:Text - txt - csv (StarCalc):$3" --outdir "$tmp/csv" "$tmp/$2.ods"
    mv "$tmp/csv/$2.csv" "$out/$1"
}
# No thumbnail picture in the .ods files, which would be most of their size.
mkdir -p "$tmp/profile/user"
cat > "$tmp/profile/user/registrymodifications.xcu" <<'XCU'
<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry"><item oor:path="/org.openoffice.Office.Common/Save/Document"><prop oor:name="GenerateThumbnail" oor:op="fuse"><value>false</value></prop></item></oor:items>
XCU
cd "$tmp"
cp "$src/deck.fods" deck.fods
sed 's/Which Greek letter is Ω?/Which Greek letter comes last?/' deck.fods > latin.fods
sed '/<text:p>Question<\/text:p>/d' deck.fods > noheading.fods
sed 's|<table:table table:name="Deck">|<table:table table:name="Cover"><table:table-row><table:table-cell office:value-type="string"><text:p>Question</text:p></table:table-cell><table:table-cell office:value-type="string"><text:p>Answer</text:p></table:table-cell></table:table-row></table:table>&|' deck.fods > empty-sheet.fods
sed 's|<table:table-cell office:value-type="string"><text:p>What does "RSVP" stand for?</text:p></table:table-cell>|<table:table-cell/>|' deck.fods > answer-only.fods
# A background on column A down to the sheet's end: Calc then writes the blank rows as one
# row repeated a million times.
sed -e 's|<office:automatic-styles>|&<style:style style:name="ce1" style:family="table-cell" style:parent-style-name="Default"><style:table-cell-properties fo:background-color="#ffff99"/></style:style>|' \
    -e 's|</table:table></office:spreadsheet>|<table:table-row table:number-rows-repeated="1048000"><table:table-cell table:style-name="ce1"/></table:table-row>&|' deck.fods > repeated.fods
for f in deck latin noheading empty-sheet answer-only repeated; do ods $f; done
cp deck.ods empty-sheet.ods repeated.ods "$out/"
lo --convert-to 'xlsx:Calc MS Excel 2007 XML' deck.ods answer-only.ods
cp deck.xlsx answer-only.xlsx "$out/"
lo --convert-to 'xls:MS Excel 97' deck.ods && cp deck.xls "$out/old.xls"
csv comma-utf8.csv deck 44,34,76,1,,0,false,true,true
csv quoted-all.csv deck 44,34,76,1,,0,true,true,true
csv tab.tsv deck 9,34,76,1,,0,false,true,true
csv tab-noheading.txt noheading 9,34,76,1,,0,false,true,true
csv semicolon-1252.csv latin 59,34,ANSI,1,,0,false,true,true
csv utf16.txt deck 9,34,65535,1,,0,false,true,true
# This Calc (7.4) has no token for a byte-order mark and ends lines with LF on Linux: add the
# mark and CRLF row ends as Calc on Windows with the BOM token writes them; a line break inside
# a quoted cell stays LF.
csv semicolon.csv deck 59,34,76,1,,0,false,true,true
{ printf '\357\273\277'; awk 'BEGIN { ORS = "" } { q += gsub(/"/, "\""); print $0 (q % 2 ? "\n" : "\r\n") }' "$out/semicolon.csv"; } > "$out/semicolon-utf8-bom.csv"
rm "$out/semicolon.csv"
head -c $(($(stat -c %s deck.xlsx) / 2)) deck.xlsx > "$out/truncated.xlsx"
# Cut inside the quoted cell that holds a line break.
head -c $(($(grep -bo called "$out/comma-utf8.csv" | cut -d: -f1) + 7)) "$out/comma-utf8.csv" > "$out/truncated.csv"
soffice -env:UserInstallation="file://$tmp/profile" --headless --norestore --accept='pipe,name=decks;urp;' >/dev/null 2>&1 &
pid=$!
/usr/bin/python3 "$src/protect.py" "$tmp/deck.ods" "$out/protected.ods" calc8
/usr/bin/python3 "$src/protect.py" "$tmp/deck.ods" "$out/protected.xlsx" 'Calc MS Excel 2007 XML' --quit
wait $pid || true
rm -rf "$tmp"
