#pragma once

#include "GameFormat.h"
#include "GameState.h"

#include <QChar>
#include <array>
#include <cstdint>
#include <vector>

class Notices;

// How the chain display moves when the level rises; -1 where no link is concerned.
struct ChainStep {
    int passedLink = -1;  // takes the passed colours
    int droppedLink = -1; // moves to `drop`
    ChainPosition drop{};
    int currentLink = -1; // takes the current colours
};

enum class RoundEnd { None, TimeUp, TargetReached };

// What one key or one tick changed, for the game-control window to draw, in this order.
struct RoundChange {
    bool clockShown = false; // the clock digits follow ClockSeconds
    RoundEnd end = RoundEnd::None;
    std::int64_t bankAtEnd = 0; // BANK while the end is announced (before the multiplier)
    bool stopMusic = false;
    bool bankShown = false;  // BANK follows RoundBank
    bool chainReset = false; // drawn afresh at ChainLevel: the bottom, or where an undo left it
    ChainStep step;
    bool turnPassed = false; // only the current player is lit
};

// The round's rules: every key of the game-control window and the clock's tick, acting on the
// shared record. The window owns one and draws what it reports.
class RoundEngine {
public:
    enum class Action {
        StartRound,
        Correct,
        Bank,
        Wrong,
        ToggleTotal,
        ToggleClock,
        ChainUp,
        ChainToBottom,
        HostBank,
        ClearBank,
        VoteOff,
        Final,
        Undo,
        QuestionCard,
    };
    enum class When { Always, ClockRunning, ClockStopped, BeforeLastRound, AfterLastRound };
    // The key map, read in order: the first row whose key matches and whose condition holds acts,
    // by its rule here or, where it has none, by the window alone (dialogs, displays, hand-overs,
    // the question card).
    struct KeyRow {
        char key;
        When when;
        Action action;
        RoundChange (RoundEngine::*rule)();
    };
    static const std::array<KeyRow, 14> keyMap;

    // Each change is told to `notices`, when given, once it is made.
    RoundEngine(GameState& state, const GameFormat& format, Notices* notices = nullptr);

    // The row a typed character acts by now, in either case; nullptr for an ignored key.
    const KeyRow* rowFor(QChar key) const;
    bool allowed(When when) const;
    bool clockRunning() const { return clockRunning_; }
    // How the last round ended, until the next one starts or the window opens again.
    RoundEnd ended() const { return ended_; }
    // What the window shows besides the chain: the clock (team entry's option, then key H) and
    // TOTAL (key T). Each toggle returns whether it is now on show.
    bool clockShown() const { return clockShown_; }
    bool totalShown() const { return totalShown_; }
    bool toggleClock();
    bool toggleTotal();
    // After this round the host goes to the final rather than to a vote-off.
    bool finalIsNext() const;

    // The window's opening: the chain at the bottom, an empty bank.
    void open();
    // S, first half: the next round and its starting player, or false when it is too late in
    // the game for a clock. The window announces the player before play().
    bool start();
    // S, second half: the round's statistics, chain and bank start from zero; the clock runs.
    RoundChange play();
    RoundChange correct();
    RoundChange bank();
    RoundChange wrong();
    RoundChange chainUp();
    RoundChange chainToBottom();
    RoundChange hostBank();
    RoundChange clearBank();
    // Takes back the host's last C, W or B of the running round (an addition); nothing if none.
    RoundChange undo();
    // One second of the round clock, charged to the current player.
    RoundChange tick();
    // Everybody back in with clean statistics; the clock stops.
    void startOver();

private:
    // `answered`: the press answers the question being asked.
    void remember(bool answered);
    // Tells the change, with the questions it answered (-1: an undo took one back).
    RoundChange told(RoundChange change, int answered = 0);
    void passTurn(RoundChange& change);
    void endRound(RoundChange& change, RoundEnd end);

    GameState& s_;
    const GameFormat& f_;
    Notices* notices_;
    bool clockRunning_ = false;
    RoundEnd ended_ = RoundEnd::None;
    bool clockShown_ = false;
    bool clockSet_ = false;
    bool totalShown_ = false;
    // What C, W and B change, as it was before each press since the round started, for undo.
    struct Before {
        int level, player, right;
        std::int64_t bank, banked, lost;
        int clock; // the seconds left at the press
        bool answered;
    };
    std::vector<Before> history_;
};
