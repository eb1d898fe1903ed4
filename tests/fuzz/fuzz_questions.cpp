// The question file's reader on any bytes: the first byte, '0' to '4', says how the rest is used.
#include "support/DeckWriter.h"

#include <zip.h>

namespace {

using Entries = QList<std::pair<const char*, QByteArray>>;

// A zip archive built in memory, its entries in order; the first stored, as ODF wants its
// mimetype, the rest compressed.
QByteArray zipped(const Entries& entries) {
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

QByteArray xlsx(const QByteArray& sheet, const QByteArray* strings) {
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

QByteArray ods(const QByteArray& content) {
    const QByteArray type = "application/vnd.oasis.opendocument.spreadsheet";
    return zipped({{"mimetype", type},
                   {"META-INF/manifest.xml",
                    "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:"
                    "manifest:1.0\"><manifest:file-entry manifest:full-path=\"/\" "
                    "manifest:media-type=\"" +
                        type + "\"/></manifest:manifest>"},
                   {"content.xml", content}});
}

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
        questions::parse(xlsx(rest.left(nul), nul < 0 ? nullptr : &strings), "x.xlsx");
        break;
    case 3:
        questions::parse(ods(rest), "x.ods");
        break;
    case 4: // writer's choices, then the deck
        roundTrip(rest.mid(1), decks::Writer::from(uchar(rest[0])));
    }
    return 0;
}
