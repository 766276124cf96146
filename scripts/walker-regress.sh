#!/usr/bin/env bash
# Compares two builds of morvane-cli on the bit extraction and decoding paths:
# standard output, standard error, exit status and any file written must be
# the same byte for byte. Recordings are made with the reference's `synth`
# (clean, noisy at 0 and -6 dB, Baudot and ASCII) plus the minimodem fixture.
#   scripts/walker-regress.sh [REFERENCE_CLI [NEW_CLI]]
# Defaults: /work/ref/morvane-cli and build/cli/morvane-cli. Exit status 0 when
# every case agrees, 1 when any differs (each difference is listed).
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ref=${1:-/work/ref/morvane-cli}
new=${2:-$here/../build/cli/morvane-cli}
for cli in "$ref" "$new"; do
  [[ -x "$cli" ]] || { echo "walker-regress: $cli is not an executable" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

text="RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789"
"$ref" synth --text "$text" -o "$work/clean.wav" || exit 2
"$ref" synth --text "$text" --snr 0 --seed 1 -o "$work/noisy0.wav" || exit 2
"$ref" synth --text "$text" --snr -6 --seed 2 -o "$work/noisy-6.wav" || exit 2
"$ref" synth --text "$text" --baud 45.45 --stop-bits 1 --idle 1 -o "$work/baudot45.wav" || exit 2
"$ref" synth --text "Hello, World! ascii 7 bits" --code ascii7 --stop-bits 1 -o "$work/ascii7.wav" || exit 2
"$ref" synth --text "Parity: even." --code ascii8 --parity even --stop-bits 2 --snr 0 --seed 3 \
  -o "$work/ascii8.wav" || exit 2
recordings=("$work/clean.wav" "$work/noisy0.wav" "$work/noisy-6.wav" "$work/baudot45.wav" "$work/ascii7.wav"
            "$work/ascii8.wav" "$here/../tests/data/minimodem-rtty45-8k.wav")

# The raster options every bits/decode/report run is tried with.
rasters=(
  ""
  "--count 90 --offset 300"
  "--count 90 --offset 300 --slant 0.37"
  "--count 90 --offset 40 --slant -0.6"
  "--count 50 --offset 10 --slant -40"
  "--count 90 --offset 300 --slant nan"
  "--count 90 --offset 300 --grid-width 25"
  "--count 90 --offset 300 --grid-width 7"
  "--count 90 --offset 300 --grid-width 1"
  "--count 90 --offset 300 --grid-width 0"
  "--count 0"
  "--count 90 --offset 100000000"
  "--count 90 --offset -5"
)
# Options added to a raster for bits and decode.
modes=(
  ""
  "--soft"
  "--soft --soft-trim 2"
  "--soft --soft-trim 5"
  "--soft --soft-trim 6"
  "--time-true"
  "--time-true --soft"
)
decodeModes=(
  "--follow"
  "--follow --soft"
  "--follow --soft --soft-trim 2"
  "--show-bits"
)
# decode --auto and its companions, each run without raster options.
autos=(
  "--auto"
  "--auto --soft"
  "--auto --follow"
  "--auto --follow --soft"
  "--auto --count 90"
  "--auto --soft --count 90 --soft-trim 2"
  "--auto --time-true --count 90"
  "--auto --show-bits"
  "--auto --code ascii7"
  "--auto --follow --count 90"
)

cases=0
differ=0
# run NAME ARGS...: both builds, compared (with -o @OUT@: the files too);
# standard input is the file $input names, or empty.
input=/dev/null
run() {
  local name=$1
  shift
  cases=$((cases + 1))
  local a="$work/a" b="$work/b"
  mkdir -p "$a" "$b"
  rm -f "$a"/* "$b"/*
  # Both write the same output path (it may be printed), kept apart after each run.
  local args=("$@") argsOut=()
  for x in "${args[@]}"; do argsOut+=("${x//@OUT@/$work/out}"); done
  rm -f "$work/out"
  "$ref" "${argsOut[@]}" <"$input" >"$a/stdout" 2>"$a/stderr"
  echo $? >"$a/status"
  [[ -e "$work/out" ]] && mv "$work/out" "$a/out"
  "$new" "${argsOut[@]}" <"$input" >"$b/stdout" 2>"$b/stderr"
  echo $? >"$b/status"
  [[ -e "$work/out" ]] && mv "$work/out" "$b/out"
  local what=""
  for f in stdout stderr status out; do
    if [[ -e "$a/$f" || -e "$b/$f" ]] && ! cmp -s "$a/$f" "$b/$f"; then what+=" $f"; fi
  done
  if [[ -n "$what" ]]; then
    differ=$((differ + 1))
    echo "DIFFERS ($what ): $name: morvane-cli ${args[*]}"
  fi
}

for rec in "${recordings[@]}"; do
  name=$(basename "$rec")
  for raster in "${rasters[@]}"; do
    read -r -a r <<<"$raster"
    for mode in "${modes[@]}"; do
      read -r -a m <<<"$mode"
      run "$name" bits "$rec" "${r[@]}" "${m[@]}"
      run "$name" decode "$rec" "${r[@]}" "${m[@]}" --reverse-direction --ignore 2
    done
    for mode in "${decodeModes[@]}"; do
      read -r -a m <<<"$mode"
      run "$name" decode "$rec" "${r[@]}" "${m[@]}" --reverse-direction --ignore 2
    done
    run "$name" report "$rec" "${r[@]}" -o @OUT@
    run "$name" report "$rec" "${r[@]}" --soft -o @OUT@
  done
  for auto in "${autos[@]}"; do
    read -r -a o <<<"$auto"
    run "$name" decode "$rec" "${o[@]}"
  done
done
# The raw samples of the clean recording on standard input (past its header).
tail -c +45 "$work/clean.wav" >"$work/clean.raw"
input="$work/clean.raw"
run clean.raw decode - --follow --count 90 --offset 300 --reverse-direction --ignore 2
run clean.raw decode - --follow --soft --count 90 --offset 300 --reverse-direction --ignore 2
run clean.raw decode - --auto --follow
run clean.raw decode - --auto --follow --soft
run clean.raw bits - --count 90 --offset 300
run clean.raw bits - --count 90 --offset 40 --slant -0.6
input=/dev/null

echo "walker-regress: $cases cases, $differ differ ($ref against $new)"
[[ $differ -eq 0 ]]
