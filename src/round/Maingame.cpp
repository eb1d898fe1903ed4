#include "Maingame.h"

#include "state/GameFormat.h"
#include "state/Rules.h"
#include "ui/Console.h"
#include "ui/Design.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>

using namespace design;

namespace {

struct Box {
    int left, top, width, height;
};

struct Rung {
    Box label;
    double points;
    Box shape;
};

struct Seat {
    int frameLeft, frameTop, nameLeft, nameTop;
};

// The design of one format's game-control window, in twips.
struct MaingameDesign {
    int width, height;
    Align chainAlign;
    std::array<Rung, 9> rungs;  // 0..top-1
    std::array<Seat, 10> seats; // 1..N
    Box label4, image1, shape10, label11, label5, shape9, label9, label10, shape2, label3, label2;
    const char* label3Caption;
};

const MaingameDesign six{
    11145,
    7560,
    Align::Centre,
    {{{{615, 5073, 975, 375}, 14.25, {360, 4953, 1455, 615}},
      {{600, 4350, 975, 375}, 14.25, {345, 4230, 1455, 615}},
      {{615, 3630, 975, 375}, 14.25, {360, 3510, 1455, 615}},
      {{555, 2913, 1095, 375}, 14.25, {360, 2793, 1455, 615}},
      {{555, 2193, 1095, 375}, 14.25, {360, 2073, 1455, 615}},
      {{480, 1253, 1335, 495}, 18, {240, 993, 1815, 975}}}},
    {{{},
      {2880, 4260, 3000, 4425},
      {3960, 3540, 4080, 3660},
      {5000, 2820, 5120, 2940},
      {6680, 2820, 6800, 2940},
      {7800, 3540, 7920, 3660},
      {8880, 4260, 9000, 4380}}},
    {2280, 5640, 8655, 1695},
    {5040, 120, 2955, 2490},
    {9240, 360, 1455, 615},
    {9315, 480, 1335, 375},
    {9600, 120, 735, 255},
    {120, 5673, 1935, 615},
    {435, 5793, 1335, 375},
    {840, 6313, 615, 255},
    {5685, 4500, 1815, 615},
    {5805, 4620, 1575, 375},
    {6240, 5100, 615, 255},
    "",
};

const MaingameDesign eight{
    11025,
    8160,
    Align::Left,
    {{{{620, 6113, 975, 375}, 14.25, {360, 5993, 1455, 615}},
      {{600, 5400, 975, 375}, 14.25, {345, 5280, 1455, 615}},
      {{615, 4680, 975, 375}, 14.25, {360, 4560, 1455, 615}},
      {{555, 3953, 1095, 375}, 14.25, {360, 3833, 1455, 615}},
      {{555, 3233, 1095, 375}, 14.25, {360, 3113, 1455, 615}},
      {{560, 2513, 1095, 375}, 14.25, {360, 2393, 1455, 615}},
      {{560, 1793, 1095, 375}, 14.25, {360, 1673, 1455, 615}},
      {{360, 853, 1455, 375}, 18, {120, 593, 1935, 975}}}},
    {{{},
      {2040, 4853, 2160, 5018},
      {2760, 4133, 2880, 4253},
      {3720, 3413, 3840, 3533},
      {4920, 2693, 5040, 2813},
      {6600, 2693, 6720, 2813},
      {7800, 3413, 7920, 3533},
      {8880, 4133, 9000, 4253},
      {9480, 4853, 9600, 4973}}},
    {2280, 6000, 8655, 2055},
    {5040, 0, 2955, 2490},
    {9240, 240, 1455, 615},
    {9315, 360, 1335, 375},
    {9600, 0, 735, 255},
    {120, 6713, 1935, 615},
    {440, 6833, 1335, 375},
    {840, 7313, 615, 255},
    {5565, 4373, 1815, 615},
    {5685, 4493, 1575, 375},
    {6160, 4973, 615, 255},
    "",
};

const MaingameDesign nine{
    12735,
    8535,
    Align::Centre,
    {{{{615, 6600, 975, 375}, 14.25, {360, 6480, 1455, 615}},
      {{600, 5880, 975, 375}, 14.25, {345, 5760, 1455, 615}},
      {{615, 5160, 975, 375}, 14.25, {360, 5040, 1455, 615}},
      {{555, 4440, 1095, 375}, 14.25, {360, 4320, 1455, 615}},
      {{555, 3720, 1095, 375}, 14.25, {360, 3600, 1455, 615}},
      {{555, 3000, 1095, 375}, 14.25, {360, 2880, 1455, 615}},
      {{555, 2280, 1095, 375}, 14.25, {360, 2160, 1455, 615}},
      {{360, 1560, 1455, 375}, 14.25, {360, 1440, 1455, 615}},
      {{480, 675, 1335, 495}, 18, {120, 480, 2055, 855}}}},
    {{{},
      {2040, 5280, 2160, 5385},
      {2760, 4500, 2880, 4620},
      {3720, 3780, 3840, 3900},
      {4680, 3060, 4800, 3180},
      {6360, 2820, 6480, 2940},
      {8040, 3060, 8160, 3180},
      {9240, 3780, 9360, 3900},
      {10320, 4500, 10440, 4620},
      {11040, 5280, 11160, 5385}}},
    {2280, 6120, 10335, 2055},
    {5640, 120, 2955, 2490},
    {11160, 480, 1455, 615},
    {11235, 600, 1335, 375},
    {11520, 240, 735, 255},
    {120, 7200, 1935, 615},
    {435, 7320, 1335, 375},
    {840, 7800, 615, 255},
    {6165, 4140, 1815, 615},
    {6285, 4260, 1575, 375},
    {6765, 4740, 615, 255},
    "$0",
};

const MaingameDesign& designFor(int players) {
    return players == 6 ? six : players == 8 ? eight : nine;
}

void place(QWidget* w, const Box& b) {
    design::place(w, b.left, b.top, b.width, b.height);
}

Panel* panel(QWidget* parent, const QString& name, const QColor& fill, const Box& b) {
    auto* p = new Panel(parent, name, fill);
    place(p, b);
    return p;
}

QLabel* label(QWidget* parent, const QString& name, const QString& text, const Box& b,
              double points, Align align, Fill fill = Fill::Transparent) {
    return design::label(parent, name, text, b.left, b.top, b.width, b.height, arial(points), align,
                         fill);
}

const QString startPrompt = QStringLiteral("Press 'S' to start the round");
const QString runningPrompt =
    QStringLiteral("Press 'C' for each correct answer\n'W' for a wrong answer\n'B' to bank");
const QString finalPrompt = QStringLiteral("Press 'F' to go to the final round");
const QString voteOffPrompt = QStringLiteral("Press 'V' to proceed to the Vote-Off window");

} // namespace

const std::array<Maingame::KeyRow, 12> Maingame::keyTable{{
    {'S', &Maingame::clockStopped, &Maingame::startRound},
    {'C', &Maingame::clockRunning, &Maingame::correct},
    {'B', &Maingame::clockRunning, &Maingame::bank},
    {'W', &Maingame::always, &Maingame::wrong},
    {'T', &Maingame::clockStopped, &Maingame::toggleTotal},
    {'H', &Maingame::always, &Maingame::toggleClock},
    {'1', &Maingame::clockStopped, &Maingame::chainUp},
    {'2', &Maingame::clockStopped, &Maingame::chainToBottom},
    {'3', &Maingame::clockStopped, &Maingame::bankWithoutPlayer},
    {'4', &Maingame::clockStopped, &Maingame::clearBank},
    {'V', &Maingame::beforeLastRound, &Maingame::goToVoteOff},
    {'F', &Maingame::afterLastRound, &Maingame::goToFinal},
}};

Maingame::Maingame(Console& c, const GameFormat& f)
    : Form(c, QString::fromLatin1(f.gameWindow),
           Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      format(f) {
    const MaingameDesign& d = designFor(f.players);
    setWindowTitle(QStringLiteral("The Brackwyn Game Control"));
    // Every key must reach the key handler, so the window alone takes the focus.
    setFocusPolicy(Qt::StrongFocus);

    menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("menuBar"));
    menuBar->setFocusPolicy(Qt::NoFocus);
    menuBar->setNativeMenuBar(false);
    Quit = menuBar->addAction(QStringLiteral("Start Over"));
    Quit->setObjectName(QStringLiteral("Quit"));
    About = menuBar->addAction(QStringLiteral("About..."));
    About->setObjectName(QStringLiteral("About"));

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
    for (int i = 0; i < f.top; ++i)
        Shape1.push_back(panel(client, QStringLiteral("Shape1(%1)").arg(i), i == 0 ? red : teal,
                               d.rungs[static_cast<std::size_t>(i)].shape));
    Playerframe.push_back(nullptr);
    for (int i = 1; i <= f.players; ++i) {
        const Seat& seat = d.seats[static_cast<std::size_t>(i)];
        Playerframe.push_back(panel(client, QStringLiteral("Playerframe(%1)").arg(i), teal,
                                    {seat.frameLeft, seat.frameTop, 1455, 615}));
    }
    Shape10 = panel(client, QStringLiteral("Shape10"), teal, d.shape10);
    Shape9 = panel(client, QStringLiteral("Shape9"), darkGrey, d.shape9);
    Shape2 = panel(client, QStringLiteral("Shape2"), darkGrey, d.shape2);
    Image1 = new Picture(client, QStringLiteral("Image1"));
    place(Image1, d.image1);

    for (int i = 0; i < f.top; ++i) {
        const Rung& r = d.rungs[static_cast<std::size_t>(i)];
        QLabel* l = label(client, QStringLiteral("Label1(%1)").arg(i), rules::money(f.chain[i + 1]),
                          r.label, r.points, d.chainAlign);
        setTextColour(l, i == 0 ? highlightText() : black);
        fitCaption(l);
        Label1.push_back(l);
    }
    PlayerName.push_back(nullptr);
    for (int i = 1; i <= f.players; ++i) {
        const Seat& seat = d.seats[static_cast<std::size_t>(i)];
        QLabel* l = label(client, QStringLiteral("PlayerName(%1)").arg(i), QString(),
                          {seat.nameLeft, seat.nameTop, 1215, 375}, 12, Align::Centre);
        setTextColour(l, black);
        PlayerName.push_back(l);
    }
    Label4 = label(client, QStringLiteral("Label4"), startPrompt, d.label4, 24, Align::Centre,
                   Fill::Opaque);
    Label11 = label(client, QStringLiteral("Label11"), QString(), d.label11, 15.75, Align::Centre);
    Label5 = label(client, QStringLiteral("Label5"), QStringLiteral("TIME"), d.label5, 9.75,
                   Align::Centre);
    Label9 = label(client, QStringLiteral("Label9"), QStringLiteral("$0"), d.label9, 14.25,
                   Align::Centre);
    setTextColour(Label9, highlightText());
    Label10 = label(client, QStringLiteral("Label10"), QStringLiteral("BANK"), d.label10, 9.75,
                    Align::Left);
    Label3 = label(client, QStringLiteral("Label3"), QString::fromLatin1(d.label3Caption), d.label3,
                   14.25, Align::Centre);
    setTextColour(Label3, highlightText());
    Label2 = label(client, QStringLiteral("Label2"), QStringLiteral("TOTAL"), d.label2, 9.75,
                   Align::Left);
    for (QWidget* w : {static_cast<QWidget*>(Shape2), static_cast<QWidget*>(Label3),
                       static_cast<QWidget*>(Label2)})
        w->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(1000);

    connect(Timer1, &QTimer::timeout, this, &Maingame::tick);
    connect(Quit, &QAction::triggered, this, &Maingame::startOver);
    connect(About, &QAction::triggered, this, &Maingame::showAbout);

    // Opening steps: they run every time the window is built.
    GameState& s = state();
    Image1->load(titlePicture);
    if (!s.ShowClock)
        for (QWidget* w : {static_cast<QWidget*>(Shape10), static_cast<QWidget*>(Label11),
                           static_cast<QWidget*>(Label5)})
            w->hide();
    for (int i = 1; i <= f.players; ++i) {
        if (s.PlayerOut[i])
            PlayerName[static_cast<std::size_t>(i)]->hide();
        setFittedText(PlayerName[static_cast<std::size_t>(i)], s.PlayerNames[i], 12, 7);
    }
    s.ChainLevel = 0;
    s.RoundBank = 0;
    // The synthesiser gets ready now, long before the first clock has to start.
    console.sound.prepareMusic();
    setFocus();
}

GameState& Maingame::state() {
    return console.state;
}

bool Maingame::clockRunning() const {
    return Timer1->isActive();
}

bool Maingame::beforeLastRound() const {
    return clockStopped() && console.state.RoundNumber < format.lastRound;
}

bool Maingame::afterLastRound() const {
    return clockStopped() && console.state.RoundNumber >= format.lastRound;
}

void Maingame::keyPressEvent(QKeyEvent* event) {
    // Keys queued for a window that has since handed over must not act on the game.
    if (!isVisible())
        return;
    const QString text = event->text();
    if (text.size() == 1)
        handleKey(text.at(0));
}

void Maingame::handleKey(QChar key) {
    const QChar upper = key.toUpper();
    for (const KeyRow& row : keyTable)
        if (upper == QLatin1Char(row.key) && (this->*row.allowed)()) {
            (this->*row.act)();
            return;
        }
}

void Maingame::unloading() {
    Timer1->stop();
}

void Maingame::startRound() {
    GameState& s = state();
    const int round = s.RoundNumber + 1;
    const int seconds = rules::clockSeconds(format, round);
    // Far past the last round the clock would start at zero and never end the round.
    if (seconds <= 0)
        return;

    s.RoundNumber = round;
    s.CurrentPlayer = rules::startingPlayer(format, s, round);
    s.ClockSeconds = seconds;
    Label11->setText(QString::number(s.ClockSeconds));

    const QString& name = s.PlayerNames[s.CurrentPlayer];
    if (round == 1)
        console.dialogs.message(
            QStringLiteral("We'll start with the player in the\nfirst position, that's ") + name +
            QStringLiteral("..."));
    else
        console.dialogs.message(
            QStringLiteral("We'll start with the strongest link from\nthe last round, that's ") +
            name + QStringLiteral("..."));
    console.sound.clip(QStringLiteral("letsplay.wav"), WavPlayer::Mode::Async);
    console.dialogs.message(QStringLiteral("Let's play... The Brackwyn!"));

    s.clearStatistics(format.players);
    // Only the starting player is lit, also when a round follows another in the same window.
    for (int i = 1; i <= format.players; ++i)
        setNameCurrent(i, i == s.CurrentPlayer);
    s.ChainLevel = 0;
    resetChain();
    s.RoundBank = 0;
    showBank();
    console.sound.clip(rules::startClockClip(format, round), WavPlayer::Mode::Async);
    console.sound.music(rules::musicFile(format, round));
    Timer1->start();
    Label4->setText(runningPrompt);
}

void Maingame::correct() {
    GameState& s = state();
    bump(s.ChainLevel);
    bump(s.RightAnswers[s.CurrentPlayer]);
    passTurn();
    chainStep(s.ChainLevel);
}

void Maingame::bank() {
    GameState& s = state();
    const std::int64_t value = rules::bankValue(format, s.ChainLevel);
    s.RoundBank += value;
    s.MoneyBanked[s.CurrentPlayer] += value;
    if (s.RoundBank >= format.target) {
        s.RoundBank = format.target;
        showBank();
        console.sound.StopMidi();
        Timer1->stop();
        endRound(QStringLiteral("You reached the target!"));
    }
    showBank();
    s.ChainLevel = 0;
    resetChain();
}

void Maingame::wrong() {
    GameState& s = state();
    // Before the first round of the run there is nobody whose turn could pass.
    if (s.CurrentPlayer < 1 || s.CurrentPlayer > format.players)
        return;
    s.MoneyLost[s.CurrentPlayer] += rules::lostValue(format, s.ChainLevel);
    s.ChainLevel = 0;
    passTurn();
    resetChain();
}

void Maingame::toggleTotal() {
    if (Shape2->isHidden()) {
        Shape2->show();
        Label2->show();
        Label3->setText(rules::money(state().TotalBank));
        Label3->show();
    } else {
        Shape2->hide();
        Label2->hide();
        Label3->hide();
    }
}

void Maingame::toggleClock() {
    const bool show = Label11->isHidden();
    for (QWidget* w : {static_cast<QWidget*>(Label11), static_cast<QWidget*>(Shape10),
                       static_cast<QWidget*>(Label5)})
        w->setVisible(show);
}

void Maingame::chainUp() {
    GameState& s = state();
    bump(s.ChainLevel);
    if (s.ChainLevel < format.top) {
        chainStep(s.ChainLevel);
    } else if (s.ChainLevel == format.top) {
        s.RoundBank = format.target;
        showBank();
    }
}

void Maingame::chainToBottom() {
    state().ChainLevel = 0;
    resetChain();
}

void Maingame::bankWithoutPlayer() {
    GameState& s = state();
    s.RoundBank += rules::hostBankValue(format, s.ChainLevel);
    if (s.RoundBank > format.target)
        s.RoundBank = format.target;
    s.ChainLevel = 0;
    resetChain();
    showBank();
}

void Maingame::clearBank() {
    state().RoundBank = 0;
    showBank();
}

void Maingame::goToVoteOff() {
    handOver(QString::fromLatin1(format.voteoffWindow));
}

void Maingame::goToFinal() {
    handOver(QStringLiteral("Finalround"));
}

void Maingame::handOver(const QString& window) {
    if (!console.forms.has(window))
        return;
    console.forms.show(window);
    console.forms.unload(objectName());
}

void Maingame::startOver() {
    if (!console.dialogs.okCancel(QStringLiteral("Do you really want to exit this game?")))
        return;
    console.sound.StopMidi();
    GameState& s = state();
    for (int i = 1; i <= format.players; ++i)
        s.PlayerOut[i] = false;
    s.clearStatistics(format.players);
    console.forms.show(QStringLiteral("Opening"));
    console.forms.unload(objectName());
}

void Maingame::showAbout() {
    console.forms.show(QStringLiteral("frmAbout"));
}

void Maingame::tick() {
    if (!clockRunning())
        return;
    GameState& s = state();
    --s.ClockSeconds;
    bump(s.TimeUsed[s.CurrentPlayer]);
    Label11->setText(QString::number(s.ClockSeconds));
    if (s.ClockSeconds <= 0) {
        Timer1->stop();
        endRound(QStringLiteral("Time is up."));
    }
}

void Maingame::endRound(const QString& message) {
    GameState& s = state();
    if (s.RoundNumber == format.lastRound)
        s.RoundBank *= format.multiplier;
    s.TotalBank += s.RoundBank;
    // A TOTAL already on show follows the prize fund rather than keep a stale amount.
    if (!Shape2->isHidden())
        Label3->setText(rules::money(s.TotalBank));
    console.dialogs.message(message);
    Label4->setText(s.RoundNumber >= format.lastRound ? finalPrompt : voteOffPrompt);
}

void Maingame::passTurn() {
    GameState& s = state();
    setNameCurrent(s.CurrentPlayer, false);
    s.CurrentPlayer = rules::nextPlayer(format, s, s.CurrentPlayer);
    setNameCurrent(s.CurrentPlayer, true);
}

void Maingame::chainStep(int level) {
    if (level == 1) {
        setLinkCurrent(0, false);
        setLinkCurrent(1, true);
    } else if (level >= 2 && level < format.top) {
        setLinkCurrent(level - 1, false);
        const ChainPosition p = rules::droppedPosition(format, level);
        dropLink(level - 1, p.shapeTop, p.labelTop);
        setLinkCurrent(level, true);
    } else if (level == format.top) {
        dropLink(format.top - 1, format.topDrop.shapeTop, format.topDrop.labelTop);
    }
}

void Maingame::resetChain() {
    for (int i = 1; i < format.top; ++i) {
        setLinkCurrent(i, false);
        const ChainPosition& home = format.home[static_cast<std::size_t>(i)];
        dropLink(i, home.shapeTop, home.labelTop);
    }
    setLinkCurrent(0, true);
}

void Maingame::dropLink(int link, int shapeTop, int labelTop) {
    moveTop(Shape1[static_cast<std::size_t>(link)], shapeTop);
    moveTop(Label1[static_cast<std::size_t>(link)], labelTop);
}

void Maingame::setLinkCurrent(int link, bool current) {
    Shape1[static_cast<std::size_t>(link)]->setFill(current ? red : teal);
    setTextColour(Label1[static_cast<std::size_t>(link)], current ? highlightText() : black);
}

void Maingame::setNameCurrent(int slot, bool current) {
    if (slot < 1 || slot > format.players)
        return;
    setTextColour(PlayerName[static_cast<std::size_t>(slot)], current ? white : black);
}

void Maingame::showBank() {
    Label9->setText(rules::money(state().RoundBank));
}
