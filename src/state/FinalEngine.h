#pragma once

#include "GameState.h"

#include <QChar>
#include <array>
#include <vector>

class Notices;

// The final's rules: the finalists, who chooses the order, the question markers, sudden death
// and the winner, acting on the shared record. The final's window owns one and draws it.
class FinalEngine {
public:
    static constexpr int kMarkers = 10;
    enum class Mark { Number, Tick, Cross };
    // Markers 1..10: odd ones are the top row's questions, even ones the bottom row's.
    struct Marker {
        Mark mark = Mark::Number;
        bool current = false; // the question being asked: its number is drawn in grey
        int number = 0;       // the question number shown until it is answered
        bool shown = true;    // sudden death keeps only the first pair
    };

    // Each change is told to `notices`, when given, once it is made.
    explicit FinalEngine(GameState& state, Notices* notices = nullptr);

    // Opening: no sudden death yet; the two lowest slots still in are the finalists, each scored
    // on the last round.
    void open();
    // The finalist (1 or 2) who may choose the order: the stronger, finalist 1 on a tie.
    int strongestLink() const;
    // The answer to "Who goes first?"; then five questions each, the top row's first one current.
    void chooseOrder(bool strongestGoesFirst);
    // The finalist (1 or 2) answering in the top row.
    int topFinalist() const { return top_; }
    const Marker& marker(int i) const { return markers_.at(i); }
    // One key press: C or W answers whatever is current, the undo key takes the last answer back
    // (an addition), then every key runs the end-of-press checks. Returns the winner (1 or 2)
    // once nobody can catch up any more, else 0.
    int press(QChar key);
    // Decided or abandoned: keys no longer act.
    bool over() const { return over_; }
    void abandon();

private:
    void answer(bool right);
    void startSuddenDeath();
    void told(int answered) const;

    GameState& s_;
    Notices* notices_;
    std::array<Marker, kMarkers + 1> markers_{};
    std::array<int, 3> slot_{}; // each finalist's slot
    int top_ = 1;
    bool over_ = false;
    // The board and the score before each answer, sudden death's start included, for undo.
    struct Before {
        std::array<Marker, kMarkers + 1> markers;
        std::array<int, 3> right, left;
        bool suddenDeath;
    };
    std::vector<Before> history_;
};
