#pragma once

#include <QString>
#include <array>
#include <cstdint>

// The one record every window reads and writes. Per-player arrays are indexed by slot 1..9;
// index 0 is unused so slot numbers read the same everywhere.
struct GameState {
    static constexpr int kSlots = 9;
    template <typename T> using PerSlot = std::array<T, kSlots + 1>;

    // Counters are wider than the host will ever push them; see bump().
    int ChainLevel = 0;
    std::int64_t RoundBank = 0; // whole dollars
    std::int64_t TotalBank = 0; // whole dollars
    int ClockSeconds = 0;
    int RoundNumber = 0;
    int CurrentPlayer = 0; // 0 only until the first round of the run
    bool ShowClock = false;
    bool UseWav = false;
    bool UseMidi = false;

    PerSlot<QString> PlayerNames{};
    PerSlot<bool> PlayerOut{};
    int Leaving = 0; // the slot the vote-off eliminated last, for the goodbye
    PerSlot<int> RightAnswers{};
    PerSlot<int> TimeUsed{};
    PerSlot<std::int64_t> MoneyBanked{};
    PerSlot<std::int64_t> MoneyLost{};

    // The final's two finalists, k = 1 (the lower slot) and 2; index 0 unused.
    std::array<QString, 3> FinalistNames{};
    std::array<std::int64_t, 3> FinalistScores{};
    std::array<int, 3> FinalRightAnswers{};
    std::array<int, 3> FinalQuestionsLeft{};
    bool SuddenDeath = false;

    // Clears one round's statistics of slots 1..players.
    void clearStatistics(int players);
};

// Adds one without ever wrapping: thousands of key presses must not turn a count negative.
void bump(int& counter);
