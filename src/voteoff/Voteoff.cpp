#include "Voteoff.h"

#include "Goodbye.h"
#include "round/Maingame.h"
#include "state/GameFormat.h"
#include "state/Rules.h"
#include "ui/Console.h"
#include "ui/Design.h"

#include <QLabel>
#include <QPushButton>

using namespace design;

namespace {

struct VoteoffDesign {
    int width, height;
    int label10Left, label10Width;
    bool resizable;
    const char* caption;
};

const VoteoffDesign& designFor(int players) {
    static const VoteoffDesign six{9840, 4635,  1095,
                                   8640, false, "It's time to vote off The Brackwyn!"};
    static const VoteoffDesign eight{12660, 4785,  2048,
                                     8535,  false, "It's time to vote off the Brackwyn!"};
    static const VoteoffDesign nine{14145, 4605, 1095,
                                    12960, true, "It's time to vote off the Brackwyn!"};
    return players == 6 ? six : players == 8 ? eight : nine;
}

Qt::WindowFlags flagsFor(bool resizable) {
    Qt::WindowFlags f = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (resizable)
        f |= Qt::WindowMinMaxButtonsHint;
    return f;
}

// A button caption shows a name as typed: '&' would otherwise mark a shortcut.
QString buttonText(const QString& name) {
    QString text = name;
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

int playersIn(const GameState& s, int players) {
    int in = 0;
    for (int i = 1; i <= players; ++i)
        in += s.PlayerOut[i] ? 0 : 1;
    return in;
}

} // namespace

Voteoff::Voteoff(Console& c, const GameFormat& f)
    : Form(c, QString::fromLatin1(f.voteoffWindow), flagsFor(designFor(f.players).resizable)),
      format(f) {
    const VoteoffDesign& d = designFor(f.players);
    setWindowTitle(QString::fromLatin1(d.caption));
    if (d.resizable)
        resize(px(d.width), px(d.height)); // the controls stay where they are designed
    else
        clientSize(this, d.width, d.height);

    Command2 = new QPushButton(QStringLiteral("Oops"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setAutoDefault(false);
    place(Command2, 120, 4080, 615, 495);

    const auto column = [this](const QString& name, int i, int top, double points) {
        return label(this, QStringLiteral("%1(%2)").arg(name).arg(i), QString(),
                     1200 + 1440 * (i - 1), top, 1215, 375, arial(points), Align::Centre,
                     Fill::Opaque);
    };
    Label1.push_back(nullptr);
    Label2.push_back(nullptr);
    Label3.push_back(nullptr);
    Label4.push_back(nullptr);
    Label5.push_back(nullptr);
    Command1.push_back(nullptr);
    QWidget* previous = Command2;
    for (int i = 1; i <= f.players; ++i) {
        Label1.push_back(column(QStringLiteral("Label1"), i, 120, 12));
        Label2.push_back(column(QStringLiteral("Label2"), i, 720, 14.25));
        Label3.push_back(column(QStringLiteral("Label3"), i, 1320, 14.25));
        Label4.push_back(column(QStringLiteral("Label4"), i, 1920, 12));
        Label5.push_back(column(QStringLiteral("Label5"), i, 2520, 12));
        auto* b = new QPushButton(QStringLiteral("Command1"), this);
        b->setObjectName(QStringLiteral("Command1(%1)").arg(i));
        b->setAutoDefault(false);
        b->setEnabled(false);
        place(b, 1200 + 1440 * (i - 1), 4080, 1215, 495);
        connect(b, &QPushButton::clicked, this, [this, i] { eliminate(i); });
        setTabOrder(previous, b);
        previous = b;
        Command1.push_back(b);
    }

    const auto heading = [this](const QString& name, const QString& text, int top) {
        return label(this, name, text, 0, top, 975, 495, arial(12, false), Align::Centre,
                     Fill::Opaque);
    };
    Label6 = heading(QStringLiteral("Label6"), QStringLiteral("Right Answers"), 600);
    Label7 = heading(QStringLiteral("Label7"), QStringLiteral("Time Used"), 1200);
    Label8 = heading(QStringLiteral("Label8"), QStringLiteral("Money Banked"), 1800);
    Label9 = heading(QStringLiteral("Label9"), QStringLiteral("Money Lost"), 2400);
    Label10 =
        label(this, QStringLiteral("Label10"), QStringLiteral("Who is the Brackwyn?"),
              d.label10Left, 3240, d.label10Width, 615, arial(24), Align::Centre, Fill::Opaque);
    Command2->setFocus();
    connect(Command2, &QPushButton::clicked, this, &Voteoff::oops);

    // Opening steps.
    console.sound.clip(QStringLiteral("voteoff.wav"), WavPlayer::Mode::Async);
    const GameState& s = console.state;
    // The final needs two players, so the last two cannot be voted off.
    const bool canEliminate = playersIn(s, f.players) > 2;
    for (int i = 1; i <= f.players; ++i) {
        const auto at = static_cast<std::size_t>(i);
        setFittedText(Label1[at], s.PlayerNames[i], 12, 7);
        Command1[at]->setText(buttonText(s.PlayerNames[i]));
        if (s.PlayerOut[i])
            continue;
        Label2[at]->setText(QString::number(s.RightAnswers[i]));
        Label3[at]->setText(QString::number(s.TimeUsed[i]));
        Label4[at]->setText(rules::money(s.MoneyBanked[i]));
        Label5[at]->setText(rules::money(s.MoneyLost[i]));
        Command1[at]->setEnabled(canEliminate);
    }
}

void Voteoff::eliminate(int k) {
    GameState& s = console.state;
    if (k < 1 || k > format.players || !Command1[static_cast<std::size_t>(k)]->isEnabled())
        return;
    if (!console.dialogs.okCancel(QStringLiteral("Are you sure you want to eliminate ") +
                                  s.PlayerNames[k] + QStringLiteral("?")))
        return;
    s.PlayerOut[k] = true;
    // Touching the game-control window builds it afresh, unseen, for after the goodbye.
    auto* game = console.forms.load<Maingame>(QString::fromLatin1(format.gameWindow));
    for (int i = 1; i <= format.players; ++i)
        if (s.PlayerOut[i])
            game->PlayerName[static_cast<std::size_t>(i)]->hide();
    auto* goodbye =
        qobject_cast<Goodbye*>(console.forms.show(QString::fromLatin1(format.goodbyeWindow)));
    goodbye->Label1->setText(Goodbye::farewell(s.PlayerNames[k]));
    console.forms.unload(objectName());
}

void Voteoff::oops() {
    console.forms.show(QString::fromLatin1(format.gameWindow));
    console.forms.unload(objectName());
}

void Voteoff::closeBox() {
    // Closing the table is going back, as "Oops" does: the game must not be left windowless.
    oops();
}
