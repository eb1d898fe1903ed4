#include "SoundFontCut.h"

#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include <libinstpatch/libinstpatch.h>

namespace {

constexpr int kDrumChannel = 9;

template <typename T> struct Unref {
    void operator()(T* object) const { g_object_unref(object); }
};
template <typename T> using Ref = std::unique_ptr<T, Unref<T>>;

void check(bool ok, GError* error, const std::string& what) {
    if (ok)
        return;
    std::string message = what;
    if (error) {
        message += ": ";
        message += error->message;
        g_error_free(error);
    }
    throw std::runtime_error(message);
}

// The container's children of one type, each held until unrefAll, so that they can be removed.
template <typename T> std::vector<T*> children(gpointer container, GType type) {
    std::vector<T*> items;
    const Ref<IpatchList> list(ipatch_container_get_children(IPATCH_CONTAINER(container), type));
    for (GList* at = list->items; at; at = at->next)
        items.push_back(static_cast<T*>(g_object_ref(at->data)));
    return items;
}

template <typename T> void unrefAll(const std::vector<T*>& items) {
    for (T* item : items)
        g_object_unref(item);
}

bool sounds(gpointer zone, const std::set<std::pair<int, int>>& keys) {
    for (const auto& [key, velocity] : keys)
        if (ipatch_sf2_gen_item_in_range(IPATCH_SF2_GEN_ITEM(zone), key, velocity))
            return true;
    return false;
}

// The full SoundFont's stereo samples carry no partner, and the library warns of each of the
// hundreds it reads; the sound does not depend on them. One line says how many there were.
struct Warnings {
    Warnings() { previous = g_log_set_default_handler(&Warnings::count, this); }
    ~Warnings() {
        g_log_set_default_handler(previous, nullptr);
        if (n > 0)
            std::fprintf(stderr, "quolmar_sounds: libinstpatch warned %d times, first: %s\n", n,
                         first.c_str());
    }
    Warnings(const Warnings&) = delete;
    Warnings& operator=(const Warnings&) = delete;
    static void count(const gchar* domain, GLogLevelFlags level, const gchar* message,
                      gpointer data) {
        auto* w = static_cast<Warnings*>(data);
        if (!(level & G_LOG_LEVEL_WARNING))
            return g_log_default_handler(domain, level, message, nullptr);
        if (w->n++ == 0)
            w->first = message;
    }
    GLogFunc previous;
    int n = 0;
    std::string first;
};

} // namespace

void addNotes(const MidiWriter& score, std::set<SoundedNote>& notes) {
    std::array<int, 16> bank{}, program{};
    bank[kDrumChannel] = 128;
    for (const MidiWriter::Event& e : score.events()) {
        const int type = e.bytes[0] & 0xf0, channel = e.bytes[0] & 0x0f;
        if (type == 0xb0 && e.bytes[1] == 0 && channel != kDrumChannel)
            bank[std::size_t(channel)] = e.bytes[2];
        else if (type == 0xc0)
            program[std::size_t(channel)] = e.bytes[1];
        else if (type == 0x90 && e.bytes[2] > 0)
            notes.insert({bank[std::size_t(channel)], program[std::size_t(channel)], e.bytes[1],
                          e.bytes[2]});
    }
}

void cutSoundFont(const std::string& source, const std::set<SoundedNote>& notes,
                  const std::string& target) {
    ipatch_init();
    const Warnings warnings;
    GError* error = nullptr;
    const Ref<IpatchSF2File> in(ipatch_sf2_file_new());
    IpatchFileHandle* reading = ipatch_file_open(IPATCH_FILE(in.get()), source.c_str(), "r", &error);
    check(reading, error, "cannot open " + source);
    const Ref<IpatchSF2Reader> reader(ipatch_sf2_reader_new(reading));
    const Ref<IpatchSF2> font(ipatch_sf2_reader_load(reader.get(), &error));
    check(bool(font), error, "cannot read " + source);

    // The keys and velocities each kept instrument is played at, through the preset zones kept.
    std::map<IpatchSF2Inst*, std::set<std::pair<int, int>>> played;
    const auto presets = children<IpatchSF2Preset>(font.get(), IPATCH_TYPE_SF2_PRESET);
    for (IpatchSF2Preset* preset : presets) {
        int bank = 0, program = 0;
        ipatch_sf2_preset_get_midi_locale(preset, &bank, &program);
        std::set<std::pair<int, int>> keys;
        for (auto n = notes.lower_bound({bank, program, 0, 0});
             n != notes.end() && n->bank == bank && n->program == program; ++n)
            keys.insert({n->key, n->velocity});
        const auto zones = children<IpatchSF2Zone>(preset, IPATCH_TYPE_SF2_PZONE);
        for (IpatchSF2Zone* zone : zones) {
            std::set<std::pair<int, int>> in;
            for (const auto& kv : keys)
                if (sounds(zone, {kv}))
                    in.insert(kv);
            if (in.empty()) {
                ipatch_item_remove(IPATCH_ITEM(zone));
                continue;
            }
            auto* inst = IPATCH_SF2_INST(ipatch_sf2_zone_peek_link_item(zone));
            played[inst].insert(in.begin(), in.end());
        }
        unrefAll(zones);
        if (ipatch_container_count(IPATCH_CONTAINER(preset), IPATCH_TYPE_SF2_PZONE) == 0)
            ipatch_item_remove(IPATCH_ITEM(preset));
    }
    unrefAll(presets);

    std::set<IpatchSF2Sample*> kept;
    const auto insts = children<IpatchSF2Inst>(font.get(), IPATCH_TYPE_SF2_INST);
    for (IpatchSF2Inst* inst : insts) {
        const auto found = played.find(inst);
        if (found == played.end()) {
            ipatch_item_remove(IPATCH_ITEM(inst));
            continue;
        }
        const auto zones = children<IpatchSF2Zone>(inst, IPATCH_TYPE_SF2_IZONE);
        for (IpatchSF2Zone* zone : zones)
            if (sounds(zone, found->second))
                kept.insert(IPATCH_SF2_SAMPLE(ipatch_sf2_zone_peek_link_item(zone)));
            else
                ipatch_item_remove(IPATCH_ITEM(zone));
        unrefAll(zones);
    }
    unrefAll(insts);

    const auto samples = children<IpatchSF2Sample>(font.get(), IPATCH_TYPE_SF2_SAMPLE);
    for (IpatchSF2Sample* sample : samples)
        if (!kept.count(sample) && !kept.count(ipatch_sf2_sample_peek_linked(sample)))
            ipatch_item_remove(IPATCH_ITEM(sample));
    unrefAll(samples);

    // The source's credits and licence stay; its name and comment say what this is.
    for (const auto& [field, words] :
         {std::pair{IPATCH_SF2_NAME, std::string(": the part quolmar's music plays")},
          std::pair{IPATCH_SF2_COMMENT,
                    std::string(" Cut by quolmar's build: the presets, zones and samples its "
                                "music plays, unchanged.")}}) {
        char* was = ipatch_sf2_get_info(font.get(), field);
        const std::string now = (was ? was : "") + words;
        g_free(was);
        ipatch_sf2_set_info(font.get(), field, now.c_str());
    }
    const Ref<IpatchSF2File> out(ipatch_sf2_file_new());
    IpatchFileHandle* writing = ipatch_file_open(IPATCH_FILE(out.get()), target.c_str(), "w", &error);
    check(writing, error, "cannot write " + target);
    const Ref<IpatchSF2Writer> writer(ipatch_sf2_writer_new(writing, font.get()));
    const bool saved = ipatch_sf2_writer_save(writer.get(), &error);
    check(saved, error, "cannot write " + target);
}
