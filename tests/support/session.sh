# What only the tests add to scripts/xsession.sh: the program on Wayland compositors, its
# windows read over the accessibility bus (wayland.py), and the sound server's recording.
#
#   . tests/support/session.sh NAME     as scripts/xsession.sh NAME, which it sources
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xsession.sh" "$1"

# ---- Wayland: the program natively on mutter, KWin or sway, headless, with two screens: the
# host's, 1280x800, and a TV. Each compositor runs in the scratch folder with its own runtime
# folder and a private session bus, which also carries the accessibility bus the windows are
# read through (wayland.py): what xdotool does under X.
session_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wl_py() { /usr/bin/python3 "$session_dir/wayland.py" "$@"; }

# Prints what is missing to run on compositor $1, if anything.
wl_missing() {
    local tool
    case $1 in
    mutter) set -- mutter ;;
    kwin) set -- kwin_wayland ;;
    sway) set -- sway swaymsg wtype setpriv ;;
    *) echo "no compositor '$1'"; return ;;
    esac
    for tool in "$@" dbus-daemon /usr/bin/python3 /usr/libexec/at-spi-bus-launcher; do
        command -v "$tool" >/dev/null || echo "$tool"
    done
    compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so" >/dev/null || echo qt6-wayland
    /usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
        echo gir1.2-atspi-2.0
}

# Starts compositor $1 (mutter, kwin or sway) in a new scratch folder, $work, and points the
# program's environment at it. wl_keys, wl_unplug and wl_plug then work on it; the TV is $tv.
# mutter may be given the host's screen's size and the TV's, $2 and $3, and with $4 "tv-first"
# makes the TV its first monitor, which Qt then takes for the primary one.
wl_begin() {
    wl_compositor=$1 wl_host=${2:-1280x800} wl_tv_first=${4:-}
    work=$(mktemp -d "/tmp/quolmar-$xsession_name.XXXXXX")
    chmod 711 "$work" # sway's own user reaches its folders in it
    trap cleanup EXIT
    mkdir -m 700 "$work/run" "$work/home"
    export XDG_RUNTIME_DIR=$work/run HOME=$work/home DBUS_SESSION_BUS_ADDRESS=unix:path=$work/run/bus
    unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
    spawn dbus-daemon --session --nofork --nosyslog --address="$DBUS_SESSION_BUS_ADDRESS" \
        >"$work/bus.log" 2>&1
    wl_within 10 test -S "$work/run/bus" || fail "the session bus did not start"
    tv=${3:-1920x1080}
    "wl_start_$1"
    export QT_QPA_PLATFORM=wayland QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}

# mutter's monitors are Meta-0 (the host's) and Meta-1 (the TV), or the other way round. Its
# keyboard is a remote desktop session that lasts the whole run, fed through a pipe.
wl_start_mutter() {
    local monitors=(--virtual-monitor "$wl_host" --virtual-monitor "$tv")
    wl_tv=Meta-1
    [ -z "$wl_tv_first" ] || monitors=("${monitors[@]:2}" "${monitors[@]:0:2}") wl_tv=Meta-0
    spawn mutter --headless --wayland --no-x11 --wayland-display quolmar "${monitors[@]}" \
        >"$work/compositor.log" 2>&1
    export WAYLAND_DISPLAY=quolmar
    # The host's screen goes left, the primary one, the TV right of it.
    wl_within 30 wl_py mutter-output "$wl_tv" on || fail "mutter did not start"
    mkfifo "$work/keys" "$work/typed"
    exec {wl_keys_in}<>"$work/keys" {wl_typed}<>"$work/typed"
    spawn /usr/bin/python3 "$session_dir/wayland.py" mutter-keyboard "$work/keys" "$work/typed"
}
wl_keys_mutter() {
    echo "$*" >&"$wl_keys_in"
    read -r -t 30 -u "$wl_typed" _ || fail "mutter's keyboard did not type $*"
}
wl_unplug_mutter() { wl_py mutter-output "$wl_tv" off; }
wl_plug_mutter() { wl_py mutter-output "$wl_tv" on; }

# KWin's virtual outputs all have one size; only the start is played there. Debian's binary
# carries a file capability that a sandbox may refuse to run; a copy has none.
wl_start_kwin() {
    cp /usr/bin/kwin_wayland "$work/kwin_wayland"
    spawn "$work/kwin_wayland" --virtual --no-lockscreen --socket quolmar --width 1280 \
        --height 800 --output-count 2 >"$work/compositor.log" 2>&1
    export WAYLAND_DISPLAY=quolmar
    wl_within 30 test -S "$work/run/quolmar" || fail "KWin did not start"
    tv=1280x800
}

# sway, which will not run as root, nested: its outputs are windows of a headless sway, so
# that closing one pulls the TV's cable. WL-1 is the host's screen, WL-2 the TV.
wl_start_sway() {
    wl_as=()
    [ "$(id -u)" -ne 0 ] || wl_as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    mkdir -m 700 "$work/outer" "$work/inner"
    [ "$(id -u)" -ne 0 ] || chown nobody:nogroup "$work/outer" "$work/inner"
    # The outer one's windows, the inner one's outputs, take any size they are given.
    printf '%s\n' 'output HEADLESS-1 mode 3200x1080' 'floating_maximum_size -1 x -1' \
        'default_border none' 'default_floating_border none' \
        'for_window [title=".*"] floating enable' >"$work/outer.conf"
    : >"$work/inner.conf"
    chmod 644 "$work/outer.conf" "$work/inner.conf"
    local run display=""
    for run in outer inner; do
        spawn env -u WAYLAND_DISPLAY WLR_BACKENDS=$([ $run = outer ] && echo headless || echo wayland) \
            WLR_WL_OUTPUTS=2 WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 HOME="$work/$run" \
            XDG_RUNTIME_DIR="$work/$run" ${display:+WAYLAND_DISPLAY=$display} \
            "${wl_as[@]}" sway -c "$work/$run.conf" >"$work/$run.log" 2>&1
        wl_within 30 compgen -G "$work/$run/wayland-*[0-9]" >/dev/null || fail "sway ($run) did not start"
        display=$(compgen -G "$work/$run/wayland-*[0-9]")
    done
    export WAYLAND_DISPLAY=$display
    wl_sway_size WL-1 1280 800
    wl_sway_size WL-2 1920 1080
    # A keyboard that stays: when a seat's last keyboard goes, Qt takes the focus from every
    # window, which no desktop with a keyboard does.
    spawn wtype -s 100000000
}
wl_swaymsg() { swaymsg -s "$(compgen -G "$work/$1/sway-ipc.*")" "${@:2}"; }
# The inner sway's outputs, one a line: name and WIDTHxHEIGHT.
wl_sway_outputs() {
    wl_swaymsg inner -t get_outputs -r | /usr/bin/python3 -c 'import json, sys
for o in json.load(sys.stdin): print(o["name"], "%(width)dx%(height)d" % o["rect"])'
}
# True when $2 (1) of the inner sway's outputs match the regular expression $1.
wl_sway_has() { [ "$(wl_sway_outputs | grep -cx "$1")" -eq "${2:-1}" ]; }
# Sizes output $1 of the inner sway to $2x$3 by sizing its window, until it is that size.
wl_sway_size() { wl_within 10 wl_sway_sized "$@" || fail "sway's output $1 did not become $2x$3"; }
wl_sway_sized() {
    wl_swaymsg outer "[title=\"wlroots - $1\"] resize set $2 px $3 px" >/dev/null
    wl_sway_has "$1 $2x$3"
}
wl_keys_sway() {
    local args=(-s 100) key # a key sent right after the keymap can be dropped
    for key; do args+=(-k "$key" -s 40); done
    wtype "${args[@]}"
}
wl_unplug_sway() { wl_swaymsg outer '[title="wlroots - WL-2"] kill' >/dev/null; }
wl_plug_sway() {
    wl_swaymsg inner create_output >/dev/null
    wl_within 10 wl_sway_has 'WL-[0-9]* .*' 2 || fail "sway made no output"
    wl_sway_size "$(wl_sway_outputs | awk '$1 != "WL-1" { print $1 }')" 1920 1080
}

# Ends the script with $*, the windows as they are and the end of the program's output.
wl_fail() {
    echo "FAIL ($wl_compositor): $*"
    echo "--- windows (keyboard, size, title, texts):"
    wl_windows
    echo "--- program output:"
    tail -n 20 "$work/program.log"
    exit 1
}
# Types keys, each a-z, Tab, Return or space, into the window that has the keyboard.
wl_keys() { "wl_keys_$wl_compositor" "$@"; }
wl_unplug() { "wl_unplug_$wl_compositor"; }
wl_plug() { "wl_plug_$wl_compositor"; }
# The program's windows, one a line: ACTIVE (has the keyboard) or -, WIDTHxHEIGHT, the title
# and the texts in it, tab-separated.
wl_windows() { wl_py windows; }
# Prints the line of a window whose title matches $1, waiting up to $2 seconds (30).
wl_await() { wl_py await "$1" "${2:-30}"; }
# True when the window titled $1 (a regular expression) is the one that has the keyboard.
wl_has_keys() {
    local active
    active=$(wl_windows | awk -F '\t' '$1 == "ACTIVE" { print $3 }')
    [ -n "$active" ] && [ "$(wc -l <<<"$active")" -eq 1 ] && grep -q "$1" <<<"$active"
}
# A check that does not end the script, so that one run shows every fault: if "$2..." does not
# come true within 5 seconds, says $1 with the windows as they are, and counts it in wl_failed.
wl_failed=0
wl_check() {
    wl_within 5 "${@:2}" && return
    echo "FAIL ($wl_compositor): $1"
    wl_windows | sed 's/^/    /'
    wl_failed=$((wl_failed + 1))
}
# Answers a message box with Return and waits until it has closed; false if none came within
# $1 seconds (5).
wl_answer() {
    local line
    line=$(wl_await "$box" "${1:-5}" | cut -f 3-) && [ -n "$line" ] || return 1
    wl_keys Return
    wl_within 5 not eval 'wl_windows | cut -f 3- | grep -qxF "$line"' || fail "a box stayed: $line"
}
# Records the null sink, 44.1 kHz mono, onto the end of $work/sound.raw, until the server ends:
# one recorder a server life makes the file all that was heard, the silences between lives left
# out. Sound in it is told apart by its byte offsets (pulse_at).
pulse_record() {
    touch "$work/sound.raw"
    spawn parec --raw --format=s16le --rate=44100 --channels=1 --latency-msec=10 \
        -d "$pulse_sink.monitor" >>"$work/sound.raw" 2>>"$work/pulse.log"
    pulse_recorder=$!
}
pulse_at() { stat -c %s "$work/sound.raw"; }
# Starts the server and its recorder, or ends the script.
pulse_up() {
    pulse_start || fail "the sound server did not start"
    pulse_record
}
# Kills the server as a crash would, and waits until it and its recorder have ended.
pulse_kill() {
    kill -KILL $pulse_pids
    { wait $pulse_pids "$pulse_recorder"; } 2>/dev/null
    pulse_pids=""
}
# Waits up to 15 seconds, while a server runs, until the recording's last 0.3 s are silent, so
# that what is heard after is the next sound's own.
pulse_quiet() {
    local end=$((SECONDS + 15)) size
    while [ $SECONDS -lt $end ]; do
        size=$(pulse_at)
        [ "$size" -ge 26460 ] && ! pulse_heard $((size - 26460)) >/dev/null && return 0
        sleep 0.1
    done
    fail "the recording never fell silent"
}
# A new 6-player game of program $1, with its output in $work/program.log, played to the
# game-control window: $id, and $program_pid. Keys after $1 are typed first in the team entry.
six_game() {
    spawn "$1" >>"$work/program.log" 2>&1
    program_pid=$!
    play '^The Brackwyn$' "start" space # the 6-player button has the focus
    play "^Let's Meet the Team\$" "team entry" "${@:2}" A n n Tab B e n Tab C y Tab D e e Tab E v e Tab F a y Return
    take id "$control" "round 1"
}
# Ends round $1 of a 6-player game in $id at the target, the chain's six links, and votes off,
# with vote_off's $2; $id is then the next round's window.
six_target() {
    keys "$id" c c c c c c b
    answer "$box" "round $1, target reached"
    keys "$id" v
    vote_off "$1" "${2:-:}"
    take id "$control" "round $(($1 + 1))"
}
# Starts round $2 in window $1 as start_round does, and notes what was heard: heard_clip, from
# the first start box closing to the second, which waits 1.5 s; heard_music, 3 s after the
# second closed, past the clips; and boxes, how many boxes came after the two (each answered).
sound_round() {
    local clip music end
    [ -z "$pulse_pids" ] || pulse_quiet
    keys "$1" s
    answer "$box" "round $2, first start message"
    clip=$(pulse_at)
    sleep 1.5
    answer "$box" "round $2, second start message"
    music=$(pulse_at)
    end=$((SECONDS + 6))
    boxes=0
    while await "$box" 3 >/dev/null; do
        answer "$box" "round $2, box after the start messages"
        boxes=$((boxes + 1))
    done
    while [ $SECONDS -lt $end ]; do sleep 0.1; done
    heard_clip=$(heard "$clip" $((music - clip)))
    heard_music=$(heard $((music + 3 * 88200)))
}
# Says what the round sound_round last started gave, named $1: a failure, counted in
# sound_failed, unless the clip, the music and the boxes were $2, $3 and $4.
sound_failed=0
sound_row() {
    local got="start clip $heard_clip, music $heard_music, $boxes box(es) after the start messages"
    if [ "$heard_clip $heard_music $boxes" = "$2 $3 $4" ]; then
        echo "ok    $1: $got"
    else
        echo "FAIL  $1: $got; wanted $2, $3, $4"
        sound_failed=$((sound_failed + 1))
    fi
}
