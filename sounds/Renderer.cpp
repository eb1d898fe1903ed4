#include "Renderer.h"

#include <ebur128.h>
#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

namespace {

struct SettingsDeleter {
    void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
};
struct SynthDeleter {
    void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
};

void send(fluid_synth_t* synth, const std::vector<std::uint8_t>& m) {
    const int channel = m[0] & 0x0f;
    switch (m[0] & 0xf0) {
    case 0x80:
        fluid_synth_noteoff(synth, channel, m[1]);
        break;
    case 0x90:
        fluid_synth_noteon(synth, channel, m[1], m[2]);
        break;
    case 0xB0:
        fluid_synth_cc(synth, channel, m[1], m[2]);
        break;
    case 0xC0:
        fluid_synth_program_change(synth, channel, m[1]);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(synth, channel, m[1] | (m[2] << 7));
        break;
    default:
        throw std::logic_error("unexpected MIDI event");
    }
}

constexpr double kLoudness = -15; // LUFS

// Normalised to 16 bits, with the reverb tail trimmed and a fade at the end.
std::vector<std::int16_t> toSamples(const std::vector<float>& left, const std::vector<float>& right,
                                    std::size_t cap) {
    constexpr int sampleRate = Renderer::sampleRate;
    float peak = 0;
    for (std::size_t i = 0; i < left.size(); ++i)
        peak = std::max({peak, std::abs(left[i]), std::abs(right[i])});
    if (peak <= 0)
        throw std::runtime_error("a clip rendered silent");
    // Every clip as loud as the others and as the music, by the EBU R128 meter, unless that
    // would take its peak above -3 dBFS: the clock's starting clip sounds over the music.
    ebur128_state* meter = ebur128_init(2, sampleRate, EBUR128_MODE_I);
    std::vector<float> both;
    both.reserve(left.size() * 2);
    for (std::size_t i = 0; i < left.size(); ++i)
        both.insert(both.end(), {left[i], right[i]});
    double loudness = 0;
    ebur128_add_frames_float(meter, both.data(), left.size());
    ebur128_loudness_global(meter, &loudness);
    ebur128_destroy(&meter);
    const float gain = std::min(0.7f / peak, float(std::pow(10.0, (kLoudness - loudness) / 20)));

    // Trim the reverb tail once it is below -50 dBFS, then fade out so the clip ends cleanly.
    std::size_t length = std::min(left.size(), cap);
    while (length > 0 &&
           std::max(std::abs(left[length - 1]), std::abs(right[length - 1])) * gain < 0.003f)
        --length;
    const bool cut = length == cap && left.size() > cap;
    const std::size_t fade = std::min<std::size_t>(length, sampleRate * (cut ? 250 : 120) / 1000);

    std::vector<std::int16_t> out;
    out.reserve(length * 2);
    for (std::size_t i = 0; i < length; ++i) {
        const std::size_t remaining = length - i;
        const float g = remaining < fade
                            ? gain * static_cast<float>(remaining) / static_cast<float>(fade)
                            : gain;
        for (float x : {left[i], right[i]})
            out.push_back(static_cast<std::int16_t>(
                std::clamp(std::lround(x * g * 32767.0f), -32768L, 32767L)));
    }
    return out;
}

} // namespace

Renderer::Renderer(std::string soundFont) : soundFont_(std::move(soundFont)) {}

std::vector<std::int16_t> Renderer::render(const MidiWriter& score, double maxSeconds) const {
    // A fresh synthesiser for every clip, so no clip carries another's reverb tail and the
    // output depends on nothing but the score.
    std::unique_ptr<fluid_settings_t, SettingsDeleter> settings(new_fluid_settings());
    fluid_settings_setnum(settings.get(), "synth.sample-rate", sampleRate);
    fluid_settings_setint(settings.get(), "synth.dynamic-sample-loading", 1);
    std::unique_ptr<fluid_synth_t, SynthDeleter> synth(new_fluid_synth(settings.get()));
    if (!synth || fluid_synth_sfload(synth.get(), soundFont_.c_str(), 1) == FLUID_FAILED)
        throw std::runtime_error("cannot load the SoundFont " + soundFont_);

    std::vector<float> left, right;
    auto renderTo = [&](std::size_t frames) {
        const std::size_t from = left.size();
        left.resize(frames);
        right.resize(frames);
        const int n = static_cast<int>(frames - from);
        if (n > 0)
            fluid_synth_write_float(synth.get(), n, left.data() + from, 0, 1, right.data() + from,
                                    0, 1);
    };
    for (const MidiWriter::Event& e : score.events()) {
        renderTo(static_cast<std::size_t>(e.tick * sampleRate / MidiWriter::ticksPerSecond));
        send(synth.get(), e.bytes);
    }
    // Let the sound ring out, a block at a time, until a block is all but silent.
    const auto cap = static_cast<std::size_t>(maxSeconds * sampleRate);
    constexpr std::size_t block = 1024;
    while (left.size() < cap) {
        const std::size_t from = left.size();
        renderTo(from + block);
        float loudest = 0;
        for (std::size_t i = from; i < left.size(); ++i)
            loudest = std::max({loudest, std::abs(left[i]), std::abs(right[i])});
        if (loudest < 1e-5f)
            break;
    }

    return toSamples(left, right, cap);
}

std::vector<std::uint8_t> wavFile(const std::vector<std::int16_t>& stereo, int sampleRate) {
    std::vector<std::uint8_t> out;
    out.reserve(44 + stereo.size() * 2);
    auto text = [&](const char* s) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(s[i]));
    };
    auto little = [&](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    const auto dataBytes = static_cast<std::uint32_t>(stereo.size() * 2);
    text("RIFF");
    little(36 + dataBytes, 4);
    text("WAVE");
    text("fmt ");
    little(16, 4);
    little(1, 2); // PCM
    little(2, 2); // stereo
    little(static_cast<std::uint32_t>(sampleRate), 4);
    little(static_cast<std::uint32_t>(sampleRate) * 4, 4);
    little(4, 2);
    little(16, 2);
    text("data");
    little(dataBytes, 4);
    for (std::int16_t s : stereo)
        little(static_cast<std::uint16_t>(s), 2);
    return out;
}
