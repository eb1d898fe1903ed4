// Loudness of what the program sends out, by the EBU R128 meter: each round's piece as the
// program's synthesiser plays it (its gain and effects, rendered offline, sample-exact) and
// each clip as it stands.
// Usage: quolmar_bench_loudness <sound directory> <SoundFont>
//        quolmar_bench_loudness --raw <file>    16-bit stereo at 44.1 kHz, as recorded
// Prints "<file> <integrated LUFS> <true peak dBTP> <seconds>" per file.

#include "sound/FluidMidiDevice.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ebur128.h>
#include <fluidsynth.h>
#include <memory>
#include <vector>

namespace {

constexpr int kRate = 44100;

struct Meter {
    Meter() : state(ebur128_init(2, kRate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK)) {}
    ~Meter() { ebur128_destroy(&state); }
    Meter(const Meter&) = delete;
    Meter& operator=(const Meter&) = delete;
    void print(const QString& name, double seconds) {
        double lufs = 0, left = 0, right = 0;
        ebur128_loudness_global(state, &lufs);
        ebur128_true_peak(state, 0, &left);
        ebur128_true_peak(state, 1, &right);
        std::printf("%s %.1f %.1f %.1f\n", qPrintable(name), lufs,
                    20 * std::log10(std::max({left, right, 1e-9})), seconds);
    }
    ebur128_state* state;
};

void piece(const QString& path, const char* soundFont) {
    fluid_settings_t* settings = new_fluid_settings();
    FluidMidiDevice::tune(settings);
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_synth_sfload(synth, soundFont, 1);
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_add(player, QFile::encodeName(path).constData());
    fluid_player_play(player);
    Meter meter;
    std::vector<float> block(2 * 4410);
    long frames = 0;
    // On to three seconds past the last tick, so that the final hit rings out.
    for (int after = 0; after < 30; frames += 4410) {
        fluid_synth_write_float(synth, 4410, block.data(), 0, 2, block.data(), 1, 2);
        ebur128_add_frames_float(meter.state, block.data(), 4410);
        after += fluid_player_get_status(player) == FLUID_PLAYER_PLAYING ? 0 : 1;
    }
    meter.print(QFileInfo(path).fileName(), double(frames) / kRate);
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
}

// 16-bit stereo at 44.1 kHz, after a header of `header` bytes.
void samples(const QString& path, int header) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray data = file.readAll().mid(header);
    Meter meter;
    ebur128_add_frames_short(meter.state, reinterpret_cast<const short*>(data.constData()),
                             std::size_t(data.size()) / 4);
    meter.print(QFileInfo(path).fileName(), double(data.size()) / 4 / kRate);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "--raw") == 0) {
        samples(QString::fromLocal8Bit(argv[2]), 0);
        return 0;
    }
    if (argc != 3) {
        std::fputs("Usage: quolmar_bench_loudness <sound directory> <SoundFont> | --raw <file>\n",
                   stderr);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    for (const QString& name : dir.entryList({"*.mid"}, QDir::Files, QDir::Name))
        piece(dir.filePath(name), argv[2]);
    for (const QString& name : dir.entryList({"*.wav"}, QDir::Files, QDir::Name))
        samples(dir.filePath(name), 44); // as generated
}
