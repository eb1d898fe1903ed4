#include "FluidMidiDevice.h"

#include "AudioSetup.h"

#include <QCoreApplication>
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
// One block is enough for a trial player to load its piece and send what sounds at its start;
// then it plays through the rest in larger ones, as far as an hour of music.
constexpr int kTrialBlock = 64;
constexpr int kScanBlock = 4096;
constexpr int kLongestScan = 3600 * 44100 / kScanBlock;
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

using Preset = std::pair<int, int>;

bool has(fluid_synth_t* synth, int font, const Preset& preset) {
    fluid_sfont_t* sfont = font < 0 ? nullptr : fluid_synth_get_sfont_by_id(synth, font);
    return sfont && fluid_sfont_get_preset(sfont, preset.first, preset.second);
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
        // The trial synthesiser borrows the SoundFonts: it gives them back before either goes.
        if (trialSynth) {
            for (int channel = 0; channel < kChannels; ++channel)
                fluid_synth_unset_program(trialSynth, channel);
            for (fluid_sfont_t* lent : {font, behind})
                if (lent)
                    fluid_synth_remove_sfont(trialSynth, lent);
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
        // Adding a SoundFont resets each channel to its default, and FluidSynth warns of every
        // one without it: as drum channels their default is the kit the program's SoundFont has.
        for (int channel = 0; channel < kChannels; ++channel)
            fluid_synth_set_channel_type(trialSynth, channel, CHANNEL_TYPE_DRUM);
        // The same SoundFont, lent rather than loaded again, so its samples are loaded once.
        fluid_sfont_t* shared = fluid_synth_get_sfont_by_id(synth, ownId);
        if (fluid_synth_add_sfont(trialSynth, shared) == FLUID_FAILED)
            return false;
        font = shared;
        return true;
    }
    bool lendBehind(int id) {
        // Each channel back on its default first, for the same reason.
        for (int channel = 0; channel < kChannels; ++channel)
            fluid_synth_program_select(trialSynth, channel, ownId, 128, 0);
        fluid_sfont_t* shared = fluid_synth_get_sfont_by_id(synth, id);
        if (fluid_synth_add_sfont(trialSynth, shared) == FLUID_FAILED)
            return false;
        behind = shared;
        behindId = id;
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
    int ownId = -1, behindId = -1;
    // Both lent to the trial synthesiser.
    fluid_sfont_t* font = nullptr;
    fluid_sfont_t* behind = nullptr;
    fluid_audio_driver_t* driver = nullptr;
    // Driven by the synthesiser's rendering, it counts the milliseconds of sound the output took.
    fluid_sequencer_t* rendered = nullptr;
    std::chrono::steady_clock::time_point since;
    unsigned renderedSince = 0;
    // Silent: a piece is tried on it before it is accepted; it also holds the coming instruments.
    fluid_settings_t* trialSettings = nullptr;
    fluid_synth_t* trialSynth = nullptr;
};

// Selects the preset on the channel from the SoundFont the piece takes it from; one that neither
// has is replaced as FluidSynth would, by the kit of bank 128 or the program of bank 0.
void FluidMidiDevice::select(fluid_synth_t* synth, int channel, const Preset& preset,
                             const Routes& routes) {
    const Preset substitute =
        channel == kDrumChannel ? Preset{128, 0} : Preset{0, preset.second};
    for (const Preset& p : {preset, substitute}) {
        const bool behind = routes.fromBehind.count(p);
        for (int font : {behind ? routes.behind : routes.own, behind ? routes.own : routes.behind})
            if (has(synth, font, p)) {
                fluid_synth_program_select(synth, channel, font, p.first, p.second);
                return;
            }
    }
    fluid_synth_unset_program(synth, channel);
}

// The player runs on FluidSynth's timer thread; the callbacks below run there too.
struct FluidMidiDevice::Piece {
    Piece(fluid_synth_t* s, Routes r) : synth(s), routes(std::move(r)) {
        bank[kDrumChannel] = 128;
        // Each channel starts on its default, as after a reset, if the piece plays it anywhere.
        for (int channel = 0; channel < kChannels; ++channel) {
            const Preset first{bank[std::size_t(channel)], 0};
            if (routes.played.count(first))
                select(synth, channel, first, routes);
            else
                fluid_synth_unset_program(synth, channel);
        }
    }
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
        if (piece->silenced)
            return FLUID_OK;
        const int type = fluid_midi_event_get_type(event);
        const int channel = fluid_midi_event_get_channel(event);
        if (channel >= 0 && channel < kChannels) {
            int& bank = piece->bank[std::size_t(channel)];
            if (type == 0xB0 && fluid_midi_event_get_control(event) == 0 && channel != kDrumChannel)
                bank = fluid_midi_event_get_value(event);
            if (type == 0xC0) {
                select(piece->synth, channel, {bank, fluid_midi_event_get_program(event)},
                       piece->routes);
                return FLUID_OK;
            }
        }
        return fluid_synth_handle_midi_event(piece->synth, event);
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
    Routes routes;
    std::array<int, kChannels> bank{};
    fluid_player_t* player = nullptr;
    std::mutex gate;
    bool silenced = true;
    std::atomic<bool> lastTick{false};
};

FluidMidiDevice::FluidMidiDevice(QString soundFont, QStringList drivers, QString fileOutput,
                                 QString behind)
    : soundFont_(std::move(soundFont)), drivers_(std::move(drivers)),
      fileOutput_(std::move(fileOutput)), behind_(std::move(behind)) {}

QString FluidMidiDevice::ownSoundFont() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/quolmar.sf2");
}

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
    Scan scan;
    if (file.size() > kLargestPiece || !file.open(QIODevice::ReadOnly))
        return;
    QByteArray data = file.readAll();
    if (!playable(data, scan))
        return;
    preparedRoutes_ = route(scan);
    prepared_ = std::move(data);
    // A sample stays loaded while any channel of either synthesiser has its instrument: those
    // the trial synthesiser holds stay while the piece selects and drops its own.
    auto preset = scan.presets.begin();
    for (int channel = 0; channel < kChannels; ++channel)
        if (preset != scan.presets.end())
            select(engine_->trialSynth, channel, *preset++, preparedRoutes_);
        else
            fluid_synth_unset_program(engine_->trialSynth, channel);
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
    // Without a reset the channels stay empty until a piece chooses; the program's SoundFont
    // has no default piano for them.
    if (!engine->synth ||
        (engine->ownId = fluid_synth_sfload(engine->synth,
                                            QFile::encodeName(soundFont_).constData(), 0)) ==
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

bool FluidMidiDevice::behindLoaded() const {
    return engine_ && engine_->behind;
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
    // FluidSynth accepts any file here and only finds out when it plays, so try it first,
    // unless it was prepared.
    Routes routes = preparedRoutes_;
    if (data != prepared_) {
        Scan scan;
        if (!playable(data, scan))
            return NotPlayable;
        routes = route(scan);
    }

    auto piece = std::make_unique<Piece>(engine_->synth, std::move(routes));
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

bool FluidMidiDevice::playable(const QByteArray& data, Scan& scan) {
    fluid_player_t* trial = new_fluid_player(engine_->trialSynth);
    if (!trial)
        return false;
    // Its events go nowhere: only whether the piece loads and has length matters, and which
    // notes it plays on which presets.
    struct Watch {
        Scan* scan;
        std::array<int, kChannels> bank{}, program{};
    } watch{&scan};
    watch.bank[kDrumChannel] = 128;
    fluid_player_set_playback_callback(
        trial,
        [](void* data, fluid_midi_event_t* event) {
            auto* w = static_cast<Watch*>(data);
            const int channel = fluid_midi_event_get_channel(event);
            if (channel < 0 || channel >= kChannels)
                return int{FLUID_OK};
            const auto c = std::size_t(channel);
            const int type = fluid_midi_event_get_type(event);
            if (type == 0xB0 && fluid_midi_event_get_control(event) == 0 && channel != kDrumChannel)
                w->bank[c] = fluid_midi_event_get_value(event);
            else if (type == 0xC0)
                w->program[c] = fluid_midi_event_get_program(event);
            else if (type == 0x90 && fluid_midi_event_get_velocity(event) > 0) {
                const Preset preset{w->bank[c], w->program[c]};
                w->scan->presets.insert(preset);
                w->scan->notes.insert({preset,
                                       {fluid_midi_event_get_key(event),
                                        fluid_midi_event_get_velocity(event)}});
            }
            return int{FLUID_OK};
        },
        &watch);
    bool ok = fluid_player_add_mem(trial, data.constData(), static_cast<size_t>(data.size())) ==
                  FLUID_OK &&
              fluid_player_play(trial) == FLUID_OK;
    std::vector<float> block(kScanBlock);
    if (ok) {
        fluid_synth_write_float(engine_->trialSynth, kTrialBlock, block.data(), 0, 1,
                                block.data(), 0, 1);
        ok = fluid_player_get_status(trial) == FLUID_PLAYER_PLAYING &&
             fluid_player_get_total_ticks(trial) > 0;
    }
    for (int n = 0; ok && n < kLongestScan && fluid_player_get_status(trial) == FLUID_PLAYER_PLAYING;
         ++n)
        fluid_synth_write_float(engine_->trialSynth, kScanBlock, block.data(), 0, 1, block.data(),
                                0, 1);
    fluid_player_stop(trial);
    delete_fluid_player(trial);
    return ok;
}

FluidMidiDevice::Routes FluidMidiDevice::route(const Scan& scan) {
    Routes routes{engine_->ownId, engine_->behindId, {}, scan.presets};
    std::set<Preset> wanting;
    for (const Preset& preset : scan.presets)
        if (!ownSounds(preset, scan))
            wanting.insert(preset);
    if (wanting.empty() || !loadBehind())
        return routes;
    routes.behind = engine_->behindId;
    for (const Preset& preset : wanting)
        if (has(engine_->synth, routes.behind, preset))
            routes.fromBehind.insert(preset);
    return routes;
}

// Whether the program's SoundFont sounds every note the piece plays on the preset: each one
// tried on the trial synthesiser must start a voice.
bool FluidMidiDevice::ownSounds(const Preset& preset, const Scan& scan) {
    fluid_synth_t* trial = engine_->trialSynth;
    if (!has(trial, engine_->ownId, preset) ||
        fluid_synth_program_select(trial, 0, engine_->ownId, preset.first, preset.second) !=
            FLUID_OK)
        return false;
    float block[kTrialBlock];
    for (auto note = scan.notes.lower_bound({preset, {0, 0}});
         note != scan.notes.end() && note->first == preset; ++note) {
        const int before = fluid_synth_get_active_voice_count(trial);
        fluid_synth_noteon(trial, 0, note->second.first, note->second.second);
        const bool sounded = fluid_synth_get_active_voice_count(trial) > before;
        fluid_synth_all_sounds_off(trial, 0);
        fluid_synth_write_float(trial, kTrialBlock, block, 0, 1, block, 0, 1);
        if (!sounded)
            return false;
    }
    return true;
}

// Loads the SoundFont behind the program's the first time a piece needs it, and only tries once.
bool FluidMidiDevice::loadBehind() {
    if (engine_->behind)
        return true;
    if (behind_.isEmpty() || !QFileInfo(behind_).isFile())
        return false;
    const int id = fluid_synth_sfload(engine_->synth, QFile::encodeName(behind_).constData(), 0);
    behind_.clear();
    return id != FLUID_FAILED && engine_->lendBehind(id);
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
