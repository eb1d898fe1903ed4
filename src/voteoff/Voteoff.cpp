#include "Voteoff.h"

#include "state/GameFormat.h"
#include "state/Rules.h"
#include "ui/Console.h"
#include "ui/Layouts.h"

#include <QLabel>
#include <QPushButton>

using namespace design;

namespace {

// A button caption shows a name as typed: '&' would otherwise mark a shortcut.
QString buttonText(const QString& name) {
    QString text = name;
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

int columnLeft(int slot) {
    return 1200 + 1440 * (slot - 1);
}

} // namespace

Voteoff::Voteoff(Console& c, const GameFormat& f)
    : Form(c, QString::fromLatin1(f.voteoffWindow),
           titleBar(layout::forPlayers(f.players).voteoff.resizable ? Qt::WindowMinMaxButtonsHint
                                                                    : Qt::WindowFlags())),
      format(f) {
    const layout::Voteoff& d = layout::forPlayers(f.players).voteoff;
    setWindowTitle(QString::fromLatin1(d.caption));
    if (d.resizable)
        resize(px(d.width), px(d.height)); // the controls stay where they are designed
    else
        clientSize(this, d.width, d.height);
    oopsButton = new QPushButton(QStringLiteral("Oops"), this);
    oopsButton->setObjectName(QStringLiteral("Command2"));
    oopsButton->setAutoDefault(false);
    place(oopsButton, {120, 4080, 615, 495});
    buildColumns();
    buildHeadings();
    question =
        label(this, QStringLiteral("Label10"), QStringLiteral("Who is the Brackwyn?"),
              {d.headingLeft, 3240, d.headingWidth, 615}, arial(24), Align::Centre, Fill::Opaque);
    oopsButton->setFocus();
    connect(oopsButton, &QPushButton::clicked, this, &Voteoff::oops);
    open();
}

void Voteoff::buildColumns() {
    const auto column = [this](ControlArray<QLabel>& labels, const char* name, int top,
                               double points) {
        const int i = labels.size();
        labels.add(label(this, QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i), QString(),
                         {columnLeft(i), top, 1215, 375}, arial(points), Align::Centre,
                         Fill::Opaque));
    };
    for (auto* labels :
         {&nameLabels, &rightAnswerLabels, &timeUsedLabels, &moneyBankedLabels, &moneyLostLabels})
        labels->add(nullptr);
    eliminateButtons.add(nullptr);
    QWidget* previous = oopsButton;
    for (int i = 1; i <= format.players; ++i) {
        column(nameLabels, "Label1", 120, 12);
        column(rightAnswerLabels, "Label2", 720, 14.25);
        column(timeUsedLabels, "Label3", 1320, 14.25);
        column(moneyBankedLabels, "Label4", 1920, 12);
        column(moneyLostLabels, "Label5", 2520, 12);
        auto* b = new QPushButton(QStringLiteral("Command1"), this);
        b->setObjectName(QStringLiteral("Command1(%1)").arg(i));
        b->setAutoDefault(false);
        b->setEnabled(false);
        place(b, {columnLeft(i), 4080, 1215, 495});
        connect(b, &QPushButton::clicked, this, [this, i] { eliminate(i); });
        setTabOrder(previous, b);
        previous = b;
        eliminateButtons.add(b);
    }
}

void Voteoff::buildHeadings() {
    const std::array<const char*, 4> texts{"Right Answers", "Time Used", "Money Banked",
                                           "Money Lost"};
    for (std::size_t row = 0; row < texts.size(); ++row)
        rowHeadings[row] =
            label(this, QStringLiteral("Label%1").arg(row + 6), QString::fromLatin1(texts[row]),
                  {0, 600 + 600 * static_cast<int>(row), 975, 495}, arial(12, false), Align::Centre,
                  Fill::Opaque);
}

// The opening steps.
void Voteoff::open() {
    console.sound.clip(QStringLiteral("voteoff.wav"), WavPlayer::Mode::Async);
    const GameState& s = console.state;
    for (int i = 1; i <= format.players; ++i) {
        setFittedText(nameLabels[i], s.PlayerNames[i], 12, 7);
        eliminateButtons[i]->setText(buttonText(s.PlayerNames[i]));
        if (s.PlayerOut[i])
            continue;
        rightAnswerLabels[i]->setText(QString::number(s.RightAnswers[i]));
        timeUsedLabels[i]->setText(QString::number(s.TimeUsed[i]));
        moneyBankedLabels[i]->setText(rules::money(s.MoneyBanked[i]));
        moneyLostLabels[i]->setText(rules::money(s.MoneyLost[i]));
        eliminateButtons[i]->setEnabled(rules::canEliminate(format, s, i));
    }
}

void Voteoff::eliminate(int k) {
    GameState& s = console.state;
    if (!rules::canEliminate(format, s, k))
        return;
    if (!console.dialogs.okCancel(QStringLiteral("Are you sure you want to eliminate ") +
                                  s.PlayerNames[k] + QStringLiteral("?")))
        return;
    rules::eliminate(format, s, k);
    // The game-control window is built afresh, unseen, for after the goodbye: its opening hides
    // the names of those out.
    console.forms.load(QString::fromLatin1(format.gameWindow));
    handOver(QString::fromLatin1(format.goodbyeWindow));
}

void Voteoff::oops() {
    handOver(QString::fromLatin1(format.gameWindow));
}

void Voteoff::closeBox() {
    // Closing the table is going back, as "Oops" does: the game must not be left windowless.
    oops();
}
