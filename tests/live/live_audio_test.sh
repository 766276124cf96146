#!/usr/bin/env bash
# A real sound path end to end: a private PulseAudio server with a null sink,
# a synthesised teleprinter signal played into it, its monitor captured by
# `morvane-cli levels --live` through PortAudio (ALSA's default device, which
# the pulse plugin routes to the server), and the text decoded back; then a
# capture without a time limit ended by Ctrl-C; then exactly, through a pipe
# source, with `morvane-cli decode --live`, with and without --follow.
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
cleanup() {
    [ -n "$capture" ] && kill "$capture" 2>/dev/null
    [ -n "$decoder" ] && kill "$decoder" 2>/dev/null
    [ -n "$follower" ] && kill "$follower" 2>/dev/null
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
timeout 110 pulseaudio --daemonize=no --exit-idle-time=-1 --system=false -n --disallow-exit --use-pid-file=no \
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

timeout 60 "$cli" levels --live --seconds 14 >"$work/live.txt" 2>"$work/cli.err" </dev/null &
capture=$!
# The status line comes once the card is open (or the failure, and the exit).
for _ in $(seq 100); do
    [ -s "$work/cli.err" ] && break
    sleep 0.1
done
sleep 0.2
kill -0 "$capture" 2>/dev/null || fail "the capture did not start"
# The pulse plugin takes a moment before the first samples flow.
sleep 1.5
timeout 30 paplay -d vsink "$work/signal.wav" </dev/null || fail "paplay failed"
wait "$capture" || { capture=""; fail "morvane-cli levels --live failed"; }
capture=""

"$check" "$work/live.txt" >"$work/text.txt" 2>"$work/check.err" || fail "the check tool failed"
echo "captured: $(wc -l <"$work/live.txt") levels; $(cat "$work/check.err")"
echo "decoded: $(tr -d '\r' <"$work/text.txt" | tr '\n' '|')"
grep -qF "$text" "$work/text.txt" || fail "the text did not come back"

# Without --seconds the capture runs until Ctrl-C, then ends cleanly with
# what it has.
"$cli" levels --live >"$work/interrupted.txt" 2>"$work/cli.err" </dev/null &
capture=$!
for _ in $(seq 100); do
    [ -s "$work/cli.err" ] && break
    sleep 0.1
done
sleep 2.5
kill -INT "$capture" 2>/dev/null || fail "the capture without time limit ended by itself"
for _ in $(seq 100); do
    kill -0 "$capture" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$capture" 2>/dev/null && fail "morvane-cli levels --live did not end on Ctrl-C"
wait "$capture"
status=$?
capture=""
[ "$status" -eq 0 ] || fail "morvane-cli levels --live ended with status $status on Ctrl-C"
[ "$(wc -l <"$work/interrupted.txt")" -ge 400 ] || fail "no levels after Ctrl-C"

# Exact: a pipe source hands the recording's samples to the capture unchanged
# and only once they are written, so the live level stream starts with the
# recording's first sample: it must equal the offline stream block for block,
# and `decode --live` with the raster found offline must give the text.
timeout 5 pactl load-module module-pipe-source source_name=psrc file="$work/fifo" format=s16le rate=48000 \
    channels=1 >/dev/null || fail "cannot load the pipe source"
timeout 5 pactl set-default-source psrc || fail "cannot choose the pipe source"
tail -c +45 "$work/signal.wav" >"$work/signal.raw"  # the 44-byte header of a 16-bit PCM WAV
"$cli" levels "$work/signal.wav" >"$work/offline.txt" || fail "offline levels failed"
"$check" "$work/offline.txt" >/dev/null 2>"$work/check.err" || fail "the check tool failed offline"
offset=$(sed -n 's/.*frames at offset \([0-9]*\).*/\1/p' "$work/check.err")
[ -n "$offset" ] || fail "no frame offset offline"

# Two captures at once, both started before the recording is written:
# `levels --live` and `decode --live` with the raster found offline.
decode_args=(decode --count 90 --grid-width 24 --offset "$offset" --reverse-direction --ignore 2)
timeout 60 "$cli" levels --live --seconds 14 >"$work/exact.txt" 2>"$work/cli.err" </dev/null &
capture=$!
timeout 60 "$cli" "${decode_args[@]}" --live --seconds 14 >"$work/decoded.txt" 2>"$work/decode.err" </dev/null &
decoder=$!
timeout 60 "$cli" "${decode_args[@]}" --live --follow --seconds 14 >"$work/followed.txt" 2>"$work/follow.err" </dev/null &
follower=$!
for _ in $(seq 100); do
    [ -s "$work/cli.err" ] && [ -s "$work/decode.err" ] && [ -s "$work/follow.err" ] && break
    sleep 0.1
done
sleep 1
kill -0 "$capture" 2>/dev/null && kill -0 "$decoder" 2>/dev/null && kill -0 "$follower" 2>/dev/null ||
    fail "the captures did not start"
# Written at about the pace of real time, a tenth of a second at a time: a
# faster burst would overrun the capture streams' buffers in the server.
chunks=$((($(stat -c %s "$work/signal.raw") + 9599) / 9600))
for ((i = 0; i < chunks; ++i)); do
    dd if="$work/signal.raw" bs=9600 skip="$i" count=1 status=none
    sleep 0.1
done >"$work/fifo" || fail "cannot write the pipe"
wait "$decoder" || { cat "$work/decode.err" >>"$work/cli.err"; fail "morvane-cli decode --live failed"; }
wait "$follower" || { cat "$work/follow.err" >>"$work/cli.err"; fail "morvane-cli decode --live --follow failed"; }
follower=""
wait "$capture" || { capture=""; fail "morvane-cli levels --live failed"; }
capture=""

n=$(wc -l <"$work/exact.txt")
[ "$n" -ge 4000 ] || fail "only $n levels came through the pipe"
head -n "$n" "$work/offline.txt" | cmp -s - "$work/exact.txt" || fail "live levels differ from the offline ones"
echo "pipe: $n levels identical to the offline stream"
echo "decode --live: $(tr -d '\r' <"$work/decoded.txt" | tr '\n' '|')"
grep -qF "$text" "$work/decoded.txt" || fail "decode --live did not give the text"
echo "decode --live --follow: $(tr -d '\r' <"$work/followed.txt" | tr '\n' '|')"
grep -qF "$text" "$work/followed.txt" || fail "decode --live --follow did not give the text"
echo "PASS"
