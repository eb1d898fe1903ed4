#pragma once

#include "sound/SoundSystem.h"
#include "state/GameState.h"
#include "state/Notice.h"
#include "ui/Dialogs.h"
#include "ui/Forms.h"

class MidiDevice;
class WavPlayer;

// What every window shares: the game state, the notices of its changes, the window registry, the
// sound and the dialogs.
// main() builds the real one; each test builds its own with fakes.
class Console {
public:
    Console(Dialogs& dialogs, WavPlayer& wav, MidiDevice& midi, const QString& programDir);
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    GameState state;
    Notices notices;
    Dialogs& dialogs;
    SoundSystem sound;
    Forms forms;
};
