// Extreme input: names of any size and script, names that look like markup, late rounds and
// every key in every window at every phase.
#include "TestConsole.h"
#include "final/Finalround.h"
#include "round/Maingame.h"
#include "state/GameFormat.h"
#include "state/Rules.h"
#include "ui/About.h"
#include "voteoff/Goodbye.h"
#include "voteoff/Voteoff.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <functional>

namespace {

const QStringList awkwardNames{QString(10000, u'M'),
                               QString(),
                               QStringLiteral("سلمى"),
                               QStringLiteral("李小龙"),
                               QStringLiteral("🎉Zoë🦄"),
                               QStringLiteral("<img src=x>"),
                               QStringLiteral("%s%n"),
                               QStringLiteral("&Co"),
                               QStringLiteral("<b>Bo</b> & %1")};

// The game windows on screen; the about box is not one.
QStringList visibleGameWindows(TestConsole& tc) {
    QStringList out;
    for (const QString& name : tc.forms().loaded())
        if (name != windows::about && tc.forms().find(name)->isVisible())
            out << name;
    return out;
}

// The last two of an 8-player game, after round 7, with the game-control window on screen.
void setUpLastTwo(TestConsole& tc, const QStringList& names) {
    GameState& s = tc.state();
    for (int i = 1; i <= 8; ++i) {
        s.PlayerNames[i] = names[(i - 1) % names.size()];
        s.PlayerOut[i] = i > 2;
    }
    s.RoundNumber = 7;
    s.UseWav = s.UseMidi = true;
}

} // namespace

class TestExtreme : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create("Fusion")); }
    void cleanup() { TestConsole::flush(); }

    void namesShowAsTypedEverywhere_data();
    void namesShowAsTypedEverywhere();
    void lateRoundsUntilStartIsRefused_data();
    void lateRoundsUntilStartIsRefused();
    void everyKeyInEveryWindow_data();
    void everyKeyInEveryWindow();
};

void TestExtreme::namesShowAsTypedEverywhere_data() {
    QTest::addColumn<QString>("name");
    for (const QString& n : awkwardNames)
        QTest::newRow(qPrintable(n.left(12).isEmpty() ? QStringLiteral("empty") : n.left(12))) << n;
}

void TestExtreme::namesShowAsTypedEverywhere() {
    QFETCH(QString, name);
    TestConsole tc;
    GameState& s = tc.state();
    for (int i = 1; i <= 6; ++i)
        s.PlayerNames[i] = i == 1 || i == 4 ? name : QStringLiteral("P%1").arg(i);
    s.UseWav = true;
    auto* game = qobject_cast<Maingame*>(tc.forms().show("Maingame6"));
    QCOMPARE(game->nameLabels[1]->text(), name);
    QCOMPARE(game->nameLabels[1]->textFormat(), Qt::PlainText);
    QTest::keyClick(game, 'S');
    QCOMPARE(tc.dialogs.shown.first().text,
             "We'll start with the player in the\nfirst position, that's " + name + "...");
    while (game->clockRunning())
        game->tick();

    QTest::keyClick(game, 'V');
    auto* v = qobject_cast<Voteoff*>(tc.forms().find("Voteoff6"));
    QCOMPARE(v->nameLabels[1]->text(), name);
    QCOMPARE(v->nameLabels[1]->textFormat(), Qt::PlainText);
    QCOMPARE(v->eliminateButtons[1]->text().replace("&&", "&"), name); // '&' is not a shortcut mark
    tc.dialogs.clear();
    QTest::mouseClick(v->eliminateButtons[1], Qt::LeftButton);
    QCOMPARE(tc.dialogs.last(), "Are you sure you want to eliminate " + name + "?");
    auto* g = qobject_cast<Goodbye*>(tc.forms().find("Goodbye6"));
    QCOMPARE(g->farewellText->text(), name + ",\nYou ARE the Brackwyn!\n\nGoodbye...");
    QCOMPARE(g->farewellText->textFormat(), Qt::PlainText);
    QTest::mouseClick(g->okButton, Qt::LeftButton);
    TestConsole::flush();

    // Straight to a final between slot 4, with the same name, and another player.
    for (int i = 1; i <= 6; ++i)
        s.PlayerOut[i] = i != 4 && i != 6;
    s.RoundNumber = 5;
    tc.dialogs.clear();
    game = qobject_cast<Maingame*>(tc.forms().find("Maingame6")); // built again by the vote-off
    QTest::keyClick(game, 'F');
    TestConsole::flush();
    auto* f = qobject_cast<Finalround*>(tc.forms().find(windows::finalRound));
    QCOMPARE(f->firstName->text(), name); // P4 and P6 tie: finalist 1 is asked, and says Yes
    QCOMPARE(f->firstName->textFormat(), Qt::PlainText);
    QVERIFY(tc.dialogs.shown.first().text.startsWith(name + ", since you were"));
    QTest::keyClicks(f, "cwcwcw");
    QVERIFY(tc.dialogs.texts().contains("That means that " + name +
                                        ", you are tonight's\nstrongest link, and you go away "
                                        "with $0.\nP6, you leave with nothing."));
    QCOMPARE(tc.forms().loaded(), QStringList{"Opening"});
}

void TestExtreme::lateRoundsUntilStartIsRefused_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<int>("lastPlayable"); // the last round whose clock has time on it
    QTest::newRow("6") << 6 << 8;
    QTest::newRow("8") << 8 << 15;
    QTest::newRow("9") << 9 << 18;
}

void TestExtreme::lateRoundsUntilStartIsRefused() {
    QFETCH(int, players);
    QFETCH(int, lastPlayable);
    const GameFormat& f = *formats::byPlayers(players);
    TestConsole tc;
    tc.state().UseMidi = true;
    auto* game = qobject_cast<Maingame*>(tc.forms().show(f.gameWindow));
    for (int round = 1; round <= lastPlayable + 3; ++round) {
        QTest::keyClick(game, 'S');
        while (game->clockRunning())
            game->tick();
    }
    QCOMPARE(tc.state().RoundNumber, lastPlayable);
    QCOMPARE(tc.midi.commands.count("play midi"), f.lastRound);
    QCOMPARE(game->prompt->text(), QStringLiteral("Press 'F' to go to the final round"));
    QTest::keyClick(game, 'F'); // the final still follows
    QVERIFY(tc.forms().find(windows::finalRound) != nullptr);
}

void TestExtreme::everyKeyInEveryWindow_data() {
    QTest::addColumn<QString>("phase");
    for (const char* p : {"opening", "names", "before round", "round running", "after round",
                          "voteoff", "goodbye", "final", "sudden death", "about"})
        QTest::newRow(p) << QString::fromLatin1(p);
}

void TestExtreme::everyKeyInEveryWindow() {
    QFETCH(QString, phase);
    QList<int> keys;
    for (int k = 0x20; k <= 0x7e; ++k)
        keys << k;
    keys << Qt::Key_Return << Qt::Key_Enter << Qt::Key_Escape << Qt::Key_Tab << Qt::Key_Backspace
         << Qt::Key_Delete << Qt::Key_F1 << Qt::Key_Up << Qt::Key_Space;

    for (int key : keys) {
        TestConsole tc;
        setUpLastTwo(tc, {"Ann", "Bob"});
        QWidget* target = nullptr;
        if (phase == "opening" || phase == "names") {
            target = tc.forms().show(phase == "opening" ? "Opening" : "Names8");
        } else if (phase == "final" || phase == "sudden death") {
            target = tc.forms().show(windows::finalRound);
            if (phase == "sudden death")
                QTest::keyClicks(target, "cccccccccc");
        } else {
            auto* game = qobject_cast<Maingame*>(tc.forms().show("Maingame8"));
            tc.state().RoundNumber = phase == "before round" || phase == "voteoff" ||
                                             phase == "goodbye" || phase == "about"
                                         ? 1
                                         : 6;
            for (int i = 3; i <= 8; ++i)
                tc.state().PlayerOut[i] = false;
            target = game;
            if (phase == "round running" || phase == "after round") {
                QTest::keyClicks(game, "SCCB");
                if (phase == "after round")
                    while (game->clockRunning())
                        game->tick();
            } else if (phase == "voteoff" || phase == "goodbye") {
                QTest::keyClick(game, 'V');
                TestConsole::flush();
                auto* v = qobject_cast<Voteoff*>(tc.forms().find("Voteoff8"));
                target = v;
                if (phase == "goodbye") {
                    v->eliminate(3);
                    target = tc.forms().find("Goodbye8");
                }
            } else if (phase == "about") {
                game->aboutAction->trigger();
                target = tc.forms().find(windows::about);
            }
        }
        QVERIFY(target != nullptr);
        const qint64 total = tc.state().TotalBank;
        QWidget* receiver = target->focusWidget() ? target->focusWidget() : target;
        if (key < 0x80)
            QTest::keyClick(receiver, static_cast<char>(key));
        else
            QTest::keyClick(receiver, static_cast<Qt::Key>(key));
        TestConsole::flush();
        const QStringList shown = visibleGameWindows(tc);
        const QString where = phase + " key " + QString::number(key, 16) + ": " + shown.join(',');
        QVERIFY2(shown.size() == 1, qPrintable(where));
        QVERIFY2(tc.state().TotalBank >= total, qPrintable(where));
        QVERIFY2(tc.state().RoundBank >= 0 && tc.state().RoundBank <= formats::eight.target * 2,
                 qPrintable(where));
        int in = 0;
        for (int i = 1; i <= 8; ++i)
            in += tc.state().PlayerOut[i] ? 0 : 1;
        QVERIFY2(in >= 2, qPrintable(where));
    }
}

QTEST_MAIN(TestExtreme)
#include "tst_extreme.moc"
