// The head-to-head final, driven as the host drives it.
#include "TestConsole.h"
#include "final/Finalround.h"
#include "state/Rules.h"
#include "ui/Design.h"

#include <QApplication>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QStyleFactory>
#include <QTest>

namespace {

using Mark = Finalround::Mark;

// A console whose players `in` are the only ones left, with the prize `prize`.
struct Final {
    Final(std::initializer_list<int> in, bool goFirst = true, qint64 prize = 250000,
          bool wav = true) {
        GameState& s = tc.state();
        for (int i = 1; i <= 9; ++i) {
            s.PlayerNames[i] = QStringLiteral("P%1").arg(i);
            s.PlayerOut[i] = true;
        }
        for (int i : in)
            s.PlayerOut[i] = false;
        s.TotalBank = prize;
        s.UseWav = wav;
        tc.dialogs.answer({goFirst});
    }
    Finalround* open() {
        f = qobject_cast<Finalround*>(tc.forms().show(windows::finalRound));
        return f;
    }
    void keys(const char* typed) {
        for (const char* k = typed; *k != '\0'; ++k)
            QTest::keyClick(f, *k);
    }
    bool ended() { return tc.forms().loaded() == QStringList{"Opening"}; }
    GameState& s() { return tc.state(); }

    TestConsole tc;
    Finalround* f = nullptr;
};

} // namespace

class TestFinal : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setStyle(QStyleFactory::create("Fusion")); }
    void cleanup() { TestConsole::flush(); }

    void openingSteps();
    void whoGoesFirst_data();
    void whoGoesFirst();
    void quickWinAndWinOnTheLastQuestion();
    void ticksAndCrossesAlternateRows();
    void suddenDeath();
    void sameNamesAreCreditedByRow();
    void prizes_data();
    void prizes();
    void synchronousClipsAndKeysTypedMeanwhile();
    void design();
};

void TestFinal::openingSteps() {
    // Without WAV the order of steps is unchanged, there is only no clip.
    for (bool wav : {true, false}) {
        Final t({3, 6}, true, 250000, wav);
        QStringList log;
        t.tc.dialogs.onShow = [&](const QString& text) { log << "box " + text.left(5); };
        t.tc.wav.onPlay = [&](const QString& path) { log << "clip " + path.section('/', -1); };
        t.s().SuddenDeath = true;
        t.open();
        QCOMPARE(t.s().SuddenDeath, false);
        const QStringList clips{"clip finalround.wav", "box P3, s", "clip choice.wav"};
        QCOMPARE(log, wav ? clips : QStringList{"box P3, s"});
        QCOMPARE(t.s().FinalistNames[1], QStringLiteral("P3"));
        QCOMPARE(t.s().FinalistNames[2], QStringLiteral("P6"));
        QCOMPARE(t.s().FinalRightAnswers[1] + t.s().FinalRightAnswers[2], 0);
        QCOMPARE(t.s().FinalQuestionsLeft[1], 5);
        QCOMPARE(t.s().FinalQuestionsLeft[2], 5);
        QVERIFY(t.f->marker(1).current);
        QCOMPARE(design::textColour(t.f->markerLabels[1]), QColor(128, 128, 128));
        QCOMPARE(t.f->prizeAmount->text(), QStringLiteral("$250,000"));
        QVERIFY(t.f->isVisible());
    }
}

void TestFinal::whoGoesFirst_data() {
    QTest::addColumn<int>("answers1");
    QTest::addColumn<int>("answers2");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("top");
    // Scores: right answers x 200 - time x 10 + banked / 100; ties go to finalist 1.
    QTest::newRow("2 stronger, yes") << 1 << 2 << true << "P9"
                                     << "P9";
    QTest::newRow("2 stronger, no") << 1 << 2 << false << "P9"
                                    << "P8";
    QTest::newRow("equal, yes") << 2 << 2 << true << "P8"
                                << "P8";
    QTest::newRow("equal, no") << 2 << 2 << false << "P8"
                               << "P9";
}

void TestFinal::whoGoesFirst() {
    QFETCH(int, answers1);
    QFETCH(int, answers2);
    QFETCH(bool, yes);
    QFETCH(QString, asked);
    QFETCH(QString, top);
    Final t({8, 9}, yes); // players 1 to 7 of a 9-player game are out
    t.s().RightAnswers[8] = answers1;
    t.s().RightAnswers[9] = answers2;
    t.s().TimeUsed[8] = t.s().TimeUsed[9] = 20;
    t.s().MoneyBanked[9] = 50;  // half a point, rounded to the even 0
    t.s().RightAnswers[1] = 30; // out: never a finalist
    t.open();
    QCOMPARE(t.s().FinalistScores[1], 200 * answers1 - 200);
    QCOMPARE(t.s().FinalistScores[2], 200 * answers2 - 200);
    const auto& box = t.tc.dialogs.shown.first();
    QVERIFY(box.kind == ScriptedDialogs::Shown::YesNo);
    QCOMPARE(box.title, QStringLiteral("Who goes first?"));
    QCOMPARE(box.text, asked + ", since you were the strongest link from the last round,\n"
                               "you can decide if you want to go first.");
    QCOMPARE(t.f->firstName->text(), top);
    QCOMPARE(t.f->secondName->text(), top == "P8" ? QStringLiteral("P9") : QStringLiteral("P8"));
    // The top row answers the odd questions.
    t.keys("C");
    QCOMPARE(t.s().FinalRightAnswers[top == "P8" ? 1 : 2], 1);
}

void TestFinal::quickWinAndWinOnTheLastQuestion() {
    {
        Final t({2, 5});
        t.open();
        t.keys("CWCWC");
        QVERIFY(!t.ended());
        t.keys("W"); // 3 : 0 after three each: two left cannot catch up
        QVERIFY(t.ended());
        QCOMPARE(t.tc.dialogs.texts().mid(1),
                 QStringList({"That means that P2, you are tonight's\nstrongest link, and you go "
                              "away with $250,000.\nP5, you leave with nothing.",
                              "Join us next time on The Brackwyn.\nGoodbye!"}));
        QCOMPARE(t.tc.wav.paths().last(), TestConsole::dir + "/gameover.wav");
    }
    TestConsole::flush();
    {
        Final t({1, 2});
        t.open();
        t.keys("CCCCCCCC"); // 4 : 4 with one question each left
        QVERIFY(!t.ended());
        t.keys("C");
        QVERIFY(!t.ended());
        t.keys("W"); // 5 : 4 on the last question
        QVERIFY(t.ended());
        QVERIFY(t.tc.dialogs.texts()[1].startsWith("That means that P1,"));
        QVERIFY(!t.s().SuddenDeath);
    }
}

void TestFinal::ticksAndCrossesAlternateRows() {
    Final t({4, 7});
    t.open();
    t.keys("xQ1 \t"); // other keys change nothing
    QVERIFY(t.f->marker(1).current);
    QCOMPARE(t.s().FinalQuestionsLeft[1], 5);
    t.keys("cw");
    QVERIFY(t.f->marker(1).mark == Mark::Tick && t.f->marker(2).mark == Mark::Cross);
    QVERIFY(t.f->marker(3).current && !t.f->marker(1).current && !t.f->marker(2).current);
    QCOMPARE(t.f->markerLabels[1]->text(), QStringLiteral("\u2714"));
    QCOMPARE(t.f->markerLabels[2]->text(), QStringLiteral("\u2718"));
    QCOMPARE(QFontInfo(t.f->markerLabels[1]->font()).family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(t.f->markerLabels[1]->font().pointSizeF(), 28.0);
    QCOMPARE(design::textColour(t.f->markerLabels[1]), QColor(Qt::white));
    QCOMPARE(t.f->questionPanels[1]->fill(), design::red);
    QCOMPARE(t.f->questionPanels[2]->fill(), design::teal);
    QCOMPARE(t.f->questionPanels[3]->fill(), design::lightGrey);
    QCOMPARE(t.f->markerLabels[3]->text(), QStringLiteral("2"));
    QCOMPARE(t.s().FinalRightAnswers[1], 1);
    QCOMPARE(t.s().FinalRightAnswers[2], 0);
    QCOMPARE(t.s().FinalQuestionsLeft[1], 4);
    QCOMPARE(t.s().FinalQuestionsLeft[2], 4);
}

void TestFinal::suddenDeath() {
    Final t({1, 3}, true, 0);
    t.open();
    t.keys("CCCCCCCCCC"); // 5 : 5
    QVERIFY(t.s().SuddenDeath);
    QVERIFY(!t.ended());
    for (int i = 1; i <= 10; ++i)
        QCOMPARE(t.f->markerLabels[static_cast<std::size_t>(i)]->isHidden(), i > 2);
    QCOMPARE(t.f->markerLabels[1]->text() + t.f->markerLabels[2]->text(), QStringLiteral("11"));
    QVERIFY(t.f->marker(1).current && !t.f->marker(2).current);
    QCOMPARE(design::textColour(t.f->markerLabels[2]), design::black);
    QCOMPARE(t.f->questionPanels[1]->fill(), design::lightGrey);
    QCOMPARE(t.s().FinalQuestionsLeft[1] + t.s().FinalQuestionsLeft[2], 2);

    t.keys("CC"); // both right: a new pair
    QVERIFY(!t.ended());
    QVERIFY(t.f->marker(1).current && t.f->marker(1).mark == Mark::Number);
    t.keys("WW"); // both wrong: another pair
    QVERIFY(!t.ended());
    QCOMPARE(t.s().FinalRightAnswers[1] + t.s().FinalRightAnswers[2], 0);
    t.keys("W");
    QVERIFY(!t.ended());
    t.keys("C"); // exactly one right: the pair decides
    QVERIFY(t.ended());
    QCOMPARE(t.tc.dialogs.texts()[1],
             QStringLiteral("That means that P3, you are tonight's\nstrongest link, and you go "
                            "away with $0.\nP1, you leave with nothing."));
}

void TestFinal::sameNamesAreCreditedByRow() {
    Final t({2, 4}, false);
    t.s().PlayerNames[2] = t.s().PlayerNames[4] = QStringLiteral("Sam");
    t.s().RightAnswers[4] = 3; // finalist 2 is stronger, says No: finalist 1 goes first
    t.open();
    QCOMPARE(t.f->topFinalist(), 1);
    t.keys("WCWCW");
    QVERIFY(!t.ended());
    QCOMPARE(t.s().FinalRightAnswers[2], 2);
    t.keys("C"); // 0 : 3 after three each
    QVERIFY(t.ended());
}

void TestFinal::prizes_data() {
    QTest::addColumn<qint64>("prize");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << qint64(0) << "$0";
    QTest::newRow("million") << qint64(1000000) << "$1,000,000";
}

void TestFinal::prizes() {
    QFETCH(qint64, prize);
    QFETCH(QString, text);
    Final t({5, 6}, true, prize);
    t.open();
    QCOMPARE(t.f->prizeAmount->text(), text);
    t.keys("CWCWCW");
    QVERIFY(t.tc.dialogs.texts()[1].contains("go away with " + text + ".\n"));
}

void TestFinal::synchronousClipsAndKeysTypedMeanwhile() {
    Final t({1, 2});
    // A key typed while "choice.wav" plays waits for the clip, then counts.
    t.tc.wav.onPlay = [&](const QString& path) {
        if (!path.endsWith("choice.wav"))
            return;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == windows::finalRound)
                QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, Qt::Key_C,
                                                             Qt::NoModifier, QStringLiteral("c")));
    };
    t.open();
    for (const auto& call : t.tc.wav.calls)
        QVERIFY(call.second == WavPlayer::Mode::Sync);
    QVERIFY(t.f->marker(1).mark == Mark::Number);
    QCoreApplication::processEvents();
    QVERIFY(t.f->marker(1).mark == Mark::Tick);
    QCOMPARE(t.s().FinalRightAnswers[1], 1);
}

void TestFinal::design() {
    Final t({1, 2});
    t.open();
    const auto box = [](int l, int top, int w, int h) {
        return QRect(design::px(l), design::px(top), design::px(w), design::px(h));
    };
    QCOMPARE(t.f->windowTitle(), QStringLiteral("The Final Round"));
    QCOMPARE(t.f->size(), QSize(design::px(10515), design::px(3720)));
    QCOMPARE(t.f->backPanels[1]->geometry(), box(120, 600, 2055, 615));
    QCOMPARE(t.f->secondName->geometry(), box(120, 1560, 2055, 375));
    QCOMPARE(t.f->questionPanels[9]->geometry(), box(8880, 600, 1455, 615));
    QCOMPARE(t.f->markerLabels[10]->geometry(), box(9360, 1440, 495, 495));
    QCOMPARE(t.f->markerLabels[10]->text(), QStringLiteral("5"));
    QCOMPARE(t.f->markerLabels[10]->font().pointSizeF(), 24.0);
    QCOMPARE(t.f->prizeAmount->geometry(), box(4530, 2760, 1455, 375));
    QCOMPARE(t.f->totalWord->text(), QStringLiteral("TOTAL"));
    QCOMPARE(t.f->backPanels[0]->fill(), design::darkGrey);
    QCOMPARE(t.f->questionPanels[4]->fill(), design::lightGrey);
    for (QWidget* w : t.f->findChildren<QWidget*>())
        QCOMPARE(w->focusPolicy(), Qt::NoFocus);
    t.f->close(); // leaving the final goes back to the start
    QVERIFY(t.ended());
}

QTEST_MAIN(TestFinal)
#include "tst_final.moc"
