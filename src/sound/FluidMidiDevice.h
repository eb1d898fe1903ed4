#pragma once

#include "MidiDevice.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <set>
#include <utility>
#include <vector>

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;

// Plays the rounds' music with FluidSynth: one synthesiser, SoundFont and audio output for the
// whole run, and at most one piece open at a time. The program's own SoundFont holds only what
// its music plays; a piece that plays anything else (a host's own) takes those instruments from
// the system's General MIDI SoundFont, loaded behind the program's the first time one is needed.
class FluidMidiDevice final : public MidiDevice {
public:
    // Answers to command().
    enum Answer : int {
        Ok = 0,
        DeviceUnavailable = 263, // no SoundFont or no audio output
        UnknownCommand = 274,
        FileNotFound = 275,
        NotPlayable = 277, // not a MIDI file, or a broken one
        NothingOpen = 289,
    };

    static inline const QString systemSoundFont =
        QStringLiteral("/usr/share/sounds/sf2/default-GM.sf2");
    // The one installed beside the program.
    static QString ownSoundFont();
    static QStringList systemDrivers() {
        return {QStringLiteral("pulseaudio"), QStringLiteral("alsa")};
    }

    // `drivers` are tried in order; `fileOutput` is where FluidSynth's "file" driver writes;
    // `behind` is the SoundFont for what `soundFont` cannot play.
    explicit FluidMidiDevice(QString soundFont = ownSoundFont(),
                             QStringList drivers = systemDrivers(), QString fileOutput = {},
                             QString behind = systemSoundFont);
    ~FluidMidiDevice() override;
    FluidMidiDevice(const FluidMidiDevice&) = delete;
    FluidMidiDevice& operator=(const FluidMidiDevice&) = delete;

    int command(const QString& text) override;
    // Loads the SoundFont and opens the audio output, once; then loads the instruments `piece`
    // plays and keeps them loaded, so that it starts without reading the SoundFont.
    void prepare(const QString& piece) override;
    // The synthesiser's settings, shared with whatever measures its output. Returns them.
    static fluid_settings_t* tune(fluid_settings_t* settings);
    // The output level: the music as loud as the clips, its true peak below -2 dBTP.
    static constexpr double gain = 1.1;

    // Whether the synthesiser, its SoundFont and a working audio output are there.
    bool ready() const;
    // True once the open piece has played its last tick; its last notes may still be ringing.
    bool lastTickReached() const;
    // Whether the SoundFont behind the program's own has been loaded.
    bool behindLoaded() const;

private:
    // A program and the bank it comes from.
    using Preset = std::pair<int, int>;
    // What a piece plays, found by playing it through silently.
    struct Scan {
        std::set<Preset> presets;
        std::set<std::pair<Preset, std::pair<int, int>>> notes; // with key and velocity
    };
    // Where each of a piece's presets comes from.
    struct Routes {
        int own = -1;
        int behind = -1;
        std::set<Preset> fromBehind;
        std::set<Preset> played;
    };
    static void select(fluid_synth_t* synth, int channel, const Preset& preset,
                       const Routes& routes);
    void start();
    // The audio output, opened again if it failed or was closed; false if none can be had.
    bool output();
    void close();
    int open(const QString& path);
    int play();
    int stop();
    bool playable(const QByteArray& data, Scan& scan);
    // Each preset from the program's SoundFont if it plays every note the piece asks of it,
    // otherwise from the one behind, loaded now if it must be and can be.
    Routes route(const Scan& scan);
    bool ownSounds(const Preset& preset, const Scan& scan);
    bool loadBehind();

    struct Engine;
    struct Piece;
    enum class State { Unprepared, Ready, Unavailable };

    QString soundFont_;
    QStringList drivers_;
    QString fileOutput_;
    QString behind_;
    // The piece prepare() saw last, so that open() need not play it through again.
    QByteArray prepared_;
    Routes preparedRoutes_;
    State state_ = State::Unprepared;
    std::unique_ptr<Engine> engine_;
    std::unique_ptr<Piece> piece_;
};
