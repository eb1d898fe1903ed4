#!/usr/bin/env bash
# The audience screen and the question card on a real Wayland compositor, headless, with a TV
# beside the host's screen: the host's windows must keep the keyboard when they open and, on
# mutter and sway, all through a round in which the TV is pulled out and plugged back in. The
# bank after each step shows it: a key lost to the audience screen changes the figures.
# On mutter the program starts several times first, for a race that shows in some starts only.
#   wayland.sh mutter|kwin|sway QUOLMAR_EXECUTABLE [HOST_SIZE TV_SIZE [tv-first]]
#                                                         (exit 77: a needed tool is missing)
set -uo pipefail
compositor=${1:?usage: wayland.sh mutter|kwin|sway QUOLMAR_EXECUTABLE} program=${2:?}
. "$(dirname "$0")/support/session.sh" "wayland-$compositor"
missing=$(wl_missing "$compositor")
[ -z "$missing" ] || { echo "SKIP: no" $missing "(scripts/setup.sh --test installs it)"; exit 77; }

fail() { wl_fail "$@"; }
screen='^The Brackwyn - audience screen$'
field() { wl_await "$1" 5 | cut -f "$2"; }
screen_is() { [ "$(field "$screen" 2)" = "$1" ]; }
small() {
    local s
    s=$(field "$screen" 2) && [ "${s%x*}" -le $((${wl_host%x*} / 2)) ] && [ "${s#*x}" -le $((${wl_host#*x} / 2)) ]
}
bank_is() { wl_await "$control" 5 | tr '\t' '\n' | grep -B1 -x BANK | head -n 1 | grep -qxF "$1"; }

wl_begin "$compositor" "${@:3}"
starts=$([ "$compositor" = mutter ] && echo 4 || echo 1)
for ((start = 1; start <= starts; start++)); do
    [ $start -eq 1 ] || { kill "$!" && wait "$!"; } 2>/dev/null
    spawn "$program" --audience --questions "$(dirname "$0")/../packaging/sample-questions.csv" \
        >"$work/program.log" 2>&1
    wl_await '^The Brackwyn$' >/dev/null || fail "no start window"
    wl_await "$screen" >/dev/null || fail "no audience screen"
    wl_await '^The Brackwyn - questions$' >/dev/null || fail "no question card"
    wl_check "the audience screen or the card took the keyboard from the start window" \
        wl_has_keys '^The Brackwyn$'
    wl_check "start $start: the audience screen does not fill the TV, $tv" screen_is "$tv"
done
if [ "$compositor" = kwin ]; then
    [ $wl_failed -eq 0 ] && echo "The host kept the keyboard when the audience screen opened on KWin."
    exit $((wl_failed > 0))
fi

# Types keys $2... into the game window; the bank is then $1, unless keys went astray.
bank_after() {
    wl_keys "${@:2}"
    wl_check "keys were lost: the bank is not $1 after ${*:2}" bank_is "$1"
}
wl_keys Tab space # from the 6-player button to the 8-player one
wl_await "^Let's Meet the Team\$" 10 >/dev/null || fail "no team entry"
wl_keys a n n Tab b e n Tab c y Tab d e e Tab e v e Tab f a y Tab g u s Tab h a l Return
wl_await "$control" 10 >/dev/null || fail "no game control"
wl_keys s
wl_answer || fail "no first start message"
wl_answer || fail "no second start message"
wl_answer || : # the music's, without a sound card

# The chain is $1,000 $2,500 $5,000 $10,000 ... $125,000, the target.
bank_after '$5,000' c c c b
wl_unplug
wl_within 10 not screen_is "$tv" || fail "the program did not see the TV go"
bank_after '$7,500' c c b
wl_check "the audience screen is larger than half the host's screen without the TV" small
wl_check "the game window lost the keyboard when the TV was pulled out" wl_has_keys "$control"
wl_plug
wl_check "the audience screen is not back on the TV, $tv" screen_is "$tv"
wl_check "the game window lost the keyboard when the TV was plugged in" wl_has_keys "$control"
bank_after '$8,500' c b
wl_keys c c c c c c c c b
end=$(wl_await "$box" 10) || fail "the round did not end at the target"
[[ $end == *"You reached the target!"* ]] || fail "the round ended with: $end"
wl_keys Return
[ $wl_failed -eq 0 ] && echo "The host kept the keyboard all round on $compositor, the TV pulled and back."
exit $((wl_failed > 0))
