// Whole games as a host plays them, checked at every hand-over by what the windows show, and the
// moments of a game that a whole game does not pass through.
#include "Host.h"
#include "state/Rules.h"

#include <QApplication>
#include <QRegularExpression>
#include <QStyleFactory>

class TestGame : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create("Fusion")); }
    void cleanup() { TestConsole::flush(); }
    void wholeGame_data();
    void wholeGame();
    void moments_data();
    void moments();
    void finals_data();
    void finals();
};

void TestGame::wholeGame_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<QString>("timeUp");  // the game window after round 1's time is up
    QTest::addColumn<QString>("table");   // the vote-off after round 1
    QTest::addColumn<QString>("lastEnd"); // the game window after the last round, TOTAL shown
    QTest::addColumn<QString>("board");   // the final after C W C
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("clocks"); // per round: seconds and the start clip's number
    QTest::newRow("6") << 6 << "$500 - 0 link 0 lit Ada out  V"
                       << "Ada 1 120 $0 $0+|Bea 1 0 $0 $0+|Cai 1 0 $0 $0+|Dov 0 0 $500 $0+|"
                          "Eli 1 0 $0 $0+|Fay 0 0 $0 $100+"
                       << "$50,000 $50,500 60 link 0 lit Ada out 2,3,4,5 F"
                       << "Ada/Fay $50,500 vxv[2]334455"
                       << "Ada|$50,500|Fay" << "120:2 105:2 90:2 75:2 60:2";
    QTest::newRow("8") << 8 << "$5,000 - 0 link 0 lit Gus out  V"
                       << "Ada 1 0 $0 $0+|Bea 1 0 $0 $0+|Cai 1 0 $0 $0+|Dov 0 0 $5,000 $0+|"
                          "Eli 1 0 $0 $0+|Fay 0 0 $0 $1,000+|Gus 0 150 $0 $0+|Hal 0 0 $0 $0+"
                       << "$250,000 $255,000 90 link 0 lit Hal out 2,3,4,5,6,7 F"
                       << "Hal/Ada $255,000 vxv[2]334455" << "Hal|$255,000|Ada"
                       << "150:1 140:1 130:1 120:2 110:2 100:2 90:2";
    QTest::newRow("9") << 9 << "$100 - 0 link 0 lit Gus out  V"
                       << "Ada 1 0 $0 $0+|Bea 1 0 $0 $0+|Cai 1 0 $0 $0+|Dov 0 0 $100 $0+|"
                          "Eli 1 0 $0 $0+|Fay 0 0 $0 $20+|Gus 0 180 $0 $0+|Hal 0 0 $0 $0+|"
                          "Ivo 0 0 $0 $0+"
                       << "$3,000 $3,100 90 link 0 lit Ivo out 2,3,4,5,6,7,8 F"
                       << "Ada/Ivo $3,100 vxv[2]334455" << "Ada|$3,100|Ivo"
                       << "180:1 170:1 160:1 150:1 140:1 130:1 120:2 90:2";
}

void TestGame::wholeGame() {
    QFETCH(int, players);
    QFETCH(QString, clocks);
    Host h(players);
    const GameFormat& f = h.f;
    QString bankAtTarget;
    h.dialogs.onShow = [&](const QString& text) {
        if (text == u"You reached the target!")
            bankAtTarget = h.game()->bankAmount->text();
    };
    h.newGame(cast.mid(0, players));
    QCOMPARE(h.sees(), "$0 -  link 0 lit  out  S");
    QCOMPARE(h.midi.prepared, 1);

    // Round 1: three right, a bank, a wrong answer at the bottom and one at level 1, then time.
    h.play("S C*3 B W C W .5");
    QCOMPARE(h.dialogs.texts().first(),
             "We'll start with the player in the\nfirst position, that's Ada...");
    QCOMPARE(h.game()->clockDigits->text().toInt(), clocks.section(u':', 0, 0).toInt() - 5);
    h.play(". V");
    QCOMPARE(h.dialogs.last(), "Time is up.");
    QCOMPARE(h.onScreen(), h.voteoff());
    QTEST(h.table(), "table");
    h.dialogs.clear();
    h.play("out:2");
    QCOMPARE(h.dialogs.texts(), QStringList{"Are you sure you want to eliminate Bea?"});
    QCOMPARE(h.goodbye()->farewellText->text(), "Bea,\nYou ARE the Brackwyn!\n\nGoodbye...");
    QVERIFY(h.game() && !h.game()->isVisible() && h.voteoff() == nullptr);
    h.play("ok");
    QCOMPARE(h.sees(), "$0 -  link 0 lit  out 2 S");

    // Rounds to the last: nobody answers, then one voted off; the last: all right, to the top.
    for (int round = 2; round < f.lastRound; ++round) {
        h.dialogs.clear();
        h.play(QStringLiteral("S . V out:%1 ok").arg(round + 1));
        QVERIFY(h.dialogs.texts().first().startsWith("We'll start with the strongest link from"));
    }
    h.play(QStringLiteral("S C*%1 B T").arg(f.top));
    QCOMPARE(bankAtTarget, rules::money(f.target));
    QTEST(h.sees(), "lastEnd");
    h.play("V"); // no vote-off after the last round
    QCOMPARE(h.onScreen(), h.game());

    h.dialogs.clear();
    h.play("F C W C");
    QVERIFY(h.dialogs.shown.first().title == u"Who goes first?");
    QTEST(h.board(), "board");
    h.dialogs.clear();
    h.play("W C W");
    QFETCH(QString, ending);
    const QStringList e = ending.split(u'|');
    QCOMPARE(h.dialogs.texts(),
             QStringList({"That means that " + e[0] + ", you are tonight's\nstrongest link, and "
                                                      "you go away with " +
                              e[1] + ".\n" + e[2] + ", you leave with nothing.",
                          "Join us next time on The Brackwyn.\nGoodbye!"}));
    QCOMPARE(h.forms().loaded(), QStringList{windows::opening});

    // Every sound of the game, in order.
    QStringList clips, music;
    for (const QString& c : clocks.split(u' ')) {
        clips << "letsplay.wav" << "startclock" + c.section(u':', 1) + ".wav";
        music << "open sequencer!" + h.dir + "/" + c.section(u':', 0, 0) + ".mid alias midi";
        if (clips.size() < 4 * f.lastRound - 4)
            clips << "voteoff.wav" << "vokwen.wav";
    }
    clips << "finalround.wav!" << "choice.wav!" << "gameover.wav!";
    QCOMPARE(h.clips().replaceInStrings(QRegularExpression("vokwen[1-5]"), "vokwen"), clips);
    QCOMPARE(h.midi.commands.filter("open "), music);
    QCOMPARE(h.midi.commands.filter("stop ").size(), f.lastRound + 1); // and at the target
}

void TestGame::moments_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<QString>("options");
    QTest::addColumn<int>("round"); // rounds played before
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("sees");
    QTest::addColumn<QString>("said"); // the last message, "" for none
    QTest::newRow("chain and turn") << 8 << "c" << 0 << "S C*3" << "$0 - 150 link 3 lit Dov out  C"
                                    << "Let's play... The Brackwyn!";
    QTest::newRow("cut to the target") << 6 << "c" << 0 << "S C*5 B C*6 B"
                                       << "$12,500 - 120 link 0 lit Fay out  V"
                                       << "You reached the target!";
    QTest::newRow("hidden clock, H") << 8 << "" << 0 << "S .5 H"
                                     << "$0 - 145 link 0 lit Ada out  C"
                                     << "Let's play... The Brackwyn!";
    QTest::newRow("last round's time up") << 8 << "c" << 6 << "T S C*4 B ."
                                          << "$10,000 $20,000 0 link 0 lit Eli out  F"
                                          << "Time is up.";
    QTest::newRow("W after time up") << 6 << "c" << 0 << "S . W"
                                     << "$0 - 0 link 0 lit Bea out  V" << "Time is up.";
    QTest::newRow("key 1 to the top") << 8 << "c" << 0 << "1*8"
                                      << "$125,000 -  link 7 lit  out  S" << "";
    QTest::newRow("key 4") << 9 << "c" << 0 << "S C B . 4" << "$0 - 0 link 0 lit Bea out  V"
                           << "Time is up.";
    QTest::newRow("C, B, F, V out of turn") << 6 << "c" << 0 << "C B F S . S V"
                                            << "$0 - 105 link 0 lit Ada out  C"
                                            << "Let's play... The Brackwyn!";
    QTest::newRow("V after the last") << 9 << "c" << 7 << "S . V"
                                      << "$0 - 0 link 0 lit Ada out  F" << "Time is up.";
    QTest::newRow("S right after V") << 8 << "c" << 0 << "S . V+S" << "no game window"
                                     << "Time is up.";
    QTest::newRow("Start Over cancelled") << 8 << "c" << 0 << "S C no restart C"
                                          << "$0 - 150 link 2 lit Cai out  C"
                                          << "Do you really want to exit this game?";
    QTest::newRow("Start Over") << 6 << "c" << 0 << "S C restart" << "no game window"
                                << "Do you really want to exit this game?";
    QTest::newRow("Oops, Cancel") << 6 << "c" << 0 << "S . V oops V no out:3 oops"
                                  << "$0 -  link 0 lit  out  S"
                                  << "Are you sure you want to eliminate Cai?";
    QTest::newRow("close boxes") << 6 << "c" << 0 << "S . V close V out:6 close"
                                 << "$0 -  link 0 lit  out 6 S"
                                 << "Are you sure you want to eliminate Fay?";
    QTest::newRow("about box") << 8 << "c" << 0 << "S about .3"
                               << "$0 - 147 link 0 lit Ada out  C"
                               << "Let's play... The Brackwyn!";
}

void TestGame::moments() {
    QFETCH(int, players);
    QFETCH(QString, options);
    QFETCH(QString, script);
    Host h(players);
    h.newGame(cast.mid(0, players), options);
    QFETCH(int, round);
    h.state().RoundNumber = round;
    h.play(script);
    QTEST(h.sees(), "sees");
    QTEST(h.dialogs.last(), "said");
    if (script.contains(u"restart") && h.game() == nullptr) {
        QCOMPARE(h.onScreen()->objectName(), windows::opening);
        QCOMPARE(h.midi.commands.mid(h.midi.commands.size() - 2),
                 QStringList({"stop midi", "close midi"}));
    }
    if (script.contains(u"about"))
        QVERIFY(h.forms().find(windows::about)->isVisible());
}

void TestGame::finals_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<QList<int>>("finalists");
    QTest::addColumn<int>("stronger"); // the slot that answered right in the last round, or 0
    QTest::addColumn<bool>("yes");
    QTest::addColumn<qint64>("prize");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("result"); // the board, or who won
    const QList<int> mid{3, 5}, high{8, 9}, low{1, 2};
    QTest::newRow("stronger first") << 6 << mid << 5 << true << 0LL << ""
                                    << "Eli/Cai $0 [1]122334455";
    QTest::newRow("stronger lets go") << 6 << mid << 5 << false << 0LL << ""
                                      << "Cai/Eli $0 [1]122334455";
    QTest::newRow("tie: the lower slot") << 9 << high << 0 << true << 1000000LL << "C W x"
                                         << "Hal/Ivo $1,000,000 vx[2]2334455";
    QTest::newRow("sudden death") << 9 << high << 0 << true << 0LL << "C*10"
                                  << "Hal/Ivo $0 [1]1";
    QTest::newRow("a pair decides") << 9 << high << 0 << true << 0LL << "C*10 C W" << "Hal";
    QTest::newRow("level pairs go on") << 9 << high << 0 << true << 0LL << "C*10 C C W W W C"
                                       << "Ivo";
    QTest::newRow("bottom row wins") << 8 << low << 2 << false << 0LL << "W C W C W C" << "Bea";
    QTest::newRow("caught at the last") << 8 << low << 0 << true << 0LL << "C W W W W W W W W C"
                                        << "Ada/Bea $0 [1]1";
    QTest::newRow("close box") << 6 << mid << 0 << true << 0LL << "C close" << "closed";
}

void TestGame::finals() {
    QFETCH(int, players);
    QFETCH(QList<int>, finalists);
    QFETCH(int, stronger);
    QFETCH(bool, yes);
    Host h(players);
    h.newGame(cast.mid(0, players));
    GameState& s = h.state();
    for (int i = 1; i <= players; ++i)
        s.PlayerOut[i] = !finalists.contains(i);
    s.RightAnswers[stronger] = 1;
    s.RoundNumber = h.f.lastRound;
    QFETCH(qint64, prize);
    s.TotalBank = prize;
    h.dialogs.answer({yes});
    h.dialogs.clear();
    h.play("F");
    const QString asked = cast[(stronger != 0 ? stronger : finalists[0]) - 1];
    QCOMPARE(h.dialogs.texts(),
             QStringList{asked + ", since you were the strongest link from the last round,\nyou "
                                 "can decide if you want to go first."});
    QCOMPARE(h.clips(), QStringList({"finalround.wav!", "choice.wav!"}));
    QFETCH(QString, keys);
    h.play(keys);
    const QString said = h.dialogs.texts().value(1);
    const QString result = h.final() ? h.board()
                           : said.isEmpty()
                               ? QStringLiteral("closed")
                               : said.section(u' ', 3, 3).chopped(1);
    QTEST(result, "result");
    if (h.final() == nullptr)
        QCOMPARE(h.onScreen()->objectName(), windows::opening);
}

QTEST_MAIN(TestGame)
#include "tst_game.moc"
