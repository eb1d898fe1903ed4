// The sound system's gates; the real players, on SDL's dummy driver and FluidSynth's file driver,
// which keep real time without a sound card; and the generated music and clips.
#include "Fakes.h"
#include "sound/FluidMidiDevice.h"
#include "sound/LazyAudio.h"
#include "sound/SdlWavPlayer.h"
#include "sound/SoundSystem.h"
#include "state/Rules.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QtEndian>
#include <SDL.h>
#include <ebur128.h>
#include <fluidsynth.h>
#include <malloc.h>
#include <numeric>
#include <set>

using Device = FluidMidiDevice;
using Mode = WavPlayer::Mode;
const QString built = QStringLiteral(QUOLMAR_SOUND_DIR "/");

static QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One note lasting `ticks` (hex, "60" is half a second) on the piano, which the program's own
// SoundFont lacks; an empty `program` leaves the choice to the default, also the piano.
static QByteArray midiFile(const char* ticks, const QByteArray& program = "00") {
    const QByteArray choice = program.isEmpty() ? "" : "00c0" + program;
    const QByteArray track =
        QByteArray::fromHex(choice + "00903c64" + ticks + "803c4000ff2f00");
    return QByteArray::fromHex("4d546864000000060000000100604d54726b000000") + char(track.size()) +
           track;
}

// Stereo samples, as floats or as 16 bits, by the EBU R128 meter: neither too quiet nor too loud
// against the other sounds, and never clipping.
static void measure(const float* f, const short* s, std::size_t frames, double least, double most) {
    ebur128_state* meter = ebur128_init(2, 44100, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    f ? ebur128_add_frames_float(meter, f, frames) : ebur128_add_frames_short(meter, s, frames);
    double lufs = 0, left = 1, right = 1;
    ebur128_loudness_global(meter, &lufs);
    ebur128_true_peak(meter, 0, &left);
    ebur128_true_peak(meter, 1, &right);
    ebur128_destroy(&meter);
    QVERIFY2(lufs >= least && lufs <= most, qPrintable(QString("%1 LUFS").arg(lufs)));
    QVERIFY2(std::max(left, right) <= 0.89, "clips: a true peak above -1 dBTP");
}

static QString openCommand(const QString& path) {
    return "open sequencer!" + path + " alias midi";
}

class TestSound : public QObject {
    Q_OBJECT
    QTemporaryDir tmp_;
    QString piece_ = write("round music.mid", midiFile("60"));
    Device midi_{Device::systemSoundFont, {"file"}, tmp_.filePath("out.raw")};

    QString write(const QString& name, const QByteArray& bytes) {
        QFile f(tmp_.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(f.fileName()));
        return f.fileName();
    }

private slots:
    void gates_data() {
        QTest::addColumn<int>("options"); // 1: WAV, 2: MIDI, 4: the piece does not open
        QTest::addColumn<QString>("music");
        QTest::addColumn<QStringList>("done");
        const QStringList stop{"stop midi", "close midi"}, clip{"/q/60.mid", "sync /q/choice.wav"};
        const QStringList music = stop + QStringList{openCommand("/q/90.mid"), "play midi"} + stop;
        QTest::newRow("WAV") << 1 << "90.mid" << stop + clip;
        QTest::newRow("MIDI") << 2 << "90.mid" << music + QStringList{"/q/60.mid"};
        QTest::newRow("round without music") << 3 << "" << stop + clip;
        // Says so, and sends the play command all the same, as it always did.
        QTest::newRow("open fails") << 6 << "90.mid" << music + QStringList{"Error!", "/q/60.mid"};
    }
    void gates() {
        QFETCH(int, options);
        QFETCH(QString, music);
        GameState state;
        state.UseWav = options & 1;
        state.UseMidi = options & 2;
        FakeWavPlayer wav;
        FakeMidiDevice midi;
        midi.openResult = options & 4 ? 263 : 0;
        ScriptedDialogs dialogs;
        SoundSystem sound(state, wav, midi, dialogs, "/q");
        sound.clip("choice.wav", Mode::Sync);
        sound.music(music);
        sound.StopMidi();
        sound.prepareMusic("60.mid");
        QStringList done = midi.commands + dialogs.texts + midi.prepared;
        for (const auto& [path, mode] : wav.calls)
            done << (mode == Mode::Sync ? "sync " : "async ") + path;
        QTEST(done, "done");
    }

    // Opening closes the piece before, so after a failed open nothing plays, and after a good
    // one only the new piece plays on; the music ends at its last tick, before its last note.
    void opening() {
        for (const auto& [path, answer] :
             {std::pair(tmp_.filePath("nowhere.mid"), Device::FileNotFound),
              std::pair(write("cut.mid", midiFile("60").chopped(6)), Device::NotPlayable)}) {
            QCOMPARE(midi_.command(openCommand(piece_)), 0);
            QCOMPARE(midi_.command(openCommand(path)), int(answer));
            QCOMPARE(midi_.command("play midi"), int(Device::NothingOpen));
        }
        QCOMPARE(midi_.command(openCommand(write("long.mid", midiFile("8f00")))), 0);
        QCOMPARE(midi_.command("play midi"), 0);
        QCOMPARE(midi_.command(openCommand(piece_)), 0);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(midi_.command("play midi"), 0);
        QVERIFY(!midi_.lastTickReached());
        QTRY_VERIFY_WITH_TIMEOUT(midi_.lastTickReached(), 3000);
        QVERIFY2(clock.elapsed() >= 400 && clock.elapsed() < 1500,
                 qPrintable(QString::number(clock.elapsed())));
    }

    // The players come from the audio module; without it the game goes on in silence, and the
    // music's open fails as it does without an audio device.
    void audioModule() {
        LazyAudio real(built + "quolmar-audio.so"), none(built + "no-such-module.so");
        QCOMPARE(real.command("rewind midi"), int(Device::UnknownCommand));
        none.play(built + "choice.wav", Mode::Sync);
        none.preload({built + "choice.wav"});
        QCOMPARE(none.command(openCommand(piece_)), int(Device::DeviceUnavailable));
    }

    // Clips and music have a queue each: a clip never waits for the instruments of the music,
    // and what was prepared is let go once done, however many times.
    void queues() {
        struct Slow final : MidiDevice {
            int command(const QString&) override { return 0; }
            void prepare(const QString&) override { QThread::msleep(400); }
        };
        auto* wav = new FakeWavPlayer;
        LazyAudio slow([wav] { return AudioPlayers{wav, new Slow}; });
        slow.prepare(piece_);
        QElapsedTimer clock;
        clock.start();
        slow.play(built + "vokwen1.wav", Mode::Async);
        QVERIFY2(clock.elapsed() < 200 && wav->calls.size() == 1,
                 qPrintable(QString::number(clock.elapsed())));
        const auto inUse = [] { return qint64(mallinfo2().uordblks) / 1024; }; // KiB
        LazyAudio quick([] { return AudioPlayers{new FakeWavPlayer, new Slow}; });
        const auto prepares = [&](int n) {
            for (int i = 0; i < n; ++i)
                quick.preload({QString(1000, u'x')});
            quick.play({}, Mode::Async);
        };
        prepares(100);
        const qint64 before = inUse();
        prepares(10000);
        QVERIFY2(inUse() - before < 1024, qPrintable(QString::number(inUse() - before)));
    }

    // An output closed with its piece opens again for the next; one whose device fails (ALSA's,
    // with no sound server, writing to /dev/full) is noticed, and the next piece cannot open.
    void outputComesBack() {
        QCOMPARE(midi_.command(openCommand(piece_)), 0);
        QVERIFY(midi_.ready());
        QCOMPARE(midi_.command("close midi"), 0);
        QVERIFY(!midi_.ready());
        QCOMPARE(midi_.command("play midi"), int(Device::NothingOpen));
        const auto alsa = [this](const char* name, const char* pcm) {
            const QByteArray config = "</usr/share/alsa/alsa.conf>\npcm.!default " + QByteArray(pcm);
            qputenv("ALSA_CONFIG_PATH", write(name, config).toUtf8());
        };
        qputenv("PULSE_SERVER", tmp_.filePath("no-server").toUtf8());
        alsa("full.conf", "{ type file slave.pcm null file /dev/full }");
        Device music;
        music.prepare({});
        QVERIFY(music.ready());
        QTRY_VERIFY(!music.ready());
        alsa("gone.conf", "{ type hw card 31 }");
        QCOMPARE(music.command(openCommand(piece_)), int(Device::DeviceUnavailable));
    }

    // The system's SoundFont is loaded behind the program's only for a piece that plays what the
    // program's lacks; without it those notes are silent, and the piece still plays.
    void behind_data() {
        QTest::addColumn<QString>("piece");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("the program's piece") << built + "60.mid" << true << false;
        QTest::newRow("a note it lacks") << write("bass.mid", midiFile("60", "26")) << true << true;
        QTest::newRow("the default") << write("default.mid", midiFile("60", "")) << true << true;
        QTest::newRow("none installed") << piece_ << false << false;
    }
    void behind() {
        QFETCH(QString, piece);
        QFETCH(bool, installed);
        QFETCH(bool, loaded);
        const QString out = tmp_.filePath("behind.raw");
        Device midi(built + "quolmar.sf2", {"file"}, out,
                    installed ? Device::systemSoundFont : tmp_.filePath("none.sf2"));
        midi.prepare(built + "90.mid");
        QVERIFY(!midi.behindLoaded());
        QCOMPARE(midi.command(openCommand(piece)), 0);
        QCOMPARE(midi.command("play midi"), 0);
        QTest::qWait(600);
        QCOMPARE(midi.behindLoaded(), loaded);
        const QByteArray raw = read(out);
        const auto* sample = reinterpret_cast<const qint16*>(raw.constData());
        QCOMPARE(std::any_of(sample, sample + raw.size() / 2, [](int s) { return s > 1000; }),
                 installed);
    }

    // Only the removal of the clips' own device (SDL tells of others as device 0) reopens it,
    // which cuts the clip sounding. A clip cuts off the one before; a sync clip holds the keys
    // typed meanwhile until it ends. A missing clip sounds the alert, unless there is no device.
    void clips() {
        qputenv("SDL_AUDIODRIVER", "dummy");
        int alerts = 0;
        std::optional<SdlWavPlayer> player(std::in_place, [&] { ++alerts; });
        for (const Uint32 device : {0, 1}) {
            player->play(built + "gameover.wav", Mode::Async);
            SDL_Event removed{};
            removed.adevice = {SDL_AUDIODEVICEREMOVED, 0, device, 0, 0, 0, 0};
            QCOMPARE(SDL_PushEvent(&removed), 1);
            player->preload({});
            QCOMPARE(player->sounding(), device == 0 ? 1 : 0);
        }
        const QString clip = built + "letsplay.wav";
        const qint64 length = (QFileInfo(clip).size() - 44) * 1000 / (44100 * 4);
        QLineEdit keys;
        const auto type = [&keys](const char* text) {
            QCoreApplication::postEvent(&keys, new QKeyEvent(QEvent::KeyPress, 0, {}, text));
        };
        player->play(built + "gameover.wav", Mode::Async);
        player->play(built + "voteoff.wav", Mode::Async);
        type("a");
        int sounding = 0;
        QTimer::singleShot(100, [&] {
            sounding = player->sounding();
            type("b");
        });
        QElapsedTimer clock;
        clock.start();
        player->play(clip, Mode::Sync);
        // SDL's dummy driver plays a few per cent fast.
        QVERIFY2(clock.elapsed() > length * 9 / 10 && clock.elapsed() < length + 900,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(sounding, 1);
        QCOMPARE(keys.text(), QString());
        type("c");
        QTRY_COMPARE(keys.text(), QStringLiteral("abc"));
        player->play(tmp_.filePath("nowhere.wav"), Mode::Sync);
        player.reset();
        qputenv("SDL_AUDIODRIVER", "no-such-driver");
        SdlWavPlayer([&] { ++alerts; }).play(tmp_.filePath("nowhere.wav"), Mode::Sync);
        QCOMPARE(alerts, 1);
    }

    void piece_data() {
        QTest::addColumn<int>("seconds");
        std::set<int> pieces; // what the game plays, so a piece left out of the build's list fails
        for (const GameFormat* f : {&formats::six, &formats::eight, &formats::nine})
            for (int round = 1; round <= f->lastRound; ++round)
                pieces.insert(rules::clockSeconds(*f, round));
        for (int n : pieces)
            QTest::addRow("%d.mid", n) << n;
    }
    // As the program plays it, from its own SoundFont and from the full one it was cut from: the
    // two must not differ by a single sample. Then the last section (the final 30 s) and the end.
    void piece() {
        QFETCH(int, seconds);
        const QByteArray file = read(built + QTest::currentDataTag());
        struct Offline {
            Offline(const QByteArray& font, const QByteArray& file) {
                fluid_settings_setstr(settings, "player.timing-source", "sample");
                loaded = fluid_synth_sfload(synth, font, 0) != FLUID_FAILED &&
                         fluid_player_add_mem(player, file.constData(), file.size()) == FLUID_OK &&
                         fluid_player_play(player) == FLUID_OK;
            }
            ~Offline() {
                delete_fluid_player(player);
                delete_fluid_synth(synth);
                delete_fluid_settings(settings);
            }
            void render(float* out, int frames) {
                fluid_synth_write_float(synth, frames, out, 0, 2, out, 1, 2);
            }
            fluid_settings_t* settings = Device::tune(new_fluid_settings());
            fluid_synth_t* synth = new_fluid_synth(settings);
            fluid_player_t* player = new_fluid_player(synth);
            bool loaded = false;
        } own(QFile::encodeName(built + "quolmar.sf2"), file), full(QUOLMAR_SOUNDFONT, file);
        QVERIFY(own.loaded && full.loaded);
        // In 100 ms blocks to half a second past the end; the last 34 s are kept.
        constexpr int block = 4410, last = 340 * block;
        const int frames = (10 * seconds + 5) * block, first = frames - last;
        std::vector<float> out(2 * last), mine(2 * block), theirs(2 * block);
        float worst = 0;
        for (int at = 0; at < frames; at += block) {
            own.render(mine.data(), block);
            full.render(theirs.data(), block);
            for (int i = 0; i < 2 * block; ++i)
                worst = std::max(worst, std::abs(mine[i] - theirs[i]));
            if (at >= first)
                std::copy(mine.begin(), mine.end(), out.begin() + 2 * (at - first));
        }
        QVERIFY2(worst == 0, qPrintable(QString("differs by up to %1").arg(worst)));
        const int ticks = fluid_player_get_total_ticks(own.player);
        QVERIFY2(ticks == seconds * 960, qPrintable(QString::number(ticks)));
        measure(out.data(), nullptr, out.size() / 2, -19, -15);
        std::vector<double> energy; // of 10 ms steps
        for (auto at = out.begin(); at != out.end(); at += 882)
            energy.push_back(std::inner_product(at, at + 882, at, 0.0));
        const double loudest = *std::max_element(energy.begin(), energy.end());
        const auto hit = std::max_element(energy.end() - 750, energy.end()); // of the last 7 s
        QVERIFY2(std::abs(hit - energy.begin() - 3350) <= 10, "the hit is not at the end");
        for (auto at = energy.begin(); at + 60 <= hit; at += 10) // above 2 % of the hit's level
            QVERIFY2(std::accumulate(at, at + 50, 0.0) / 50 > loudest / 2500, "falls quiet");
    }

    void clip_data() {
        QTest::addColumn<double>("shortest");
        QTest::addColumn<double>("longest");
        const std::tuple<const char*, double, double> clips[] = {
            {"letsplay", 2, 3},    {"startclock1", 1, 2}, {"startclock2", 1, 2},
            {"voteoff", 2.5, 3.5}, {"vokwen1", 2, 3},     {"vokwen2", 2, 3},
            {"vokwen3", 2, 3},     {"vokwen4", 2, 3},     {"vokwen5", 2, 3},
            {"finalround", 3, 4},  {"choice", 0.7, 1.3},  {"gameover", 2.5, 3.5}};
        for (auto [name, shortest, longest] : clips)
            QTest::addRow("%s.wav", name) << shortest << longest;
    }
    void clip() {
        const QByteArray f = read(built + QTest::currentDataTag());
        const qint64 data = f.size() - 44;
        const auto at = [&f](qsizetype i) { return qFromLittleEndian<qint32>(f.constData() + i); };
        QVERIFY2(data > 0 && f.startsWith("RIFF") && at(4) == data + 36 && at(40) == data &&
                     f.mid(8, 32) == QByteArray::fromHex("57415645666d74201000000001000200"
                                                         "44ac000010b102000400100064617461"),
                 "not 16-bit stereo PCM at 44.1 kHz");
        QFETCH(double, shortest);
        QFETCH(double, longest);
        const double seconds = double(data) / 4 / 44100;
        QVERIFY2(seconds >= shortest && seconds <= longest, qPrintable(QString::number(seconds)));
        measure(nullptr, reinterpret_cast<const short*>(f.constData() + 44), data / 4, -19, -14.5);
        int tail = 0; // the last 10 ms
        for (qsizetype i = f.size() - 1764; i < f.size(); i += 2)
            tail = std::max(tail, std::abs(int(qFromLittleEndian<qint16>(f.constData() + i))));
        QVERIFY2(tail < 300, "ends with a click");
    }
};

QTEST_MAIN(TestSound)
#include "tst_sound.moc"
