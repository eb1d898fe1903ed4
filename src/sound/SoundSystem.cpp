#include "SoundSystem.h"

#include "MidiDevice.h"
#include "state/GameState.h"
#include "ui/Dialogs.h"

#include <QDir>
#include <utility>

SoundSystem::SoundSystem(const GameState& state, WavPlayer& wav, MidiDevice& midi, Dialogs& dialogs,
                         QString programDir)
    : state_(state), wav_(wav), midi_(midi), dialogs_(dialogs), dir_(std::move(programDir)) {}

QString SoundSystem::path(const QString& fileName) const {
    return dir_ + QDir::separator() + fileName;
}

void SoundSystem::clip(const QString& fileName, WavPlayer::Mode mode) {
    if (state_.UseWav)
        wav_.play(path(fileName), mode);
}

void SoundSystem::music(const QString& fileName) {
    if (state_.UseMidi && !fileName.isEmpty())
        PlayMidi(path(fileName));
}

void SoundSystem::prepareMusic(const QString& fileName) {
    midi_.prepare(fileName.isEmpty() ? fileName : path(fileName));
}

void SoundSystem::prepareClips(const QStringList& fileNames) {
    QStringList paths;
    for (const QString& name : fileNames)
        paths << path(name);
    wav_.preload(paths);
}

void SoundSystem::PlayMidi(const QString& fullPath) {
    StopMidi();
    if (midi_.command(QStringLiteral("open sequencer!") + fullPath +
                      QStringLiteral(" alias midi")) != 0)
        dialogs_.message(QStringLiteral("Error!"));
    midi_.command(QStringLiteral("play midi"));
}

void SoundSystem::StopMidi() {
    midi_.command(QStringLiteral("stop midi"));
    midi_.command(QStringLiteral("close midi"));
}
