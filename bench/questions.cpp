// Times reading a host's question file of 100,000 rows, built in memory so that no disk is
// measured, against decoding the same bytes alone. Given the program, also times it from launch
// to refusing the same file from disk with one bad row at its end, against its --version.
// Prints medians and worst cases in ms.
//   quolmar_bench_questions [PROGRAM]
#include "questions/QuestionFile.h"

#include <QElapsedTimer>
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
int launches(const QString& program, const QByteArray& bytes) {
    QTemporaryFile file;
    if (!file.open() || file.write(bytes + ",an answer without a question\r\n") < 0 ||
        !file.flush())
        return 1;
    std::vector<qint64> version, refused;
    QElapsedTimer timer;
    for (int run = 0; run < kRuns; ++run)
        for (auto* times : {&version, &refused}) {
            QProcess p;
            timer.start();
            p.start(program, {times == &version ? QStringLiteral("--version") : file.fileName()});
            if (!p.waitForFinished() || p.exitCode() != (times == &version ? 0 : 2))
                return 1;
            times->push_back(timer.nsecsElapsed());
        }
    print("program --version", version);
    print("program FILE, refused", refused);
    return 0;
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
    if (argc > 1 && launches(QString::fromLocal8Bit(argv[1]), bytes) != 0)
        return 1;
    return seen > 0 ? 0 : 1;
}
