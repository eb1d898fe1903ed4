#include "Opening.h"

#include "state/GameFormat.h"
#include "ui/Console.h"
#include "ui/Design.h"

#include <QLabel>
#include <QPushButton>

using namespace design;

namespace {

QPushButton* button(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                    int width, int height) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    place(b, left, top, width, height);
    return b;
}

} // namespace

Opening::Opening(Console& c)
    : Form(c, windowName,
           Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("The Brackwyn"));
    clientSize(this, 4680, 6225);

    Label1 = label(this, QStringLiteral("Label1"), QStringLiteral("Welcome to..."), 173, 120, 4335,
                   375, arial(18), Align::Centre, Fill::Transparent);
    Image1 = new Picture(this, QStringLiteral("Image1"), titlePicture);
    place(Image1, 893, 600, 2955, 2490);
    Label2 = label(this, QStringLiteral("Label2"), QStringLiteral("Choose your format"), 180, 3240,
                   4335, 495, arial(18), Align::Centre, Fill::Transparent);

    Command1 = button(this, QStringLiteral("Command1"),
                      QStringLiteral("6 Players - Max. Prize $100,000"), 113, 3720, 4455, 495);
    Command2 = button(this, QStringLiteral("Command2"),
                      QStringLiteral("8 Players - Max. Prize $1,000,000"), 113, 4320, 4455, 495);
    Command3 = button(this, QStringLiteral("Command3"),
                      QStringLiteral("9 Players - Max. Prize $10,000"), 113, 4920, 4455, 495);
    for (QPushButton* b : {Command1, Command2, Command3})
        b->setFont(arial(12));
    Command4 =
        button(this, QStringLiteral("Command4"), QStringLiteral("Quit"), 1313, 5640, 1935, 495);

    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Command4);
    Command1->setFocus();

    connect(Command1, &QPushButton::clicked, this, [this] { chooseFormat(6); });
    connect(Command2, &QPushButton::clicked, this, [this] { chooseFormat(8); });
    connect(Command3, &QPushButton::clicked, this, [this] { chooseFormat(9); });
    connect(Command4, &QPushButton::clicked, this, [this] { console.forms.quit(); });
}

void Opening::chooseFormat(int players) {
    console.forms.show(QString::fromLatin1(formats::byPlayers(players)->namesWindow));
    console.forms.unload(objectName());
}
