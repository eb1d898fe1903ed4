// Times what the program asks of its music at the start of a round: opening the piece that was
// prepared before it, and playing it. Loads the audio module beside itself, as the program does,
// so copied beside another build's program it times that build's.
#include "sound/AudioModule.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLibrary>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString dir = QCoreApplication::applicationDirPath() + u'/';
    QLibrary module(dir + "quolmar-audio.so");
    const auto make = reinterpret_cast<AudioModuleEntry>(module.resolve(audioModuleEntry));
    if (!make) {
        std::fprintf(stderr, "no audio module beside this program: %s\n", qPrintable(dir));
        return 1;
    }
    const AudioPlayers players = make();
    std::unique_ptr<WavPlayer> wav(players.wav);
    std::unique_ptr<MidiDevice> midi(players.midi);
    std::vector<double> opens, plays;
    // The 8-player game's pieces, five times over; each is prepared as the goodbye prepares it.
    for (int pass = 0; pass < 5; ++pass)
        for (int seconds = 150; seconds >= 90; seconds -= 10) {
            const QString piece = dir + QString::number(seconds) + ".mid";
            midi->prepare(piece);
            QThread::msleep(200);
            QElapsedTimer clock;
            clock.start();
            const int opened = midi->command("open sequencer!" + piece + " alias midi");
            opens.push_back(clock.nsecsElapsed() / 1e6);
            const int played = midi->command("play midi");
            plays.push_back(clock.nsecsElapsed() / 1e6 - opens.back());
            if (opened != 0 || played != 0) {
                std::fprintf(stderr, "%s: open %d, play %d\n", qPrintable(piece), opened, played);
                return 1;
            }
            QThread::msleep(200);
            midi->command("close midi");
        }
    for (auto* times : {&opens, &plays}) {
        std::sort(times->begin(), times->end());
        std::printf("%s: median %.3f ms, worst %.3f ms, of %zu\n",
                    times == &opens ? "open" : "play", (*times)[times->size() / 2], times->back(),
                    times->size());
    }
}
