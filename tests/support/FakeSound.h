#pragma once

#include "sound/MidiDevice.h"
#include "sound/WavPlayer.h"

#include <QString>
#include <QStringList>
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
    void prepare() override { ++prepared; }
    QStringList commands;
    int openResult = 0;
    int prepared = 0;
};
