#include "GameState.h"

#include <limits>

void GameState::clearStatistics(int players) {
    for (int i = 1; i <= players && i <= kSlots; ++i) {
        RightAnswers[i] = 0;
        TimeUsed[i] = 0;
        MoneyBanked[i] = 0;
        MoneyLost[i] = 0;
    }
}

void bump(int& counter) {
    if (counter < std::numeric_limits<int>::max())
        ++counter;
}
