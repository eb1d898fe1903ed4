#include "GameFormat.h"

namespace formats {

const GameFormat six{
    .players = 6,
    .namesWindow = "Names6",
    .gameWindow = "Maingame6",
    .voteoffWindow = "Voteoff6",
    .goodbyeWindow = "Goodbye6",
    .top = 6,
    .chain = {0, 100, 250, 500, 1000, 5000, 12500},
    .target = 12500,
    .bankAboveTop = 12500,
    .key3 = {0, 100, 250, 500, 1000, 5000, 12500},
    .key3AboveTop = 12500,
    .lastRound = 5,
    .multiplier = 4,
    .maxPrize = 100000,
    .clockBase = 135,
    .clockStep = 15,
    .clockOverrideRound = 0,
    .clockOverrideSeconds = 0,
    .startClock2From = 1,
    .scoreHasTimeTerm = false,
    .home = {{{0, 0}, {4230, 4350}, {3510, 3630}, {2790, 2910}, {2070, 2190}, {993, 1253}}},
    .dropBase = 4710,
    .topDrop = {3390, 3660},
};

const GameFormat eight{
    .players = 8,
    .namesWindow = "Names8",
    .gameWindow = "Maingame8",
    .voteoffWindow = "Voteoff8",
    .goodbyeWindow = "Goodbye8",
    .top = 8,
    .chain = {0, 1000, 2500, 5000, 10000, 25000, 50000, 75000, 125000},
    .target = 125000,
    .bankAboveTop = 125000,
    .key3 = {0, 1000, 2500, 5000, 10000, 25000, 50000, 75000, 75000},
    .key3AboveTop = 75000,
    .lastRound = 7,
    .multiplier = 2,
    .maxPrize = 1000000,
    .clockBase = 160,
    .clockStep = 10,
    .clockOverrideRound = 0,
    .clockOverrideSeconds = 0,
    .startClock2From = 4,
    .scoreHasTimeTerm = true,
    .home = {{{0, 0},
              {5273, 5393},
              {4553, 4673},
              {3833, 3953},
              {3113, 3233},
              {2393, 2513},
              {1673, 1793},
              {593, 853}}},
    .dropBase = 5760,
    .topDrop = {3960, 4215},
};

const GameFormat nine{
    .players = 9,
    .namesWindow = "Names9",
    .gameWindow = "Maingame9",
    .voteoffWindow = "Voteoff9",
    .goodbyeWindow = "Goodbye9",
    .top = 9,
    .chain = {0, 20, 50, 100, 200, 300, 450, 600, 800, 1000},
    .target = 1000,
    .bankAboveTop = 1000,
    .key3 = {0, 20, 50, 100, 200, 300, 450, 600, 800, 1000},
    .key3AboveTop = 1000,
    .lastRound = 8,
    .multiplier = 3,
    .maxPrize = 10000,
    .clockBase = 190,
    .clockStep = 10,
    .clockOverrideRound = 8,
    .clockOverrideSeconds = 90,
    .startClock2From = 7,
    .scoreHasTimeTerm = true,
    .home = {{{0, 0},
              {5760, 5880},
              {5040, 5160},
              {4320, 4440},
              {3600, 3720},
              {2880, 3000},
              {2160, 2280},
              {1440, 1560},
              {480, 675}}},
    .dropBase = 6240,
    .topDrop = {4320, 4515},
};

const GameFormat* byPlayers(int players) {
    switch (players) {
    case 6:
        return &six;
    case 8:
        return &eight;
    case 9:
        return &nine;
    default:
        return nullptr;
    }
}

} // namespace formats
