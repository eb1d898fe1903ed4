#pragma once

#include "MidiDevice.h"
#include "WavPlayer.h"

#include <QString>
#include <future>
#include <memory>

// The program's clips and music, played by the audio module: it is loaded, its devices opened
// and its clips and instruments read on a worker thread once the first preparation is asked
// for, so that neither the start window nor a sound waits for it. A sound asked for before
// the work is done waits for it and is not lost.
class LazyAudio final : public WavPlayer, public MidiDevice {
public:
    // `module`: the audio module's file; `soundDir`: where the clips are.
    LazyAudio(QString module, QString soundDir);
    ~LazyAudio() override;
    LazyAudio(const LazyAudio&) = delete;
    LazyAudio& operator=(const LazyAudio&) = delete;

    void play(const QString& path, Mode mode) override;
    int command(const QString& text) override;
    void prepare(const QString& piece) override;

private:
    void load();
    void finish();

    QString module_;
    QString soundDir_;
    std::shared_future<void> work_;
    std::unique_ptr<WavPlayer> wav_;
    std::unique_ptr<MidiDevice> midi_;
};
