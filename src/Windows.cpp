#include "Windows.h"

#include "final/Finalround.h"
#include "round/Maingame.h"
#include "setup/Names.h"
#include "setup/Opening.h"
#include "state/GameFormat.h"
#include "ui/About.h"
#include "ui/Console.h"
#include "voteoff/Goodbye.h"
#include "voteoff/Voteoff.h"

void registerWindows(Forms& forms) {
    forms.add(windows::opening, [](Console& c) { return new Opening(c); });
    forms.add(windows::about, [](Console& c) { return new About(c); });
    forms.add(windows::finalRound, [](Console& c) { return new Finalround(c); });
    for (const GameFormat* f : {&formats::six, &formats::eight, &formats::nine}) {
        forms.add(QString::fromLatin1(f->namesWindow),
                  [f](Console& c) { return new Names(c, *f); });
        forms.add(QString::fromLatin1(f->gameWindow),
                  [f](Console& c) { return new Maingame(c, *f); });
        forms.add(QString::fromLatin1(f->voteoffWindow),
                  [f](Console& c) { return new Voteoff(c, *f); });
        forms.add(QString::fromLatin1(f->goodbyeWindow),
                  [f](Console& c) { return new Goodbye(c, *f); });
    }
}
