#include "AudienceView.h"

#include "state/Rules.h"

#include <algorithm>

namespace audience {

namespace {

QStringList stillIn(const GameFormat& f, const GameState& s) {
    QStringList names;
    for (int i = 1; i <= f.players; ++i)
        if (!s.PlayerOut[i])
            names << s.PlayerNames[i];
    return names;
}

void roundFrame(Frame& out, const GameFormat& f, const RoundView& round, const GameState& s) {
    for (int level = 1; level <= f.top; ++level)
        out.chain << rules::money(rules::bankValue(f, level));
    out.litLink = std::clamp(s.ChainLevel, 0, f.top - 1);
    out.bank = rules::money(s.RoundBank);
    if (round.clockShown && round.clockSet)
        out.clock = QString::number(s.ClockSeconds);
    if (round.totalShown)
        out.total = rules::money(s.TotalBank);
    out.players = stillIn(f, s);
    if (round.clockRunning && !s.PlayerOut[s.CurrentPlayer]) {
        out.current = 0;
        for (int i = 1; i < s.CurrentPlayer; ++i)
            out.current += s.PlayerOut[i] ? 0 : 1;
    }
    out.phase = round.ended == RoundEnd::None ? Phase::Round : Phase::RoundEnd;
    if (round.ended == RoundEnd::TimeUp)
        out.banner = QStringLiteral("Time is up.");
    else if (round.ended == RoundEnd::TargetReached)
        out.banner = QStringLiteral("You reached the target!");
}

void finalFrame(Frame& out, const FinalView& final, const GameState& s) {
    out.phase = Phase::Final;
    out.suddenDeath = s.SuddenDeath;
    out.prize = rules::money(s.TotalBank);
    const int top = final.top;
    for (int row = 0; row < 2; ++row) {
        Finalist& who = out.finalists[std::size_t(row)];
        who.name = s.FinalistNames[row == 0 ? top : 3 - top];
        for (int i = 1 + row; i <= FinalEngine::kMarkers; i += 2) {
            const FinalEngine::Marker& m = final.markers[std::size_t(i)];
            if (!m.shown)
                continue;
            who.marks << (m.mark == FinalEngine::Mark::Tick    ? Mark::Tick
                          : m.mark == FinalEngine::Mark::Cross ? Mark::Cross
                          : m.current                          ? Mark::Current
                                                               : Mark::Empty);
        }
    }
    if (const int winner = rules::finalWinner(s); winner != 0) {
        out.phase = Phase::Winner;
        out.name = s.FinalistNames[winner];
        out.banner = QStringLiteral("tonight's strongest link");
    }
}

} // namespace

Frame frameFor(const GameView& game, const GameState& state) {
    Frame out;
    if (game.stage == Stage::Round && game.format)
        roundFrame(out, *game.format, game.round, state);
    else if (game.stage == Stage::VoteOff && game.format) {
        out.phase = Phase::VoteOff;
        out.players = stillIn(*game.format, state);
        out.banner = QStringLiteral("Who is the Brackwyn?");
    } else if (game.stage == Stage::Goodbye && state.Leaving > 0) {
        out.phase = Phase::Goodbye;
        out.name = state.PlayerNames[state.Leaving];
        out.banner = QStringLiteral("You ARE the Brackwyn!");
    } else if (game.stage == Stage::Final)
        finalFrame(out, game.final, state);
    return out;
}

} // namespace audience
