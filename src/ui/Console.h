#pragma once

#include "sound/SoundSystem.h"
#include "state/GameState.h"
#include "ui/Dialogs.h"
#include "ui/Forms.h"

class MidiDevice;
class WavPlayer;

// What every window shares: the game state, the window registry, the sound and the dialogs.
// main() builds the real one; each test builds its own with fakes.
class Console {
public:
    Console(Dialogs& dialogs, WavPlayer& wav, MidiDevice& midi, const QString& programDir);
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    GameState state;
    Dialogs& dialogs;
    SoundSystem sound;
    Forms forms;
};
