#include "Finalround.h"

#include "state/Rules.h"
#include "ui/Console.h"
#include "ui/Design.h"

#include <QKeyEvent>
#include <QLabel>

using namespace design;

namespace {

const QColor questionGrey{128, 128, 128};

QFont markFont() {
    // The tick and the cross come from a font that is sure to have them.
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(28);
    return f;
}

} // namespace

const std::array<Finalround::KeyRow, 2> Finalround::keyTable{{
    {'C', &Finalround::correct},
    {'W', &Finalround::wrong},
}};

Finalround::Finalround(Console& c)
    : Form(c, windowName,
           Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
               Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("The Final Round"));
    setFocusPolicy(Qt::StrongFocus);
    clientSize(this, 10515, 3720);

    const auto panel = [this](const QString& name, const QColor& fill, int l, int t, int w, int h) {
        auto* p = new Panel(this, name, fill);
        place(p, l, t, w, h);
        return p;
    };
    Shape2[0] = panel(QStringLiteral("Shape2(0)"), darkGrey, 4410, 2640, 1695, 615);
    Shape2[1] = panel(QStringLiteral("Shape2(1)"), darkGrey, 120, 600, 2055, 615);
    Shape2[2] = panel(QStringLiteral("Shape2(2)"), darkGrey, 120, 1440, 2055, 615);
    for (int i = 1; i <= 10; ++i) {
        const int left = 2640 + 1560 * ((i - 1) / 2);
        const int top = i % 2 == 1 ? 600 : 1440;
        Shape1[static_cast<std::size_t>(i)] =
            panel(QStringLiteral("Shape1(%1)").arg(i), lightGrey, left, top, 1455, 615);
    }
    const auto name = [this](const QString& objectName, int top) {
        QLabel* l = label(this, objectName, QString(), 120, top, 2055, 375, arial(14.25),
                          Align::Centre, Fill::Transparent);
        setTextColour(l, highlightText());
        return l;
    };
    Label1 = name(QStringLiteral("Label1"), 720);
    Label2 = name(QStringLiteral("Label2"), 1560);
    for (int i = 1; i <= 10; ++i) {
        const int left = 3120 + 1560 * ((i - 1) / 2);
        const int top = i % 2 == 1 ? 600 : 1440;
        QLabel* l = label(this, QStringLiteral("Label3(%1)").arg(i), QString::number((i + 1) / 2),
                          left, top, 495, 495, arial(24), Align::Centre, Fill::Transparent);
        l->setWordWrap(false);
        Label3[static_cast<std::size_t>(i)] = l;
        setMarker(i, Mark::Number, false);
    }
    Label5 = label(this, QStringLiteral("Label5"), QString(), 4530, 2760, 1455, 375, arial(14.25),
                   Align::Centre, Fill::Transparent);
    setTextColour(Label5, highlightText());
    Label6 = label(this, QStringLiteral("Label6"), QStringLiteral("TOTAL"), 4935, 3240, 615, 255,
                   arial(9.75), Align::Left, Fill::Transparent);
    setFocus();

    // Opening steps.
    GameState& s = console.state;
    s.SuddenDeath = false;
    console.sound.clip(QStringLiteral("finalround.wav"), WavPlayer::Mode::Sync);
    // The two lowest slots still in; a game always reaches the final with at least two.
    int found = 0;
    for (int i = 1; i <= GameState::kSlots && found < 2; ++i)
        if (!s.PlayerOut[i])
            finalistSlot_[static_cast<std::size_t>(++found)] = i;
    for (int i = 1; found < 2; ++i)
        if (i != finalistSlot_[1])
            finalistSlot_[static_cast<std::size_t>(++found)] = i;
    for (int k = 1; k <= 2; ++k) {
        const int slot = finalistSlot_[static_cast<std::size_t>(k)];
        s.FinalistNames[static_cast<std::size_t>(k)] = s.PlayerNames[slot];
        // By the finalist's own slot: names need not be unique.
        s.FinalistScores[static_cast<std::size_t>(k)] = rules::finalistScore(s, slot);
    }
    const int strongest = s.FinalistScores[1] >= s.FinalistScores[2] ? 1 : 2;
    const bool goesFirst = console.dialogs.yesNo(
        s.FinalistNames[static_cast<std::size_t>(strongest)] +
            QStringLiteral(", since you were the strongest link from the last round,\nyou can "
                           "decide if you want to go first."),
        QStringLiteral("Who goes first?"));
    top_ = goesFirst ? strongest : 3 - strongest;
    setFittedText(Label1, s.FinalistNames[static_cast<std::size_t>(top_)], 14.25, 7);
    setFittedText(Label2, s.FinalistNames[static_cast<std::size_t>(3 - top_)], 14.25, 7);
    console.sound.clip(QStringLiteral("choice.wav"), WavPlayer::Mode::Sync);
    s.FinalRightAnswers = {0, 0, 0};
    s.FinalQuestionsLeft = {0, 5, 5};
    setMarker(1, Mark::Number, true);
    Label5->setText(rules::money(s.TotalBank));
}

void Finalround::keyPressEvent(QKeyEvent* event) {
    if (!isVisible())
        return;
    const QString text = event->text();
    if (!text.isEmpty())
        handleKey(text.at(0));
}

void Finalround::handleKey(QChar key) {
    if (over_)
        return;
    const QChar upper = key.toUpper();
    for (const KeyRow& row : keyTable)
        if (upper == QLatin1Char(row.key)) {
            (this->*row.act)();
            break;
        }
    endOfPress();
}

void Finalround::correct() {
    answer(true);
}

void Finalround::wrong() {
    answer(false);
}

void Finalround::answer(bool right) {
    GameState& s = console.state;
    // Descending, so the marker made current in this pass is not scored again.
    for (int i = 10; i >= 1; --i) {
        if (!marker(i).current)
            continue;
        Shape1[static_cast<std::size_t>(i)]->setFill(right ? red : teal);
        setMarker(i, right ? Mark::Tick : Mark::Cross, false);
        if (i < 10)
            setMarker(i + 1, marker(i + 1).mark, true);
        const auto k = static_cast<std::size_t>(i % 2 == 1 ? top_ : 3 - top_);
        if (right)
            ++s.FinalRightAnswers[k];
        --s.FinalQuestionsLeft[k];
    }
}

void Finalround::endOfPress() {
    GameState& s = console.state;
    if (s.SuddenDeath)
        for (std::size_t k = 1; k <= 2; ++k) {
            s.FinalRightAnswers[k] = std::min(s.FinalRightAnswers[k], 1);
            s.FinalQuestionsLeft[k] = std::max(s.FinalQuestionsLeft[k], 0);
        }
    if (s.FinalQuestionsLeft[1] == 0 && s.FinalQuestionsLeft[2] == 0 &&
        s.FinalRightAnswers[1] == s.FinalRightAnswers[2])
        startSuddenDeath();
    if (const int winner = rules::finalWinner(s); winner != 0)
        announce(winner);
}

void Finalround::startSuddenDeath() {
    GameState& s = console.state;
    s.SuddenDeath = true;
    for (int k = 1; k <= 2; ++k) {
        Shape1[static_cast<std::size_t>(k)]->setFill(lightGrey);
        setMarker(k, Mark::Number, k == 1);
        Label3[static_cast<std::size_t>(k)]->setText(QStringLiteral("1"));
        s.FinalQuestionsLeft[static_cast<std::size_t>(k)] = 1;
        s.FinalRightAnswers[static_cast<std::size_t>(k)] = 0;
    }
    for (int i = 3; i <= 10; ++i) {
        Shape1[static_cast<std::size_t>(i)]->hide();
        Label3[static_cast<std::size_t>(i)]->hide();
    }
}

void Finalround::announce(int winner) {
    over_ = true;
    GameState& s = console.state;
    console.sound.clip(QStringLiteral("gameover.wav"), WavPlayer::Mode::Sync);
    console.dialogs.message(QStringLiteral("That means that ") +
                            s.FinalistNames[static_cast<std::size_t>(winner)] +
                            QStringLiteral(", you are tonight's\nstrongest link, and you go away "
                                           "with ") +
                            rules::money(s.TotalBank) + QStringLiteral(".\n") +
                            s.FinalistNames[static_cast<std::size_t>(3 - winner)] +
                            QStringLiteral(", you leave with nothing."));
    console.dialogs.message(QStringLiteral("Join us next time on The Brackwyn.\nGoodbye!"));
    finish();
}

void Finalround::finish() {
    console.forms.show(QStringLiteral("Opening"));
    console.forms.unload(objectName());
}

void Finalround::closeBox() {
    // Leaving the final unfinished goes back to the start, rather than ending the program.
    over_ = true;
    finish();
}

void Finalround::setMarker(int i, Mark mark, bool current) {
    Marker& m = markers_[static_cast<std::size_t>(i)];
    QLabel* l = Label3[static_cast<std::size_t>(i)];
    if (mark != m.mark || l->text().isEmpty()) {
        if (mark == Mark::Number) {
            l->setFont(arial(24));
            l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            l->setText(QString::number((i + 1) / 2));
        } else {
            l->setFont(markFont());
            l->setAlignment(Qt::AlignCenter);
            l->setText(mark == Mark::Tick ? QStringLiteral("\u2714") : QStringLiteral("\u2718"));
        }
    }
    m.mark = mark;
    m.current = current;
    setTextColour(l, current ? questionGrey : mark == Mark::Number ? black : white);
}
