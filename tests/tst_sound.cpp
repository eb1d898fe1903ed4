// Every clip and piece of music goes through the sound system with its gates.
#include "FakeSound.h"
#include "ScriptedDialogs.h"
#include "sound/SoundSystem.h"
#include "state/GameState.h"

#include <QTest>

class TestSound : public QObject {
    Q_OBJECT
private slots:
    void playMidiClosesTheOldPieceThenOpensAndPlays();
    void failedOpenSaysErrorOnceAndStillSendsPlay();
    void pathsUseTheProgramDirectoryAndTheSystemSeparator();
    void gates();

private:
    GameState state;
    FakeWavPlayer wav;
    FakeMidiDevice midi;
    ScriptedDialogs dialogs;
};

void TestSound::playMidiClosesTheOldPieceThenOpensAndPlays() {
    midi.commands.clear();
    SoundSystem sound(state, wav, midi, dialogs, QStringLiteral("/opt/my games/q"));
    sound.PlayMidi(QStringLiteral("/opt/my games/q/150.mid"));
    QCOMPARE(midi.commands,
             QStringList({"stop midi", "close midi",
                          "open sequencer!/opt/my games/q/150.mid alias midi", "play midi"}));
    QVERIFY(dialogs.shown.isEmpty());
}

void TestSound::failedOpenSaysErrorOnceAndStillSendsPlay() {
    midi.commands.clear();
    midi.openResult = 263;
    dialogs.clear();
    SoundSystem sound(state, wav, midi, dialogs, QStringLiteral("/q"));
    sound.PlayMidi(QStringLiteral("/q/missing.mid"));
    midi.openResult = 0;
    QCOMPARE(dialogs.texts(), QStringList{"Error!"});
    QCOMPARE(dialogs.shown.first().title, QStringLiteral("quolmar"));
    QCOMPARE(midi.commands.last(), QStringLiteral("play midi"));
}

void TestSound::pathsUseTheProgramDirectoryAndTheSystemSeparator() {
    SoundSystem sound(state, wav, midi, dialogs, QStringLiteral("/usr/lib/quolmar"));
    QCOMPARE(sound.path(QStringLiteral("letsplay.wav")),
             QStringLiteral("/usr/lib/quolmar/letsplay.wav"));
}

void TestSound::gates() {
    SoundSystem sound(state, wav, midi, dialogs, QStringLiteral("/q"));
    wav.calls.clear();
    midi.commands.clear();

    state.UseWav = false;
    state.UseMidi = false;
    sound.clip(QStringLiteral("voteoff.wav"), WavPlayer::Mode::Async);
    sound.music(QStringLiteral("90.mid"));
    QVERIFY(wav.calls.empty());
    QVERIFY(midi.commands.isEmpty());
    sound.StopMidi(); // stopping never asks the option
    QCOMPARE(midi.commands, QStringList({"stop midi", "close midi"}));

    state.UseWav = true;
    state.UseMidi = true;
    midi.commands.clear();
    sound.clip(QStringLiteral("choice.wav"), WavPlayer::Mode::Sync);
    sound.music(QStringLiteral("90.mid"));
    sound.music(QString()); // a round without music
    QCOMPARE(wav.calls.size(), std::size_t(1));
    QCOMPARE(wav.calls[0].first, QStringLiteral("/q/choice.wav"));
    QVERIFY(wav.calls[0].second == WavPlayer::Mode::Sync);
    QCOMPARE(midi.commands.size(), 4);
    QCOMPARE(midi.commands[2], QStringLiteral("open sequencer!/q/90.mid alias midi"));
}

QTEST_APPLESS_MAIN(TestSound)
#include "tst_sound.moc"
