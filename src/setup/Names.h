#pragma once

#include "ui/Forms.h"

#include <vector>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct GameFormat;

// Team entry of one format: the players' names and the game's three options.
class Names final : public Form {
    Q_OBJECT
public:
    Names(Console& console, const GameFormat& format);

    const GameFormat& format;
    std::vector<QLabel*> Label1;   // 0..N-1: "Player k+1" above each box
    std::vector<QLineEdit*> Text1; // 1..N (index 0 unused): the name of slot i
    QGroupBox* Frame1;
    QRadioButton* Option1Hidden;  // Option1(1)
    QRadioButton* Option1Visible; // Option1(0)
    QCheckBox* Check1;            // WAV
    QCheckBox* Check2;            // MIDI
    QPushButton* Command1;        // Let's Play!
    QPushButton* Command2;        // Cancel

private:
    void letsPlay();
    void cancel();
};
