// The game-control window driven as the host drives it: keys, menu commands, clock ticks.
#include "TestConsole.h"
#include "round/Maingame.h"
#include "state/GameFormat.h"
#include "state/Rules.h"
#include "ui/About.h"
#include "ui/Design.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

const QString running =
    QStringLiteral("Press 'C' for each correct answer\n'W' for a wrong answer\n'B' to bank");
const QString askV = QStringLiteral("Press 'V' to proceed to the Vote-Off window");
const QString askF = QStringLiteral("Press 'F' to go to the final round");

struct Game {
    explicit Game(int players, bool wav = true, bool midi = true, bool clock = true)
        : format(*formats::byPlayers(players)) {
        GameState& s = tc.state();
        for (int i = 1; i <= players; ++i)
            s.PlayerNames[i] = QStringLiteral("P%1").arg(i);
        s.UseWav = wav;
        s.UseMidi = midi;
        s.ShowClock = clock;
        w = qobject_cast<Maingame*>(tc.forms().show(QString::fromLatin1(format.gameWindow)));
    }
    GameState& s() { return tc.state(); }
    void keys(const char* typed) {
        for (const char* k = typed; *k != '\0'; ++k)
            QTest::keyClick(w, *k);
    }
    // Runs the clock of the current round down to zero.
    void runOut() {
        while (w->clockRunning())
            w->tick();
    }
    bool isCurrent(int link) const {
        return w->linkBoxes[static_cast<std::size_t>(link)]->fill() == design::red &&
               design::textColour(w->linkCaptions[static_cast<std::size_t>(link)]) ==
                   design::highlightText;
    }
    int currentLinks() const {
        int n = 0;
        for (int i = 0; i < format.top; ++i)
            n += w->linkBoxes[static_cast<std::size_t>(i)]->fill() == design::red ? 1 : 0;
        return n;
    }
    int top(int link) const { return w->linkBoxes[static_cast<std::size_t>(link)]->y(); }
    int labelTop(int link) const { return w->linkCaptions[static_cast<std::size_t>(link)]->y(); }
    bool nameLit(int slot) const {
        return design::textColour(w->nameLabels[static_cast<std::size_t>(slot)]) == design::white;
    }

    TestConsole tc;
    const GameFormat& format;
    Maingame* w;
};

} // namespace

class TestMaingame : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create("Fusion")); }
    void cleanup() { TestConsole::flush(); }

    void roundStart_data();
    void roundStart();
    void strongestLinkStartsTheNextRound();
    void keysOutsideTheirConditionDoNothing();
    void chainClimbsAndDrops_data();
    void chainClimbsAndDrops();
    void bankingAndTheTarget();
    void lastRoundIsMultiplied_data();
    void lastRoundIsMultiplied();
    void wrongAnswers();
    void turnOrderSkipsPlayersWhoAreOut();
    void hostCorrections();
    void clockChargesTimeAndEndsTheRound();
    void displayToggles();
    void handOverToVoteOffAndFinal();
    void startOver();
    void aboutBox();
    void openingHidesPlayersWhoAreOutAndZeroesTheRound();
    void soundOptionsAndMusicErrors();
    void thousandsOfPresses();
};

void TestMaingame::roundStart_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<QString>("clip");
    QTest::newRow("6") << 6 << "120"
                       << "startclock2.wav";
    QTest::newRow("8") << 8 << "150"
                       << "startclock1.wav";
    QTest::newRow("9") << 9 << "180"
                       << "startclock1.wav";
}

void TestMaingame::roundStart() {
    QFETCH(int, players);
    QFETCH(QString, seconds);
    QFETCH(QString, clip);
    Game g(players);
    g.s().PlayerNames[1] = QStringLiteral("<b>Ann</b> %s");
    g.w->nameLabels[1]->setText(g.s().PlayerNames[1]);
    QCOMPARE(g.tc.midi.prepared, 1);
    QCOMPARE(g.w->prompt->text(), QStringLiteral("Press 'S' to start the round"));
    QVERIFY(g.w->clockDigits->text().isEmpty());

    g.keys("s");
    QVERIFY(g.w->clockRunning());
    QCOMPARE(g.s().RoundNumber, 1);
    QCOMPARE(g.s().CurrentPlayer, 1);
    QCOMPARE(g.w->clockDigits->text(), seconds);
    QCOMPARE(
        g.tc.dialogs.texts(),
        QStringList({"We'll start with the player in the\nfirst position, that's <b>Ann</b> %s...",
                     "Let's play... The Brackwyn!"}));
    QCOMPARE(g.tc.dialogs.shown.first().title, QStringLiteral("quolmar"));
    QCOMPARE(g.tc.wav.paths(),
             QStringList({TestConsole::dir + "/letsplay.wav", TestConsole::dir + "/" + clip}));
    QVERIFY(g.tc.wav.calls[0].second == WavPlayer::Mode::Async);
    QCOMPARE(g.tc.midi.commands,
             QStringList({"stop midi", "close midi",
                          "open sequencer!" + TestConsole::dir + "/" + seconds + ".mid alias midi",
                          "play midi"}));
    QCOMPARE(g.w->prompt->text(), running);
    QVERIFY(g.nameLit(1));
    QCOMPARE(g.w->bankAmount->text(), QStringLiteral("$0"));
}

void TestMaingame::strongestLinkStartsTheNextRound() {
    for (int players : {6, 8}) {
        Game g(players);
        g.keys("S");
        g.keys("WC"); // 1 misses at the bottom, 2 answers right, 3 holds the clock to the end
        g.runOut();
        QCOMPARE(g.s().RightAnswers[2], 1);
        QCOMPARE(g.s().TimeUsed[3], g.s().ClockSeconds + rules::clockSeconds(g.format, 1));
        g.tc.dialogs.clear();
        g.keys("S");
        QCOMPARE(g.s().CurrentPlayer, 2);
        QCOMPARE(g.tc.dialogs.shown.first().text,
                 QStringLiteral(
                     "We'll start with the strongest link from\nthe last round, that's P2..."));
        QCOMPARE(g.s().RightAnswers[2], 0); // cleared only after the choice
        for (int i = 1; i <= players; ++i)
            QCOMPARE(g.nameLit(i), i == 2);
    }
    // Equal answers and money, different time: only the 8- and 9-player formats look at time.
    for (int players : {6, 9}) {
        Game g(players);
        g.keys("S");
        g.runOut();
        g.s().clearStatistics(players);
        g.s().RightAnswers[2] = g.s().RightAnswers[5] = 2;
        g.s().TimeUsed[2] = 30;
        g.s().TimeUsed[5] = 10;
        g.keys("S");
        QCOMPARE(g.s().CurrentPlayer, players == 6 ? 2 : 5);
    }
}

void TestMaingame::keysOutsideTheirConditionDoNothing() {
    Game g(8);
    // Stopped clock before any round: C and B do nothing, nor do unknown keys.
    g.keys("CBcbxQ5 9@");
    QCOMPARE(g.s().ChainLevel, 0);
    QCOMPARE(g.s().CurrentPlayer, 0);
    QVERIFY(g.tc.dialogs.shown.isEmpty());
    g.keys("W"); // no current player yet: ignored
    QCOMPARE(g.s().CurrentPlayer, 0);

    g.keys("SCC");
    const GameState before = g.s();
    g.tc.dialogs.clear();
    g.keys("ST1234VFvf");
    QCOMPARE(g.s().ChainLevel, before.ChainLevel);
    QCOMPARE(g.s().RoundNumber, before.RoundNumber);
    QCOMPARE(g.s().RoundBank, before.RoundBank);
    QVERIFY(g.w->totalPanel->isHidden());
    QVERIFY(g.tc.dialogs.shown.isEmpty());
    QCOMPARE(g.tc.forms().find("Maingame8"), g.w);
    QVERIFY(g.w->clockRunning());
}

void TestMaingame::chainClimbsAndDrops_data() {
    QTest::addColumn<int>("players");
    QTest::newRow("6") << 6;
    QTest::newRow("8") << 8;
    QTest::newRow("9") << 9;
}

void TestMaingame::chainClimbsAndDrops() {
    QFETCH(int, players);
    Game g(players);
    const GameFormat& f = g.format;
    g.keys("S");
    QVERIFY(g.isCurrent(0));
    g.keys("C");
    QVERIFY(g.isCurrent(1));
    QCOMPARE(g.currentLinks(), 1);
    QCOMPARE(g.top(1), design::px(f.home[1].shapeTop)); // level 1 moves nothing
    for (int level = 2; level < f.top; ++level) {
        g.keys("C");
        QVERIFY(g.isCurrent(level));
        QCOMPARE(g.currentLinks(), 1);
        const ChainPosition p = rules::droppedPosition(f, level);
        QCOMPARE(g.top(level - 1), design::px(p.shapeTop));
        QCOMPARE(g.labelTop(level - 1), design::px(p.labelTop));
    }
    g.keys("C"); // the top: the top link drops and stays lit
    QCOMPARE(g.s().ChainLevel, f.top);
    QVERIFY(g.isCurrent(f.top - 1));
    QCOMPARE(g.top(f.top - 1), design::px(f.topDrop.shapeTop));
    QCOMPARE(g.labelTop(f.top - 1), design::px(f.topDrop.labelTop));
    g.keys("C"); // above the top nothing moves
    QCOMPARE(g.s().ChainLevel, f.top + 1);
    QCOMPARE(g.top(f.top - 1), design::px(f.topDrop.shapeTop));

    g.keys("B"); // banks the target and resets the chain to its home positions
    QCOMPARE(g.s().RoundBank, f.target);
    QVERIFY(g.isCurrent(0));
    QCOMPARE(g.currentLinks(), 1);
    for (int i = 1; i < f.top; ++i) {
        QCOMPARE(g.top(i), design::px(f.home[static_cast<std::size_t>(i)].shapeTop));
        QCOMPARE(g.labelTop(i), design::px(f.home[static_cast<std::size_t>(i)].labelTop));
    }
}

void TestMaingame::bankingAndTheTarget() {
    Game g(8);
    g.keys("S");
    g.keys("B"); // level 0: nothing banked, chain still reset
    QCOMPARE(g.s().RoundBank, 0);
    QCOMPARE(g.s().MoneyBanked[1], 0);
    g.keys("CCCB"); // players 1, 2, 3 answer; player 4 banks $5,000
    QCOMPARE(g.s().CurrentPlayer, 4);
    QCOMPARE(g.s().MoneyBanked[4], 5000);
    QCOMPARE(g.w->bankAmount->text(), QStringLiteral("$5,000"));
    QCOMPARE(g.s().ChainLevel, 0);

    g.s().RoundBank = 122000;
    g.tc.midi.commands.clear();
    g.tc.dialogs.clear();
    g.keys("CCCB");
    QCOMPARE(g.s().RoundBank, 125000);
    QCOMPARE(g.w->bankAmount->text(), QStringLiteral("$125,000"));
    QCOMPARE(g.s().MoneyBanked[7], 5000); // the whole value, despite the cut-back
    QCOMPARE(g.s().TotalBank, 125000);
    QVERIFY(!g.w->clockRunning());
    QCOMPARE(g.tc.dialogs.texts(), QStringList{"You reached the target!"});
    QCOMPARE(g.tc.midi.commands, QStringList({"stop midi", "close midi"}));
    QCOMPARE(g.w->prompt->text(), askV);
    QVERIFY(g.isCurrent(0));
}

void TestMaingame::lastRoundIsMultiplied_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<bool>("byTarget");
    QTest::addColumn<qint64>("bank");
    QTest::addColumn<qint64>("added");
    QTest::newRow("8 target") << 8 << true << qint64(125000) << qint64(250000);
    QTest::newRow("8 time") << 8 << false << qint64(40000) << qint64(80000);
    QTest::newRow("6 target") << 6 << true << qint64(12500) << qint64(50000);
    QTest::newRow("9 time") << 9 << false << qint64(800) << qint64(2400);
}

void TestMaingame::lastRoundIsMultiplied() {
    QFETCH(int, players);
    QFETCH(bool, byTarget);
    QFETCH(qint64, bank);
    QFETCH(qint64, added);
    Game g(players);
    g.s().RoundNumber = g.format.lastRound - 1;
    g.s().TotalBank = 1000;
    g.keys("S");
    QCOMPARE(g.w->clockDigits->text(),
             QString::number(rules::clockSeconds(g.format, g.format.lastRound)));
    if (byTarget) {
        g.s().RoundBank = g.format.target - 1;
        g.keys("CB");
        QCOMPARE(g.w->bankAmount->text(), rules::money(added)); // BANK shows the multiplied amount
    } else {
        g.s().RoundBank = bank;
        g.runOut();
        QCOMPARE(g.w->bankAmount->text(), QStringLiteral("$0")); // BANK is not refreshed at time-up
        QCOMPARE(g.tc.dialogs.last(), QStringLiteral("Time is up."));
    }
    QCOMPARE(g.s().TotalBank, 1000 + added);
    QCOMPARE(g.w->prompt->text(), askF);
    g.keys("T");
    QCOMPARE(g.w->totalAmount->text(), rules::money(1000 + added));

    // A round after the last one is not multiplied.
    g.keys("S");
    g.s().RoundBank = 100;
    g.runOut();
    QCOMPARE(g.s().TotalBank, 1100 + added);
}

void TestMaingame::wrongAnswers() {
    Game g(6);
    g.keys("S");
    g.keys("CCCCCCW"); // six right answers reach the top; player 1 then misses: $12,500
    QCOMPARE(g.s().MoneyLost[1], 12500);
    QCOMPARE(g.s().CurrentPlayer, 2);
    QVERIFY(g.isCurrent(0));
    g.keys("CCCCCW"); // player 1 misses again at level 5: $5,000
    QCOMPARE(g.s().MoneyLost[1], 17500);
    g.keys("CCCCCCCW"); // player 3 misses above the top: nothing is lost
    QCOMPARE(g.s().MoneyLost[3], 0);
    QCOMPARE(g.s().CurrentPlayer, 4);
    g.keys("W"); // at the bottom nothing is lost, but the turn passes
    QCOMPARE(g.s().MoneyLost[4], 0);
    QCOMPARE(g.s().CurrentPlayer, 5);

    g.runOut();
    g.keys("1W"); // the clock is stopped: W still records the loss and passes the turn
    QCOMPARE(g.s().MoneyLost[5], 100);
    QCOMPARE(g.s().CurrentPlayer, 6);
    QVERIFY(!g.nameLit(5));
    QVERIFY(g.nameLit(6));
}

void TestMaingame::turnOrderSkipsPlayersWhoAreOut() {
    Game g(8);
    g.keys("S");
    g.s().PlayerOut[2] = g.s().PlayerOut[5] = true;
    g.keys("C"); // 1 -> 3
    QCOMPARE(g.s().CurrentPlayer, 3);
    g.keys("W"); // 3 -> 4
    g.keys("C"); // 4 -> 6
    QCOMPARE(g.s().CurrentPlayer, 6);
    g.keys("CC"); // 6 -> 7 -> 8
    g.keys("C");  // 8 -> 1
    QCOMPARE(g.s().CurrentPlayer, 1);
    QVERIFY(g.nameLit(1));
    QVERIFY(!g.nameLit(8));
}

void TestMaingame::hostCorrections() {
    Game g(8);
    g.keys("S");
    g.runOut();
    const int player = g.s().CurrentPlayer;
    const GameState before = g.s();

    g.keys("111"); // the chain steps like correct answers, but nobody is credited
    QCOMPARE(g.s().ChainLevel, 3);
    QVERIFY(g.isCurrent(3));
    QCOMPARE(g.s().CurrentPlayer, player);
    QCOMPARE(g.s().RightAnswers, before.RightAnswers);
    g.keys("3"); // banks $5,000 without a player
    QCOMPARE(g.s().RoundBank, 5000);
    QCOMPARE(g.s().MoneyBanked, before.MoneyBanked);
    QVERIFY(g.isCurrent(0));
    g.keys("4");
    QCOMPARE(g.w->bankAmount->text(), QStringLiteral("$0"));

    g.keys("11111111"); // the top: BANK becomes the target, no link moves, TOTAL unchanged
    QCOMPARE(g.s().ChainLevel, 8);
    QCOMPARE(g.s().RoundBank, 125000);
    QCOMPARE(g.w->bankAmount->text(), QStringLiteral("$125,000"));
    QCOMPARE(g.top(7), design::px(593));
    QVERIFY(g.isCurrent(7));
    QCOMPARE(g.s().TotalBank, before.TotalBank);
    QVERIFY(!g.w->clockRunning());
    g.keys("2");
    QCOMPARE(g.s().ChainLevel, 0);
    QVERIFY(g.isCurrent(0));

    g.s().RoundBank = 100000;
    g.keys("111111113"); // level 8 adds $75,000, cut back to the target
    QCOMPARE(g.s().RoundBank, 125000);
    g.keys("111111111");
    g.s().RoundBank = 0;
    g.keys("3"); // above the top as well
    QCOMPARE(g.s().RoundBank, 75000);
}

void TestMaingame::clockChargesTimeAndEndsTheRound() {
    Game g(8, true, true, false);
    QVERIFY(g.w->clockDigits->isHidden());
    g.keys("S");
    QVERIFY(g.w->roundClock->isActive());
    QCOMPARE(g.w->roundClock->interval(), 1000);
    g.w->tick();
    g.w->tick();
    g.keys("C");
    g.w->tick();
    QCOMPARE(g.s().TimeUsed[1], 2);
    QCOMPARE(g.s().TimeUsed[2], 1);
    QCOMPARE(g.s().ClockSeconds, 147);
    QCOMPARE(g.w->clockDigits->text(), QStringLiteral("147"));
    g.tc.dialogs.clear();
    g.tc.midi.commands.clear();
    for (int i = 0; i < 146; ++i)
        g.w->tick();
    QVERIFY(g.w->clockRunning());
    QVERIFY(g.tc.dialogs.shown.isEmpty());
    g.w->tick(); // the last second is charged too
    QCOMPARE(g.s().TimeUsed[2], 148);
    QVERIFY(!g.w->clockRunning());
    QCOMPARE(g.w->clockDigits->text(), QStringLiteral("0"));
    QCOMPARE(g.tc.dialogs.texts(), QStringList{"Time is up."});
    QCOMPARE(g.w->prompt->text(), askV);
    QVERIFY(g.tc.midi.commands.isEmpty()); // the music ends by itself
    g.w->tick();                           // a stray tick after the end changes nothing
    QCOMPARE(g.s().ClockSeconds, 0);
}

void TestMaingame::displayToggles() {
    Game g(9);
    g.s().TotalBank = 3400;
    g.keys("T");
    QVERIFY(!g.w->totalPanel->isHidden() && !g.w->totalWord->isHidden() && !g.w->totalAmount->isHidden());
    QCOMPARE(g.w->totalAmount->text(), QStringLiteral("$3,400"));
    g.keys("t");
    QVERIFY(g.w->totalPanel->isHidden() && g.w->totalWord->isHidden() && g.w->totalAmount->isHidden());
    g.keys("TS"); // TOTAL stays on show through the round and follows its end
    g.s().RoundBank = 600;
    g.runOut();
    QCOMPARE(g.w->totalAmount->text(), QStringLiteral("$4,000"));
    g.keys("TS");
    g.keys("H"); // H works while the clock runs
    QVERIFY(g.w->clockDigits->isHidden() && g.w->clockPanel->isHidden() && g.w->timeWord->isHidden());
    g.keys("h");
    QVERIFY(!g.w->clockDigits->isHidden() && !g.w->clockPanel->isHidden() && !g.w->timeWord->isHidden());
}

void TestMaingame::handOverToVoteOffAndFinal() {
    Game g(6);
    g.keys("S");
    g.runOut();
    g.keys("F"); // F before the last round does nothing
    QCOMPARE(g.tc.forms().find("Maingame6"), g.w);
    g.keys("V");
    QVERIFY(g.tc.forms().find("Maingame6") == nullptr);
    QVERIFY(g.tc.forms().find("Voteoff6")->isVisible());
    QVERIFY(!g.w->isVisible());
    QTest::keyClick(g.w, 'S'); // a key still queued for the old window does nothing
    QCOMPARE(g.s().RoundNumber, 1);
    g.tc.forms().unload("Voteoff6");

    TestConsole::flush();
    g.s().RoundNumber = 5;
    auto* w = qobject_cast<Maingame*>(g.tc.forms().show("Maingame6"));
    QTest::keyClick(w, 'V'); // V after the last round does nothing
    QCOMPARE(g.tc.forms().loaded(), QStringList{"Maingame6"});
    QTest::keyClick(w, 'F');
    QCOMPARE(g.tc.forms().loaded(), QStringList{"Finalround"});
}

void TestMaingame::startOver() {
    Game g(9);
    g.keys("SCW");
    g.s().PlayerOut[9] = true;
    g.tc.dialogs.clear();
    g.tc.dialogs.answer({false});
    g.w->startOverAction->trigger();
    QCOMPARE(g.tc.dialogs.texts(), QStringList{"Do you really want to exit this game?"});
    QVERIFY(g.tc.dialogs.shown.first().kind == ScriptedDialogs::Shown::OkCancel);
    QVERIFY(g.w->clockRunning()); // Cancel: the round goes on
    QCOMPARE(g.s().RightAnswers[1], 1);

    g.tc.midi.commands.clear();
    g.tc.dialogs.answer({true});
    g.w->startOverAction->trigger();
    QCOMPARE(g.tc.midi.commands, QStringList({"stop midi", "close midi"}));
    QVERIFY(!g.s().PlayerOut[9]);
    QCOMPARE(g.s().RightAnswers[1], 0);
    QCOMPARE(g.s().MoneyLost[2], 0);
    QCOMPARE(g.s().RoundNumber, 1); // left for the next team entry
    QVERIFY(!g.w->clockRunning());
    QCOMPARE(g.tc.forms().loaded(), QStringList{"Opening"});
}

void TestMaingame::aboutBox() {
    Game g(8);
    g.keys("S");
    g.w->aboutAction->trigger();
    g.w->aboutAction->trigger();
    QCOMPARE(g.tc.forms().loaded(), QStringList({"Maingame8", "frmAbout"}));
    auto* about = qobject_cast<About*>(g.tc.forms().find("frmAbout"));
    QVERIFY(about != nullptr);
    QCOMPARE(about->windowTitle(), QStringLiteral("About Tarnevo"));
    QCOMPARE(about->versionLabel->text(), QStringLiteral("Version 2.1"));
    QVERIFY(about->descriptionLabel->text().contains("example.org"));
    QCOMPARE(about->focusWidget(), about->okButton);

    const auto closeWith = [&](const std::function<void(About*)>& how) {
        g.w->aboutAction->trigger();
        auto* a = qobject_cast<About*>(g.tc.forms().find("frmAbout"));
        how(a);
        QVERIFY(g.tc.forms().find("frmAbout") == nullptr);
        TestConsole::flush();
    };
    closeWith([](About* a) { QTest::keyClick(a, Qt::Key_Return); });
    closeWith([](About* a) { QTest::keyClick(a, Qt::Key_Escape); });
    closeWith([](About* a) { QTest::mouseClick(a->okButton, Qt::LeftButton); });
    closeWith([](About* a) { a->close(); });
    QVERIFY(g.w->clockRunning());
    QCOMPARE(g.s().RoundNumber, 1);
}

void TestMaingame::openingHidesPlayersWhoAreOutAndZeroesTheRound() {
    TestConsole tc;
    GameState& s = tc.state();
    s.PlayerNames[3] = QStringLiteral("Cleo");
    s.PlayerNames[9] = QStringLiteral("Ina");
    s.PlayerOut[3] = true;
    s.ChainLevel = 5;
    s.RoundBank = 900;
    auto* w = tc.forms().load<Maingame>("Maingame9");
    QVERIFY(!w->isVisible()); // touched, not shown
    QVERIFY(w->nameLabels[3]->isHidden());
    QVERIFY(!w->seatFrames[3]->isHidden());
    QCOMPARE(w->nameLabels[3]->text(), QStringLiteral("Cleo"));
    QCOMPARE(w->nameLabels[9]->text(), QStringLiteral("Ina"));
    QVERIFY(!w->nameLabels[9]->isHidden());
    QCOMPARE(s.ChainLevel, 0);
    QCOMPARE(s.RoundBank, 0);
    QCOMPARE(w->bankAmount->text(), QStringLiteral("$0"));
    QCOMPARE(tc.forms().load("Maingame9"), w); // touching again keeps the same window
    tc.forms().unload("Maingame9");
    TestConsole::flush();
    QVERIFY(tc.forms().load("Maingame9") != nullptr);
}

void TestMaingame::soundOptionsAndMusicErrors() {
    {
        Game g(8, false, false);
        g.keys("S");
        g.s().RoundBank = 124000;
        g.keys("CB");
        QVERIFY(g.tc.wav.calls.empty());
        QCOMPARE(g.tc.midi.commands, QStringList({"stop midi", "close midi"}));
    }
    TestConsole::flush();
    {
        Game g(9);
        g.tc.midi.openResult = 277;
        g.keys("S");
        QCOMPARE(g.tc.dialogs.texts().count("Error!"), 1);
        QVERIFY(g.w->clockRunning()); // the round goes on without music
    }
}

void TestMaingame::thousandsOfPresses() {
    Game g(8);
    g.keys("S");
    for (int i = 0; i < 40000; ++i)
        g.w->handleKey(QLatin1Char('C'));
    QCOMPARE(g.s().ChainLevel, 40000);
    QCOMPARE(g.s().RightAnswers[1], 5000);
    g.keys("B");
    QCOMPARE(g.s().RoundBank, 125000);
    g.keys("S");
    g.runOut();
    for (int i = 0; i < 40000; ++i)
        g.w->handleKey(QLatin1Char('1'));
    QCOMPARE(g.s().ChainLevel, 40000);
    g.keys("3T");
    QCOMPARE(g.s().RoundBank, 125000);
    QVERIFY(!g.w->totalPanel->isHidden());
}

QTEST_MAIN(TestMaingame)
#include "tst_maingame.moc"
