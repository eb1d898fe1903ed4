#pragma once

#include "Forms.h"

class QFrame;
class QLabel;
class QPushButton;
namespace design {
class Picture;
}

// The about box: title picture, title, version and where to send feedback.
class About final : public Form {
    Q_OBJECT
public:
    explicit About(Console& console);

    QFrame* pictureFrame; // picIcon
    design::Picture* picture;
    QLabel* titleLabel;       // lblTitle
    QLabel* versionLabel;     // lblVersion
    QLabel* descriptionLabel; // lblDescription
    QPushButton* okButton;    // cmdOK
};
