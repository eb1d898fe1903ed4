#!/usr/bin/env bash
# Measures the real program from the outside, side by side with a bare Qt Widgets program built
# by the same build, on a virtual display, and prints one table: start-up time, memory, the clock
# of a real 60-second round against wall-clock time, when that round's music ends, how soon the
# # music and the clips are heard, how long one key press takes, and what the audience screen costs.
# About six minutes, most of it the real rounds.
#
#   bench/run.sh [--start] [BUILD_DIR]   default: build/, as ./run.sh and ./test.sh make it
#   --start: only the start-up rows, in a few seconds
#
# Needs, besides what scripts/setup.sh --test installs: xev (x11-utils) to time windows as they
# appear, and pulseaudio, whose null sink lets the music play and be recorded without a sound
# card. Missing packages are installed; without pulseaudio the music rows say so.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
only_start=no
[ "${1:-}" = --start ] && { only_start=yes; shift; }
build=$(realpath -m "${1:-$root/build}")
. "$root/scripts/xsession.sh" bench

if ! on_display; then
    for tool in xvfb-run xdotool openbox; do
        command -v "$tool" >/dev/null 2>&1 || { "$root/scripts/setup.sh" --test; break; }
    done
    extra=()
    command -v xev >/dev/null 2>&1 || extra+=(x11-utils)
    [ -z "$(pulse_missing)" ] || extra+=(pulseaudio)
    if [ ${#extra[@]} -gt 0 ]; then
        echo "Installing for the benchmark: ${extra[*]}"
        sudo=""
        [ "$(id -u)" -eq 0 ] || sudo=sudo
        export DEBIAN_FRONTEND=noninteractive
        { $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends \
            "${extra[@]}"; } >/dev/null || echo "(could not install ${extra[*]})"
    fi
    command -v xev >/dev/null 2>&1 || { echo "xev (x11-utils) is needed" >&2; exit 1; }
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    cmake --build "$build" --parallel "$(nproc)" \
        --target quolmar quolmar_sounds_out quolmar_baseline quolmar_bench_keys \
        quolmar_bench_audience quolmar_bench_loudness >/dev/null
    to_display $([ $only_start = yes ] && echo --start) "$build"
fi

quolmar=$build/quolmar
baseline=$build/bench/quolmar_baseline
keybench=$build/bench/quolmar_bench_keys
audbench=$build/bench/quolmar_bench_audience
loudbench=$build/bench/quolmar_bench_loudness
begin
# A runtime directory of its own, as a desktop session has, keeps the sound libraries' sockets
# and links out of the home directory.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
unset QT_QPA_PLATFORM

now() { echo "${EPOCHREALTIME/./}"; } # microseconds
row() { printf '%-44s | %-11s | %-11s | %s\n' "$@"; }
ratio() { awk -v q="$1" -v b="$2" 'BEGIN { printf "%.2fx", q / b }'; }
header() {
    echo
    echo "quolmar benchmark, $(date -u +%Y-%m-%d): $(nproc) cores, $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)," \
        "build type $(awk -F= '/^CMAKE_BUILD_TYPE:/ { print $2 }' "$build/CMakeCache.txt"), Xvfb + openbox"
    row "measurement" "quolmar" "baseline" "ratio / notes"
    row "--------------------------------------------" "-----------" "-----------" "-------------"
}
ms() { awk -v us="$1" 'BEGIN { printf "%.1f ms", us / 1000 }'; }
mib() { awk -v kb="$1" 'BEGIN { printf "%.1f MiB", kb / 1024 }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
peak_kb() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }
stop() {
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# A sound server of our own whose only output is a null sink (scripts/xsession.sh): the music
# plays in real time and its monitor can be recorded. Only the programs started here use it.
audio=no
[ -z "$(pulse_missing)" ] && pulse_start && audio=yes

# Every window that appears or goes, as the X server reports it: a blocking read, so waiting
# costs no CPU and the time is taken the moment the event arrives.
coproc XEV { exec xev -root -event substructure; }
started+=("$XEV_PID")
sleep 0.3 # xev has selected the events by then; the first launch only warms up anyway
drain() { while read -r -t 0.05 -u "${XEV[0]}" _; do :; done; }
# Sets $event_us to the time of the next event of one of the kinds (a regular expression).
next_event() {
    local kinds=$1 limit=$2 line
    while read -r -t "$limit" -u "${XEV[0]}" line; do
        if [[ $line =~ ^($kinds)\ event ]]; then
            event_us=${EPOCHREALTIME/./}
            return 0
        fi
    done
    return 1
}

# --- Start-up: launch until the start window is mapped, and the memory once it has settled ---

# Sets $shown_us, and $settled_kb one second after the window appeared; then ends the program.
launch() {
    local title=$1 t0 pid
    shift
    drain
    t0=${EPOCHREALTIME/./}
    "$@" >/dev/null 2>&1 &
    pid=$!
    while :; do
        next_event MapNotify 30 || fail "no window from $1"
        xdotool search --onlyvisible --name "$title" >/dev/null 2>&1 && break
    done
    shown_us=$((event_us - t0))
    sleep 1
    settled_kb=$(peak_kb "$pid")
    stop "$pid"
}

: >"$work/q.times"
: >"$work/b.times"
: >"$work/q.mem"
: >"$work/b.mem"
: >"$work/a.mem"
# Turn about, so that neither gains from what the other left in the caches; the first pair
# only warms up.
launches=${BENCH_LAUNCHES:-24}
for run in $(seq 0 "$launches"); do
    launch '^The Brackwyn$' "$quolmar"
    [ "$run" -gt 0 ] && { echo "$shown_us" >>"$work/q.times"; echo "$settled_kb" >>"$work/q.mem"; }
    launch '^quolmar baseline$' "$baseline"
    [ "$run" -gt 0 ] && { echo "$shown_us" >>"$work/b.times"; echo "$settled_kb" >>"$work/b.mem"; }
    # With the audience screen (here a window of half the screen: the display has one screen).
    [ "$only_start" = yes ] && continue
    launch '^The Brackwyn$' "$quolmar" --audience
    [ "$run" -gt 0 ] && echo "$settled_kb" >>"$work/a.mem"
done
q_start=$(median <"$work/q.times")
b_start=$(median <"$work/b.times")
q_mem=$(median <"$work/q.mem")
b_mem=$(median <"$work/b.mem")
worst() { sort -n | tail -n 1; }
q_worst=$(worst <"$work/q.times")
b_worst=$(worst <"$work/b.times")
q_mem_worst=$(worst <"$work/q.mem")
b_mem_worst=$(worst <"$work/b.mem")
start_rows() {
    row "launch to start window mapped (median of $launches)" "$(ms "$q_start")" "$(ms "$b_start")" \
        "$(ratio "$q_start" "$b_start"); worst $(ms "$q_worst") against $(ms "$b_worst")"
    row "RSS at the start window (after 1 s)" "$(mib "$q_mem")" "$(mib "$b_mem")" \
        "+$(mib $((q_mem - b_mem))); VmHWM, median of $launches; worst $(mib "$q_mem_worst") against $(mib "$b_mem_worst")"
}

if [ "$only_start" = yes ]; then
    header
    start_rows
    exit 0
fi

a_mem=$(median <"$work/a.mem")

# --- A whole run to a real 60-second round, played as a host would -----------------------------

# Answers a message box with Enter; sets $closed_us to when it left the screen.
answer() {
    local id
    take id "$1" "$2"
    front "$id"
    drain
    # Typed in the background: the event is then read, and timed, the moment it comes.
    xdotool key Return &
    next_event 'UnmapNotify|DestroyNotify' 30 || fail "box '$1' did not close ($2)"
    closed_us=$event_us
    wait $!
    gone "$1" "$id" "$2"
}

spawn "$quolmar" >"$work/game.log" 2>&1
game=$!
play '^The Brackwyn$' start space
take id "^Let's Meet the Team\$" "team entry"
keys "$id" A n n Tab B e n Tab C y Tab D e e Tab E v e Tab F a y Return

for round in 1 2 3 4 5; do
    take id "$control" "round $round"
    if [ "$round" -eq 5 ] && [ "$audio" = yes ]; then
        # At the sink's own rate, in stereo, so that its loudness can be measured as heard.
        spawn parec --raw --format=s16le --rate=44100 --channels=2 --latency-msec=10 \
            -d "$pulse_sink.monitor" >"$work/round5.raw" 2>/dev/null
        recorder=$!
        # The goodbye clip may still be sounding; the round starts once the last 0.3 s of the
        # recording are silent, so that its first sound is the round's own first clip.
        end=$((SECONDS + 15))
        until [ "$(stat -c %s "$work/round5.raw")" -ge 52920 ] &&
            tail -c 52920 "$work/round5.raw" | od -An -v -t d2 -w2 |
            awk '{ if ($1 > 100 || $1 < -100) loud = 1 } END { exit loud }'; do
            [ $SECONDS -lt $end ] || fail "the recording never fell silent"
            sleep 0.1
        done
        quiet_frame=$(($(stat -c %s "$work/round5.raw") / 1764))
    fi
    keys "$id" s
    answer "$box" "round $round, first start message"
    first_closed=$closed_us
    answer "$box" "round $round, second start message"
    music_box "round $round"
    clock_start=$closed_us
    if [ "$round" -eq 1 ]; then
        sleep 2
        round_kb=$(peak_kb "$game")
    fi
    if [ "$round" -lt 5 ]; then
        keys "$id" c c c c c c b
        answer "$box" "round $round, target reached"
        keys "$id" v
        vote_off "$round"
    fi
done

# The round ends when the clock reaches 0 with a box: the next window to appear.
while :; do
    next_event MapNotify 90 || fail "round 5 did not end"
    await "$box" 5 >/dev/null && break
done
clock_us=$((event_us - clock_start))
if [ "$audio" = yes ]; then
    # The music's last hit rings on past the clock's end; keep recording until it has faded.
    while [ $(($(now) - clock_start)) -lt 64000000 ]; do sleep 0.2; done
    stop "$recorder"
fi
game_kb=$(peak_kb "$game")
stop "$game"

# --- Sound latency: from a box closing or a key press to the first sound heard ------------------

# Two more 8-player games. In the first the WAV clips are off and the music on, so all that
# sounds as the last start box closes is the music; in the second the clips are on and the music
# off, and the first start box closing starts letsplay.wav and V in the game-control window
# starts voteoff.wav. Each game is recorded from the null sink at the sink's own rate, so nothing
# is resampled on the way to the recording.
rate=44100
latency_rounds=5
music_rounds=7 # every round of the 8-player game, the first included
mkfifo "$work/nap" "$work/keys"
exec {nap}<>"$work/nap"
# Sleeps without starting a process, so that polling below costs next to nothing.
nap() { read -r -t "$1" -u "$nap" _ || :; }
record() {
    recording=$1
    : >"$recording"
    spawn parec --raw --format=s16le --rate=$rate --channels=1 --latency-msec=10 \
        -d "$pulse_sink.monitor" >"$recording" 2>/dev/null
    recorder=$!
    : >"$recording.tie"
    : >"$recording.events"
    # Nothing is played until the recording runs.
    local end=$((SECONDS + 10))
    until [ -s "$recording" ]; do
        [ $SECONDS -lt $end ] || fail "parec recorded nothing"
        nap 0.01
    done
}
# The recording's time base. The null sink's sample clock runs a little fast against the wall
# clock (about 0.05 % here), so the recording is tied to the wall clock around each event rather
# than once: for $1 microseconds this polls how far parec has written, and each time the file has
# grown it notes "before after bytes", the write having come between the two wall-clock times.
tie() {
    local end=$(($(now) + $1)) key pos last=-1 t before=0
    while :; do
        t=${EPOCHREALTIME/./}
        while read -r key pos; do [ "$key" = pos: ] && break; done <"/proc/$recorder/fdinfo/1"
        if [ "$pos" != "$last" ]; then
            echo "$before $t $pos" >>"$recording.tie"
            last=$pos
        fi
        before=$t
        [ "$t" -lt "$end" ] || return 0
        nap 0.001
    done
}
# True when no sample of the recording's last $1 ms reaches $2 (of 32767); false also while the
# recording is shorter than that.
silent() {
    local bytes=$((rate * 2 * $1 / 1000)) size
    size=$(stat -c %s "$recording")
    [ "$size" -ge "$bytes" ] &&
        od -An -v -t d2 -w2 -j $(((size - bytes) / 2 * 2)) -N "$bytes" "$recording" |
        awk -v level="$2" '{ if ($1 >= level || -$1 >= level) loud = 1 } END { exit loud }'
}
# Waits, tying meanwhile, until the last 0.3 s are silent; $quiet_at is the sample reached.
quiet() {
    local end=$((SECONDS + 15))
    until tie 100000 && silent 300 100; do
        [ $SECONDS -lt $end ] || fail "the recording never fell silent"
    done
    quiet_at=$(($(stat -c %s "$recording") / 2))
}
# Notes an event at wall-clock time $2: it is looked for in the recording from $quiet_at on.
# Afterwards the recording is tied again, once the event's first sound is safely recorded.
mark() {
    echo "$1 $2 $quiet_at" >>"$recording.events"
    nap 0.15
    tie 300000
}

goodbye_mark() { if [ "$2" = voteoff ]; then quiet; else mark goodbye "$closed_us"; fi; }

# A new 8-player game, recorded into $work/$1.raw; the keys after $1 follow the names to turn a
# sound off.
latency_game() {
    local kind=$1
    shift
    handled=" "
    record "$work/$kind.raw"
    spawn "$quolmar" >"$work/$kind-game.log" 2>&1
    game=$!
    play '^The Brackwyn$' "$kind game" Tab space
    play "^Let's Meet the Team\$" "$kind game" \
        A n n Tab B e n Tab C y Tab D e e Tab E v e Tab F a y Tab G u s Tab H a l "$@" space Return
}
if [ "$audio" = yes ]; then
    # The first game: WAV off, MIDI on. The unchecked "Visible" is not in the Tab order, so two
    # Tabs from the last name reach "WAV". The target ends each round, and S starts the next in
    # the same window.
    latency_game music Tab Tab
    take id "$control" "music latency"
    for round in $(seq "$music_rounds"); do
        keys "$id" s
        answer "$box" "music latency, round $round, first start message"
        # Had the clips stayed on, letsplay.wav would be sounding by now.
        nap 0.3
        silent 200 1000 || fail "the clips still play with WAV unchecked"
        await "$box" >/dev/null || fail "no second start message (music latency, round $round)"
        quiet
        answer "$box" "music latency, round $round, second start message"
        mark music "$closed_us"
        keys "$id" c c c c c c c c b
        answer "$box" "music latency, round $round, target reached"
    done
    stop "$game"
    stop "$recorder"

    # The second game: WAV on, MIDI off ("MIDI" is five Tabs from the last name). The key press
    # is timed by an xev watcher of the game-control window's own keyboard events.
    latency_game clips Tab Tab Tab Tab Tab
    for round in $(seq "$latency_rounds"); do
        take id "$control" "clip latency, round $round"
        # Not spawn: opening the pipe must block in the watcher, not here.
        xev -id "$id" -event keyboard >"$work/keys" 2>/dev/null &
        watcher=$!
        started+=("$watcher")
        exec {keyfd}<"$work/keys"
        keys "$id" s
        await "$box" >/dev/null || fail "no first start message (clip latency, round $round)"
        quiet
        answer "$box" "clip latency, round $round, first start message"
        mark letsplay "$closed_us"
        answer "$box" "clip latency, round $round, second start message"
        keys "$id" c c c c c c c c b
        answer "$box" "clip latency, round $round, target reached"
        quiet
        front "$id"
        while read -r -t 0.05 -u "$keyfd" _; do :; done
        xdotool key v &
        pressed_us=""
        while read -r -t 10 -u "$keyfd" line; do
            [[ $line == KeyPress\ event* ]] && { pressed_us=${EPOCHREALTIME/./}; break; }
        done
        wait $!
        [ -n "$pressed_us" ] || fail "V was not seen (clip latency, round $round)"
        mark voteoff "$pressed_us"
        stop "$watcher"
        exec {keyfd}<&-
        # And from the eliminate's OK to the goodbye clip, which once waited for the next round's
        # instruments: the vote-off's own clip has ended before the OK.
        vote_off "$round" goodbye_mark
    done
    stop "$game"
    stop "$recorder"
fi

# --- Key presses, in-process -------------------------------------------------------------------

keyresult=$("$keybench" 100000 2000 2>/dev/null) || fail "the key benchmark failed"
read -r _ k_n k_med _ k_p99 _ <<<"$(grep '^handleKey ' <<<"$keyresult")"
read -r _ p_n p_med _ p_p99 _ <<<"$(grep '^press+paint ' <<<"$keyresult")"
audresult=$("$audbench" 1000 50 2>/dev/null) || fail "the audience benchmark failed"
read -r _ af_n af_med af_p95 _ af_max <<<"$(grep '^keyframe ' <<<"$audresult")"
read -r _ f4_n f4_med f4_p95 _ f4_max <<<"$(grep '^frame4k ' <<<"$audresult")"

# --- Loudness, by the EBU R128 meter ------------------------------------------------------------

# The pieces as the program plays them: from its own SoundFont, or the full one for a build made
# before it had one.
soundfont=$build/quolmar.sf2
[ -f "$soundfont" ] || soundfont=$(awk -F= '/^QUOLMAR_SOUNDFONT:/ { print $2 }' "$build/CMakeCache.txt")
"$loudbench" "$build" "$soundfont" >"$work/loudness" || fail "the loudness meter failed"
# "lowest highest mean loudest-true-peak count" of the pieces (mid) or the clips (wav)
levels() {
    awk -v kind="$1" '$1 ~ "\\." kind "$" {
            if (!n || $2 < lo) lo = $2; if (!n || $2 > hi) hi = $2; if (!n || $3 > tp) tp = $3
            sum += $2; ++n }
        END { printf "%.1f %.1f %.1f %.1f %d\n", lo, hi, sum / n, tp, n }' "$work/loudness"
}
read -r m_lo m_hi _ m_tp pieces < <(levels mid)
read -r c_lo c_hi c_avg c_tp c_n < <(levels wav)
heard_row="not measurable here: no audio output"
heard="n/a"
if [ "$audio" = yes ]; then
    read -r _ heard heard_tp _ peak_at < <("$loudbench" --raw "$work/round5.raw")
    heard+=" LUFS"
    heard_row="true peak $heard_tp dBTP ($peak_at s into the recording); round 5 of the 60 s round above, as the null sink got it:"
    heard_row+=" its two clips, then 60 s of music and the hit"
fi

# --- The music, from the recording --------------------------------------------------------------

music_row="not measurable here: no audio output (pulseaudio missing or did not start)"
if [ "$audio" = yes ]; then
    # 10 ms loudness frames. The first sound after the recording fell silent is the clip that
    # closing the first start box starts; the hit is where the last loud passage first reaches
    # 0.85 of its peak: the hit is the loudest moment of a piece, as the music test requires.
    read -r onset hit last < <(od -An -v -t d2 -w2 "$work/round5.raw" | awk -v quiet="$quiet_frame" '
        { sum += $1 * $1; if (++n == 882) { rms[f++] = sqrt(sum / 882); sum = 0; n = 0 } }
        END {
            onset = -1; last = -1
            for (i = quiet; i < f; ++i) if (rms[i] > 200) { if (onset < 0) onset = i; last = i }
            if (last < 0) { print -1, -1, -1; exit }
            from = last - 700 < 0 ? 0 : last - 700
            peak = 0
            for (i = from; i <= last; ++i) if (rms[i] > peak) peak = rms[i]
            for (i = from; i <= last && rms[i] < peak * 0.85; ++i) ;
            print onset, i, last
        }')
    if [ "$hit" -lt 0 ]; then
        music_row="no sound was recorded"
    else
        # The recording is tied to the wall clock at the round's first clip, which starts as
        # the first start box closes: the sound server's buffering and any pause in the
        # recording before then cancel out. The sound plays on without a break from that
        # clip to the hit, and the sink keeps real time, so 10 ms of recording are 10 ms.
        hit_us=$((first_closed + (hit - onset) * 10000))
        hit_after_zero=$((hit_us - clock_start - clock_us))
        music_value=$(awk -v d="$hit_after_zero" 'BEGIN { printf "%+.0f ms", d / 1000 }')
        music_row=$(awk -v h="$((hit_us - clock_start))" 'BEGIN { printf "hit %.3f s after the clock started; recorded from a null sink, timed from the first clip of the round (+-30 ms)", h / 1e6 }')
    fi
fi

# --- Sound latency, from the recordings ---------------------------------------------------------

# Prints "kind microseconds alignment" for each event of a recording: from the event to the
# first millisecond (44 samples) as loud as -50 dBFS (RMS 104 of 32767) or louder, looked for
# from where the recording was last silent. A sample's wall-clock time is taken as when parec
# received it, which includes all of the sound server's buffering: the median, over parec's
# writes within a second of the event, of a write's time less the time its samples span. Half
# the spread of those is the alignment's uncertainty.
latencies() {
    local raw=$1 kind t from onset lo mid hi
    while read -r kind t from; do
        onset=$(pulse_heard $((from * 2)) $((rate * 2 * 2)) "$raw") || { echo "$kind none 0"; continue; }
        onset=$((from + onset * 44))
        read -r lo mid hi < <(awk -v t="$t" -v rate=$rate '
            $1 > 0 && $3 > 0 && $2 - t < 1e6 && t - $2 < 1e6 {
                printf "%.0f\n", ($1 + $2) / 2 - t - $3 / 2 / rate * 1e6
            }' "$raw.tie" | sort -n |
            awk '{ v[NR] = $1 } END { print v[1], v[int((NR + 1) / 2)], v[NR] }')
        [ -n "$hi" ] || fail "the recording was not tied to the clock near an event"
        echo "$kind $(awk -v o="$mid" -v k="$onset" -v rate=$rate \
            'BEGIN { printf "%.0f", o + k / rate * 1e6 }') $(((hi - lo) / 2))"
    done <"$raw.events"
}
# Of the latencies of one kind: "median min max count", or nothing if one of them found no sound.
summary() {
    grep -q "^$1 none" "$work/latencies" && return 0
    awk -v kind="$1" '$1 == kind { print $2 }' "$work/latencies" | sort -n |
        awk '{ v[NR] = $1 }
            END {
                if (NR) print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2, v[1], v[NR], NR
            }'
}
music_latency_row="not measurable here: no audio output (pulseaudio missing or did not start)"
clip_latency_row=$music_latency_row goodbye_row=$music_latency_row
if [ "$audio" = yes ]; then
    { latencies "$work/music.raw"; latencies "$work/clips.raw"; } >"$work/latencies"
    align=$(awk '{ print $3 }' "$work/latencies" | sort -n | tail -n 1)
    span() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f-%.1f ms", a / 1000, b / 1000 }'; }
    read -r m_med m_min m_max m_n < <(summary music) || :
    read -r v_med v_min v_max v_n < <(summary voteoff) || :
    read -r l_med l_min l_max _ < <(summary letsplay) || :
    read -r g_med g_min g_max g_n < <(summary goodbye) || :
    music_latency_row="no music was recorded after a start box closed"
    if [ -n "${m_med:-}" ]; then
        m_first=$(awk '$1 == "music" { print $2; exit }' "$work/latencies")
        music_latency_row="median of $m_n rounds ($(span "$m_min" "$m_max"); round 1 $(ms "$m_first")),"
        music_latency_row+=" WAV off, MIDI on;"
        music_latency_row+=" box unmapped (xev) to the first 1 ms >= -50 dBFS in the null-sink"
        music_latency_row+=" recording, the sound server's latency included; recording tied to"
        music_latency_row+=" the wall clock by parec's writes (+-$(ms "$align"))"
    fi
    letsplay="no letsplay.wav was recorded after the first start box closed"
    if [ -n "${l_med:-}" ]; then
        letsplay="first start box unmapped to letsplay.wav: median $(ms "$l_med")"
        letsplay+=" ($(span "$l_min" "$l_max"))"
    fi
    clip_latency_row="no voteoff.wav was recorded after V; $letsplay"
    if [ -n "${v_med:-}" ]; then
        clip_latency_row="V to voteoff.wav, median of $v_n ($(span "$v_min" "$v_max")), KeyPress"
        clip_latency_row+=" as an xev watcher of the window gets it; $letsplay; WAV on, MIDI off;"
        clip_latency_row+=" measured as above"
    fi
    goodbye_row="no goodbye clip was recorded after the eliminate's OK"
    if [ -n "${g_med:-}" ]; then
        goodbye_row="median of $g_n ($(span "$g_min" "$g_max")), the confirmation box unmapped (xev)"
        goodbye_row+=" to the clip, the next round's instruments loading meanwhile; measured as above"
    fi
fi

# --- The table ----------------------------------------------------------------------------------

us() { awk -v ns="$1" 'BEGIN { printf "%.1f us", ns / 1000 }'; }
header
start_rows
if [ "$music_error" = no ]; then sound="music playing into a null sink"; else
    sound="music could not play: no audio output"; fi
row "peak RSS, round 1 running for 2 s" "$(mib "$round_kb")" "$(mib "$b_mem")" \
    "+$(mib $((round_kb - b_mem))) over the bare window at rest; $sound; $(mib "$game_kb") at the end of round 5"
row "60 s round, wall-clock length" \
    "$(awk -v us="$clock_us" 'BEGIN { printf "%.3f s", us / 1e6 }')" "60.000 s" \
    "$(awk -v us="$clock_us" 'BEGIN { printf "%+.0f ms against 60 s (%+.3f %%)", (us - 6e7) / 1000, (us - 6e7) / 6e5 }'); last start box closed to 'Time is up.' shown"
row "60 s round, music's final hit vs clock at 0" "${music_value:-n/a}" "0 ms" "$music_row"
ms_or_na() { if [ -n "$1" ]; then ms "$1"; else echo n/a; fi; }
row "round music, integrated loudness" "$m_lo..$m_hi LUFS" "$c_avg LUFS" \
    "clips' average; the $pieces pieces at most $(awk -v a="$c_avg" -v l="$m_lo" -v h="$m_hi" 'BEGIN { d = a - l; if (h - a > d) d = h - a; printf "%.1f", d }') LU from it, true peak at most $m_tp dBTP; rendered offline by the program's synthesiser settings"
row "clips, integrated loudness" "$c_lo..$c_hi LUFS" "-" \
    "$c_n clips, average $c_avg LUFS, true peak at most $c_tp dBTP; EBU R128 (libebur128)"
row "a 60 s round as heard, integrated loudness" "$heard" "$c_avg LUFS" "$heard_row"
row "S's last message box to first music sample" "$(ms_or_na "${m_med:-}")" "-" "$music_latency_row"
row "key to its clip" "$(ms_or_na "${v_med:-}")" "-" "$clip_latency_row"
row "eliminate's OK to the goodbye clip" "$(ms_or_na "${g_med:-}")" "-" "$goodbye_row"
row "key press, handleKey alone (median)" "$(us "$k_med")" "-" \
    "p99 $(us "$k_p99"); $k_n presses of C C W C C C B H C W C B, 8 players, clock running"
row "key press, event and repaint (median)" "$(us "$p_med")" "-" "p99 $(us "$p_p99"); $p_n presses"
row "peak RSS at the start, with --audience" "$(mib "$a_mem")" "-" \
    "+$(mib $((a_mem - q_mem))) for the audience screen (a window of half the screen); median of $launches"
row "host key to audience frame drawn (median)" "$(ms "$((af_med / 1000))")" "-" \
    "p95 $(ms "$((af_p95 / 1000))"), worst $(ms "$((af_max / 1000))"); $af_n presses, event loop on Xvfb"
row "audience frame at 3840x2160 (median)" "$(ms "$((f4_med / 1000))")" "-" \
    "p95 $(ms "$((f4_p95 / 1000))"), worst $(ms "$((f4_max / 1000))"); $f4_n frames of a round, CPU raster"
