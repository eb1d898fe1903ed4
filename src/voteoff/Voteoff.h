#pragma once

#include "ui/Design.h"
#include "ui/Forms.h"

#include <array>

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
    // Columns 1..N (slot 0 empty).
    design::ControlArray<QLabel> nameLabels;            // Label1
    design::ControlArray<QLabel> rightAnswerLabels;     // Label2
    design::ControlArray<QLabel> timeUsedLabels;        // Label3
    design::ControlArray<QLabel> moneyBankedLabels;     // Label4
    design::ControlArray<QLabel> moneyLostLabels;       // Label5
    design::ControlArray<QPushButton> eliminateButtons; // Command1
    QPushButton* oopsButton;                            // Command2
    std::array<QLabel*, 4> rowHeadings{};               // Label6..Label9
    QLabel* question;                                   // Label10: "Who is the Brackwyn?"

protected:
    void closeBox() override;

private:
    void buildColumns();
    void buildHeadings();
    void open();
    void oops();
};
