#pragma once

#include "state/FinalEngine.h"
#include "ui/Forms.h"

#include <array>

class QLabel;
namespace design {
class Panel;
}

// The head-to-head final of the last two players, shared by every format; the final's rules
// decide, this window draws.
class Finalround final : public Form {
    Q_OBJECT
public:
    explicit Finalround(Console& console);

    using Mark = FinalEngine::Mark;
    void handleKey(QChar key);
    const FinalEngine& rules() const { return final_; }
    const FinalEngine::Marker& marker(int i) const { return final_.marker(i); }
    // The finalist (1 or 2) answering in the top row; the other answers in the bottom row.
    int topFinalist() const { return final_.topFinalist(); }

    QLabel* firstName;                               // Label1: answers first, top row
    QLabel* secondName;                              // Label2: bottom row
    std::array<QLabel*, 11> markerLabels{};          // Label3(1..10): odd top, even bottom
    std::array<design::Panel*, 11> questionPanels{}; // Shape1(1..10)
    std::array<design::Panel*, 3> backPanels{};      // Shape2: 0 prize, 1 and 2 names
    QLabel* prizeAmount;                             // Label5
    QLabel* totalWord;                               // Label6: "TOTAL"

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeBox() override;

private:
    void buildControls();
    void open();
    void drawMarker(int i);
    void announce(int winner);

    GameState& state_;
    FinalEngine final_;
};
