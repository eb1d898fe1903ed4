// Every window as designed: boxes in twips, fonts, colours and captions, the chain's movements,
// and names of every kind shown as typed.
#include "Host.h"
#include "ui/Layouts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QStyleFactory>

namespace {

const QColor white = design::white, black = design::black, red = design::red,
             teal = design::teal, dark = design::darkGrey, light = design::lightGrey;

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

class TestWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create("Fusion")); }
    void cleanup() { TestConsole::flush(); }
    void noDesignForOtherPlayerCounts();
    void designs_data();
    void designs();
    void chainMoves_data();
    void chainMoves();
    void namesShowAsTyped();
};

void TestWindows::noDesignForOtherPlayerCounts() {
    for (int players : {0, 5, 7, 10})
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, layout::forPlayers(players));
}

void TestWindows::designs_data() {
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
    row("Names6", "Text1(4)", {1800, 735, 1215, 285});
    row("Names8", "Label1(7)", {1800, 2280, 1215, 255}, 8.25, {}, "Player 8");
    row("Names8", "Command1", {3240, 1920, 1335, 375}, 0, {}, "Let's Play!");
    row("Names9", "", {0, 0, 6375, 2865});
    row("Names9", "Frame1", {4920, 30, 1335, 1095}, 0, {}, "Timer");
    row("Names9", "Text1(9)", {3480, 2055, 1215, 285});
    row("Maingame6", "", {0, 0, 11145, 7560}, 0, {}, "The Brackwyn Game Control");
    row("Maingame6", "Label4", {2280, 5640, 8655, 1695}, 24, {}, "Press 'S' to start the round");
    row("Maingame6", "Label9", {435, 5793, 1335, 375}, 14.25, white, "$0");
    row("Maingame6", "Label3", {5805, 4620, 1575, 375}, 14.25, white, "");
    row("Maingame6", "Label11", {9315, 480, 1335, 375}, 15.75);
    row("Maingame6", "PlayerName(1)", {3000, 4425, 1215, 375}, 12, black, "Ada");
    row("Maingame6", "Shape1(5)", {240, 993, 1815, 975}, 0, teal);
    row("Maingame8", "", {0, 0, 11025, 8160});
    row("Maingame8", "Image1", {5040, 0, 2955, 2490});
    row("Maingame8", "Label9", {440, 6833, 1335, 375}, 14.25, white);
    row("Maingame8", "Label10", {840, 7313, 615, 255}, 9.75, {}, "BANK");
    row("Maingame8", "Label3", {5685, 4493, 1575, 375});
    row("Maingame8", "Label5", {9600, 0, 735, 255}, 9.75, {}, "TIME");
    row("Maingame8", "Shape1(0)", {360, 5993, 1455, 615}, 0, red);
    row("Maingame8", "Shape1(7)", {120, 593, 1935, 975}, 0, teal);
    row("Maingame8", "Label1(7)", {}, 18, black, "$125,000");
    row("Maingame6", "chain", {}, 14.25, white, "$100 $250 $500 $1,000 $5,000 $12,500");
    row("Maingame8", "chain", {}, 14.25, white,
        "$1,000 $2,500 $5,000 $10,000 $25,000 $50,000 $75,000 $125,000");
    row("Maingame9", "chain", {}, 14.25, white, "$20 $50 $100 $200 $300 $450 $600 $800 $1,000");
    row("Maingame9", "", {0, 0, 12735, 8535});
    row("Maingame9", "Label4", {2280, 6120, 10335, 2055});
    row("Maingame9", "Label9", {435, 7320, 1335, 375});
    row("Maingame9", "Label3", {6285, 4260, 1575, 375}, 14.25, white, "$0");
    row("Maingame9", "Label11", {11235, 600, 1335, 375});
    row("Maingame9", "Shape10", {11160, 480, 1455, 615});
    row("Maingame9", "PlayerName(9)", {11160, 5385, 1215, 375}, 12, black, "Ivo");
    row("Voteoff6", "", {0, 0, 9840, 4635}, 0, {}, "It's time to vote off The Brackwyn!");
    row("Voteoff6", "Label10", {1095, 3240, 8640, 615}, 24, {}, "Who is the Brackwyn?");
    row("Voteoff8", "", {0, 0, 12660, 4785}, 0, {}, "It's time to vote off the Brackwyn!");
    row("Voteoff8", "Label10", {2048, 3240, 8535, 615});
    row("Voteoff8", "Label6", {0, 600, 975, 495}, 12, {}, "Right Answers");
    row("Voteoff8", "Label2(3)", {4080, 720, 1215, 375}, 14.25, {}, "0");
    row("Voteoff8", "Label4(2)", {2640, 1920, 1215, 375}, 12, {}, "$0");
    row("Voteoff9", "", {0, 0, 14145, 4605});
    row("Voteoff9", "Label10", {1095, 3240, 12960, 615});
    row("Voteoff9", "Label1(9)", {12720, 120, 1215, 375}, 12, {}, "Ivo");
    row("Voteoff9", "Command1(9)", {12720, 4080, 1215, 495}, 0, {}, "Ivo");
    row("Goodbye6", "", {0, 0, 6030, 3270}, 0, {}, "It's time for you to go");
    row("Goodbye6", "Picture1", {120, 120, 3255, 3015});
    row("Goodbye6", "Label1", {3480, 360, 2535, 1935}, 14.25, {}, "Label1");
    row("Goodbye6", "OKButton", {4200, 2640, 1215, 375}, 0, {}, "OK");
    row("Goodbye8", "OKButton", {4080, 2520, 1215, 375});
    row("Goodbye9", "Label1", {3360, 360, 2535, 1935});
    row("Goodbye9", "OKButton", {4080, 2640, 1215, 375});
    row("Finalround", "", {0, 0, 10515, 3720}, 0, {}, "The Final Round");
    row("Finalround", "Label2", {120, 1560, 2055, 375}, 14.25, white, "Bea");
    row("Finalround", "Shape1(9)", {8880, 600, 1455, 615}, 0, light);
    row("Finalround", "Label3(1)", {3120, 600, 495, 495}, 24, dark, "1");
    row("Finalround", "Label3(10)", {9360, 1440, 495, 495}, 24, black, "5");
    row("Finalround", "Label5", {4530, 2760, 1455, 375}, 14.25, white, "$0");
    row("frmAbout", "", {0, 0, 5730, 3270}, 0, {}, "About Tarnevo");
    row("frmAbout", "lblTitle", {3480, 240, 1965, 960}, 12, black, "The Brackwyn Game Control");
    row("frmAbout", "lblVersion", {3480, 1320, 1965, 345}, 12, {}, "Version 2.1");
}

void TestWindows::designs() {
    QFETCH(QString, window);
    QFETCH(QString, control);
    const QChar last = window.back();
    Host h(last.isDigit() ? last.digitValue() : 8);
    for (int i = 1; i <= 9; ++i)
        h.state().PlayerNames[i] = cast[i - 1];
    Form* w = h.forms().load(window);
    QVERIFY(w);
    // "chain": every link's caption, the bottom one (lit) for font and colour.
    QWidget* c = control.isEmpty()    ? w->findChild<QWidget*>("client")
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
    if (auto* g = qobject_cast<Maingame*>(w); g && control == u"chain") {
        QStringList captions;
        for (const QLabel* l : g->linkCaptions)
            captions << l->text();
        QCOMPARE(captions.join(u' '), text);
    } else if (!text.isNull())
        QCOMPARE(control.isEmpty()           ? w->windowTitle()
                 : qobject_cast<QLabel*>(c) ? qobject_cast<QLabel*>(c)->text()
                 : qobject_cast<QAbstractButton*>(c)
                     ? qobject_cast<QAbstractButton*>(c)->text()
                     : qobject_cast<QGroupBox*>(c)->title(),
                 text);
    // Only the game's own windows take keys: none of their controls may take the focus.
    if (window.startsWith(u"Maingame") || window == u"Finalround")
        for (QWidget* child : w->findChildren<QWidget*>())
            QVERIFY2(child->focusPolicy() == Qt::NoFocus, qPrintable(child->objectName()));
}

void TestWindows::chainMoves_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("tops"); // box/caption tops of links 1..top-1, in twips
    QTest::newRow("6 home") << 6 << 0 << "4230/4350 3510/3630 2790/2910 2070/2190 993/1253";
    QTest::newRow("6 at 5") << 6 << 5 << "4710/4830 4470/4590 4230/4350 3990/4110 993/1253";
    QTest::newRow("6 at 6") << 6 << 6 << "4710/4830 4470/4590 4230/4350 3990/4110 3390/3660";
    QTest::newRow("8 home") << 8 << 0
                            << "5273/5393 4553/4673 3833/3953 3113/3233 2393/2513 1673/1793 "
                               "593/853";
    QTest::newRow("8 at 8") << 8 << 8
                            << "5760/5880 5520/5640 5280/5400 5040/5160 4800/4920 4560/4680 "
                               "3960/4215";
    QTest::newRow("9 at 8") << 9 << 8
                            << "6240/6360 6000/6120 5760/5880 5520/5640 5280/5400 5040/5160 "
                               "4800/4920 480/675";
    QTest::newRow("9 at 10") << 9 << 10
                             << "6240/6360 6000/6120 5760/5880 5520/5640 5280/5400 5040/5160 "
                                "4800/4920 4320/4515";
    QTest::newRow("9 back home") << 9 << -9
                                 << "5760/5880 5040/5160 4320/4440 3600/3720 2880/3000 "
                                    "2160/2280 1440/1560 480/675";
}

void TestWindows::chainMoves() {
    QFETCH(int, players);
    QFETCH(int, level);
    QFETCH(QString, tops);
    Host h(players);
    h.newGame({"Ada"});
    h.play(QStringLiteral("S C*%1").arg(qAbs(level)) + (level < 0 ? " W" : ""));
    QStringList seen, want;
    for (int i = 1; i < h.f.top; ++i)
        seen << QStringLiteral("%1/%2").arg(h.game()->linkBoxes[i]->y()).arg(
                    h.game()->linkCaptions[i]->y());
    for (const QString& pair : tops.split(u' '))
        want << QStringLiteral("%1/%2")
                    .arg(design::px(pair.section(u'/', 0, 0).toInt()))
                    .arg(design::px(pair.section(u'/', 1).toInt()));
    QCOMPARE(seen, want);
}

void TestWindows::namesShowAsTyped() {
    const QStringList names{"",       "<b>Bo</b>", "Zoë & Ærø",     "李小龙", "Ann\nMarie",
                            "%1 %s", "Ada",       QString(300, u'W'), "Maximiliane Hohenzollern"};
    Host h(9);
    h.newGame(names);
    for (int i = 1; i <= 9; ++i) {
        const QLabel* l = h.game()->nameLabels[i];
        QCOMPARE(l->text(), names[i - 1]);
        QCOMPARE(l->textFormat(), Qt::PlainText);
        // A name too wide for its box at 12 points is drawn smaller, down to 7 points.
        const bool wide = QFontMetrics(design::arial(12)).horizontalAdvance(names[i - 1]) >
                          l->width();
        QCOMPARE(l->font().pointSizeF() < 12, wide);
        QVERIFY(l->font().pointSizeF() >= 7);
    }
    h.play("S . V");
    for (int i = 1; i <= 9; ++i) {
        QCOMPARE(h.voteoff()->nameLabels[i]->text(), names[i - 1]);
        QCOMPARE(h.voteoff()->eliminateButtons[i]->text(), QString(names[i - 1]).replace("&", "&&"));
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

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
