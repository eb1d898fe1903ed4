#pragma once

#include "MidiWriter.h"

#include <string>
#include <vector>

// A short cue played at a fixed moment of the game, composed as MIDI and rendered to WAV.
struct Clip {
    std::string fileName;
    MidiWriter score;
    double maxSeconds; // the render is cut and faded here if its tail rings longer
};

std::vector<Clip> clips();
