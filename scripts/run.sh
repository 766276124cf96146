#!/usr/bin/env bash
# `make run`: starts the Morvane window when it is built and a display is
# there; otherwise shows the command-line tool at work on a synthesised
# teleprinter signal.
#   scripts/run.sh BUILD_DIR
set -euo pipefail

build=${1:-build}
gui="$build/app/morvane"
cli="$build/cli/morvane-cli"

if [[ -x "$gui" && ( -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ) ]]; then
  exec "$gui"
fi

if [[ ! -x "$cli" ]]; then
  echo "run.sh: $cli is not built; run 'make build' first" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
text="RYRY CQ CQ DE MORVANE 73"
sample="$work/sample.wav"

echo "== morvane-cli synth: '$text' at 50 baud, mark 1500 Hz, space 2000 Hz, 10 dB SNR"
"$cli" synth --text "$text" --snr 10 --seed 1 -o "$sample"

echo
echo "== morvane-cli levels: 600 levels a second, above 128 for the mark tone (first 24, then those around the first start bit)"
"$cli" levels "$sample" > "$work/levels.txt"
head -n 24 "$work/levels.txt" | paste -sd' '
# The first start bit is the first level of the space tone after the idle mark.
start=$(awk '$1 < 128 { print NR - 1; exit }' "$work/levels.txt")
start=${start:-0}
sed -n "$((start - 5)),$((start + 30))p" "$work/levels.txt" | paste -sd' '
echo "($(wc -l < "$work/levels.txt") levels; the first start bit at level $start)"

# One character is 7.5 bits of 12 levels: 90 levels a raster row.
raster=(--count 90 --offset "$start")
echo
echo "== morvane-cli raster ${raster[*]} --size 852x300 -o raster.png"
"$cli" raster "$sample" "${raster[@]}" --size 852x300 -o "$work/raster.png"
echo "raster image: $(wc -c < "$work/raster.png") bytes"

if "$cli" decode --help > /dev/null 2>&1; then
  echo
  echo "== morvane-cli bits ${raster[*]} (first rows: start bit, five code bits, stop bits)"
  "$cli" bits "$sample" "${raster[@]}" | head -n 4 | tr -d '\r'
  echo
  echo "== morvane-cli decode ${raster[*]} --reverse-direction --ignore 2"
  "$cli" decode "$sample" "${raster[@]}" --reverse-direction --ignore 2 | tr -d '\r'
fi
