// The rules of a round, free of any window.
#include "state/GameFormat.h"
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
};

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

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
