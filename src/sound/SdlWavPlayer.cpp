#include "SdlWavPlayer.h"

#include "AudioSetup.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QTimer>
#include <SDL.h>
#include <SDL_mixer.h>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace {

// Small enough that a clip starts within a frame of its key press.
constexpr int kChunkFrames = 512;
constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kBytesPerSecond = kRate * kChannels * 2;
// How often a synchronous clip is checked for its end.
constexpr int kPollMs = 5;
// A synchronous clip gets this long beyond its own length before it is given up on.
constexpr int kGraceMs = 1000;
// The events carry the word that the device has gone.
constexpr Uint32 kSubsystems = SDL_INIT_AUDIO | SDL_INIT_EVENTS;

// Window-system input already waits in its queue while the clip's event loop excludes user
// input; input posted as events would skip that queue, so it waits here and is posted again,
// in order, once the clip has ended.
class HeldInput final : public QObject {
public:
    HeldInput() { QCoreApplication::instance()->installEventFilter(this); }
    ~HeldInput() override {
        QCoreApplication::instance()->removeEventFilter(this);
        for (auto& [target, event] : held_)
            if (target)
                QCoreApplication::postEvent(target, event.release());
    }
    HeldInput(const HeldInput&) = delete;
    HeldInput& operator=(const HeldInput&) = delete;

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Accepting it keeps shortcuts from firing; the key press itself is held below.
            event->accept();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            held_.emplace_back(target, std::unique_ptr<QEvent>(event->clone()));
            // Accepted, so it does not travel on to the parent widgets and get held twice.
            event->accept();
            return true;
        default:
            return false;
        }
    }

private:
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
};

} // namespace

SdlWavPlayer::SdlWavPlayer(std::function<void()> alert)
    : alert_(alert ? std::move(alert) : std::function<void()>([] { QApplication::beep(); })) {}

SdlWavPlayer::~SdlWavPlayer() {
    if (device_ == Device::Open)
        Mix_HaltChannel(-1);
    for (Mix_Chunk* chunk : std::as_const(clips_))
        Mix_FreeChunk(chunk);
    if (device_ == Device::Open) {
        const std::lock_guard setup(audioSetupLock());
        Mix_CloseAudio();
        Mix_Quit();
        SDL_Quit();
    }
}

bool SdlWavPlayer::open() {
    if (device_ == Device::Open && !lost())
        return true;
    const std::lock_guard setup(audioSetupLock());
    if (device_ == Device::Open) {
        // The sound server went away: its connection goes with the audio subsystem, and the
        // next one reaches the server as it is now. The clips stay loaded.
        Mix_HaltChannel(-1);
        Mix_CloseAudio();
        SDL_QuitSubSystem(kSubsystems);
        device_ = Device::Missing;
    }
    // Ctrl+C must still end the program; Qt and the desktop own the signals.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Without a device, tried again at every clip: the sound server may come later.
    if (SDL_InitSubSystem(kSubsystems) != 0) {
        SDL_QuitSubSystem(kSubsystems);
        return false;
    }
    // A fixed mixing format (SDL converts for the hardware) also gives every clip's length.
    if (Mix_OpenAudioDevice(kRate, AUDIO_S16SYS, kChannels, kChunkFrames, nullptr, 0) != 0) {
        SDL_QuitSubSystem(kSubsystems);
        return false;
    }
    // Nothing else reads SDL's events; those of devices found would pile up.
    SDL_FlushEvent(SDL_AUDIODEVICEADDED);
    device_ = Device::Open;
    return true;
}

// SDL says so when the device it plays to has gone; the events subsystem keeps the word. It tells
// of devices it never opened too, as device 0; the clips' is the only one it opens.
bool SdlWavPlayer::lost() {
    SDL_Event event;
    bool gone = false;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_AUDIODEVICEREMOVED, SDL_AUDIODEVICEREMOVED) >
           0)
        gone = gone || (event.adevice.which != 0 && !event.adevice.iscapture);
    return gone;
}

int SdlWavPlayer::sounding() const {
    return device_ == Device::Open ? Mix_Playing(-1) : 0;
}

Mix_Chunk* SdlWavPlayer::clip(const QString& path) {
    if (Mix_Chunk* cached = clips_.value(path))
        return cached;
    // Failures are not remembered: a clip put in place later still plays.
    Mix_Chunk* chunk = Mix_LoadWAV(QFile::encodeName(path).constData());
    if (chunk)
        clips_.insert(path, chunk);
    return chunk;
}

void SdlWavPlayer::preload(const QStringList& paths) {
    if (open())
        for (const QString& path : paths)
            clip(path);
}

void SdlWavPlayer::play(const QString& path, Mode mode) {
    if (!open())
        return;
    Mix_Chunk* chunk = clip(path);
    if (!chunk) {
        alert_();
        return;
    }
    Mix_HaltChannel(-1);
    const int channel = Mix_PlayChannel(-1, chunk, 0);
    if (channel < 0) {
        alert_();
        return;
    }
    if (mode == Mode::Sync)
        waitForEnd(channel, chunk);
}

void SdlWavPlayer::waitForEnd(int channel, const Mix_Chunk* chunk) {
    // Another clip started meanwhile (a timer may play one) also ends the wait.
    const auto ended = [channel, chunk] {
        return Mix_Playing(channel) == 0 || Mix_GetChunk(channel) != chunk;
    };
    const int lengthMs = static_cast<int>(std::int64_t{chunk->alen} * 1000 / kBytesPerSecond);

    HeldInput held;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (ended())
            loop.quit();
    });
    // A clip that never reports its end cannot hold the program.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start();
    guard.start(lengthMs + kGraceMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!ended())
        Mix_HaltChannel(channel);
}
