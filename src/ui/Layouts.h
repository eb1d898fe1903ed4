#pragma once

#include "Design.h"

#include <array>

// The designs of the windows that each format has its own copy of, in twips.
namespace layout {

using design::Box;

// Team entry: the name boxes in columns, the option column on the right.
struct Names {
    int width, height;
    int rows;                     // names per column
    std::array<int, 4> labelTops; // the box sits 240 twips below its label
    Box frame, hidden, visible, wav, midi, play, cancel;
};

struct Rung {
    Box caption;
    double points;
    Box box;
};

struct Seat {
    int frameLeft, frameTop, nameLeft, nameTop;
};

// Game control: the chain, the players' seats, the prompt, the clock, BANK and TOTAL.
struct Game {
    int width, height;
    design::Align chainAlign;
    std::array<Rung, 9> rungs;  // 0..top-1
    std::array<Seat, 10> seats; // 1..N
    Box prompt, picture, clockPanel, clockDigits, timeWord, bankPanel, bankAmount, bankWord,
        totalPanel, totalAmount, totalWord;
    const char* totalCaption;
};

// Vote-off: the columns are alike in every format; the window and its heading are not.
struct Voteoff {
    int width, height;
    int headingLeft, headingWidth;
    bool resizable;
    const char* caption;
};

struct Goodbye {
    int height;
    int pictureLeft;
    int farewellLeft;
    int okLeft, okTop;
};

struct Format {
    Names names;
    Game game;
    Voteoff voteoff;
    Goodbye goodbye;
};

// The designs of the format with this many players; anything but 6, 8 or 9 throws
// std::invalid_argument, since no window could be drawn for it.
const Format& forPlayers(int players);

} // namespace layout
