#pragma once

// Decks written as a spreadsheet's CSV export writes them, and random decks to write.
#include "questions/QuestionFile.h"

#include <QRandomGenerator>
#include <algorithm>

namespace decks {

using namespace Qt::StringLiterals;

using Deck = QList<questions::Question>;

struct Writer {
    char separator = ',';
    bool quoteAll = false, heading = false, bom = false, crlf = false, tsvName = false;

    // Every choice once in each 96 numbers.
    static Writer from(unsigned bits) {
        const auto bit = [&](int n) { return bool(bits / 3 >> n & 1); };
        return {",;\t"[bits % 3], bit(0), bit(1), bit(2), bit(3), bit(4)};
    }
    QString name() const { return separator == '\t' && tsvName ? u"deck.tsv"_s : u"deck.csv"_s; }
    bool quoted(const QString& field) const {
        return quoteAll ? !field.isEmpty()
                        : field.contains(QChar(separator)) || field.contains(u'"') ||
                              field.contains(u'\n') || field.contains(u'\r');
    }
    // A spreadsheet writes the cells in use: a second column only when a cell of it holds text.
    bool twoColumns(const Deck& deck) const {
        return heading ||
               std::any_of(deck.cbegin(), deck.cend(), [](auto& q) { return !q.answer.isEmpty(); });
    }

    QByteArray write(const Deck& deck) const {
        const bool two = twoColumns(deck);
        QByteArray out = bom ? "\xEF\xBB\xBF" : "";
        const auto field = [&](const QString& text) {
            const QByteArray bytes = text.toUtf8();
            out += quoted(text) ? '"' + QByteArray(bytes).replace('"', "\"\"") + '"' : bytes;
        };
        const auto row = [&](const QString& question, const QString& answer) {
            field(question);
            if (two) {
                out += separator;
                field(answer);
            }
            out += crlf ? "\r\n" : "\n";
        };
        if (heading)
            row(u"Question"_s, u"Answer"_s);
        for (const questions::Question& q : deck)
            row(q.text, q.answer);
        return out;
    }

    // Bytes no reader can tell from another deck's, which random decks avoid: one column whose
    // unquoted questions hold a separator, as a file made by hand with answers in some rows would;
    // another separator unquoted equally often in every row, splitting the rows as evenly. A
    // heading, a .tsv name or quotes on all text settle it.
    bool ambiguous(const Deck& deck) const {
        if (quoteAll || heading || name().endsWith(u".tsv"))
            return false;
        for (const char other : {',', ';', '\t'}) {
            QList<qsizetype> counts;
            for (const questions::Question& q : deck)
                counts << (quoted(q.text) || quoted(q.answer)
                               ? 0
                               : q.text.count(QChar(other)) + q.answer.count(QChar(other)));
            if (!twoColumns(deck) && counts.count(0) < counts.size())
                return true;
            if (other != separator && counts.first() > 0 &&
                counts.count(counts.first()) == counts.size())
                return true;
        }
        return false;
    }
};

// Letters, digits, spaces, separators, quotes, line breaks, accented and non-Latin letters, one
// beyond 16 bits; too few letters to spell the heading the reader skips.
inline const QStringList pieces = {u"a"_s,  u"Z"_s,  u"7"_s, u" "_s, u","_s, u";"_s,  u"\t"_s,
                                   u"\""_s, u"\n"_s, u"é"_s, u"ß"_s, u"Ж"_s, u"中"_s, u"😀"_s};

// A field's ends are trimmed by the reader, so a field never starts or ends with white space.
inline QString randomField(QRandomGenerator& random) {
    QString text;
    for (int n = random.bounded(9); n > 0; --n)
        text += pieces.at(random.bounded(int(pieces.size())));
    return text.trimmed();
}

inline Deck randomDeck(QRandomGenerator& random, const Writer& writer) {
    Deck deck;
    do {
        deck.clear();
        const bool oneColumn = random.bounded(8) == 0;
        for (int n = random.bounded(1, 13); n > 0; --n) {
            const QString text = randomField(random);
            deck.append({text.isEmpty() ? u"a"_s : text,
                         oneColumn || random.bounded(4) == 0 ? QString() : randomField(random)});
        }
    } while (writer.ambiguous(deck));
    return deck;
}

} // namespace decks
