// Build-time generator of the program's sound files: the clock music as Standard MIDI Files and
// the clips as WAV, all composed here. Usage: quolmar_sounds <output directory> [SoundFont]

#include "Clips.h"
#include "Music.h"
#include "Renderer.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int clockLengths[]{60, 75, 90, 100, 105, 110, 120, 130, 140, 150, 160, 170, 180};

bool save(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "quolmar_sounds: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: quolmar_sounds <output directory> [SoundFont]\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    const std::string soundFont = argc == 3 ? argv[2] : "/usr/share/sounds/sf2/default-GM.sf2";
    std::error_code error;
    if (!std::filesystem::is_regular_file(soundFont, error)) {
        std::fprintf(stderr,
                     "quolmar_sounds: the General MIDI SoundFont %s is missing; install the "
                     "fluid-soundfont-gm package (scripts/setup.sh does)\n",
                     soundFont.c_str());
        return 1;
    }

    // Everything is made before anything is written, so a failure leaves no half-made set.
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
    try {
        for (int seconds : clockLengths)
            files.emplace_back(std::to_string(seconds) + ".mid", clockPiece(seconds).file());
        const Renderer renderer(soundFont);
        for (const Clip& clip : clips())
            files.emplace_back(clip.fileName, wavFile(renderer.render(clip.score, clip.maxSeconds),
                                                      Renderer::sampleRate));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quolmar_sounds: %s\n", e.what());
        return 1;
    }

    std::filesystem::create_directories(dir, error);
    for (const auto& [name, bytes] : files)
        if (!save(dir / name, bytes))
            return 1;
    return 0;
}
