// Times how long the game-control window takes to handle one key press while the clock runs:
// the key handler alone, and a whole press (event delivery plus the repaint it causes).
// Prints a "handleKey" and a "press+paint" line of timings (see Report.h).
#include "Host.h"
#include "Report.h"
#include "round/Maingame.h"
#include "state/GameFormat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QStyleFactory>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// A host's typical run of answers: mostly right, now and then wrong or banked, the clock shown
// and hidden once per cycle.
constexpr char kMix[] = {'C', 'C', 'W', 'C', 'C', 'C', 'B', 'H', 'C', 'W', 'C', 'B'};


} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const int presses = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;
    const int painted = argc > 2 ? std::max(1, atoi(argv[2])) : 2000;

    Host tc(8);
    tc.forms().unload(windows::opening); // the game window alone is on screen, as in a game
    const GameFormat& format = formats::eight;
    GameState& s = tc.state();
    for (int i = 1; i <= format.players; ++i)
        s.PlayerNames[i] = QStringLiteral("Player %1").arg(i);
    s.UseWav = s.UseMidi = s.ShowClock = true;
    auto* w = qobject_cast<Maingame*>(tc.forms().show(QString::fromLatin1(format.gameWindow)));
    if (!w)
        return 1;
    QCoreApplication::processEvents();
    w->handleKey(QLatin1Char('S'));
    // The event loop never runs during the timing, so no tick ends the round; a bank that
    // would reach the target is emptied between presses so that B keeps banking.
    const auto keepRoundGoing = [&] {
        if (s.RoundBank >= format.target / 2)
            s.RoundBank = 0;
    };

    std::vector<qint64> ns;
    ns.reserve(static_cast<std::size_t>(presses));
    QElapsedTimer timer;
    for (int i = 0; i < presses; ++i) {
        keepRoundGoing();
        const QChar key = QLatin1Char(kMix[static_cast<std::size_t>(i) % sizeof kMix]);
        timer.start();
        w->handleKey(key);
        ns.push_back(timer.nsecsElapsed());
    }
    if (!w->clockRunning())
        return 2; // the round ended: later presses would have measured nothing
    report("handleKey", ns);

    ns.clear();
    for (int i = 0; i < painted; ++i) {
        keepRoundGoing();
        const char c = kMix[static_cast<std::size_t>(i) % sizeof kMix];
        const QString text(QLatin1Char(static_cast<char>(c + ('a' - 'A'))));
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A + (c - 'A'), Qt::NoModifier, text);
        timer.start();
        QApplication::sendEvent(w, &press);
        // The repaint of what changed, as the event loop would do next.
        QCoreApplication::processEvents();
        ns.push_back(timer.nsecsElapsed());
    }
    if (!w->clockRunning())
        return 2;
    report("press+paint", ns);
    return 0;
}
