#include "Maingame.h"

#include "state/GameFormat.h"
#include "state/Rules.h"
#include "ui/Console.h"
#include "ui/Layouts.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

using namespace design;

namespace {

const QString startPrompt = QStringLiteral("Press 'S' to start the round");
const QString runningPrompt =
    QStringLiteral("Press 'C' for each correct answer\n'W' for a wrong answer\n'B' to bank");
const QString finalPrompt = QStringLiteral("Press 'F' to go to the final round");
const QString voteOffPrompt = QStringLiteral("Press 'V' to proceed to the Vote-Off window");

void setShown(std::initializer_list<QWidget*> widgets, bool shown) {
    for (QWidget* w : widgets)
        w->setVisible(shown);
}

} // namespace

Maingame::Maingame(Console& c, const GameFormat& f)
    : Form(c, QString::fromLatin1(f.gameWindow), titleBar(Qt::WindowMinimizeButtonHint)), format(f),
      state_(c.state), round_(c.state, f, &c.notices) {
    const layout::Game& d = layout::forPlayers(f.players).game;
    setWindowTitle(QStringLiteral("The Brackwyn Game Control"));
    // Every key must reach the key handler, so the window alone takes the focus.
    setFocusPolicy(Qt::StrongFocus);
    buildMenu();
    client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFocusPolicy(Qt::NoFocus);
    clientSize(client, d.width, d.height);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setMenuBar(menuBar);
    layout->addWidget(client);
    // Panels first: the labels created after them are drawn in front.
    buildPanels(d);
    buildChainAndSeats(d);
    buildDisplays(d);
    open();
}

void Maingame::buildMenu() {
    menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    menuBar->setFocusPolicy(Qt::NoFocus);
    menuBar->setNativeMenuBar(false);
    startOverAction = menuBar->addAction(QStringLiteral("Start Over"));
    startOverAction->setObjectName(QStringLiteral("Quit"));
    aboutAction = menuBar->addAction(QStringLiteral("About..."));
    aboutAction->setObjectName(QStringLiteral("About"));
    connect(startOverAction, &QAction::triggered, this, &Maingame::startOver);
    connect(aboutAction, &QAction::triggered, this, [this] { console.forms.show(windows::about); });
}

void Maingame::buildPanels(const layout::Game& d) {
    for (int i = 0; i < format.top; ++i)
        linkBoxes.add(panel(client, QStringLiteral("Shape1(%1)").arg(i), teal, d.rungs.at(i).box));
    seatFrames.add(nullptr);
    for (int i = 1; i <= format.players; ++i) {
        const layout::Seat& seat = d.seats.at(i);
        seatFrames.add(panel(client, QStringLiteral("Playerframe(%1)").arg(i), teal,
                             {seat.frameLeft, seat.frameTop, 1455, 615}));
    }
    clockPanel = panel(client, QStringLiteral("Shape10"), teal, d.clockPanel);
    bankPanel = panel(client, QStringLiteral("Shape9"), darkGrey, d.bankPanel);
    totalPanel = panel(client, QStringLiteral("Shape2"), darkGrey, d.totalPanel);
    picture = new Picture(client, QStringLiteral("Image1"));
    place(picture, d.picture);
}

void Maingame::buildChainAndSeats(const layout::Game& d) {
    for (int i = 0; i < format.top; ++i) {
        const layout::Rung& r = d.rungs.at(i);
        QLabel* l =
            label(client, QStringLiteral("Label1(%1)").arg(i), rules::money(format.chain.at(i + 1)),
                  r.caption, arial(r.points), d.chainAlign);
        fitCaption(l);
        linkCaptions.add(l);
        setLinkCurrent(i, i == 0);
    }
    nameLabels.add(nullptr);
    for (int i = 1; i <= format.players; ++i) {
        const layout::Seat& seat = d.seats.at(i);
        QLabel* l = label(client, QStringLiteral("PlayerName(%1)").arg(i), QString(),
                          {seat.nameLeft, seat.nameTop, 1215, 375}, arial(12), Align::Centre);
        setTextColour(l, black);
        nameLabels.add(l);
    }
}

void Maingame::buildDisplays(const layout::Game& d) {
    prompt = label(client, QStringLiteral("Label4"), startPrompt, d.prompt, arial(24),
                   Align::Centre, Fill::Opaque);
    clockDigits = label(client, QStringLiteral("Label11"), QString(), d.clockDigits, arial(15.75),
                        Align::Centre);
    timeWord = label(client, QStringLiteral("Label5"), QStringLiteral("TIME"), d.timeWord,
                     arial(9.75), Align::Centre);
    bankAmount = label(client, QStringLiteral("Label9"), QStringLiteral("$0"), d.bankAmount,
                       arial(14.25), Align::Centre);
    setTextColour(bankAmount, highlightText);
    bankWord = label(client, QStringLiteral("Label10"), QStringLiteral("BANK"), d.bankWord,
                     arial(9.75), Align::Left);
    totalAmount = label(client, QStringLiteral("Label3"), QString::fromLatin1(d.totalCaption),
                        d.totalAmount, arial(14.25), Align::Centre);
    setTextColour(totalAmount, highlightText);
    totalWord = label(client, QStringLiteral("Label2"), QStringLiteral("TOTAL"), d.totalWord,
                      arial(9.75), Align::Left);
    setShown({totalPanel, totalAmount, totalWord}, false);
    roundClock = new QTimer(this);
    roundClock->setObjectName(QStringLiteral("Timer1"));
    roundClock->setTimerType(Qt::PreciseTimer);
    roundClock->setInterval(1000);
    connect(roundClock, &QTimer::timeout, this, &Maingame::tick);
}

// The opening steps: they run every time the window is built.
void Maingame::open() {
    picture->load(titlePicture);
    if (!state_.ShowClock)
        setShown({clockPanel, clockDigits, timeWord}, false);
    for (int i = 1; i <= format.players; ++i) {
        if (state_.PlayerOut[i])
            nameLabels[i]->hide();
        setFittedText(nameLabels[i], state_.PlayerNames[i], 12, 7);
    }
    round_.open();
    // The next round's clips and instruments get ready now, long before its clock.
    const int next = state_.RoundNumber + 1;
    console.sound.prepareClips({QStringLiteral("letsplay.wav"), rules::startClockClip(format, next)});
    console.sound.prepareMusic(rules::musicFile(format, next));
    setFocus();
}

void Maingame::keyPressEvent(QKeyEvent* event) {
    // Keys queued for a window that has since handed over must not act on the game.
    if (!isVisible())
        return;
    const QString text = typed(event);
    if (text.size() == 1)
        handleKey(text.at(0));
}

void Maingame::handleKey(QChar key) {
    const RoundEngine::KeyRow* row = round_.rowFor(key);
    if (row == nullptr)
        return;
    if (row->rule != nullptr)
        return draw((round_.*row->rule)());
    switch (row->action) {
    case RoundEngine::Action::StartRound:
        return startRound();
    case RoundEngine::Action::ToggleTotal:
        return toggleTotal();
    case RoundEngine::Action::ToggleClock:
        return toggleClock();
    case RoundEngine::Action::VoteOff:
        handOver(QString::fromLatin1(format.voteoffWindow));
        return;
    case RoundEngine::Action::Final:
        handOver(windows::finalRound);
        return;
    case RoundEngine::Action::QuestionCard:
        return console.showQuestionCard();
    default: // every other row has its rule
        return;
    }
}

void Maingame::unloading() {
    roundClock->stop();
}

void Maingame::startRound() {
    if (!round_.start())
        return;
    clockDigits->setText(QString::number(state_.ClockSeconds));
    const QString& name = state_.PlayerNames[state_.CurrentPlayer];
    if (state_.RoundNumber == 1)
        console.dialogs.message(
            QStringLiteral("We'll start with the player in the\nfirst position, that's ") + name +
            QStringLiteral("..."));
    else
        console.dialogs.message(
            QStringLiteral("We'll start with the strongest link from\nthe last round, that's ") +
            name + QStringLiteral("..."));
    console.sound.clip(QStringLiteral("letsplay.wav"), WavPlayer::Mode::Async);
    console.dialogs.message(QStringLiteral("Let's play... The Brackwyn!"));
    draw(round_.play());
    console.sound.clip(rules::startClockClip(format, state_.RoundNumber), WavPlayer::Mode::Async);
    console.sound.music(rules::musicFile(format, state_.RoundNumber));
    syncClock();
    prompt->setText(runningPrompt);
}

void Maingame::toggleTotal() {
    const bool show = round_.toggleTotal();
    if (show)
        totalAmount->setText(rules::money(state_.TotalBank));
    setShown({totalPanel, totalWord, totalAmount}, show);
}

void Maingame::toggleClock() {
    setShown({clockDigits, clockPanel, timeWord}, round_.toggleClock());
}

void Maingame::startOver() {
    if (!console.dialogs.okCancel(QStringLiteral("Do you really want to exit this game?")))
        return;
    console.sound.StopMidi();
    round_.startOver();
    handOver(windows::opening);
}

void Maingame::tick() {
    draw(round_.tick());
}

void Maingame::draw(const RoundChange& change) {
    if (change.clockShown)
        clockDigits->setText(QString::number(state_.ClockSeconds));
    if (change.end != RoundEnd::None)
        announceEnd(change);
    if (change.bankShown)
        showBank();
    if (change.chainReset)
        drawChain();
    drawStep(change.step);
    if (change.turnPassed)
        showCurrentPlayer();
}

void Maingame::announceEnd(const RoundChange& change) {
    if (change.end == RoundEnd::TargetReached)
        bankAmount->setText(rules::money(change.bankAtEnd));
    if (change.stopMusic)
        console.sound.StopMidi();
    syncClock();
    // A TOTAL already on show follows the prize fund rather than keep a stale amount.
    if (round_.totalShown())
        totalAmount->setText(rules::money(state_.TotalBank));
    console.dialogs.message(change.end == RoundEnd::TimeUp
                                ? QStringLiteral("Time is up.")
                                : QStringLiteral("You reached the target!"));
    prompt->setText(round_.finalIsNext() ? finalPrompt : voteOffPrompt);
}

void Maingame::syncClock() {
    if (round_.clockRunning() && !roundClock->isActive())
        roundClock->start();
    else if (!round_.clockRunning())
        roundClock->stop();
}

void Maingame::showCurrentPlayer() {
    for (int i = 1; i <= format.players; ++i)
        setTextColour(nameLabels[i], i == state_.CurrentPlayer ? white : black);
}

void Maingame::showBank() {
    bankAmount->setText(rules::money(state_.RoundBank));
}

void Maingame::drawStep(const ChainStep& step) {
    if (step.passedLink >= 0)
        setLinkCurrent(step.passedLink, false);
    if (step.droppedLink >= 0)
        moveLink(step.droppedLink, step.drop);
    if (step.currentLink >= 0)
        setLinkCurrent(step.currentLink, true);
}

// From home, up the steps the correct answers took to ChainLevel: an undo lands anywhere.
void Maingame::drawChain() {
    for (int i = 1; i < format.top; ++i) {
        setLinkCurrent(i, false);
        moveLink(i, format.home.at(i));
    }
    setLinkCurrent(0, true);
    for (int level = 1; level <= std::min(state_.ChainLevel, format.top); ++level)
        drawStep(rules::chainStep(format, level));
}

void Maingame::moveLink(int link, const ChainPosition& to) {
    moveTop(linkBoxes[link], to.shapeTop);
    moveTop(linkCaptions[link], to.labelTop);
}

void Maingame::setLinkCurrent(int link, bool current) {
    linkBoxes[link]->setFill(current ? red : teal);
    setTextColour(linkCaptions[link], current ? white : black);
}
