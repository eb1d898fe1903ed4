#!/usr/bin/python3
"""The Wayland side of session.sh: what xdotool does under X, done over D-Bus.

  wayland.py windows [APP]              one line per top-level window of APP (quolmar):
                                        ACTIVE or -, WIDTHxHEIGHT, title, then its texts
  wayland.py await REGEX [SECONDS]      waits for such a window, prints its line
  wayland.py mutter-keyboard IN OUT     a keyboard of mutter's remote desktop: types each line
                                        of keys (a-z, Tab, Return, space) read from the pipe IN,
                                        then writes a line to the pipe OUT
  wayland.py mutter-output NAME on|off  switches monitor NAME of mutter (the TV) on or off
"""
import re
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

TEXT_ROLES = {Atspi.Role.LABEL, Atspi.Role.STATIC, Atspi.Role.TEXT}


def texts(node, out, depth=0):
    # Deep enough for a label in a group box in a layout; the bridge is slow to walk.
    if depth > 8:
        return out
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        # Hidden labels keep their last texts.
        if child is None or not child.get_state_set().contains(Atspi.StateType.SHOWING):
            continue
        name = child.get_name()
        if name and child.get_role() in TEXT_ROLES:
            out.append(name.replace("\n", " "))
        texts(child, out, depth + 1)
    return out


def windows(app_name):
    lines = []
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is None or app.get_name() != app_name:
            continue
        for j in range(app.get_child_count()):
            win = app.get_child_at_index(j)
            if win is None:
                continue
            states = win.get_state_set()
            if not states.contains(Atspi.StateType.VISIBLE):
                continue
            size = win.get_size()
            active = "ACTIVE" if states.contains(Atspi.StateType.ACTIVE) else "-"
            lines.append("\t".join([active, f"{size.x}x{size.y}", win.get_name() or ""]
                                   + texts(win, [])))
    return lines


def await_window(pattern, seconds):
    end = time.monotonic() + seconds
    while True:
        # A window that goes while it is read throws; the next look sees the new state.
        try:
            for line in windows("quolmar"):
                if re.search(pattern, line.split("\t")[2]):
                    return line
        except GLib.Error:
            pass
        if time.monotonic() > end:
            return None
        time.sleep(0.1)


EVDEV = {"Tab": 15, "Return": 28, "space": 57, "BackSpace": 14, "Shift": 42}
EVDEV.update({c: code for row, first in (("qwertyuiop", 16), ("asdfghjkl", 30), ("zxcvbnm", 44))
              for code, c in enumerate(row, first)})


def call(bus, name, path, iface, method, args=None):
    return bus.call_sync(name, path, iface, method, args, None, 0, 10000, None)


def mutter_keyboard(keys_fifo, done_fifo):
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    path = call(bus, "org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop",
                "org.gnome.Mutter.RemoteDesktop", "CreateSession")[0]
    session = "org.gnome.Mutter.RemoteDesktop.Session"
    call(bus, "org.gnome.Mutter.RemoteDesktop", path, session, "Start")

    def press(key):
        for down in (True, False):
            call(bus, "org.gnome.Mutter.RemoteDesktop", path, session, "NotifyKeyboardKeycode",
                 GLib.Variant("(ub)", (EVDEV[key], down)))
            time.sleep(0.02)
        time.sleep(0.05)

    # The first event only makes the virtual keyboard: a lone Shift, so no key of ours is it.
    # The session, and with it the keyboard, lasts as long as this process: a seat whose last
    # keyboard goes takes the focus from every window.
    press("Shift")
    with open(keys_fifo) as keys, open(done_fifo, "w") as done:
        for line in keys:
            for key in line.split():
                press(key)
            done.write("typed\n")
            done.flush()


def mutter_output(connector, on):
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    dc = ("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig",
          "org.gnome.Mutter.DisplayConfig")
    serial, monitors, logical, _ = call(bus, *dc, "GetCurrentState").unpack()
    # Side by side from the left, the first monitor the primary one: the host's screen. The TV,
    # the one switched, goes right of it, whichever mutter made first.
    x, layout = 0, []
    for (conn, *_), modes, _ in sorted(monitors, key=lambda m: m[0][0] == connector):
        if conn == connector and not on:
            continue
        mode = next((m for m in modes if m[6].get("is-current")), None) or \
            next(m for m in modes if m[6].get("is-preferred"))
        layout.append((x, 0, 1.0, 0, not layout, [(conn, mode[0], {})]))
        x += mode[1]
    call(bus, *dc, "ApplyMonitorsConfig",
         GLib.Variant("(uua(iiduba(ssa{sv}))a{sv})", (serial, 1, layout, {})))


def main(argv):
    cmd = argv[1]
    if cmd == "windows":
        print("\n".join(windows(argv[2] if len(argv) > 2 else "quolmar")))
    elif cmd == "await":
        line = await_window(argv[2], float(argv[3]) if len(argv) > 3 else 30)
        if line is None:
            return 1
        print(line)
    elif cmd == "mutter-keyboard":
        mutter_keyboard(argv[2], argv[3])
    elif cmd == "mutter-output":
        mutter_output(argv[2], argv[3] == "on")
    else:
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
