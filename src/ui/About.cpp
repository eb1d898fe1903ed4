#include "About.h"

#include "Console.h"
#include "Design.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

using namespace design;

About::About(Console& c) : Form(c, windows::about, titleBar({}, Qt::Tool)) {
    setWindowTitle(QStringLiteral("About Tarnevo"));
    clientSize(this, 5730, 3270);
    // The box opens at a fixed point of the screen, measured to its client area.
    setGeometry(px(2340), px(1935), width(), height());

    const FramedPicture framed =
        framedPicture(this, QStringLiteral("picIcon"), {240, 240, 3015, 2550}, titlePicture);
    pictureFrame = framed.frame;
    picture = framed.picture;
    titleLabel =
        label(this, QStringLiteral("lblTitle"), QStringLiteral("The Brackwyn Game Control"),
              {3480, 240, 1965, 960}, arial(12), Align::Centre, Fill::Opaque);
    setTextColour(titleLabel, black);
    versionLabel = label(this, QStringLiteral("lblVersion"), QStringLiteral("Version 2.1"),
                         {3480, 1320, 1965, 345}, arial(12), Align::Centre, Fill::Opaque);
    descriptionLabel =
        label(this, QStringLiteral("lblDescription"),
              QStringLiteral("Send your feedback to quolmar@example.org with \"Brackwyn\" in the "
                             "subject line."),
              {3360, 1920, 2205, 810}, windowFont(), Align::Centre, Fill::Opaque);
    setTextColour(descriptionLabel, black);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("cmdOK"));
    // OK is both the default and the cancel button.
    setDefaultButton(okButton);
    setCancelButton(okButton);
    place(okButton, {2235, 2880, 1260, 345});
    setTabOrder(okButton, pictureFrame);
    okButton->setFocus();

    connect(okButton, &QPushButton::clicked, this, [this] { console.forms.unload(objectName()); });
}
