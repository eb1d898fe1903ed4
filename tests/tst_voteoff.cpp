// The vote-off, the elimination and the goodbye, driven as the host drives them.
#include "TestConsole.h"
#include "round/Maingame.h"
#include "state/GameFormat.h"
#include "ui/Design.h"
#include "voteoff/Goodbye.h"
#include "voteoff/Voteoff.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStyleFactory>
#include <QSvgRenderer>
#include <QTest>
#include <map>

namespace {

// A game of `players` after round 1, with the game-control window open.
struct Table {
    explicit Table(int players, bool wav = true) : format(*formats::byPlayers(players)) {
        GameState& s = tc.state();
        for (int i = 1; i <= players; ++i)
            s.PlayerNames[i] = QStringLiteral("P%1").arg(i);
        s.UseWav = wav;
        s.RoundNumber = 1;
        tc.forms().show(QString::fromLatin1(format.gameWindow));
    }
    Maingame* game() {
        return tc.forms().find(format.gameWindow) ? tc.forms().load<Maingame>(format.gameWindow)
                                                  : nullptr;
    }
    // The host presses V in the game-control window.
    Voteoff* open() {
        QTest::keyClick(game(), 'V');
        TestConsole::flush();
        return qobject_cast<Voteoff*>(tc.forms().find(format.voteoffWindow));
    }
    Goodbye* goodbye() { return qobject_cast<Goodbye*>(tc.forms().find(format.goodbyeWindow)); }

    TestConsole tc;
    const GameFormat& format;
};

} // namespace

class TestVoteoff : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create("Fusion")); }
    void cleanup() { TestConsole::flush(); }

    void tableShowsTheRoundPerPlayer();
    void cancelLeavesEverythingAsItWas();
    void elimination_data();
    void elimination();
    void oopsAndCloseBoxesGoBack();
    void goodbyeClipsAreUniformAndGated();
    void sixPlayersDownToTheLastTwo();
    void designs_data();
    void designs();
};

void TestVoteoff::tableShowsTheRoundPerPlayer() {
    Table t(8);
    GameState& s = t.tc.state();
    s.PlayerNames[2] = QStringLiteral("<i>Zoë</i> & Co");
    s.PlayerOut[5] = true;
    s.RightAnswers[2] = 7;
    s.TimeUsed[2] = 42;
    s.MoneyBanked[2] = 125000;
    s.MoneyLost[2] = 2500;
    s.RightAnswers[5] = 3; // a player who is out shows nothing of the round
    t.tc.wav.calls.clear();
    Voteoff* v = t.open();
    QVERIFY(v != nullptr && v->isVisible());
    QVERIFY(t.tc.forms().find("Maingame8") == nullptr);
    QCOMPARE(t.tc.wav.paths(), QStringList{TestConsole::dir + "/voteoff.wav"});
    QCOMPARE(v->windowTitle(), QStringLiteral("It's time to vote off the Brackwyn!"));
    QCOMPARE(v->question->text(), QStringLiteral("Who is the Brackwyn?"));
    QCOMPARE(v->rowHeadings[0]->text() + v->rowHeadings[1]->text() + v->rowHeadings[2]->text() + v->rowHeadings[3]->text(),
             QStringLiteral("Right AnswersTime UsedMoney BankedMoney Lost"));

    QCOMPARE(v->nameLabels[2]->text(), s.PlayerNames[2]);
    QCOMPARE(v->nameLabels[2]->textFormat(), Qt::PlainText);
    QCOMPARE(v->eliminateButtons[2]->text(), QStringLiteral("<i>Zoë</i> && Co")); // shown with one '&'
    const QStringList row2{v->rightAnswerLabels[2]->text(), v->timeUsedLabels[2]->text(), v->moneyBankedLabels[2]->text(),
                           v->moneyLostLabels[2]->text()};
    QCOMPARE(row2, QStringList({"7", "42", "$125,000", "$2,500"}));
    const QStringList row1{v->rightAnswerLabels[1]->text(), v->timeUsedLabels[1]->text(), v->moneyBankedLabels[1]->text(),
                           v->moneyLostLabels[1]->text()};
    QCOMPARE(row1, QStringList({"0", "0", "$0", "$0"}));
    QCOMPARE(v->nameLabels[5]->text(), QStringLiteral("P5"));
    QCOMPARE(v->eliminateButtons[5]->text(), QStringLiteral("P5"));
    QVERIFY(v->rightAnswerLabels[5]->text().isEmpty() && v->moneyLostLabels[5]->text().isEmpty());
    for (int i = 1; i <= 8; ++i)
        QCOMPARE(v->eliminateButtons[static_cast<std::size_t>(i)]->isEnabled(), i != 5);
    QTest::mouseClick(v->eliminateButtons[5], Qt::LeftButton); // disabled: nothing happens
    QVERIFY(t.tc.dialogs.shown.isEmpty());
}

void TestVoteoff::cancelLeavesEverythingAsItWas() {
    Table t(6);
    Voteoff* v = t.open();
    const GameState before = t.tc.state();
    t.tc.dialogs.answer({false});
    QTest::mouseClick(v->eliminateButtons[3], Qt::LeftButton);
    QCOMPARE(t.tc.dialogs.texts(), QStringList{"Are you sure you want to eliminate P3?"});
    QVERIFY(t.tc.dialogs.shown.first().kind == ScriptedDialogs::Shown::OkCancel);
    QCOMPARE(t.tc.state().PlayerOut, before.PlayerOut);
    QCOMPARE(t.tc.forms().loaded(), QStringList{"Voteoff6"});
    QVERIFY(v->eliminateButtons[3]->isEnabled());
    // Another choice is still open, and this time it is confirmed.
    QTest::mouseClick(v->eliminateButtons[4], Qt::LeftButton);
    QVERIFY(t.tc.state().PlayerOut[4]);
    QVERIFY(!t.tc.state().PlayerOut[3]);
}

void TestVoteoff::elimination_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<int>("slot");
    QTest::newRow("6/1") << 6 << 1;
    QTest::newRow("6/6") << 6 << 6;
    QTest::newRow("8/7") << 8 << 7;
    QTest::newRow("8/8") << 8 << 8;
    QTest::newRow("9/7") << 9 << 7;
    QTest::newRow("9/9") << 9 << 9;
}

void TestVoteoff::elimination() {
    QFETCH(int, players);
    QFETCH(int, slot);
    Table t(players);
    GameState& s = t.tc.state();
    s.PlayerNames[slot] = QStringLiteral("Anna");
    s.PlayerOut[2] = true; // voted off earlier
    s.RightAnswers[slot] = 4;
    Voteoff* v = t.open();
    s.ChainLevel = 3;
    s.RoundBank = 700;
    QTest::mouseClick(v->eliminateButtons[static_cast<std::size_t>(slot)], Qt::LeftButton);

    QVERIFY(s.PlayerOut[slot]);
    QCOMPARE(s.RightAnswers[slot], 4); // statistics stay until the next round
    QCOMPARE(s.RoundNumber, 1);
    // The game-control window was built again, unseen, with its opening steps run.
    auto* game = qobject_cast<Maingame*>(t.tc.forms().find(t.format.gameWindow));
    QVERIFY(game != nullptr && !game->isVisible());
    QVERIFY(game->nameLabels[static_cast<std::size_t>(slot)]->isHidden());
    QVERIFY(game->nameLabels[2]->isHidden());
    QVERIFY(!game->nameLabels[3]->isHidden());
    QCOMPARE(s.ChainLevel, 0);
    QCOMPARE(s.RoundBank, 0);

    Goodbye* g = t.goodbye();
    QVERIFY(g != nullptr && g->isVisible());
    QCOMPARE(g->farewellText->text(), QStringLiteral("Anna,\nYou ARE the Brackwyn!\n\nGoodbye..."));
    QCOMPARE(g->farewellText->textFormat(), Qt::PlainText);
    QVERIFY(t.tc.forms().find(t.format.voteoffWindow) == nullptr);
    QVERIFY(!v->isVisible());

    QTest::keyClick(g->okButton, Qt::Key_Space); // the focus is on OK: space acts at once
    QCOMPARE(t.tc.forms().loaded(), QStringList{t.format.gameWindow});
    QCOMPARE(t.tc.forms().find(t.format.gameWindow), game);
    QVERIFY(game->isVisible());
    // The player is skipped from now on.
    QTest::keyClick(game, 'S');
    for (int i = 0; i < players; ++i) {
        QVERIFY(s.CurrentPlayer != slot && s.CurrentPlayer != 2);
        QTest::keyClick(game, 'C');
    }
}

void TestVoteoff::oopsAndCloseBoxesGoBack() {
    Table t(9);
    Voteoff* v = t.open();
    QCOMPARE(v->focusWidget(), v->oopsButton);
    QTest::keyClick(v->oopsButton, Qt::Key_Space); // "Oops"
    QCOMPARE(t.tc.forms().loaded(), QStringList{"Maingame9"});
    QVERIFY(t.game()->isVisible());
    for (int i = 1; i <= 9; ++i)
        QVERIFY(!t.tc.state().PlayerOut[i]);

    v = t.open();
    v->close(); // the close box goes back as "Oops" does
    QCOMPARE(t.tc.forms().loaded(), QStringList{"Maingame9"});
    QVERIFY(t.game()->isVisible());

    v = t.open();
    v->eliminate(8);
    t.goodbye()->close(); // and the goodbye's close box as its OK
    QCOMPARE(t.tc.forms().loaded(), QStringList{"Maingame9"});
    QVERIFY(t.game()->isVisible());
    QVERIFY(t.game()->nameLabels[8]->isHidden());
    QCOMPARE(t.tc.quits, 0);
}

void TestVoteoff::goodbyeClipsAreUniformAndGated() {
    const int openings = 2500;
    std::map<QString, int> seen;
    {
        Table t(8);
        for (int i = 0; i < openings; ++i) {
            t.tc.forms().load("Goodbye8");
            t.tc.forms().unload("Goodbye8");
        }
        TestConsole::flush();
        for (const QString& p : t.tc.wav.paths())
            ++seen[p.mid(TestConsole::dir.size() + 1)];
    }
    QCOMPARE(seen.size(), std::size_t(5));
    double chiSquare = 0;
    for (int n = 1; n <= 5; ++n) {
        const double observed = seen[QStringLiteral("vokwen%1.wav").arg(n)];
        chiSquare += (observed - openings / 5.0) * (observed - openings / 5.0) / (openings / 5.0);
    }
    // 4 degrees of freedom: above 18.47 happens by chance once in a thousand runs.
    QVERIFY2(chiSquare < 18.47, qPrintable(QString::number(chiSquare)));

    Table quiet(6, false);
    Voteoff* v = quiet.open();
    v->eliminate(1);
    QVERIFY(quiet.goodbye()->isVisible());
    QCOMPARE(quiet.goodbye()->picture->resource(), design::farewellPicture);
    QVERIFY(quiet.tc.wav.calls.empty());
}

void TestVoteoff::sixPlayersDownToTheLastTwo() {
    Table t(6);
    GameState& s = t.tc.state();
    s.RoundNumber = 0;
    for (int round = 1; round <= 4; ++round) {
        Maingame* game = t.game();
        QTest::keyClick(game, 'S');
        QTest::keyClicks(game, "CCBCW");
        while (game->clockRunning())
            game->tick();
        Voteoff* v = t.open();
        QVERIFY(v != nullptr);
        // Vote off the lowest slot still in.
        int k = 1;
        while (s.PlayerOut[k])
            ++k;
        QTest::mouseClick(v->eliminateButtons[static_cast<std::size_t>(k)], Qt::LeftButton);
        QTest::mouseClick(t.goodbye()->okButton, Qt::LeftButton);
        TestConsole::flush();
    }
    QCOMPARE(s.RoundNumber, 4);
    for (int i = 1; i <= 6; ++i)
        QCOMPARE(s.PlayerOut[i], i <= 4);
    // V again before round 5: the last two cannot be voted off; Oops still works.
    Voteoff* v = t.open();
    QVERIFY(!v->eliminateButtons[5]->isEnabled() && !v->eliminateButtons[6]->isEnabled());
    v->eliminate(5);
    QVERIFY(!s.PlayerOut[5]);
    QTest::mouseClick(v->oopsButton, Qt::LeftButton);
    Maingame* game = t.game();
    QTest::keyClick(game, 'S'); // round 5 between the last two
    QCOMPARE(s.RoundNumber, 5);
    const int first = s.CurrentPlayer;
    QVERIFY(first == 5 || first == 6);
    QTest::keyClick(game, 'C'); // the turn goes back and forth between the two
    QCOMPARE(s.CurrentPlayer, 11 - first);
    QTest::keyClick(game, 'W');
    QCOMPARE(s.CurrentPlayer, first);
    while (game->clockRunning())
        game->tick();
    QCOMPARE(game->prompt->text(), QStringLiteral("Press 'F' to go to the final round"));
}

void TestVoteoff::designs_data() {
    QTest::addColumn<int>("players");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QRect>("label10");
    QTest::addColumn<QRect>("picture");
    QTest::addColumn<QRect>("okButton");
    QTest::newRow("6") << 6 << "It's time to vote off The Brackwyn!" << QSize(9840, 4635)
                       << QRect(1095, 3240, 8640, 615) << QRect(120, 120, 3255, 3015)
                       << QRect(4200, 2640, 1215, 375);
    QTest::newRow("8") << 8 << "It's time to vote off the Brackwyn!" << QSize(12660, 4785)
                       << QRect(2048, 3240, 8535, 615) << QRect(0, 120, 3255, 3015)
                       << QRect(4080, 2520, 1215, 375);
    QTest::newRow("9") << 9 << "It's time to vote off the Brackwyn!" << QSize(14145, 4605)
                       << QRect(1095, 3240, 12960, 615) << QRect(0, 120, 3255, 3015)
                       << QRect(4080, 2640, 1215, 375);
}

void TestVoteoff::designs() {
    QFETCH(int, players);
    QFETCH(QString, caption);
    QFETCH(QSize, client);
    QFETCH(QRect, label10);
    QFETCH(QRect, picture);
    QFETCH(QRect, okButton);
    const auto px = [](const QRect& r) {
        return QRect(design::px(r.x()), design::px(r.y()), design::px(r.width()),
                     design::px(r.height()));
    };
    Table t(players);
    Voteoff* v = t.open();
    QCOMPARE(v->windowTitle(), caption);
    QCOMPARE(v->size(), QSize(design::px(client.width()), design::px(client.height())));
    QCOMPARE(v->question->geometry(), px(label10));
    QCOMPARE(v->question->font().pointSizeF(), 24.0);
    QCOMPARE(v->oopsButton->geometry(), px({120, 4080, 615, 495}));
    QCOMPARE(v->rowHeadings[0]->geometry(), px({0, 600, 975, 495}));
    QVERIFY(!v->rowHeadings[0]->font().bold());
    for (int i = 1; i <= players; ++i) {
        const int left = 1200 + 1440 * (i - 1);
        const auto at = static_cast<std::size_t>(i);
        QCOMPARE(v->rightAnswerLabels[at]->geometry(), px({left, 720, 1215, 375}));
        QCOMPARE(v->moneyLostLabels[at]->geometry(), px({left, 2520, 1215, 375}));
        QCOMPARE(v->eliminateButtons[at]->geometry(), px({left, 4080, 1215, 495}));
        QCOMPARE(v->timeUsedLabels[at]->font().pointSizeF(), 14.25);
        QCOMPARE(v->moneyBankedLabels[at]->font().pointSizeF(), 12.0);
    }
    // Focus order: "Oops", then the buttons left to right.
    const auto nextTab = [](QWidget* w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    QCOMPARE(nextTab(v->oopsButton), v->eliminateButtons[1]);
    QCOMPARE(nextTab(v->eliminateButtons[1]), v->eliminateButtons[2]);
    const bool resizable = players == 9;
    QCOMPARE(v->minimumSize() == v->maximumSize(), !resizable);
    QCOMPARE(bool(v->windowFlags() & Qt::WindowMaximizeButtonHint), resizable);
    if (resizable) {
        v->resize(v->width() + 200, v->height() + 100);
        QCOMPARE(v->question->geometry(), px(label10)); // controls stay where they are
    }

    v->eliminate(1);
    Goodbye* g = t.goodbye();
    QCOMPARE(g->windowTitle(), QStringLiteral("It's time for you to go"));
    QCOMPARE(g->geometry().topLeft(), QPoint(design::px(2760), design::px(3750)));
    QCOMPARE(g->pictureFrame->geometry(), px(picture));
    QCOMPARE(g->okButton->geometry(), px(okButton));
    QCOMPARE(g->farewellText->font().pointSizeF(), 14.25);
    QCOMPARE(g->focusWidget(), g->okButton);
    // Unscaled from the top-left corner inside the border, clipped by the box.
    QCOMPARE(g->picture->geometry(), g->pictureFrame->contentsRect());
    QImage shown(g->picture->size(), QImage::Format_ARGB32_Premultiplied);
    shown.fill(Qt::transparent);
    g->picture->render(&shown, {}, {}, QWidget::DrawChildren);
    QImage whole(249, 201, QImage::Format_ARGB32_Premultiplied);
    whole.fill(Qt::transparent);
    QPainter painter(&whole);
    QSvgRenderer(design::farewellPicture).render(&painter, QRectF(0, 0, 249, 201));
    painter.end();
    QVERIFY(g->picture->width() < 249 && g->picture->height() < 201);
    int worst = 0; // rendering through a clip may differ by a shade, scaling by far more
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb a = shown.pixel(x, y);
            const QRgb b = whole.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b))});
        }
    QVERIFY2(worst <= 4, qPrintable(QString::number(worst)));
}

QTEST_MAIN(TestVoteoff)
#include "tst_voteoff.moc"
