#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Collects MIDI events and writes them as a format-0 Standard MIDI File at a fixed 120 bpm with
// 480 ticks per quarter note, so that a second is exactly 960 ticks and lengths stay exact.
class MidiWriter {
public:
    static constexpr int ticksPerQuarter = 480;
    static constexpr std::int64_t ticksPerSecond = 960;
    static constexpr int microsecondsPerQuarter = 500000;

    struct Event {
        std::int64_t tick;
        int rank; // at one tick: note-offs, then controls, then note-ons, so nothing is cut short
        std::vector<std::uint8_t> bytes;
    };

    // Sets up a channel at the start: instrument, volume, pan and reverb send.
    void voice(int channel, int program, int volume, int pan = 64, int reverb = 40);
    void program(int channel, int number, std::int64_t tick = 0);
    void control(int channel, int controller, int value, std::int64_t tick = 0);
    // value 0..16383, 8192 is no bend
    void pitchBend(int channel, int value, std::int64_t tick);
    void note(int channel, int key, int velocity, std::int64_t tick, std::int64_t length);
    // Where the track ends; never before the last event.
    void end(std::int64_t tick);

    // Sorted by tick, then rank, then the order they were added in.
    std::vector<Event> events() const;
    std::int64_t endTick() const;
    std::vector<std::uint8_t> file() const;

private:
    void add(std::int64_t tick, int rank, std::vector<std::uint8_t> bytes);

    std::vector<Event> events_;
    std::int64_t end_ = 0;
};

// Seconds to ticks, rounded to the nearest tick.
std::int64_t ticksAt(double seconds);
