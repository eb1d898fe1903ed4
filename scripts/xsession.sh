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
    local pid
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
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
