// Loudness of what the program sends out, by the EBU R128 meter: each round's piece as the
// program's synthesiser plays it (its gain and effects, rendered offline, sample-exact) and
// each clip as it stands.
// Usage: quolmar_bench_loudness <sound directory> <SoundFont>
//        quolmar_bench_loudness --raw <file>    16-bit stereo at 44.1 kHz, as recorded
// Prints "<file> <integrated LUFS> <true peak dBTP> <seconds> <second of the true peak>" per file.

#include "sound/FluidMidiDevice.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ebur128.h>
#include <fluidsynth.h>
#include <memory>
#include <type_traits>
#include <vector>

namespace {

constexpr int kRate = 44100;

struct Meter {
    Meter() : state(ebur128_init(2, kRate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK)) {}
    ~Meter() { ebur128_destroy(&state); }
    Meter(const Meter&) = delete;
    Meter& operator=(const Meter&) = delete;
    // Interleaved stereo, in blocks of a tenth of a second, so that the peak can be placed.
    template <typename Sample> void add(const Sample* samples, std::size_t frames) {
        for (std::size_t at = 0; at < frames; at += kBlock) {
            const std::size_t n = std::min(kBlock, frames - at);
            if constexpr (std::is_same_v<Sample, float>)
                ebur128_add_frames_float(state, samples + 2 * at, n);
            else
                ebur128_add_frames_short(state, samples + 2 * at, n);
            double left = 0, right = 0;
            ebur128_prev_true_peak(state, 0, &left);
            ebur128_prev_true_peak(state, 1, &right);
            if (std::max(left, right) > peak) {
                peak = std::max(left, right);
                peakAt = double(done + at) / kRate;
            }
        }
        done += frames;
    }
    void print(const QString& name) {
        double lufs = 0;
        ebur128_loudness_global(state, &lufs);
        std::printf("%s %.1f %.1f %.1f %.1f\n", qPrintable(name), lufs,
                    20 * std::log10(std::max(peak, 1e-9)), double(done) / kRate, peakAt);
    }
    static constexpr std::size_t kBlock = kRate / 10;
    ebur128_state* state;
    double peak = 0, peakAt = 0;
    std::size_t done = 0;
};

void piece(const QString& path, const char* soundFont) {
    fluid_settings_t* settings = new_fluid_settings();
    FluidMidiDevice::tune(settings);
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_synth_t* synth = new_fluid_synth(settings);
    // The program's own SoundFont lacks the presets the pieces choose for channels that stay
    // silent, and the default piano; FluidSynth would warn of each one.
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    fluid_synth_sfload(synth, soundFont, 1);
    fluid_player_t* player = new_fluid_player(synth);
    fluid_player_add(player, QFile::encodeName(path).constData());
    fluid_player_play(player);
    Meter meter;
    std::vector<float> block(2 * Meter::kBlock);
    // On to three seconds past the last tick, so that the final hit rings out.
    for (int after = 0; after < 30;) {
        fluid_synth_write_float(synth, Meter::kBlock, block.data(), 0, 2, block.data(), 1, 2);
        meter.add(block.data(), Meter::kBlock);
        after += fluid_player_get_status(player) == FLUID_PLAYER_PLAYING ? 0 : 1;
    }
    meter.print(QFileInfo(path).fileName());
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
    meter.add(reinterpret_cast<const short*>(data.constData()), std::size_t(data.size()) / 4);
    meter.print(QFileInfo(path).fileName());
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
