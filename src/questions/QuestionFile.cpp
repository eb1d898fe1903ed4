#include "questions/QuestionFile.h"

#include <QByteArrayView>
#include <QFile>
#include <cstring>

namespace questions {

namespace {

QuestionFile refused(const QString& error, int line) {
    QuestionFile file;
    file.error = error;
    file.line = line;
    return file;
}

// Where the first NUL or byte outside well-formed UTF-8 is, or -1. Overlong forms, surrogates
// and code points past U+10FFFF are refused as the decoder would replace them silently.
qsizetype firstBadByte(const uchar* p, qsizetype n) {
    constexpr quint64 ones = 0x0101010101010101, highs = 0x8080808080808080;
    for (qsizetype i = 0; i < n;) {
        quint64 word; // eight ASCII bytes, none of them NUL, at a time: the bulk of any file
        if (n - i >= 8 && (std::memcpy(&word, p + i, 8), ((word | (word - ones)) & highs) == 0)) {
            i += 8;
            continue;
        }
        const uchar c = p[i];
        if (c != 0 && c < 0x80) {
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

// The line a byte is on: LF, CRLF and a lone CR each end one.
int lineOf(const char* p, qsizetype offset) {
    int line = 1;
    for (qsizetype i = 0; i < offset; ++i)
        line += p[i] == '\r' || (p[i] == '\n' && (i == 0 || p[i - 1] != '\r'));
    return line;
}

// How often a byte occurs, for reserving the list; memchr is many times faster than a loop.
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

class Reader {
public:
    Reader(const char* text, qsizetype size) : s(text), n(size) {}

    QuestionFile read(qsizetype expected);

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
    void findSeparator();

    const char* s;
    qsizetype n;
    qsizetype i = 0;
    int line = 1;
    int openedOn = 0; // where the quote left open began
    char separator = ',';
};

QByteArrayView Reader::unquoted() {
    const qsizetype start = i;
    while (!atEnd())
        ++i;
    return QByteArrayView(s + start, s + i);
}

// From the opening quote to the end of the field; false when the quote is never closed.
bool Reader::quoted(QString* into) {
    openedOn = line;
    qsizetype start = ++i;
    const auto keep = [&] {
        if (into != nullptr)
            into->append(decoded(s + start, s + i));
    };
    while (i < n) {
        if (s[i] == '"') {
            if (i + 1 == n || s[i + 1] != '"')
                break;
            ++i; // the first of the pair is kept as the quote
            keep();
            start = ++i;
        } else if (atBreak()) {
            keep();
            if (into != nullptr)
                into->append(u'\n');
            skipBreak();
            start = i;
        } else {
            ++i;
        }
    }
    if (i == n)
        return false;
    keep();
    ++i;
    const QByteArrayView after = unquoted(); // kept, though spreadsheets never write any
    if (into != nullptr)
        *into = std::move(into->append(decoded(after.begin(), after.end()))).trimmed();
    return true;
}

// The number of fields in the row, the line break after it passed; -1 for a quote left open.
int Reader::row(QString* question, QString* answer) {
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

// The separator that splits the first row into the most fields, comma when none does.
void Reader::findSeparator() {
    while (i < n && atBreak())
        ++i;
    const qsizetype start = i;
    int most = 1;
    char best = ',';
    for (const char candidate : {',', ';', '\t'}) {
        separator = candidate;
        i = start;
        if (const int fields = row(nullptr, nullptr); fields > most) {
            most = fields;
            best = candidate;
        }
    }
    separator = best;
    i = 0;
    line = 1;
}

QuestionFile Reader::read(qsizetype expected) {
    QuestionFile file;
    file.questions.reserve(expected);
    findSeparator();
    bool first = true;
    while (i < n) {
        const int rowLine = line;
        Question q;
        if (row(&q.text, &q.answer) < 0)
            return refused(QStringLiteral("a quote is left open"), openedOn);
        if (q.text.isEmpty() && q.answer.isEmpty())
            continue;
        const bool heading = first && (q.text.compare(u"question", Qt::CaseInsensitive) == 0 ||
                                       q.text.compare(u"questions", Qt::CaseInsensitive) == 0);
        first = false;
        if (heading)
            continue;
        if (q.text.isEmpty())
            return refused(QStringLiteral("an answer without a question"), rowLine);
        file.questions.append(std::move(q));
    }
    if (file.questions.isEmpty())
        return refused(QStringLiteral("no questions in the file"), 0);
    return file;
}

} // namespace

QuestionFile parse(const QByteArray& bytes) {
    const qsizetype bom = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    const char* p = bytes.constData() + bom;
    const qsizetype n = bytes.size() - bom;
    if (const qsizetype bad = firstBadByte(reinterpret_cast<const uchar*>(p), n); bad >= 0)
        return refused(QStringLiteral("not UTF-8 text"), lineOf(p, bad));
    const qsizetype lf = occurrences(p, p + n, '\n'); // else rows end with a lone CR, or never
    return Reader(p, n).read((lf > 0 ? lf : occurrences(p, p + n, '\r')) + 1);
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
    return parse(bytes);
}

QString refusal(const QString& path, const QuestionFile& file) {
    if (file.line > 0)
        return QStringLiteral("%1:%2: %3").arg(path).arg(file.line).arg(file.error);
    return QStringLiteral("%1: %2").arg(path, file.error);
}

} // namespace questions
