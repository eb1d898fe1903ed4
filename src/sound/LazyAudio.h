#pragma once

#include "AudioModule.h"
#include "MidiDevice.h"
#include "WavPlayer.h"

#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Runs the tasks given to it one after another on a thread of its own, started with the first;
// each task is let go once it has run.
class TaskQueue {
public:
    TaskQueue() = default;
    ~TaskQueue();
    TaskQueue(const TaskQueue&) = delete;
    TaskQueue& operator=(const TaskQueue&) = delete;

    void post(std::function<void()> task);
    // Returns once every task posted so far has run.
    void wait();

private:
    void run();

    std::mutex mutex_;
    std::condition_variable posted_, done_;
    std::deque<std::function<void()>> tasks_;
    bool running_ = false, stopping_ = false;
    std::thread thread_;
};

// The program's clips and music, played by the audio module: it is loaded, its devices opened
// and clips and instruments read on worker threads when a preparation is asked for, so that
// neither the start window nor a sound waits for it. Clips and music have a queue each, so that a
// clip never waits for the music's instruments. A sound asked for before its queue's work is done
// waits for it and is not lost.
class LazyAudio final : public WavPlayer, public MidiDevice {
public:
    // The players from the module at this path.
    explicit LazyAudio(const QString& module);
    // The players `make` returns, for whoever brings their own.
    explicit LazyAudio(std::function<AudioPlayers()> make);
    ~LazyAudio() override;
    LazyAudio(const LazyAudio&) = delete;
    LazyAudio& operator=(const LazyAudio&) = delete;

    void play(const QString& path, Mode mode) override;
    void preload(const QStringList& paths) override;
    int command(const QString& text) override;
    void prepare(const QString& piece) override;

private:
    void load();

    std::function<AudioPlayers()> make_;
    std::once_flag loaded_;
    std::unique_ptr<WavPlayer> wav_;
    std::unique_ptr<MidiDevice> midi_;
    // Last, so that they finish their work before the players go.
    TaskQueue clips_, music_;
};
