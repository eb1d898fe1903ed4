// The game's rules, free of any window: every format in the same tables.
#include "questions/QuestionFile.h"
#include "state/FinalEngine.h"
#include "state/GameFormat.h"
#include "state/RoundEngine.h"
#include "state/Rules.h"
#include "support/Spreadsheets.h"

#include <QSet>
#include <QTest>
#include <limits>

namespace {

// Plays a string of the host's keys through the round's rules: "S C*3 B" types S, three Cs and
// a B; "." is a tick of the clock, "Rn" sets the rounds played and "$n" the bank.
struct RoundDriver {
    explicit RoundDriver(int players) : f(*formats::byPlayers(players)), e(s, f) {}

    RoundChange key(QChar c) {
        if (c == u'.')
            return e.tick();
        const RoundEngine::KeyRow* row = e.rowFor(c);
        if (row != nullptr && row->rule != nullptr)
            return (e.*row->rule)();
        if (row != nullptr && row->action == RoundEngine::Action::StartRound && e.start())
            return e.play();
        return {};
    }
    RoundChange play(const QString& keys) {
        RoundChange last;
        for (const QString& token : keys.split(u' ', Qt::SkipEmptyParts)) {
            if (token.startsWith(u'R'))
                s.RoundNumber = token.mid(1).toInt();
            else if (token.startsWith(u'$'))
                s.RoundBank = token.mid(1).toLongLong();
            else
                for (int n = token.size() > 2 ? token.mid(2).toInt() : 1; n > 0; --n)
                    last = key(token.at(0));
        }
        return last;
    }

    GameState s;
    const GameFormat& f;
    RoundEngine e;
};

} // namespace

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void chainValues_data() {
        QTest::addColumn<int>("players");
        QTest::addColumn<QString>("bank");  // B at levels 0..top+1
        QTest::addColumn<QString>("lost");  // W
        QTest::addColumn<QString>("host");  // key 3
        QTest::addColumn<QString>("after"); // the round after the last: seconds, music, clip
        QTest::newRow("8") << 8 << "0 1000 2500 5000 10000 25000 50000 75000 125000 125000"
                           << "0 1000 2500 5000 10000 25000 50000 75000 125000 0"
                           << "0 1000 2500 5000 10000 25000 50000 75000 75000 75000"
                           << "80  startclock2.wav";
        QTest::newRow("9") << 9 << "0 20 50 100 200 300 450 600 800 1000 1000"
                           << "0 20 50 100 200 300 450 600 800 1000 0"
                           << "0 20 50 100 200 300 450 600 800 1000 1000"
                           << "100  startclock2.wav";
    }

    void chainValues() {
        QFETCH(int, players);
        const GameFormat& f = *formats::byPlayers(players);
        QStringList bank, lost, host;
        for (int level = 0; level <= f.top + 1; ++level) {
            bank << QString::number(rules::bankValue(f, level));
            lost << QString::number(rules::lostValue(f, level));
            host << QString::number(rules::hostBankValue(f, level));
        }
        QTEST(bank.join(u' '), "bank");
        QTEST(lost.join(u' '), "lost");
        QTEST(host.join(u' '), "host");
        const int after = f.lastRound + 1;
        QTEST(QStringList({QString::number(rules::clockSeconds(f, after)),
                           rules::musicFile(f, after), rules::startClockClip(f, after)})
                  .join(u' '),
              "after");
    }

    void scores_data() {
        QTest::addColumn<int>("players");
        QTest::addColumn<QList<int>>("stats"); // right answers, time used, banked, lost
        QTest::addColumn<qint64>("strength");  // who starts the next round
        QTest::addColumn<qint64>("finalist");  // who chooses in the final
        QTest::newRow("8: 2.5 rounds to even") << 8 << QList<int>{3, 20, 250, 0} << 2802LL << 402LL;
        QTest::newRow("6: 3.5 rounds up") << 6 << QList<int>{3, 20, 350, 0} << 3004LL << 404LL;
        QTest::newRow("9: losses below zero") << 9 << QList<int>{0, 5, 0, 1050} << -60LL << -60LL;
    }

    void scores() {
        QFETCH(int, players);
        QFETCH(QList<int>, stats);
        GameState s;
        s.RightAnswers[2] = stats[0];
        s.TimeUsed[2] = stats[1];
        s.MoneyBanked[2] = stats[2];
        s.MoneyLost[2] = stats[3];
        QTEST(qint64(rules::strengthScore(*formats::byPlayers(players), s, 2)), "strength");
        QTEST(qint64(rules::finalistScore(s, 2)), "finalist");
    }

    void startingPlayerAndTurns() {
        GameState s;
        s.RightAnswers[4] = 9; // ignored in round 1
        QCOMPARE(rules::startingPlayer(formats::eight, s, 1), 1);
        s.PlayerOut[1] = true; // left over from an earlier game: the first slot still in starts
        QCOMPARE(rules::startingPlayer(formats::eight, s, 1), 2);
        QCOMPARE(rules::startingPlayer(formats::eight, s, 2), 4);
        s.PlayerOut[4] = true;
        s.RightAnswers[6] = s.RightAnswers[3] = 2;
        QCOMPARE(rules::startingPlayer(formats::eight, s, 2), 3); // tie: the lower slot
        s.TimeUsed[3] = 5;
        QCOMPARE(rules::startingPlayer(formats::eight, s, 2), 6); // less time used wins
        QCOMPARE(rules::startingPlayer(formats::six, s, 2), 3);   // 6 players: time doesn't count
        s.RightAnswers[9] = 5;                                    // beyond the format
        QCOMPARE(rules::startingPlayer(formats::eight, s, 2), 6);
        QCOMPARE(rules::startingPlayer(formats::nine, s, 2), 9);
        // The turn skips players who are out and wraps from the last slot of the format.
        s.PlayerOut = {};
        s.PlayerOut[2] = s.PlayerOut[5] = true;
        QCOMPARE(rules::nextPlayer(formats::eight, s, 4), 6);
        QCOMPARE(rules::nextPlayer(formats::eight, s, 8), 1);
        QCOMPARE(rules::nextPlayer(formats::nine, s, 8), 9);
        for (int i = 1; i <= 9; ++i)
            s.PlayerOut[i] = i != 7;
        QCOMPARE(rules::nextPlayer(formats::nine, s, 7), 7); // alone: the turn stays
        QCOMPARE(rules::nextPlayer(formats::nine, s, 3), 7);
    }

    void goodbyeClipsCountersAndMoney() {
        QCOMPARE(rules::goodbyeClip(0.0), "vokwen1.wav");
        QCOMPARE(rules::goodbyeClip(0.999), "vokwen5.wav");
        QSet<QString> drawn;
        for (int i = 0; i < 300; ++i)
            drawn << rules::goodbyeClip();
        QCOMPARE(drawn.size(), 5); // each of the five, and only those
        int c = std::numeric_limits<int>::max() - 1;
        bump(c);
        bump(c);
        QCOMPARE(c, std::numeric_limits<int>::max()); // thousands of presses never wrap
        QCOMPARE(rules::money(-2500), "-$2,500");     // "$0" and the rest show in every window test
        QCOMPARE(rules::money(std::numeric_limits<qint64>::min()), "-$9,223,372,036,854,775,808");
    }

    void roundPlay_data() {
        QTest::addColumn<int>("players");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<qint64>("bank");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("current");
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("end"); // of the last key: 0 none, 1 time up, 2 target
        QTest::newRow("8 after the last")
            << 8 << "R7 S C*8 B" << 125000LL << 125000LL << 0 << 1 << false << 2;
        QTest::newRow("8 cut back")
            << 8 << "S $122000 C*3 B" << 125000LL << 125000LL << 0 << 4 << false << 2;
        QTest::newRow("9 bank at 0") << 9 << "S B" << 0LL << 0LL << 0 << 1 << true << 0;
        QTest::newRow("8 last time up")
            << 8 << "R6 S $40000 .*90" << 80000LL << 80000LL << 0 << 1 << false << 1;
        QTest::newRow("W before any round") << 8 << "W" << 0LL << 0LL << 0 << 0 << false << 0;
        QTest::newRow("W after time up")
            << 6 << "S C .*120 W" << 0LL << 0LL << 0 << 3 << false << 0;
        QTest::newRow("key 1 to the top") << 8 << "1*8" << 125000LL << 0LL << 8 << 0 << false << 0;
        QTest::newRow("key 3 cut back")
            << 8 << "$100000 1*9 3" << 125000LL << 0LL << 0 << 0 << false << 0;
        QTest::newRow("8 S in round 15") << 8 << "R14 S .*9" << 0LL << 0LL << 0 << 1 << true << 0;
        QTest::newRow("8 no S in 16") << 8 << "R15 $7 S" << 7LL << 0LL << 0 << 0 << false << 0;
    }

    void roundPlay() {
        QFETCH(int, players);
        QFETCH(QString, keys);
        RoundDriver d(players);
        const RoundChange last = d.play(keys);
        QTEST(qint64(d.s.RoundBank), "bank");
        QTEST(qint64(d.s.TotalBank), "total");
        QTEST(d.s.ChainLevel, "level");
        QTEST(d.s.CurrentPlayer, "current");
        QTEST(d.e.clockRunning(), "running");
        QTEST(int(last.end), "end");
        if (last.end == RoundEnd::TargetReached) // shown while the end is announced
            QCOMPARE(last.bankAtEnd, d.f.target);
    }

    void questionFile_data() {
        using namespace Qt::StringLiterals;
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("read"); // "{note}question=answer|..." or the refusal
        const auto row = [](const char* name, const QByteArray& bytes, const char* read,
                            const char* file = "f.csv") {
            QTest::newRow(name) << bytes << QString::fromUtf8(file) << QString::fromUtf8(read);
        };
        row("comma, CRLF, heading, blanks",
            "Question , Answer\r\n\r\n , ,\t\r\nq1, a1 ,x\r\nq2\r\n"_ba, "q1=a1|q2=");
        row("semicolon, quoted", "\"a,b,c\";\"\"\"d\"\"\" ;x\n"_ba, "a,b,c=\"d\"");
        row("tab, BOM, lone CR", "\xEF\xBB\xBF\"Questions\"\tx\rq 1\t\" a \"\rQuestion\tb"_ba,
            "q 1=a|Question=b");
        row("breaks in quotes", "\"x\r\ny\"\"\",\"1\n2\"\nz,b"_ba, "x\ny\"=1\n2|z=b");
        row("their lines count", "q,\"a\r\nb\"\r\n,c\n"_ba, "f:3: an answer without a question");
        row("a tie is told", "a,b;c\n"_ba,
            "{read with semicolons between the fields (commas would fit as well)}a,b=c");
        row("a tie with tabs is not", "a,b\tc\n"_ba, "a,b=c");
        // Split at the tab, the quotes would be left unexplained.
        row("a tab inside quotes", "a;\"b;\tc\"\n"_ba, "a=b;\tc");
        row("named .tsv", "a,b\tc\nd,e\n"_ba, "a,b=c|d,e=", "f.TSV");
        row("one column", "Who?\nWhen?\n"_ba, "Who?=|When?=");
        row("surrogate", "q,\xED\xA0\x80"_ba, "{not UTF-8, read as Windows-1252}q=í\u00A0€");
        row("UTF-16, big-endian", "\xFE\xFF\0q\0\t\x20\xAC"_ba, "q=€");
        row("NUL", "q,a\n\nq\0"_ba, "f:3: neither text nor a spreadsheet");
        row("empty", ""_ba, "f: no questions in the file");
        // What real files in tests/decks do not hold: numbers as another program stores them,
        // escapes, phonetic guides, cells without a place, repeats, notes, another prefix.
        const QByteArray sheet =
            "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\">"
            "<v>3.1400000000000001</v></c></row><row r=\"2\"><c t=\"inlineStr\"><is><r><t>Days"
            "</t></r><r><t xml:space=\"preserve\"> a year</t></r><rPh><t>x</t></rPh></is></c><c>"
            "<v>366.0</v></c></row><row><c t=\"str\"><v>A_x000D_\nB</v></c><c t=\"b\"><v>1</v>"
            "</c><c><v>9</v></c></row><row r=\"9\"><c r=\"A9\" t=\"s\"><v>1</v></c><c r=\"B9\">"
            "<v>1E-3</v></c></row>"_ba;
        const QByteArray shared = "<sst><si><t>Pi?</t></si><si><t>_x005F_x0041_</t></si></sst>";
        row("xlsx cells", decks::xlsx(sheet + "</sheetData></worksheet>", &shared),
            "Pi?=3.14|Days a year=366|A\nB=TRUE|_x0041_=0.001");
        row("xlsx row",
            decks::xlsx(sheet + "<row r=\"12\"><c r=\"B12\"><v>2</v></c></row>"
                                "</sheetData></worksheet>",
                        &shared),
            "f: row 12: an answer without a question");
        const QByteArray content =
            "<o:document-content xmlns:o=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
            "xmlns:t=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" xmlns:tb=\"urn:oasis:"
            "names:tc:opendocument:xmlns:table:1.0\"><o:body><o:spreadsheet><tb:table>"
            "<tb:table-column/><tb:table-header-rows><tb:table-row><tb:table-cell><t:p>Question"
            "</t:p></tb:table-cell></tb:table-row></tb:table-header-rows><tb:table-row "
            "tb:number-rows-repeated=\"2\"><tb:table-cell tb:number-columns-repeated=\"3\"><t:p>"
            "E<t:s t:c=\"2\"/>e  f</t:p></tb:table-cell></tb:table-row><tb:table-row><tb:table-cell"
            " o:value=\"42\"/><tb:table-cell><t:p>a<t:tab/>b<t:line-break/>c<o:annotation><t:p>n"
            "</t:p></o:annotation></t:p><t:p>d</t:p></tb:table-cell></tb:table-row><tb:table-row "
            "tb:number-rows-repeated=\"1000000\"><tb:table-cell/></tb:table-row>"_ba;
        const QByteArray end = "</tb:table><tb:table><tb:table-row><tb:table-cell><t:p>x</t:p>"
                               "</tb:table-cell></tb:table-row></tb:table></o:spreadsheet></o:body>"
                               "</o:document-content>";
        row("ods cells", decks::ods(content + end), "E  e f=E  e f|E  e f=E  e f|42=a\tb\nc\nd");
        row("ods row",
            decks::ods(content +
                       "<tb:table-row><tb:table-cell/><tb:table-cell><t:p>y"
                       "</t:p></tb:table-cell></tb:table-row>" +
                       end),
            "f: row 1000005: an answer without a question");
        row("not a spreadsheet", "PK\x05\x06"_ba + QByteArray(18, 0),
            "f: a zip archive, but not a spreadsheet");
    }

    void questionFile() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        const questions::QuestionFile file = questions::parse(bytes, name);
        QStringList read;
        for (const questions::Question& q : file.questions)
            read << q.text + u'=' + q.answer;
        const QString notes =
            file.notes.isEmpty() ? QString() : u'{' + file.notes.join(u"}{") + u'}';
        QTEST(notes + (file.ok() ? read.join(u'|') : questions::refusal(QStringLiteral("f"), file)),
              "read");
        QVERIFY(file.ok() || file.questions.isEmpty());
        if (!bytes.isEmpty())
            return;
        // One that cannot be read is not taken for an empty file; the sample deck reads whole.
        QVERIFY(
            questions::read(QStringLiteral("/nonexistent")).error.startsWith(u"cannot be read: "));
        const QList<questions::Question> sample = questions::read(QUOLMAR_SAMPLE_DECK).questions;
        QVERIFY(sample.size() >= 60 && std::all_of(sample.cbegin(), sample.cend(),
                                                   [](auto& q) { return !q.answer.isEmpty(); }));
        // A name is never taken for a pattern; a million blank lines reserve no million rows.
        const QString odd = QStringLiteral("quiz%2Bnight%1.csv");
        QCOMPARE(questions::refusal(odd, questions::parse("q,\"\n")),
                 odd + QStringLiteral(":1: a quote is left open"));
        const questions::QuestionFile blanks = questions::parse(QByteArray(1000000, '\n') + "q,a");
        QVERIFY2(blanks.questions.capacity() < 50000,
                 qPrintable(QString::number(blanks.questions.capacity())));
    }

    void finalDecisions_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("strongestFirst");
        QTest::addColumn<int>("winner");  // 0 while it goes on
        QTest::addColumn<int>("decided"); // presses it took
        QTest::addColumn<bool>("suddenDeath");
        // Finalist 2 was the stronger, so with "Yes" finalist 2 answers in the top row.
        QTest::newRow("caught up at the last") << "CWWWWWWWWC" << true << 0 << 0 << true;
        QTest::newRow("level pairs go on") << "WWWWWWWWWWCCWWWC" << true << 1 << 16 << true;
        QTest::newRow("other keys change nothing") << "CxWy1" << true << 0 << 0 << false;
        QTest::newRow("keys after the end") << "CWCWCWCCCC" << true << 2 << 6 << false;
    }

    void finalDecisions() {
        QFETCH(QString, keys);
        QFETCH(bool, strongestFirst);
        GameState s;
        s.PlayerOut[1] = s.PlayerOut[3] = true;
        s.PlayerNames[2] = QStringLiteral("Ann");
        s.PlayerNames[4] = QStringLiteral("Bo");
        s.RightAnswers[4] = 1; // slot 4 was stronger: finalist 2 chooses
        FinalEngine e(s);
        e.open();
        QCOMPARE(s.FinalistNames[1], QStringLiteral("Ann"));
        QCOMPARE(e.strongestLink(), 2);
        e.chooseOrder(strongestFirst);
        int winner = 0, decided = 0;
        for (int i = 0; i < keys.size(); ++i)
            if (const int w = e.press(keys.at(i)); w != 0 && winner == 0) {
                winner = w;
                decided = i + 1;
            }
        QTEST(winner, "winner");
        QTEST(decided, "decided");
        QTEST(s.SuddenDeath, "suddenDeath");
        QCOMPARE(e.marker(3).shown, !s.SuddenDeath);
    }
};

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
