// The generated sounds: clock pieces that last exactly their seconds with the final hit heard at
// the last one, and clips that are playable, of the right length and all different.
#include "state/Rules.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSet>
#include <QTest>
#include <QtEndian>

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <set>
#include <utility>
#include <vector>

namespace {

constexpr int rate = 44100;

QByteArray contents(const QString& name) {
    QFile f(QStringLiteral(QUOLMAR_SOUND_DIR "/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

quint32 big(const QByteArray& f, qsizetype at, int bytes) {
    quint32 v = 0;
    for (qsizetype i = at; i < at + bytes; ++i)
        v = v << 8 | (i < f.size() ? quint8(f[i]) : 0u);
    return v;
}

QByteArray bytes(qint64 v, int n, bool littleEndian = false) {
    QByteArray b;
    for (int k = 0; k < n; ++k)
        b += char(v >> 8 * (littleEndian ? k : n - 1 - k));
    return b;
}

// A format-0 MIDI file as (tick, raw event) pairs. tempo is 0 when missing and -1 when it
// changes or comes late; endTick is -1 without an end-of-track.
struct Midi {
    int division = 0, tempo = 0;
    std::vector<std::pair<qint64, QByteArray>> events;
    qint64 endTick = -1;
};

Midi parse(const QByteArray& f) {
    Midi m;
    if (!f.startsWith("MThd") || big(f, 8, 4) != 1 || f.mid(14, 4) != "MTrk")
        return m;
    m.division = int(big(f, 12, 2));
    const qsizetype stop = std::min<qsizetype>(22 + big(f, 18, 4), f.size());
    qsizetype i = 22;
    auto variable = [&] {
        quint32 v = 0;
        for (quint32 b = 0x80; (b & 0x80) && i < stop; v = v << 7 | (b & 0x7f))
            b = big(f, i++, 1);
        return v;
    };
    for (qint64 tick = 0; i < stop && m.endTick < 0;) {
        tick += variable();
        const qsizetype start = i;
        const quint32 status = big(f, i++, 1);
        if (status == 0xFF) {
            const quint32 type = big(f, i++, 1), length = variable();
            if (type == 0x51)
                m.tempo = m.tempo || tick ? -1 : int(big(f, i, 3));
            if (type == 0x2F)
                m.endTick = tick;
            i += length;
        } else if (status < 0x80 || status >= 0xF0) {
            return {}; // running status and system messages are never written
        } else {
            i += (status & 0xE0) == 0xC0 ? 1 : 2; // program change, channel pressure: one byte
        }
        m.events.emplace_back(tick, f.mid(start, i - start));
    }
    return m;
}

QByteArray serialize(const Midi& m) {
    QByteArray track;
    qint64 now = 0;
    for (const auto& [tick, bytes] : m.events) {
        QByteArray delta(1, char((tick - now) & 0x7f));
        for (qint64 v = (tick - now) >> 7; v > 0; v >>= 7)
            delta.prepend(char(0x80 | (v & 0x7f)));
        track += delta + bytes;
        now = tick;
    }
    return "MThd" + bytes(6, 4) + bytes(0, 2) + bytes(1, 2) + bytes(m.division, 2) + "MTrk" +
           bytes(track.size(), 4) + track;
}

bool endsAt(const Midi& m, qint64 seconds) {
    return m.endTick >= 0 && m.tempo > 0 && m.endTick * m.tempo == seconds * 1000000 * m.division;
}

// 10 ms RMS frames of a piece as FluidSynth plays it, from `from` to `to` seconds.
std::vector<double> loudness(const QByteArray& file, double from, double to) {
    const Midi m = parse(file);
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", rate);
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_settings_setint(settings, "player.reset-synth", 0); // let the hit ring
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_synth_t* synth = new_fluid_synth(settings);
    fluid_player_t* player = new_fluid_player(synth);
    const int n = int((to - from) * rate);
    std::vector<float> left(static_cast<std::size_t>(n)), right(left);
    // Seek before play: once playing, the player refuses until it has loaded the file.
    const bool ok =
        m.tempo > 0 && fluid_synth_sfload(synth, QUOLMAR_SOUNDFONT, 1) != FLUID_FAILED &&
        fluid_player_add_mem(player, file.constData(), std::size_t(file.size())) == FLUID_OK &&
        fluid_player_seek(player, int(from * m.division * 1e6 / m.tempo)) == FLUID_OK &&
        fluid_player_play(player) == FLUID_OK &&
        fluid_synth_write_float(synth, n, left.data(), 0, 1, right.data(), 0, 1) == FLUID_OK;
    fluid_player_stop(player);
    delete_fluid_player(player);
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);
    std::vector<double> frames;
    for (std::size_t i = 0; ok && i + rate / 100 <= left.size(); i += rate / 100) {
        double sum = 0;
        for (std::size_t k = i; k < i + rate / 100; ++k)
            sum += std::pow(double(left[k]) + right[k], 2);
        frames.push_back(std::sqrt(sum / (rate / 100)));
    }
    return frames;
}

struct Ending {
    double hit = -1;     // seconds: the first frame at half the loudest frame's level
    double quietest = 0; // quietest half second of the 5 s before, relative to the loudest frame
};

Ending ending(const QByteArray& file, int seconds) {
    const double from = seconds - 6.0;
    const std::vector<double> env = loudness(file, from, seconds + 0.6);
    if (env.size() < 600)
        return {};
    const double peak = *std::max_element(env.begin(), env.end());
    const auto hit = std::find_if(env.begin(), env.end(), [&](double x) { return x >= peak / 2; });
    Ending e{from + 0.01 * double(hit - env.begin()), 1};
    for (std::size_t w = 100; w + 50 <= 590; w += 10) { // from 5 s to 0.1 s before the end
        double sum = 0;
        for (std::size_t k = w; k < w + 50; ++k)
            sum += env[k] * env[k];
        e.quietest = std::min(e.quietest, std::sqrt(sum / 50) / peak);
    }
    return e;
}

// Interleaved samples of a canonical PCM WAV; empty unless 16-bit stereo at 44.1 kHz.
std::vector<qint16> wavSamples(const QByteArray& f) {
    const qint64 data = f.size() - 44;
    const QByteArray header = "RIFF" + bytes(data + 36, 4, true) + "WAVEfmt " + bytes(16, 4, true) +
                              bytes(1, 2, true) + bytes(2, 2, true) + bytes(rate, 4, true) +
                              bytes(rate * 4, 4, true) + bytes(4, 2, true) + bytes(16, 2, true) +
                              "data" + bytes(data, 4, true);
    if (data <= 0 || !f.startsWith(header))
        return {};
    std::vector<qint16> s(std::size_t(data / 2));
    qFromLittleEndian<qint16>(f.constData() + 44, qsizetype(s.size()), s.data());
    return s;
}

// Strength of each semitone from C2 to C7 over a clip, normalised: a pitch fingerprint.
std::vector<double> pitchProfile(const std::vector<qint16>& s) {
    std::vector<double> p;
    for (int key = 36; key <= 96; ++key) {
        // Goertzel's recurrence for one frequency, summed over 186 ms windows.
        const double c =
            2 * std::cos(2 * std::numbers::pi * 440 * std::pow(2, (key - 69) / 12.0) / rate);
        double total = 0;
        for (std::size_t at = 0; at + 16384 <= s.size(); at += 16384) {
            double s1 = 0, s2 = 0;
            for (std::size_t i = at; i < at + 16384; i += 2)
                s2 = std::exchange(s1, double(s[i]) + s[i + 1] + c * s1 - s2);
            total += std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - c * s1 * s2));
        }
        p.push_back(total);
    }
    const double norm = std::sqrt(std::inner_product(p.begin(), p.end(), p.begin(), 0.0));
    for (double& x : p)
        x /= norm;
    return p;
}

} // namespace

class TestMusic : public QObject {
    Q_OBJECT
private slots:
    void pieceLastsExactlyAndEndsOnTheHit_data();
    void pieceLastsExactlyAndEndsOnTheHit();
    void wrongEndingsAreCaught();
    void clipIsPlayableAndOfItsLength_data();
    void clipIsPlayableAndOfItsLength();
    void clipsDifferAndGoodbyesSoundDifferent();
};

void TestMusic::pieceLastsExactlyAndEndsOnTheHit_data() {
    QTest::addColumn<int>("seconds");
    std::set<int> pieces; // what the game plays, so a piece left out of the build's list fails
    for (const GameFormat* f : {&formats::six, &formats::eight, &formats::nine})
        for (int round = 1; round <= f->lastRound; ++round)
            pieces.insert(rules::clockSeconds(*f, round));
    for (int n : pieces)
        QTest::addRow("%d.mid", n) << n;
}

void TestMusic::pieceLastsExactlyAndEndsOnTheHit() {
    QFETCH(int, seconds);
    const QByteArray file = contents(QStringLiteral("%1.mid").arg(seconds));
    QVERIFY2(!file.isEmpty(), "not made: is it listed in sounds/CMakeLists.txt?");
    const Midi m = parse(file);
    QVERIFY2(endsAt(m, seconds), qPrintable(QStringLiteral("last tick %1").arg(m.endTick)));
    QCOMPARE(m.events.back().first, m.endTick); // nothing after the end-of-track
    const Ending e = ending(file, seconds);
    QVERIFY2(std::abs(e.hit - seconds) <= 0.1, qPrintable(QStringLiteral("hit at %1").arg(e.hit)));
    QVERIFY2(e.quietest > 0.05, "the music falls silent before the end");
}

// The checks above must reject a piece a second short, and find a hit moved half a second early
// where it now is, so that piece fails the 0.1 s test.
void TestMusic::wrongEndingsAreCaught() {
    Midi early = parse(contents(QStringLiteral("60.mid")));
    QVERIFY(!endsAt(early, 61));
    auto isNoteOn = [](const QByteArray& bytes) { return (quint8(bytes[0]) & 0xF0) == 0x90; };
    qint64 hitTick = 0;
    for (const auto& [tick, bytes] : early.events)
        hitTick = isNoteOn(bytes) ? tick : hitTick;
    for (auto& [tick, bytes] : early.events)
        tick -= tick == hitTick && isNoteOn(bytes) ? early.division : 0; // half a second
    std::stable_sort(early.events.begin(), early.events.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const QByteArray rebuilt = serialize(early);
    QVERIFY(endsAt(parse(rebuilt), 60));
    const double hit = ending(rebuilt, 60).hit;
    QVERIFY2(std::abs(hit - 59.5) <= 0.1, qPrintable(QString::number(hit)));
}

void TestMusic::clipIsPlayableAndOfItsLength_data() {
    QTest::addColumn<double>("shortest");
    QTest::addColumn<double>("longest");
    QTest::newRow("letsplay.wav") << 2.0 << 3.0;
    QTest::newRow("startclock1.wav") << 1.0 << 2.0;
    QTest::newRow("startclock2.wav") << 1.0 << 2.0;
    QTest::newRow("voteoff.wav") << 2.5 << 3.5;
    for (int i = 1; i <= 5; ++i)
        QTest::addRow("vokwen%d.wav", i) << 2.0 << 3.0;
    QTest::newRow("finalround.wav") << 3.0 << 4.0; // the game waits for these three
    QTest::newRow("choice.wav") << 0.7 << 1.3;
    QTest::newRow("gameover.wav") << 2.5 << 3.5;
}

void TestMusic::clipIsPlayableAndOfItsLength() {
    QFETCH(double, shortest);
    QFETCH(double, longest);
    const auto s = wavSamples(contents(QString::fromLatin1(QTest::currentDataTag())));
    QVERIFY2(!s.empty(), "missing, or not 16-bit stereo PCM at 44.1 kHz");
    const double seconds = double(s.size()) / 2 / rate;
    QVERIFY2(seconds >= shortest && seconds <= longest, qPrintable(QString::number(seconds)));
    int peak = 0, tail = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        int& level = i + 2 * rate / 100 < s.size() ? peak : tail; // tail: the last 10 ms
        level = std::max(level, std::abs(int(s[i])));
    }
    QVERIFY2(peak > 16000, "too quiet");
    QVERIFY2(tail < 300, "ends with a click");
}

void TestMusic::clipsDifferAndGoodbyesSoundDifferent() {
    const QStringList names = // as the build lists them
        QStringLiteral(QUOLMAR_SOUND_FILES).split(u' ').filter(QStringLiteral(".wav"));
    QSet<QByteArray> hashes;
    for (const QString& name : names)
        hashes.insert(QCryptographicHash::hash(contents(name), QCryptographicHash::Sha1));
    QCOMPARE(hashes.size(), names.size());

    std::vector<std::vector<double>> p;
    for (int i = 1; i <= 5; ++i)
        p.push_back(pitchProfile(wavSamples(contents(QStringLiteral("vokwen%1.wav").arg(i)))));
    for (std::size_t a = 0; a < p.size(); ++a)
        for (std::size_t b = a + 1; b < p.size(); ++b) {
            const double alike = std::inner_product(p[a].begin(), p[a].end(), p[b].begin(), 0.0);
            QVERIFY2(alike < 0.8, qPrintable(QStringLiteral("goodbyes %1 and %2 alike: %3")
                                                 .arg(a + 1)
                                                 .arg(b + 1)
                                                 .arg(alike)));
        }
}

QTEST_APPLESS_MAIN(TestMusic)
#include "tst_music.moc"
