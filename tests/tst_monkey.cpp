// A random host plays through the real windows, with the audience screen open, 100,000 steps a
// run, and the game's invariants are checked after every step. A failure names its seed and the
// last steps; replay it with QUOLMAR_MONKEY_SEED=N.
#include "Host.h"
#include "audience/AudienceScreen.h"
#include "questions/QuestionCard.h"
#include "state/Rules.h"

#include <QApplication>
#include <QRegularExpression>
#include <QStyleFactory>
#include <random>

namespace {

// Qt's complaints about misused widgets ("QWidget::...") fail the step.
QStringList warnings;
QtMessageHandler qtHandler = nullptr;
void collectWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtDebugMsg && QRegularExpression("^Q[A-Za-z]+::").match(text).hasMatch())
        warnings << text;
    if (!text.startsWith(QLatin1String("This plugin does not support")))
        qtHandler(type, context, text);
}

struct Monkey {
    std::mt19937 rng;
    std::unique_ptr<TestConsole> tc;
    std::unique_ptr<AudienceScreen> screen;        // open all the time, following whatever happens
    std::unique_ptr<questions::QuestionCard> card; // with a deck that soon runs out
    QStringList trail;
    const GameFormat* format = nullptr;
    std::int64_t total = 0;
    int steps = 0;

    bool chance(double p) { return std::bernoulli_distribution(p)(rng); }
    int pick(qsizetype n) { return std::uniform_int_distribution<int>(0, int(n) - 1)(rng); }

    QString step() {
        if (!tc) {
            tc = std::make_unique<TestConsole>();
            tc->dialogs.chooser = [this] { return chance(0.8); };
            // A real box runs an event loop, in which the round clock goes on ticking.
            tc->dialogs.onShow = [this](const QString&) {
                if (auto* g = qobject_cast<Maingame*>(tc->onScreen()); g && chance(0.2))
                    for (int i = pick(200); i >= 0; --i)
                        g->tick();
            };
            tc->forms().show(windows::opening);
            screen = std::make_unique<AudienceScreen>(tc->console);
            card = std::make_unique<questions::QuestionCard>(
                tc->console, QList<questions::Question>(40, {"Why?", "Because."}));
            total = 0;
        }
        Form* w = tc->onScreen();
        auto* g = qobject_cast<Maingame*>(w);
        QList<QAbstractButton*> buttons;
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
            if (b->isEnabled() && b->isVisible())
                buttons << b;
        QString did = w->objectName();
        if (chance(0.002)) {
            did += " close box";
            w->close();
        } else if (g && chance(0.01)) {
            QAction* a = chance(0.5) ? g->startOverAction : g->aboutAction;
            did += " menu " + a->text();
            a->trigger();
        } else if (g && g->clockRunning() && chance(0.6)) {
            did += " tick";
            g->tick();
        } else if (!buttons.isEmpty() && chance(0.35)) {
            QAbstractButton* b = buttons[pick(buttons.size())];
            did += " click " + b->objectName();
            QTest::mouseClick(b, Qt::LeftButton);
        } else {
            static const char keys[] = "SCCCCCCCWBBTHVF1234 x\r\x1b\t\b\x1a"; // undo: \b, Ctrl+Z
            char c = chance(0.9) ? keys[pick(sizeof keys - 1)] : char(0x20 + pick(95));
            c = chance(0.3) && c >= 'A' && c <= 'Z' ? char(c | 0x20) : c;
            did += QStringLiteral(" key 0x%1").arg(int(c), 0, 16);
            QPointer<QWidget> to = w->focusWidget() ? w->focusWidget() : w;
            c == '\x1a' ? QTest::keyClick(to, Qt::Key_Z, Qt::ControlModifier)
                        : QTest::keyClick(to, c);
            // Typed quickly, the next key may reach a window that has just handed over.
            if (to && chance(0.05))
                QTest::keyClick(to, "SCWBVF\r "[pick(8)]);
        }
        if ((trail << did).size() > 12)
            trail.removeFirst();
        TestConsole::flush();
        // Now and then the rest of what an event loop delivers, or the queue grows and slows.
        if (++steps % 256 == 0)
            QCoreApplication::sendPostedEvents();
        // Quit, or a close box that leaves no window, ends the program: the next step starts it.
        if (tc->quits > 0 || tc->onScreen() == nullptr) {
            const QStringList left = tc->forms().loaded();
            screen.reset();
            card.reset();
            tc.reset();
            return left.isEmpty() || left == QStringList{windows::about}
                       ? QString()
                       : "windows left at the end: " + left.join(u' ');
        }
        return check();
    }

    QString check() {
        if (!warnings.isEmpty())
            return "Qt warning: " + warnings.join(u'\n');
        const GameState& s = tc->state();
        Form* w = tc->onScreen();
        if (auto* n = qobject_cast<Names*>(w)) { // a new game is about to start
            format = &n->format;
            total = 0;
            return {};
        }
        for (const QString& name : tc->forms().loaded())
            if (!tc->forms().find(name)->isVisible() && name != windows::about &&
                !(format && name == format->gameWindow && w->objectName() == format->goodbyeWindow))
                return name + " is loaded but hidden";
        if (s.TotalBank < total) // within a game the prize fund only grows
            return QStringLiteral("TotalBank fell to %1").arg(s.TotalBank);
        total = s.TotalBank;
        const int players = format ? format->players : 0;
        const auto in =
            std::count(s.PlayerOut.begin() + 1, s.PlayerOut.begin() + 1 + players, false);
        if (auto* v = qobject_cast<Voteoff*>(w))
            for (int i = 1; i <= players; ++i)
                if (v->eliminateButtons[i]->isEnabled() != (!s.PlayerOut[i] && in > 2))
                    return QStringLiteral("slot %1 can wrongly be voted off").arg(i);
        if (w->objectName() == windows::finalRound && in < 2)
            return "a final with fewer than two";
        auto* g = qobject_cast<Maingame*>(w);
        if (g == nullptr)
            return {};
        const auto lit =
            std::count_if(g->linkBoxes.begin(), g->linkBoxes.end(),
                          [](const design::Panel* p) { return p->fill() == design::red; });
        if (lit != 1 ||
            g->linkBoxes[std::min(s.ChainLevel, format->top - 1)]->fill() != design::red)
            return QStringLiteral("%1 links lit at level %2").arg(lit).arg(s.ChainLevel);
        for (int i = 1; i <= players; ++i)
            if (g->nameLabels[i]->isHidden() != s.PlayerOut[i])
                return QStringLiteral("slot %1's name is shown wrongly").arg(i);
        if (g->clockRunning() &&
            (s.RoundBank < 0 || s.RoundBank > format->target || s.PlayerOut[s.CurrentPlayer] ||
             g->bankAmount->text() != rules::money(s.RoundBank) ||
             g->clockDigits->text() != QString::number(s.ClockSeconds)))
            return "the round shows what it is not";
        if (card->deck().asking() != g->clockRunning())
            return "the card asks a question while the clock is stopped, or none while it runs";
        return {};
    }
};

} // namespace

class TestMonkey : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QApplication::setStyle(QStyleFactory::create("Fusion"));
        qtHandler = qInstallMessageHandler(collectWarnings);
    }
    void randomHost() {
        const unsigned seed = qEnvironmentVariableIntValue("QUOLMAR_MONKEY_SEED");
        Monkey m;
        m.rng.seed(seed);
        for (int step = 1; step <= 100000; ++step)
            if (const QString failure = m.step(); !failure.isEmpty())
                QFAIL(qPrintable(
                    QStringLiteral("seed %1, step %2: %3\n  ").arg(seed).arg(step).arg(failure) +
                    m.trail.join("\n  ")));
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    TestMonkey test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_monkey.moc"
