#include "Goodbye.h"

#include "state/GameFormat.h"
#include "state/Rules.h"
#include "ui/Console.h"
#include "ui/Design.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <chrono>
#include <random>

using namespace design;

namespace {

struct GoodbyeDesign {
    int height;
    int pictureLeft;
    int labelLeft;
    int okLeft, okTop;
};

const GoodbyeDesign& designFor(int players) {
    static const GoodbyeDesign six{3270, 120, 3480, 4200, 2640};
    static const GoodbyeDesign eight{3195, 0, 3360, 4080, 2520};
    static const GoodbyeDesign nine{3195, 0, 3360, 4080, 2640};
    return players == 6 ? six : players == 8 ? eight : nine;
}

// A fresh uniform draw in [0, 1) from a generator seeded by the clock at every opening.
double clockSeededUniform() {
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seed{static_cast<std::uint32_t>(now), static_cast<std::uint32_t>(now >> 32)};
    std::mt19937 generator(seed);
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
}

} // namespace

Goodbye::Goodbye(Console& c, const GameFormat& f)
    : Form(c, QString::fromLatin1(f.goodbyeWindow),
           Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
               Qt::WindowCloseButtonHint),
      format(f) {
    const GoodbyeDesign& d = designFor(f.players);
    setWindowTitle(QStringLiteral("It's time for you to go"));
    clientSize(this, 6030, d.height);
    // Always the same place on the screen, whichever window opened it.
    setGeometry(px(2760), px(3750), width(), height());

    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1->setLineWidth(2);
    Picture1->setFocusPolicy(Qt::TabFocus);
    place(Picture1, d.pictureLeft, 120, 3255, 3015);
    picture = new Picture(Picture1, QStringLiteral("picture"));
    // Unscaled from the top-left corner inside the border; the box cuts off the rest.
    picture->setGeometry(Picture1->contentsRect());

    Label1 = label(this, QStringLiteral("Label1"), QStringLiteral("Label1"), d.labelLeft, 360, 2535,
                   1935, arial(14.25), Align::Centre, Fill::Opaque);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    setDefaultButton(OKButton);
    place(OKButton, d.okLeft, d.okTop, 1215, 375);
    setTabOrder(OKButton, Picture1);
    OKButton->setFocus();
    connect(OKButton, &QPushButton::clicked, this, &Goodbye::ok);

    // Opening steps.
    picture->load(farewellPicture);
    console.sound.clip(rules::goodbyeClip(clockSeededUniform()), WavPlayer::Mode::Async);
}

QString Goodbye::farewell(const QString& name) {
    return name + QStringLiteral(",\nYou ARE the Brackwyn!\n\nGoodbye...");
}

void Goodbye::ok() {
    console.forms.show(QString::fromLatin1(format.gameWindow));
    console.forms.unload(objectName());
}

void Goodbye::closeBox() {
    // The close box sends the player off just as OK does, so the game goes on.
    ok();
}
