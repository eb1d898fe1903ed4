#pragma once

#include "Fakes.h"
#include "Windows.h"
#include "final/Finalround.h"
#include "round/Maingame.h"
#include "setup/Names.h"
#include "setup/Opening.h"
#include "ui/Console.h"
#include "voteoff/Goodbye.h"
#include "voteoff/Voteoff.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

// Names of the players in slots 1 to 9.
inline const QStringList cast{"Ada", "Bea", "Cai", "Dov", "Eli", "Fay", "Gus", "Hal", "Ivo"};

// The host at a console with fake sound and scripted dialogs, every window of the program
// registered: every step is a click or a key press in the window on screen.
struct Host {
    static inline const QString dir = QStringLiteral("/opt/quolmar");

    explicit Host(int players) : console(dialogs, wav, midi, dir), f(*formats::byPlayers(players)) {
        registerWindows(console.forms);
        console.forms.setQuitHandler([this] { ++quits; });
        forms().show(windows::opening);
    }
    ~Host() { flush(); }

    // Lets windows that were unloaded be destroyed, as the event loop would.
    static void flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    GameState& state() { return console.state; }
    Forms& forms() { return console.forms; }
    // The window on screen that takes the keys (the about box aside).
    Form* onScreen() {
        for (const QString& name : forms().loaded())
            if (Form* w = forms().find(name); w->isVisible() && name != windows::about)
                return w;
        return nullptr;
    }

    template <typename W> W* find(const QString& name) {
        return qobject_cast<W*>(forms().find(name));
    }
    Maingame* game() { return find<Maingame>(QString::fromLatin1(f.gameWindow)); }
    Voteoff* voteoff() { return find<Voteoff>(QString::fromLatin1(f.voteoffWindow)); }
    Goodbye* goodbye() { return find<Goodbye>(QString::fromLatin1(f.goodbyeWindow)); }
    Finalround* final() { return find<Finalround>(windows::finalRound); }
    // From the start window through team entry into the game; option 'c' shows the clock.
    void newGame(const QStringList& names, const QString& options = QStringLiteral("c")) {
        auto* o = find<Opening>(windows::opening);
        QTest::mouseClick(
            o->formatButtons[QStringLiteral("689").indexOf(QString::number(f.players))],
            Qt::LeftButton);
        flush();
        Names* n = find<Names>(QString::fromLatin1(f.namesWindow));
        for (int i = 1; i <= f.players; ++i)
            n->nameBoxes[i]->setText(names.value(i - 1));
        n->clockVisible->setChecked(options.contains(u'c'));
        QTest::mouseClick(n->playButton, Qt::LeftButton);
        flush();
    }

    // Plays a script of space-separated steps: a key typed into the window on screen ("C*3"
    // three times, "<" Backspace, "^" Ctrl+Z); "." lets the round's clock run out, ".n" ticks n
    // times; "out:k" votes slot k off, "ok" closes the goodbye, "oops" the vote-off; "no" answers
    // the next question No or Cancel; "restart" the game window's menu entry; "V+S" types S
    // before V's hand-over is done.
    void play(const QString& script) {
        for (const QString& step : script.split(u' ', Qt::SkipEmptyParts)) {
            if (step.startsWith(u'.'))
                for (int n = step.size() > 1 ? step.mid(1).toInt() : 1 << 20;
                     n > 0 && game() && game()->clockRunning(); --n) {
                    // As the round clock's timer delivers it, for whoever watches the events.
                    QTimerEvent second(game()->roundClock->timerId());
                    QCoreApplication::sendEvent(game()->roundClock, &second);
                }
            else if (step.startsWith(QLatin1String("out:")))
                QTest::mouseClick(voteoff()->eliminateButtons[step.mid(4).toInt()], Qt::LeftButton);
            else if (step == u"ok")
                QTest::mouseClick(goodbye()->okButton, Qt::LeftButton);
            else if (step == u"oops")
                QTest::mouseClick(voteoff()->oopsButton, Qt::LeftButton);
            else if (step == u"no")
                dialogs.answer({false});
            else if (step == u"restart")
                game()->startOverAction->trigger();
            else if (step.contains(u'+')) { // typed at once: all reach the window of the first
                for (QPointer<QWidget> to = typedInto(); const QString& k : step.split(u'+'))
                    if (to)
                        QTest::keyClick(to, k.at(0).toLatin1());
            } else
                for (int n = step.size() > 2 ? step.mid(2).toInt() : 1; n > 0; --n)
                    if (step.at(0) == u'^')
                        QTest::keyClick(typedInto(), Qt::Key_Z, Qt::ControlModifier);
                    else if (step.at(0) == u'<') // without the text some platforms leave out
                        QTest::sendKeyEvent(QTest::Click, typedInto(), Qt::Key_Backspace, QString(),
                                            {});
                    else
                        QTest::keyClick(typedInto(), step.at(0).toLatin1());
            // What an event loop would deliver before the host's next step.
            QCoreApplication::sendPostedEvents();
            flush();
        }
    }

    // Where keys are typed: the window on screen, or one that must pass them on to it.
    QWidget* typedInto() { return keysTo ? keysTo.data() : onScreen(); }
    QPointer<QWidget> keysTo;

    // What the game-control window shows, in a line: BANK, TOTAL, clock (- when hidden), the
    // lit link (red box, white caption), the lit names, the names hidden, the prompt's key.
    QString sees() {
        Maingame* g = game();
        if (g == nullptr || !g->isVisible())
            return QStringLiteral("no game window");
        const auto shown = [](const QLabel* l) { return l->isHidden() ? "-" : l->text(); };
        QStringList lit, out, links;
        for (int i = 0; i < f.top; ++i) {
            const bool red = g->linkBoxes[i]->fill() == design::red;
            const QColor ink = design::textColour(g->linkCaptions[i]);
            if (red || ink != design::black)
                links << QString::number(i) + (red && ink == design::white ? "" : "?");
        }
        for (int i = 1; i <= f.players; ++i) {
            const QLabel* l = g->nameLabels[i];
            if (l->isHidden())
                out << QString::number(i);
            else if (design::textColour(l) == design::white)
                lit << l->text();
        }
        return QStringLiteral("%1 %2 %3 link %4 lit %5 out %6 %7")
            .arg(g->bankAmount->text(), shown(g->totalAmount), shown(g->clockDigits),
                 links.join(u','), lit.join(u','), out.join(u','), g->prompt->text().mid(7, 1));
    }

    // The vote-off's table: per slot "name right time banked lost", "+" when its button acts.
    QString table() {
        QStringList rows;
        Voteoff* v = voteoff();
        for (int i = 1; i <= f.players; ++i)
            rows << QStringList{v->nameLabels[i]->text(), v->rightAnswerLabels[i]->text(),
                                v->timeUsedLabels[i]->text(), v->moneyBankedLabels[i]->text(),
                                v->moneyLostLabels[i]->text()}
                            .join(u' ')
                            .trimmed() +
                        (v->eliminateButtons[i]->isEnabled() ? "+" : "");
        return rows.join(u'|');
    }

    // The final: "top/bottom prize" and the markers, "[n]" current, "v" tick, "x" cross; a marker
    // whose colours or visibility do not match its state shows "?", a hidden one nothing.
    QString board() {
        Finalround* fr = final();
        QString marks;
        for (int i = 1; i <= 10; ++i) {
            const QLabel* l = fr->markerLabels[i];
            const QColor fill = fr->questionPanels[i]->fill(), ink = design::textColour(l);
            const bool grey = fill == design::lightGrey, white = ink == design::white;
            if (l->isHidden() != fr->questionPanels[i]->isHidden())
                marks += u'?';
            else if (!l->isHidden())
                marks +=
                    l->text() == u"\u2714" && white && fill == design::red    ? QStringLiteral("v")
                    : l->text() == u"\u2718" && white && fill == design::teal ? QStringLiteral("x")
                    : grey && ink == design::black                            ? l->text()
                    : grey && ink == design::darkGrey ? "[" + l->text() + "]"
                                                      : QStringLiteral("?");
        }
        return fr->firstName->text() + "/" + fr->secondName->text() + " " +
               fr->prizeAmount->text() + " " + marks;
    }

    ScriptedDialogs dialogs;
    FakeWavPlayer wav;
    FakeMidiDevice midi;
    Console console;
    int quits = 0;
    const GameFormat& f;
};
