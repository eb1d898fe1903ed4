#include "MidiWriter.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

std::uint8_t byte7(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 127));
}

void appendVariable(std::vector<std::uint8_t>& out, std::uint64_t value) {
    std::uint8_t groups[10];
    int n = 0;
    do {
        groups[n++] = static_cast<std::uint8_t>(value & 0x7f);
        value >>= 7;
    } while (value != 0);
    while (n > 1)
        out.push_back(static_cast<std::uint8_t>(groups[--n] | 0x80));
    out.push_back(groups[0]);
}

void appendBig(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

} // namespace

std::int64_t ticksAt(double seconds) {
    return std::llround(seconds * static_cast<double>(MidiWriter::ticksPerSecond));
}

void MidiWriter::add(std::int64_t tick, int rank, std::vector<std::uint8_t> bytes) {
    if (tick < 0)
        throw std::logic_error("MIDI event before the start");
    events_.push_back({tick, rank, std::move(bytes)});
    end_ = std::max(end_, tick);
}

void MidiWriter::voice(int channel, int program, int volume, int pan, int reverb) {
    this->program(channel, program);
    control(channel, 7, volume);
    control(channel, 10, pan);
    control(channel, 91, reverb);
    control(channel, 93, 0); // no chorus: it only muddies short notes
}

void MidiWriter::program(int channel, int number, std::int64_t tick) {
    add(tick, 1, {static_cast<std::uint8_t>(0xC0 | channel), byte7(number)});
}

void MidiWriter::control(int channel, int controller, int value, std::int64_t tick) {
    add(tick, 1, {static_cast<std::uint8_t>(0xB0 | channel), byte7(controller), byte7(value)});
}

void MidiWriter::pitchBend(int channel, int value, std::int64_t tick) {
    value = std::clamp(value, 0, 16383);
    add(tick, 1,
        {static_cast<std::uint8_t>(0xE0 | channel), static_cast<std::uint8_t>(value & 0x7f),
         static_cast<std::uint8_t>(value >> 7)});
}

void MidiWriter::note(int channel, int key, int velocity, std::int64_t tick, std::int64_t length) {
    if (length <= 0 || velocity <= 0)
        return;
    const auto status = static_cast<std::uint8_t>(channel);
    add(tick, 2, {static_cast<std::uint8_t>(0x90 | status), byte7(key), byte7(velocity)});
    add(tick + length, 0, {static_cast<std::uint8_t>(0x80 | status), byte7(key), 0});
}

void MidiWriter::end(std::int64_t tick) {
    if (tick < end_)
        throw std::logic_error("MIDI track ends before its last event");
    end_ = tick;
}

std::int64_t MidiWriter::endTick() const {
    return end_;
}

std::vector<MidiWriter::Event> MidiWriter::events() const {
    auto sorted = events_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.rank < b.rank;
    });
    return sorted;
}

std::vector<std::uint8_t> MidiWriter::file() const {
    std::vector<std::uint8_t> track;
    // Tempo and a 4/4 time signature, both at the start and never changed.
    track.insert(track.end(), {0x00, 0xFF, 0x51, 0x03});
    appendBig(track, microsecondsPerQuarter, 3);
    track.insert(track.end(), {0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08});
    std::int64_t now = 0;
    for (const Event& e : events()) {
        appendVariable(track, static_cast<std::uint64_t>(e.tick - now));
        track.insert(track.end(), e.bytes.begin(), e.bytes.end());
        now = e.tick;
    }
    appendVariable(track, static_cast<std::uint64_t>(end_ - now));
    track.insert(track.end(), {0xFF, 0x2F, 0x00});

    std::vector<std::uint8_t> out{'M', 'T', 'h', 'd'};
    appendBig(out, 6, 4);
    appendBig(out, 0, 2); // format 0
    appendBig(out, 1, 2); // one track
    appendBig(out, ticksPerQuarter, 2);
    out.insert(out.end(), {'M', 'T', 'r', 'k'});
    appendBig(out, static_cast<std::uint32_t>(track.size()), 4);
    out.insert(out.end(), track.begin(), track.end());
    return out;
}
