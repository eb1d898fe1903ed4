#pragma once

#include "GameFormat.h"
#include "GameState.h"

#include <QString>
#include <QStringList>
#include <cstdint>

struct ChainStep;

// The round's rules, free of any window, so they can be tested and reused by every window.
namespace rules {

// The key both key maps take as undo (an addition): Backspace's character; the windows hand
// Ctrl+Z over as this too.
inline constexpr char undoKey = '\b';

// Money added to the bank by B at this level (0 at the bottom).
std::int64_t bankValue(const GameFormat& f, int level);
// Money at stake when a wrong answer is given at this level.
std::int64_t lostValue(const GameFormat& f, int level);
// Money the host's key 3 adds to the bank at this level.
std::int64_t hostBankValue(const GameFormat& f, int level);

// Length of a round's clock; 0 or less means the round cannot be played.
int clockSeconds(const GameFormat& f, int round);
// Music file of a round ("150.mid"), empty for rounds after the last one.
QString musicFile(const GameFormat& f, int round);
// Clip that starts a round's clock.
QString startClockClip(const GameFormat& f, int round);

// Nearest whole number, halves to the even neighbour.
std::int64_t roundHalfEven(double value);
// Strongest-link score of one slot from the statistics of the round just played.
std::int64_t strengthScore(const GameFormat& f, const GameState& s, int slot);
// A finalist's strength in the last round, which decides who chooses the order of the final.
std::int64_t finalistScore(const GameState& s, int slot);
// The finalist (1 or 2) who can no longer be caught, or 0 while the final goes on.
int finalWinner(const GameState& s);

// Slot that starts the next round: slot 1's seat in round 1, the strongest link after that;
// ties go to the lowest slot. Only players still in are considered.
int startingPlayer(const GameFormat& f, const GameState& s, int newRound);
// Next slot after `from` whose player is still in, wrapping from the last slot to slot 1.
int nextPlayer(const GameFormat& f, const GameState& s, int from);

// Where link level-1 drops when a correct answer raises the chain to `level` (2..top).
ChainPosition droppedPosition(const GameFormat& f, int level);
// How the chain display follows a correct answer that raises the chain to `level`: the link
// passed drops, the next lights up; at the top the top link drops; above it nothing moves.
ChainStep chainStep(const GameFormat& f, int level);

// Team entry's "Let's Play!": a new game of these players (slots 1..N), everybody in, with
// nothing banked and clean statistics.
void newGame(GameState& s, const GameFormat& f, const QStringList& names, bool showClock,
             bool useWav, bool useMidi);
// The vote-off may eliminate a player still in while more than two are in: the final needs two.
bool canEliminate(const GameFormat& f, const GameState& s, int slot);
// Marks the player out, and as the one leaving, if the vote-off may eliminate them; false if it
// may not.
bool eliminate(const GameFormat& f, GameState& s, int slot);

// One of the five goodbye clips, "vokwen1.wav" to "vokwen5.wav", from a uniform draw in [0, 1).
QString goodbyeClip(double uniform);
// A goodbye clip from a generator seeded by the clock at every call.
QString goodbyeClip();

// "$0", "$2,500", "$1,000,000".
QString money(std::int64_t dollars);

} // namespace rules
