#include "Goodbye.h"

#include "state/GameFormat.h"
#include "state/Rules.h"
#include "ui/Console.h"
#include "ui/Layouts.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

using namespace design;

Goodbye::Goodbye(Console& c, const GameFormat& f)
    : Form(c, QString::fromLatin1(f.goodbyeWindow), titleBar({}, Qt::Tool)), format(f) {
    const layout::Goodbye& d = layout::forPlayers(f.players).goodbye;
    setWindowTitle(QStringLiteral("It's time for you to go"));
    clientSize(this, 6030, d.height);
    // Always the same place on the screen, whichever window opened it.
    setGeometry(px(2760), px(3750), width(), height());

    const FramedPicture framed = framedPicture(this, QStringLiteral("Picture1"),
                                               {d.pictureLeft, 120, 3255, 3015}, farewellPicture);
    pictureFrame = framed.frame;
    picture = framed.picture;
    farewellText =
        label(this, QStringLiteral("Label1"), farewell(c.state.PlayerNames[c.state.Leaving]),
              {d.farewellLeft, 360, 2535, 1935}, arial(14.25), Align::Centre, Fill::Opaque);
    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("OKButton"));
    setDefaultButton(okButton);
    place(okButton, {d.okLeft, d.okTop, 1215, 375});
    setTabOrder(okButton, pictureFrame);
    okButton->setFocus();
    connect(okButton, &QPushButton::clicked, this, &Goodbye::ok);

    // Opening step: the picture is in; a new clip is drawn at every opening.
    console.sound.clip(rules::goodbyeClip(), WavPlayer::Mode::Async);
}

QString Goodbye::farewell(const QString& name) {
    return name + QStringLiteral(",\nYou ARE the Brackwyn!\n\nGoodbye...");
}

void Goodbye::ok() {
    handOver(QString::fromLatin1(format.gameWindow));
}

void Goodbye::closeBox() {
    // The close box sends the player off just as OK does, so the game goes on.
    ok();
}
