#pragma once

#include "WavPlayer.h"

#include <QString>

class Dialogs;
class MidiDevice;
struct GameState;

// Every clip and every piece of music goes through here; the team-entry options gate them.
class SoundSystem {
public:
    SoundSystem(const GameState& state, WavPlayer& wav, MidiDevice& midi, Dialogs& dialogs,
                QString programDir);

    // The program's directory joined with a file name.
    QString path(const QString& fileName) const;

    // Plays a clip from the program's directory when the WAV option is on.
    void clip(const QString& fileName, WavPlayer::Mode mode);
    // Starts a round's music from the program's directory when the MIDI option is on.
    void music(const QString& fileName);
    // Readies the synthesiser, and the instruments of a round's music if one is named.
    void prepareMusic(const QString& fileName = {});
    // Reads clips from the program's directory ahead of their first play.
    void prepareClips(const QStringList& fileNames);

    void PlayMidi(const QString& fullPath);
    void StopMidi();

private:
    const GameState& state_;
    WavPlayer& wav_;
    MidiDevice& midi_;
    Dialogs& dialogs_;
    QString dir_;
};
