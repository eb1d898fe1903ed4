#pragma once

#include "MidiDevice.h"
#include "WavPlayer.h"

// The audio module's one entry: it makes the real players, which the caller then owns. The
// module links the sound libraries, which the program itself does not, so that it starts as
// quickly as a window without sound.
struct AudioPlayers {
    WavPlayer* wav;
    MidiDevice* midi;
};
using AudioModuleEntry = AudioPlayers (*)();
inline constexpr const char* audioModuleEntry = "quolmar_audio_players";
