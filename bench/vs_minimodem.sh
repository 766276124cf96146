#!/usr/bin/env bash
# morvane-cli against minimodem on the same ten-minute recording, in one run:
# `decode` (with raster options), `decode --auto` (the receiver), `levels` of
# morvane-cli and `minimodem --rx` alternate, seven
# times each, and the best times give the ratios (how many times faster
# morvane-cli is). Installs minimodem through scripts/install-deps.sh.
# Usage: bench/vs_minimodem.sh [BUILD_DIR]    (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cli="${1:-$here/build}/cli/morvane-cli"
[ -x "$cli" ] || { echo "no $cli: build morvane-cli first" >&2; exit 2; }
command -v minimodem >/dev/null || "$here/scripts/install-deps.sh" bench
command -v minimodem >/dev/null || { echo "minimodem is not installed" >&2; exit 2; }

work=$(mktemp -d /tmp/morvane-vs-minimodem.XXXXXX)
trap 'rm -rf "$work"' EXIT

# Ten minutes of 50-baud teleprinter text at 10 dB SNR: 7.5 bits of 20 ms a
# character, so about 3 950 characters with half a second of idle each side.
line="THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789"
text=""
while [ ${#text} -lt 3500 ]; do text+="$line"$'\n'; done
"$cli" synth --text "$text" --snr 10 --seed 7 --idle 30 -o "$work/rec.wav"
seconds=$(($(stat -c %s "$work/rec.wav") / 96000))

# Best wall time of seven, in seconds with nanoseconds.
declare -A best
run() {
    local name=$1
    shift
    local start end took
    start=$(date +%s%N)
    "$@" >"$work/$name.out" 2>/dev/null
    end=$(date +%s%N)
    took=$((end - start))
    if [ -z "${best[$name]:-}" ] || [ "$took" -lt "${best[$name]}" ]; then best[$name]=$took; fi
}
for _ in 1 2 3 4 5 6 7; do
    run decode "$cli" decode "$work/rec.wav" --count 90 --reverse-direction --ignore 2
    run auto "$cli" decode "$work/rec.wav" --auto
    run levels "$cli" levels "$work/rec.wav"
    run minimodem minimodem --rx --file "$work/rec.wav" --baudot --mark 1500 --space 2000 --stopbits 1.5 50
done

ms() { awk -v ns="$1" 'BEGIN { printf "%.1f ms", ns / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "recording: $seconds s of sound; best of 7 wall times on this machine, same run"
echo "morvane-cli decode: $(ms "${best[decode]}")  ($(ratio $((seconds * 1000000000)) "${best[decode]}")x real time)"
echo "morvane-cli decode --auto: $(ms "${best[auto]}")  ($(ratio $((seconds * 1000000000)) "${best[auto]}")x real time)"
echo "morvane-cli levels: $(ms "${best[levels]}")  ($(ratio $((seconds * 1000000000)) "${best[levels]}")x real time)"
echo "minimodem --rx:     $(ms "${best[minimodem]}")  ($(ratio $((seconds * 1000000000)) "${best[minimodem]}")x real time)"
echo "decode is $(ratio "${best[minimodem]}" "${best[decode]}") times as fast as minimodem --rx"
echo "decode --auto is $(ratio "${best[minimodem]}" "${best[auto]}") times as fast as minimodem --rx"
echo "levels is $(ratio "${best[minimodem]}" "${best[levels]}") times as fast as minimodem --rx"
echo "minimodem decoded: $(head -c 60 "$work/minimodem.out" | tr '\n' '|')"
