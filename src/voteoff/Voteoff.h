#pragma once

#include "ui/Forms.h"

#include <vector>

class QLabel;
class QPushButton;
struct GameFormat;

// The vote-off of one format: the round's statistics per player, and the elimination of the
// player the contestants voted off.
class Voteoff final : public Form {
    Q_OBJECT
public:
    Voteoff(Console& console, const GameFormat& format);

    // Presses the elimination button of slot k, as its click does.
    void eliminate(int k);

    const GameFormat& format;
    // Columns 1..N (index 0 unused).
    std::vector<QLabel*> Label1; // name
    std::vector<QLabel*> Label2; // right answers
    std::vector<QLabel*> Label3; // time used
    std::vector<QLabel*> Label4; // money banked
    std::vector<QLabel*> Label5; // money lost
    std::vector<QPushButton*> Command1;
    QPushButton* Command2; // "Oops"
    QLabel* Label6;        // row headings
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label10; // "Who is the Brackwyn?"

protected:
    void closeBox() override;

private:
    void oops();
};
