#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace questions {

struct Question {
    QString text;
    QString answer; // empty when the row gave none
    bool operator==(const Question&) const = default;
};

// The host's questions as a spreadsheet saves them, or why the file cannot be used.
struct QuestionFile {
    QList<Question> questions;
    QString error; // empty when the file was read; else what is wrong, in a few words
    int line = 0;  // the line (or sheet row) the error was found on, 1 for the first; 0 for none
    bool sheet = false; // read as a spreadsheet, so that `line` is a row of its first sheet
    QStringList notes;  // what had to be guessed to read it, each a line for the host
    bool ok() const { return error.isEmpty(); }
};

// Reads a deck from its bytes: an OpenDocument or Office Open XML spreadsheet (known by its
// contents), else text in UTF-8, UTF-16 with its byte-order mark or Windows-1252, with comma,
// semicolon or tab between fields, found from the first rows (tab for a name ending in .tsv or
// .tab); CSV quoting; question first, answer second, other columns ignored; a heading row and
// blank rows skipped. `name` is the file's name, used for its suffix alone.
QuestionFile parse(const QByteArray& bytes, const QString& name = QString());
QuestionFile read(const QString& path);

// The one line the program prints when the file is refused: "FILE:LINE: what", "FILE: row N:
// what" for a spreadsheet, or "FILE: what".
QString refusal(const QString& path, const QuestionFile& file);

// The lines the program prints for what it guessed: "FILE: note" each.
QStringList notices(const QString& path, const QuestionFile& file);

} // namespace questions
