// Times the audience screen: from a host's key press in the game-control window to the end of
// the audience frame that shows it, through the real event loop; and one whole frame drawn at
// 3840x2160. Prints a "keyframe" and a "frame4k" line of timings (see Report.h).
#include "Host.h"
#include "Report.h"
#include "audience/AudiencePainter.h"
#include "audience/AudienceScreen.h"

#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleFactory>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {


// Notes when the audience screen has finished painting a frame.
struct PaintWatch : QObject {
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const int presses = argc > 1 ? std::max(1, atoi(argv[1])) : 500;
    const int frames = argc > 2 ? std::max(1, atoi(argv[2])) : 50;

    Host h(8);
    AudienceScreen screen(h.console);
    h.newGame(cast.mid(0, 8));
    h.play("S");
    PaintWatch watch;
    screen.installEventFilter(&watch);
    QElapsedTimer timer;
    std::vector<qint64> ns;
    const char mix[] = "CCWCCCBCCW";
    for (int i = 0; i < presses && h.game()->clockRunning(); ++i) {
        if (h.state().RoundBank >= formats::eight.target / 2)
            h.state().RoundBank = 0; // keeps the round from ending at its target
        QCoreApplication::processEvents(); // nothing left over from the press before
        watch.painted = false;
        const char c = mix[i % 10];
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A + (c - 'A'), Qt::NoModifier, QString(QChar(c)));
        timer.start();
        QApplication::sendEvent(h.game(), &press);
        while (!watch.painted && timer.elapsed() < 1000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // The paint event has been delivered, so the frame is drawn: the time is taken after it.
        QCoreApplication::processEvents();
        ns.push_back(timer.nsecsElapsed());
    }
    report("keyframe", ns);

    ns.clear();
    // As a window's backing store is on X11.
    QImage image(3840, 2160, QImage::Format_RGB32);
    const audience::Layout layout = audience::layoutFor(screen.frame(), image.size());
    for (int i = 0; i < frames; ++i) {
        timer.start();
        QPainter p(&image);
        audience::paint(p, layout);
        p.end();
        ns.push_back(timer.nsecsElapsed());
    }
    report("frame4k", ns);
    return 0;
}
