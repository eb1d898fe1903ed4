#pragma once

#include "state/GameFormat.h"
#include "state/GameState.h"
#include "state/Notice.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>

namespace audience {

enum class Phase { Title, Round, RoundEnd, VoteOff, Goodbye, Final, Winner };
enum class Mark { Empty, Current, Tick, Cross };

struct Finalist {
    QString name{};
    QList<Mark> marks{}; // the row's questions still on show
    bool operator==(const Finalist&) const = default;
};

// Everything the audience screen shows at one moment, worked out from the shared record and what
// the game's notices told; the painter only draws it.
struct Frame {
    Phase phase = Phase::Title;
    QStringList chain{};              // link captions, bottom to top
    int litLink = -1;                 // the current link; the links below it are passed
    QString bank{}, total{}, clock{}; // empty when the host's window does not show them
    QStringList players{};            // those still in, in slot order
    int current = -1;                 // index into players of the one answering, -1 between turns
    QString banner{};                 // "Time is up.", "You reached the target!", ...
    QString name{};                   // the one leaving, or the winner
    std::array<Finalist, 2> finalists{}; // the top row's first
    bool suddenDeath = false;
    QString prize{};
    bool operator==(const Frame&) const = default;
};

Frame frameFor(const GameView& game, const GameState& state);

} // namespace audience
