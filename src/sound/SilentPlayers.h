#pragma once

#include "MidiDevice.h"
#include "WavPlayer.h"

// Stand-ins that play nothing and never fail, for a machine without the real players.
class SilentWavPlayer final : public WavPlayer {
public:
    void play(const QString&, Mode) override {}
};

class SilentMidiDevice final : public MidiDevice {
public:
    int command(const QString&) override { return 0; }
};
