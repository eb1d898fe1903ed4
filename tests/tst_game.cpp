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
#include <QRegularExpression>
#include <QStyleFactory>
#include <QTest>

namespace {

const QStringList cast{"Ada", "Bea", "Cai", "Dov", "Eli", "Fay", "Gus", "Hal", "Ivo"};
const QString askV = QStringLiteral("Press 'V' to proceed to the Vote-Off window");
const QString askF = QStringLiteral("Press 'F' to go to the final round");
const QString goodnight = QStringLiteral("Join us next time on The Brackwyn.\nGoodbye!");

QString winnerMessage(const QString& winner, const QString& prize, const QString& loser) {
    return "That means that " + winner +
           ", you are tonight's\nstrongest link, and you go away with " + prize + ".\n" + loser +
           ", you leave with nothing.";
}

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

// The host at the console: every step is a click or a key press in the window on screen.
struct Host {
    explicit Host(int players) : f(*formats::byPlayers(players)) {
        tc.forms().show(Opening::windowName);
    }
    Names* pickFormat() {
        auto* o = qobject_cast<Opening*>(tc.forms().find(Opening::windowName));
        if (o == nullptr)
            return nullptr;
        QPushButton* b = f.players == 6 ? o->Command1 : f.players == 8 ? o->Command2 : o->Command3;
        QTest::mouseClick(b, Qt::LeftButton);
        TestConsole::flush();
        return qobject_cast<Names*>(tc.forms().find(f.namesWindow));
    }
    void letsPlay(Names* n, const QStringList& names) {
        for (int i = 1; i <= f.players; ++i)
            QTest::keyClicks(n->Text1[at(i)], names[i - 1]);
        QTest::mouseClick(n->Command1, Qt::LeftButton);
        TestConsole::flush();
    }
    Maingame* game() { return qobject_cast<Maingame*>(tc.forms().find(f.gameWindow)); }
    void keys(const QByteArray& typed) {
        for (char k : typed)
            QTest::keyClick(game(), k);
    }
    void runOut() {
        while (game()->clockRunning())
            game()->tick();
    }
    // Every question right up the chain, then the target banked.
    void topBank() { keys("S" + QByteArray(f.top, 'C') + "B"); }
    // A round the given slot ends as the strongest: one right answer, and the other player
    // lets the whole clock run.
    void lastRoundWon(int strongest) {
        keys("S");
        if (tc.state().CurrentPlayer != strongest)
            keys("W");
        keys("C");
        runOut();
    }
    bool voteOff(int slot) {
        keys("V");
        TestConsole::flush();
        auto* v = qobject_cast<Voteoff*>(tc.forms().find(f.voteoffWindow));
        if (v == nullptr)
            return false;
        QTest::mouseClick(v->Command1[at(slot)], Qt::LeftButton);
        auto* g = qobject_cast<Goodbye*>(tc.forms().find(f.goodbyeWindow));
        if (g == nullptr)
            return false;
        QTest::mouseClick(g->OKButton, Qt::LeftButton);
        TestConsole::flush();
        return tc.forms().loaded() == QStringList{f.gameWindow} && game()->isVisible();
    }
    Finalround* toFinal(bool strongestFirst) {
        tc.dialogs.answer({strongestFirst});
        keys("F");
        TestConsole::flush();
        return qobject_cast<Finalround*>(tc.forms().find(Finalround::windowName));
    }
    // Keys in the final one at a time; how many it took until the final closed.
    int answerFinal(Finalround* fr, const char* typed) {
        int n = 0;
        while (typed[n] != '\0' && tc.forms().find(Finalround::windowName) != nullptr)
            QTest::keyClick(fr, typed[n++]);
        return n;
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
    Names* n = h.pickFormat();
    QVERIFY(n != nullptr);
    h.letsPlay(n, cast.mid(0, players));
    QVERIFY(h.game() != nullptr && h.game()->Label11->isHidden()); // the clock starts hidden

    QString starter;
    for (int round = 1; round <= clocks.size(); ++round) {
        h.tc.dialogs.clear();
        h.topBank();
        QCOMPARE(s.RoundNumber, round);
        QCOMPARE(h.tc.dialogs.texts().last(), QStringLiteral("You reached the target!"));
        starter = h.tc.dialogs.texts().first().section(QStringLiteral("that's "), 1).chopped(3);
        QCOMPARE(h.game()->Label4->text(), round < clocks.size() ? askV : askF);
        // Slots 2..N-1 go, so the final is between the first and the last slot.
        if (round < clocks.size())
            QVERIFY(h.voteOff(round + 1));
    }
    // With every answer right the last round's starter answers most and is the strongest.
    QVERIFY(starter == cast[0] || starter == cast[players - 1]);
    const QString other = starter == cast[0] ? cast[players - 1] : cast[0];
    Finalround* fr = h.toFinal(true);
    QVERIFY(fr != nullptr);
    QCOMPARE(fr->Label1->text(), starter);
    QCOMPARE(fr->Label2->text(), other);
    h.tc.dialogs.clear();
    QCOMPARE(h.answerFinal(fr, "CWCWCWCWCW"), 6);
    QCOMPARE(h.tc.dialogs.texts(), QStringList({winnerMessage(starter, prize, other), goodnight}));
    QCOMPARE(h.tc.forms().loaded(), QStringList{"Opening"});
    QCOMPARE(s.TotalBank, h.f.maxPrize);

    QStringList sync;
    for (const auto& [path, mode] : h.tc.wav.calls)
        if (mode == WavPlayer::Mode::Sync)
            sync << path.mid(TestConsole::dir.size() + 1);
    QCOMPARE(sync, QStringList({"finalround.wav", "choice.wav", "gameover.wav"}));
    QStringList music;
    for (int seconds : clocks)
        music << QStringLiteral("open sequencer!%1/%2.mid alias midi")
                     .arg(TestConsole::dir)
                     .arg(seconds);
    const auto opened = [&h] {
        return h.tc.midi.commands.filter(QRegularExpression(QStringLiteral("^open ")));
    };
    QCOMPARE(opened(), music);

    // Straight into the next game: nothing of the last one may carry over.
    TestConsole::flush();
    n = h.pickFormat();
    QVERIFY(n != nullptr);
    for (int i = 1; i <= players; ++i)
        QVERIFY(n->Text1[at(i)]->text().isEmpty());
    QTest::mouseClick(n->Option1Visible, Qt::LeftButton);
    QTest::mouseClick(n->Check2, Qt::LeftButton); // no music this time
    QStringList team;
    for (int i = 1; i <= players; ++i)
        team << QStringLiteral("New %1").arg(i);
    h.letsPlay(n, team);
    QCOMPARE(s.TotalBank, 0);
    QCOMPARE(s.RoundNumber, 0);
    Maingame* g = h.game();
    QVERIFY(g != nullptr && g->isVisible() && !g->Label11->isHidden());
    for (int i = 1; i <= players; ++i) {
        QVERIFY(!s.PlayerOut[i]);
        QVERIFY(!g->PlayerName[at(i)]->isHidden());
        QCOMPARE(g->PlayerName[at(i)]->text(), team[i - 1]);
    }
    h.tc.dialogs.clear();
    h.keys("SCCB");
    h.runOut();
    QCOMPARE(h.tc.dialogs.texts(),
             QStringList({"We'll start with the player in the\nfirst position, that's New 1...",
                          "Let's play... The Brackwyn!", "Time is up."}));
    QCOMPARE(s.RoundNumber, 1);
    QCOMPARE(s.TotalBank, h.f.chain[2]);
    QCOMPARE(g->Label4->text(), askV);
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
        h.keys("S");
        h.runOut();
        QVERIFY(h.voteOff(earliestOut ? round : players + 1 - round));
    }
    const int low = earliestOut ? players - 1 : 1;
    for (int i = 1; i <= players; ++i)
        QCOMPARE(h.game()->PlayerName[at(i)]->isHidden(), i != low && i != low + 1);
    h.lastRoundWon(strongest);

    Finalround* fr = h.toFinal(goesFirst);
    QVERIFY(fr != nullptr);
    const ScriptedDialogs::Shown& asked = h.tc.dialogs.shown.last();
    QVERIFY(asked.kind == ScriptedDialogs::Shown::YesNo);
    QCOMPARE(asked.title, QStringLiteral("Who goes first?"));
    QVERIFY2(asked.text.startsWith(cast[strongest - 1] + ", since"), qPrintable(asked.text));
    const QString bottom = cast[2 * low + 1 - top - 1];
    QCOMPARE(fr->Label1->text(), cast[top - 1]);
    QCOMPARE(fr->Label2->text(), bottom);
    h.tc.dialogs.clear();
    // 0:3 after three questions each: two left cannot catch up.
    QCOMPARE(h.answerFinal(fr, "WCWCWCWCWC"), 6);
    QCOMPARE(h.tc.dialogs.texts(),
             QStringList({winnerMessage(bottom, "$0", cast[top - 1]), goodnight}));
    QCOMPARE(h.tc.forms().loaded(), QStringList{"Opening"});
}

void TestGame::everyoneWithTheSameName() {
    Host h(6);
    GameState& s = h.tc.state();
    h.letsPlay(h.pickFormat(), QStringList(6, QStringLiteral("Sam")));
    for (int round = 1; round <= 4; ++round) {
        h.topBank();
        QVERIFY(h.voteOff(round + 1));
        for (int i = 1; i <= 6; ++i)
            QCOMPARE(s.PlayerOut[i], i >= 2 && i <= round + 1);
    }
    // Slot 6 is the strongest and lets slot 1 answer first, in the top row.
    h.lastRoundWon(6);
    Finalround* fr = h.toFinal(false);
    QVERIFY(fr != nullptr);
    QCOMPARE(fr->topFinalist(), 1);
    QCOMPARE(fr->Label1->text() + fr->Label2->text(), QStringLiteral("SamSam"));
    h.tc.dialogs.clear();
    QCOMPARE(h.answerFinal(fr, "CWCWCWCWCW"), 6);
    QCOMPARE(h.tc.dialogs.texts(),
             QStringList({winnerMessage("Sam", "$50,000", "Sam"), goodnight}));
    QCOMPARE(s.FinalRightAnswers, (std::array<int, 3>{0, 3, 0}));
    QCOMPARE(h.tc.forms().loaded(), QStringList{"Opening"});
}

QTEST_MAIN(TestGame)
#include "tst_game.moc"
