#pragma once

#include "sound/SoundSystem.h"
#include "state/GameState.h"
#include "state/Notice.h"
#include "ui/Dialogs.h"
#include "ui/Forms.h"

#include <functional>

class MidiDevice;
class WavPlayer;

// What every window shares: the game state, the notices of its changes, the window registry, the
// sound and the dialogs.
// main() builds the real one; each test builds its own with fakes.
class Console {
public:
    Console(Dialogs& dialogs, WavPlayer& wav, MidiDevice& midi, const QString& programDir);
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // Key Q: brings the question card back should the host have closed it; nothing without a
    // deck. The card sets the handler while it lives, so no window needs to know of it.
    void showQuestionCard() const;
    void setQuestionCardHandler(std::function<void()> handler) {
        questionCard_ = std::move(handler);
    }

    GameState state;
    Notices notices;
    Dialogs& dialogs;
    SoundSystem sound;
    Forms forms;

private:
    std::function<void()> questionCard_;
};
