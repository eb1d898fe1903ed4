#include "FluidMidiDevice.h"

#include "AudioSetup.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <atomic>
#include <chrono>
#include <fluidsynth.h>
#include <mutex>
#include <utility>

namespace {

// No round's music comes anywhere near this; anything larger is not worth reading.
constexpr qint64 kLargestPiece = 16 * 1024 * 1024;
// One block is enough for a trial player to load its piece and send what sounds at its start.
constexpr int kTrialBlock = 64;
constexpr int kChannels = 16;
constexpr int kDrumChannel = 9;

// A working output keeps the synthesiser rendering at its device's pace; a driver whose device
// failed ends its thread, and what it logs differs from driver to driver. An output this far
// behind the clock has stopped, and the next piece opens a new one.
constexpr std::chrono::milliseconds kStalled{500};

// Making settings asks SDL for its audio devices.
fluid_settings_t* newSettings() {
    const std::lock_guard setup(audioSetupLock());
    return new_fluid_settings();
}

} // namespace

struct FluidMidiDevice::Engine {
    Engine() = default;
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
    ~Engine() {
        stopOutput();
        if (rendered)
            delete_fluid_sequencer(rendered);
        // The trial synthesiser borrows the SoundFont: it gives it back before either goes.
        if (trialSynth && font) {
            for (int channel = 0; channel < kChannels; ++channel)
                fluid_synth_unset_program(trialSynth, channel);
            fluid_synth_remove_sfont(trialSynth, font);
        }
        if (trialSynth)
            delete_fluid_synth(trialSynth);
        if (synth)
            delete_fluid_synth(synth);
        if (settings)
            delete_fluid_settings(settings);
        if (trialSettings)
            delete_fluid_settings(trialSettings);
    }
    // The silent synthesiser beside the playing one; false if it cannot be had.
    bool startTrial() {
        trialSettings = newSettings();
        if (!trialSettings)
            return false;
        // Rendering a block drives the trial player, with no thread of its own.
        fluid_settings_setstr(trialSettings, "player.timing-source", "sample");
        fluid_settings_setint(trialSettings, "synth.polyphony", 16);
        fluid_settings_setint(trialSettings, "synth.reverb.active", 0);
        fluid_settings_setint(trialSettings, "synth.chorus.active", 0);
        // It never sounds a note: it holds the coming piece's instruments, which a reset would
        // drop.
        fluid_settings_setint(trialSettings, "player.reset-synth", 0);
        trialSynth = new_fluid_synth(trialSettings);
        if (!trialSynth)
            return false;
        // The same SoundFont, lent rather than loaded again, which would cost 12 MB.
        fluid_sfont_t* shared = fluid_synth_get_sfont(synth, 0);
        if (fluid_synth_add_sfont(trialSynth, shared) == FLUID_FAILED)
            return false;
        font = shared;
        return true;
    }
    void stopOutput() {
        if (driver)
            delete_fluid_audio_driver(driver);
        driver = nullptr;
    }
    // A new output through the first of `drivers` that opens one; false if none does.
    bool openOutput(const QStringList& drivers) {
        stopOutput();
        for (const QString& name : drivers) {
            // An unknown name leaves the setting as it was; that driver was tried already.
            if (fluid_settings_setstr(settings, "audio.driver", name.toUtf8().constData()) !=
                FLUID_OK)
                continue;
            driver = new_fluid_audio_driver(settings, synth);
            if (driver) {
                since = std::chrono::steady_clock::now();
                renderedSince = fluid_sequencer_get_tick(rendered);
                return true;
            }
        }
        return false;
    }
    // Whether the output has kept up with the clock since it was last found ahead of it.
    bool rendering() {
        if (!driver)
            return false;
        const auto now = std::chrono::steady_clock::now();
        const unsigned ms = fluid_sequencer_get_tick(rendered);
        const auto behind = now - since - std::chrono::milliseconds(ms - renderedSince);
        if (behind > kStalled)
            return false;
        if (behind <= behind.zero()) {
            since = now;
            renderedSince = ms;
        }
        return true;
    }

    fluid_settings_t* settings = nullptr;
    fluid_synth_t* synth = nullptr;
    fluid_sfont_t* font = nullptr; // lent to the trial synthesiser
    fluid_audio_driver_t* driver = nullptr;
    // Driven by the synthesiser's rendering, it counts the milliseconds of sound the output took.
    fluid_sequencer_t* rendered = nullptr;
    std::chrono::steady_clock::time_point since;
    unsigned renderedSince = 0;
    // Silent: a piece is tried on it before it is accepted; it also holds the coming instruments.
    fluid_settings_t* trialSettings = nullptr;
    fluid_synth_t* trialSynth = nullptr;
};

// The player runs on FluidSynth's timer thread; the callbacks below run there too.
struct FluidMidiDevice::Piece {
    explicit Piece(fluid_synth_t* s) : synth(s) {}
    Piece(const Piece&) = delete;
    Piece& operator=(const Piece&) = delete;
    ~Piece() {
        if (!player)
            return;
        silence();
        fluid_player_stop(player);
        delete_fluid_player(player);
    }

    // Once this returns no further event of the piece reaches the synthesiser, so the notes
    // switched off afterwards stay off.
    void silence() {
        const std::lock_guard lock(gate);
        silenced = true;
    }
    void unsilence() {
        const std::lock_guard lock(gate);
        silenced = false;
    }

    static int forward(void* data, fluid_midi_event_t* event) {
        auto* piece = static_cast<Piece*>(data);
        const std::lock_guard lock(piece->gate);
        return piece->silenced ? FLUID_OK : fluid_synth_handle_midi_event(piece->synth, event);
    }
    // The music ends with its last tick; the player only reports done after the notes ring out.
    static int tick(void* data, int tick) {
        auto* piece = static_cast<Piece*>(data);
        const int total = fluid_player_get_total_ticks(piece->player);
        if (total > 0 && tick >= total)
            piece->lastTick.store(true);
        return FLUID_OK;
    }

    fluid_synth_t* synth;
    fluid_player_t* player = nullptr;
    std::mutex gate;
    bool silenced = true;
    std::atomic<bool> lastTick{false};
};

FluidMidiDevice::FluidMidiDevice(QString soundFont, QStringList drivers, QString fileOutput)
    : soundFont_(std::move(soundFont)), drivers_(std::move(drivers)),
      fileOutput_(std::move(fileOutput)) {}

FluidMidiDevice::~FluidMidiDevice() {
    // The audio output goes first, so nothing renders a player or synthesiser being deleted.
    stop();
    if (engine_)
        engine_->stopOutput();
    piece_.reset();
    engine_.reset();
}

fluid_settings_t* FluidMidiDevice::tune(fluid_settings_t* settings) {
    if (!settings)
        return nullptr;
    // Samples load only for the instruments a piece uses, which keeps this quick and the memory
    // small.
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    // The pieces sound at most 74 voices at once; the default 256 would cost 1.4 MB more.
    fluid_settings_setint(settings, "synth.polyphony", 128);
    fluid_settings_setnum(settings, "synth.gain", gain);
    // The final hit lands on the last tick; a reset there would silence it at once.
    fluid_settings_setint(settings, "player.reset-synth", 0);
    // Otherwise the PulseAudio driver sets the stream's role in the environment, on whichever
    // thread opens it; the program sets it before any thread starts.
    fluid_settings_setstr(settings, "audio.pulseaudio.media-role", "");
    return settings;
}

void FluidMidiDevice::prepare(const QString& piece) {
    start();
    if (state_ != State::Ready)
        return;
    output();
    if (piece.isEmpty())
        return;
    QFile file(piece);
    std::vector<Voice> voices;
    if (file.size() > kLargestPiece || !file.open(QIODevice::ReadOnly) ||
        !playable(file.readAll(), &voices))
        return;
    // A sample stays loaded while any channel of either synthesiser has its instrument: those
    // the trial synthesiser holds stay while the piece selects and drops its own.
    const int font = fluid_sfont_get_id(engine_->font);
    for (int channel = 0; channel < kChannels; ++channel) {
        if (channel < int(voices.size()))
            fluid_synth_program_select(engine_->trialSynth, channel, font,
                                       voices[std::size_t(channel)].bank,
                                       voices[std::size_t(channel)].program);
        else
            fluid_synth_unset_program(engine_->trialSynth, channel);
    }
}

void FluidMidiDevice::start() {
    if (state_ != State::Unprepared)
        return;
    state_ = State::Unavailable;
    auto engine = std::make_unique<Engine>();
    engine->settings = tune(newSettings());
    if (!engine->settings)
        return;
    // The system clock keeps the music's time even when the audio thread is starved. A period
    // of 12 ms lets the music start within a frame or two of the clock, and still leaves the
    // audio thread ten times its rendering time.
    fluid_settings_setstr(engine->settings, "player.timing-source", "system");
    fluid_settings_setint(engine->settings, "audio.period-size", 512);
    if (!fileOutput_.isEmpty())
        fluid_settings_setstr(engine->settings, "audio.file.name",
                              QFile::encodeName(fileOutput_).constData());
    engine->synth = new_fluid_synth(engine->settings);
    if (!engine->synth ||
        fluid_synth_sfload(engine->synth, QFile::encodeName(soundFont_).constData(), 1) ==
            FLUID_FAILED)
        return;
    engine->rendered = new_fluid_sequencer2(0);
    if (!engine->rendered ||
        fluid_sequencer_register_fluidsynth(engine->rendered, engine->synth) == FLUID_FAILED)
        return;
    // Without an output for now the music cannot be heard; one is tried again before each piece.
    engine->openOutput(drivers_);
    if (!engine->startTrial())
        return;
    engine_ = std::move(engine);
    state_ = State::Ready;
}

bool FluidMidiDevice::ready() const {
    return state_ == State::Ready && engine_->rendering();
}

bool FluidMidiDevice::output() {
    if (engine_->rendering())
        return true;
    // Only between pieces: the one open is played by the output it was opened with.
    return !piece_ && engine_->openOutput(drivers_);
}

// FluidSynth forbids deleting a player while its synthesiser renders: the output stops first,
// and opens again with the next piece.
void FluidMidiDevice::close() {
    if (!piece_)
        return;
    stop();
    engine_->stopOutput();
    piece_.reset();
}

bool FluidMidiDevice::lastTickReached() const {
    return piece_ && piece_->lastTick.load();
}

int FluidMidiDevice::command(const QString& text) {
    static const QString openPrefix = QStringLiteral("open sequencer!");
    static const QString openSuffix = QStringLiteral(" alias midi");
    if (text.size() >= openPrefix.size() + openSuffix.size() &&
        text.startsWith(openPrefix, Qt::CaseInsensitive) &&
        text.endsWith(openSuffix, Qt::CaseInsensitive))
        return open(
            text.mid(openPrefix.size(), text.size() - openPrefix.size() - openSuffix.size()));
    if (text.compare(QLatin1String("play midi"), Qt::CaseInsensitive) == 0)
        return play();
    if (text.compare(QLatin1String("stop midi"), Qt::CaseInsensitive) == 0)
        return stop();
    if (text.compare(QLatin1String("close midi"), Qt::CaseInsensitive) == 0) {
        close();
        return Ok;
    }
    return UnknownCommand;
}

int FluidMidiDevice::open(const QString& path) {
    close();

    const QFileInfo info(path);
    if (!info.isFile())
        return FileNotFound;
    if (info.size() == 0 || info.size() > kLargestPiece)
        return NotPlayable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileNotFound;
    const QByteArray data = file.readAll();

    start();
    if (state_ != State::Ready || !output())
        return DeviceUnavailable;
    // FluidSynth accepts any file here and only finds out when it plays, so try it first.
    if (!playable(data))
        return NotPlayable;

    auto piece = std::make_unique<Piece>(engine_->synth);
    piece->player = new_fluid_player(engine_->synth);
    if (!piece->player)
        return DeviceUnavailable;
    fluid_player_set_playback_callback(piece->player, &Piece::forward, piece.get());
    fluid_player_set_tick_callback(piece->player, &Piece::tick, piece.get());
    if (fluid_player_add_mem(piece->player, data.constData(), static_cast<size_t>(data.size())) !=
        FLUID_OK)
        return NotPlayable;
    piece_ = std::move(piece);
    return Ok;
}

bool FluidMidiDevice::playable(const QByteArray& data, std::vector<Voice>* voices) {
    fluid_player_t* trial = new_fluid_player(engine_->trialSynth);
    if (!trial)
        return false;
    // Its events go nowhere: only whether the piece loads and has length matters, and which
    // instruments it chooses at its start.
    struct Choices {
        std::vector<Voice>* voices;
        std::array<int, kChannels> bank{};
    } choices{voices};
    choices.bank[kDrumChannel] = 128;
    fluid_player_set_playback_callback(
        trial,
        [](void* data, fluid_midi_event_t* event) {
            auto* c = static_cast<Choices*>(data);
            const int channel = fluid_midi_event_get_channel(event);
            if (!c->voices || channel < 0 || channel >= kChannels)
                return int{FLUID_OK};
            const int type = fluid_midi_event_get_type(event);
            if (type == 0xB0 && fluid_midi_event_get_control(event) == 0 && channel != kDrumChannel)
                c->bank[std::size_t(channel)] = fluid_midi_event_get_value(event);
            else if (type == 0xC0)
                c->voices->push_back(
                    {c->bank[std::size_t(channel)], fluid_midi_event_get_program(event)});
            return int{FLUID_OK};
        },
        &choices);
    bool ok = fluid_player_add_mem(trial, data.constData(), static_cast<size_t>(data.size())) ==
                  FLUID_OK &&
              fluid_player_play(trial) == FLUID_OK;
    if (ok) {
        float block[kTrialBlock];
        fluid_synth_write_float(engine_->trialSynth, kTrialBlock, block, 0, 1, block, 0, 1);
        ok = fluid_player_get_status(trial) == FLUID_PLAYER_PLAYING &&
             fluid_player_get_total_ticks(trial) > 0;
    }
    fluid_player_stop(trial);
    delete_fluid_player(trial);
    return ok;
}

int FluidMidiDevice::play() {
    if (!piece_)
        return NothingOpen;
    piece_->unsilence();
    return fluid_player_play(piece_->player) == FLUID_OK ? Ok : DeviceUnavailable;
}

int FluidMidiDevice::stop() {
    if (!piece_)
        return Ok;
    piece_->silence();
    fluid_player_stop(piece_->player);
    fluid_synth_all_sounds_off(engine_->synth, -1);
    return Ok;
}
