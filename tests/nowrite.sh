#!/usr/bin/env bash
# Plays one whole 6-player game of the real program under a virtual display, tracing every file
# and network call. Fails when it writes outside the temporary and cache places the toolkit and
# sound libraries use, opens a network socket, or does not get through the game and exit cleanly.
#   nowrite.sh QUOLMAR_EXECUTABLE [--audience [--questions FILE]]  (exit 77: a tool is missing)
# With --audience the audience screen (and with --questions the question card) is open all game,
# and must leave the keyboard to the host.
# NOWRITE_LOG_LINES is how much of the program's output a failure shows (20; +1 for all of it).
set -uo pipefail

# Prints every traced call that writes outside the allowed places or reaches the network.
offences() {
    awk -v home="${HOME%/}" -v runtime="${XDG_RUNTIME_DIR:-}" '
    function allowed(p) {
        # Home first: this one is under /tmp, and in it only caches may be rebuilt at will.
        if (p == home || index(p, home "/") == 1) return index(p, home "/.cache/") == 1
        if (runtime != "" && index(p, runtime "/") == 1) return 1
        # Qt and the sound libraries keep sockets and shared memory in the temporary places;
        # devices and process information store nothing.
        return p ~ /^\/(tmp|var\/tmp|dev\/shm|run\/user\/[0-9]+|dev\/snd|dev\/pts|proc\/(self|thread-self|[0-9]+))\// ||
               p ~ /^\/dev\/(null|tty)$/
    }
    match($0, /^[a-z_0-9]+\(/) {
        call = substr($0, 1, RLENGTH - 1)
        args = substr($0, RLENGTH + 1)
        if (call == "socket" ? args ~ /^AF_INET6?,/ : args ~ /sa_family=AF_INET6?[,}]/) { print; next }
        if (call ~ /^open/) { if (args !~ /O_(WRONLY|RDWR|CREAT|TRUNC|APPEND|TMPFILE)/) next }
        # A prefix covers the *at and later variants too; a named local socket is a new file.
        else if (call !~ /^(creat|mkdir|rmdir|unlink|rename|link|symlink|truncate|chmod|fchmodat|l?chown|fchownat|mknod|utime|futimesat|l?setxattr|l?removexattr)/ &&
                 !(call == "bind" && args ~ /sun_path="/)) next
        # Relative paths are joined to the directory strace -y shows for the descriptor before them.
        dir = ""; n = 0
        while (match(args, /"([^"\\]|\\.)*"|[A-Z_0-9]+<[^>]*>/)) {
            tok = substr(args, RSTART, RLENGTH)
            args = substr(args, RSTART + RLENGTH)
            if (tok !~ /^"/) { dir = substr(tok, index(tok, "<") + 1); sub(/>$/, "", dir); continue }
            p = substr(tok, 2, length(tok) - 2)
            path[++n] = p ~ /^\// || dir == "" ? p : dir "/" p
        }
        # A symbolic link creates only its last path; the target may be anything.
        for (i = call ~ /^symlink/ ? n : 1; i <= n; ++i)
            if (!allowed(path[i])) { print; break }
    }' "$@"
}

program=${1:?usage: nowrite.sh QUOLMAR_EXECUTABLE [--audience]}
audience=${2:-}
for tool in strace xvfb-run xdotool openbox; do
    command -v "$tool" >/dev/null || { echo "SKIP: no $tool (scripts/setup.sh --test installs it)"; exit 77; }
done
. "$(dirname "$0")/../scripts/xsession.sh" nowrite
on_display || to_display "$@"

tracer=""
fail() {
    echo "FAIL: $*"
    echo "--- program output:"
    tail -n "${NOWRITE_LOG_LINES:-20}" "$work/program.log" 2>/dev/null
    exit 1
}
alive() { kill -0 "$tracer" 2>/dev/null; }
# The program, by the id its tracer started it with, before the tracer.
finish() {
    [ -z "$tracer" ] || kill $(cat "/proc/$tracer/task/$tracer/children" 2>/dev/null) "$tracer" 2>/dev/null
    cleanup
}
begin
trap finish EXIT
# A home of its own shows what a new user would get written, and keeps the real one untouched.
mkdir "$work/home"
export HOME=$work/home
unset XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME XDG_STATE_HOME QT_QPA_PLATFORM

cd "$work"
# One file per thread (-ff) keeps every call on one line; -y shows the directory of *at calls.
strace -ff -y -qq -e trace=%file,%network -o "$work/trace" "$program" "${@:2}" >"$work/program.log" 2>&1 &
tracer=$!
take id '^The Brackwyn$' "start"
if [ -n "$audience" ]; then
    for follower in "audience screen" questions; do
        [ $follower = questions ] && [ -z "${3:-}" ] && continue
        take screen "^The Brackwyn - $follower\$" "$follower"
        front "$id"
        xdotool mousemove --window "$screen" 100 100 click 1    # even a click leaves it the host's
        sleep 1
        [ "$(xdotool getactivewindow)" = "$id" ] || fail "the $follower window took the keyboard"
    done
fi
keys "$id" space    # the 6-player button has the focus
take id "^Let's Meet the Team\$" "team entry"
front "$id"
# Enter in the last name box presses "Let's Play!", the default button.
xdotool type --delay 40 $'Ann\tBen\tCy\tDee\tEve\tFay'
xdotool key Return

for round in 1 2 3 4 5; do
    take id "$control" "round $round"
    start_round "$id" "$round"
    keys "$id" c c c c c c b
    answer "$box" "round $round, target reached"
    [ $round -eq 5 ] || { keys "$id" v; vote_off "$round"; }
done
keys "$id" f
answer '^Who goes first\?$' "final, who goes first"
# The first finalist answers three right, the other three wrong: decided at 3:0.
play '^The Final Round$' "final" c w c w c w
answer "$box" "final, the winner"
answer "$box" "final, goodbye"
play '^The Brackwyn$' "quit" Tab Tab Tab space    # Quit is the fourth button

deadline=$((SECONDS + 30))
while alive && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
alive && fail "the program did not exit after Quit"
wait "$tracer"
status=$? tracer=""
[ "$status" -eq 0 ] || fail "the program exited with status $status"
echo "A whole game was played (music $([ "$music_error" = yes ] && echo unavailable || echo on)) and the program exited."

found=$(offences "$work"/trace.*)
[ -z "$found" ] || fail "the program wrote outside the temporary and cache places or used the network:
${found//$HOME/\$HOME}"
echo "No writes outside the temporary and cache places, no network sockets."
