#include "About.h"

#include "Console.h"
#include "Design.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

using namespace design;

About::About(Console& c)
    : Form(c, windowName,
           Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
               Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("About Tarnevo"));
    clientSize(this, 5730, 3270);
    // The box opens at a fixed point of the screen, measured to its client area.
    setGeometry(px(2340), px(1935), width(), height());

    picIcon = new QFrame(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picIcon->setLineWidth(2);
    picIcon->setFocusPolicy(Qt::TabFocus);
    place(picIcon, 240, 240, 3015, 2550);
    picture = new Picture(picIcon, QStringLiteral("picture"), titlePicture);
    picture->setGeometry(2, 2, 197, 166);

    lblTitle = label(this, QStringLiteral("lblTitle"), QStringLiteral("The Brackwyn Game Control"),
                     3480, 240, 1965, 960, arial(12), Align::Centre, Fill::Opaque);
    setTextColour(lblTitle, black);
    lblVersion = label(this, QStringLiteral("lblVersion"), QStringLiteral("Version 2.1"), 3480,
                       1320, 1965, 345, arial(12), Align::Centre, Fill::Opaque);
    lblDescription =
        label(this, QStringLiteral("lblDescription"),
              QStringLiteral("Send your feedback to quolmar@example.org with \"Brackwyn\" in the "
                             "subject line."),
              3360, 1920, 2205, 810, windowFont(), Align::Centre, Fill::Opaque);
    setTextColour(lblDescription, black);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    // OK is both the default and the cancel button.
    setDefaultButton(cmdOK);
    setCancelButton(cmdOK);
    place(cmdOK, 2235, 2880, 1260, 345);
    setTabOrder(cmdOK, picIcon);
    cmdOK->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, [this] { console.forms.unload(objectName()); });
}
