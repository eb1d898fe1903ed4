#pragma once

#include "FinalEngine.h"
#include "RoundEngine.h"

#include <QObject>

struct GameFormat;

// Where the game is: the window the host has in front.
enum class Stage { Start, TeamEntry, Round, VoteOff, Goodbye, Final };

// What a round shows besides the shared record.
struct RoundView {
    bool clockRunning = false;
    bool clockShown = false;
    bool totalShown = false;
    RoundEnd ended = RoundEnd::None;
    bool clockSet = false; // the round's seconds are on the clock: from its S on
};

// The final's board.
struct FinalView {
    std::array<FinalEngine::Marker, FinalEngine::kMarkers + 1> markers{};
    int top = 1; // the finalist answering in the top row
    // The finalist (1 or 2) the current question is for; 0 when none is.
    int answering() const;
};

// What one key, click, clock tick or hand-over changed, told by the rules' side once it is done.
struct Notice {
    enum class What { HandOver, Round, Final };
    What what = What::HandOver;
    Stage stage = Stage::Start;         // HandOver: the window now in front
    const GameFormat* format = nullptr; // HandOver: that window's format, if it has one
    RoundView round{};                  // Round
    FinalView final{};                  // Final
    int answered = 0;    // questions this change answered; -1 when an undo took one back
    bool asking = false; // Round, Final: a question is being asked now
};

// The game as one who follows it knows it: each notice laid over the ones before.
struct GameView {
    Stage stage = Stage::Start;
    const GameFormat* format = nullptr;
    RoundView round{};
    FinalView final{};
    bool asking = false;
    void follow(const Notice& notice);
};

// Where the notices go: the rules' side sends, those who follow the game listen.
class Notices final : public QObject {
    Q_OBJECT
signals:
    void told(const Notice& notice);
};
