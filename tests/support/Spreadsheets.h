#pragma once

// The smallest spreadsheets around a sheet of one's own, for what no saved deck holds and for
// the fuzzer to wrap its bytes in.
#include <QByteArray>
#include <QList>
#include <algorithm>
#include <utility>
#include <zip.h>

namespace decks {

using Entries = QList<std::pair<const char*, QByteArray>>;

// A zip archive built in memory, its entries in order.
inline QByteArray zipped(const Entries& entries) {
    zip_error_t error;
    zip_source_t* source = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* archive = zip_open_from_source(source, ZIP_TRUNCATE, &error);
    zip_source_keep(source);
    for (const auto& [name, data] : entries)
        zip_file_add(archive, name, zip_source_buffer(archive, data.constData(), data.size(), 0), 0);
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

// A workbook around a sheet and its shared texts, as little as the reader needs: the parts are
// found by their relationships, which are told apart by the ends of their types alone.
inline QByteArray xlsx(const QByteArray& sheet, const QByteArray* strings) {
    Entries entries = {
        {"_rels/.rels", "<Relationship Type=\"/officeDocument\" Target=\"book.xml\"/>"},
        {"book.xml", "<sheet xmlns:r=\"relationships\" r:id=\"s\"/>"},
        {"_rels/book.xml.rels", "<r><Relationship Id=\"s\" Target=\"sheet.xml\"/><Relationship "
                                "Type=\"/sharedStrings\" Target=\"strings.xml\"/></r>"},
        {"sheet.xml", sheet}};
    if (strings != nullptr)
        entries.append({"strings.xml", *strings});
    return zipped(entries);
}

// An OpenDocument spreadsheet around its content; without a mimetype, content.xml tells it.
inline QByteArray ods(const QByteArray& content) {
    return zipped({{"content.xml", content}});
}

} // namespace decks
