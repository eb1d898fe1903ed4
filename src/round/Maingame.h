#pragma once

#include "state/RoundEngine.h"
#include "ui/Design.h"
#include "ui/Forms.h"

class QAction;
class QLabel;
class QMenuBar;
class QTimer;
struct GameFormat;
struct GameState;
namespace layout {
struct Game;
}

// Game control of one format: the host runs the rounds here with single key presses; the
// round's rules decide, this window draws.
class Maingame final : public Form {
    Q_OBJECT
public:
    Maingame(Console& console, const GameFormat& format);

    // The key handler, given the typed character; every other key is ignored.
    void handleKey(QChar key);
    // The round clock's event: one second.
    void tick();
    bool clockRunning() const { return round_.clockRunning(); }
    const RoundEngine& round() const { return round_; }

    const GameFormat& format;
    QMenuBar* menuBar;
    QAction* startOverAction; // Quit: "Start Over"
    QAction* aboutAction;     // About: "About..."
    QWidget* client;
    design::ControlArray<design::Panel> linkBoxes;  // Shape1(0..top-1)
    design::ControlArray<QLabel> linkCaptions;      // Label1(0..top-1)
    design::ControlArray<design::Panel> seatFrames; // Playerframe(1..N)
    design::ControlArray<QLabel> nameLabels;        // PlayerName(1..N)
    QLabel* prompt;                                 // Label4
    design::Picture* picture;                       // Image1
    design::Panel* clockPanel;                      // Shape10
    QLabel* clockDigits;                            // Label11
    QLabel* timeWord;                               // Label5
    design::Panel* bankPanel;                       // Shape9
    QLabel* bankAmount;                             // Label9
    QLabel* bankWord;                               // Label10
    design::Panel* totalPanel;                      // Shape2
    QLabel* totalAmount;                            // Label3
    QLabel* totalWord;                              // Label2
    QTimer* roundClock;                             // Timer1

    void unloading() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildMenu();
    void buildPanels(const layout::Game& d);
    void buildChainAndSeats(const layout::Game& d);
    void buildDisplays(const layout::Game& d);
    void open();

    void startRound();
    void toggleTotal();
    void toggleClock();
    void startOver();

    void draw(const RoundChange& change);
    void announceEnd(const RoundChange& change);
    void syncClock();
    void showCurrentPlayer();
    void showBank();
    void drawStep(const ChainStep& step);
    void drawChain();
    void moveLink(int link, const ChainPosition& to);
    void setLinkCurrent(int link, bool current);

    GameState& state_;
    RoundEngine round_;
};
