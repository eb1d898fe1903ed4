#include "LazyAudio.h"

#include "AudioModule.h"
#include "FluidMidiDevice.h"

#include <QLibrary>
#include <cstdio>
#include <utility>

namespace {

// Without the module the game goes on in silence; a piece cannot be opened, as without a device.
class NoWav final : public WavPlayer {
public:
    void play(const QString&, Mode) override {}
};
class NoMidi final : public MidiDevice {
public:
    int command(const QString& text) override {
        return text.startsWith(QLatin1String("open"), Qt::CaseInsensitive)
                   ? FluidMidiDevice::DeviceUnavailable
                   : 0;
    }
};

} // namespace

LazyAudio::LazyAudio(QString module) : module_(std::move(module)) {}

LazyAudio::~LazyAudio() {
    finish();
    // The players go before the module's code would; the module itself stays loaded.
    midi_.reset();
    wav_.reset();
}

void LazyAudio::load() {
    if (wav_)
        return;
    QLibrary library(module_);
    const auto make = reinterpret_cast<AudioModuleEntry>(library.resolve(audioModuleEntry));
    if (make) {
        AudioPlayers players = make();
        wav_.reset(players.wav);
        midi_.reset(players.midi);
    }
    if (!wav_ || !midi_) {
        std::fprintf(stderr, "quolmar: no sound: %s\n", qPrintable(library.errorString()));
        wav_ = std::make_unique<NoWav>();
        midi_ = std::make_unique<NoMidi>();
    }
}

void LazyAudio::finish() {
    if (work_.valid())
        work_.get();
}

void LazyAudio::post(std::function<void()> task) {
    work_ = std::async(std::launch::async, [this, before = work_, task = std::move(task)] {
                if (before.valid())
                    before.get();
                load();
                task();
            }).share();
}

void LazyAudio::prepare(const QString& piece) {
    post([this, piece] { midi_->prepare(piece); });
}

void LazyAudio::preload(const QStringList& paths) {
    post([this, paths] { wav_->preload(paths); });
}

void LazyAudio::play(const QString& path, Mode mode) {
    finish();
    load();
    wav_->play(path, mode);
}

int LazyAudio::command(const QString& text) {
    finish();
    load();
    return midi_->command(text);
}
