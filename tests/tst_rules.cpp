// The rules of a round, free of any window.
#include "state/FinalEngine.h"
#include "state/GameFormat.h"
#include "state/RoundEngine.h"
#include "state/Rules.h"

#include <QTest>
#include <limits>

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void money_data();
    void money();
    void roundHalfEven_data();
    void roundHalfEven();
    void clockMusicAndClips_data();
    void clockMusicAndClips();
    void chainValues();
    void maximumPrizeFollowsFromTheTable();
    void strengthScore();
    void startingPlayer();
    void turnOrderSkipsPlayersWhoAreOut();
    void droppedPositions();
    void countersNeverWrap();
    void roundPlay_data();
    void roundPlay();
    void voteOffUntilTheLastRoundThenFinal();
    void finalDecisions_data();
    void finalDecisions();
};

namespace {

// Plays a string of the host's keys through the round's rules: "S C*3 B" types S, three Cs and
// a B; "." is a tick of the clock, "L" makes the next round the last, "Rn" sets the round
// number and "$n" the bank.
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
            if (token == u"L")
                s.RoundNumber = f.lastRound - 1;
            else if (token.startsWith(u'R'))
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

void TestRules::money_data() {
    QTest::addColumn<qint64>("dollars");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << qint64(0) << "$0";
    QTest::newRow("hundreds") << qint64(450) << "$450";
    QTest::newRow("thousands") << qint64(2500) << "$2,500";
    QTest::newRow("exact thousand") << qint64(1000) << "$1,000";
    QTest::newRow("hundred thousands") << qint64(125000) << "$125,000";
    QTest::newRow("million") << qint64(1000000) << "$1,000,000";
    QTest::newRow("negative") << qint64(-2500) << "-$2,500";
    QTest::newRow("most negative")
        << std::numeric_limits<qint64>::min() << "-$9,223,372,036,854,775,808";
}

void TestRules::money() {
    QFETCH(qint64, dollars);
    QFETCH(QString, text);
    QCOMPARE(rules::money(dollars), text);
}

void TestRules::roundHalfEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("rounded");
    QTest::newRow("0.5 down") << 0.5 << qint64(0);
    QTest::newRow("1.5 up") << 1.5 << qint64(2);
    QTest::newRow("2.5 down") << 2.5 << qint64(2);
    QTest::newRow("-0.5") << -0.5 << qint64(0);
    QTest::newRow("-1.5") << -1.5 << qint64(-2);
    QTest::newRow("-2.5") << -2.5 << qint64(-2);
    QTest::newRow("2.4") << 2.4 << qint64(2);
    QTest::newRow("2.6") << 2.6 << qint64(3);
    QTest::newRow("-2.6") << -2.6 << qint64(-3);
}

void TestRules::roundHalfEven() {
    QFETCH(double, value);
    QFETCH(qint64, rounded);
    QCOMPARE(rules::roundHalfEven(value), rounded);
}

void TestRules::clockMusicAndClips_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<int>("round");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("music");
    QTest::addColumn<QString>("clip");
    const QString one = QStringLiteral("startclock1.wav");
    const QString two = QStringLiteral("startclock2.wav");
    QTest::newRow("6/1") << 6 << 1 << 120 << "120.mid" << two;
    QTest::newRow("6/2") << 6 << 2 << 105 << "105.mid" << two;
    QTest::newRow("6/5 last") << 6 << 5 << 60 << "60.mid" << two;
    QTest::newRow("6/6 after last") << 6 << 6 << 45 << "" << two;
    QTest::newRow("6/9 no time") << 6 << 9 << 0 << "" << two;
    QTest::newRow("8/1") << 8 << 1 << 150 << "150.mid" << one;
    QTest::newRow("8/3") << 8 << 3 << 130 << "130.mid" << one;
    QTest::newRow("8/4") << 8 << 4 << 120 << "120.mid" << two;
    QTest::newRow("8/7 last") << 8 << 7 << 90 << "90.mid" << two;
    QTest::newRow("8/8 after last") << 8 << 8 << 80 << "" << two;
    QTest::newRow("8/16 no time") << 8 << 16 << 0 << "" << two;
    QTest::newRow("9/1") << 9 << 1 << 180 << "180.mid" << one;
    QTest::newRow("9/6") << 9 << 6 << 130 << "130.mid" << one;
    QTest::newRow("9/7") << 9 << 7 << 120 << "120.mid" << two;
    QTest::newRow("9/8 last is short") << 9 << 8 << 90 << "90.mid" << two;
    QTest::newRow("9/9 after last") << 9 << 9 << 100 << "" << two;
}

void TestRules::clockMusicAndClips() {
    QFETCH(int, players);
    QFETCH(int, round);
    QFETCH(int, seconds);
    QFETCH(QString, music);
    QFETCH(QString, clip);
    const GameFormat& f = *formats::byPlayers(players);
    QCOMPARE(rules::clockSeconds(f, round), seconds);
    QCOMPARE(rules::musicFile(f, round), music);
    QCOMPARE(rules::startClockClip(f, round), clip);
}

void TestRules::chainValues() {
    using namespace formats;
    // Bank, loss and host bank at the bottom, at the links, at the top and above it.
    QCOMPARE(rules::bankValue(eight, 0), 0);
    QCOMPARE(rules::bankValue(eight, 3), 5000);
    QCOMPARE(rules::bankValue(eight, 8), 125000);
    QCOMPARE(rules::bankValue(eight, 9), 125000);
    QCOMPARE(rules::lostValue(eight, 8), 125000);
    QCOMPARE(rules::lostValue(eight, 9), 0);
    QCOMPARE(rules::hostBankValue(eight, 6), 50000);
    QCOMPARE(rules::hostBankValue(eight, 7), 75000);
    QCOMPARE(rules::hostBankValue(eight, 8), 75000);
    QCOMPARE(rules::hostBankValue(eight, 12), 75000);
    QCOMPARE(rules::lostValue(six, 6), 12500);
    QCOMPARE(rules::lostValue(six, 5), 5000);
    QCOMPARE(rules::lostValue(nine, 9), 1000);
    QCOMPARE(rules::lostValue(nine, 8), 800);
    QCOMPARE(rules::lostValue(nine, 10), 0);
    QCOMPARE(rules::bankValue(six, 7), six.target);
    QCOMPARE(rules::bankValue(nine, 10), nine.target);
    for (const GameFormat* f : {&six, &eight, &nine}) {
        QCOMPARE(f->chain[static_cast<std::size_t>(f->top)], f->target);
        QCOMPARE(rules::lostValue(*f, 0), 0);
        QCOMPARE(rules::hostBankValue(*f, 0), 0);
    }
}

void TestRules::maximumPrizeFollowsFromTheTable() {
    for (const GameFormat* f : {&formats::six, &formats::eight, &formats::nine})
        QCOMPARE((f->lastRound - 1) * f->target + f->multiplier * f->target, f->maxPrize);
}

void TestRules::strengthScore() {
    GameState s;
    s.RightAnswers[1] = 3;
    s.TimeUsed[1] = 20;
    s.MoneyBanked[1] = 250;
    s.MoneyLost[1] = 0;
    // 3000 - 200 + 2.5 rounds to the even 2802; without the time term 3002.
    QCOMPARE(rules::strengthScore(formats::eight, s, 1), 2802);
    QCOMPARE(rules::strengthScore(formats::six, s, 1), 3002);
    s.MoneyBanked[1] = 350; // 3.5 rounds up to 4
    QCOMPARE(rules::strengthScore(formats::six, s, 1), 3004);
    s.MoneyLost[1] = 1000000; // losses may push the score below zero
    QCOMPARE(rules::strengthScore(formats::eight, s, 1), 2800 + 3 - 10000 + 1);
    // More right answers than a 16-bit score could hold still order correctly.
    GameState many;
    many.RightAnswers[1] = 40;
    many.RightAnswers[2] = 33;
    QVERIFY(rules::strengthScore(formats::nine, many, 1) >
            rules::strengthScore(formats::nine, many, 2));
}

void TestRules::startingPlayer() {
    GameState s;
    s.RightAnswers[4] = 9; // ignored in round 1
    QCOMPARE(rules::startingPlayer(formats::eight, s, 1), 1);
    s.PlayerOut[1] = true; // left over from an earlier game: the first slot still in starts
    QCOMPARE(rules::startingPlayer(formats::eight, s, 1), 2);
    QCOMPARE(rules::startingPlayer(formats::eight, s, 2), 4);
    s.PlayerOut[4] = true;
    s.RightAnswers[6] = 2;
    s.RightAnswers[3] = 2;
    QCOMPARE(rules::startingPlayer(formats::eight, s, 2), 3); // tie: the lower slot
    s.TimeUsed[3] = 5;
    QCOMPARE(rules::startingPlayer(formats::eight, s, 2), 6); // less time used wins
    QCOMPARE(rules::startingPlayer(formats::six, s, 2), 3);   // 6 players: time doesn't count
    // Slots beyond the format are never chosen.
    GameState t;
    t.RightAnswers[9] = 5;
    QCOMPARE(rules::startingPlayer(formats::eight, t, 2), 1);
    QCOMPARE(rules::startingPlayer(formats::nine, t, 2), 9);
}

void TestRules::turnOrderSkipsPlayersWhoAreOut() {
    GameState s;
    s.PlayerOut[2] = true;
    s.PlayerOut[5] = true;
    QCOMPARE(rules::nextPlayer(formats::eight, s, 4), 6);
    QCOMPARE(rules::nextPlayer(formats::eight, s, 8), 1);
    QCOMPARE(rules::nextPlayer(formats::eight, s, 1), 3);
    QCOMPARE(rules::nextPlayer(formats::six, s, 6), 1);
    QCOMPARE(rules::nextPlayer(formats::nine, s, 8), 9);
    for (int i = 1; i <= 9; ++i)
        s.PlayerOut[i] = i != 7;
    QCOMPARE(rules::nextPlayer(formats::nine, s, 7), 7); // alone: the turn stays
    QCOMPARE(rules::nextPlayer(formats::nine, s, 3), 7);
}

void TestRules::droppedPositions() {
    const auto check = [](const GameFormat& f, int level, int shape, int label) {
        const ChainPosition p = rules::droppedPosition(f, level);
        QCOMPARE(p.shapeTop, shape);
        QCOMPARE(p.labelTop, label);
    };
    check(formats::eight, 2, 5760, 5880);
    check(formats::eight, 7, 4560, 4680);
    check(formats::eight, 8, 3960, 4215);
    check(formats::six, 2, 4710, 4830);
    check(formats::six, 5, 3990, 4110);
    check(formats::six, 6, 3390, 3660);
    check(formats::nine, 8, 4800, 4920);
    check(formats::nine, 9, 4320, 4515);
}

void TestRules::countersNeverWrap() {
    int c = std::numeric_limits<int>::max() - 1;
    bump(c);
    bump(c);
    QCOMPARE(c, std::numeric_limits<int>::max());
}

void TestRules::roundPlay_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<qint64>("bank");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("running");
    QTest::addColumn<int>("end"); // of the last key: 0 none, 1 time up, 2 target
    // Each format: the target by B at the top and above it, with the last round's multiplier.
    QTest::newRow("6 target") << 6 << "S C*6 B" << 12500LL << 12500LL << 0 << 1 << false << 2;
    QTest::newRow("8 target") << 8 << "S C*8 B" << 125000LL << 125000LL << 0 << 1 << false << 2;
    QTest::newRow("9 target") << 9 << "S C*9 B" << 1000LL << 1000LL << 0 << 1 << false << 2;
    QTest::newRow("6 last x4") << 6 << "L S C*7 B" << 50000LL << 50000LL << 0 << 2 << false << 2;
    QTest::newRow("8 last x2") << 8 << "L S C*8 B" << 250000LL << 250000LL << 0 << 1 << false << 2;
    QTest::newRow("9 last x3") << 9 << "L S C*9 B" << 3000LL << 3000LL << 0 << 1 << false << 2;
    QTest::newRow("8 cut back") << 8 << "S $122000 C*3 B" << 125000LL << 125000LL << 0 << 4
                                << false << 2;
    QTest::newRow("8 bank goes on") << 8 << "S C*3 B C" << 5000LL << 0LL << 1 << 5 << true << 0;
    QTest::newRow("9 bank at 0") << 9 << "S B" << 0LL << 0LL << 0 << 1 << true << 0;
    QTest::newRow("8 wrong resets") << 8 << "S C*5 W" << 0LL << 0LL << 0 << 7 << true << 0;
    QTest::newRow("6 time up") << 6 << "S C B .*120" << 100LL << 100LL << 0 << 2 << false << 1;
    QTest::newRow("8 last time up") << 8 << "L S $40000 .*90" << 80000LL << 80000LL << 0 << 1
                                    << false << 1;
    QTest::newRow("9 tick early") << 9 << "S .*179" << 0LL << 0LL << 0 << 1 << true << 0;
    QTest::newRow("C, B need the clock") << 8 << "C B 3" << 0LL << 0LL << 0 << 0 << false << 0;
    QTest::newRow("W before any round") << 8 << "W" << 0LL << 0LL << 0 << 0 << false << 0;
    QTest::newRow("W after time up") << 6 << "S C .*120 W" << 0LL << 0LL << 0 << 3 << false
                                     << 0;
    QTest::newRow("key 1 to the top") << 8 << "1*8" << 125000LL << 0LL << 8 << 0 << false << 0;
    QTest::newRow("key 1 above") << 9 << "1*10 4" << 0LL << 0LL << 10 << 0 << false << 0;
    QTest::newRow("key 3 at 7") << 8 << "1*7 3" << 75000LL << 0LL << 0 << 0 << false << 0;
    QTest::newRow("key 3 cut back") << 8 << "$100000 1*9 3" << 125000LL << 0LL << 0 << 0 << false
                                    << 0;
    QTest::newRow("6 key 3 at top") << 6 << "1*5 2 1*2 3" << 250LL << 0LL << 0 << 0 << false << 0;
    QTest::newRow("8 S in round 15") << 8 << "R14 S .*9" << 0LL << 0LL << 0 << 1 << true << 0;
    QTest::newRow("8 no S in 16") << 8 << "R15 $7 S" << 7LL << 0LL << 0 << 0 << false << 0;
    QTest::newRow("6 no S in 9") << 6 << "R8 S" << 0LL << 0LL << 0 << 0 << false << 0;
}

void TestRules::roundPlay() {
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

void TestRules::voteOffUntilTheLastRoundThenFinal() {
    for (const GameFormat* f : {&formats::six, &formats::eight, &formats::nine}) {
        RoundDriver d(f->players);
        for (int round = 1; round <= f->lastRound + 1; ++round) {
            d.play(QStringLiteral("S"));
            QVERIFY(!d.e.rowFor(u'V') && !d.e.rowFor(u'F') && d.e.rowFor(u'c'));
            d.play(QStringLiteral(".*%1").arg(rules::clockSeconds(*f, round)));
            QCOMPARE(d.e.rowFor(u'v') != nullptr, round < f->lastRound);
            QCOMPARE(d.e.rowFor(u'f') != nullptr, round >= f->lastRound);
        }
    }
}

void TestRules::finalDecisions_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<bool>("strongestFirst");
    QTest::addColumn<int>("winner");  // 0 while it goes on
    QTest::addColumn<int>("decided"); // presses it took
    QTest::addColumn<bool>("suddenDeath");
    // Finalist 2 was the stronger, so with "Yes" finalist 2 answers in the top row.
    QTest::newRow("3:0 after three each") << "CWCWCW" << true << 2 << 6 << false;
    QTest::newRow("the other goes first") << "CWCWCW" << false << 1 << 6 << false;
    QTest::newRow("0:3 after three each") << "WCWCWC" << true << 1 << 6 << false;
    QTest::newRow("caught up at the last") << "CWWWWWWWWC" << true << 0 << 0 << true;
    QTest::newRow("5:5 then a pair") << "CCCCCCCCCCCW" << true << 2 << 12 << true;
    QTest::newRow("level pairs go on") << "WWWWWWWWWWCCWWWC" << true << 1 << 16 << true;
    QTest::newRow("other keys change nothing") << "CxWy1" << true << 0 << 0 << false;
    QTest::newRow("keys after the end") << "CWCWCWCCCC" << true << 2 << 6 << false;
}

void TestRules::finalDecisions() {
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

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
