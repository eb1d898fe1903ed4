#pragma once

#include "QuestionFile.h"

namespace questions {

// Keeps the rows that are questions by the same rules whatever the file: blank rows skipped,
// a first row headed "question" skipped, an answer without a question refused.
class Rows {
public:
    explicit Rows(bool sheet) { file_.sheet = sheet; }

    // False once the file is refused. A row given `times` over is kept as often (a spreadsheet
    // writes a run of equal rows once), up to as many rows as a sheet can hold.
    bool add(int line, QString text, QString answer, qint64 times = 1);
    QuestionFile& file() { return file_; }
    QuestionFile finish();

private:
    QuestionFile file_;
    bool first_ = true;
};

// What the first bytes of a file say it is.
enum class Container { Text, Zip, Compound };
Container containerOf(const QByteArray& bytes);

// The first sheet of an OpenDocument or Office Open XML spreadsheet, from the zip archive's bytes.
QuestionFile readSpreadsheet(const QByteArray& bytes);
// An old binary workbook, or a new one locked with a password, both in a compound file.
QuestionFile readCompound(const QByteArray& bytes);

} // namespace questions
