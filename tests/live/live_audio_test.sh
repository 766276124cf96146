#!/usr/bin/env bash
# A real sound path end to end: a private PulseAudio server with a null sink,
# a synthesised teleprinter signal played into it, its monitor captured by
# `morvane-cli levels --live` through PortAudio (ALSA's default device, which
# the pulse plugin routes to the server) until the text has come back, then
# ended by Ctrl-C; a capture ended by --seconds; then exactly, through a pipe
# source, with `morvane-cli decode --live`. Nothing waits for a fixed time:
# each step waits for what it needs, so a busy machine cannot fail it.
# Usage: live_audio_test.sh MORVANE_CLI LIVE_TEXT_CHECK
# Exit 0: the text came back; 1: it did not; 77: no PulseAudio tools here.
set -u
cli=$1
check=$2
text="RYRY CQ CQ DE MORVANE 0123456789 THE QUICK BROWN FOX"

for tool in pulseaudio pactl paplay timeout; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d /tmp/morvane-audio.XXXXXX)
server=""
capture=""
decoder=""
follower=""
reader=""
levelreader=""
allreader=""
allblocks=""
cleanup() {
    [ -n "$capture" ] && kill "$capture" 2>/dev/null
    [ -n "$decoder" ] && kill "$decoder" 2>/dev/null
    [ -n "$follower" ] && kill "$follower" 2>/dev/null
    [ -n "$reader" ] && kill "$reader" 2>/dev/null
    [ -n "$levelreader" ] && kill "$levelreader" 2>/dev/null
    [ -n "$allreader" ] && kill "$allreader" 2>/dev/null
    [ -n "$allblocks" ] && kill "$allblocks" 2>/dev/null
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null
        for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$server" 2>/dev/null || break; sleep 0.2; done
        kill -9 "$server" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

fail() {
    echo "FAIL: $*"
    for f in cli.err check.err pa.log; do
        [ -s "$work/$f" ] && { echo "--- $f"; tail -n 20 "$work/$f"; }
    done
    exit 1
}

# A server of our own: its socket, cookie and state live in the work folder.
export HOME="$work" XDG_RUNTIME_DIR="$work/run" PULSE_RUNTIME_PATH="$work/run/pulse"
unset PULSE_SERVER PULSE_SINK PULSE_SOURCE DISPLAY
mkdir -m 700 "$work/run"
# (It ends by itself before CTest's time limit, should the trap not run.)
timeout 280 pulseaudio --daemonize=no --exit-idle-time=-1 --system=false -n --disallow-exit --use-pid-file=no \
    --disable-shm=yes --log-target="file:$work/pa.log" \
    --load="module-native-protocol-unix" \
    --load="module-null-sink sink_name=vsink rate=48000 channels=1" </dev/null &
server=$!
for _ in $(seq 50); do
    timeout 2 pactl info >/dev/null 2>&1 && break
    kill -0 "$server" 2>/dev/null || fail "the PulseAudio server did not start"
    sleep 0.2
done
timeout 5 pactl info >/dev/null 2>&1 || fail "the PulseAudio server does not answer"
timeout 5 pactl set-default-source vsink.monitor || fail "cannot choose the null sink's monitor"
timeout 5 pactl set-default-sink vsink || fail "cannot choose the null sink"

"$cli" synth --text "$text" --idle 1 -o "$work/signal.wav" || fail "synth failed"

# Every wait below waits for a condition, with a deadline far beyond what an
# idle machine needs, so that a loaded machine only makes the test slower.
# wait_until SECONDS COMMAND...: true once COMMAND succeeds, false at the deadline.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.2
    done
}
has_lines() { [ -f "$1" ] && [ "$(wc -l <"$1")" -ge "$2" ]; }
has_status() { [ -s "$1" ]; }
ended() { ! kill -0 "$1" 2>/dev/null; }
# Whether the complete lines written so far to a level file decode to the text.
decodes_text() {
    head -n "$(wc -l <"$1")" "$1" >"$work/snapshot.txt"
    "$check" "$work/snapshot.txt" 2>/dev/null | grep -qF "$text"
}
# Whether COUNT capture streams of the source NAME are connected and running.
streams_running() {
    timeout 5 pactl list source-outputs 2>/dev/null | awk -v src="$(timeout 5 pactl list short sources |
        awk -v n="$1" '$2 == n { print $1 }')" -v want="$2" '
        /^Source Output #/ { if (on && !corked) n++; on = 0; corked = 1 }
        $1 == "Source:" { on = ($2 == src) }
        $1 == "Corked:" { corked = ($2 == "yes") }
        END { if (on && !corked) n++; exit !(n >= want) }'
}

# The card's own sound: a capture without a time limit prints its levels
# block by block; the signal is played once levels flow, and Ctrl-C ends the
# capture once the text has come back.
"$cli" levels --live >"$work/live.txt" 2>"$work/cli.err" </dev/null &
capture=$!
wait_until 60 has_lines "$work/live.txt" 1 || fail "no levels came from the card"
timeout 60 paplay -d vsink "$work/signal.wav" </dev/null || fail "paplay failed"
wait_until 120 decodes_text "$work/live.txt" || fail "the text did not come back"
before=$(wc -l <"$work/live.txt")
kill -INT "$capture" 2>/dev/null || fail "the capture without time limit ended by itself"
wait_until 60 ended "$capture" || fail "morvane-cli levels --live did not end on Ctrl-C"
wait "$capture"
status=$?
capture=""
[ "$status" -eq 0 ] || fail "morvane-cli levels --live ended with status $status on Ctrl-C"
[ "$(wc -l <"$work/live.txt")" -ge "$before" ] || fail "levels were lost at Ctrl-C"
"$check" "$work/live.txt" >"$work/text.txt" 2>"$work/check.err" || fail "the check tool failed"
echo "captured: $(wc -l <"$work/live.txt") levels; $(cat "$work/check.err")"
echo "decoded: $(tr -d '\r' <"$work/text.txt" | tr '\n' '|')"
grep -qF "$text" "$work/text.txt" || fail "the text did not come back whole after Ctrl-C"

# --seconds ends the capture by itself, cleanly, with levels only.
timeout 60 "$cli" levels --live --seconds 1 >"$work/timed.txt" 2>"$work/cli.err" </dev/null ||
    fail "morvane-cli levels --live --seconds 1 failed"
awk '!($1 ~ /^[0-9]+$/ && $1 >= 3 && $1 <= 253) { exit 1 }' "$work/timed.txt" || fail "a timed capture printed no level"

# Exact: a pipe source hands the recording's samples to the capture unchanged
# and only once they are written, so the live level stream starts with the
# recording's first sample: block for block it must equal the offline stream,
# and `decode --live` with the raster found offline must give the text.
timeout 5 pactl load-module module-pipe-source source_name=psrc file="$work/fifo" format=s16le rate=48000 \
    channels=1 >/dev/null || fail "cannot load the pipe source"
timeout 5 pactl set-default-source psrc || fail "cannot choose the pipe source"
tail -c +45 "$work/signal.wav" >"$work/signal.raw"  # the 44-byte header of a 16-bit PCM WAV
"$cli" levels "$work/signal.wav" >"$work/offline.txt" || fail "offline levels failed"
"$check" "$work/offline.txt" >/dev/null 2>"$work/check.err" || fail "the check tool failed offline"
offset=$(sed -n 's/.*frames at offset \([0-9]*\).*/\1/p' "$work/check.err")
[ -n "$offset" ] || fail "no frame offset offline"
# What the complete 65 536-byte blocks give offline: the capture sees those whole.
blocks=$(($(stat -c %s "$work/signal.raw") / 65536))
head -c $((blocks * 65536)) "$work/signal.raw" | "$cli" levels - >"$work/whole-blocks.txt" ||
    fail "offline levels of whole blocks failed"
n=$(wc -l <"$work/whole-blocks.txt")

# Five captures at once, all running before the recording is written:
# `levels --live` until all whole blocks came, and `decode --live` with the
# raster found offline for a time far beyond the recording's 10 seconds, once
# printing the whole text at the end and once following it (--follow); and
# the live text, which the receiver reads from the samples, finding the
# tones and the frames by itself (--auto --follow), and once more from the
# level stream (--reader levels: the tones found in the first blocks, whose
# sound is not read).
decode_args=(decode --count 90 --grid-width 24 --offset "$offset" --reverse-direction --ignore 2)
"$cli" levels --live >"$work/exact.txt" 2>"$work/cli.err" </dev/null &
capture=$!
timeout 120 "$cli" "${decode_args[@]}" --live --seconds 40 >"$work/decoded.txt" 2>"$work/decode.err" </dev/null &
decoder=$!
timeout 120 "$cli" "${decode_args[@]}" --live --follow --seconds 40 >"$work/followed.txt" 2>"$work/follow.err" </dev/null &
follower=$!
timeout 120 "$cli" decode --live --auto --follow --seconds 40 >"$work/livetext.txt" 2>"$work/livetext.err" </dev/null &
reader=$!
timeout 120 "$cli" decode --live --auto --follow --reader levels --seconds 40 >"$work/leveltext.txt" 2>"$work/leveltext.err" </dev/null &
levelreader=$!
# Every signal at once (--all), followed and in blocks at the end.
timeout 120 "$cli" decode --live --auto --all --follow --seconds 40 >"$work/alltext.txt" 2>"$work/alltext.err" </dev/null &
allreader=$!
timeout 120 "$cli" decode --live --auto --all --seconds 40 >"$work/allblocks.txt" 2>"$work/allblocks.err" </dev/null &
allblocks=$!
wait_until 60 has_status "$work/cli.err" || fail "the levels capture did not start"
wait_until 60 has_status "$work/decode.err" || fail "the decode capture did not start"
wait_until 60 has_status "$work/follow.err" || fail "the following decode capture did not start"
wait_until 60 has_status "$work/livetext.err" || fail "the live text capture did not start"
wait_until 60 has_status "$work/leveltext.err" || fail "the level-stream live text capture did not start"
wait_until 60 has_status "$work/alltext.err" || fail "the every-signal capture did not start"
wait_until 60 has_status "$work/allblocks.err" || fail "the every-signal capture in blocks did not start"
wait_until 60 streams_running psrc 7 || fail "the captures did not connect to the pipe source"
# Written at about the pace of real time, a tenth of a second at a time: a
# faster burst would overrun the capture streams' buffers in the server.
chunks=$((($(stat -c %s "$work/signal.raw") + 9599) / 9600))
for ((i = 0; i < chunks; ++i)); do
    dd if="$work/signal.raw" bs=9600 skip="$i" count=1 status=none
    sleep 0.1
done >"$work/fifo" || fail "cannot write the pipe"
wait_until 120 has_lines "$work/exact.txt" "$n" || fail "only $(wc -l <"$work/exact.txt") of $n levels came through the pipe"
kill -INT "$capture" 2>/dev/null
wait_until 60 ended "$capture" || fail "morvane-cli levels --live did not end on Ctrl-C"
wait "$capture" || { capture=""; fail "morvane-cli levels --live failed"; }
capture=""
wait "$decoder" || { decoder=""; cat "$work/decode.err" >>"$work/cli.err"; fail "morvane-cli decode --live failed"; }
decoder=""
wait "$follower" || { follower=""; cat "$work/follow.err" >>"$work/cli.err"; fail "morvane-cli decode --live --follow failed"; }
follower=""
wait "$reader" || { reader=""; cat "$work/livetext.err" >>"$work/cli.err"; fail "morvane-cli decode --live --auto --follow failed"; }
reader=""
wait "$levelreader" || { levelreader=""; cat "$work/leveltext.err" >>"$work/cli.err"; fail "morvane-cli decode --live --auto --follow --reader levels failed"; }
levelreader=""
wait "$allreader" || { allreader=""; cat "$work/alltext.err" >>"$work/cli.err"; fail "morvane-cli decode --live --auto --all --follow failed"; }
allreader=""
wait "$allblocks" || { allblocks=""; cat "$work/allblocks.err" >>"$work/cli.err"; fail "morvane-cli decode --live --auto --all failed"; }
allblocks=""

head -n "$n" "$work/exact.txt" | cmp -s - "$work/whole-blocks.txt" || fail "live levels differ from the offline ones"
echo "pipe: $n levels identical to the offline stream"
echo "decode --live: $(tr -d '\r' <"$work/decoded.txt" | tr '\n' '|')"
grep -qF "$text" "$work/decoded.txt" || fail "decode --live did not give the text"
echo "decode --live --follow: $(tr -d '\r' <"$work/followed.txt" | tr '\n' '|')"
grep -qF "$text" "$work/followed.txt" || fail "decode --live --follow did not give the text"
echo "decode --live --auto --follow: $(tr -d '\r' <"$work/livetext.txt" | tr '\n' '|'); $(grep -c ' Bd ' "$work/livetext.err") header(s)"
grep -qF "THE QUICK BROWN FOX" "$work/livetext.txt" || fail "decode --live --auto --follow did not give the text"
grep -Eq " Bd · 1(49[5-9]|50[0-4])(\.[0-9])?/(199[5-9]|200[0-4])(\.[0-9])? Hz · Baudot · quality " "$work/livetext.err" ||
    fail "the live text did not find the tones 1500 / 2000 Hz"
# The receiver reads the card's samples as they came: the same text as
# decode --auto --follow of the same samples from standard input.
head -c $((blocks * 65536)) "$work/signal.raw" | "$cli" decode - --auto --follow >"$work/offline-auto.txt" 2>/dev/null ||
    fail "offline decode --auto --follow failed"
cmp -s "$work/livetext.txt" "$work/offline-auto.txt" ||
    fail "decode --live --auto --follow gave '$(tr -d '\r' <"$work/livetext.txt" | tr '\n' '|')', the same samples offline '$(tr -d '\r' <"$work/offline-auto.txt" | tr '\n' '|')'"
echo "decode --live --auto --follow: the same text as offline"
echo "decode --live --auto --follow --reader levels: $(tr -d '\r' <"$work/leveltext.txt" | tr '\n' '|')"
grep -qF "THE QUICK BROWN FOX" "$work/leveltext.txt" || fail "decode --live --auto --follow --reader levels did not give the text"
grep -Eq "tones: low 1(49[5-9]|50[0-4])(\.[0-9])? Hz \(tone 1\), high (199[5-9]|200[0-4])(\.[0-9])? Hz" "$work/leveltext.err" ||
    fail "the level-stream live text did not find the tones 1500 / 2000 Hz"
# Every signal at once reads the card as --all reads the same samples from
# standard input: the same lines, and the same blocks but for the headers'
# time (the time of day, live).
head -c $((blocks * 65536)) "$work/signal.raw" | "$cli" decode - --auto --all --follow >"$work/offline-all.txt" 2>/dev/null ||
    fail "offline decode --auto --all --follow failed"
echo "decode --live --auto --all --follow: $(tr -d '\r' <"$work/alltext.txt" | tr '\n' '|')"
grep -qF "THE QUICK BROWN FOX" "$work/alltext.txt" || fail "decode --live --auto --all --follow did not give the text"
cmp -s "$work/alltext.txt" "$work/offline-all.txt" ||
    fail "decode --live --auto --all --follow gave '$(tr -d '\r' <"$work/alltext.txt" | tr '\n' '|')', the same samples offline '$(tr -d '\r' <"$work/offline-all.txt" | tr '\n' '|')'"
head -c $((blocks * 65536)) "$work/signal.raw" | "$cli" decode - --auto --all >"$work/offline-blocks.txt" 2>/dev/null ||
    fail "offline decode --auto --all failed"
untimed() { sed -E 's/^== [0-9]{2}:[0-9]{2}:[0-9]{2} /== /' "$1"; }
echo "decode --live --auto --all: $(tr -d '\r' <"$work/allblocks.txt" | tr '\n' '|')"
grep -Eq "^== [0-9]{2}:[0-9]{2}:[0-9]{2} · 50 Bd · 1(49[5-9]|50[0-4])(\.[0-9])?/(199[5-9]|200[0-4])(\.[0-9])? Hz · Baudot · quality " "$work/allblocks.txt" ||
    fail "decode --live --auto --all did not name the signal in its block"
[ "$(untimed "$work/allblocks.txt")" = "$(untimed "$work/offline-blocks.txt")" ] ||
    fail "decode --live --auto --all gave '$(tr -d '\r' <"$work/allblocks.txt" | tr '\n' '|')', the same samples offline '$(tr -d '\r' <"$work/offline-blocks.txt" | tr '\n' '|')'"
echo "decode --live --auto --all: the same text as offline"
echo "PASS"
