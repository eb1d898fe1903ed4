#pragma once

#include "ui/Forms.h"

class QFrame;
class QLabel;
class QPushButton;
struct GameFormat;
namespace design {
class Picture;
}

// Sends the player who was just voted off on their way, then play goes on.
class Goodbye final : public Form {
    Q_OBJECT
public:
    Goodbye(Console& console, const GameFormat& format);

    const GameFormat& format;
    QFrame* pictureFrame; // Picture1
    design::Picture* picture;
    QLabel* farewellText;  // Label1: the farewell to the one leaving
    QPushButton* okButton; // OKButton

    // Farewell text for a player, as the vote-off writes it into Label1.
    static QString farewell(const QString& name);

protected:
    void closeBox() override;

private:
    void ok();
};
