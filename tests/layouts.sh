#!/usr/bin/env bash
# Rounds played with keyboard layouts that write no Latin letters, the keys sent as a keyboard
# sends them, by key code: S C W B, Ctrl+Z and V must act by the Latin letter of the key. On X11,
# Russian, Greek and Hebrew (by a US keyboard's letters; Hebrew's W writes an apostrophe) and
# Russian beside French (by the French ones: W and Z where a US keyboard has Z and W); on mutter,
# Russian, where the names typed are Russian.
#   layouts.sh x11|mutter QUOLMAR_EXECUTABLE      (exit 77: a needed tool is missing)
set -uo pipefail
where=${1:?usage: layouts.sh x11|mutter QUOLMAR_EXECUTABLE} program=${2:?}
. "$(dirname "$0")/support/session.sh" "layouts-$where"
tools() { local t; for t; do command -v "$t" >/dev/null || echo "$t"; done; }
[ "$where" = mutter ] && missing=$(wl_missing mutter) ||
    missing=$(tools xvfb-run xdotool openbox setxkbmap)
[ -z "$missing" ] || { echo "SKIP: no" $missing "(scripts/setup.sh --test installs it)"; exit 77; }

if [ "$where" = mutter ]; then
    # mutter takes its layout from the system's locale service as it starts: here a stand-in on
    # the session bus, which mutter is told is the system's.
    wl_start_ru() {
        spawn /usr/bin/python3 -c 'import sys
from gi.repository import Gio, GLib
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
node = Gio.DBusNodeInfo.new_for_xml("""<node><interface name="org.freedesktop.locale1">
<property name="X11Layout" type="s" access="read"/></interface></node>""")
bus.register_object("/org/freedesktop/locale1", node.interfaces[0], None,
                    lambda *a: GLib.Variant("s", "ru"))
Gio.bus_own_name_on_connection(bus, "org.freedesktop.locale1", 0,
                               lambda *a: open(sys.argv[1], "w").close(), None)
GLib.MainLoop().run()' "$work/locale1"
        wl_within 10 test -e "$work/locale1" || fail "no locale service"
        DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS wl_start_mutter
    }
    fail() { wl_fail "$@"; }
    wl_begin ru # mutter, started by wl_start_ru
    wl_compositor=mutter
    spawn "$program" >"$work/program.log" 2>&1
    wl_await '^The Brackwyn$' >/dev/null || fail "no start window"
    wl_keys space
    wl_await "^Let's Meet the Team\$" 10 >/dev/null || fail "no team entry"
    wl_keys a n n Tab b e n Tab c y Tab d e e Tab e v e Tab f a y Return
    wl_await "$control" 10 | grep -q $'\tфтт\t' || fail "no game control, or the names not Russian"
    wl_keys s
    wl_answer && wl_answer || fail "S did not start the round"
    wl_answer || : # the music's, without a sound card
    wl_keys c c c c c c w b
    not wl_await "$box" 2 >/dev/null || fail "W did not act: the bank reached the target"
    wl_keys c c c c c c w BackSpace b
    [[ $(wl_await "$box" 10) == *"You reached the target!"* ]] || fail "C W B missed the target"
    echo "A round played on mutter with a Russian layout, by the keys' Latin letters."
    exit 0
fi

on_display || to_display "$@"
begin
unset QT_QPA_PLATFORM
six_game "$program"
# Each row: the layout, and the key codes of its W and Z.
for row in "ru 25 52" "gr 25 52" "il 25 52" "ru,fr 52 25"; do
    read -r layout w z <<<"$row"
    setxkbmap "$layout" || fail "no layout $layout"
    keys "$id" 39 # S
    answer "$box" "$layout, first start message"
    answer "$box" "$layout, second start message"
    music_box "$layout"
    keys "$id" 54 54 54 54 54 54 "$w" 56 # C C C C C C W B
    ! await "$box" 2 >/dev/null || fail "$layout: W did not act: the bank reached the target"
    keys "$id" 54 54 54 54 54 54 "$w" "ctrl+$z" 56
    answer "$box" "$layout: C W Ctrl+Z B did not reach the target"
    keys "$id" 55 # V
    vote_off "$layout"
    take id "$control" "after $layout"
done
echo "Rounds played on X11 with Russian, Greek, Hebrew and Russian beside French, by Latin letters."
