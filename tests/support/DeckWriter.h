#pragma once

// Decks written as a spreadsheet's CSV export writes them, random decks to write, and the
// smallest spreadsheets around a sheet of one's own.
#include "questions/QuestionFile.h"

#include <QRandomGenerator>
#include <algorithm>
#include <zip.h>

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
        const auto field = [&](const QString& text) {
            const QByteArray bytes = text.toUtf8();
            return quoted(text) ? '"' + QByteArray(bytes).replace('"', "\"\"") + '"' : bytes;
        };
        Deck rows = deck;
        if (heading)
            rows.prepend({u"Question"_s, u"Answer"_s});
        QByteArray out = bom ? "\xEF\xBB\xBF" : "";
        for (const questions::Question& q : rows)
            out += field(q.text) + (twoColumns(deck) ? separator + field(q.answer) : "") +
                   (crlf ? "\r\n" : "\n");
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

using Entries = QList<std::pair<const char*, QByteArray>>;

// A zip archive built in memory, its entries in order; the first stored, as ODF wants its
// mimetype, the rest compressed.
inline QByteArray zipped(const Entries& entries) {
    zip_error_t error;
    zip_source_t* source = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = zip_open_from_source(source, ZIP_TRUNCATE, &error);
    zip_source_keep(source);
    for (const auto& [name, data] : entries) {
        const zip_int64_t index = zip_file_add(
            archive, name, zip_source_buffer(archive, data.constData(), data.size(), 0), 0);
        zip_set_file_compression(archive, index, index == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 1);
    }
    QByteArray bytes;
    zip_stat_t stat;
    if (zip_close(archive) != 0) {
        zip_discard(archive);
    } else if (zip_source_open(source) == 0 && zip_source_stat(source, &stat) == 0) {
        bytes.resize(qsizetype(stat.size));
        bytes.resize(
            qsizetype(std::max<zip_int64_t>(0, zip_source_read(source, bytes.data(), stat.size))));
        zip_source_close(source);
    }
    zip_source_free(source);
    return bytes;
}

// A workbook around a sheet and its shared texts, as little as a reader needs.
inline QByteArray xlsx(const QByteArray& sheet, const QByteArray* strings) {
    const QByteArray ns = "http://schemas.openxmlformats.org/",
                     rel = "<Relationship Type=\"" + ns + "officeDocument/2006/relationships/";
    const auto rels = [&](const QByteArray& list) {
        return "<Relationships xmlns=\"" + ns + "package/2006/relationships\">" + list +
               "</Relationships>";
    };
    Entries entries = {
        {"[Content_Types].xml", "<Types xmlns=\"" + ns + "package/2006/content-types\"/>"},
        {"_rels/.rels", rels(rel + "officeDocument\" Id=\"rId1\" Target=\"xl/workbook.xml\"/>")},
        {"xl/workbook.xml", "<workbook xmlns=\"" + ns + "spreadsheetml/2006/main\" xmlns:r=\"" +
                                ns +
                                "officeDocument/2006/relationships\"><sheets><sheet name=\"Q\" "
                                "sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         rels(rel + "worksheet\" Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/>" + rel +
              "sharedStrings\" Id=\"rId2\" Target=\"sharedStrings.xml\"/>")},
        {"xl/worksheets/sheet1.xml", sheet}};
    if (strings != nullptr)
        entries.append({"xl/sharedStrings.xml", *strings});
    return zipped(entries);
}

// An OpenDocument spreadsheet around its content.
inline QByteArray ods(const QByteArray& content) {
    const QByteArray type = "application/vnd.oasis.opendocument.spreadsheet";
    return zipped({{"mimetype", type},
                   {"META-INF/manifest.xml",
                    "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:"
                    "manifest:1.0\"><manifest:file-entry manifest:full-path=\"/\" "
                    "manifest:media-type=\"" +
                        type + "\"/></manifest:manifest>"},
                   {"content.xml", content}});
}

} // namespace decks
