#include "Opening.h"

#include "state/GameFormat.h"
#include "state/Rules.h"
#include "ui/Console.h"
#include "ui/Design.h"

#include <QLabel>
#include <QPushButton>

using namespace design;

namespace {

QPushButton* button(QWidget* parent, const QString& name, const QString& caption, const Box& box) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    place(b, box);
    return b;
}

} // namespace

Opening::Opening(Console& c) : Form(c, windows::opening, titleBar(Qt::WindowMinimizeButtonHint)) {
    setWindowTitle(QStringLiteral("The Brackwyn"));
    clientSize(this, 4680, 6225);

    welcome = label(this, QStringLiteral("Label1"), QStringLiteral("Welcome to..."),
                    {173, 120, 4335, 375}, arial(18), Align::Centre);
    picture = new Picture(this, QStringLiteral("Image1"), titlePicture);
    place(picture, {893, 600, 2955, 2490});
    formatPrompt = label(this, QStringLiteral("Label2"), QStringLiteral("Choose your format"),
                         {180, 3240, 4335, 495}, arial(18), Align::Centre);

    const std::array<const GameFormat*, 3> choices{&formats::six, &formats::eight, &formats::nine};
    QWidget* previous = nullptr;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        const GameFormat* f = choices[i];
        QPushButton* b = button(this, QStringLiteral("Command%1").arg(i + 1),
                                QStringLiteral("%1 Players - Max. Prize %2")
                                    .arg(f->players)
                                    .arg(rules::money(f->maxPrize)),
                                {113, 3720 + 600 * static_cast<int>(i), 4455, 495});
        b->setFont(arial(12));
        connect(b, &QPushButton::clicked, this,
                [this, f] { handOver(QString::fromLatin1(f->namesWindow)); });
        if (previous != nullptr)
            setTabOrder(previous, b);
        previous = formatButtons[i] = b;
    }
    quitButton =
        button(this, QStringLiteral("Command4"), QStringLiteral("Quit"), {1313, 5640, 1935, 495});
    setTabOrder(previous, quitButton);
    formatButtons[0]->setFocus();
    connect(quitButton, &QPushButton::clicked, this, [this] { console.forms.quit(); });
}
