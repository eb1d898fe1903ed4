#include "sound/FluidMidiDevice.h"
#include "sound/SdlWavPlayer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <memory>

namespace {

// A one-track standard MIDI file: a piano note lasting `ticks` at 96 ticks a beat, 120 beats
// a minute, so 96 ticks are half a second.
QByteArray midiFile(int ticks) {
    QByteArray delta;
    for (int v = ticks; v > 0 || delta.isEmpty(); v >>= 7)
        delta.prepend(char((v & 0x7f) | (delta.isEmpty() ? 0 : 0x80)));
    const QByteArray track = QByteArray::fromHex("00c000"
                                                 "00903c64") +
                             delta +
                             QByteArray::fromHex("803c40"
                                                 "00ff2f00");
    return QByteArray::fromHex("4d546864000000060000000100604d54726b000000") + char(track.size()) +
           track;
}

// Mono 16-bit PCM at 22050 Hz: a quiet tone of `ms` milliseconds.
QByteArray wavFile(int ms) {
    const int rate = 22050;
    const int samples = rate * ms / 1000;
    const auto le = [](quint32 v, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i)
            out.append(char((v >> (8 * i)) & 0xff));
        return out;
    };
    QByteArray data;
    for (int i = 0; i < samples; ++i)
        data += le(quint16(qint16(3000 * std::sin(i * 0.06))), 2);
    return "RIFF" + le(36 + quint32(data.size()), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) +
           le(1, 2) + le(rate, 4) + le(rate * 2, 4) + le(2, 2) + le(16, 2) + "data" +
           le(quint32(data.size()), 4) + data;
}

QString write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString openCommand(const QString& path) {
    return QStringLiteral("open sequencer!") + path + QStringLiteral(" alias midi");
}

// Records the keys it gets, in order.
class KeyRecorder final : public QWidget {
public:
    QString typed;

protected:
    void keyPressEvent(QKeyEvent* e) override { typed += e->text(); }
};

void postKey(QWidget* w, char c) {
    QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, Qt::Key_A + (c - 'a'),
                                                 Qt::NoModifier, QString(QChar(c))));
}

} // namespace

class TestPlayers : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(tmp_.isValid());
        // FluidSynth's "file" driver keeps real time without a sound card.
        midi_ = std::make_unique<FluidMidiDevice>(FluidMidiDevice::systemSoundFont,
                                                  QStringList{QStringLiteral("file")},
                                                  tmp_.filePath(QStringLiteral("out.raw")));
        midi_->prepare();
        QVERIFY(midi_->ready());
        piece_ = write(tmp_, QStringLiteral("round music.mid"), midiFile(96));
    }

    void openChecksThePiece_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("answer");
        const QByteArray good = midiFile(96);
        QTest::newRow("missing") << tmp_.filePath(QStringLiteral("nowhere.mid"))
                                 << int(FluidMidiDevice::FileNotFound);
        QTest::newRow("directory") << tmp_.path() << int(FluidMidiDevice::FileNotFound);
        QTest::newRow("empty") << write(tmp_, QStringLiteral("empty.mid"), {})
                               << int(FluidMidiDevice::NotPlayable);
        QTest::newRow("text") << write(tmp_, QStringLiteral("text.mid"), "MThd is not enough\n")
                              << int(FluidMidiDevice::NotPlayable);
        QTest::newRow("truncated")
            << write(tmp_, QStringLiteral("cut.mid"), good.left(good.size() - 6))
            << int(FluidMidiDevice::NotPlayable);
        QTest::newRow("space in path") << piece_ << int(FluidMidiDevice::Ok);
    }
    void openChecksThePiece() {
        QFETCH(QString, path);
        QFETCH(int, answer);
        QCOMPARE(midi_->command(openCommand(path)), answer);
        // A failed open leaves nothing to play.
        QCOMPARE(midi_->command(QStringLiteral("play midi")),
                 answer == 0 ? 0 : int(FluidMidiDevice::NothingOpen));
        QCOMPARE(midi_->command(QStringLiteral("close midi")), 0);
    }

    void noSoundFontOrOutputFails_data() {
        QTest::addColumn<QString>("soundFont");
        QTest::addColumn<QStringList>("drivers");
        QTest::newRow("no SoundFont")
            << tmp_.filePath(QStringLiteral("none.sf2")) << QStringList{QStringLiteral("file")};
        QTest::newRow("no output")
            << FluidMidiDevice::systemSoundFont << QStringList{QStringLiteral("no-such-driver")};
    }
    void noSoundFontOrOutputFails() {
        QFETCH(QString, soundFont);
        QFETCH(QStringList, drivers);
        FluidMidiDevice device(soundFont, drivers, tmp_.filePath(QStringLiteral("other.raw")));
        QCOMPARE(device.command(openCommand(piece_)), int(FluidMidiDevice::DeviceUnavailable));
        QVERIFY(!device.ready());
        QCOMPARE(device.command(QStringLiteral("play midi")), int(FluidMidiDevice::NothingOpen));
    }

    void commandsInAnyOrder() {
        for (const QString& c : {QStringLiteral("stop midi"), QStringLiteral("close midi")})
            QCOMPARE(midi_->command(c), 0);
        QCOMPARE(midi_->command(QStringLiteral("play midi")), int(FluidMidiDevice::NothingOpen));
        QCOMPARE(midi_->command(QStringLiteral("rewind midi")),
                 int(FluidMidiDevice::UnknownCommand));
        const QStringList orders[] = {{"play", "stop", "close"},
                                      {"close", "play", "stop"},
                                      {"stop", "stop", "play", "play"},
                                      {"play", "close", "close", "stop", "play"},
                                      {"stop", "close", "play"}};
        for (const QStringList& order : orders) {
            QCOMPARE(midi_->command(openCommand(piece_)), 0);
            bool open = true;
            for (const QString& word : order) {
                const int answer = midi_->command(word + QStringLiteral(" midi"));
                QCOMPARE(answer, word == "play" && !open ? int(FluidMidiDevice::NothingOpen) : 0);
                open = open && word != "close";
            }
        }
        midi_->command(QStringLiteral("close midi"));
    }

    // The music's end is its last tick, long before the last note has rung out.
    void endIsTheLastTick() {
        const QString longer = write(tmp_, QStringLiteral("long.mid"), midiFile(96 * 20));
        QCOMPARE(midi_->command(openCommand(longer)), 0);
        QCOMPARE(midi_->command(QStringLiteral("play midi")), 0);
        // Opening the next piece closes the playing one; only the new one plays on.
        QCOMPARE(midi_->command(openCommand(piece_)), 0);
        QVERIFY(!midi_->lastTickReached());
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(midi_->command(QStringLiteral("play midi")), 0);
        QTRY_VERIFY_WITH_TIMEOUT(midi_->lastTickReached(), 3000);
        QVERIFY2(clock.elapsed() >= 400 && clock.elapsed() < 1500,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(midi_->command(openCommand(piece_)), 0);
        QVERIFY(!midi_->lastTickReached());
        QCOMPARE(midi_->command(QStringLiteral("close midi")), 0);
    }

    void shippedPiecesOpen() {
        const QDir dir(QStringLiteral(QUOLMAR_BUILD_DIR));
        if (!dir.exists(QStringLiteral("60.mid")))
            QSKIP("the pieces have not been generated");
        for (int seconds : {60, 75, 90, 100, 105, 110, 120, 130, 140, 150, 160, 170, 180}) {
            const QString name = QString::number(seconds) + QStringLiteral(".mid");
            QVERIFY2(midi_->command(openCommand(dir.filePath(name))) == 0, qPrintable(name));
        }
        midi_->command(QStringLiteral("close midi"));
    }

    void cleanupTestCase() { midi_.reset(); }

    // SDL's dummy driver plays in real time without a sound card.
    void init() { qputenv("SDL_AUDIODRIVER", "dummy"); }

    void unplayableClipAlertsOnce_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing") << tmp_.filePath(QStringLiteral("nowhere.wav"));
        QTest::newRow("not a WAV") << write(tmp_, QStringLiteral("text.wav"), "RIFF? no.\n");
    }
    void unplayableClipAlertsOnce() {
        QFETCH(QString, path);
        int alerts = 0;
        SdlWavPlayer player([&] { ++alerts; });
        QVERIFY(player.open());
        QElapsedTimer clock;
        clock.start();
        player.play(path, WavPlayer::Mode::Sync);
        QVERIFY(clock.elapsed() < 200);
        QCOMPARE(alerts, 1);
        player.play(path, WavPlayer::Mode::Async);
        QCOMPARE(alerts, 2);
        QCOMPARE(player.sounding(), 0);
    }

    void syncClipHoldsInputUntilItEnds() {
        const QString clip = write(tmp_, QStringLiteral("short clip.wav"), wavFile(300));
        int alerts = 0;
        SdlWavPlayer player([&] { ++alerts; });
        KeyRecorder keys;
        keys.show();
        QVERIFY(QTest::qWaitForWindowExposed(&keys));
        postKey(&keys, 'a');
        bool typedDuringClip = false;
        QTimer::singleShot(100, &keys, [&] {
            typedDuringClip = player.sounding() == 1;
            postKey(&keys, 'b');
            postKey(&keys, 'c');
        });
        QElapsedTimer clock;
        clock.start();
        player.play(clip, WavPlayer::Mode::Sync);
        const qint64 held = clock.elapsed();
        QVERIFY2(held >= 250 && held < 2000, qPrintable(QString::number(held)));
        QVERIFY(typedDuringClip);
        QCOMPARE(player.sounding(), 0);
        QCOMPARE(keys.typed, QString());
        postKey(&keys, 'd');
        QTRY_COMPARE(keys.typed, QStringLiteral("abcd"));
        QCOMPARE(alerts, 0);
    }

    void asyncReturnsAtOnceAndCutsOff() {
        const QString first = write(tmp_, QStringLiteral("first.wav"), wavFile(2000));
        const QString second = write(tmp_, QStringLiteral("second.wav"), wavFile(2000));
        SdlWavPlayer player([] {});
        QVERIFY(player.open());
        QElapsedTimer clock;
        clock.start();
        player.play(first, WavPlayer::Mode::Async);
        QVERIFY(clock.elapsed() < 50);
        QCOMPARE(player.sounding(), 1);
        player.play(second, WavPlayer::Mode::Async);
        QCOMPARE(player.sounding(), 1);
        // A sync clip cuts off the async one too, and returns with its own end.
        const QString shortClip = write(tmp_, QStringLiteral("third.wav"), wavFile(200));
        clock.restart();
        player.play(shortClip, WavPlayer::Mode::Sync);
        QVERIFY(clock.elapsed() < 1000);
        QCOMPARE(player.sounding(), 0);
    }

    void noAudioDeviceIsSilent() {
        qputenv("SDL_AUDIODRIVER", "no-such-driver");
        const QString clip = write(tmp_, QStringLiteral("silent.wav"), wavFile(500));
        int alerts = 0;
        SdlWavPlayer player([&] { ++alerts; });
        QElapsedTimer clock;
        clock.start();
        player.play(clip, WavPlayer::Mode::Sync);
        player.play(tmp_.filePath(QStringLiteral("nowhere.wav")), WavPlayer::Mode::Sync);
        QVERIFY(clock.elapsed() < 100);
        QVERIFY(!player.open());
        QCOMPARE(player.sounding(), 0);
        QCOMPARE(alerts, 0);
    }

private:
    QTemporaryDir tmp_;
    std::unique_ptr<FluidMidiDevice> midi_;
    QString piece_;
};

QTEST_MAIN(TestPlayers)
#include "tst_players.moc"
