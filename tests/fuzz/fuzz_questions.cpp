// The question file's reader on any bytes: the first byte, '0' to '3', says how the rest is used.
#include "questions/QuestionFile.h"
#include "support/Spreadsheets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size) - 1);
    const bool tsv = data[0] & 0x80;
    // For an .xlsx, the sheet ends at a NUL, which XML never holds; the shared strings follow.
    const qsizetype nul = rest.indexOf('\0');
    const QByteArray strings = rest.mid(nul + 1);
    switch (const int mode = uint8_t(data[0] - '0') % 4) {
    case 0: // text, or a whole file
    case 1:
        questions::parse(rest, mode == 1 ? "x.xlsx" : tsv ? "x.tsv" : "x.csv");
        break;
    case 2:
        questions::parse(decks::xlsx(rest.left(nul), nul < 0 ? nullptr : &strings), "x.xlsx");
        break;
    case 3:
        questions::parse(decks::ods(rest), "x.ods");
    }
    return 0;
}
