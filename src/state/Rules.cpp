#include "Rules.h"

#include "RoundEngine.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>

namespace rules {

namespace {

std::int64_t valueAt(const GameFormat& f, const std::array<std::int64_t, 10>& values,
                     std::int64_t aboveTop, int level) {
    if (level <= 0)
        return 0;
    return level > f.top ? aboveTop : values.at(level);
}

} // namespace

std::int64_t bankValue(const GameFormat& f, int level) {
    return valueAt(f, f.chain, f.bankAboveTop, level);
}

std::int64_t lostValue(const GameFormat& f, int level) {
    return valueAt(f, f.chain, 0, level);
}

std::int64_t hostBankValue(const GameFormat& f, int level) {
    return valueAt(f, f.key3, f.key3AboveTop, level);
}

int clockSeconds(const GameFormat& f, int round) {
    if (f.clockOverrideRound != 0 && round == f.clockOverrideRound)
        return f.clockOverrideSeconds;
    return f.clockBase - f.clockStep * round;
}

QString musicFile(const GameFormat& f, int round) {
    if (round < 1 || round > f.lastRound)
        return {};
    return QString::number(clockSeconds(f, round)) + QStringLiteral(".mid");
}

QString startClockClip(const GameFormat& f, int round) {
    return round >= f.startClock2From ? QStringLiteral("startclock2.wav")
                                      : QStringLiteral("startclock1.wav");
}

std::int64_t roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double diff = value - lower;
    double result = lower;
    if (diff > 0.5)
        result = lower + 1.0;
    else if (diff == 0.5)
        result = std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
    return static_cast<std::int64_t>(result);
}

std::int64_t strengthScore(const GameFormat& f, const GameState& s, int slot) {
    // Held wide: a host who records more than 32 right answers still gets an ordered result.
    std::int64_t whole = 1000 * static_cast<std::int64_t>(s.RightAnswers[slot]);
    if (f.scoreHasTimeTerm)
        whole -= 10 * static_cast<std::int64_t>(s.TimeUsed[slot]);
    const double sum = static_cast<double>(whole) +
                       static_cast<double>(s.MoneyBanked[slot]) / 100.0 -
                       static_cast<double>(s.MoneyLost[slot]) / 100.0;
    return roundHalfEven(sum);
}

std::int64_t finalistScore(const GameState& s, int slot) {
    const std::int64_t whole = 200 * static_cast<std::int64_t>(s.RightAnswers[slot]) -
                               10 * static_cast<std::int64_t>(s.TimeUsed[slot]);
    return roundHalfEven(static_cast<double>(whole) +
                         static_cast<double>(s.MoneyBanked[slot]) / 100.0 -
                         static_cast<double>(s.MoneyLost[slot]) / 100.0);
}

int finalWinner(const GameState& s) {
    if (s.FinalQuestionsLeft[1] + s.FinalRightAnswers[1] < s.FinalRightAnswers[2])
        return 2;
    if (s.FinalQuestionsLeft[2] + s.FinalRightAnswers[2] < s.FinalRightAnswers[1])
        return 1;
    return 0;
}

int startingPlayer(const GameFormat& f, const GameState& s, int newRound) {
    int best = 0;
    std::int64_t bestScore = 0;
    for (int i = 1; i <= f.players; ++i) {
        if (s.PlayerOut[i])
            continue;
        if (newRound == 1)
            return i;
        const std::int64_t score = strengthScore(f, s, i);
        if (best == 0 || score > bestScore) {
            best = i;
            bestScore = score;
        }
    }
    return best == 0 ? 1 : best;
}

int nextPlayer(const GameFormat& f, const GameState& s, int from) {
    int slot = from;
    for (int step = 0; step < f.players; ++step) {
        slot = slot >= f.players ? 1 : slot + 1;
        if (!s.PlayerOut[slot])
            return slot;
    }
    return from; // nobody else is in: the turn stays
}

ChainPosition droppedPosition(const GameFormat& f, int level) {
    if (level >= f.top)
        return f.topDrop;
    const int shape = f.dropBase - 240 * (level - 2);
    return {shape, shape + 120};
}

ChainStep chainStep(const GameFormat& f, int level) {
    ChainStep step;
    if (level >= 1 && level < f.top) {
        step.passedLink = level - 1;
        step.currentLink = level;
    }
    if (level >= 2 && level < f.top) {
        step.droppedLink = level - 1;
        step.drop = droppedPosition(f, level);
    } else if (level == f.top) {
        step.droppedLink = f.top - 1;
        step.drop = f.topDrop;
    }
    return step;
}

void newGame(GameState& s, const GameFormat& f, const QStringList& names, bool showClock,
             bool useWav, bool useMidi) {
    s.RoundNumber = 0;
    s.TotalBank = 0;
    for (int i = 1; i <= f.players; ++i) {
        s.PlayerNames[i] = names.value(i - 1);
        // A game after a final starts with everybody in, as after Start Over.
        s.PlayerOut[i] = false;
    }
    s.Leaving = 0;
    // Nor may the last game's figures show in a vote-off before the first round.
    s.clearStatistics(f.players);
    s.ShowClock = showClock;
    s.UseWav = useWav;
    s.UseMidi = useMidi;
}

bool canEliminate(const GameFormat& f, const GameState& s, int slot) {
    if (slot < 1 || slot > f.players || s.PlayerOut[slot])
        return false;
    int in = 0;
    for (int i = 1; i <= f.players; ++i)
        in += s.PlayerOut[i] ? 0 : 1;
    return in > 2;
}

bool eliminate(const GameFormat& f, GameState& s, int slot) {
    if (!canEliminate(f, s, slot))
        return false;
    s.PlayerOut[slot] = true;
    s.Leaving = slot;
    return true;
}

QString goodbyeClip(double uniform) {
    const int n = std::clamp(static_cast<int>(uniform * 5.0) + 1, 1, 5);
    return QStringLiteral("vokwen%1.wav").arg(n);
}

QString goodbyeClip() {
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<std::uint32_t>(now), static_cast<std::uint32_t>(now >> 32)};
    std::mt19937 generator(seed);
    return goodbyeClip(std::uniform_real_distribution<double>(0.0, 1.0)(generator));
}

QString money(std::int64_t dollars) {
    const bool negative = dollars < 0;
    // Work on the unsigned magnitude so the most negative amount cannot overflow.
    std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(dollars) : static_cast<std::uint64_t>(dollars);
    QString digits = QString::number(magnitude);
    for (qsizetype pos = digits.size() - 3; pos > 0; pos -= 3)
        digits.insert(pos, QLatin1Char(','));
    return (negative ? QStringLiteral("-$") : QStringLiteral("$")) + digits;
}

} // namespace rules
