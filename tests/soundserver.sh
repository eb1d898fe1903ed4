#!/usr/bin/env bash
# A real sound server, PulseAudio or PipeWire, with a null sink that is recorded, crashes in a
# round and comes back at the same address, is gone when a round starts, or comes up only after
# the program looked for it: the next round is heard again, and a round with no server says so
# with one box, and goes on; with the music off, so do the clips on their own.
#   soundserver.sh pulse|pipewire QUOLMAR_EXECUTABLE   (exit 77: a needed tool is missing)
set -uo pipefail
sound_server=${1:?usage: soundserver.sh pulse|pipewire QUOLMAR_EXECUTABLE}
program=${2:?usage: soundserver.sh pulse|pipewire QUOLMAR_EXECUTABLE}
. "$(dirname "$0")/support/session.sh" "soundserver-$sound_server"
for tool in xvfb-run xdotool openbox $(pulse_missing); do
    command -v "$tool" >/dev/null || { echo "SKIP: no $tool (scripts/setup.sh --test installs it)"; exit 77; }
done
on_display || to_display "$@"
begin
mkdir -m 700 "$work/home" "$work/runtime"
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime
unset QT_QPA_PLATFORM

pulse_up
six_game "$program"
sound_round "$id" 1
sound_row "round 1" heard heard 0
pulse_kill
pulse_up
six_target 1
sound_round "$id" 2
sound_row "round 2, the server killed in round 1 and back" heard heard 0
six_target 2
pulse_kill
sound_round "$id" 3
sound_row "round 3, no server" silent silent 1
six_target 3
pulse_up
sound_round "$id" 4
sound_row "round 4, the server back" heard heard 0

kill "$program_pid"
pulse_kill
handled=" "
six_game "$program"
sleep 1 # its devices were looked for when the team entry opened
pulse_up
sound_round "$id" 1
sound_row "a new game's round 1, the server up after the game-control window" heard heard 0

# The music off (its box is just before the first name's): the clips are heard on their own.
kill "$program_pid"
handled=" "
six_game "$program" shift+Tab space Tab
sound_round "$id" 1
sound_row "music off, round 1" heard silent 0
pulse_kill
pulse_up
six_target 1
sound_round "$id" 2
sound_row "music off, round 2, the server killed in round 1 and back" heard silent 0
[ $sound_failed -eq 0 ] || fail "$sound_failed of 7 rows were not as they should be"
echo "Every round was heard, or said it could not be, as the sound server came and went."
