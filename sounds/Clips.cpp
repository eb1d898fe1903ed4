#include "Clips.h"

namespace {

enum Drum { Kick = 36, Snare = 38, Crash = 49, Claves = 75, HighBlock = 76, LowBlock = 77 };
constexpr int drums = 9;

// Times and lengths in seconds, which read more plainly than ticks for one-off cues.
struct Score {
    MidiWriter midi;
    void voice(int channel, int program, int volume, int pan = 64, int reverb = 50) {
        midi.voice(channel, program, volume, pan, reverb);
    }
    void note(int channel, int key, int velocity, double at, double length) {
        midi.note(channel, key, velocity, ticksAt(at), ticksAt(length));
    }
    void chord(int channel, std::initializer_list<int> keys, int velocity, double at,
               double length) {
        for (int key : keys)
            note(channel, key, velocity, at, length);
    }
    // Even notes from `from` spaced `step` apart, velocity moving from v0 to v1.
    void roll(int channel, int key, double from, double to, double step, int v0, int v1) {
        const int n = static_cast<int>((to - from) / step);
        for (int i = 0; i < n; ++i)
            note(channel, key, v0 + (v1 - v0) * i / (n > 1 ? n - 1 : 1), from + i * step, step);
    }
};

Clip letsPlay() {
    Score s;
    s.voice(0, 56, 110, 54); // trumpet
    s.voice(1, 61, 100, 74); // brass section
    s.voice(2, 47, 100);     // timpani
    s.voice(3, 48, 90, 84);  // strings
    s.voice(drums, 0, 100);
    for (double t : {0.0, 0.13, 0.26})
        s.note(0, 69, 100, t, 0.11);
    s.note(0, 74, 112, 0.40, 0.34);
    s.note(0, 78, 106, 0.78, 0.18);
    s.note(0, 81, 120, 1.00, 1.00);
    s.chord(1, {62, 66, 69}, 96, 0.40, 0.34);
    s.chord(1, {50, 57, 62, 66, 69}, 112, 1.00, 1.00);
    s.chord(3, {62, 66, 69, 74}, 90, 1.00, 1.05);
    s.roll(drums, Snare, 0.0, 0.40, 0.05, 40, 80);
    s.note(2, 45, 90, 0.26, 0.14);
    s.note(2, 38, 110, 0.40, 0.3);
    s.note(2, 38, 120, 1.00, 0.6);
    s.note(drums, Crash, 112, 1.00, 1.0);
    return {"letsplay.wav", std::move(s.midi), 2.9};
}

// The clock cues share their drier drums; the two other voices are each cue's own.
Score clockCue(int program0, int volume0, int program1, int volume1) {
    Score s;
    s.voice(0, program0, volume0);
    s.voice(1, program1, volume1);
    s.voice(drums, 0, 110, 64, 30);
    return s;
}

// Tick-tock into a low thump and a plucked chord: the clock is off.
Clip startClock1() {
    Score s = clockCue(38, 110, 45, 100); // synth bass, pizzicato strings
    for (int i = 0; i < 4; ++i)
        s.note(drums, i % 2 == 0 ? HighBlock : LowBlock, 100, 0.2 * i, 0.1);
    s.note(drums, Kick, 120, 0.8, 0.3);
    s.note(0, 38, 120, 0.8, 0.35);
    s.chord(1, {50, 57, 62, 65}, 110, 0.8, 0.3);
    return {"startclock1.wav", std::move(s.midi), 1.9};
}

// Quickening claves over a brass swell that bends up into an orchestra hit.
Clip startClock2() {
    Score s = clockCue(62, 96, 55, 110); // synth brass, orchestra hit
    double t = 0;
    for (double gap : {0.22, 0.18, 0.14, 0.11, 0.09, 0.06})
        s.note(drums, Claves, 90, t, 0.05), t += gap;
    s.note(0, 50, 70, 0.0, 0.8);
    s.note(0, 57, 70, 0.0, 0.8);
    for (int i = 0; i <= 16; ++i)
        s.midi.pitchBend(0, 8192 + 512 * i, ticksAt(0.05 * i));
    s.midi.pitchBend(0, 8192, ticksAt(0.82));
    s.chord(1, {50, 62}, 120, 0.80, 0.4);
    s.note(drums, Kick, 120, 0.80, 0.3);
    return {"startclock2.wav", std::move(s.midi), 1.9};
}

// Horns falling over low strings, D minor to B-flat, with soft timpani.
Clip voteOff() {
    Score s;
    s.voice(0, 60, 110, 50, 70); // French horns
    s.voice(1, 48, 96, 78, 70);  // strings
    s.voice(2, 47, 90);
    s.note(0, 69, 90, 0.0, 0.8);
    s.note(0, 67, 84, 0.8, 0.4);
    s.note(0, 65, 92, 1.2, 1.4);
    s.chord(1, {38, 50, 53, 57}, 80, 0.0, 1.2);
    s.chord(1, {34, 46, 50, 53}, 80, 1.2, 1.4);
    s.note(2, 38, 84, 0.0, 0.5);
    s.note(2, 34, 72, 1.2, 0.5);
    return {"voteoff.wav", std::move(s.midi), 3.4};
}

// Five goodbyes, each with its own instruments and shape, so a repeat is easy to tell apart.
Clip goodbyeHorn() {
    Score s;
    s.voice(0, 60, 110, 54, 70);
    s.voice(1, 48, 84, 74, 70);
    s.note(0, 69, 96, 0.0, 0.42);
    s.note(0, 65, 90, 0.45, 0.42);
    s.note(0, 62, 96, 0.9, 1.1);
    s.chord(1, {50, 57, 62}, 70, 0.0, 2.0);
    return {"vokwen1.wav", std::move(s.midi), 2.9};
}

Clip goodbyeTrombone() {
    Score s;
    s.voice(0, 57, 110); // trombone
    s.voice(1, 58, 90);  // tuba
    const int line[4]{62, 61, 60, 59};
    for (int i = 0; i < 4; ++i) {
        s.note(0, line[i], 100, 0.45 * i, i == 3 ? 0.9 : 0.4);
        s.note(1, line[i] - 24, 80, 0.45 * i, i == 3 ? 0.9 : 0.4);
    }
    for (int i = 0; i <= 8; ++i)
        s.midi.pitchBend(0, 8192 - 512 * i, ticksAt(1.75 + 0.05 * i));
    return {"vokwen2.wav", std::move(s.midi), 2.9};
}

Clip goodbyeMusicBox() {
    Score s;
    s.voice(0, 8, 110, 50, 70);  // celesta
    s.voice(1, 10, 100, 78, 70); // music box
    s.voice(2, 46, 100);         // harp
    // E major: far from the D minor of the other goodbyes.
    const int fall[5]{83, 80, 76, 71, 68};
    for (int i = 0; i < 5; ++i) {
        s.note(0, fall[i], 100, 0.2 * i, 0.3);
        s.note(1, fall[i] - 12, 80, 0.2 * i + 0.1, 0.3);
    }
    s.note(0, 76, 100, 1.0, 1.0);
    s.chord(2, {52, 59, 64}, 96, 1.0, 1.0);
    return {"vokwen3.wav", std::move(s.midi), 2.9};
}

Clip goodbyeDrop() {
    Score s;
    s.voice(0, 61, 110); // brass section
    s.voice(1, 55, 100); // orchestra hit
    s.voice(2, 47, 110); // timpani
    s.chord(0, {50, 53, 57}, 110, 0.0, 0.6);
    s.note(1, 50, 110, 0.0, 0.3);
    s.note(2, 38, 120, 0.0, 0.3);
    s.note(2, 38, 100, 0.3, 0.3);
    s.chord(0, {49, 52, 56}, 96, 0.8, 1.2);
    s.note(2, 37, 110, 0.8, 0.6);
    return {"vokwen4.wav", std::move(s.midi), 2.9};
}

Clip goodbyeChoir() {
    Score s;
    s.voice(0, 52, 110, 64, 80); // choir
    s.voice(1, 46, 100, 64, 60); // harp
    const int scale[8]{86, 84, 81, 79, 77, 76, 74, 72};
    for (int i = 0; i < 8; ++i)
        s.note(1, scale[i], 90, 0.07 * i, 0.4);
    s.chord(0, {62, 65, 69}, 96, 0.0, 1.0);
    s.chord(0, {60, 63, 67}, 90, 1.0, 1.2);
    return {"vokwen5.wav", std::move(s.midi), 2.9};
}

// A roll under tremolo strings that swells into the hit, then rings.
Clip finalRound() {
    Score s;
    s.voice(0, 44, 110, 64, 50); // tremolo strings
    s.voice(1, 61, 116);         // brass section
    s.voice(2, 47, 110);         // timpani
    s.voice(3, 55, 110);         // orchestra hit
    s.voice(drums, 0, 100);
    s.chord(0, {50, 62, 63}, 100, 0.0, 1.8);
    for (int i = 0; i <= 18; ++i)
        s.midi.control(0, 11, 30 + 5 * i, ticksAt(0.1 * i));
    s.roll(2, 38, 0.0, 1.8, 0.075, 36, 104);
    s.roll(drums, Snare, 1.0, 1.8, 0.05, 30, 90);
    s.chord(1, {38, 50, 57, 62, 65}, 120, 1.8, 1.1);
    s.note(3, 62, 120, 1.8, 0.4);
    s.note(2, 38, 127, 1.8, 0.5);
    s.note(drums, Crash, 120, 1.8, 1.0);
    s.note(drums, Kick, 120, 1.8, 0.3);
    return {"finalround.wav", std::move(s.midi), 3.8};
}

Clip choice() {
    Score s;
    s.voice(0, 9, 110, 64, 40); // glockenspiel
    s.voice(1, 45, 100);        // pizzicato strings
    s.voice(2, 61, 96);         // brass section
    s.note(0, 81, 100, 0.0, 0.2);
    s.note(0, 86, 110, 0.12, 0.4);
    s.chord(1, {57, 62}, 100, 0.0, 0.2);
    s.chord(2, {62, 65, 69}, 100, 0.12, 0.16);
    return {"choice.wav", std::move(s.midi), 1.15};
}

// A harp sweep up into a held D major from brass and strings.
Clip gameOver() {
    Score s;
    s.voice(0, 46, 100, 50, 60); // harp
    s.voice(1, 61, 110);         // brass section
    s.voice(2, 56, 106, 74);     // trumpet
    s.voice(3, 48, 90, 84, 60);  // strings
    s.voice(4, 47, 110);         // timpani
    s.voice(drums, 0, 100);
    const int sweep[15]{62, 64, 66, 67, 69, 71, 73, 74, 76, 78, 79, 81, 83, 85, 86};
    for (int i = 0; i < 15; ++i)
        s.note(0, sweep[i], 80 + i, 0.04 * i, 0.5);
    s.chord(1, {50, 57, 62, 66, 69}, 112, 0.65, 1.6);
    s.chord(3, {62, 66, 69, 74}, 90, 0.65, 1.7);
    s.note(2, 74, 104, 0.65, 0.5);
    s.note(2, 78, 108, 1.15, 0.3);
    s.note(2, 81, 116, 1.45, 0.85);
    s.roll(4, 38, 0.0, 0.65, 0.06, 40, 100);
    s.note(4, 38, 120, 0.65, 0.5);
    s.note(4, 45, 110, 1.45, 0.5);
    s.note(drums, Crash, 116, 0.65, 1.0);
    return {"gameover.wav", std::move(s.midi), 3.3};
}

} // namespace

std::vector<Clip> clips() {
    std::vector<Clip> all;
    for (auto make : {letsPlay, startClock1, startClock2, voteOff, goodbyeHorn, goodbyeTrombone,
                      goodbyeMusicBox, goodbyeDrop, goodbyeChoir, finalRound, choice, gameOver})
        all.push_back(make());
    return all;
}
