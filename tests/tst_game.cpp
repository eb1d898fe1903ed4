// Whole games of every format, from the start window to the final's winner, played as a host does.
#include "TestConsole.h"
#include "final/Finalround.h"
#include "round/Maingame.h"
#include "setup/Names.h"
#include "setup/Opening.h"
#include "state/GameFormat.h"
#include "voteoff/Goodbye.h"
#include "voteoff/Voteoff.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QTest>

namespace {

const QStringList cast{"Ada", "Bea", "Cai", "Dov", "Eli", "Fay", "Gus", "Hal", "Ivo"};

// What the final's deciding key leads to: how many keys it took, the two closing messages and
// the windows left loaded.
QString ending(int keys, const QString& winner, const QString& prize, const QString& loser) {
    return QStringList({QString::number(keys),
                        "That means that " + winner +
                            ", you are tonight's\nstrongest link, and you go away with " + prize +
                            ".\n" + loser + ", you leave with nothing.",
                        "Join us next time on The Brackwyn.\nGoodbye!", "Opening"})
        .join(u'|');
}

// The host at the console: every step is a click or a key press in the window on screen.
struct Host {
    explicit Host(int players) : f(*formats::byPlayers(players)) {
        tc.forms().show(windows::opening);
    }
    Names* pickFormat() {
        auto* o = qobject_cast<Opening*>(tc.forms().find(windows::opening));
        QTest::mouseClick(f.players == 6   ? o->formatButtons[0]
                          : f.players == 8 ? o->formatButtons[1]
                                           : o->formatButtons[2],
                          Qt::LeftButton);
        TestConsole::flush();
        return qobject_cast<Names*>(tc.forms().find(f.namesWindow));
    }
    void letsPlay(Names* n, const QStringList& names) {
        for (int i = 1; i <= f.players; ++i)
            QTest::keyClicks(n->nameBoxes[i], names[i - 1]);
        QTest::mouseClick(n->playButton, Qt::LeftButton);
        TestConsole::flush();
    }
    Maingame* game() { return qobject_cast<Maingame*>(tc.forms().find(f.gameWindow)); }
    // Key presses in the game-control window; '.' lets the round's clock run out.
    void keys(const QByteArray& typed) {
        for (char k : typed)
            if (k != '.')
                QTest::keyClick(game(), k);
            else
                while (game()->clockRunning())
                    game()->tick();
    }
    // The given slot ends the round as the strongest: one right answer, while the other
    // finalist lets the whole clock run.
    void lastRoundWon(int strongest) {
        keys("S");
        keys(tc.state().CurrentPlayer == strongest ? "C." : "WC.");
    }
    bool voteOff(int slot) {
        keys("V");
        TestConsole::flush();
        if (auto* v = qobject_cast<Voteoff*>(tc.forms().find(f.voteoffWindow)))
            QTest::mouseClick(v->eliminateButtons[slot], Qt::LeftButton);
        if (auto* g = qobject_cast<Goodbye*>(tc.forms().find(f.goodbyeWindow)))
            QTest::mouseClick(g->okButton, Qt::LeftButton);
        TestConsole::flush();
        return tc.forms().loaded() == QStringList{f.gameWindow} && game()->isVisible();
    }
    Finalround* toFinal(bool strongestFirst) {
        tc.dialogs.answer({strongestFirst});
        keys("F");
        TestConsole::flush();
        return qobject_cast<Finalround*>(tc.forms().find(windows::finalRound));
    }
    // Keys in the final one at a time until it closes; the result reads as ending() does.
    QString playFinal(Finalround* fr, const char* typed) {
        tc.dialogs.clear();
        int n = 0;
        while (typed[n] != '\0' && tc.forms().find(windows::finalRound) != nullptr)
            QTest::keyClick(fr, typed[n++]);
        return (QStringList{QString::number(n)} + tc.dialogs.texts() + tc.forms().loaded())
            .join(u'|');
    }

    TestConsole tc;
    const GameFormat& f;
};

} // namespace

class TestGame : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create("Fusion")); }
    void cleanup() { TestConsole::flush(); }

    void topBanksThenANewGame_data();
    void topBanksThenANewGame();
    void finalistsAndWhoGoesFirst_data();
    void finalistsAndWhoGoesFirst();
    void everyoneWithTheSameName();
};

void TestGame::topBanksThenANewGame_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<QString>("prize");
    QTest::addColumn<QList<int>>("clocks"); // one per round
    QTest::newRow("6") << 6 << "$100,000" << QList<int>{120, 105, 90, 75, 60};
    QTest::newRow("8") << 8 << "$1,000,000" << QList<int>{150, 140, 130, 120, 110, 100, 90};
    QTest::newRow("9") << 9 << "$10,000" << QList<int>{180, 170, 160, 150, 140, 130, 120, 90};
}

void TestGame::topBanksThenANewGame() {
    QFETCH(int, players);
    QFETCH(QString, prize);
    QFETCH(QList<int>, clocks);
    Host h(players);
    GameState& s = h.tc.state();
    h.letsPlay(h.pickFormat(), cast.mid(0, players));
    QVERIFY(h.game() != nullptr && h.game()->clockDigits->isHidden()); // the clock starts hidden
    QString starter;
    for (int round = 1; round <= clocks.size(); ++round) {
        h.tc.dialogs.clear();
        h.keys("S" + QByteArray(h.f.top, 'C') + "B");
        QCOMPARE(s.RoundNumber, round);
        QCOMPARE(h.tc.dialogs.texts().last(), QStringLiteral("You reached the target!"));
        starter = h.tc.dialogs.texts().first().section(QStringLiteral("that's "), 1).chopped(3);
        QVERIFY2(!s.PlayerOut[cast.indexOf(starter) + 1], qPrintable(starter));
        if (round == clocks.size())
            break;
        QCOMPARE(h.game()->prompt->text(), "Press 'V' to proceed to the Vote-Off window");
        QVERIFY(h.voteOff(round + 1)); // the final is between the first and the last slot
    }
    QCOMPARE(h.game()->prompt->text(), "Press 'F' to go to the final round");
    // With every answer right the last round's starter answers most and is the strongest.
    QVERIFY(starter == cast[0] || starter == cast[players - 1]);
    const QString other = starter == cast[0] ? cast[players - 1] : cast[0];
    Finalround* fr = h.toFinal(true);
    QVERIFY(fr != nullptr);
    QCOMPARE(fr->firstName->text() + "/" + fr->secondName->text(), starter + "/" + other);
    // 3:0 after three questions each: the bottom row's last two cannot catch up.
    QCOMPARE(h.playFinal(fr, "CWCWCWCWCW"), ending(6, starter, prize, other));
    QCOMPARE(s.TotalBank, h.f.maxPrize);

    QStringList sync, music;
    for (const auto& [path, mode] : h.tc.wav.calls)
        if (mode == WavPlayer::Mode::Sync)
            sync << path.mid(TestConsole::dir.size() + 1);
    QCOMPARE(sync, QStringList({"finalround.wav", "choice.wav", "gameover.wav"}));
    for (int seconds : clocks)
        music << "open sequencer!" + TestConsole::dir + "/" + QString::number(seconds) +
                     ".mid alias midi";
    const auto opened = [&h] { return h.tc.midi.commands.filter(QStringLiteral("open ")); };
    QCOMPARE(opened(), music);

    // Straight into the next game: nothing of the last one may carry over.
    TestConsole::flush();
    Names* n = h.pickFormat();
    QVERIFY(n != nullptr);
    for (int i = 1; i <= players; ++i)
        QVERIFY(n->nameBoxes[i]->text().isEmpty());
    QTest::mouseClick(n->clockVisible, Qt::LeftButton);
    QTest::mouseClick(n->midiCheck, Qt::LeftButton); // no music this time
    const QStringList team = QStringList(cast.mid(0, players)).replaceInStrings("a", "o");
    h.letsPlay(n, team);
    QCOMPARE(s.TotalBank, 0);
    QCOMPARE(s.RoundNumber, 0);
    Maingame* g = h.game();
    QVERIFY(g != nullptr && g->isVisible() && !g->clockDigits->isHidden());
    for (int i = 1; i <= players; ++i) {
        QVERIFY(!s.PlayerOut[i] && !g->nameLabels[i]->isHidden());
        QCOMPARE(g->nameLabels[i]->text(), team[i - 1]);
    }
    h.tc.dialogs.clear();
    h.keys("SCCB.");
    QCOMPARE(h.tc.dialogs.texts(),
             QStringList({"We'll start with the player in the\nfirst position, that's Ado...",
                          "Let's play... The Brackwyn!", "Time is up."}));
    QCOMPARE(s.TotalBank, h.f.chain[2]);
    QCOMPARE(g->prompt->text(), "Press 'V' to proceed to the Vote-Off window");
    QCOMPARE(opened(), music);
}

void TestGame::finalistsAndWhoGoesFirst_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<bool>("earliestOut"); // otherwise the highest slot goes every time
    QTest::addColumn<int>("strongest");
    QTest::addColumn<bool>("goesFirst");
    QTest::addColumn<int>("top"); // slot expected in the top row
    QTest::newRow("6 keeps 1,2: 1 strongest, goes first") << 6 << false << 1 << true << 1;
    QTest::newRow("6 keeps 1,2: 1 strongest, lets 2 go") << 6 << false << 1 << false << 2;
    QTest::newRow("8 keeps 1,2: 2 strongest, goes first") << 8 << false << 2 << true << 2;
    QTest::newRow("9 keeps 8,9: 9 strongest, goes first") << 9 << true << 9 << true << 9;
    QTest::newRow("9 keeps 8,9: 9 strongest, lets 8 go") << 9 << true << 9 << false << 8;
    QTest::newRow("9 keeps 8,9: 8 strongest, lets 9 go") << 9 << true << 8 << false << 9;
}

void TestGame::finalistsAndWhoGoesFirst() {
    QFETCH(int, players);
    QFETCH(bool, earliestOut);
    QFETCH(int, strongest);
    QFETCH(bool, goesFirst);
    QFETCH(int, top);
    Host h(players);
    h.letsPlay(h.pickFormat(), cast.mid(0, players));
    for (int round = 1; round < h.f.lastRound; ++round) {
        h.keys("S.");
        QVERIFY(h.voteOff(earliestOut ? round : players + 1 - round));
    }
    const int low = earliestOut ? players - 1 : 1;
    for (int i = 1; i <= players; ++i)
        QCOMPARE(h.game()->nameLabels[i]->isHidden(), i != low && i != low + 1);
    h.lastRoundWon(strongest);

    Finalround* fr = h.toFinal(goesFirst);
    QVERIFY(fr != nullptr);
    const ScriptedDialogs::Shown& asked = h.tc.dialogs.shown.last();
    QVERIFY(asked.kind == ScriptedDialogs::Shown::YesNo && asked.title == "Who goes first?");
    QVERIFY2(asked.text.startsWith(cast[strongest - 1] + ", since"), qPrintable(asked.text));
    const QString bottom = cast[2 * low + 1 - top - 1];
    QCOMPARE(fr->firstName->text() + "/" + fr->secondName->text(), cast[top - 1] + "/" + bottom);
    // 0:3 after three questions each: the top row's last two cannot catch up.
    QCOMPARE(h.playFinal(fr, "WCWCWCWCWC"), ending(6, bottom, "$0", cast[top - 1]));
}

void TestGame::everyoneWithTheSameName() {
    Host h(6);
    GameState& s = h.tc.state();
    h.letsPlay(h.pickFormat(), QStringList(6, QStringLiteral("Sam")));
    for (int round = 1; round <= 4; ++round) {
        h.keys("S" + QByteArray(h.f.top, 'C') + "B");
        QVERIFY(h.voteOff(round + 1));
        for (int i = 1; i <= 6; ++i)
            QCOMPARE(s.PlayerOut[i], i >= 2 && i <= round + 1);
    }
    // Slot 6 is the strongest and lets slot 1 answer first, in the top row.
    h.lastRoundWon(6);
    Finalround* fr = h.toFinal(false);
    QVERIFY(fr != nullptr);
    QCOMPARE(fr->topFinalist(), 1);
    QCOMPARE(fr->firstName->text() + fr->secondName->text(), QStringLiteral("SamSam"));
    // The top row's answers count for slot 1 alone, so the final ends as with any names.
    QCOMPARE(h.playFinal(fr, "CWCWCWCWCW"), ending(6, "Sam", "$50,000", "Sam"));
    QCOMPARE(s.FinalRightAnswers, (std::array<int, 3>{0, 3, 0}));
}

QTEST_MAIN(TestGame)
#include "tst_game.moc"
