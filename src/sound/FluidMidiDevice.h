#pragma once

#include "MidiDevice.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

typedef struct _fluid_hashtable_t fluid_settings_t;

// Plays the rounds' music with FluidSynth: one synthesiser, SoundFont and audio output for the
// whole run, and at most one piece open at a time.
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
    static QStringList systemDrivers() {
        return {QStringLiteral("pulseaudio"), QStringLiteral("alsa")};
    }

    // `drivers` are tried in order; `fileOutput` is where FluidSynth's "file" driver writes.
    explicit FluidMidiDevice(QString soundFont = systemSoundFont,
                             QStringList drivers = systemDrivers(), QString fileOutput = {});
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

private:
    // A program and the bank it comes from.
    struct Voice {
        int bank;
        int program;
    };
    void start();
    // The audio output, opened again if it failed or was closed; false if none can be had.
    bool output();
    void close();
    int open(const QString& path);
    int play();
    int stop();
    bool playable(const QByteArray& data, std::vector<Voice>* voices = nullptr);

    struct Engine;
    struct Piece;
    enum class State { Unprepared, Ready, Unavailable };

    QString soundFont_;
    QStringList drivers_;
    QString fileOutput_;
    State state_ = State::Unprepared;
    std::unique_ptr<Engine> engine_;
    std::unique_ptr<Piece> piece_;
};
