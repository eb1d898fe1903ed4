#pragma once

#include <QString>
#include <array>
#include <cstdint>

struct ChainPosition {
    int shapeTop; // twips
    int labelTop; // twips
};

// Every number that differs between the 6-, 8- and 9-player games lives here and nowhere else.
struct GameFormat {
    int players;
    const char* namesWindow;
    const char* gameWindow;
    const char* voteoffWindow;
    const char* goodbyeWindow;

    int top;                            // links in the chain; level == top is the top link
    std::array<std::int64_t, 10> chain; // value banked at level 1..top ([0] unused)
    std::int64_t target;                // value of the top link
    std::int64_t bankAboveTop;          // B above the top of the chain
    std::array<std::int64_t, 10> key3;  // host's "bank without a player" at level 1..top
    std::int64_t key3AboveTop;
    int lastRound;  // also the number of rounds before the final
    int multiplier; // applied to the last round's bank
    std::int64_t maxPrize;

    int clockBase; // ClockSeconds = clockBase - clockStep * round ...
    int clockStep;
    int clockOverrideRound; // ... except in this round (0: none)
    int clockOverrideSeconds;
    int startClock2From; // first round whose clock starts with the second clip
    bool scoreHasTimeTerm;

    std::array<ChainPosition, 9> home; // links 1..top-1 when the chain is at the bottom
    int dropBase;                      // passed link L-1 drops to dropBase - 240 * (L - 2)
    ChainPosition topDrop;             // where the top link drops when level reaches top
};

namespace formats {
extern const GameFormat six;
extern const GameFormat eight;
extern const GameFormat nine;
// nullptr for a player count that is not a format.
const GameFormat* byPlayers(int players);
} // namespace formats
