#pragma once

#include "ui/Forms.h"

#include <array>
#include <vector>

class QAction;
class QLabel;
class QMenuBar;
class QTimer;
struct GameFormat;
struct GameState;
namespace design {
class Panel;
class Picture;
} // namespace design

// Game control of one format: the host runs the rounds here with single key presses.
class Maingame final : public Form {
    Q_OBJECT
public:
    Maingame(Console& console, const GameFormat& format);

    // One row of the key map: the first row whose key matches and whose condition holds acts.
    struct KeyRow {
        char key;
        bool (Maingame::*allowed)() const;
        void (Maingame::*act)();
    };
    static const std::array<KeyRow, 12> keyTable;

    // The key handler, given the typed character; every other key is ignored.
    void handleKey(QChar key);
    // Timer1's event: one second of the round clock.
    void tick();
    bool clockRunning() const;

    const GameFormat& format;
    QMenuBar* menuBar;
    QAction* Quit;  // "Start Over"
    QAction* About; // "About..."
    QWidget* client;
    std::vector<design::Panel*> Shape1;      // chain link boxes, 0..top-1
    std::vector<QLabel*> Label1;             // chain link captions, 0..top-1
    std::vector<design::Panel*> Playerframe; // 1..N (index 0 unused)
    std::vector<QLabel*> PlayerName;         // 1..N (index 0 unused)
    QLabel* Label4;                          // prompt for the host
    design::Picture* Image1;                 // title picture
    design::Panel* Shape10;                  // clock panel
    QLabel* Label11;                         // clock digits
    QLabel* Label5;                          // "TIME"
    design::Panel* Shape9;                   // bank panel
    QLabel* Label9;                          // BANK amount
    QLabel* Label10;                         // "BANK"
    design::Panel* Shape2;                   // TOTAL panel
    QLabel* Label3;                          // TOTAL amount
    QLabel* Label2;                          // "TOTAL"
    QTimer* Timer1;

    void unloading() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    GameState& state();

    bool always() const { return true; }
    bool clockStopped() const { return !clockRunning(); }
    bool beforeLastRound() const;
    bool afterLastRound() const;

    void startRound();
    void correct();
    void bank();
    void wrong();
    void toggleTotal();
    void toggleClock();
    void chainUp();
    void chainToBottom();
    void bankWithoutPlayer();
    void clearBank();
    void goToVoteOff();
    void goToFinal();
    void startOver();
    void showAbout();

    void endRound(const QString& message);
    void passTurn();
    void chainStep(int level);
    void resetChain();
    void dropLink(int link, int shapeTop, int labelTop);
    void setLinkCurrent(int link, bool current);
    void setNameCurrent(int slot, bool current);
    void showBank();
    void handOver(const QString& window);
};
