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
    // Opens the audio device, or opens it again once it has gone. False when there is none:
    // that clip is not heard, and the next one tries again.
    bool open();
    bool lost();
    Mix_Chunk* clip(const QString& path);
    void waitForEnd(int channel, const Mix_Chunk* chunk);

    enum class Device { Open, Missing };
    Device device_ = Device::Missing;
    std::function<void()> alert_;
    QHash<QString, Mix_Chunk*> clips_;
};
