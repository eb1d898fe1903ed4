# Driving the real program on a virtual display, for the scripts that play it as a host would:
# the display, a window manager, and finding, typing into and closing its windows by title.
#
#   . scripts/xsession.sh NAME     NAME begins the default fail's messages and names $work
#
# A script may define fail, alive or answer again after sourcing; the helpers here use its own.

xsession_name=$1
xsession_script=$(realpath "$0")

box='^quolmar$'
control='^The Brackwyn Game Control$'
voteoff="^It's time to vote off [Tt]he Brackwyn!\$" # "The" in 6-player games, "the" in others
goodbye="^It's time for you to go\$"

fail() {
    echo "$xsession_name: $*" >&2
    exit 1
}
# False once the program under test has ended, so that waiting for its windows stops.
alive() { :; }

# Only a fresh display is sure to hold nothing but the program's windows, so the script runs
# again inside one: on_display tells which side of that it is on. XSESSION_SCREENS may give
# Xvfb other screens (a second one for the audience screen).
on_display() { [ "${XSESSION_OF:-}" = "$xsession_script" ]; }
to_display() {
    exec env XSESSION_OF="$xsession_script" xvfb-run -a -s "${XSESSION_SCREENS:--screen 0 1280x1024x24}" \
        bash "$xsession_script" "$@"
}

started=()
# Starts a command in the background, to be stopped when the script ends; $! is its id.
spawn() {
    "$@" &
    started+=($!)
}
cleanup() {
    local pid end=$((SECONDS + 5))
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
    # Some write their settings as they end (KWin does), which would outlive the folder.
    for pid in "${started[@]}"; do
        while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $end ]; do sleep 0.05; done
    done
    rm -rf "$work"
}
# On the display: a scratch folder, $work, and a window manager, without which no window gets
# the keyboard focus. --startup tells when it is up; the scratch folder is its home, so that
# nothing of it lands in the user's.
begin() {
    work=$(mktemp -d "/tmp/quolmar-$xsession_name.XXXXXX")
    trap cleanup EXIT
    HOME=$work spawn openbox --sm-disable --startup "touch $work/wm-ready" >/dev/null 2>&1
    local end=$((SECONDS + 100))
    until [ -e "$work/wm-ready" ]; do
        [ $SECONDS -lt $end ] || fail "the window manager did not start"
        sleep 0.05
    done
}

# The ids of the windows already dealt with: a title alone cannot tell this round's box or
# window from the one before, which may still be closing.
handled=" "
# Prints the id of a visible window, not handled before, whose title matches the regular
# expression $1; waits up to $2 seconds (30) while the program is alive.
await() {
    local title=$1 id end=$((SECONDS + ${2:-30}))
    while [ $SECONDS -lt $end ] && alive; do
        for id in $(xdotool search --onlyvisible --name "$title" 2>/dev/null); do
            case "$handled" in *" $id "*) ;; *) echo "$id"; return 0 ;; esac
        done
        sleep 0.05
    done
    return 1
}
# Sets the variable named $1 to a new window titled $2 (what it is for the messages: $3) and
# counts the window as handled.
take() {
    local got
    got=$(await "$2") || fail "no window '$2'${3:+ ($3)}"
    handled+="$got "
    printf -v "$1" %s "$got"
}
# Waits until window $2, titled $1, has left the screen.
gone() {
    local end=$((SECONDS + 30))
    while [ $SECONDS -lt $end ]; do
        xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -qx "$2" || return 0
        sleep 0.05
    done
    fail "window '$1' did not close${3:+ ($3)}"
}
# Gives window $1 the keyboard.
front() {
    timeout 10 xdotool windowactivate --sync "$1" >/dev/null 2>&1 ||
        fail "window $1 could not be brought to the front"
}
keys() {
    front "$1"
    shift
    xdotool key --clearmodifiers --delay 40 "$@"
}
# Answers a message box titled $1 with Enter and waits until it has closed.
answer() {
    local id
    take id "$1" "$2"
    keys "$id" Return
    gone "$1" "$id" "$2"
}
# Types the keys after $2 into a new window titled $1.
play() {
    local id
    take id "$1" "$2"
    shift 2
    keys "$id" "$@"
}

# Without a sound card the music cannot start and says so with one more box. Whether it does
# shows in the first round, at once; later rounds then must show it too.
music_error=""
music_box() {
    if [ -z "$music_error" ]; then
        if await "$box" 5 >/dev/null; then music_error=yes; else music_error=no; fi
    fi
    if [ "$music_error" = yes ]; then answer "$box" "$1, music error"; fi
}
# Starts round $2 in game-control window $1: S, the two start boxes and the music's box.
start_round() {
    keys "$1" s
    answer "$box" "round $2, first start message"
    answer "$box" "round $2, second start message"
    music_box "round $2"
}
# Once V has been pressed after round $1, votes off the first player still in and sends them
# off. $2, if given, is run with each of the two windows and its name as it appears.
vote_off() {
    local id look=${2:-:}
    take id "$voteoff" "vote-off $1"
    "$look" "$id" voteoff
    keys "$id" Tab space # Oops has the focus; Tab moves to the first player still in.
    answer "$box" "vote-off $1, confirmation"
    take id "$goodbye" "goodbye $1"
    "$look" "$id" goodbye
    keys "$id" space
}

# ---- Wayland: the program natively on mutter, KWin or sway, headless, with two screens: the
# host's, 1280x800, and a TV. Each compositor runs in the scratch folder with its own runtime
# folder and a private session bus, which also carries the accessibility bus the windows are
# read through (scripts/wayland.py): what xdotool does under X.
xsession_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wl_py() { /usr/bin/python3 "$xsession_dir/wayland.py" "$@"; }

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

# Runs "$2..." until it succeeds, for up to $1 seconds; false if it never did.
wl_within() {
    local end=$((SECONDS + $1))
    shift
    until "$@" 2>/dev/null; do
        [ $SECONDS -lt $end ] || return 1
        sleep 0.1
    done
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
    spawn /usr/bin/python3 "$xsession_dir/wayland.py" mutter-keyboard "$work/keys" "$work/typed"
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
not() { ! "$@"; }
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

# ---- Sound: a sound server of the script's own, PulseAudio or, as desktops now run it, PipeWire
# with WirePlumber and its PulseAudio server ($sound_server: pulse or pipewire), whose only output
# is a null sink, at a fixed address in $work, so that it can die and come back where the program
# looks for it. Its home, runtime and state folders are in $work, no bus of the user's is
# reached, and nothing autospawns a server of the user's in its place.
pulse_sink=quolmar
pulse_pids=""
sound_server=${sound_server:-pulse}
# Prints what is missing to run a server and record it, if anything.
pulse_missing() {
    local tool servers=pulseaudio
    [ "$sound_server" = pulse ] || servers="pipewire wireplumber pipewire-pulse dbus-daemon"
    for tool in $servers parec pactl od; do command -v "$tool" >/dev/null || echo "$tool"; done
}
# Starts the server and points the programs started after at it; false if it does not answer
# within 10 seconds. A socket left by a server killed before is taken over.
pulse_start() {
    mkdir -p "$work/pulse/home"
    echo "autospawn = no" >"$work/pulse/client.conf"
    export PULSE_SERVER=unix:$work/pulse/native PULSE_COOKIE=$work/pulse/cookie \
        PULSE_CLIENTCONFIG=$work/pulse/client.conf PIPEWIRE_RUNTIME_DIR=$work/pulse
    local server in=(env HOME="$work/pulse/home" PULSE_RUNTIME_PATH="$work/pulse" DISPLAY=
        PULSE_STATE_PATH="$work/pulse/state" DBUS_SESSION_BUS_ADDRESS="unix:path=$work/pulse/bus")
    if [ "$sound_server" = pulse ]; then
        spawn "${in[@]}" pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
            --load="module-null-sink sink_name=$pulse_sink" \
            --load="module-native-protocol-unix socket=$work/pulse/native auth-anonymous=1" \
            >>"$work/pulse.log" 2>&1
        pulse_pids=$!
        wl_within 10 pactl info >/dev/null
        return
    fi
    # PipeWire's programs meet on a session bus, which outlives them as a desktop's does. The sink
    # is made through its PulseAudio server, as a host would, and made the default.
    if [ ! -S "$work/pulse/bus" ]; then
        spawn dbus-daemon --session --nofork --address="unix:path=$work/pulse/bus" >>"$work/pulse.log" 2>&1
        wl_within 10 test -S "$work/pulse/bus" || return 1
    fi
    rm -f "$work/pulse/pipewire-0"
    spawn "${in[@]}" pipewire >>"$work/pulse.log" 2>&1
    pulse_pids=$!
    wl_within 10 test -S "$work/pulse/pipewire-0" || return 1
    for server in wireplumber pipewire-pulse; do
        spawn "${in[@]}" "$server" >>"$work/pulse.log" 2>&1
        pulse_pids+=" $!"
    done
    wl_within 10 pactl info >/dev/null && pactl load-module module-null-sink sink_name=$pulse_sink >/dev/null &&
        wl_within 10 pactl set-default-sink $pulse_sink
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
# Prints how many milliseconds after byte $1 of the recording (within $2 bytes of it, if given;
# of file $3, 44.1 kHz mono, if not $work/sound.raw) a sound was first heard: the first
# millisecond (44 samples) at -50 dBFS (RMS 104) or louder. False if none.
pulse_heard() {
    od -An -v -t d2 -w2 -j $(($1 / 2 * 2)) ${2:+-N "$2"} "${3:-$work/sound.raw}" 2>/dev/null | awk '
        found { next } # read to the end: od would fail writing to a pipe nobody reads
        { sum += $1 * $1; if (++n == 44) { if (sum >= 44 * 104 * 104) { print ms; found = 1 }; sum = 0; n = 0; ++ms } }
        END { exit !found }'
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
# As pulse_heard, but prints heard or silent.
heard() { pulse_heard "$@" >/dev/null && echo heard || echo silent; }
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
