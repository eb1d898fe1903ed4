#pragma once

#include "ui/Forms.h"

#include <array>

class QLabel;
class QPushButton;
namespace design {
class Picture;
}

// The start window: the host picks one of the three formats, or quits.
class Opening final : public Form {
    Q_OBJECT
public:
    explicit Opening(Console& console);

    QLabel* welcome;                           // Label1: "Welcome to..."
    design::Picture* picture;                  // Image1
    QLabel* formatPrompt;                      // Label2: "Choose your format"
    std::array<QPushButton*, 3> formatButtons; // Command1..3: 6, 8 and 9 players
    QPushButton* quitButton;                   // Command4
};
