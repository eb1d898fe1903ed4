#pragma once

#include "ui/Design.h"
#include "ui/Forms.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct GameFormat;
namespace layout {
struct Names;
}

// Team entry of one format: the players' names and the game's three options.
class Names final : public Form {
    Q_OBJECT
public:
    Names(Console& console, const GameFormat& format);

    const GameFormat& format;
    design::ControlArray<QLabel> playerLabels; // Label1(0..N-1): "Player k+1" above each box
    design::ControlArray<QLineEdit> nameBoxes; // Text1(1..N): the name of slot i
    QGroupBox* clockFrame;                     // Frame1: "Timer"
    QRadioButton* clockHidden;                 // Option1(1)
    QRadioButton* clockVisible;                // Option1(0)
    QCheckBox* wavCheck;                       // Check1
    QCheckBox* midiCheck;                      // Check2
    QPushButton* playButton;                   // Command1: "Let's Play!"
    QPushButton* cancelButton;                 // Command2

private:
    void buildNames(const layout::Names& d);
    void buildOptions(const layout::Names& d);
    void letsPlay();
};
