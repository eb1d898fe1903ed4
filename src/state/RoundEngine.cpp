#include "RoundEngine.h"

#include "Notice.h"
#include "Rules.h"

#include <algorithm>

const std::array<RoundEngine::KeyRow, 14> RoundEngine::keyMap{{
    {'S', When::ClockStopped, Action::StartRound, nullptr},
    {'C', When::ClockRunning, Action::Correct, &RoundEngine::correct},
    {'B', When::ClockRunning, Action::Bank, &RoundEngine::bank},
    {'W', When::Always, Action::Wrong, &RoundEngine::wrong},
    {'T', When::ClockStopped, Action::ToggleTotal, nullptr},
    {'H', When::Always, Action::ToggleClock, nullptr},
    {'1', When::ClockStopped, Action::ChainUp, &RoundEngine::chainUp},
    {'2', When::ClockStopped, Action::ChainToBottom, &RoundEngine::chainToBottom},
    {'3', When::ClockStopped, Action::HostBank, &RoundEngine::hostBank},
    {'4', When::ClockStopped, Action::ClearBank, &RoundEngine::clearBank},
    {'V', When::BeforeLastRound, Action::VoteOff, nullptr},
    {'F', When::AfterLastRound, Action::Final, nullptr},
    {rules::undoKey, When::ClockRunning, Action::Undo, &RoundEngine::undo},
    {'Q', When::Always, Action::QuestionCard, nullptr}, // an addition
}};

namespace {

RoundChange redraw(bool bank, bool chain, bool turn = false) {
    RoundChange change;
    change.bankShown = bank;
    change.chainReset = chain;
    change.turnPassed = turn;
    return change;
}

} // namespace

RoundEngine::RoundEngine(GameState& state, const GameFormat& format, Notices* notices)
    : s_(state), f_(format), notices_(notices) {}

const RoundEngine::KeyRow* RoundEngine::rowFor(QChar key) const {
    const QChar upper = key.toUpper();
    for (const KeyRow& row : keyMap)
        if (upper == QLatin1Char(row.key) && allowed(row.when))
            return &row;
    return nullptr;
}

bool RoundEngine::allowed(When when) const {
    switch (when) {
    case When::Always:
        return true;
    case When::ClockRunning:
        return clockRunning_;
    case When::ClockStopped:
        return !clockRunning_;
    case When::BeforeLastRound:
        return !clockRunning_ && !finalIsNext();
    case When::AfterLastRound:
        return !clockRunning_ && finalIsNext();
    }
    return false;
}

bool RoundEngine::finalIsNext() const {
    return s_.RoundNumber >= f_.lastRound;
}

void RoundEngine::open() {
    s_.ChainLevel = 0;
    s_.RoundBank = 0;
    ended_ = RoundEnd::None;
    clockSet_ = false;
    clockShown_ = s_.ShowClock;
    totalShown_ = false;
    told({});
}

bool RoundEngine::toggleClock() {
    clockShown_ = !clockShown_;
    told({});
    return clockShown_;
}

bool RoundEngine::toggleTotal() {
    totalShown_ = !totalShown_;
    told({});
    return totalShown_;
}

bool RoundEngine::start() {
    const int round = s_.RoundNumber + 1;
    const int seconds = rules::clockSeconds(f_, round);
    // Far past the last round the clock would start at zero and never end the round.
    if (seconds <= 0)
        return false;
    s_.RoundNumber = round;
    ended_ = RoundEnd::None;
    s_.CurrentPlayer = rules::startingPlayer(f_, s_, round);
    s_.ClockSeconds = seconds;
    clockSet_ = true;
    // Those who follow the game see the new clock through the announcements, as the host does.
    told({});
    return true;
}

RoundChange RoundEngine::play() {
    s_.clearStatistics(f_.players);
    s_.ChainLevel = 0;
    s_.RoundBank = 0;
    clockRunning_ = true;
    // Undo reaches back to here and no further; its key acts only while the clock runs, so a
    // round's end needs no clearing of its own.
    history_.clear();
    return told(redraw(true, true, true));
}

RoundChange RoundEngine::correct() {
    remember(true);
    RoundChange change;
    bump(s_.ChainLevel);
    bump(s_.RightAnswers[s_.CurrentPlayer]);
    passTurn(change);
    change.step = rules::chainStep(f_, s_.ChainLevel);
    return told(change, 1);
}

RoundChange RoundEngine::bank() {
    remember(false);
    RoundChange change = redraw(true, true);
    const std::int64_t value = rules::bankValue(f_, s_.ChainLevel);
    s_.RoundBank += value;
    s_.MoneyBanked[s_.CurrentPlayer] += value;
    if (s_.RoundBank >= f_.target) {
        s_.RoundBank = f_.target;
        change.stopMusic = true;
        endRound(change, RoundEnd::TargetReached);
    }
    s_.ChainLevel = 0;
    return told(change);
}

RoundChange RoundEngine::wrong() {
    // Before the first round of the run there is nobody whose turn could pass.
    if (s_.CurrentPlayer < 1 || s_.CurrentPlayer > f_.players)
        return {};
    // Between rounds no question is being asked: W only passes the turn.
    const bool answered = clockRunning_;
    remember(answered);
    RoundChange change = redraw(false, true);
    s_.MoneyLost[s_.CurrentPlayer] += rules::lostValue(f_, s_.ChainLevel);
    s_.ChainLevel = 0;
    passTurn(change);
    return told(change, answered ? 1 : 0);
}

RoundChange RoundEngine::chainUp() {
    RoundChange change;
    bump(s_.ChainLevel);
    if (s_.ChainLevel < f_.top) {
        change.step = rules::chainStep(f_, s_.ChainLevel);
    } else if (s_.ChainLevel == f_.top) {
        // The host's correction can reach the target but never ends the round.
        s_.RoundBank = f_.target;
        change.bankShown = true;
    }
    return told(change);
}

RoundChange RoundEngine::chainToBottom() {
    s_.ChainLevel = 0;
    return told(redraw(false, true));
}

RoundChange RoundEngine::hostBank() {
    s_.RoundBank = std::min(s_.RoundBank + rules::hostBankValue(f_, s_.ChainLevel), f_.target);
    s_.ChainLevel = 0;
    return told(redraw(true, true));
}

RoundChange RoundEngine::clearBank() {
    s_.RoundBank = 0;
    return told(redraw(true, false));
}

RoundChange RoundEngine::undo() {
    if (history_.empty())
        return {};
    const Before& b = history_.back();
    // The seconds since the press went to whoever had the turn after it: they were this player's.
    const int since = b.clock - s_.ClockSeconds;
    s_.TimeUsed[s_.CurrentPlayer] -= since;
    s_.TimeUsed[b.player] += since;
    s_.ChainLevel = b.level;
    s_.RoundBank = b.bank;
    s_.CurrentPlayer = b.player;
    s_.RightAnswers[b.player] = b.right;
    s_.MoneyBanked[b.player] = b.banked;
    s_.MoneyLost[b.player] = b.lost;
    const int answered = b.answered ? -1 : 0;
    history_.pop_back();
    return told(redraw(true, true, true), answered);
}

RoundChange RoundEngine::tick() {
    if (!clockRunning_)
        return {};
    RoundChange change;
    change.clockShown = true;
    --s_.ClockSeconds;
    bump(s_.TimeUsed[s_.CurrentPlayer]);
    if (s_.ClockSeconds <= 0)
        endRound(change, RoundEnd::TimeUp);
    return told(change);
}

void RoundEngine::startOver() {
    clockRunning_ = false;
    for (int i = 1; i <= f_.players; ++i)
        s_.PlayerOut[i] = false;
    s_.clearStatistics(f_.players);
    told({});
}

void RoundEngine::remember(bool answered) {
    const int p = s_.CurrentPlayer;
    history_.push_back({s_.ChainLevel, p, s_.RightAnswers[p], s_.RoundBank, s_.MoneyBanked[p],
                        s_.MoneyLost[p], s_.ClockSeconds, answered});
}

RoundChange RoundEngine::told(RoundChange change, int answered) {
    if (notices_) {
        Notice n{.what = Notice::What::Round,
                 .round = {clockRunning_, clockShown_, totalShown_, ended_, clockSet_},
                 .answered = answered,
                 .asking = clockRunning_};
        emit notices_->told(n);
    }
    return change;
}

void RoundEngine::passTurn(RoundChange& change) {
    s_.CurrentPlayer = rules::nextPlayer(f_, s_, s_.CurrentPlayer);
    change.turnPassed = true;
}

void RoundEngine::endRound(RoundChange& change, RoundEnd end) {
    clockRunning_ = false;
    ended_ = end;
    change.end = end;
    change.bankAtEnd = s_.RoundBank;
    if (s_.RoundNumber == f_.lastRound)
        s_.RoundBank *= f_.multiplier;
    s_.TotalBank += s_.RoundBank;
}
