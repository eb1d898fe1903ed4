#include "questions/QuestionFile.h"

#include "questions/Spreadsheet.h"

#include <QByteArrayView>
#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cstring>
#include <map>

namespace questions {

namespace {

QuestionFile refused(const QString& error, int line) {
    QuestionFile file;
    file.error = error;
    file.line = line;
    return file;
}

// Where the first byte outside well-formed UTF-8 is, or -1. Overlong forms, surrogates and code
// points past U+10FFFF count as outside, as the decoder would replace them silently.
qsizetype firstBadByte(const uchar* p, qsizetype n) {
    constexpr quint64 highs = 0x8080808080808080;
    for (qsizetype i = 0; i < n;) {
        quint64 word; // eight ASCII bytes at a time: the bulk of any file
        if (n - i >= 8 && (std::memcpy(&word, p + i, 8), (word & highs) == 0)) {
            i += 8;
            continue;
        }
        const uchar c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        const int length = c >= 0xC2 && c <= 0xDF   ? 2
                           : c >= 0xE0 && c <= 0xEF ? 3
                           : c >= 0xF0 && c <= 0xF4 ? 4
                                                    : 0;
        if (length == 0 || n - i < length)
            return i;
        const uchar low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
        const uchar high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
        if (p[i + 1] < low || p[i + 1] > high)
            return i;
        for (int k = 2; k < length; ++k)
            if ((p[i + k] & 0xC0) != 0x80)
                return i;
        i += length;
    }
    return -1;
}

// Windows-1252 as UTF-8: the plain CSV that Windows spreadsheets save in Western locales. Its
// five unassigned bytes become the control characters of the same number, as Windows does.
QByteArray fromWindows1252(QByteArrayView bytes) {
    static constexpr std::array<char16_t, 32> high{
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (const char c : bytes) {
        const uchar b = uchar(c);
        *out++ = b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char16_t(b);
    }
    return text.toUtf8();
}

// The line a byte is on: LF, CRLF and a lone CR each end one.
int lineOf(const char* p, qsizetype offset) {
    int line = 1;
    for (qsizetype i = 0; i < offset; ++i)
        line += p[i] == '\r' || (p[i] == '\n' && (i == 0 || p[i - 1] != '\r'));
    return line;
}

// How often a byte occurs; memchr is many times faster than a loop.
qsizetype occurrences(const char* p, const char* end, char c) {
    qsizetype count = 0;
    for (; (p = static_cast<const char*>(std::memchr(p, c, end - p))) != nullptr; ++p)
        ++count;
    return count;
}

bool isPadding(char c, char separator) {
    return (c == ' ' || c == '\t') && c != separator;
}

// The separators, quotes and line breaks are ASCII, which never occurs inside a multi-byte
// character: the bytes are read as they are, and only the fields kept are decoded.
QString decoded(const char* from, const char* to) {
    return QString::fromUtf8(from, to - from);
}

constexpr std::array<char, 3> kSeparators{'\t', ';', ','}; // the first wins a tie
constexpr int kSampleRows = 100;

const char* separatorName(char c) {
    return c == '\t' ? "tabs" : c == ';' ? "semicolons" : "commas";
}

// How well a separator splits the first rows of a file.
struct Fit {
    char separator = ',';
    int rows = 0;        // rows sampled, blank ones left out
    int matching = 0;    // of those, the rows with the most common number of fields
    int fields = 0;      // that number
    int unexplained = 0; // fields that a writer using this separator would have quoted otherwise
    bool usable() const { return fields >= 2; }
    // More rows alike first, then fewer quotes left unexplained.
    int compare(const Fit& o) const {
        const qint64 a = qint64(matching) * o.rows, b = qint64(o.matching) * rows;
        if (a != b)
            return a > b ? 1 : -1;
        return o.unexplained - unexplained;
    }
};

class Reader {
public:
    Reader(const char* text, qsizetype size) : s(text), n(size) {}

    void setSeparator(char c) { separator = c; }
    Fit fit(char candidate);
    QuestionFile read();

private:
    bool atBreak() const { return s[i] == '\n' || s[i] == '\r'; }
    bool atEnd() const { return i == n || s[i] == separator || atBreak(); }
    void skipBreak() {
        i += s[i] == '\r' && i + 1 < n && s[i + 1] == '\n' ? 2 : 1;
        ++line;
    }
    QByteArrayView unquoted();
    bool quoted(QString* into);
    int row(QString* question, QString* answer);

    const char* s;
    qsizetype n;
    qsizetype i = 0;
    int line = 1;
    int openedOn = 0; // where the quote left open began
    char separator = ',';
    // What the last row showed of its separator, while finding it.
    bool finding = false;
    bool blank = true;
    bool stray = false;  // text after a closing quote, which no writer puts there
    int unexplained = 0; // fields quoted without need, or holding a quote without quotes
};

QByteArrayView Reader::unquoted() {
    const qsizetype start = i;
    while (!atEnd())
        ++i;
    const QByteArrayView field(s + start, s + i);
    if (finding) {
        blank = blank && std::all_of(field.begin(), field.end(),
                                     [this](char c) { return isPadding(c, separator); });
        unexplained += field.contains('"'); // a writer quotes a field that holds a quote
    }
    return field;
}

// From the opening quote to the end of the field; false when the quote is never closed.
bool Reader::quoted(QString* into) {
    openedOn = line;
    qsizetype start = ++i;
    const qsizetype opened = start;
    bool needed = false;
    const auto keep = [&] {
        if (into != nullptr)
            into->append(decoded(s + start, s + i));
    };
    while (i < n) {
        if (s[i] == '"') {
            if (i + 1 == n || s[i + 1] != '"')
                break;
            needed = true;
            ++i; // the first of the pair is kept as the quote
            keep();
            start = ++i;
        } else if (atBreak()) {
            needed = true;
            keep();
            if (into != nullptr)
                into->append(u'\n');
            skipBreak();
            start = i;
        } else {
            needed = needed || s[i] == separator;
            ++i;
        }
    }
    if (i == n)
        return false;
    blank = blank && i == opened;
    unexplained += !needed;
    keep();
    ++i;
    const QByteArrayView after = unquoted(); // kept, though spreadsheets never write any
    stray = stray || std::any_of(after.begin(), after.end(),
                                 [this](char c) { return !isPadding(c, separator); });
    if (into != nullptr)
        *into = std::move(into->append(decoded(after.begin(), after.end()))).trimmed();
    return true;
}

// The number of fields in the row, the line break after it passed; -1 for a quote left open.
int Reader::row(QString* question, QString* answer) {
    blank = true;
    stray = false;
    for (int fields = 0;; ++fields) {
        QString* into = fields == 0 ? question : fields == 1 ? answer : nullptr;
        qsizetype first = i;
        while (first < n && isPadding(s[first], separator))
            ++first;
        if (first < n && s[first] == '"') {
            i = first;
            if (!quoted(into))
                return -1;
        } else if (const QByteArrayView text = unquoted(); into != nullptr) {
            *into = decoded(text.begin(), text.end()).trimmed();
        }
        if (i < n && s[i] == separator) {
            ++i;
            continue;
        }
        if (i < n)
            skipBreak();
        return fields + 1;
    }
}

// Splits the first rows with a candidate separator, counting fields outside quotes only.
Fit Reader::fit(char candidate) {
    separator = candidate;
    i = 0;
    line = 1;
    unexplained = 0;
    finding = true;
    Fit fit{.separator = candidate};
    std::map<int, int> counts; // rows by their number of fields
    while (i < n && fit.rows < kSampleRows) {
        const int fields = row(nullptr, nullptr);
        if (fields < 0)
            return Fit{.separator = candidate}; // a quote this separator leaves open
        if (blank)
            continue;
        ++fit.rows;
        if (!stray)
            ++counts[fields];
    }
    for (const auto& [fields, rows] : counts)
        if (rows >= fit.matching) { // the more fields of two numbers as common
            fit.matching = rows;
            fit.fields = fields;
        }
    fit.unexplained = unexplained;
    return fit;
}

QuestionFile Reader::read() {
    i = 0;
    line = 1;
    finding = false;
    Rows rows(false);
    // Reserved for the rows the file has room for, not one per line break: a file of nothing but
    // blank lines must not ask for a slot each.
    const qsizetype breaks = occurrences(s, s + n, '\n');
    rows.file().questions.reserve(
        std::min((breaks > 0 ? breaks : occurrences(s, s + n, '\r')) + 1, n / 32 + 1));
    while (i < n) {
        const int rowLine = line;
        QString text, answer;
        if (row(&text, &answer) < 0)
            return refused(QStringLiteral("a quote is left open"), openedOn);
        if (!rows.add(rowLine, std::move(text), std::move(answer)))
            break;
    }
    return rows.finish();
}

// The separator of a text file, with a note when two would split it equally well.
char findSeparator(Reader& reader, const QString& name, QStringList& notes) {
    if (name.endsWith(u".tsv", Qt::CaseInsensitive) || name.endsWith(u".tab", Qt::CaseInsensitive))
        return '\t';
    Fit best{.separator = ','}, second{.separator = ','};
    for (const char candidate : kSeparators) {
        const Fit fit = reader.fit(candidate);
        if (!fit.usable())
            continue;
        if (!best.usable() || fit.compare(best) > 0) {
            second = best;
            best = fit;
        } else if (!second.usable() || fit.compare(second) > 0) {
            second = fit;
        }
    }
    // A tab in a question is rare, a comma common: a tie with tabs goes to the tabs unsaid.
    if (best.usable() && second.usable() && best.compare(second) == 0 && best.separator != '\t')
        notes << QStringLiteral("read with %1 between the fields (%2 would fit as well)")
                     .arg(QLatin1String(separatorName(best.separator)),
                          QLatin1String(separatorName(second.separator)));
    return best.separator;
}

// Text in UTF-8, else UTF-16 with its byte-order mark, else Windows-1252; as UTF-8 bytes.
QuestionFile readText(const QByteArray& bytes, const QString& name) {
    QByteArray text = bytes;
    QStringList notes;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                          : QStringConverter::Utf16BE);
        text = QString(utf16(QByteArrayView(bytes).sliced(2))).toUtf8();
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        text = bytes.sliced(3);
    }
    const auto* p = reinterpret_cast<const uchar*>(text.constData());
    if (const char* nul = static_cast<const char*>(std::memchr(p, 0, text.size())))
        return refused(QStringLiteral("neither text nor a spreadsheet"),
                       lineOf(text.constData(), nul - text.constData()));
    if (firstBadByte(p, text.size()) >= 0) {
        text = fromWindows1252(text);
        notes << QStringLiteral("not UTF-8, read as Windows-1252");
    }
    Reader reader(text.constData(), text.size());
    reader.setSeparator(findSeparator(reader, name, notes));
    QuestionFile file = reader.read();
    file.notes = notes + file.notes;
    return file;
}

} // namespace

bool Rows::add(int line, QString text, QString answer, qint64 times) {
    // As many rows as a sheet can hold, however a file says it repeats them.
    constexpr qint64 most = 1 << 20;
    if (!file_.ok())
        return false;
    if (text.isEmpty() && answer.isEmpty())
        return true;
    const bool heading = first_ && (text.compare(u"question", Qt::CaseInsensitive) == 0 ||
                                    text.compare(u"questions", Qt::CaseInsensitive) == 0);
    first_ = false;
    if (heading && --times == 0)
        return true;
    if (text.isEmpty()) {
        file_.error = QStringLiteral("an answer without a question");
        file_.line = line;
    } else if (file_.questions.size() + times > most) {
        file_.error = QStringLiteral("more than %1 questions").arg(most);
        file_.line = line;
    } else {
        const Question q{std::move(text), std::move(answer)};
        for (qint64 k = 0; k < times; ++k)
            file_.questions.append(q);
        return true;
    }
    file_.questions.clear();
    return false;
}

QuestionFile Rows::finish() {
    if (file_.ok() && file_.questions.isEmpty())
        file_.error = file_.sheet ? QStringLiteral("no questions in the first sheet")
                                  : QStringLiteral("no questions in the file");
    return std::move(file_);
}

QuestionFile parse(const QByteArray& bytes, const QString& name) {
    switch (containerOf(bytes)) {
    case Container::Zip:
        return readSpreadsheet(bytes);
    case Container::Compound:
        return readCompound(bytes);
    case Container::Text:
        break;
    }
    return readText(bytes, name);
}

QuestionFile read(const QString& path) {
    // Far more than a night's questions; and a device such as /dev/zero never ends.
    constexpr qint64 largest = 256 * 1024 * 1024;
    QFile f(path);
    QByteArray bytes;
    if (f.open(QIODevice::ReadOnly))
        bytes = f.isSequential() ? f.read(largest + 1) : f.size() > largest ? "" : f.readAll();
    if (f.error() != QFileDevice::NoError)
        return refused(QStringLiteral("cannot be read: ") + f.errorString().toLower(), 0);
    if (bytes.size() > largest || (!f.isSequential() && f.size() > largest))
        return refused(QStringLiteral("larger than 256 MB, too large for questions"), 0);
    return parse(bytes, path);
}

// Put together piece by piece: a file's name may hold "%1" of its own.
QString refusal(const QString& path, const QuestionFile& file) {
    if (file.line > 0 && file.sheet)
        return path + QStringLiteral(": row ") + QString::number(file.line) + QStringLiteral(": ") +
               file.error;
    if (file.line > 0)
        return path + u':' + QString::number(file.line) + QStringLiteral(": ") + file.error;
    return path + QStringLiteral(": ") + file.error;
}

QStringList notices(const QString& path, const QuestionFile& file) {
    QStringList lines;
    for (const QString& note : file.notes)
        lines << path + QStringLiteral(": ") + note;
    return lines;
}

} // namespace questions
