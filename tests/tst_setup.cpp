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

// Old values in every field, so any write a window makes shows up.
void fillStale(GameState& s)
{
    s.ChainLevel = 3;
    s.RoundBank = 250;
    s.TotalBank = 4000;
    s.ClockSeconds = 17;
    s.RoundNumber = 4;
    s.CurrentPlayer = 2;
    s.ShowClock = true;
    s.UseWav = false;
    s.UseMidi = false;
    for (int i = 1; i <= GameState::kSlots; ++i) {
        s.PlayerNames[i] = QStringLiteral("old%1").arg(i);
        s.PlayerOut[i] = i % 2 == 0;
        s.RightAnswers[i] = i;
        s.TimeUsed[i] = 10 + i;
        s.MoneyBanked[i] = 100 * i;
        s.MoneyLost[i] = 50 * i;
    }
}

// Every field of the state in one string, so QCOMPARE shows what changed.
QString snapshot(const GameState& s, int fromSlot = 1)
{
    QStringList out;
    if (fromSlot == 1)
        for (std::int64_t v : {std::int64_t(s.ChainLevel), s.RoundBank, s.TotalBank,
                               std::int64_t(s.ClockSeconds), std::int64_t(s.RoundNumber),
                               std::int64_t(s.CurrentPlayer), std::int64_t(s.ShowClock),
                               std::int64_t(s.UseWav), std::int64_t(s.UseMidi)})
            out << QString::number(v);
    for (int i = fromSlot; i <= GameState::kSlots; ++i)
        out << s.PlayerNames[i] + u'/' + QString::number(s.PlayerOut[i]) + u'/' +
                   QString::number(s.RightAnswers[i]) + u'/' + QString::number(s.TimeUsed[i]) +
                   u'/' + QString::number(s.MoneyBanked[i]) + u'/' +
                   QString::number(s.MoneyLost[i]);
    return out.join(u' ');
}

// Types as the keyboard would; characters beyond ASCII arrive as text-only key events.
void type(QWidget* w, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(w, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Empty when the team entry is as it opens, otherwise the first thing that differs.
QString notPristine(const Names* n)
{
    for (std::size_t i = 1; i < n->Text1.size(); ++i)
        if (!n->Text1[i]->text().isEmpty())
            return n->Text1[i]->objectName() + QStringLiteral(" holds ") + n->Text1[i]->text();
    if (!n->Option1Hidden->isChecked() || n->Option1Visible->isChecked())
        return QStringLiteral("clock option");
    if (!n->Check1->isChecked() || !n->Check2->isChecked())
        return QStringLiteral("sound options");
    if (QApplication::focusWidget() != n->Text1[1])
        return QStringLiteral("focus");
    return {};
}

} // namespace

class TestSetup : public QObject {
    Q_OBJECT

    std::unique_ptr<TestConsole> tc;

    Opening* openOpening()
    {
        auto* o = qobject_cast<Opening*>(tc->forms().show(Opening::windowName));
        return o != nullptr && QTest::qWaitForWindowActive(o) ? o : nullptr;
    }
    // The host's way in: the start window, then one of its format buttons.
    Names* openNames(int players)
    {
        Opening* o = openOpening();
        if (o == nullptr)
            return nullptr;
        QTest::mouseClick(players == 6 ? o->Command1 : players == 8 ? o->Command2 : o->Command3,
                          Qt::LeftButton);
        TestConsole::flush();
        auto* n = qobject_cast<Names*>(tc->forms().find(QStringLiteral("Names%1").arg(players)));
        return n != nullptr && QTest::qWaitForWindowActive(n) ? n : nullptr;
    }

private slots:
    void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }
    void init()
    {
        tc = std::make_unique<TestConsole>();
        fillStale(tc->state());
    }
    void cleanup() { tc.reset(); }

    void openingCaptionAndFocus()
    {
        Opening* o = openOpening();
        QVERIFY(o);
        QCOMPARE(o->windowTitle(), QStringLiteral("The Brackwyn"));
        QCOMPARE(QApplication::focusWidget(), o->Command1);
    }

    // Tab walks the buttons in order and wraps; space chooses the focused one.
    void keyboardChoice_data()
    {
        QTest::addColumn<int>("tabs");
        QTest::addColumn<QString>("opens");
        QTest::newRow("6 players") << 0 << "Names6";
        QTest::newRow("8 players") << 1 << "Names8";
        QTest::newRow("9 players") << 2 << "Names9";
        QTest::newRow("quit") << 3 << "";
        QTest::newRow("wraps to 6 players") << 4 << "Names6";
    }
    void keyboardChoice()
    {
        QFETCH(int, tabs);
        QFETCH(QString, opens);
        const QString before = snapshot(tc->state());
        QPointer<Opening> o = openOpening();
        QVERIFY(o);
        for (int i = 0; i < tabs; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        TestConsole::flush();
        QVERIFY(o.isNull());
        QCOMPARE(tc->forms().loaded(), opens.isEmpty() ? QStringList() : QStringList{opens});
        QCOMPARE(tc->quits, opens.isEmpty() ? 1 : 0);
        if (!opens.isEmpty())
            QVERIFY(tc->forms().find(opens)->isVisible());
        QCOMPARE(snapshot(tc->state()), before);
    }

    void quitUnloadsEveryWindow()
    {
        Opening* o = openOpening();
        QVERIFY(o);
        QList<QPointer<Form>> windows{o, tc->forms().load(QStringLiteral("Names8")),
                                      tc->forms().show(QStringLiteral("frmAbout"))};
        QTest::mouseClick(o->Command4, Qt::LeftButton);
        QCOMPARE(tc->quits, 1);
        QCOMPARE(tc->forms().loaded(), QStringList());
        TestConsole::flush();
        for (const auto& w : windows)
            QVERIFY(w.isNull());
    }

    void namesOpensPristine_data()
    {
        QTest::addColumn<int>("players");
        QTest::newRow("6") << 6;
        QTest::newRow("8") << 8;
        QTest::newRow("9") << 9;
    }
    void namesOpensPristine()
    {
        QFETCH(int, players);
        const QString before = snapshot(tc->state());
        Names* n = openNames(players);
        QVERIFY(n);
        QCOMPARE(tc->forms().loaded(), QStringList{n->objectName()});
        QCOMPARE(int(n->Text1.size()), players + 1);
        QCOMPARE(notPristine(n), QString());
        // Choosing a format is not yet a game.
        QCOMPARE(snapshot(tc->state()), before);
    }

    void letsPlayWritesTeam_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::newRow("6 plain") << QStringList{"Ann", "Bob", "Cy", "Dee", "Eve", "Fay"};
        QTest::newRow("6 awkward") << QStringList{"", "  Bob ", "<b>Ann</b>", "O'Neil & Co",
                                                  "%1 %2", "Ann"};
        QTest::newRow("8 non-Latin") << QStringList{"Łucja", "Зоя",  "李雷", "Ωmega",
                                                    "José",  "Ünal", "Åsa", "Nguyễn"};
        QTest::newRow("9 long and blank")
            << QStringList{"a name far too long to fit in the box it is typed into",
                           " ", "", "Kim", "Lu", "Mo", "Ned", "Oz", "Pat"};
    }
    void letsPlayWritesTeam()
    {
        QFETCH(QStringList, names);
        const int players = int(names.size());
        const QString untouched = snapshot(tc->state(), players + 1);
        QPointer<Names> n = openNames(players);
        QVERIFY(n);
        for (int i = 1; i <= players; ++i)
            type(n->Text1[std::size_t(i)], names[i - 1]);
        QTest::mouseClick(n->Command1, Qt::LeftButton);

        const GameState& s = tc->state();
        QCOMPARE(s.RoundNumber, 0);
        QCOMPARE(s.TotalBank, 0);
        for (int i = 1; i <= players; ++i) {
            QCOMPARE(s.PlayerNames[i], names[i - 1]);
            QCOMPARE(s.RightAnswers[i], 0);
            QCOMPARE(s.PlayerOut[i], false);
        }
        QCOMPARE(snapshot(s, players + 1), untouched);

        const QString game = QStringLiteral("Maingame%1").arg(players);
        QCOMPARE(tc->forms().loaded(), QStringList{game});
        QVERIFY(tc->forms().find(game)->isVisible());
        TestConsole::flush();
        QVERIFY(n.isNull());
    }

    void letsPlayWritesOptions_data()
    {
        QTest::addColumn<int>("players");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<bool>("showClock");
        QTest::addColumn<bool>("useWav");
        QTest::addColumn<bool>("useMidi");
        QTest::newRow("defaults") << 6 << QStringList{} << false << true << true;
        QTest::newRow("visible") << 8 << QStringList{"Option1(0)"} << true << true << true;
        QTest::newRow("no WAV") << 9 << QStringList{"Check1"} << false << false << true;
        QTest::newRow("no MIDI") << 6 << QStringList{"Check2"} << false << true << false;
        QTest::newRow("silent") << 8 << QStringList{"Check1", "Check2"} << false << false
                                << false;
        QTest::newRow("visible, silent")
            << 9 << QStringList{"Option1(0)", "Check2", "Check1"} << true << false << false;
        QTest::newRow("visible, then hidden")
            << 6 << QStringList{"Option1(0)", "Option1(1)"} << false << true << true;
        QTest::newRow("WAV off and on, no MIDI")
            << 8 << QStringList{"Check1", "Option1(0)", "Check1", "Check2"} << true << true
            << false;
    }
    void letsPlayWritesOptions()
    {
        QFETCH(int, players);
        QFETCH(QStringList, clicks);
        Names* n = openNames(players);
        QVERIFY(n);
        for (const QString& name : clicks)
            QTest::mouseClick(n->findChild<QWidget*>(name), Qt::LeftButton);
        QTest::mouseClick(n->Command1, Qt::LeftButton);
        QTEST(tc->state().ShowClock, "showClock");
        QTEST(tc->state().UseWav, "useWav");
        QTEST(tc->state().UseMidi, "useMidi");
    }

    // Enter plays from anywhere but the Cancel button; Esc is not a shortcut of this window.
    void keys_data()
    {
        QTest::addColumn<int>("players");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("opens");
        QTest::newRow("Return in a name") << 6 << "Text1(2)" << int(Qt::Key_Return)
                                          << "Maingame6";
        QTest::newRow("Enter in the last name") << 9 << "Text1(9)" << int(Qt::Key_Enter)
                                                << "Maingame9";
        QTest::newRow("Return on WAV") << 8 << "Check1" << int(Qt::Key_Return) << "Maingame8";
        QTest::newRow("Return on Cancel") << 8 << "Command2" << int(Qt::Key_Return) << "Opening";
        QTest::newRow("Esc in a name") << 6 << "Text1(1)" << int(Qt::Key_Escape) << "Names6";
        QTest::newRow("Esc on an option") << 9 << "Option1(1)" << int(Qt::Key_Escape)
                                          << "Names9";
    }
    void keys()
    {
        QFETCH(int, players);
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(QString, opens);
        const QString before = snapshot(tc->state());
        Names* n = openNames(players);
        QVERIFY(n);
        type(n->Text1[1], QStringLiteral("Kim"));
        auto* target = n->findChild<QWidget*>(focus);
        target->setFocus(Qt::TabFocusReason);
        QCOMPARE(QApplication::focusWidget(), target);
        QTest::keyClick(target, Qt::Key(key));
        QCOMPARE(tc->forms().loaded(), QStringList{opens});
        QVERIFY(tc->forms().find(opens)->isVisible());
        if (opens.startsWith(QLatin1String("Maingame")))
            QCOMPARE(tc->state().PlayerNames[1], QStringLiteral("Kim"));
        else
            QCOMPARE(snapshot(tc->state()), before);
    }

    void cancelGivesFreshStart_data() { namesOpensPristine_data(); }
    void cancelGivesFreshStart()
    {
        QFETCH(int, players);
        const QString before = snapshot(tc->state());
        QPointer<Names> n = openNames(players);
        QVERIFY(n);
        type(n->Text1[1], QStringLiteral("Zed"));
        QTest::mouseClick(n->Option1Visible, Qt::LeftButton);
        QTest::mouseClick(n->Check2, Qt::LeftButton);
        QTest::mouseClick(n->Command2, Qt::LeftButton);
        QCOMPARE(tc->forms().loaded(), QStringList{Opening::windowName});
        QCOMPARE(snapshot(tc->state()), before);
        TestConsole::flush();
        QVERIFY(n.isNull());

        n = openNames(players);
        QVERIFY(n);
        QCOMPARE(notPristine(n), QString());
    }

    // Qt leaves unchecked radio buttons out when tabbing, so the chain itself is checked.
    void focusOrder_data() { namesOpensPristine_data(); }
    void focusOrder()
    {
        QFETCH(int, players);
        Names* n = openNames(players);
        QVERIFY(n);
        QStringList expected;
        for (int i = 1; i <= players; ++i)
            expected << QStringLiteral("Text1(%1)").arg(i);
        expected << "Option1(1)" << "Option1(0)" << "Check1" << "Command1" << "Command2"
                 << "Check2";
        QStringList chain;
        QWidget* w = n->Text1[1];
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                chain << w->objectName();
            w = w->nextInFocusChain();
        } while (w != n->Text1[1] && chain.size() <= expected.size());
        QCOMPARE(chain, expected);

        // The host tabs through the names to the clock option.
        for (int i = 0; i < players; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), n->Option1Hidden);
    }

    void closeBoxOnlyUnloads()
    {
        const QString before = snapshot(tc->state());
        QPointer<Names> n = openNames(8);
        QVERIFY(n);
        type(n->Text1[1], QStringLiteral("Kim"));
        QVERIFY(n->close());
        QCOMPARE(tc->forms().loaded(), QStringList());
        QCOMPARE(tc->quits, 0);
        QCOMPARE(snapshot(tc->state()), before);
        TestConsole::flush();
        QVERIFY(n.isNull());
    }
};

QTEST_MAIN(TestSetup)
#include "tst_setup.moc"
