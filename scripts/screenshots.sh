#!/usr/bin/env bash
# Makes the README's pictures in docs/ again from the real program: builds it if needed, plays
# an 8-player game on a virtual display with key presses and photographs each window on the way.
#   scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."

out=docs
names=("Zoë" "Kwame" "Mei-Ling" "Santiago" "Aroha" "Søren" "Priya" "Oluwaseun")

fail() {
    echo "screenshots: $*" >&2
    exit 1
}

if [ "${1:-}" != "--inside" ]; then
    # The virtual display, a window manager (without one no window gets the keyboard), the
    # key presser and the camera.
    packages=(xvfb xauth openbox xdotool imagemagick)
    missing=()
    for p in "${packages[@]}"; do
        status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
        [ "$status" = "installed" ] || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        sudo=""
        if [ "$(id -u)" -ne 0 ]; then
            command -v sudo >/dev/null 2>&1 || fail "these packages are missing and I am not root: ${missing[*]}"
            sudo="sudo"
        fi
        export DEBIAN_FRONTEND=noninteractive
        $sudo apt-get update -qq
        $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi

    if [ ! -f build/CMakeCache.txt ]; then
        scripts/setup.sh
        cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOLMAR_TESTS=OFF >/dev/null
    fi
    cmake --build build --parallel "$(nproc)" --target quolmar

    mkdir -p "$out"
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inside
fi

# From here on we are on the virtual display.
pids=()
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
}
trap cleanup EXIT

# The exact title as a pattern for xdotool.
pattern() {
    printf '^%s$' "$(printf '%s' "$1" | sed 's/[][\.*^$?+(){}|]/\\&/g')"
}

# Id of the visible window titled exactly $1, waiting for it up to 20 seconds.
window() {
    local id
    id=$(timeout 20 xdotool search --sync --onlyvisible --name "$(pattern "$1")" 2>/dev/null |
        tail -n 1) || true
    [ -n "$id" ] || fail "no window titled \"$1\""
    echo "$id"
}

# Id of the visible window titled exactly $1 if one shows within $2 seconds, else nothing.
window_within() {
    timeout "$2" xdotool search --sync --onlyvisible --name "$(pattern "$1")" 2>/dev/null |
        tail -n 1 || true
}

# Waits until window $1 is no longer on the screen.
gone() {
    local i
    for i in $(seq 100); do
        xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
        sleep 0.1
    done
    fail "window $1 stays on the screen"
}

# Gives window $1 the keyboard and presses the keys that follow.
keys() {
    local id=$1
    shift
    xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus --sync "$id"
    sleep 0.2
    xdotool key --clearmodifiers --delay 120 "$@"
}

# Answers the message box titled $1 (by default "quolmar") with Return.
answer() {
    local id
    id=$(window "${1:-quolmar}")
    keys "$id" Return
    gone "$id"
}

# The picture of window $1, title bar and frame included, in docs/$2.png.
shoot() {
    xdotool windowactivate --sync "$1" 2>/dev/null || true
    sleep 0.8 # let the window finish drawing
    import -frame -window "$1" "$out/$2.png"
    echo "docs/$2.png"
}

# Starts the next round: the two announcements, then the music's "Error!" box when the machine
# has no sound card.
start_round() {
    keys "$game" s
    answer
    answer
    local err
    err=$(window_within quolmar 3)
    if [ -n "$err" ]; then
        echo "round $1: the music could not play (no sound card?); answered its message box"
        keys "$err" Return
        gone "$err"
    fi
}

# Plays the round to the target: a correct answer from each player, then B.
win_round() {
    keys "$game" c c c c c c c c b
    answer # "You reached the target!"
}

# Presses the keys one by one in the game-control window, a thinking pause after each, so the
# players' times differ in the vote-off.
pauses=(2 4 1 3 2 5 1 3 2 1)
play() {
    local i=0 k
    for k in "$@"; do
        keys "$game" "$k"
        sleep "${pauses[$((i++ % ${#pauses[@]}))]}"
    done
}

# Votes off the first player still in and sends them off.
vote_off() {
    keys "$game" v
    local vote
    vote=$(window "It's time to vote off the Brackwyn!")
    if [ "${1:-}" = "shoot" ]; then shoot "$vote" voteoff; fi
    keys "$vote" Tab space
    answer # "Are you sure ...?"
    local bye
    bye=$(window "It's time for you to go")
    if [ "${1:-}" = "shoot" ]; then shoot "$bye" goodbye; fi
    keys "$bye" space
    gone "$bye"
    game=$(window "The Brackwyn Game Control")
}

openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
build/quolmar >/dev/null 2>&1 &
pids+=($!)

start=$(window "The Brackwyn")
shoot "$start" start
keys "$start" Tab space # "8 Players" is the second button
team=$(window "Let's Meet the Team")
xdotool windowactivate --sync "$team"
for i in "${!names[@]}"; do
    [ "$i" -gt 0 ] && xdotool key Tab
    xdotool type --delay 40 "${names[$i]}"
done
xdotool key Tab Down # the clock: Visible
shoot "$team" team
keys "$team" Return

game=$(window "The Brackwyn Game Control")
# Round 1, with the prize fund on show.
keys "$game" t
start_round 1
play c c c b c c w c c c
shoot "$game" round
win_round
vote_off shoot
# Rounds 2 to 6.
for round in 2 3 4 5 6; do
    start_round "$round"
    win_round
    vote_off
done
# Round 7, the last, then the final.
start_round 7
win_round
keys "$game" f
answer "Who goes first?"
final=$(window "The Final Round")
keys "$final" c c w c c w c
shoot "$final" final
