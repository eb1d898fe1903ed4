#include "Music.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

constexpr std::int64_t beat = MidiWriter::ticksPerQuarter;
constexpr std::int64_t eighth = beat / 2;
constexpr std::int64_t sixteenth = beat / 4;
constexpr std::int64_t bar = 4 * beat; // two seconds

enum Channel { Bass, Pizz, Pad, Tremolo, Lead, Hit, Brass, Timpani, Horn, Drums, Taiko, Tutti };
enum Drum {
    Kick = 36,
    Rim = 37,
    Snare = 38,
    ClosedHat = 42,
    Crash = 49,
    Crash2 = 57,
    HighBlock = 76,
    LowBlock = 77
};

struct Chord {
    int bass;
    std::array<int, 3> tones; // around the octave above middle C
};
constexpr Chord Dm{38, {62, 65, 69}};
constexpr Chord Bb{34, {58, 62, 65}};
constexpr Chord C{36, {60, 64, 67}};
constexpr Chord A{33, {61, 64, 69}};
// i - VI - VII - V, two bars each: it keeps turning back to the dominant, so it never settles.
constexpr std::array<Chord, 8> cycle{Dm, Dm, Bb, Bb, C, C, A, A};
// Horn line over the cycle, a bar a note.
constexpr std::array<int, 8> hornLine{69, 65, 70, 65, 67, 64, 69, 73};

// Notes are cut off before the final hit and dropped after it, so the hit stands alone.
class Piece {
public:
    explicit Piece(int seconds)
        : end_(seconds * MidiWriter::ticksPerSecond), hit_(end_ - finalHitLead) {}
    std::int64_t end() const { return end_; }
    std::int64_t hit() const { return hit_; }

    void note(int channel, int key, int velocity, std::int64_t at, std::int64_t length,
              std::int64_t until) {
        until = std::min(until, hit_);
        if (at < 0 || at >= until)
            return;
        midi.note(channel, key, std::min(velocity + boost, 127), at, std::min(length, until - at));
    }
    MidiWriter midi;
    // Added to every velocity: the long first part is played out, so that it carries in a room.
    int boost = 0;

private:
    std::int64_t end_;
    std::int64_t hit_;
};

// The first part, counted forward from the start so every piece opens the same way; it runs
// in 16-second phrases whose layers change so that three minutes do not wear.
void mainSection(Piece& p, std::int64_t until) {
    for (std::int64_t b = 0; b * bar < until; ++b) {
        const std::int64_t s = b * bar;
        const Chord& c = cycle[static_cast<std::size_t>(b % 8)];
        const std::int64_t k = b / 8;                        // phrase
        const int lift = static_cast<int>(14 * s / p.end()); // a slow build over the piece
        for (int i = 0; i < 8; ++i) {
            const std::int64_t t = s + i * eighth;
            const int key = c.bass + (i % 4 == 3 ? 12 : 0);
            p.note(Bass, key, (i % 2 == 0 ? 84 : 66) + lift, t, eighth - 40, until);
            p.note(Drums, ClosedHat, (i % 2 == 0 ? 46 : 32) + lift, t, sixteenth, until);
            // Chord tones, then the lower two an octave up.
            const std::array<int, 5> palette{c.tones[0], c.tones[1], c.tones[2], c.tones[0] + 12,
                                             c.tones[1] + 12};
            static constexpr std::array<int, 8> rocking{0, 2, 4, 2, 0, 2, 4, 2};
            static constexpr std::array<int, 8> climbing{0, 1, 2, 1, 3, 2, 1, 2};
            const int step = (k % 2 == 0 ? rocking : climbing)[static_cast<std::size_t>(i)];
            p.note(Pizz, palette[static_cast<std::size_t>(step)], 62 + lift + (i == 0 ? 10 : 0), t,
                   eighth, until);
        }
        for (int i = 0; i < 4; i += 2)
            p.note(Drums, Kick, 78 + lift, s + i * beat, eighth, until);
        if (k % 2 == 1) {
            p.note(Drums, Rim, 44 + lift, s + beat, eighth, until);
            p.note(Drums, Rim, 44 + lift, s + 3 * beat, eighth, until);
        }
        if (k % 3 != 2)
            for (int tone : c.tones)
                p.note(Pad, tone, 50 + lift, s, bar - 20, until);
        if (k % 4 == 2)
            p.note(Horn, hornLine[static_cast<std::size_t>(b % 8)], 58 + lift, s, bar - 60, until);
        if (b % 8 == 0 && k > 0)
            p.note(Drums, Crash, 58 + lift, s, beat, until);
    }
}

// The last 30 seconds, counted back from the end so every piece ends the same way: denser and
// higher for 20 seconds, then a ticking clock over a rising line for the last 10.
void finalSection(Piece& p) {
    static constexpr std::array<Chord, 4> turn{A, C, Bb, Dm};
    for (int b = 15; b >= 1; --b) {
        const std::int64_t s = p.end() - b * bar;
        const std::int64_t e = s + bar;
        const int rise = 15 - b; // 0 .. 14
        if (b == 15 || b == 10 || b == 5)
            p.note(Drums, Crash, 84, s, beat, e);
        if (b > 5) {
            const Chord& c = turn[static_cast<std::size_t>((b - 6) % 4)];
            const int up = b <= 10 ? 12 : 0;
            for (int i = 0; i < 8; ++i) {
                const std::int64_t t = s + i * eighth;
                p.note(Bass, c.bass + (i % 2 == 1 ? 12 : 0), 86 + rise, t, eighth - 40, e);
                p.note(Pizz, c.tones[static_cast<std::size_t>(i % 3)] + 12, 66 + rise, t, eighth,
                       e);
            }
            for (int i = 0; i < 16; ++i) {
                const std::int64_t t = s + i * sixteenth;
                static constexpr int arp[4]{0, 1, 2, 1};
                p.note(Lead, c.tones[static_cast<std::size_t>(arp[i % 4])] + 12 + up,
                       40 + rise + (i % 4 == 0 ? 8 : 0), t, sixteenth - 30, e);
                p.note(Drums, ClosedHat, i % 2 == 0 ? 44 : 28, t, sixteenth, e);
            }
            for (int i = 0; i < 4; ++i)
                p.note(Drums, Kick, 84, s + i * beat, eighth, e);
            if (b <= 10) {
                p.note(Drums, Snare, 58, s + beat, eighth, e);
                p.note(Drums, Snare, 58, s + 3 * beat, eighth, e);
            }
            for (int tone : c.tones)
                p.note(Tremolo, tone + up, 60 + rise, s, bar - 20, e);
        } else {
            // The clock: a tick every second, a softer tock between.
            for (int i = 0; i < 4; ++i) {
                p.note(Drums, i % 2 == 0 ? HighBlock : LowBlock, i % 2 == 0 ? 80 : 60,
                       s + i * beat, eighth, e);
                if (i % 2 == 0)
                    p.note(Drums, Kick, 72, s + i * beat, eighth, e);
            }
            for (int i = 0; i < 8; ++i)
                p.note(Bass, 38, 80, s + i * eighth, eighth - 40, e);
            for (int i = 0; i < 16; ++i)
                p.note(Lead, 74, i % 4 == 0 ? 56 : 38, s + i * sixteenth, sixteenth - 30, e);
            // A line climbing by semitones over a held D.
            p.note(Tremolo, 62, 70 + 3 * (5 - b), s, bar - 20, e);
            p.note(Tremolo, 69 + (5 - b), 70 + 3 * (5 - b), s, bar - 20, e);
            if (b == 1)
                for (int i = 0; i < 16; ++i)
                    p.note(Timpani, 38, 30 + 2 * i, s + i * sixteenth, sixteenth, e);
        }
    }
}

} // namespace

MidiWriter clockPiece(int seconds) {
    Piece p(seconds);
    MidiWriter& m = p.midi;
    // The final hit's channels are at full volume, so the hit stands well clear of the music.
    m.voice(Bass, 38, 100);
    m.voice(Pizz, 45, 92, 44);
    m.voice(Pad, 48, 74, 84, 60);
    m.voice(Tremolo, 44, 84, 76, 50);
    m.voice(Lead, 80, 46, 56, 30);
    m.voice(Hit, 55, 127);
    m.voice(Brass, 61, 127, 64, 50);
    m.voice(Timpani, 47, 100);
    m.voice(Horn, 60, 84, 40, 60);
    m.voice(Drums, 0, 84, 64, 30);
    m.voice(Taiko, 116, 127);
    m.voice(Tutti, 48, 127, 64, 50);

    // The band swells in under the clock's starting clip, which would clip with it at full
    // level; expression then steps up at 30, 20 and 10 seconds to go.
    const std::int64_t second = MidiWriter::ticksPerSecond;
    for (int channel : {Bass, Pizz, Pad, Tremolo, Lead, Timpani, Horn, Drums}) {
        for (int step = 0; step <= 8; ++step)
            m.control(channel, 11, 48 + 8 * step, step * second / 4);
        for (auto [togo, expression] : {std::pair{30, 116}, {20, 122}, {10, 127}})
            m.control(channel, 11, expression, p.end() - togo * second);
    }
    const std::int64_t lastThirty = p.end() - 30 * second;
    p.boost = 14;
    mainSection(p, lastThirty);
    p.boost = 0;
    finalSection(p);

    // The final hit, and the track's end exactly at the last second.
    const std::int64_t h = p.hit();
    const std::int64_t ring = p.end() - h;
    m.note(Drums, Crash, 70, h, ring);
    for (int key : {38, 50, 53, 57, 62})
        m.note(Brass, key, 90, h, ring);
    for (int key : {50, 57, 62, 65, 74})
        m.note(Tutti, key, 90, h, ring);
    m.end(p.end());
    return m;
}
