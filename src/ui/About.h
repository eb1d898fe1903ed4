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
    static inline const QString windowName = QStringLiteral("frmAbout");
    explicit About(Console& console);

    QFrame* picIcon;
    design::Picture* picture;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QPushButton* cmdOK;
};
