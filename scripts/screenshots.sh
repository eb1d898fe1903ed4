#!/usr/bin/env bash
# Makes the README's pictures in docs/ again from the real program: builds it if needed, plays
# an 8-player game on a virtual display with key presses and photographs each window on the way,
# the question card beside the game, and the audience screen on a second screen.
#   scripts/screenshots.sh
set -euo pipefail
. "$(dirname "$0")/xsession.sh" screenshots
cd "$(dirname "$0")/.."

out=docs
names=("Zoë" "Kwame" "Mei-Ling" "Santiago" "Aroha" "Søren" "Priya" "Oluwaseun")

if ! on_display; then
    # The virtual display, a window manager (without one no window gets the keyboard), the
    # key presser and the camera.
    scripts/setup.sh xvfb xauth openbox xdotool imagemagick
    if [ ! -f build/CMakeCache.txt ]; then
        cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOLMAR_TESTS=OFF >/dev/null
    fi
    cmake --build build --parallel "$(nproc)" --target quolmar

    mkdir -p "$out"
    # A second screen, 1920x1080, for the audience screen.
    XSESSION_SCREENS="-screen 0 1280x1024x24 -screen 1 1920x1080x24" to_display
fi

# The picture of window $1, title bar and frame included, in docs/$2.png.
shoot() {
    front "$1"
    sleep 0.8 # let the window finish drawing
    import -frame -window "$1" "$out/$2.png"
    echo "docs/$2.png"
}

# Starts round $1 in the next game-control window, after typing the keys that follow into it.
# The music's box, when the machine has no sound card, is answered and said.
next_round() {
    local round=$1
    shift
    take game "$control" "round $round"
    [ $# -eq 0 ] || keys "$game" "$@"
    start_round "$game" "$round"
    if [ "$music_error" = yes ]; then
        echo "round $round: the music could not play (no sound card?); answered its message box"
    fi
}
# Plays round $1 to the target: a correct answer from each player, then B.
win_round() {
    keys "$game" c c c c c c c c b
    answer "$box" "round $1, target reached"
}

# Presses the keys one by one in the game-control window, a thinking pause after each, so the
# players' times differ in the vote-off.
pauses=(2 4 1 3 2 5 1 3 2 1)
think() {
    local i=0 k
    for k in "$@"; do
        keys "$game" "$k"
        sleep "${pauses[$((i++ % ${#pauses[@]}))]}"
    done
}

begin
spawn build/quolmar --audience --questions packaging/sample-questions.csv >/dev/null 2>&1
# The audience screen, as the players see it on the second screen, at half size.
audience_shot() {
    sleep 1
    import -window root -display "${DISPLAY%.*}.1" -resize 50% "$out/$1.png"
    echo "docs/$1.png"
}

take start '^The Brackwyn$'
shoot "$start" start
keys "$start" Tab space # "8 Players" is the second button
take team "^Let's Meet the Team\$"
front "$team"
for i in "${!names[@]}"; do
    [ "$i" -gt 0 ] && xdotool key Tab
    xdotool type --delay 40 "${names[$i]}"
done
xdotool key Tab Down # the clock: Visible
shoot "$team" team
keys "$team" Return

next_round 1 t # with the prize fund on show
think c c c b c c w c c c
shoot "$game" round
audience_shot audience-round
# The host's screen: the game window with the question card beside it.
import -window root -display "${DISPLAY%.*}.0" "$out/questions.png"
echo "docs/questions.png"
win_round 1
keys "$game" v
vote_off 1 shoot
# Rounds 2 to 6.
for round in 2 3 4 5 6; do
    next_round "$round"
    win_round "$round"
    keys "$game" v
    vote_off "$round"
done
# Round 7, the last, then the final.
next_round 7
win_round 7
keys "$game" f
answer '^Who goes first\?$' "final, who goes first"
take final '^The Final Round$'
keys "$final" c c w c c w c
shoot "$final" final
audience_shot audience-final
