// A random host plays whole runs through the real windows; the game's invariants are checked
// after every step. Replay a failure with: tst_monkey play:"seed N" (it prints the step).
#include "TestConsole.h"
#include "final/Finalround.h"
#include "round/Maingame.h"
#include "setup/Names.h"
#include "setup/Opening.h"
#include "state/GameFormat.h"
#include "state/Rules.h"
#include "ui/About.h"
#include "ui/Design.h"
#include "voteoff/Goodbye.h"
#include "voteoff/Voteoff.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QStyleFactory>
#include <QTest>
#include <algorithm>
#include <array>
#include <memory>
#include <random>

namespace {

// Seeds 1..5 of 20,000 steps each unless the environment asks for more (or fewer).
int fromEnvironment(const char* name, int fallback) {
    bool ok = false;
    const int n = qEnvironmentVariableIntValue(name, &ok);
    return ok && n > 0 ? n : fallback;
}

// Qt complains about misused widgets and objects ("QWidget::...: ..."); any such complaint
// fails the step. What the headless platform cannot do is no fault of the program.
QStringList warnings;
QtMessageHandler qtHandler = nullptr;
void collectWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    static const QRegularExpression misuse(QStringLiteral("^Q[A-Za-z]+::"));
    if (type != QtDebugMsg && type != QtInfoMsg && misuse.match(text).hasMatch())
        warnings << text;
    if (!text.startsWith(QLatin1String("This plugin does not support")))
        qtHandler(type, context, text);
}

const QStringList oddNames{QString(), QString(2000, u'W'),        QStringLiteral("<b>x</b>"),
                           "%s%n",    QStringLiteral("&Ann"),     QStringLiteral("سلمى"),
                           "王小明",  QStringLiteral("🦊🎲"), QStringLiteral("Zoë")};

// How deep the hosts of all seeds got.
struct {
    QSet<QString> windows;
    int steps = 0, runs = 0, targets = 0, finals = 0, finalsWon = 0;
} seen;

struct Monkey {
    explicit Monkey(unsigned seed) : rng(seed) {}

    bool chance(double p) { return std::bernoulli_distribution(p)(rng); }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    void did(const QString& what) {
        trail << what;
        if (trail.size() > 12)
            trail.removeFirst();
    }

    void startRun() {
        tc = std::make_unique<TestConsole>();
        tc->dialogs.chooser = [this](const ScriptedDialogs::Shown& box) {
            // Mostly carry on, so that games get deep; leaving a game is answered less often.
            const bool yes = chance(box.text.contains(QLatin1String("exit")) ? 0.25 : 0.7);
            did(QStringLiteral("  answered %1: %2").arg(yes ? "yes" : "no", box.text.left(40)));
            return yes;
        };
        // A real box runs its own event loop, in which the round clock keeps ticking.
        tc->dialogs.onShow = [this](const QString&) {
            auto* g = qobject_cast<Maingame*>(gameWindow());
            if (inBox || g == nullptr || !g->clockRunning() || !chance(0.3))
                return;
            inBox = true;
            const int ticks = 1 + pick(200);
            did(QStringLiteral("  %1 ticks while the box is open").arg(ticks));
            for (int i = 0; i < ticks; ++i)
                g->tick();
            inBox = false;
        };
        tc->forms().show(windows::opening);
        previous = windows::opening;
        format = nullptr;
        total = 0;
        ++seen.runs;
        did(QStringLiteral("-- new run"));
    }

    // Every window on screen but the about box.
    QList<Form*> gameWindows() const {
        QList<Form*> out;
        for (const QString& name : tc->forms().loaded())
            if (Form* w = tc->forms().find(name); w->isVisible() && name != windows::about)
                out << w;
        return out;
    }
    Form* gameWindow() const { return gameWindows().value(0); }

    // One thing a person could do in the window on screen; empty, or what went wrong.
    QString step() {
        if (!tc)
            startRun();
        tc->dialogs.clear();
        Form* w = gameWindow();
        if (Form* about = tc->forms().find(windows::about); about != nullptr && chance(0.3))
            w = about;
        auto* g = qobject_cast<Maingame*>(w);
        auto* names = qobject_cast<Names*>(w);
        QList<QAbstractButton*> buttons;
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
            if (b->isEnabled() && b->isVisible())
                buttons << b;
        const bool running = g != nullptr && g->clockRunning();
        // key, click, menu, tick, type, close box
        std::array<double, 6> weights{50, buttons.isEmpty() ? 0.0 : 40, 0, 0, 0, 0.2};
        if (running)
            weights = {25, 0, 0.2, 75, 0, 0.05};
        else if (g != nullptr)
            weights = {80, 0, 1, 3, 0, 0.1};
        else if (names != nullptr)
            weights = {30, 25, 0, 0, 30, 0.3};
        const QString where = w->objectName() + QStringLiteral(": ");
        bool closed = false;
        switch (std::discrete_distribution<int>(weights.begin(), weights.end())(rng)) {
        case 0:
            pressKey(w, where);
            break;
        case 1: {
            QAbstractButton* b = buttons[pick(int(buttons.size()))];
            did(where + QStringLiteral("click ") + b->objectName());
            QTest::mouseClick(b, Qt::LeftButton);
            break;
        }
        case 2: {
            QAction* a = chance(0.5) ? g->startOverAction : g->aboutAction;
            did(where + QStringLiteral("menu ") + a->text());
            a->trigger();
            break;
        }
        case 3:
            did(where + QStringLiteral("tick"));
            g->tick();
            break;
        case 4:
            type(names, where);
            break;
        default:
            did(where + QStringLiteral("close box"));
            w->close();
            closed = true;
        }
        TestConsole::flush();
        // Now and then the rest of what an event loop would deliver (layouts, polish): the
        // queue otherwise keeps growing and every later step gets slower.
        if (++seen.steps % 256 == 0)
            QCoreApplication::sendPostedEvents();
        const QStringList boxes = tc->dialogs.texts();
        seen.finalsWon +=
            boxes.count(QStringLiteral("Join us next time on The Brackwyn.\nGoodbye!"));
        seen.targets += boxes.count(QStringLiteral("You reached the target!"));
        // A close box that leaves no main window ends the program: the about box, a tool
        // window, does not keep it running.
        if (tc->quits > 0 || (closed && gameWindow() == nullptr)) {
            const bool left = tc->quits > 0 && !tc->forms().loaded().isEmpty();
            tc.reset();
            return left ? QStringLiteral("windows left after Quit") : QString();
        }
        return check();
    }

    void pressKey(QWidget* w, const QString& where) {
        // Keys go where a person's keys go: to the widget that has the window's focus.
        QWidget* to = w->focusWidget() != nullptr ? w->focusWidget() : w;
        if (chance(0.12)) {
            static const std::array<Qt::Key, 4> otherKeys{Qt::Key_Return, Qt::Key_Enter,
                                                          Qt::Key_Escape, Qt::Key_Tab};
            const Qt::Key k = otherKeys[std::size_t(pick(4))];
            did(where + QStringLiteral("key 0x%1").arg(int(k), 0, 16));
            QTest::keyClick(to, k);
            return;
        }
        char c = char(0x20 + pick(95));
        if (chance(0.7)) {
            // The host's keys, right answers the most: chains must reach the top now and then.
            static const char hostKeys[] = "SCCCCCCCCCWBBTHVF1234";
            c = hostKeys[pick(int(sizeof hostKeys) - 1)];
            if (chance(0.3))
                c = char(c | 0x20); // the same letter in lower case; digits stay digits
        }
        did(where + QStringLiteral("key '%1'").arg(QLatin1Char(c)));
        QPointer<QWidget> target = to;
        QTest::keyClick(to, c);
        // Typed quickly, the next key may still reach a window that has just handed over.
        if (target && chance(0.05)) {
            const char next = "SCWBVF\r "[pick(8)];
            did(where + QStringLiteral("  and at once 0x%1").arg(int(next), 0, 16));
            QTest::keyClick(target, next);
        }
    }

    void type(Names* n, const QString& where) {
        QLineEdit* e = n->nameBoxes[std::size_t(1 + pick(n->format.players))];
        e->setFocus(Qt::MouseFocusReason);
        if (chance(0.25)) {
            QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(e, Qt::Key_Delete);
        }
        QString text = oddNames[pick(int(oddNames.size()))];
        if (chance(0.5)) {
            text.clear();
            for (int i = pick(12); i >= 0; --i)
                text += QChar(u'a' + pick(26));
        }
        did(where + QStringLiteral("type into ") + e->objectName() + QStringLiteral(": ") +
            text.left(20));
        // One key event carrying the whole text, as an input method commits it.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(e, &press);
    }

    QString check() {
        if (!warnings.isEmpty()) {
            const QString all = warnings.join(u'\n');
            warnings.clear();
            return QStringLiteral("Qt warning: ") + all;
        }
        const GameState& s = tc->state();
        const QList<Form*> games = gameWindows();
        if (games.size() != 1)
            return QStringLiteral("%1 game windows on screen").arg(games.size());
        Form* w = games.first();
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible() && top != w && top != tc->forms().find(windows::about))
                return QStringLiteral("an unregistered window is on screen: ") + top->objectName();
        const QString name = w->objectName();
        seen.windows << name;
        if (name != previous && name == windows::finalRound)
            ++seen.finals;
        if (auto* n = qobject_cast<Names*>(w); n != nullptr && previous == windows::opening)
            format = &n->format;
        const QStringList allowed{windows::opening,
                                  windows::finalRound,
                                  format ? format->namesWindow : "",
                                  format ? format->gameWindow : "",
                                  format ? format->voteoffWindow : "",
                                  format ? format->goodbyeWindow : ""};
        if (!allowed.contains(name))
            return name + QStringLiteral(" is not a window of this game");
        for (const QString& loaded : tc->forms().loaded())
            if (!tc->forms().find(loaded)->isVisible() &&
                !(format != nullptr && loaded == format->gameWindow &&
                  name == format->goodbyeWindow))
                return loaded + QStringLiteral(" is loaded but hidden");
        // A game starts at "Let's Play!"; within it the prize fund only grows.
        if (previous.startsWith(QLatin1String("Names")))
            total = 0;
        if (s.TotalBank < total)
            return QStringLiteral("TotalBank fell from %1 to %2").arg(total).arg(s.TotalBank);
        total = s.TotalBank;
        previous = name;

        int in = 0;
        for (int i = 1; format != nullptr && i <= format->players; ++i)
            in += s.PlayerOut[i] ? 0 : 1;
        if (name == windows::finalRound && in < 2)
            return QStringLiteral("a final with %1 players in").arg(in);
        if (auto* v = qobject_cast<Voteoff*>(w))
            for (int i = 1; i <= format->players; ++i)
                if (v->eliminateButtons[std::size_t(i)]->isEnabled() != (!s.PlayerOut[i] && in > 2))
                    return QStringLiteral("slot %1 can wrongly be voted off").arg(i);
        if (auto* fr = qobject_cast<Finalround*>(w)) {
            int asked = 0;
            for (int i = 1; i <= 10; ++i)
                asked += fr->marker(i).current && !fr->markerLabels[std::size_t(i)]->isHidden() ? 1 : 0;
            for (std::size_t k = 1; k <= 2; ++k)
                if (s.FinalQuestionsLeft[k] < 0 || s.FinalRightAnswers[k] < 0 ||
                    s.FinalQuestionsLeft[k] + s.FinalRightAnswers[k] > 5)
                    asked = -1;
            if (asked != 1)
                return QStringLiteral("the final asks %1 questions at once").arg(asked);
        }
        if (auto* g = qobject_cast<Maingame*>(w))
            return checkGame(g, s);
        return {};
    }

    QString checkGame(Maingame* g, const GameState& s) {
        const GameFormat& f = *format;
        int lit = 0;
        for (const design::Panel* link : g->linkBoxes)
            lit += link->fill() == design::red ? 1 : 0;
        // Above the top the top link stays lit.
        const int expected = std::min(s.ChainLevel, f.top - 1);
        if (s.ChainLevel < 0 || lit != 1 || g->linkBoxes[std::size_t(expected)]->fill() != design::red)
            return QStringLiteral("%1 links lit at chain level %2").arg(lit).arg(s.ChainLevel);
        for (int i = 1; i <= f.players; ++i)
            if (const QLabel* l = g->nameLabels[std::size_t(i)];
                l->isHidden() != s.PlayerOut[i] || l->text() != s.PlayerNames[i])
                return QStringLiteral("the name of slot %1 is shown wrongly").arg(i);
        if (!g->clockRunning())
            return {};
        if (s.RoundBank < 0 || s.RoundBank > f.target)
            return QStringLiteral("round bank %1 in a running round").arg(s.RoundBank);
        if (s.CurrentPlayer < 1 || s.CurrentPlayer > f.players || s.PlayerOut[s.CurrentPlayer])
            return QStringLiteral("slot %1 has the turn").arg(s.CurrentPlayer);
        if (s.ClockSeconds <= 0 || g->clockDigits->text() != QString::number(s.ClockSeconds))
            return "clock shows " + g->clockDigits->text() +
                   QString::asprintf(" at %d s", s.ClockSeconds);
        if (g->bankAmount->text() != rules::money(s.RoundBank))
            return QStringLiteral("BANK shows %1 for %2").arg(g->bankAmount->text()).arg(s.RoundBank);
        for (int i = 1; i <= f.players; ++i)
            if ((design::textColour(g->nameLabels[std::size_t(i)]) == design::white) !=
                (i == s.CurrentPlayer))
                return QString::asprintf("slot %d lit wrongly; %d has the turn", i,
                                         s.CurrentPlayer);
        return {};
    }

    std::mt19937 rng;
    std::unique_ptr<TestConsole> tc;
    const GameFormat* format = nullptr;
    QString previous;
    std::int64_t total = 0;
    bool inBox = false;
    QStringList trail;
};

} // namespace

class TestMonkey : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QApplication::setStyle(QStyleFactory::create("Fusion"));
        qtHandler = qInstallMessageHandler(collectWarnings);
    }
    void cleanupTestCase() { qInstallMessageHandler(nullptr); }

    void play_data() {
        QTest::addColumn<unsigned>("seed");
        for (int seed = 1; seed <= fromEnvironment("QUOLMAR_MONKEY_SEEDS", 5); ++seed)
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << unsigned(seed);
    }
    void play() {
        QFETCH(unsigned, seed);
        Monkey m(seed);
        for (int step = 1, steps = fromEnvironment("QUOLMAR_MONKEY_STEPS", 20000); step <= steps;
             ++step) {
            if (const QString failure = m.step(); !failure.isEmpty())
                QFAIL(qPrintable(QString::asprintf("seed %u, step %d: ", seed, step) + failure +
                                 '\n' + m.trail.join(u'\n')));
        }
    }

    // The random host must get everywhere, or the invariants above prove little.
    void everyWindowWasReached() {
        if (seen.steps < 100000)
            QSKIP("too few steps to expect every window");
        qInfo("%d steps, %d runs, %d targets reached, %d finals, %d won", seen.steps, seen.runs,
              seen.targets, seen.finals, seen.finalsWon);
        QStringList missing{windows::finalRound};
        for (const GameFormat* f : {&formats::six, &formats::eight, &formats::nine})
            missing << f->namesWindow << f->gameWindow << f->voteoffWindow << f->goodbyeWindow;
        missing.removeIf([](const QString& w) { return seen.windows.contains(w); });
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u' ')));
        QVERIFY(seen.targets >= 10 && seen.finalsWon >= 10);
    }
};

QTEST_MAIN(TestMonkey)
#include "tst_monkey.moc"
