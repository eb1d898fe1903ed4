#pragma once

#include "WavPlayer.h"

#include <QHash>
#include <QString>
#include <functional>

struct Mix_Chunk;

// Plays clips through SDL_mixer. SDL only drives the audio device; Qt keeps the windows and the
// event loop. SDL has one audio device per process, so there is one player per process too.
class SdlWavPlayer final : public WavPlayer {
public:
    // `alert` sounds when a clip is missing or broken; the desktop's beep unless given.
    explicit SdlWavPlayer(std::function<void()> alert = {});
    ~SdlWavPlayer() override;
    SdlWavPlayer(const SdlWavPlayer&) = delete;
    SdlWavPlayer& operator=(const SdlWavPlayer&) = delete;

    void play(const QString& path, Mode mode) override;
    void preload(const QStringList& paths) override;

    // How many clips are sounding at this moment.
    int sounding() const;

private:
    // Opens the audio device, once. False when there is none: the player then stays silent
    // for the whole run.
    bool open();
    Mix_Chunk* clip(const QString& path);
    void waitForEnd(int channel, const Mix_Chunk* chunk);

    enum class Device { Unopened, Open, Missing };
    Device device_ = Device::Unopened;
    std::function<void()> alert_;
    QHash<QString, Mix_Chunk*> clips_;
};
