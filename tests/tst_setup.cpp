#include "TestConsole.h"
#include "setup/Names.h"
#include "setup/Opening.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

// Old values everywhere, so any write a window makes shows up.
void fillStale(GameState& s) {
    s.ChainLevel = s.CurrentPlayer = s.ClockSeconds = s.RoundNumber = 2;
    s.RoundBank = s.TotalBank = 4000;
    s.ShowClock = true; // and no sound: the opposite of every default
    for (int i = 1; i <= GameState::kSlots; ++i) {
        s.PlayerNames[i] = QStringLiteral("old%1").arg(i);
        s.PlayerOut[i] = i % 2 == 0;
        s.RightAnswers[i] = s.TimeUsed[i] = i;
        s.MoneyBanked[i] = s.MoneyLost[i] = 100 * i;
    }
}

// The state (or only its slots from `fromSlot` up) as text, so a comparison shows any write.
QString snapshot(const GameState& s, int fromSlot = 1) {
    QStringList out;
    if (fromSlot == 1)
        for (std::int64_t v :
             {std::int64_t(s.ChainLevel), s.RoundBank, s.TotalBank, std::int64_t(s.ClockSeconds),
              std::int64_t(s.RoundNumber), std::int64_t(s.CurrentPlayer), std::int64_t(s.ShowClock),
              std::int64_t(s.UseWav), std::int64_t(s.UseMidi)})
            out << QString::number(v);
    for (int i = fromSlot; i <= GameState::kSlots; ++i) {
        out << s.PlayerNames[i];
        for (std::int64_t v : {std::int64_t(s.PlayerOut[i]), std::int64_t(s.RightAnswers[i]),
                               std::int64_t(s.TimeUsed[i]), s.MoneyBanked[i], s.MoneyLost[i]})
            out << QString::number(v);
    }
    return out.join(u' ');
}

// Types as a keyboard or input method would: one key event carrying each character.
void type(QWidget* w, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Empty when the team entry is as it opens, otherwise the first thing that differs.
QString notPristine(const Names* n) {
    for (int i = 1; i < n->nameBoxes.size(); ++i)
        if (!n->nameBoxes[i]->text().isEmpty())
            return n->nameBoxes[i]->objectName() + QStringLiteral(" holds ") + n->nameBoxes[i]->text();
    if (!n->clockHidden->isChecked() || n->clockVisible->isChecked())
        return QStringLiteral("clock option");
    if (!n->wavCheck->isChecked() || !n->midiCheck->isChecked())
        return QStringLiteral("sound options");
    return QApplication::focusWidget() == n->nameBoxes[1] ? QString() : QStringLiteral("focus");
}

} // namespace

class TestSetup : public QObject {
    Q_OBJECT

    std::unique_ptr<TestConsole> tc;

    Opening* openOpening() {
        auto* o = qobject_cast<Opening*>(tc->forms().show(windows::opening));
        return o != nullptr && QTest::qWaitForWindowActive(o) ? o : nullptr;
    }
    // The host's way in: the start window, then one of its format buttons.
    Names* openNames(int players) {
        Opening* o = openOpening();
        if (o == nullptr)
            return nullptr;
        QTest::mouseClick(players == 6   ? o->formatButtons[0]
                          : players == 8 ? o->formatButtons[1]
                                         : o->formatButtons[2],
                          Qt::LeftButton);
        TestConsole::flush();
        auto* n = qobject_cast<Names*>(tc->forms().find(QStringLiteral("Names%1").arg(players)));
        return n != nullptr && QTest::qWaitForWindowActive(n) ? n : nullptr;
    }

private slots:
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }
    void init() {
        tc = std::make_unique<TestConsole>();
        fillStale(tc->state());
    }
    void cleanup() { tc.reset(); }

    // Tab walks the buttons in order and wraps; space chooses the focused one.
    void keyboardChoice_data() {
        QTest::addColumn<int>("tabs");
        QTest::addColumn<QString>("opens");
        QTest::newRow("6 players") << 0 << "Names6";
        QTest::newRow("8 players") << 1 << "Names8";
        QTest::newRow("9 players") << 2 << "Names9";
        QTest::newRow("quit") << 3 << "";
        QTest::newRow("wraps to 6 players") << 4 << "Names6";
    }
    void keyboardChoice() {
        QFETCH(int, tabs);
        QFETCH(QString, opens);
        const QString before = snapshot(tc->state());
        QPointer<Opening> o = openOpening();
        QVERIFY(o);
        // Quitting closes every window, not only this one.
        QPointer<Form> about =
            opens.isEmpty() ? tc->forms().load(QStringLiteral("frmAbout")) : nullptr;
        QCOMPARE(o->windowTitle(), QStringLiteral("The Brackwyn"));
        QCOMPARE(QApplication::focusWidget(), o->formatButtons[0]);
        for (int i = 0; i < tabs; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        TestConsole::flush();
        QVERIFY(o.isNull() && about.isNull());
        QCOMPARE(tc->forms().loaded(), opens.isEmpty() ? QStringList() : QStringList{opens});
        QCOMPARE(tc->quits, opens.isEmpty() ? 1 : 0);
        QVERIFY(opens.isEmpty() || tc->forms().find(opens)->isVisible());
        QCOMPARE(snapshot(tc->state()), before);
    }

    void letsPlay_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<bool>("showClock");
        QTest::addColumn<bool>("useWav");
        QTest::addColumn<bool>("useMidi");
        QTest::newRow("defaults") << QStringList{"Ann", "Bob", "Cy", "Dee", "Eve", "Fay"}
                                  << QStringList{} << false << true << true;
        QTest::newRow("awkward names, visible")
            << QStringList{"", "  Bob ", "<b>Ann</b>", "O'Neil & Co", "%1 %2", "Ann"}
            << QStringList{"Option1(0)"} << true << true << true;
        QTest::newRow("non-Latin, no MIDI")
            << QStringList{"Łucja", "Зоя", "李雷", "Ωmega", "José", "Ünal", "Åsa", "Nguyễn"}
            << QStringList{"Check2"} << false << true << false;
        QTest::newRow("long and blank, no WAV")
            << QStringList{QString(70, u'W'), " ", "", "Kim", "Lu", "Mo", "Ned", "Oz", "Pat"}
            << QStringList{"Check1"} << false << false << true;
        QTest::newRow("visible, silent")
            << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"}
            << QStringList{"Option1(0)", "Check2", "Check1"} << true << false << false;
        QTest::newRow("visible then hidden, WAV off and on")
            << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9"}
            << QStringList{"Option1(0)", "Check1", "Option1(1)", "Check1"} << false << true << true;
    }
    void letsPlay() {
        QFETCH(QStringList, names);
        QFETCH(QStringList, clicks);
        const int players = int(names.size());
        const QString untouched = snapshot(tc->state(), players + 1);
        QPointer<Names> n = openNames(players);
        QVERIFY(n);
        QCOMPARE(notPristine(n), QString());

        for (int i = 1; i <= players; ++i)
            type(n->nameBoxes[std::size_t(i)], names[i - 1]);
        for (const QString& name : clicks)
            QTest::mouseClick(n->findChild<QWidget*>(name), Qt::LeftButton);
        QTest::mouseClick(n->playButton, Qt::LeftButton);

        const GameState& s = tc->state();
        QCOMPARE(s.RoundNumber, 0);
        QCOMPARE(s.TotalBank, 0);
        for (int i = 1; i <= players; ++i) {
            QCOMPARE(s.PlayerNames[i], names[i - 1]);
            QCOMPARE(s.RightAnswers[i] + s.TimeUsed[i] + s.MoneyBanked[i] + s.MoneyLost[i], 0);
            QCOMPARE(s.PlayerOut[i], false);
        }
        QCOMPARE(snapshot(s, players + 1), untouched);
        QTEST(s.ShowClock, "showClock");
        QTEST(s.UseWav, "useWav");
        QTEST(s.UseMidi, "useMidi");

        const QString game = QStringLiteral("Maingame%1").arg(players);
        QCOMPARE(tc->forms().loaded(), QStringList{game});
        QVERIFY(tc->forms().find(game)->isVisible());
        TestConsole::flush();
        QVERIFY(n.isNull());
    }

    // Enter plays from anywhere but Cancel; Esc does nothing; Cancel and the close box leave
    // without writing, and the next visit to the format starts afresh.
    void leaving_data() {
        QTest::addColumn<int>("players");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key"); // 0: click Cancel, -1: the close box
        QTest::addColumn<QString>("opens");
        QTest::newRow("Return in a name") << 6 << "Text1(2)" << int(Qt::Key_Return) << "Maingame6";
        QTest::newRow("Enter in the last name")
            << 9 << "Text1(9)" << int(Qt::Key_Enter) << "Maingame9";
        QTest::newRow("Return on WAV") << 8 << "Check1" << int(Qt::Key_Return) << "Maingame8";
        QTest::newRow("Return on Cancel") << 8 << "Command2" << int(Qt::Key_Return) << "Opening";
        QTest::newRow("Esc in a name") << 6 << "Text1(1)" << int(Qt::Key_Escape) << "Names6";
        QTest::newRow("Esc on an option") << 9 << "Option1(0)" << int(Qt::Key_Escape) << "Names9";
        QTest::newRow("Cancel 6") << 6 << "Text1(1)" << 0 << "Opening";
        QTest::newRow("Cancel 9") << 9 << "Text1(1)" << 0 << "Opening";
        QTest::newRow("close box") << 8 << "Text1(1)" << -1 << "";
    }
    void leaving() {
        QFETCH(int, players);
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(QString, opens);
        const QString before = snapshot(tc->state());
        QPointer<Names> n = openNames(players);
        QVERIFY(n);
        type(n->nameBoxes[1], QStringLiteral("Kim"));
        QTest::mouseClick(n->clockVisible, Qt::LeftButton);
        QTest::mouseClick(n->midiCheck, Qt::LeftButton);
        auto* target = n->findChild<QWidget*>(focus);
        target->setFocus(Qt::TabFocusReason);
        if (key == 0)
            QTest::mouseClick(n->cancelButton, Qt::LeftButton);
        else if (key < 0)
            QVERIFY(n->close());
        else
            QTest::keyClick(target, Qt::Key(key));

        QCOMPARE(tc->forms().loaded(), opens.isEmpty() ? QStringList() : QStringList{opens});
        QVERIFY(opens.isEmpty() || tc->forms().find(opens)->isVisible());
        QCOMPARE(tc->quits, 0);
        if (opens.startsWith(QLatin1String("Maingame"))) {
            QCOMPARE(tc->state().PlayerNames[1], QStringLiteral("Kim"));
            return;
        }
        QCOMPARE(snapshot(tc->state()), before);
        if (opens != QLatin1String("Opening"))
            return;
        TestConsole::flush();
        QVERIFY(n.isNull());
        n = openNames(players);
        QVERIFY(n);
        QCOMPARE(notPristine(n), QString());
    }

    // Qt leaves unchecked radio buttons out when tabbing, so the chain itself is checked.
    void focusOrder_data() {
        QTest::addColumn<int>("players");
        for (int players : {6, 8, 9})
            QTest::addRow("%d", players) << players;
    }
    void focusOrder() {
        QFETCH(int, players);
        Names* n = openNames(players);
        QVERIFY(n);
        QStringList expected;
        for (int i = 1; i <= players; ++i)
            expected << QStringLiteral("Text1(%1)").arg(i);
        expected
            << QStringLiteral("Option1(1) Option1(0) Check1 Command1 Command2 Check2").split(u' ');
        QStringList chain;
        QWidget* w = n->nameBoxes[1];
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                chain << w->objectName();
            w = w->nextInFocusChain();
        } while (w != n->nameBoxes[1] && chain.size() <= expected.size());
        QCOMPARE(chain, expected);

        // The host tabs through the names to the clock option.
        for (int i = 0; i < players; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), n->clockHidden);
    }
};

QTEST_MAIN(TestSetup)
#include "tst_setup.moc"
