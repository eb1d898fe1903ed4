#!/usr/bin/env bash
# The program started as a host starts it on an X11 desktop that has Qt's Wayland plugin: a
# start, --help and --version write nothing on standard error; a refusal shows its line in a box
# where no terminal would show it, and only in the terminal where one does; "--audience NAME"
# takes a connected screen's name.
#   desktop.sh QUOLMAR_EXECUTABLE   (exit 77: a needed tool is missing)
set -uo pipefail
exe=$1
for tool in xvfb-run xdotool openbox script dbus-daemon; do
    command -v "$tool" >/dev/null || { echo "SKIP: no $tool (scripts/setup.sh --test installs it)"; exit 77; }
done
. "$(dirname "$0")/support/session.sh" desktop
on_display || to_display "$@"
begin
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$work/runtime DBUS_SESSION_BUS_ADDRESS=unix:path=$work/runtime/bus
mkdir -m 700 "$XDG_RUNTIME_DIR"
# A session bus, on which the box is read as a screen reader reads it.
spawn dbus-daemon --session --nofork --nosyslog --address="$DBUS_SESSION_BUS_ADDRESS" >/dev/null 2>&1
wl_within 10 test -S "$XDG_RUNTIME_DIR/bus" || fail "the session bus did not start"
quiet() { [ ! -s "$work/err" ] || fail "$1 wrote on standard error: $(cat "$work/err")"; }

"$exe" --help >"$work/help" 2>"$work/err"
quiet --help
"$exe" --version >/dev/null 2>"$work/err"
quiet --version
screen=$(awk '/^Screens:/ { getline; print $1 }' "$work/help")
[ -n "$screen" ] || fail "--help lists no screen: $(cat "$work/help")"
"$exe" --audience "$screen" 2>"$work/err" &
pid=$!
alive() { kill -0 "$pid" 2>/dev/null; }
take id '^The Brackwyn$' "start window"
take id '^The Brackwyn - audience screen$' "audience screen on $screen"
kill "$pid"
wait "$pid"
quiet "a start"

printf 'question,answer\nq,"open\n' >"$work/deck.csv"
for args in "$work/deck.csv" "--audience HDMI-9"; do
    timeout 10 script -qec "$exe $args" /dev/null >"$work/tty"
    [ $? -eq 2 ] || fail "$args from a terminal: status $?"
    line=$(tr -d '\r' <"$work/tty")
    [[ $line == quolmar:* && $line != *$'\n'* ]] || fail "$args from a terminal: '$line'"
    handled=" " # a new program may have the window ids of one before
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$exe" $args 2>"$work/err" &
    pid=$!
    take id "$box" "$args refused"
    read_box=$(wl_py await "$box" 10) && [[ $read_box == *$'\t'"$line"* ]] ||
        fail "$args: the box does not say '$line': '$read_box'"
    keys "$id" Return
    wait "$pid"
    [ $? -eq 2 ] || fail "$args: status $? after the box"
    [ "$(cat "$work/err")" = "$line" ] || fail "$args: standard error '$(cat "$work/err")'"
done
echo "Nothing on standard error; refusals in the terminal, or in a box outside one."
