// Build-time generator of the program's sound files: the clock music as Standard MIDI Files and
// the clips as WAV, all composed here.
// Usage: quolmar_sounds <output directory> <SoundFont> <file>...
// where "<n>.mid" is the clock piece of n seconds, a ".wav" the clip of that file name and a
// ".sf2" the part of the SoundFont that the pieces play.

#include "Clips.h"
#include "Music.h"
#include "Renderer.h"
#include "SoundFontCut.h"

#include <charconv>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

// Seconds of the clock piece a name such as "90.mid" asks for; 0 for any other name.
int pieceSeconds(const std::string& name) {
    int seconds = 0;
    std::from_chars(name.data(), name.data() + name.size(), seconds);
    return seconds > 0 && name == std::to_string(seconds) + ".mid" ? seconds : 0;
}

// The build names the files, Clips.cpp composes the clips: a name that cannot be made, or a
// clip nobody asked for, means the two lists have drifted apart. False after saying which.
bool sortNames(int argc, char** argv, std::vector<int>& pieces, std::string& font) {
    std::set<std::string> unmade;
    for (int i = 3; i < argc; ++i)
        if (const int seconds = pieceSeconds(argv[i]))
            pieces.push_back(seconds);
        else if (const std::string name = argv[i];
                 font.empty() && name.size() > 4 && name.ends_with(".sf2"))
            font = name;
        else
            unmade.insert(name);
    bool listed = true;
    for (const Clip& clip : clips())
        if (!unmade.erase(clip.fileName)) {
            std::fprintf(stderr,
                         "quolmar_sounds: %s is composed but not listed in sounds/CMakeLists.txt\n",
                         clip.fileName.c_str());
            listed = false;
        }
    for (const std::string& name : unmade) {
        std::fprintf(stderr,
                     "quolmar_sounds: cannot make %s: not <seconds>.mid, a clip's name nor "
                     "the one .sf2\n",
                     name.c_str());
        listed = false;
    }
    return listed;
}

using Files = std::vector<std::pair<std::string, std::vector<std::uint8_t>>>;

// Everything is made before anything is written, so a failure leaves no half-made set; the
// SoundFont's part, written by its library, is made last, under a name of its own until the rest
// is written.
bool make(const std::vector<int>& pieces, const std::string& soundFont, Files& files,
          const std::filesystem::path& font) {
    std::string making;
    try {
        std::set<SoundedNote> notes;
        for (int seconds : pieces) {
            making = std::to_string(seconds) + ".mid";
            const MidiWriter piece = clockPiece(seconds);
            addNotes(piece, notes);
            files.emplace_back(making, piece.file());
        }
        const Renderer renderer(soundFont);
        for (const Clip& clip : clips()) {
            making = clip.fileName;
            files.emplace_back(making, wavFile(renderer.render(clip.score, clip.maxSeconds),
                                               Renderer::sampleRate));
        }
        if (!font.empty()) {
            making = font.filename();
            cutSoundFont(soundFont, notes, font.string() + ".part");
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quolmar_sounds: %s: %s\n", making.c_str(), e.what());
        return false;
    }
    return true;
}

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
    if (argc < 4) {
        std::fprintf(stderr, "usage: quolmar_sounds <output directory> <SoundFont> <file>...\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    const std::string soundFont = argv[2];
    std::error_code error;
    if (!std::filesystem::is_regular_file(soundFont, error)) {
        std::fprintf(stderr,
                     "quolmar_sounds: the General MIDI SoundFont %s is missing; install the "
                     "fluid-soundfont-gm package (scripts/setup.sh does)\n",
                     soundFont.c_str());
        return 1;
    }
    std::vector<int> pieces;
    std::string font;
    if (!sortNames(argc, argv, pieces, font))
        return 2;
    std::filesystem::create_directories(dir, error);
    Files files;
    if (!make(pieces, soundFont, files, font.empty() ? std::filesystem::path() : dir / font))
        return 1;
    for (const auto& [name, bytes] : files)
        if (!save(dir / name, bytes))
            return 1;
    if (!font.empty()) {
        std::filesystem::rename(dir / (font + ".part"), dir / font, error);
        if (error) {
            std::fprintf(stderr, "quolmar_sounds: cannot write %s\n", (dir / font).c_str());
            return 1;
        }
    }
    return 0;
}
