#include "LazyAudio.h"

#include "FluidMidiDevice.h"

#include <QLibrary>
#include <cstdio>
#include <utility>

namespace {

// Without the module the game goes on in silence; a piece cannot be opened, as without a device.
class NoWav final : public WavPlayer {
public:
    void play(const QString&, Mode) override {}
};
class NoMidi final : public MidiDevice {
public:
    int command(const QString& text) override {
        return text.startsWith(QLatin1String("open"), Qt::CaseInsensitive)
                   ? FluidMidiDevice::DeviceUnavailable
                   : 0;
    }
};

} // namespace

TaskQueue::~TaskQueue() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    posted_.notify_one();
    if (thread_.joinable())
        thread_.join();
}

void TaskQueue::post(std::function<void()> task) {
    {
        const std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        if (!thread_.joinable())
            thread_ = std::thread(&TaskQueue::run, this);
    }
    posted_.notify_one();
}

void TaskQueue::wait() {
    std::unique_lock lock(mutex_);
    done_.wait(lock, [this] { return tasks_.empty() && !running_; });
}

void TaskQueue::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        posted_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        if (tasks_.empty())
            return; // stopping, with nothing left to do
        std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        running_ = true;
        lock.unlock();
        task();
        task = nullptr; // let go of what it holds before saying it is done
        lock.lock();
        running_ = false;
        done_.notify_all();
    }
}

LazyAudio::LazyAudio(const QString& module)
    : LazyAudio([module] {
          QLibrary library(module);
          const auto make = reinterpret_cast<AudioModuleEntry>(library.resolve(audioModuleEntry));
          if (make)
              return make();
          std::fprintf(stderr, "quolmar: no sound: %s\n", qPrintable(library.errorString()));
          return AudioPlayers{nullptr, nullptr};
      }) {}

LazyAudio::LazyAudio(std::function<AudioPlayers()> make) : make_(std::move(make)) {}

LazyAudio::~LazyAudio() {
    clips_.wait();
    music_.wait();
    // The players go before the module's code would; the module itself stays loaded.
    midi_.reset();
    wav_.reset();
}

// Once, on whichever thread first needs the players.
void LazyAudio::load() {
    std::call_once(loaded_, [this] {
        const AudioPlayers players = make_();
        wav_.reset(players.wav);
        midi_.reset(players.midi);
        if (!wav_)
            wav_ = std::make_unique<NoWav>();
        if (!midi_)
            midi_ = std::make_unique<NoMidi>();
    });
}

void LazyAudio::prepare(const QString& piece) {
    music_.post([this, piece] {
        load();
        midi_->prepare(piece);
    });
}

void LazyAudio::preload(const QStringList& paths) {
    clips_.post([this, paths] {
        load();
        wav_->preload(paths);
    });
}

void LazyAudio::play(const QString& path, Mode mode) {
    clips_.wait();
    load();
    wav_->play(path, mode);
}

int LazyAudio::command(const QString& text) {
    music_.wait();
    load();
    return midi_->command(text);
}
