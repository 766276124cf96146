#!/usr/bin/env bash
# `make run`: starts the Morvane window. On a machine without a display it
# says so and shows the same work through morvane-cli instead: the sample
# recording decoded with the raster aligned on its frames.
#   scripts/run.sh BUILD_DIR
set -euo pipefail

build=${1:-build}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
gui="$build/app/morvane"
cli="$build/cli/morvane-cli"
sample="$here/../res/sample.wav"

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  if [[ -x "$gui" ]]; then
    exec "$gui" "${@:2}"
  fi
  echo "run.sh: $gui is not built; showing morvane-cli instead" >&2
else
  echo "No display here (\$DISPLAY and \$WAYLAND_DISPLAY are empty), so the Morvane window cannot open."
  echo "Here is its work done by morvane-cli on the sample recording instead."
fi

if [[ ! -x "$cli" ]]; then
  echo "run.sh: $cli is not built; run 'make build' first" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [[ ! -f "$sample" ]]; then
  sample="$work/sample.wav"
  "$cli" synth --text "RYRY CQ CQ DE MORVANE 73" --snr 10 --seed 1 -o "$sample"
fi

# The raster is aligned as in the window: one character frame (start bit, five
# code bits, 1.5 stop bits = 7.5 bits of 12 levels) per row of 90 levels,
# starting at the first start bit, the first space-tone level after the idle mark.
"$cli" levels "$sample" > "$work/levels.txt"
offset=$(awk '$1 < 128 { print NR - 1; exit }' "$work/levels.txt")
offset=${offset:-0}
raster=(--count 90 --offset "$offset")

echo
echo "== morvane-cli bits $(basename "$sample") ${raster[*]}   (first rows: start bit, five code bits, stop bits)"
"$cli" bits "$sample" "${raster[@]}" | head -n 4 | tr -d '\r'
echo
echo "== morvane-cli decode $(basename "$sample") ${raster[*]} --reverse-direction --ignore 2"
"$cli" decode "$sample" "${raster[@]}" --reverse-direction --ignore 2 | tr -d '\r'
