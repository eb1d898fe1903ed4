// The game as the host sees it: whole games checked at every hand-over, the moments they do not
// pass through, every window as designed, names of every kind, what the audience and card show; and
// a random host that no input may crash or lead astray.
#include "Host.h"
#include "audience/AudienceScreen.h"
#include "questions/QuestionCard.h"
#include "state/Rules.h"

#include <QAccessible>
#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStyleFactory>
#include <optional>
#include <random>

using namespace audience;

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

// A frame in a line: the phase's own figures, players with the one answering starred, markers
// as v (tick), x (cross), o (current) and . (empty).
QString describe(const Frame& f) {
    QStringList players = f.players, out;
    if (f.current >= 0)
        players[f.current] += u'*';
    if (!f.chain.isEmpty())
        out << QStringLiteral("link %1 to %2").arg(f.litLink).arg(f.chain.last());
    for (const auto& [what, amount] : {std::pair{"bank ", f.bank},
                                       {"clock ", f.clock},
                                       {"total ", f.total},
                                       {"prize ", f.prize}})
        out << (amount.isEmpty() ? QString() : what + amount);
    for (const Finalist& who : f.finalists) {
        QString marks = who.name + ":";
        for (Mark m : who.marks)
            marks += m == Mark::Tick      ? u'v'
                     : m == Mark::Cross   ? u'x'
                     : m == Mark::Current ? u'o'
                                          : u'.';
        out << (who.name.isEmpty() ? QString() : marks);
    }
    out << (f.suddenDeath ? "sudden death" : "") << players.join(u' ') << f.name << f.banner;
    out.removeAll(QString());
    return out.isEmpty() ? QStringLiteral("title") : out.join(u", ");
}

const QString toFinal6 = "S . V out:2 ok S . V out:3 ok S . V out:4 ok S . V out:5 ok S . ";

// A deck of Q1 to Q20, answered A1 to A20; the last two long enough to need shrinking.
QList<questions::Question> deck() {
    QList<questions::Question> out;
    for (int i = 1; i <= 20; ++i)
        out.append({QStringLiteral("Q%1 ").arg(i) + QString("Which one? ").repeated(i / 19 * 40),
                    QStringLiteral("A%1 ").arg(i) + QString("This one. ").repeated(i / 19 * 20)});
    return out;
}

// The card in a line as a screen reader gets it, a question asked and its answer by their first
// word.
QString describe(questions::QuestionCard& card) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&card);
    QStringList read;
    for (int i = 0; i < a->childCount(); ++i) {
        const QString text = a->child(i)->text(QAccessible::Name);
        read << (i >= 3 && card.text().asking ? text.section(u' ', 0, 0) : text);
    }
    return read.join(u'|');
}

// What the host sees, the shared record, every sound and box so far, in a line.
QString everything(Host& h) {
    QString out;
    const GameState& s = h.state();
    const auto all = [](const auto& a) { return QList<qint64>(a.begin(), a.end()); };
    QDebug(&out) << (h.final() ? h.board() : h.sees()) << s.ChainLevel << s.RoundBank << s.TotalBank
                 << s.ClockSeconds << s.RoundNumber << s.CurrentPlayer << all(s.PlayerOut)
                 << all(s.TimeUsed) << all(s.RightAnswers) << all(s.MoneyBanked) << all(s.MoneyLost)
                 << all(s.FinalRightAnswers) << all(s.FinalQuestionsLeft) << s.SuddenDeath
                 << h.wav.calls.size() << h.midi.commands << h.dialogs.texts;
    return out;
}

} // namespace

class TestGame : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create("Fusion")); }
    void cleanup() { Host::flush(); }
    void wholeGame_data();
    void wholeGame();
    void designs_data();
    void designs();
    void namesShowAsTyped();
    void moments_data();
    void moments();
    void undo_data();
    void undo();
    void randomHost();
};

void TestGame::wholeGame_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<QString>("timeUp");  // the game window after round 1's time is up
    QTest::addColumn<QString>("table");   // the vote-off after round 1
    QTest::addColumn<QString>("lastEnd"); // the game window after the last round, TOTAL shown
    QTest::addColumn<QString>("final");   // its keys, "|" where the board is looked at
    QTest::addColumn<QString>("board");
    QTest::addColumn<QString>("ending");
    QTest::addColumn<QString>("clocks"); // per round: seconds and the start clip's number
    QTest::addColumn<QString>("top");    // the links' box/caption tops at the last round's top
    QTest::addColumn<QString>("home");   // and back home after its bank, in twips
    QTest::newRow("6") << 6 << "$500 - 0 link 0 lit Ada out  V"
                       << "Ada 1 120 $0 $0+|Bea 1 0 $0 $0+|Cai 1 0 $0 $0+|Dov 0 0 $500 $0+|"
                          "Eli 1 0 $0 $0+|Fay 0 0 $0 $100+"
                       << "$50,000 $50,500 60 link 0 lit Ada out 2,3,4,5 F"
                       << "F C*10|C W"
                       << "Ada/Fay $50,500 [1]1" // sudden death
                       << "Ada|$50,500|Fay"
                       << "120:2 105:2 90:2 75:2 60:2"
                       << "4710/4830 4470/4590 4230/4350 3990/4110 3390/3660"
                       << "4230/4350 3510/3630 2790/2910 2070/2190 993/1253";
    // With the audience screen open: the same game, the same sounds.
    QTest::newRow("8, audience screen")
        << 8 << "$5,000 - 0 link 0 lit Gus out  V"
        << "Ada 1 0 $0 $0+|Bea 1 0 $0 $0+|Cai 1 0 $0 $0+|Dov 0 0 $5,000 $0+|"
           "Eli 1 0 $0 $0+|Fay 0 0 $0 $1,000+|Gus 0 150 $0 $0+|Hal 0 0 $0 $0+"
        << "$250,000 $255,000 90 link 0 lit Hal out 2,3,4,5,6,7 F"
        << "no F C W C|W C W"
        << "Ada/Hal $255,000 vxv[2]334455"
        << "Ada|$255,000|Hal"
        << "150:1 140:1 130:1 120:2 110:2 100:2 90:2"
        << "5760/5880 5520/5640 5280/5400 5040/5160 4800/4920 4560/4680 3960/4215"
        << "5273/5393 4553/4673 3833/3953 3113/3233 2393/2513 1673/1793 593/853";
    QTest::newRow("9")
        << 9 << "$100 - 0 link 0 lit Gus out  V"
        << "Ada 1 0 $0 $0+|Bea 1 0 $0 $0+|Cai 1 0 $0 $0+|Dov 0 0 $100 $0+|"
           "Eli 1 0 $0 $0+|Fay 0 0 $0 $20+|Gus 0 180 $0 $0+|Hal 0 0 $0 $0+|"
           "Ivo 0 0 $0 $0+"
        << "$3,000 $3,100 90 link 0 lit Ivo out 2,3,4,5,6,7,8 F"
        << "F W C W|C W C"
        << "Ada/Ivo $3,100 xvx[2]334455"
        << "Ivo|$3,100|Ada"
        << "180:1 170:1 160:1 150:1 140:1 130:1 120:2 90:2"
        << "6240/6360 6000/6120 5760/5880 5520/5640 5280/5400 5040/5160 4800/4920 4320/4515"
        << "5760/5880 5040/5160 4320/4440 3600/3720 2880/3000 2160/2280 1440/1560 480/675";
}

void TestGame::wholeGame() {
    QFETCH(int, players);
    QFETCH(QString, clocks);
    Host h(players);
    std::optional<AudienceScreen> screen;
    std::optional<questions::QuestionCard> card;
    int answersShown = 0, leaks = 0; // on the card, and on the audience screen
    if (QByteArray(QTest::currentDataTag()).contains("audience")) {
        screen.emplace(h.console);
        card.emplace(h.console, ::deck());
        QObject::connect(&h.console.notices, &Notices::told, &*card, [&] {
            answersShown += card->text().answer.startsWith(u'A');
            for (const Item& item : screen->layout().items)
                leaks += item.text.contains(QRegularExpression("^[AQ][0-9]"));
        });
    }
    const GameFormat& f = h.f;
    QString bankAtTarget;
    h.dialogs.onShow = [&](const QString& text) {
        if (text == u"You reached the target!")
            bankAtTarget = h.game()->bankAmount->text();
    };
    h.newGame(cast.mid(0, players));
    QCOMPARE(h.sees(), "$0 -  link 0 lit  out  S");
    // Ready during team entry, and with the first round's instruments as its window opens.
    QCOMPARE(h.midi.prepared, QStringList({"", h.console.sound.path(rules::musicFile(f, 1))}));

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
    const auto chainAt = [&](const QString& twips) {
        QList<int> seen, want;
        for (int i = 1; i < f.top; ++i)
            seen << h.game()->linkBoxes[i]->y() << h.game()->linkCaptions[i]->y();
        for (const QString& t : twips.split(QRegularExpression("[ /]")))
            want << design::px(t.toInt());
        QCOMPARE(seen, want);
    };
    h.play(QStringLiteral("S C*%1").arg(f.top));
    QFETCH(QString, top);
    chainAt(top);
    h.play("B T");
    QFETCH(QString, home);
    chainAt(home);
    QCOMPARE(bankAtTarget, rules::money(f.target));
    QTEST(h.sees(), "lastEnd");
    h.play("V"); // no vote-off after the last round
    QCOMPARE(h.onScreen(), h.game());

    h.dialogs.clear();
    QFETCH(QString, final);
    h.play(final.section(u'|', 0, 0));
    QVERIFY(h.dialogs.titles.first() == u"Who goes first?");
    QTEST(h.board(), "board");
    // The stronger of the last round chooses; "Yes" puts the chooser in the top row.
    const int row = final.startsWith(u"no") ? 1 : 0;
    QCOMPARE(h.dialogs.texts.first().section(u',', 0, 0),
             h.board().section(u'/', row, row).section(u' ', 0, 0));
    h.dialogs.clear();
    h.play(final.section(u'|', 1));
    QFETCH(QString, ending);
    const QStringList e = ending.split(u'|');
    QCOMPARE(h.dialogs.texts, QStringList({"That means that " + e[0] +
                                               ", you are tonight's\nstrongest link, and "
                                               "you go away with " +
                                               e[1] + ".\n" + e[2] + ", you leave with nothing.",
                                           "Join us next time on The Brackwyn.\nGoodbye!"}));
    QCOMPARE(h.forms().loaded(), QStringList{windows::opening});
    if (screen) { // the winner stays on show; no question or answer was ever on it
        QCOMPARE(describe(screen->frame()).section(", ", 3), "Ada, tonight's strongest link");
        QCOMPARE(leaks, 0);
        QVERIFY(answersShown > 20);
        QCOMPARE(describe(*card), "All 20 used|0 left||No more questions|");
    }

    // Every sound of the game, in order.
    QStringList clips, music;
    for (const QString& c : clocks.split(u' ')) {
        clips << "letsplay.wav"
              << "startclock" + c.section(u':', 1) + ".wav";
        music << "open sequencer!" + h.dir + "/" + c.section(u':', 0, 0) + ".mid alias midi";
        if (clips.size() < 4 * f.lastRound - 4)
            clips << "voteoff.wav"
                  << "vokwen.wav";
    }
    clips << "finalround.wav!"
          << "choice.wav!"
          << "gameover.wav!";
    QStringList played;
    for (const auto& [path, mode] : h.wav.calls)
        played << path.mid(h.dir.size() + 1) + (mode == WavPlayer::Mode::Sync ? "!" : "");
    QCOMPARE(played.replaceInStrings(QRegularExpression("vokwen[1-5]"), "vokwen"), clips);
    QCOMPARE(h.midi.commands.filter("open "), music);
    QCOMPARE(h.midi.commands.filter("stop ").size(), f.lastRound + 1); // and at the target
}

void TestGame::designs_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("box");
    QTest::addColumn<double>("points");
    QTest::addColumn<QColor>("ink"); // a label's text colour, a panel's fill
    QTest::addColumn<QString>("text");
    row("Opening", "", {0, 0, 4680, 6225}, 0, {}, "The Brackwyn");
    row("Opening", "Command1", {113, 3720, 4455, 495}, 12, {}, "6 Players - Max. Prize $100,000");
    row("Names6", "", {0, 0, 4680, 2970}, 0, {}, "Let's Meet the Team");
    row("Names8", "Label1(7)", {1800, 2280, 1215, 255}, 8.25, {}, "Player 8");
    row("Maingame6", "", {0, 0, 11145, 7560}, 0, {}, "The Brackwyn Game Control");
    row("Maingame6", "Label4", {2280, 5640, 8655, 1695}, 24, {}, "Press 'S' to start the round");
    row("Maingame6", "Label9", {435, 5793, 1335, 375}, 14.25, white, "$0");
    row("Maingame6", "Label11", {9315, 480, 1335, 375}, 15.75);
    row("Maingame8", "", {0, 0, 11025, 8160});
    row("Maingame8", "Shape1(0)", {360, 5993, 1455, 615}, 0, red);
    row("Maingame8", "Label1(7)", {}, 18, black, "$125,000");
    row("Maingame6", "chain", {}, 14.25, white, "$100 $250 $500 $1,000 $5,000 $12,500");
    row("Maingame9", "", {0, 0, 12735, 8535});
    row("Maingame9", "Label3", {6285, 4260, 1575, 375}, 14.25, white, "$0");
    row("Maingame9", "PlayerName(9)", {11160, 5385, 1215, 375}, 12, black, "Ivo");
    row("Voteoff6", "", {0, 0, 9840, 4635}, 0, {}, "It's time to vote off The Brackwyn!");
    row("Voteoff6", "Label10", {1095, 3240, 8640, 615}, 24, {}, "Who is the Brackwyn?");
    row("Voteoff8", "", {0, 0, 12660, 4785}, 0, {}, "It's time to vote off the Brackwyn!");
    row("Voteoff8", "Label6", {0, 600, 975, 495}, 12, {}, "Right Answers");
    row("Voteoff9", "Label1(9)", {12720, 120, 1215, 375}, 12, {}, "Ivo");
    row("Goodbye6", "", {0, 0, 6030, 3270}, 0, {}, "It's time for you to go");
    row("Finalround", "", {0, 0, 10515, 3720}, 0, {}, "The Final Round");
    row("Finalround", "Label2", {120, 1560, 2055, 375}, 14.25, white, "Bea");
    row("Finalround", "Label3(1)", {3120, 600, 495, 495}, 24, dark, "1");
    row("frmAbout", "", {0, 0, 5730, 3270}, 0, {}, "About Tarnevo");
    row("frmAbout", "lblTitle", {3480, 240, 1965, 960}, 12, black, "The Brackwyn Game Control");
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

// Names of every kind as typed, a whole game long; the audience screen's frames on screens of any
// shape: texts inside the screen and their boxes, clear of each other, amounts 8 % of its height.
void TestGame::namesShowAsTyped() {
    const QStringList names{
        QString(300, u'W'), "",           "<b>Bo</b>", "Zoë & Ærø",
        "李小龙",           "Ann\nMarie", "%1 %s",     "Maximiliane Hohenzollern"};
    Host h(8);
    AudienceScreen screen(h.console);
    const auto fits = [](const Frame& frame) {
        for (const QSizeF size : {QSizeF(512, 384), QSizeF(540, 960), QSizeF(1920, 1080)}) {
            const Layout l = layoutFor(frame, size);
            const QRectF all(QPointF(), size);
            QVERIFY(l.picture.isEmpty() || (all.contains(l.pictureBox) && !l.pictureBox.isEmpty()));
            QList<QRectF> placed;
            for (const Item& item : l.items) {
                const QRectF g = item.glyphs();
                if (item.text.isEmpty())
                    continue;
                QVERIFY2(all.contains(g) && item.box.contains(g), qPrintable(item.text));
                for (const QRectF& other : placed)
                    QVERIFY2(!other.intersects(g), qPrintable(item.text));
                placed << g;
                if (item.text.startsWith(u'$') || item.text.at(0).isDigit())
                    QVERIFY2(item.font.pixelSize() >= int(0.08 * l.stage.height()),
                             qPrintable(item.text));
            }
        }
    };
    const auto play = [&](const QString& script) {
        for (const QString& step : script.split(u' ')) {
            h.play(step);
            fits(screen.frame());
        }
    };
    h.newGame(names);
    for (int i = 1; i <= 8; ++i) {
        const QLabel* l = h.game()->nameLabels[i];
        QCOMPARE(l->text(), names[i - 1]);
        QCOMPARE(l->textFormat(), Qt::PlainText);
        // A name too wide for its box at 12 points is drawn smaller, down to 7 points.
        const bool wide =
            QFontMetrics(design::arial(12)).horizontalAdvance(names[i - 1]) > l->width();
        QCOMPARE(l->font().pointSizeF() < 12, wide);
        QVERIFY(l->font().pointSizeF() >= 7);
    }
    play("T S C*8 B");
    Frame most = screen.frame(); // and with a ninth name and the largest prize fund of any format
    most.players << "Ivo";
    most.total = "$1,000,000";
    fits(most);
    // Drawn at the screen's pixel ratio, as sharp as a screen of that many pixels at a ratio of 1.
    const auto drawn = [&](const QSize& into, qreal r) {
        QImage image(into, QImage::Format_RGB32);
        image.setDevicePixelRatio(r);
        QPainter p(&image);
        paint(p, layoutFor(screen.frame(), QSizeF(into) / r));
        return image;
    };
    const auto off = [](const QImage& a, const QImage& b) {
        qint64 sum = 0;
        for (int i = 0; i < a.width() * a.height(); ++i)
            sum += qAbs(qGray(a.pixel(i % a.width(), i / a.width())) -
                        qGray(b.pixel(i % a.width(), i / a.width())));
        return sum;
    };
    const QImage sharp = drawn({1024, 768}, 2);
    QVERIFY(off(sharp, drawn({1024, 768}, 1)) < off(sharp, drawn({512, 384}, 1).scaled(1024, 768)));
    play("V");
    for (int i = 1; i <= 8; ++i) {
        QCOMPARE(h.voteoff()->nameLabels[i]->text(), names[i - 1]);
        QCOMPARE(h.voteoff()->eliminateButtons[i]->text(),
                 QString(names[i - 1]).replace("&", "&&"));
    }
    play("out:4");
    QVERIFY(h.goodbye()->farewellText->text().startsWith(names[3] + ",\n"));
    play("ok S . V out:8 ok S . V out:2 ok S . V out:3 ok S . V out:6 ok S . V out:7 ok S . F C W "
         "C W C W");
    QCOMPARE(screen.frame().name, names[0]); // the winner
}

// A moment: the keys, what the host's window shows and the last message ("" for none), what the
// audience screen shows and what the question card does; "-" where not looked at (no card).
void moment(const char* tag, const char* options, const QString& script, const char* sees,
            const char* said, const QString& shows, const QString& card = "-") {
    QTest::newRow(tag) << QString(options) << script << QString(sees) << QString(said) << shows
                       << card;
}

void TestGame::moments_data() {
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("sees");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QString>("shows");
    QTest::addColumn<QString>("card");
    const char* go = "Let's play... The Brackwyn!";
    const QString waiting = "||Comes up when the next round's clock starts.|";
    moment("8 chain, turn, lower case; C and W use a question each, B none", "c", "s c*3 b w c",
           "$5,000 - 150 link 1 lit Fay out  C", go,
           "link 1 to $125,000, bank $5,000, clock 150, Ada Bea Cai Dov Eli Fay* Gus Hal",
           "Question 6|14 left|for Fay|Q6|A6");
    moment("9 key 4; time up uses the one asked, T, H, 1 to 4 and W between rounds none", "c",
           "S C B . T H 1 2 3 4 W", "$0 $20 - link 0 lit Cai out  V", "Time is up.", "-",
           "Question 3|18 left" + waiting);
    moment("6 TOTAL on show, round's end", "c", "T S C B .", "$100 $100 0 link 0 lit Bea out  V",
           "Time is up.",
           "link 0 to $12,500, bank $100, clock 0, total $100, Ada Bea Cai Dov Eli Fay, Time is "
           "up.");
    moment("9 S right after V", "c", "S . V+S", "no game window", "Time is up.",
           "Ada Bea Cai Dov Eli Fay Gus Hal Ivo, Who is the Brackwyn?");
    moment("6 Start Over, cancelled first; the one asked is used", "c", "S C no restart C restart",
           "no game window", "Do you really want to exit this game?", "-",
           "Question 4|17 left" + waiting);
    moment("6 Oops, Cancel", "c", "S . V oops V no out:3 oops", "$0 -  link 0 lit  out  S",
           "Are you sure you want to eliminate Cai?", "-");
    moment("8 goodbye", "c", "S . V out:2", "-", "-", "Bea, You ARE the Brackwyn!");
    moment("6 sudden death, the final's questions for each finalist", "c", toFinal6 + "F C*10 W",
           "-", "-", "prize $0, Fay:x, Ada:o, sudden death", "Question 17|3 left|for Ada|Q17|A17");
    moment("6 winner, still on the start window", "c", toFinal6 + "F C W C W C W", "-", "-",
           "prize $0, Fay:vvvo., Ada:xxx.., Fay, tonight's strongest link",
           "Question 12|9 left" + waiting);
}

// The moments a whole game does not pass through, as the host, the audience and the card show them.
void TestGame::moments() {
    QFETCH(QString, options);
    QFETCH(QString, script);
    QFETCH(QString, card);
    Host h(QTest::currentDataTag()[0] - '0');
    AudienceScreen screen(h.console);
    QCOMPARE(describe(screen.frame()), "title");
    std::optional<questions::QuestionCard> c;
    if (card != u"-")
        c.emplace(h.console, ::deck()).resize(400, 300);
    h.newGame(cast.mid(0, h.f.players), options);
    // At every box, and after the script, the TV's clock is the one the host's window shows.
    const auto sameClock = [&] {
        const Maingame* g = h.game();
        if (g && g->isVisible() && g->clockDigits->isVisible())
            QCOMPARE(screen.frame().clock, g->clockDigits->text());
    };
    h.dialogs.onShow = [&](const QString&) { sameClock(); };
    h.play(script);
    sameClock();
    QFETCH(QString, sees);
    QFETCH(QString, said);
    QFETCH(QString, shows);
    if (sees != u"-")
        QCOMPARE(h.sees(), sees);
    if (said != u"-")
        QCOMPARE(h.dialogs.last(), said);
    if (shows != u"-")
        QCOMPARE(describe(screen.frame()), shows);
    if (script.endsWith(u"restart")) // the music stops, and the start window is back
        QCOMPARE(h.midi.commands.mid(h.midi.commands.size() - 2).join(u' ') + " " +
                     h.onScreen()->objectName(),
                 "stop midi close midi " + windows::opening);
    // Each text reaches the accessibility bridge, as a label's does.
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&screen);
    QStringList texts;
    for (int i = 0; i < a->childCount(); ++i)
        texts << a->child(i)->text(QAccessible::Name);
    for (const QString& shown : screen.frame().players + QStringList{screen.frame().bank})
        QVERIFY2(shown.isEmpty() || texts.contains(shown), qPrintable(texts.join(u'|')));
    // The host's is the only screen: a window no larger than half of it.
    const QRect room = screen.screen()->availableGeometry();
    QVERIFY(QTest::qWaitFor([&] { return !screen.isFullScreen() && screen.isVisible(); }));
    QVERIFY(screen.width() * 2 <= room.width() && screen.height() * 2 <= room.height());
    if (c) { // where the deck is, and every text of the card inside its box
        QCOMPARE(describe(*c), card);
        for (const questions::CardItem& i : c->items())
            QVERIFY2(i.text.isEmpty() ||
                         i.box.contains(QFontMetricsF(i.font).boundingRect(i.box, i.flags, i.text)),
                     qPrintable(i.text));
    }
}

void TestGame::undo_data() {
    // With the mistakes and their undos | the same game without the mistakes.
    QTest::addColumn<QString>("games");
    const QString atFinal = toFinal6 + "F ";
    QTest::newRow("6 nothing yet, level 0, top") << "< S < W ^ C*7 < ^ W < C | S C*6";
    QTest::newRow("9 seconds after a C that passed the turn") << "S C .3 W .2 < ^ .4 C | S .9 C";
    QTest::newRow("6 not past an end") << "S C . W S < C*6 B < | S C . W S C*6 B";
    QTest::newRow("9 a bank between") << "S C*3 B C < < C B W ^ | S C*3 C B";
    QTest::newRow("6 final") << atFinal + "< C W < ^ W |" + atFinal + "W";
    QTest::newRow("6 final, out of sudden death") << atFinal + "C*10 < < C |" + atFinal + "C*9";
    // The desktop gave the audience screen (the card's code alike) the keyboard: keys go on.
    QTest::newRow("8 typed into the audience screen") << "S C*3 B W ^ C*2 < . V | S C*3 B C . V";
    // Q brings the closed card back clear of the host's window, which keeps the keyboard, and the
    // deck goes on where it was.
    QTest::newRow("8 Q, clock running, lower case") << "S C q W | S C W";
    QTest::newRow("6 Q in the final, lower case") << atFinal + "C q W |" + atFinal + "C W";
}

// Compared: what the host and the audience see, the shared record, every sound and box so far.
void TestGame::undo() {
    QFETCH(QString, games);
    const QByteArray tag = QTest::currentDataTag();
    QStringList seen{{}, {}};
    for (int i = 0; i < 2; ++i) {
        Host h(tag[0] - '0');
        AudienceScreen screen(h.console);
        questions::QuestionCard card(h.console, ::deck());
        h.newGame(cast.mid(0, h.f.players));
        if (i == 0 && tag.contains("typed into"))
            h.keysTo = &screen;
        const auto placed = [&] {
            return card.isVisible() &&
                   !card.frameGeometry().intersects(h.onScreen()->frameGeometry());
        };
        if (tag.contains(" Q")) {  // placed beside, closed by mistake, then over the host's window
            card.resize(240, 160); // room beside on 800x800
            card.show();
            QVERIFY(QTest::qWaitFor(placed));
            card.close();
            card.move(h.onScreen()->pos());
        }
        h.play(games.section(u'|', i, i));
        if (tag.contains(" Q") && i == 0) {
            QVERIFY(QTest::qWaitFor(placed));
            QCOMPARE(QGuiApplication::focusWindow(), h.onScreen()->windowHandle());
        } else if (tag.contains(" Q")) {
            QVERIFY(!card.isVisible());
        }
        seen[i] = everything(h) + describe(screen.frame()) + describe(card);
    }
    QCOMPARE(seen[0], seen[1]);
}

// A random host in the real windows, the audience screen and a card whose deck soon runs out open
// all along: keys, clicks, close boxes and menu entries, 100,000 steps, and after each the game as
// it can be. A failure names its seed and step; replay it with QUOLMAR_MONKEY_SEED=N.
void TestGame::randomHost() {
    static QStringList warnings; // Qt's complaints about misused widgets ("QWidget::...")
    static QtMessageHandler qt;
    qt = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& at, const QString& s) {
        if (type != QtDebugMsg && s.contains(QRegularExpression("^Q[A-Za-z]+::")))
            warnings << s;
        if (!s.startsWith(QLatin1String("This plugin does not support")))
            qt(type, at, s);
    });
    const unsigned seed = qEnvironmentVariableIntValue("QUOLMAR_MONKEY_SEED");
    std::mt19937 rng(seed);
    const auto chance = [&](double p) { return std::bernoulli_distribution(p)(rng); };
    const auto pick = [&](qsizetype n) { return int(rng() % n); };
    std::unique_ptr<Host> h;
    std::unique_ptr<AudienceScreen> screen;
    std::unique_ptr<questions::QuestionCard> card;
    const GameFormat* f = nullptr;
    qint64 total = 0;
    int step = 1;
    const auto report = qScopeGuard([&] {
        qInstallMessageHandler(qt);
        if (QTest::currentTestFailed())
            qWarning("seed %u, step %d", seed, step);
    });
    for (; step <= 100000; ++step) {
        if (!h) {
            h = std::make_unique<Host>(6);
            h->dialogs.onShow = [&](const QString&) {
                h->dialogs.answer({chance(0.8)}); // for the next question, be this one or not
                // A real box runs an event loop, in which the round clock goes on ticking.
                if (auto* g = qobject_cast<Maingame*>(h->onScreen()); g && chance(0.2))
                    for (int i = pick(200); i >= 0; --i)
                        g->tick();
            };
            screen = std::make_unique<AudienceScreen>(h->console);
            card = std::make_unique<questions::QuestionCard>(
                h->console, QList<questions::Question>(40, {"Why?", "Because."}));
            total = 0;
        }
        Form* w = h->onScreen();
        auto* g = qobject_cast<Maingame*>(w);
        QList<QAbstractButton*> buttons = w->findChildren<QAbstractButton*>();
        buttons.removeIf([](const QAbstractButton* b) { return !b->isEnabled() || !b->isVisible(); });
        if (chance(0.002)) {
            w->close();
        } else if (g && chance(0.01)) {
            (chance(0.5) ? g->startOverAction : g->aboutAction)->trigger();
        } else if (g && g->clockRunning() && chance(0.6)) {
            g->tick();
        } else if (!buttons.isEmpty() && chance(0.35)) {
            QTest::mouseClick(buttons[pick(buttons.size())], Qt::LeftButton);
        } else {
            static const char keys[] = "SCCCCCCCWBBTHVF1234 x\r\x1b\t\b\x1a"; // undo: \b, Ctrl+Z
            char c = chance(0.9) ? keys[pick(sizeof keys - 1)] : char(0x20 + pick(95));
            c = chance(0.3) && c >= 'A' && c <= 'Z' ? char(c | 0x20) : c;
            QPointer<QWidget> to = w->focusWidget() ? w->focusWidget() : w;
            c == '\x1a' ? QTest::keyClick(to, Qt::Key_Z, Qt::ControlModifier) : QTest::keyClick(to, c);
            // Typed quickly, the next key may reach a window that has just handed over.
            if (to && chance(0.05))
                QTest::keyClick(to, "SCWBVF\r "[pick(8)]);
        }
        Host::flush();
        if (step % 256 == 0) // the rest of what an event loop delivers, or the queue grows and slows
            QCoreApplication::sendPostedEvents();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(u'\n')));
        // Quit, or a close box that leaves no window, ends the program: the next step starts it.
        if (h->quits > 0 || h->onScreen() == nullptr) {
            const QStringList left = h->forms().loaded();
            QVERIFY2(left.isEmpty() || left == QStringList{windows::about}, qPrintable(left.join(' ')));
            card.reset(), screen.reset(), h.reset();
            continue;
        }
        const GameState& s = h->state();
        w = h->onScreen();
        if (auto* n = qobject_cast<Names*>(w)) { // a new game is about to start
            f = &n->format;
            total = 0;
            continue;
        }
        for (const QString& name : h->forms().loaded()) // the game window waits behind the goodbye
            QVERIFY2(h->forms().find(name)->isVisible() || name == windows::about ||
                         (f && name == f->gameWindow && w->objectName() == f->goodbyeWindow),
                     qPrintable(name + " is loaded but hidden"));
        QVERIFY2(s.TotalBank >= total, "the prize fund fell within a game");
        total = s.TotalBank;
        const int players = f ? f->players : 0;
        const auto in = std::count(s.PlayerOut.begin() + 1, s.PlayerOut.begin() + 1 + players, false);
        if (auto* v = qobject_cast<Voteoff*>(w))
            for (int i = 1; i <= players; ++i)
                QVERIFY2(v->eliminateButtons[i]->isEnabled() == (!s.PlayerOut[i] && in > 2),
                         "a player can wrongly be voted off");
        QVERIFY2(w->objectName() != windows::finalRound || in >= 2, "a final with fewer than two");
        if (!(g = qobject_cast<Maingame*>(w)))
            continue;
        const auto lit = std::count_if(g->linkBoxes.begin(), g->linkBoxes.end(),
                                       [](const design::Panel* p) { return p->fill() == red; });
        QVERIFY2(lit == 1 && g->linkBoxes[std::min(s.ChainLevel, f->top - 1)]->fill() == red,
                 "the wrong links lit");
        for (int i = 1; i <= players; ++i)
            QVERIFY2(g->nameLabels[i]->isHidden() == s.PlayerOut[i], "a name shown wrongly");
        QVERIFY2(!g->clockRunning() ||
                     (s.RoundBank >= 0 && s.RoundBank <= f->target && !s.PlayerOut[s.CurrentPlayer] &&
                      g->bankAmount->text() == rules::money(s.RoundBank) &&
                      g->clockDigits->text() == QString::number(s.ClockSeconds)),
                 "the round shows what it is not");
        QVERIFY2(card->deck().asking() == g->clockRunning(), "the card asks while no clock runs");
    }
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    TestGame test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_game.moc"
