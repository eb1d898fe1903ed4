#pragma once

#include <QStringList>

// Plays one WAV clip by path. A clip that cannot be played sounds the desktop's alert instead.
class WavPlayer {
public:
    enum class Mode {
        Async, // returns at once; cuts off any clip still playing
        Sync,  // returns when the clip has ended; user input waits meanwhile
    };
    virtual ~WavPlayer() = default;
    virtual void play(const QString& path, Mode mode) = 0;
    // Opens the audio output and reads these clips ahead of their first play.
    virtual void preload(const QStringList& paths) { Q_UNUSED(paths); }
};
