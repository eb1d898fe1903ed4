// The game as the host sees it: whole games checked at every hand-over, the moments a whole game
// does not pass through, every window as designed (boxes in twips, fonts, colours, captions), the
// chain's movements, and names of every kind shown as typed.
#include "Host.h"
#include "state/Rules.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QRegularExpression>
#include <QStyleFactory>

namespace {

const QColor white = design::white, black = design::black, red = design::red, teal = design::teal,
             dark = design::darkGrey;

QRect px(const QRect& twips) {
    return {design::px(twips.x()), design::px(twips.y()), design::px(twips.width()),
            design::px(twips.height())};
}

// A row: the control's box (for the window itself, "": its client size) and what it shows.
void row(const char* window, const char* control, QRect box, double points = 0, QColor ink = {},
         const QString& text = QString()) {
    QTest::addRow("%s %s", window, control) << window << control << box << points << ink << text;
}

} // namespace

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
    void designs_data();
    void designs();
    void chainMoves_data();
    void chainMoves();
    void namesShowAsTyped();
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
    QCOMPARE(h.dialogs.texts.first(),
             "We'll start with the player in the\nfirst position, that's Ada...");
    QCOMPARE(h.game()->clockDigits->text().toInt(), clocks.section(u':', 0, 0).toInt() - 5);
    h.play(".");
    QCOMPARE(h.dialogs.last(), "Time is up.");
    QTEST(h.sees(), "timeUp");
    h.play("V");
    QCOMPARE(h.onScreen(), h.voteoff());
    QTEST(h.table(), "table");
    h.dialogs.clear();
    h.play("out:2");
    QCOMPARE(h.dialogs.texts, QStringList{"Are you sure you want to eliminate Bea?"});
    QCOMPARE(h.goodbye()->farewellText->text(), "Bea,\nYou ARE the Brackwyn!\n\nGoodbye...");
    QVERIFY(h.game() && !h.game()->isVisible() && h.voteoff() == nullptr);
    h.play("ok");
    QCOMPARE(h.sees(), "$0 -  link 0 lit  out 2 S");

    // Rounds to the last: nobody answers, then one voted off; the last: all right, to the top.
    for (int round = 2; round < f.lastRound; ++round) {
        h.dialogs.clear();
        h.play("S . V");
        QVERIFY(h.dialogs.texts.first().startsWith("We'll start with the strongest link from"));
        QCOMPARE(h.table().section(u'|', 1, 1), "Bea"); // no figures, no vote for those out
        h.play(QStringLiteral("out:%1 ok").arg(round + 1));
    }
    h.play(QStringLiteral("S C*%1 B T").arg(f.top));
    QCOMPARE(bankAtTarget, rules::money(f.target));
    QTEST(h.sees(), "lastEnd");
    h.play("V"); // no vote-off after the last round
    QCOMPARE(h.onScreen(), h.game());

    h.dialogs.clear();
    h.play("F C W C");
    QVERIFY(h.dialogs.titles.first() == u"Who goes first?");
    QTEST(h.board(), "board");
    h.dialogs.clear();
    h.play("W C W");
    QFETCH(QString, ending);
    const QStringList e = ending.split(u'|');
    QCOMPARE(h.dialogs.texts, QStringList({"That means that " + e[0] +
                                               ", you are tonight's\nstrongest link, and "
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
    QTest::newRow("chain, turn, lower case") << 8 << "c" << 0 << "s c*3"
                                             << "$0 - 150 link 3 lit Dov out  C"
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
    QTest::newRow("key 4") << 9 << "c" << 0 << "S C B . 4" << "$0 - 0 link 0 lit Bea out  V"
                           << "Time is up.";
    QTest::newRow("C, B, F, V out of turn") << 6 << "c" << 0 << "C B F S . F S V"
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
    if (script.endsWith(u"restart")) // the music stops, and the start window is back
        QCOMPARE(h.midi.commands.mid(h.midi.commands.size() - 2).join(u' ') + " " +
                     h.onScreen()->objectName(),
                 "stop midi close midi " + windows::opening);
    const Form* about = h.forms().find(windows::about);
    QCOMPARE(about && about->isVisible(), script.contains(u"about"));
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
    QCOMPARE(h.dialogs.texts,
             QStringList{asked + ", since you were the strongest link from the last round,\nyou "
                                 "can decide if you want to go first."});
    QCOMPARE(h.clips(), QStringList({"finalround.wav!", "choice.wav!"}));
    QFETCH(QString, keys);
    h.play(keys);
    const QString said = h.dialogs.texts.value(1);
    const QString result = h.final()        ? h.board()
                           : said.isEmpty() ? QStringLiteral("closed")
                                            : said.section(u' ', 3, 3).chopped(1);
    QTEST(result, "result");
    if (h.final() == nullptr)
        QCOMPARE(h.onScreen()->objectName(), windows::opening);
}

void TestGame::designs_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("box");
    QTest::addColumn<double>("points");
    QTest::addColumn<QColor>("ink"); // a label's text colour, a panel's fill
    QTest::addColumn<QString>("text");
    row("Opening", "", {0, 0, 4680, 6225}, 0, {}, "The Brackwyn");
    row("Opening", "Label1", {173, 120, 4335, 375}, 18, {}, "Welcome to...");
    row("Opening", "Command1", {113, 3720, 4455, 495}, 12, {}, "6 Players - Max. Prize $100,000");
    row("Opening", "Command2", {113, 4320, 4455, 495}, 12, {}, "8 Players - Max. Prize $1,000,000");
    row("Opening", "Command3", {113, 4920, 4455, 495}, 12, {}, "9 Players - Max. Prize $10,000");
    row("Names6", "", {0, 0, 4680, 2970}, 0, {}, "Let's Meet the Team");
    row("Names8", "Label1(7)", {1800, 2280, 1215, 255}, 8.25, {}, "Player 8");
    row("Names8", "Command1", {3240, 1920, 1335, 375}, 0, {}, "Let's Play!");
    row("Names9", "Frame1", {4920, 30, 1335, 1095}, 0, {}, "Timer");
    row("Maingame6", "", {0, 0, 11145, 7560}, 0, {}, "The Brackwyn Game Control");
    row("Maingame6", "Label4", {2280, 5640, 8655, 1695}, 24, {}, "Press 'S' to start the round");
    row("Maingame6", "Label9", {435, 5793, 1335, 375}, 14.25, white, "$0");
    row("Maingame6", "Label3", {5805, 4620, 1575, 375}, 14.25, white, "");
    row("Maingame6", "Label11", {9315, 480, 1335, 375}, 15.75);
    row("Maingame6", "PlayerName(1)", {3000, 4425, 1215, 375}, 12, black, "Ada");
    row("Maingame6", "Shape1(5)", {240, 993, 1815, 975}, 0, teal);
    row("Maingame8", "", {0, 0, 11025, 8160});
    row("Maingame8", "Label9", {440, 6833, 1335, 375}, 14.25, white);
    row("Maingame8", "Label10", {840, 7313, 615, 255}, 9.75, {}, "BANK");
    row("Maingame8", "Shape1(0)", {360, 5993, 1455, 615}, 0, red);
    row("Maingame8", "Shape1(7)", {120, 593, 1935, 975}, 0, teal);
    row("Maingame8", "Label1(7)", {}, 18, black, "$125,000");
    row("Maingame6", "chain", {}, 14.25, white, "$100 $250 $500 $1,000 $5,000 $12,500");
    row("Maingame8", "chain", {}, 14.25, white,
        "$1,000 $2,500 $5,000 $10,000 $25,000 $50,000 $75,000 $125,000");
    row("Maingame9", "chain", {}, 14.25, white, "$20 $50 $100 $200 $300 $450 $600 $800 $1,000");
    row("Maingame9", "", {0, 0, 12735, 8535});
    row("Maingame9", "Label9", {435, 7320, 1335, 375});
    row("Maingame9", "Label3", {6285, 4260, 1575, 375}, 14.25, white, "$0");
    row("Maingame9", "PlayerName(9)", {11160, 5385, 1215, 375}, 12, black, "Ivo");
    row("Voteoff6", "", {0, 0, 9840, 4635}, 0, {}, "It's time to vote off The Brackwyn!");
    row("Voteoff6", "Label10", {1095, 3240, 8640, 615}, 24, {}, "Who is the Brackwyn?");
    row("Voteoff8", "", {0, 0, 12660, 4785}, 0, {}, "It's time to vote off the Brackwyn!");
    row("Voteoff8", "Label6", {0, 600, 975, 495}, 12, {}, "Right Answers");
    row("Voteoff8", "Label2(3)", {4080, 720, 1215, 375}, 14.25, {}, "0");
    row("Voteoff9", "", {0, 0, 14145, 4605});
    row("Voteoff9", "Label1(9)", {12720, 120, 1215, 375}, 12, {}, "Ivo");
    row("Voteoff9", "Command1(9)", {12720, 4080, 1215, 495}, 0, {}, "Ivo");
    row("Goodbye6", "", {0, 0, 6030, 3270}, 0, {}, "It's time for you to go");
    row("Goodbye6", "Picture1", {120, 120, 3255, 3015});
    row("Goodbye6", "Label1", {3480, 360, 2535, 1935}, 14.25, {}, "Label1");
    row("Goodbye6", "OKButton", {4200, 2640, 1215, 375}, 0, {}, "OK");
    row("Goodbye9", "OKButton", {4080, 2640, 1215, 375});
    row("Finalround", "", {0, 0, 10515, 3720}, 0, {}, "The Final Round");
    row("Finalround", "Label2", {120, 1560, 2055, 375}, 14.25, white, "Bea");
    row("Finalround", "Label3(1)", {3120, 600, 495, 495}, 24, dark, "1");
    row("Finalround", "Label3(10)", {9360, 1440, 495, 495}, 24, black, "5");
    row("Finalround", "Label5", {4530, 2760, 1455, 375}, 14.25, white, "$0");
    row("frmAbout", "", {0, 0, 5730, 3270}, 0, {}, "About Tarnevo");
    row("frmAbout", "lblTitle", {3480, 240, 1965, 960}, 12, black, "The Brackwyn Game Control");
    row("frmAbout", "lblVersion", {3480, 1320, 1965, 345}, 12, {}, "Version 2.1");
}

void TestGame::designs() {
    QFETCH(QString, window);
    QFETCH(QString, control);
    const QChar last = window.back();
    Host h(last.isDigit() ? last.digitValue() : 8);
    for (int i = 1; i <= 9; ++i)
        h.state().PlayerNames[i] = cast[i - 1];
    Form* w = h.forms().load(window);
    QVERIFY(w);
    // "chain": every link's caption, the bottom one (lit) for font and colour.
    QWidget* c = control.isEmpty()     ? w->findChild<QWidget*>("client")
                 : control == u"chain" ? w->findChild<QWidget*>("Label1(0)")
                                       : w->findChild<QWidget*>(control);
    if (control.isEmpty() && c == nullptr)
        c = w;
    QVERIFY2(c, qPrintable(control));
    QFETCH(QRect, box);
    if (control.isEmpty())
        QCOMPARE(c->size(), px(box).size());
    else if (!box.isNull())
        QCOMPARE(c->geometry(), px(box));
    QFETCH(double, points);
    if (points > 0) {
        QCOMPARE(c->font().pointSizeF(), points);
        // Bold but for the team entry's captions and the vote-off's row headings.
        const bool regular =
            points == 8.25 || (window.startsWith(u"Voteoff") && control == u"Label6");
        QCOMPARE(c->font().bold(), !regular);
        if (QFontDatabase::families().contains("Liberation Sans"))
            QCOMPARE(QFontInfo(c->font()).family(), "Liberation Sans");
    }
    QFETCH(QColor, ink);
    if (auto* p = qobject_cast<design::Panel*>(c); p && ink.isValid())
        QCOMPARE(p->fill(), ink);
    if (auto* l = qobject_cast<QLabel*>(c); l && ink.isValid())
        QCOMPARE(design::textColour(l), ink);
    QFETCH(QString, text);
    QStringList shown{control.isEmpty()
                          ? w->windowTitle()
                          : c->property(c->inherits("QGroupBox") ? "title" : "text").toString()};
    if (auto* g = qobject_cast<Maingame*>(w); g && control == u"chain")
        for (int i = 1; i < g->format.top; ++i)
            shown << g->linkCaptions[i]->text();
    if (!text.isNull())
        QCOMPARE(shown.join(u' '), text);
    // Only the game's own windows take keys: none of their controls may take the focus.
    if (window.startsWith(u"Maingame") || window == u"Finalround")
        for (QWidget* child : w->findChildren<QWidget*>())
            QVERIFY2(child->focusPolicy() == Qt::NoFocus, qPrintable(child->objectName()));
}

void TestGame::chainMoves_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("tops"); // box/caption tops of links 1..top-1, in twips
    QTest::newRow("6 home") << 6 << 0 << "4230/4350 3510/3630 2790/2910 2070/2190 993/1253";
    QTest::newRow("6 at 5") << 6 << 5 << "4710/4830 4470/4590 4230/4350 3990/4110 993/1253";
    QTest::newRow("6 at 6") << 6 << 6 << "4710/4830 4470/4590 4230/4350 3990/4110 3390/3660";
    QTest::newRow("8 at 8") << 8 << 8
                            << "5760/5880 5520/5640 5280/5400 5040/5160 4800/4920 4560/4680 "
                               "3960/4215";
    QTest::newRow("9 at 10") << 9 << 10
                             << "6240/6360 6000/6120 5760/5880 5520/5640 5280/5400 5040/5160 "
                                "4800/4920 4320/4515";
    QTest::newRow("9 back home") << 9 << -9
                                 << "5760/5880 5040/5160 4320/4440 3600/3720 2880/3000 "
                                    "2160/2280 1440/1560 480/675";
}

void TestGame::chainMoves() {
    QFETCH(int, players);
    QFETCH(int, level);
    QFETCH(QString, tops);
    Host h(players);
    h.newGame({"Ada"});
    h.play(QStringLiteral("S C*%1").arg(qAbs(level)) + (level < 0 ? " W" : ""));
    QStringList seen, want;
    for (int i = 1; i < h.f.top; ++i)
        seen << QStringLiteral("%1/%2")
                    .arg(h.game()->linkBoxes[i]->y())
                    .arg(h.game()->linkCaptions[i]->y());
    for (const QString& pair : tops.split(u' '))
        want << QStringLiteral("%1/%2")
                    .arg(design::px(pair.section(u'/', 0, 0).toInt()))
                    .arg(design::px(pair.section(u'/', 1).toInt()));
    QCOMPARE(seen, want);
}

void TestGame::namesShowAsTyped() {
    const QStringList names{"",       "<b>Bo</b>", "Zoë & Ærø",     "李小龙", "Ann\nMarie",
                            "%1 %s", "Ada",       QString(300, u'W'), "Maximiliane Hohenzollern"};
    Host h(9);
    h.newGame(names);
    for (int i = 1; i <= 9; ++i) {
        const QLabel* l = h.game()->nameLabels[i];
        QCOMPARE(l->text(), names[i - 1]);
        QCOMPARE(l->textFormat(), Qt::PlainText);
        // A name too wide for its box at 12 points is drawn smaller, down to 7 points.
        const bool wide =
            QFontMetrics(design::arial(12)).horizontalAdvance(names[i - 1]) > l->width();
        QCOMPARE(l->font().pointSizeF() < 12, wide);
        QVERIFY(l->font().pointSizeF() >= 7);
    }
    h.play("S . V");
    for (int i = 1; i <= 9; ++i) {
        QCOMPARE(h.voteoff()->nameLabels[i]->text(), names[i - 1]);
        QCOMPARE(h.voteoff()->eliminateButtons[i]->text(),
                 QString(names[i - 1]).replace("&", "&&"));
    }
    h.play("out:3");
    QVERIFY(h.goodbye()->farewellText->text().startsWith(names[2] + ",\n"));
    h.play("ok");
    for (int i = 1; i <= 9; ++i)
        h.state().PlayerOut[i] = i != 2 && i != 8;
    h.state().RoundNumber = h.f.lastRound;
    h.play("F");
    QCOMPARE(h.final()->firstName->text() + "|" + h.final()->secondName->text(),
             names[1] + "|" + names[7]);
    QVERIFY(h.final()->secondName->font().pointSizeF() < 14.25);
}

QTEST_MAIN(TestGame)
#include "tst_game.moc"
