#include "Names.h"

#include "state/GameFormat.h"
#include "state/Rules.h"
#include "ui/Console.h"
#include "ui/Layouts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <limits>

using namespace design;

namespace {

template <typename T>
T* control(QWidget* parent, const char* name, const QString& text, const Box& box) {
    auto* c = new T(text, parent);
    c->setObjectName(QLatin1String(name));
    place(c, box);
    return c;
}

} // namespace

Names::Names(Console& c, const GameFormat& f)
    : Form(c, QString::fromLatin1(f.namesWindow), titleBar()), format(f) {
    const layout::Names& d = layout::forPlayers(f.players).names;
    setWindowTitle(QStringLiteral("Let's Meet the Team"));
    clientSize(this, d.width, d.height);
    // Drawn first so the option buttons lie in front of it.
    clockFrame = control<QGroupBox>(this, "Frame1", QStringLiteral("Timer"), d.frame);
    buildNames(d);
    buildOptions(d);

    std::vector<QWidget*> focusOrder;
    for (int i = 1; i < nameBoxes.size(); ++i)
        focusOrder.push_back(nameBoxes[i]);
    focusOrder.insert(focusOrder.end(),
                      {clockHidden, clockVisible, wavCheck, playButton, cancelButton, midiCheck});
    for (std::size_t i = 1; i < focusOrder.size(); ++i)
        setTabOrder(focusOrder[i - 1], focusOrder[i]);
    nameBoxes[1]->setFocus();

    connect(playButton, &QPushButton::clicked, this, &Names::letsPlay);
    // While the names are typed, the sound gets ready; the start window never waits for it.
    console.sound.prepareMusic();
    connect(cancelButton, &QPushButton::clicked, this, [this] { handOver(windows::opening); });
}

void Names::buildNames(const layout::Names& d) {
    nameBoxes.add(nullptr);
    for (int i = 1; i <= format.players; ++i) {
        const int left = 120 + 1680 * ((i - 1) / d.rows);
        const int top = d.labelTops.at((i - 1) % d.rows);
        playerLabels.add(label(this, QStringLiteral("Label1(%1)").arg(i - 1),
                               QStringLiteral("Player %1").arg(i), {left, top, 1215, 255},
                               windowFont(), Align::Left, Fill::Opaque));
        auto* t = new QLineEdit(this);
        t->setObjectName(QStringLiteral("Text1(%1)").arg(i));
        t->setMaxLength(std::numeric_limits<int>::max());
        place(t, {left, top + 240, 1215, 285});
        nameBoxes.add(t);
    }
}

void Names::buildOptions(const layout::Names& d) {
    clockHidden = control<QRadioButton>(this, "Option1(1)", QStringLiteral("Hidden"), d.hidden);
    clockVisible = control<QRadioButton>(this, "Option1(0)", QStringLiteral("Visible"), d.visible);
    auto* clockGroup = new QButtonGroup(this);
    clockGroup->addButton(clockHidden);
    clockGroup->addButton(clockVisible);
    clockHidden->setChecked(true);
    wavCheck = control<QCheckBox>(this, "Check1", QStringLiteral("WAV"), d.wav);
    wavCheck->setChecked(true);
    midiCheck = control<QCheckBox>(this, "Check2", QStringLiteral("MIDI"), d.midi);
    midiCheck->setChecked(true);
    playButton = control<QPushButton>(this, "Command1", QStringLiteral("Let's Play!"), d.play);
    // "Let's Play!" is the default button: Enter presses it unless another button has the focus.
    setDefaultButton(playButton);
    cancelButton = control<QPushButton>(this, "Command2", QStringLiteral("Cancel"), d.cancel);
    cancelButton->setAutoDefault(false);
}

void Names::letsPlay() {
    QStringList names;
    for (int i = 1; i <= format.players; ++i)
        names << nameBoxes[i]->text();
    rules::newGame(console.state, format, names, clockVisible->isChecked(),
                   wavCheck->checkState() == Qt::Checked, midiCheck->checkState() == Qt::Checked);
    handOver(QString::fromLatin1(format.gameWindow));
}
