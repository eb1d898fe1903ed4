// Decks as a real spreadsheet program saves them (made once with LibreOffice Calc, see
// README.md): every format the host may bring, read to the same questions or refused in a line.
#include "questions/QuestionFile.h"

#include <QTest>

class TestDecks : public QObject {
    Q_OBJECT

private slots:
    void decks_data() {
        using namespace Qt::StringLiterals;
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("read"); // "{note}question=answer|..." or the refusal
        // Two numeric cells, a line break, leading spaces, part bold, a blank row in the middle.
        const QString deck = u"In music, how many lines make up a standard staff?=Five|"
                             u"Pi to two places, as written in Berlin?=3,14; roughly|"
                             u"What does \"RSVP\" stand for?=Répondez s'il vous plaît|"
                             u"How many days are in a leap year?=366|"
                             u"What is pi to two decimal places?=3.14|"
                             u"Which planet is called\nthe Red Planet?=Mars|"
                             u"Which city is München in English?=Munich|"
                             u"What is \"year\" in Spanish?=año|"
                             u"Which Greek letter is Ω?=Omega|"
                             u"Who painted the Mona Lisa?="_s;
        const auto row = [](const char* name, const QString& read) {
            QTest::newRow(name) << QString::fromLatin1(name) << read;
        };
        for (const char* name :
             {"deck.ods", "deck.xlsx", "repeated.ods", "comma-utf8.csv", "semicolon-utf8-bom.csv",
              "tab.tsv", "tab-noheading.txt", "quoted-all.csv", "utf16.txt"})
            row(name, deck);
        row("semicolon-1252.csv", u"{f: not UTF-8, read as Windows-1252}"_s +
                                      QString(deck).replace(u"is Ω?"_s, u"comes last?"_s));
        row("truncated.csv", u"f:8: a quote is left open"_s);
        row("old.xls", u"f: an old binary .xls workbook; save it as .xlsx, .ods or CSV"_s);
        row("protected.ods", u"f: protected by a password; save it without one"_s);
        row("protected.xlsx", u"f: protected by a password; save it without one"_s);
        row("truncated.xlsx", u"f: a damaged or incomplete archive; save the spreadsheet again"_s);
        row("empty-sheet.ods", u"f: no questions in the first sheet"_s);
        row("answer-only.xlsx", u"f: row 4: an answer without a question"_s);
    }

    void decks() {
        QFETCH(QString, name);
        const questions::QuestionFile file =
            questions::read(QStringLiteral(QUOLMAR_DECKS "/") + name);
        QStringList read;
        for (const questions::Question& q : file.questions)
            read << q.text + u'=' + q.answer;
        const QStringList notes = questions::notices(QStringLiteral("f"), file);
        QTEST((notes.isEmpty() ? QString() : u'{' + notes.join(u"}{") + u'}') +
                  (file.ok() ? read.join(u'|') : questions::refusal(QStringLiteral("f"), file)),
              "read");
    }
};

QTEST_APPLESS_MAIN(TestDecks)
#include "tst_decks.moc"
