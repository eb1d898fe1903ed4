// The question file's reader on any bytes: the first byte, '0' to '4', says how the rest is used.
#include "support/DeckWriter.h"

namespace {

// A deck from bytes: 0xFF ends a row, and any other byte is a piece of text or, past the last
// piece, the end of the question. Written, it must read back, unless no reader could tell it.
void roundTrip(const QByteArray& bytes, const decks::Writer& writer) {
    decks::Deck deck;
    for (const QByteArray& row : bytes.split('\xFF')) {
        questions::Question q;
        QString* field = &q.text;
        for (const char c : row)
            if (const int k = uchar(c) % int(decks::pieces.size() + 1); k < decks::pieces.size())
                *field += decks::pieces.at(k);
            else
                field = &q.answer;
        if (!(q.text = q.text.trimmed()).isEmpty())
            deck.append({q.text, q.answer.trimmed()});
    }
    if (!deck.isEmpty() && !writer.ambiguous(deck) &&
        questions::parse(writer.write(deck), writer.name()).questions != deck)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, qsizetype(size) - 1);
    const bool tsv = data[0] & 0x80;
    // For an .xlsx, the sheet ends at a NUL, which XML never holds; the shared strings follow.
    const qsizetype nul = rest.indexOf('\0');
    const QByteArray strings = rest.mid(nul + 1);
    switch (const int mode = uint8_t(data[0] - '0') % 5) {
    case 0: // text, or a whole file
    case 1:
        questions::parse(rest, mode == 1 ? "x.xlsx" : tsv ? "x.tsv" : "x.csv");
        break;
    case 2:
        questions::parse(decks::xlsx(rest.left(nul), nul < 0 ? nullptr : &strings), "x.xlsx");
        break;
    case 3:
        questions::parse(decks::ods(rest), "x.ods");
        break;
    case 4: // writer's choices, then the deck
        roundTrip(rest.mid(1), decks::Writer::from(uchar(rest[0])));
    }
    return 0;
}
