#pragma once

#include "MidiDevice.h"
#include "WavPlayer.h"

#include <QString>
#include <functional>
#include <future>
#include <memory>

// The program's clips and music, played by the audio module: it is loaded, its devices opened
// and clips and instruments read on a worker thread when a preparation is asked for, so that
// neither the start window nor a sound waits for it. A sound asked for before
// the work is done waits for it and is not lost.
class LazyAudio final : public WavPlayer, public MidiDevice {
public:
    explicit LazyAudio(QString module);
    ~LazyAudio() override;
    LazyAudio(const LazyAudio&) = delete;
    LazyAudio& operator=(const LazyAudio&) = delete;

    void play(const QString& path, Mode mode) override;
    void preload(const QStringList& paths) override;
    int command(const QString& text) override;
    void prepare(const QString& piece) override;

private:
    // Runs `task` on a worker after the tasks before it, with the players loaded.
    void post(std::function<void()> task);
    void load();
    void finish();

    QString module_;
    std::shared_future<void> work_;
    std::unique_ptr<WavPlayer> wav_;
    std::unique_ptr<MidiDevice> midi_;
};
