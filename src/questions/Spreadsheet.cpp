#include "questions/Spreadsheet.h"

#include <QDir>
#include <QXmlStreamReader>
#include <zip.h>

#include <atomic>
#include <charconv>
#include <climits>
#include <cmath>
#include <memory>
#include <optional>
#include <thread>

namespace questions {

namespace {

// Far more than any night's questions need; past it an archive is taken for a zip bomb.
constexpr qint64 kLargest = 256 * 1024 * 1024;

QString damaged() {
    return QStringLiteral("a damaged or incomplete archive; save the spreadsheet again");
}
QString locked() {
    return QStringLiteral("protected by a password; save it without one");
}

QuestionFile refused(const QString& error) {
    QuestionFile file;
    file.error = error;
    return file;
}

class Archive;

// An entry of an archive as a device that the XML reader pulls from, inflated as it is read: a
// sheet of a hundred thousand rows never lies whole in memory.
class Entry final : public QIODevice {
public:
    Entry(zip_file_t* file, Archive& archive) : file_(file), archive_(archive) {
        open(QIODevice::ReadOnly);
    }
    ~Entry() override {
        if (file_ != nullptr)
            zip_fclose(file_);
    }
    bool isSequential() const override { return true; }
    // False when the entry turned out damaged or too large; the archive's error says which.
    bool finish();

protected:
    qint64 readData(char* data, qint64 most) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    zip_file_t* file_;
    Archive& archive_;
};

// The entries of a zip archive held in memory, with a bound on all that they inflate to
// together, shared by the archives opened over the same bytes.
class Archive {
public:
    Archive(const QByteArray& bytes, std::atomic<qint64>& inflated) : inflated_(inflated) {
        zip_error_t error;
        zip_error_init(&error);
        if (zip_source_t* source = zip_source_buffer_create(
                bytes.constData(), zip_uint64_t(bytes.size()), 0, &error)) {
            zip_ = zip_open_from_source(source, ZIP_RDONLY, &error);
            if (zip_ == nullptr)
                zip_source_free(source);
        }
        zip_error_fini(&error);
        if (zip_ == nullptr)
            error_ = damaged();
    }
    ~Archive() {
        if (zip_ != nullptr)
            zip_discard(zip_);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    // Why the archive cannot serve; empty while it can.
    const QString& error() const { return error_; }
    bool has(const QString& name) const {
        return zip_ != nullptr && zip_name_locate(zip_, name.toUtf8().constData(), 0) >= 0;
    }
    // None when the entry is missing or the archive fails (then error() says why).
    std::unique_ptr<Entry> open(const QString& name);
    std::optional<QByteArray> entry(const QString& name) {
        const std::unique_ptr<Entry> e = open(name);
        if (!e)
            return std::nullopt;
        QByteArray bytes = e->readAll();
        return e->finish() ? std::optional(bytes) : std::nullopt;
    }

    // Keeps the first reason the archive cannot serve; false, for returning at once.
    bool fail(const QString& why) {
        if (error_.isEmpty())
            error_ = why;
        return false;
    }
    bool tooLarge() {
        return fail(QStringLiteral("inflates past 256 MB, too large for questions"));
    }

private:
    friend class Entry;

    zip_t* zip_ = nullptr;
    std::atomic<qint64>& inflated_;
    QString error_;
};

std::unique_ptr<Entry> Archive::open(const QString& name) {
    const zip_int64_t index =
        zip_ == nullptr ? -1 : zip_name_locate(zip_, name.toUtf8().constData(), 0);
    if (index < 0 || !error_.isEmpty())
        return nullptr;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(zip_, zip_uint64_t(index), 0, &stat) != 0)
        return fail(damaged()), nullptr;
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        return fail(locked()), nullptr;
    // The size the archive states may be a lie, so the bytes inflated are counted as well.
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(kLargest - inflated_))
        return tooLarge(), nullptr;
    zip_file_t* file = zip_fopen_index(zip_, zip_uint64_t(index), 0);
    if (file == nullptr)
        return fail(damaged()), nullptr;
    return std::make_unique<Entry>(file, *this);
}

qint64 Entry::readData(char* data, qint64 most) {
    const zip_int64_t got = zip_fread(file_, data, zip_uint64_t(most));
    if (got < 0)
        return archive_.fail(damaged()), -1;
    if ((archive_.inflated_ += got) > kLargest)
        return archive_.tooLarge(), -1;
    return got;
}

bool Entry::finish() {
    // A checksum that does not match shows only at the end of the entry, or on closing it.
    const bool closed = zip_fclose(file_) == 0;
    file_ = nullptr;
    return (closed || archive_.fail(damaged())) && archive_.error().isEmpty();
}

// A number stored as the computer holds it, written as a person would: 3.14,
// not 3.1400000000000001.
QString plainNumber(const QString& stored) {
    const QByteArray latin = stored.trimmed().toLatin1();
    double value = 0;
    const auto [end, ec] = std::from_chars(latin.cbegin(), latin.cend(), value);
    if (ec != std::errc() || end != latin.cend() || !std::isfinite(value))
        return stored;
    char out[32];
    const auto written = std::to_chars(out, out + sizeof out, value);
    return QString::fromLatin1(out, written.ptr - out);
}

// Office Open XML writes characters that XML cannot carry as _xHHHH_, and a break as CR LF.
QString unescaped(QString text) {
    for (qsizetype at = 0; (at = text.indexOf(u"_x", at)) >= 0;) {
        bool ok = false;
        const uint code = at + 7 <= text.size() && text[at + 6] == u'_'
                              ? QStringView(text).sliced(at + 2, 4).toUInt(&ok, 16)
                              : 0;
        if (ok) {
            text.replace(at, 7, QChar(char16_t(code)));
            ++at;
        } else {
            at += 2;
        }
    }
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}

// The text of every <t> inside the element the reader stands on, phonetic guides left out.
QString runText(QXmlStreamReader& xml) {
    QString text;
    for (int depth = 1; depth > 0 && !xml.atEnd();) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (xml.name() == u"t")
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
            else if (xml.name() == u"rPh")
                xml.skipCurrentElement();
            else
                ++depth;
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return unescaped(text);
}

// A part's relationships: from each id and type, the part it names, as a path in the archive.
struct Relation {
    QString id, type, target;
};

QList<Relation> relations(Archive& archive, const QString& part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    const QString dir = part.left(slash + 1);
    const std::optional<QByteArray> bytes = archive.entry(
        dir + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels"));
    QList<Relation> out;
    if (!bytes)
        return out;
    for (QXmlStreamReader xml(*bytes); !xml.atEnd();) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"Relationship")
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        const QString target = a.value(QLatin1StringView("Target")).toString();
        out.append(
            Relation{a.value(QLatin1StringView("Id")).toString(),
                     a.value(QLatin1StringView("Type")).toString(),
                     QDir::cleanPath(target.startsWith(u'/') ? target.mid(1) : dir + target)});
    }
    return out;
}

QString relatedBy(const QList<Relation>& list, QStringView id, QStringView typeEnd) {
    for (const Relation& r : list)
        if (id.isEmpty() ? r.type.endsWith(typeEnd) : r.id == id)
            return r.target;
    return QString();
}

int columnOf(QStringView cell) {
    int column = 0;
    for (qsizetype k = 0; k < cell.size() && k < 4 && cell[k].isLetter(); ++k)
        column = column * 26 + (cell[k].toUpper().unicode() - u'A' + 1);
    return column;
}

// The texts that cells refer to by number, each kept as plain text.
QList<QString> sharedStrings(Archive& archive, const QString& path) {
    QList<QString> strings;
    const std::unique_ptr<Entry> entry = archive.open(path);
    if (!entry)
        return strings;
    QXmlStreamReader xml(entry.get());
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si")
            strings.append(runText(xml));
    if (!entry->finish() || xml.hasError())
        archive.fail(damaged());
    return strings;
}

// A row of the first two columns, its texts to be looked up once the shared ones are read.
struct SheetRow {
    int line;
    QString cells[2];
    qsizetype shared[2] = {-1, -1};
};

// The first sheet of an Office Open XML workbook. Its shared texts are read on a thread of their
// own meanwhile: both parts of a large workbook are of a size.
QuestionFile readWorkbook(Archive& archive, const QByteArray& bytes,
                          std::atomic<qint64>& inflated) {
    const QString workbook = relatedBy(relations(archive, QString()), {}, u"/officeDocument");
    const std::optional<QByteArray> book = archive.entry(workbook);
    if (!book)
        return refused(archive.error().isEmpty() ? damaged() : archive.error());
    QString sheetId;
    for (QXmlStreamReader xml(*book); !xml.atEnd() && sheetId.isEmpty();)
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"sheet")
            for (const QXmlStreamAttribute& a : xml.attributes())
                if (a.name() == u"id" && a.namespaceUri().endsWith(u"relationships"))
                    sheetId = a.value().toString();
    Rows rows(true);
    if (sheetId.isEmpty())
        return rows.finish();
    const QList<Relation> parts = relations(archive, workbook);
    const std::unique_ptr<Entry> sheet = archive.open(relatedBy(parts, sheetId, {}));
    if (!sheet)
        return refused(archive.error().isEmpty() ? damaged() : archive.error());
    QList<QString> strings;
    QString stringsError;
    std::jthread worker([&, path = relatedBy(parts, {}, u"/sharedStrings")] {
        if (path.isEmpty())
            return;
        Archive own(bytes, inflated);
        strings = sharedStrings(own, path);
        stringsError = own.error();
    });
    QList<SheetRow> kept;
    QXmlStreamReader xml(sheet.get());
    SheetRow row{0, {}, {-1, -1}};
    int column = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == u"row") {
            if (!row.cells[0].isEmpty() || !row.cells[1].isEmpty() || row.shared[0] >= 0 ||
                row.shared[1] >= 0)
                kept.append(row);
        } else if (token != QXmlStreamReader::StartElement) {
            continue;
        } else if (xml.name() == u"row") {
            bool ok = false;
            const int r = xml.attributes().value(QLatin1StringView("r")).toInt(&ok);
            row = SheetRow{ok && r > row.line ? r : row.line + 1, {}, {-1, -1}};
            column = 0;
        } else if (xml.name() == u"c") {
            const QXmlStreamAttributes a = xml.attributes();
            const int named = columnOf(a.value(QLatin1StringView("r")));
            column = named > 0 ? named : column + 1;
            if (column > 2) {
                xml.skipCurrentElement();
                continue;
            }
            const QStringView type = a.value(QLatin1StringView("t"));
            QString value, inlined;
            for (int depth = 1; depth > 0 && !xml.atEnd();) {
                const QXmlStreamReader::TokenType t = xml.readNext();
                if (t == QXmlStreamReader::EndElement)
                    --depth;
                else if (t != QXmlStreamReader::StartElement)
                    continue;
                else if (xml.name() == u"v")
                    value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                else if (xml.name() == u"is")
                    inlined = runText(xml);
                else
                    xml.skipCurrentElement();
            }
            bool ok = false;
            const qsizetype index = value.toLongLong(&ok);
            QString& cell = row.cells[column - 1];
            if (type == u"s")
                row.shared[column - 1] = ok && index >= 0 ? index : -1;
            else
                cell = type == u"inlineStr" ? inlined
                       : type == u"b"       ? QString::fromLatin1(value == u"1" ? "TRUE" : "FALSE")
                       : type.isEmpty() || type == u"n" ? plainNumber(value)
                                                        : unescaped(value);
        }
    }
    if (!sheet->finish() || xml.hasError())
        return refused(archive.error().isEmpty() ? damaged() : archive.error());
    worker.join();
    if (!stringsError.isEmpty())
        return refused(stringsError);
    for (SheetRow& r : kept) {
        for (int k = 0; k < 2; ++k)
            if (r.shared[k] >= 0 && r.shared[k] < strings.size())
                r.cells[k] = strings[r.shared[k]];
        if (!rows.add(r.line, r.cells[0].trimmed(), r.cells[1].trimmed()))
            break;
    }
    return rows.finish();
}

// OpenDocument's namespaces, by which its names are known whatever prefixes a file gives them.
constexpr QLatin1StringView odfTable("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
constexpr QLatin1StringView odfText("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
constexpr QLatin1StringView odfOffice("urn:oasis:names:tc:opendocument:xmlns:office:1.0");

// ODF collapses each run of white space in a paragraph to one space; text:s stands for more.
void appendCollapsed(QString& out, QStringView text) {
    const auto space = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; };
    qsizetype from = 0;
    for (qsizetype k = 0; k <= text.size(); ++k) {
        if (k < text.size() && !space(text[k]))
            continue;
        out.append(text.sliced(from, k - from)); // a run of other characters at once
        if (k < text.size() && !out.isEmpty() && !out.endsWith(u' '))
            out += u' ';
        from = k + 1;
    }
}

// A paragraph's text with its spans, spaces, tabs and line breaks; notes left out.
QString paragraph(QXmlStreamReader& xml) {
    QString text;
    for (int depth = 1; depth > 0 && !xml.atEnd();) {
        switch (xml.readNext()) {
        case QXmlStreamReader::Characters:
            appendCollapsed(text, xml.text());
            break;
        case QXmlStreamReader::StartElement:
            if (xml.name() == u"s") {
                bool ok = false;
                const int count =
                    xml.attributes().value(odfText, QLatin1StringView("c")).toInt(&ok);
                text += QString(ok ? std::clamp(count, 1, 1000) : 1, u' ');
            } else if (xml.name() == u"tab") {
                text += u'\t';
            } else if (xml.name() == u"line-break") {
                text += u'\n';
            } else if (xml.name() == u"annotation" || xml.name() == u"note") {
                xml.skipCurrentElement();
                break;
            } else {
                ++depth;
                break;
            }
            xml.skipCurrentElement();
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            break;
        default:
            break;
        }
    }
    return text;
}

// A cell's text as the spreadsheet shows it; its value where no text was stored.
QString cellText(QXmlStreamReader& xml) {
    const QXmlStreamAttributes a = xml.attributes();
    QStringList paragraphs;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"p" || xml.name() == u"h")
            paragraphs << paragraph(xml);
        else
            xml.skipCurrentElement();
    }
    if (!paragraphs.isEmpty())
        return paragraphs.join(u'\n');
    for (const char* name : {"string-value", "value", "date-value", "time-value", "boolean-value"})
        if (const QStringView value = a.value(odfOffice, QLatin1StringView(name)); !value.isNull())
            return value.toString();
    return QString();
}

qint64 repeats(const QXmlStreamAttributes& a, QLatin1StringView name) {
    bool ok = false;
    const qint64 n = a.value(odfTable, name).toLongLong(&ok);
    return ok && n > 0 ? n : 1;
}

// The first sheet of an OpenDocument spreadsheet. Rows and columns repeated in the file are
// counted, never laid out: files end with a million blank rows.
QuestionFile readOpenDocument(Archive& archive) {
    const std::unique_ptr<Entry> content = archive.open(QStringLiteral("content.xml"));
    if (!content)
        return refused(archive.error().isEmpty() ? damaged() : archive.error());
    QXmlStreamReader xml(content.get());
    Rows rows(true);
    while (!xml.atEnd() && !(xml.readNext() == QXmlStreamReader::StartElement &&
                             xml.name() == u"table" && xml.namespaceUri() == odfTable)) {
    }
    qint64 row = 1;
    for (int groups = 0; !xml.atEnd();) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && groups-- == 0)
            break; // the end of the first sheet
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        if (name == u"table-row-group" || name == u"table-header-rows" || name == u"table-rows") {
            ++groups;
            continue;
        }
        if (name != u"table-row") {
            xml.skipCurrentElement();
            continue;
        }
        const qint64 times = repeats(xml.attributes(), QLatin1StringView("number-rows-repeated"));
        QString cells[2];
        qint64 column = 0;
        while (xml.readNextStartElement()) {
            const qint64 span =
                repeats(xml.attributes(), QLatin1StringView("number-columns-repeated"));
            if (column < 2) {
                const QString text = cellText(xml).trimmed();
                for (qint64 k = column; k < std::min<qint64>(column + span, 2); ++k)
                    cells[k] = text;
            } else {
                xml.skipCurrentElement();
            }
            column += span;
        }
        if (!rows.add(int(std::min<qint64>(row, INT_MAX)), cells[0], cells[1], times))
            return rows.finish();
        row += times;
    }
    if (!content->finish() || xml.hasError())
        return refused(archive.error().isEmpty() ? damaged() : archive.error());
    return rows.finish();
}

} // namespace

Container containerOf(const QByteArray& bytes) {
    if (bytes.startsWith("PK\x03\x04") || bytes.startsWith("PK\x05\x06"))
        return Container::Zip;
    if (bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return Container::Compound;
    return Container::Text;
}

QuestionFile readSpreadsheet(const QByteArray& bytes) {
    std::atomic<qint64> inflated = 0;
    Archive archive(bytes, inflated);
    if (!archive.error().isEmpty())
        return refused(archive.error());
    const std::optional<QByteArray> type = archive.entry(QStringLiteral("mimetype"));
    if (!archive.error().isEmpty())
        return refused(archive.error());
    if (type ? type->contains("opendocument.spreadsheet")
             : archive.has(QStringLiteral("content.xml"))) {
        const std::optional<QByteArray> manifest =
            archive.entry(QStringLiteral("META-INF/manifest.xml"));
        if (manifest && manifest->contains("encryption-data"))
            return refused(locked());
        return readOpenDocument(archive);
    }
    if (!type && archive.has(QStringLiteral("_rels/.rels")))
        return readWorkbook(archive, bytes, inflated);
    return refused(QStringLiteral("a zip archive, but not a spreadsheet"));
}

QuestionFile readCompound(const QByteArray& bytes) {
    // The names of its streams, in UTF-16, tell a locked new workbook from an old one.
    const auto holds = [&](QStringView name) {
        return bytes.contains(
            QByteArrayView(reinterpret_cast<const char*>(name.utf16()), name.size() * 2));
    };
    if (holds(u"EncryptedPackage"))
        return refused(locked());
    if (holds(u"Workbook") || holds(u"Book"))
        return refused(
            QStringLiteral("an old binary .xls workbook; save it as .xlsx, .ods or CSV"));
    return refused(QStringLiteral("neither text nor a spreadsheet"));
}

} // namespace questions
