#include "Names.h"

#include "state/GameFormat.h"
#include "ui/Console.h"
#include "ui/Design.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <limits>

using namespace design;

namespace {

struct Box {
    int left, top, width, height;
};

// Per-format design: where the name rows start and the boxes of the option column.
struct NamesDesign {
    int width, height;
    int rows;                     // names per column
    std::array<int, 4> labelTops; // the box sits 240 twips below its label
    Box frame, hidden, visible, wav, midi, play, cancel;
};

const NamesDesign& designFor(int players) {
    static const NamesDesign six{4680,
                                 2970,
                                 3,
                                 {495, 1215, 1935, 0},
                                 {3240, 150, 1335, 1095},
                                 {3360, 390, 1095, 375},
                                 {3360, 750, 1095, 375},
                                 {3240, 1320, 1215, 255},
                                 {3240, 1560, 1215, 255},
                                 {3240, 1950, 1335, 375},
                                 {3240, 2430, 1335, 375}};
    static const NamesDesign eight{4680,
                                   3015,
                                   4,
                                   {120, 840, 1560, 2280},
                                   {3240, 120, 1335, 1095},
                                   {3360, 360, 1095, 375},
                                   {3360, 720, 1095, 375},
                                   {3240, 1320, 1215, 255},
                                   {3240, 1560, 1215, 255},
                                   {3240, 1920, 1335, 375},
                                   {3240, 2400, 1335, 375}};
    static const NamesDesign nine{6375,
                                  2865,
                                  3,
                                  {375, 1095, 1815, 0},
                                  {4920, 30, 1335, 1095},
                                  {5040, 270, 1095, 375},
                                  {5040, 630, 1095, 375},
                                  {4920, 1200, 1215, 255},
                                  {4920, 1440, 1215, 255},
                                  {4920, 1830, 1335, 375},
                                  {4920, 2310, 1335, 375}};
    return players == 6 ? six : players == 8 ? eight : nine;
}

void place(QWidget* w, const Box& b) {
    design::place(w, b.left, b.top, b.width, b.height);
}

} // namespace

Names::Names(Console& c, const GameFormat& f)
    : Form(c, QString::fromLatin1(f.namesWindow),
           Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
               Qt::WindowCloseButtonHint),
      format(f) {
    const NamesDesign& d = designFor(f.players);
    setWindowTitle(QStringLiteral("Let's Meet the Team"));
    clientSize(this, d.width, d.height);

    // Drawn first so the option buttons lie in front of it.
    Frame1 = new QGroupBox(QStringLiteral("Timer"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    place(Frame1, d.frame);

    Text1.push_back(nullptr);
    for (int i = 1; i <= f.players; ++i) {
        const int column = (i - 1) / d.rows;
        const int row = (i - 1) % d.rows;
        const int left = 120 + 1680 * column;
        const int top = d.labelTops[static_cast<std::size_t>(row)];
        Label1.push_back(label(this, QStringLiteral("Label1(%1)").arg(i - 1),
                               QStringLiteral("Player %1").arg(i), left, top, 1215, 255,
                               windowFont(), Align::Left, Fill::Opaque));
        auto* t = new QLineEdit(this);
        t->setObjectName(QStringLiteral("Text1(%1)").arg(i));
        t->setMaxLength(std::numeric_limits<int>::max());
        design::place(t, left, top + 240, 1215, 285);
        Text1.push_back(t);
    }

    Option1Hidden = new QRadioButton(QStringLiteral("Hidden"), this);
    Option1Hidden->setObjectName(QStringLiteral("Option1(1)"));
    place(Option1Hidden, d.hidden);
    Option1Visible = new QRadioButton(QStringLiteral("Visible"), this);
    Option1Visible->setObjectName(QStringLiteral("Option1(0)"));
    place(Option1Visible, d.visible);
    auto* clockGroup = new QButtonGroup(this);
    clockGroup->addButton(Option1Hidden);
    clockGroup->addButton(Option1Visible);
    Option1Hidden->setChecked(true);

    Check1 = new QCheckBox(QStringLiteral("WAV"), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    place(Check1, d.wav);
    Check1->setChecked(true);
    Check2 = new QCheckBox(QStringLiteral("MIDI"), this);
    Check2->setObjectName(QStringLiteral("Check2"));
    place(Check2, d.midi);
    Check2->setChecked(true);

    Command1 = new QPushButton(QStringLiteral("Let's Play!"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    // "Let's Play!" is the default button: Enter presses it unless another button has the focus.
    setDefaultButton(Command1);
    place(Command1, d.play);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setAutoDefault(false);
    place(Command2, d.cancel);

    std::vector<QWidget*> focusOrder(Text1.begin() + 1, Text1.end());
    focusOrder.insert(focusOrder.end(),
                      {Option1Hidden, Option1Visible, Check1, Command1, Command2, Check2});
    for (std::size_t i = 1; i < focusOrder.size(); ++i)
        setTabOrder(focusOrder[i - 1], focusOrder[i]);
    Text1[1]->setFocus();

    connect(Command1, &QPushButton::clicked, this, &Names::letsPlay);
    connect(Command2, &QPushButton::clicked, this, &Names::cancel);
}

void Names::letsPlay() {
    GameState& s = console.state;
    s.RoundNumber = 0;
    s.TotalBank = 0;
    for (int i = 1; i <= format.players; ++i) {
        s.PlayerNames[i] = Text1[static_cast<std::size_t>(i)]->text();
        // A game after a final starts with everybody in, as after Start Over.
        s.PlayerOut[i] = false;
    }
    // Nor may the last game's figures show in a vote-off before the first round.
    s.clearStatistics(format.players);
    s.ShowClock = Option1Visible->isChecked();
    s.UseWav = Check1->checkState() == Qt::Checked;
    s.UseMidi = Check2->checkState() == Qt::Checked;
    console.forms.show(QString::fromLatin1(format.gameWindow));
    console.forms.unload(objectName());
}

void Names::cancel() {
    console.forms.show(QStringLiteral("Opening"));
    console.forms.unload(objectName());
}
