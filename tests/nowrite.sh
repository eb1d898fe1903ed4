#!/usr/bin/env bash
# Plays one whole 6-player game of the real program as a host at the keyboard would, under a
# virtual display with a window manager, and traces every file and network call it makes. Fails
# when the program writes a file outside the temporary and cache places the toolkit and the sound
# libraries use, opens a network socket, or does not get through the game and exit cleanly.
#
#   nowrite.sh QUOLMAR_EXECUTABLE   plays and checks (exit 77: a needed tool is missing)
#   nowrite.sh --check TRACE...     only checks strace output already written
set -uo pipefail

# --- The checker -------------------------------------------------------------------------------

# Prints every traced call that writes outside the allowed places or reaches the network.
offences() {
    # The user's own files are checked against the home directory first, because a home under
    # /tmp (as the game below uses) must not count as temporary.
    awk -v home="${HOME%/}" -v runtime="${XDG_RUNTIME_DIR:-}" '
    function allowed(p) {
        if (home != "" && (p == home || index(p, home "/") == 1))
            # Caches may be rebuilt at will (fontconfig, shader caches); nothing else in home.
            return index(p, home "/.cache/") == 1
        # The temporary places: Qt falls back to /tmp/runtime-$USER, sound libraries put their
        # sockets and shared memory there.
        if (p ~ /^\/(tmp|var\/tmp|dev\/shm)\//) return 1
        if (runtime != "" && index(p, runtime "/") == 1) return 1
        if (p ~ /^\/run\/user\/[0-9]+\//) return 1
        # Devices opened read-write without storing anything: the sound card and terminals.
        if (p == "/dev/null" || p == "/dev/tty" || p ~ /^\/dev\/(snd|pts)\//) return 1
        # Process information, not storage: threads name themselves through it.
        if (p ~ /^\/proc\/(self|thread-self|[0-9]+)\//) return 1
        return 0
    }
    # Relative paths of the *at calls are joined to the directory that strace -y shows.
    function resolve(p, dir) {
        if (p ~ /^\//) return p
        return dir == "" ? p : dir "/" p
    }
    {
        line = $0
        sub(/^[0-9]+ +/, "", line)              # a pid column, when traces were merged
        if (!match(line, /^[a-z_0-9]+\(/)) next  # signals, exits, resumptions
        call = substr(line, 1, RLENGTH - 1)
        args = substr(line, RLENGTH + 1)

        if (call == "socket") {
            if (args ~ /^AF_INET6?,/) print
            next
        }
        if (call ~ /^(connect|sendto|sendmsg|bind)$/ && args ~ /sa_family=AF_INET6?[,}]/) {
            print
            next
        }

        writes = 0
        if (call ~ /^(open|openat|openat2)$/)
            writes = args ~ /O_(WRONLY|RDWR|CREAT|TRUNC|APPEND|TMPFILE)/
        else if (call ~ /^(creat|mkdir|mkdirat|rmdir|unlink|unlinkat|rename|renameat|renameat2|link|linkat|symlink|symlinkat|truncate|chmod|fchmodat|fchmodat2|chown|lchown|fchownat|mknod|mknodat|utime|utimes|utimensat|futimesat|setxattr|lsetxattr|removexattr|lremovexattr)$/)
            writes = 1
        else if (call == "bind" && args ~ /sun_path="/)
            writes = 1                               # a named local socket is a new file
        if (!writes) next

        # The directory of a leading descriptor argument, as in openat(AT_FDCWD</home/x>, ...).
        dir = ""
        if (match(args, /^[A-Z_0-9]+<[^>]*>/)) {
            dir = substr(args, 1, RLENGTH - 1)
            sub(/^[A-Z_0-9]+</, "", dir)
        }
        # Every quoted path of the call; a symbolic link only creates its last one.
        n = 0
        rest = args
        while (match(rest, /"([^"\\]|\\.)*"/)) {
            path[++n] = substr(rest, RSTART + 1, RLENGTH - 2)
            rest = substr(rest, RSTART + RLENGTH)
        }
        first = call ~ /^symlink/ ? n : 1
        for (i = first; i <= n; ++i)
            if (!allowed(resolve(path[i], dir))) { print; break }
    }' "$@"
}

if [ "${1:-}" = "--check" ]; then
    shift
    found=$(offences "$@")
    [ -z "$found" ] && exit 0
    printf '%s\n' "$found"
    exit 1
fi

# --- The game ----------------------------------------------------------------------------------

program=${1:?usage: nowrite.sh QUOLMAR_EXECUTABLE}
for tool in strace xvfb-run xdotool openbox; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed (scripts/setup.sh --test installs it)"
        exit 77
    fi
done
. "$(dirname "$0")/../scripts/xsession.sh" nowrite
on_display || to_display "$@"

tracer=""
fail() {
    echo "FAIL: $*"
    echo "--- program output:"
    tail -n 20 "$work/program.log" 2>/dev/null
    exit 1
}
alive() { kill -0 "$tracer" 2>/dev/null; }
# The program first, by the id its tracer started it with, then the tracer.
finish() {
    if [ -n "$tracer" ]; then
        kill $(cat "/proc/$tracer/task/$tracer/children" 2>/dev/null) "$tracer" 2>/dev/null
    fi
    cleanup
}
begin
trap finish EXIT
# A home of its own shows what the program would write for a new user, and keeps the real one
# untouched; the other per-user places then follow it.
mkdir "$work/home"
export HOME=$work/home
unset XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME XDG_STATE_HOME QT_QPA_PLATFORM

cd "$work"
# One file per thread (-ff) keeps every call on one line; -y shows the directory of *at calls.
strace -ff -y -qq -e trace=%file,%network -o "$work/trace" "$program" >"$work/program.log" 2>&1 &
tracer=$!

play '^The Brackwyn$' "start" space    # the 6-player button has the focus
take id "^Let's Meet the Team\$" "team entry"
front "$id"
for name in Ann Ben Cy Dee Eve; do
    xdotool type --delay 40 "$name"
    xdotool key Tab
done
# Enter in the last name box presses "Let's Play!", the default button.
xdotool type --delay 40 Fay
xdotool key Return

for round in 1 2 3 4 5; do
    take id "$control" "round $round"
    start_round "$id" "$round"
    keys "$id" c c c c c c b
    answer "$box" "round $round, target reached"
    if [ $round -lt 5 ]; then
        keys "$id" v
        vote_off "$round"
    fi
done
keys "$id" f
answer '^Who goes first\?$' "final, who goes first"
# The first finalist answers three right, the other three wrong: decided at 3:0.
play '^The Final Round$' "final" c w c w c w
answer "$box" "final, the winner"
answer "$box" "final, goodbye"
# Back at the start; Quit is the fourth button.
play '^The Brackwyn$' "quit" Tab Tab Tab space

deadline=$((SECONDS + 30))
while alive && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
alive && fail "the program did not exit after Quit"
wait "$tracer"
status=$?
tracer=""
[ "$status" -eq 0 ] || fail "the program exited with status $status"
echo "A whole game was played (music $([ "$music_error" = yes ] && echo unavailable || echo on)) and the program exited."

found=$(offences "$work"/trace.*)
if [ -n "$found" ]; then
    echo "FAIL: the program wrote outside the temporary and cache places or used the network:"
    printf '%s\n' "$found" | sed "s|$HOME|\$HOME|g"
    exit 1
fi
echo "No writes outside the temporary and cache places, no network sockets."
