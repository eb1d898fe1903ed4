#pragma once

// The stand-ins for the program's sound players and message boxes.
#include "sound/MidiDevice.h"
#include "sound/WavPlayer.h"
#include "ui/Dialogs.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

// Records every clip it is asked to play, with its mode.
class FakeWavPlayer final : public WavPlayer {
public:
    void play(const QString& path, Mode mode) override { calls.emplace_back(path, mode); }
    std::vector<std::pair<QString, Mode>> calls;
};

// Records every command; answers `openResult` to "open" commands and 0 to the rest.
class FakeMidiDevice final : public MidiDevice {
public:
    int command(const QString& text) override {
        commands << text;
        return text.startsWith(QLatin1String("open ")) ? openResult : 0;
    }
    void prepare(const QString& piece) override { prepared << piece; }
    QStringList commands;
    int openResult = 0;
    QStringList prepared;
};

// Answers message boxes from a script and records the text and title of every box shown.
class ScriptedDialogs final : public Dialogs {
public:
    void message(const QString& text, const QString& title) override { show(text, title); }
    bool okCancel(const QString& text, const QString& title) override { return ask(text, title); }
    bool yesNo(const QString& text, const QString& title) override { return ask(text, title); }

    // Answers for the next questions (true: OK or Yes); OK or Yes once they run out.
    void answer(std::initializer_list<bool> answers) { answers_.append(answers); }
    QString last() const { return texts.isEmpty() ? QString() : texts.last(); }
    void clear() { texts.clear(), titles.clear(); }

    QStringList texts, titles;
    // Runs while a box is "open", to act as the host would meanwhile.
    std::function<void(const QString&)> onShow;

private:
    void show(const QString& text, const QString& title) {
        texts << text;
        titles << title;
        if (onShow)
            onShow(text);
    }
    bool ask(const QString& text, const QString& title) {
        show(text, title);
        return answers_.isEmpty() || answers_.takeFirst();
    }
    QList<bool> answers_;
};
