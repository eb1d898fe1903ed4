#pragma once

#include "ui/Forms.h"

class QLabel;
class QPushButton;
namespace design {
class Picture;
}

// The start window: the host picks one of the three formats, or quits.
class Opening final : public Form {
    Q_OBJECT
public:
    static inline const QString windowName = QStringLiteral("Opening");
    explicit Opening(Console& console);

    QLabel* Label1;          // "Welcome to..."
    design::Picture* Image1; // title picture
    QLabel* Label2;          // "Choose your format"
    QPushButton* Command1;   // 6 players
    QPushButton* Command2;   // 8 players
    QPushButton* Command3;   // 9 players
    QPushButton* Command4;   // Quit

private:
    void chooseFormat(int players);
};
