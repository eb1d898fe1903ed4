#include "Console.h"

Console::Console(Dialogs& d, WavPlayer& wav, MidiDevice& midi, const QString& programDir)
    : dialogs(d), sound(state, wav, midi, d, programDir), forms(*this) {}

void Console::showQuestionCard() const {
    if (questionCard_)
        questionCard_();
}
