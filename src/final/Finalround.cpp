#include "Finalround.h"

#include "state/Rules.h"
#include "ui/Console.h"
#include "ui/Design.h"

#include <QKeyEvent>
#include <QLabel>

using namespace design;

namespace {

QFont markFont() {
    // The tick and the cross come from a font that is sure to have them.
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(28);
    return f;
}

Box markerBox(int i) {
    return {3120 + 1560 * ((i - 1) / 2), i % 2 == 1 ? 600 : 1440, 495, 495};
}

Box questionBox(int i) {
    return {2640 + 1560 * ((i - 1) / 2), i % 2 == 1 ? 600 : 1440, 1455, 615};
}

} // namespace

Finalround::Finalround(Console& c)
    : Form(c, windows::finalRound, titleBar()), state_(c.state), final_(c.state, &c.notices) {
    setWindowTitle(QStringLiteral("The Final Round"));
    setFocusPolicy(Qt::StrongFocus);
    clientSize(this, 10515, 3720);
    buildControls();
    setFocus();
    open();
}

void Finalround::buildControls() {
    backPanels[0] = panel(this, QStringLiteral("Shape2(0)"), darkGrey, {4410, 2640, 1695, 615});
    backPanels[1] = panel(this, QStringLiteral("Shape2(1)"), darkGrey, {120, 600, 2055, 615});
    backPanels[2] = panel(this, QStringLiteral("Shape2(2)"), darkGrey, {120, 1440, 2055, 615});
    for (int i = 1; i <= FinalEngine::kMarkers; ++i)
        questionPanels[i] =
            panel(this, QStringLiteral("Shape1(%1)").arg(i), lightGrey, questionBox(i));
    const auto amount = [this](const QString& name, const Box& box) {
        QLabel* l = label(this, name, QString(), box, arial(14.25), Align::Centre);
        setTextColour(l, highlightText);
        return l;
    };
    firstName = amount(QStringLiteral("Label1"), {120, 720, 2055, 375});
    secondName = amount(QStringLiteral("Label2"), {120, 1560, 2055, 375});
    for (int i = 1; i <= FinalEngine::kMarkers; ++i) {
        QLabel* l = label(this, QStringLiteral("Label3(%1)").arg(i), QString(), markerBox(i),
                          arial(24), Align::Centre);
        l->setWordWrap(false);
        markerLabels[i] = l;
        drawMarker(i);
    }
    prizeAmount = amount(QStringLiteral("Label5"), {4530, 2760, 1455, 375});
    totalWord = label(this, QStringLiteral("Label6"), QStringLiteral("TOTAL"),
                      {4935, 3240, 615, 255}, arial(9.75), Align::Left);
}

// The opening steps.
void Finalround::open() {
    final_.open();
    console.sound.clip(QStringLiteral("finalround.wav"), WavPlayer::Mode::Sync);
    const int strongest = final_.strongestLink();
    const bool goesFirst = console.dialogs.yesNo(
        state_.FinalistNames[strongest] +
            QStringLiteral(", since you were the strongest link from the last round,\nyou can "
                           "decide if you want to go first."),
        QStringLiteral("Who goes first?"));
    final_.chooseOrder(goesFirst);
    const auto top = final_.topFinalist();
    setFittedText(firstName, state_.FinalistNames[top], 14.25, 7);
    setFittedText(secondName, state_.FinalistNames[3 - top], 14.25, 7);
    console.sound.clip(QStringLiteral("choice.wav"), WavPlayer::Mode::Sync);
    drawMarker(1);
    prizeAmount->setText(rules::money(state_.TotalBank));
}

void Finalround::keyPressEvent(QKeyEvent* event) {
    if (!isVisible())
        return;
    const QString text = typed(event);
    if (!text.isEmpty())
        handleKey(text.at(0));
}

void Finalround::handleKey(QChar key) {
    if (final_.over())
        return;
    // Not one of the final's keys: the rules take it as any other, after it brings the card back.
    if (key.toUpper() == u'Q')
        console.showQuestionCard();
    const int winner = final_.press(key);
    for (int i = 1; i <= FinalEngine::kMarkers; ++i)
        drawMarker(i);
    if (winner != 0)
        announce(winner);
}

void Finalround::announce(int winner) {
    console.sound.clip(QStringLiteral("gameover.wav"), WavPlayer::Mode::Sync);
    console.dialogs.message(QStringLiteral("That means that ") + state_.FinalistNames[winner] +
                            QStringLiteral(", you are tonight's\nstrongest link, and you go away "
                                           "with ") +
                            rules::money(state_.TotalBank) + QStringLiteral(".\n") +
                            state_.FinalistNames[3 - winner] +
                            QStringLiteral(", you leave with nothing."));
    console.dialogs.message(QStringLiteral("Join us next time on The Brackwyn.\nGoodbye!"));
    handOver(windows::opening);
}

void Finalround::closeBox() {
    // Leaving the final unfinished goes back to the start, rather than ending the program.
    final_.abandon();
    handOver(windows::opening);
}

void Finalround::drawMarker(int i) {
    const FinalEngine::Marker& m = final_.marker(i);
    QLabel* l = markerLabels[i];
    if (m.mark == Mark::Number) {
        l->setFont(arial(24));
        l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        l->setText(QString::number(m.number));
    } else {
        l->setFont(markFont());
        l->setAlignment(Qt::AlignCenter);
        l->setText(m.mark == Mark::Tick ? QStringLiteral("\u2714") : QStringLiteral("\u2718"));
    }
    setTextColour(l, m.current ? darkGrey : m.mark == Mark::Number ? black : white);
    questionPanels[i]->setFill(m.mark == Mark::Tick    ? red
                                : m.mark == Mark::Cross ? teal
                                                        : lightGrey);
    if (questionPanels[i]->isHidden() == m.shown) {
        questionPanels[i]->setVisible(m.shown);
        l->setVisible(m.shown);
    }
}
