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

# Runs "$2..." until it succeeds, for up to $1 seconds; false if it never did.
wl_within() {
    local end=$((SECONDS + $1))
    shift
    until "$@" 2>/dev/null; do
        [ $SECONDS -lt $end ] || return 1
        sleep 0.1
    done
}
not() { ! "$@"; }

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
# Prints how many milliseconds after byte $1 of the recording (within $2 bytes of it, if given;
# of file $3, 44.1 kHz mono, if not $work/sound.raw) a sound was first heard: the first
# millisecond (44 samples) at -50 dBFS (RMS 104) or louder. False if none.
pulse_heard() {
    od -An -v -t d2 -w2 -j $(($1 / 2 * 2)) ${2:+-N "$2"} "${3:-$work/sound.raw}" 2>/dev/null | awk '
        found { next } # read to the end: od would fail writing to a pipe nobody reads
        { sum += $1 * $1; if (++n == 44) { if (sum >= 44 * 104 * 104) { print ms; found = 1 }; sum = 0; n = 0; ++ms } }
        END { exit !found }'
}
# As pulse_heard, but prints heard or silent.
heard() { pulse_heard "$@" >/dev/null && echo heard || echo silent; }
