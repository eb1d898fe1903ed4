#pragma once

#include "MidiWriter.h"

#include <cstdint>
#include <string>
#include <vector>

// Plays composed MIDI events through FluidSynth with a General MIDI SoundFont, offline and
// sample-exact, into 16-bit stereo at 44.1 kHz.
class Renderer {
public:
    static constexpr int sampleRate = 44100;

    // Throws std::runtime_error when the SoundFont cannot be loaded.
    explicit Renderer(std::string soundFont);

    // Interleaved left/right samples: peak-normalised, rendered until the sound has died away,
    // trailing quiet trimmed, never longer than maxSeconds, faded out at the very end.
    std::vector<std::int16_t> render(const MidiWriter& score, double maxSeconds) const;

private:
    std::string soundFont_;
};

// A canonical 44-byte-header PCM WAV file around interleaved 16-bit stereo samples.
std::vector<std::uint8_t> wavFile(const std::vector<std::int16_t>& stereo, int sampleRate);
