// Times reading a host's question file of 100,000 rows, built in memory so that no disk is
// measured, against decoding the same bytes alone. Given the program, also times it from launch
// to refusing the same file from disk with one bad row at its end, against its --version.
// Given decks saved by a spreadsheet program too, times each the same two ways. Prints medians
// and worst cases in ms.
//   quolmar_bench_questions [PROGRAM [DECK...]]
#include "questions/QuestionFile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 25;

// As a spreadsheet exports it, every fourth row's fields quoted for the commas inside them.
QByteArray questionFile() {
    QByteArray bytes("Question,Answer\r\n");
    bytes.reserve(7 * 1024 * 1024);
    for (int i = 0; i < kRows; ++i) {
        const QByteArray n = QByteArray::number(i);
        if (i % 4 == 3)
            bytes += "\"Name the river, lake or sea numbered " + n + "\",\"Sea, " + n + "\"\r\n";
        else
            bytes +=
                "What is the capital of country number " + n + "?,The city numbered " + n + "\r\n";
    }
    return bytes;
}

void print(const char* what, std::vector<qint64>& ns) {
    std::sort(ns.begin(), ns.end());
    std::printf("%-22s median %6.1f ms  worst %6.1f ms  (%d runs)\n", what, ns[ns.size() / 2] / 1e6,
                ns.back() / 1e6, kRuns);
}

} // namespace

// The program read from disk, in turns with its --version: all but the last row read and kept.
int launches(const QString& program, const QString& path) {
    std::vector<qint64> version, refused;
    QElapsedTimer timer;
    for (int run = 0; run < kRuns; ++run)
        for (auto* times : {&version, &refused}) {
            QProcess p;
            timer.start();
            p.start(program, {times == &version ? QStringLiteral("--version") : path});
            if (!p.waitForFinished() || p.exitCode() != (times == &version ? 0 : 2))
                return 1;
            times->push_back(timer.nsecsElapsed());
        }
    print("program --version", version);
    print("program FILE, refused", refused);
    return 0;
}

// A deck a spreadsheet program saved, read in memory and by the program from disk.
int spreadsheet(const QString& program, const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray bytes = f.readAll();
    std::vector<qint64> parse;
    QElapsedTimer timer;
    questions::QuestionFile file;
    for (int run = 0; run < kRuns; ++run) {
        timer.start();
        file = questions::parse(bytes, path);
        parse.push_back(timer.nsecsElapsed());
    }
    std::printf("\n%s, %.2f MB: %s\n", qPrintable(path), bytes.size() / 1e6,
                qPrintable(questions::refusal(path, file)));
    print("questions::parse", parse);
    return launches(program, path);
}

int main(int argc, char* argv[]) {
    const QByteArray bytes = questionFile();
    std::vector<qint64> decode, parse;
    QElapsedTimer timer;
    qsizetype seen = 0; // used, so that neither call can be left out
    for (int run = 0; run < kRuns; ++run) {
        timer.start();
        seen += QString::fromUtf8(bytes).size();
        decode.push_back(timer.nsecsElapsed());
        timer.start();
        const questions::QuestionFile file = questions::parse(bytes);
        parse.push_back(timer.nsecsElapsed());
        if (file.questions.size() != kRows)
            return 1;
    }
    std::printf("%d rows, %.2f MB (%lld bytes)\n", kRows, bytes.size() / 1e6,
                static_cast<long long>(bytes.size()));
    print("QString::fromUtf8", decode);
    print("questions::parse", parse);
    if (argc < 2)
        return seen > 0 ? 0 : 1;
    const QString program = QString::fromLocal8Bit(argv[1]);
    QTemporaryFile file;
    if (!file.open() || file.write(bytes + ",an answer without a question\r\n") < 0 ||
        !file.flush() || launches(program, file.fileName()) != 0)
        return 1;
    for (int k = 2; k < argc; ++k)
        if (spreadsheet(program, QString::fromLocal8Bit(argv[k])) != 0)
            return 1;
    return 0;
}
