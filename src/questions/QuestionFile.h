#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace questions {

struct Question {
    QString text;
    QString answer; // empty when the row gave none
    bool operator==(const Question&) const = default;
};

// The host's questions as a spreadsheet exports them, or why the file cannot be used.
struct QuestionFile {
    QList<Question> questions;
    QString error; // empty when the file was read; else what is wrong, in a few words
    int line = 0;  // the line the error was found on, 1 for the first; 0 when no line applies
    bool ok() const { return error.isEmpty(); }
};

// Reads UTF-8 text (a byte-order mark allowed) with comma, semicolon or tab between fields, the
// separator found from the first row; CSV quoting; question first, answer second, other columns
// ignored; a heading row and blank rows skipped.
QuestionFile parse(const QByteArray& bytes);
QuestionFile read(const QString& path);

// The one line the program prints when the file is refused: "FILE:LINE: what", or "FILE: what".
QString refusal(const QString& path, const QuestionFile& file);

} // namespace questions
