#include "LatinKey.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <cstring>
#include <memory>
#include <optional>
#include <xkbcommon/xkbcommon-x11.h>

namespace {

// The letters and digits of a US keyboard by key code, which xcb and Wayland both give as the
// kernel's code plus 8.
QChar usKey(quint32 code) {
    static constexpr struct {
        quint32 first;
        const char* keys;
    } rows[] = {{10, "1234567890"}, {24, "qwertyuiop"}, {38, "asdfghjkl"}, {52, "zxcvbnm"}};
    for (const auto& row : rows)
        if (code >= row.first && code < row.first + std::strlen(row.keys))
            return QLatin1Char(row.keys[code - row.first]);
    return {};
}

bool latinOrDigit(xkb_keysym_t sym) {
    return (sym >= XKB_KEY_a && sym <= XKB_KEY_z) || (sym >= XKB_KEY_0 && sym <= XKB_KEY_9);
}

struct Unref {
    void operator()(xkb_context* p) const { xkb_context_unref(p); }
    void operator()(xkb_keymap* p) const { xkb_keymap_unref(p); }
    void operator()(xkb_state* p) const { xkb_state_unref(p); }
};
template <typename T> using Owned = std::unique_ptr<T, Unref>;

// What the X server's keyboard map says of the key; nothing off X11. Read afresh at each key, so
// that a layout switched while the program runs counts at once.
std::optional<QChar> fromX11Keymap(xkb_keycode_t code) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr)
        return std::nullopt;
    xcb_connection_t* connection = x11->connection();
    if (!xkb_x11_setup_xkb_extension(
            connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
        return std::nullopt;
    const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device == -1)
        return std::nullopt;
    const Owned<xkb_context> context(xkb_context_new(
        xkb_context_flags(XKB_CONTEXT_NO_DEFAULT_INCLUDES | XKB_CONTEXT_NO_ENVIRONMENT_NAMES)));
    if (!context)
        return std::nullopt;
    const Owned<xkb_keymap> keymap(xkb_x11_keymap_new_from_device(context.get(), connection, device,
                                                                  XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return std::nullopt;
    const Owned<xkb_state> state(xkb_x11_state_new_from_device(keymap.get(), connection, device));
    if (!state)
        return std::nullopt;

    const auto unshifted = [&](xkb_keycode_t key, xkb_layout_index_t layout) {
        const xkb_keysym_t* syms = nullptr;
        return xkb_keymap_key_get_syms_by_level(keymap.get(), key, layout, 0, &syms) == 1
                   ? syms[0]
                   : XKB_KEY_NoSymbol;
    };
    // A layout of Latin letters writes most of the alphabet; one borrowed letter does not count.
    const auto latinLayout = [&](xkb_layout_index_t layout) {
        int letters = 0;
        for (xkb_keycode_t key = xkb_keymap_min_keycode(keymap.get());
             key <= xkb_keymap_max_keycode(keymap.get()); ++key)
            letters += unshifted(key, layout) >= XKB_KEY_a && unshifted(key, layout) <= XKB_KEY_z;
        return letters > 13;
    };
    const xkb_layout_index_t active = xkb_state_key_get_layout(state.get(), code);
    if (active == XKB_LAYOUT_INVALID || latinLayout(active))
        return QChar();
    for (xkb_layout_index_t layout = 0; layout < xkb_keymap_num_layouts_for_key(keymap.get(), code);
         ++layout)
        if (layout != active && latinLayout(layout) && latinOrDigit(unshifted(code, layout)))
            return QLatin1Char(char(unshifted(code, layout)));
    return usKey(code);
}

} // namespace

QChar latinKey(const QKeyEvent& event) {
    const int key = event.key();
    const quint32 code = event.nativeScanCode();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9) ||
        usKey(code).isNull())
        return {};
    if (const std::optional<QChar> mapped = fromX11Keymap(code))
        return *mapped;
    // Without the keyboard map, a letter of another alphabet tells a layout without Latin ones.
    const QChar written = key <= 0xffff ? QChar(char16_t(key)) : QChar();
    return written.isLetterOrNumber() && written.script() != QChar::Script_Latin &&
                   written.script() != QChar::Script_Common
               ? usKey(code)
               : QChar();
}
