#pragma once

#include "MidiWriter.h"

// The clock music for a round of the given length in seconds: a steady pulse in D minor that
// tightens in the last 30 seconds, ticks through the last 10 and ends on a hit at the final second.
MidiWriter clockPiece(int seconds);

// How far before the end the final hit starts, in ticks: early enough that its attack is heard
// as the clock reaches zero.
inline constexpr std::int64_t finalHitLead = 48;
