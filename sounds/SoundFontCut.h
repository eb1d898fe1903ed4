#pragma once

#include "MidiWriter.h"

#include <set>
#include <string>
#include <tuple>

// A note as a SoundFont sees it: the preset it is played on, its key and its velocity.
struct SoundedNote {
    int bank;
    int program;
    int key;
    int velocity;
    auto operator<=>(const SoundedNote&) const = default;
};

// Adds every note `score` sounds, following its program and bank changes; channel 10 plays the
// drum kits of bank 128, as General MIDI has it.
void addNotes(const MidiWriter& score, std::set<SoundedNote>& notes);

// Writes to `target` the part of the SoundFont `source` that plays `notes`: the presets they use,
// only those of their zones and their instruments' zones that one of the notes falls in, and the
// samples those zones play. What is kept is copied unchanged, so each of the notes sounds exactly
// as it does from `source`. Throws std::runtime_error if either file fails.
void cutSoundFont(const std::string& source, const std::set<SoundedNote>& notes,
                  const std::string& target);
