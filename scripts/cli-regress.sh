#!/bin/bash
# Runs one set of command lines with two morvane-cli binaries and compares
# what each prints (standard output, standard error), the files it writes and
# its exit status, case by case.
#
#   scripts/cli-regress.sh [REFERENCE [CANDIDATE]]
#
# REFERENCE defaults to /work/ref/morvane-cli, CANDIDATE to build/cli/morvane-cli.
# The recordings are made once with the reference's synth. Exit status 0 when
# every case matches, 1 otherwise (the differing cases are listed).
set -u

here=$(cd "$(dirname "$0")/.." && pwd)
ref=$(realpath "${1:-/work/ref/morvane-cli}")
new=$(realpath "${2:-$here/build/cli/morvane-cli}")
for b in "$ref" "$new"; do
    [ -x "$b" ] || { echo "cli-regress: no program at $b" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/cli-regress.XXXXXX")
[ -n "${KEEP:-}" ] && echo "cli-regress: outputs kept in $work" || trap 'rm -rf "$work"' EXIT
rec="$work/rec"
mkdir -p "$rec" "$work/ref" "$work/new"

text="CQ CQ DE MORVANE RYRY 599 -/.,:()
THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 1234567890"
"$ref" synth --text "$text" -o "$rec/baudot.wav" >/dev/null
"$ref" synth --text "$text" --snr 3 --seed 7 -o "$rec/noisy.wav" >/dev/null
"$ref" synth --text "Hello, World! ascii7 even parity 42" --code ascii7 --parity even --stop-bits 1 \
    --mark 1200 --space 1650 -o "$rec/ascii.wav" >/dev/null
"$ref" synth --text "RYRY 75 BAUD" --baud 75 --stop-bits 1 -o "$rec/baud75.wav" >/dev/null
# Raw 16-bit samples for standard input: the WAV without its 44-byte header.
tail -c +45 "$rec/baudot.wav" > "$rec/baudot.raw"
tail -c +45 "$rec/noisy.wav" > "$rec/noisy.raw"
cp "$here/tests/data/minimodem-rtty45-8k.wav" "$rec/mm.wav"
cp "$here/tests/data/empty.wav" "$rec/empty.wav"
cp "$here/tests/data/zero-length.wav" "$rec/zero.wav"
long=""
for i in 1 2 3 4 5 6 7 8 9 10 11 12; do long+="LINE $i OF A LONG TRANSMISSION THAT RUNS PAST A MINUTE
"; done
"$ref" synth --text "$long" --snr 6 --seed 2 -o "$rec/long.wav" >/dev/null
tail -c +45 "$rec/long.wav" > "$rec/long.raw"

raster="--count 90 --offset 300 --grid-width 24"
read_opts="$raster --reverse-direction --ignore 2"

# name | standard input | arguments (word-split; recordings under R/)
cases=(
    "levels||levels R/baudot.wav"
    "levels-tones||levels R/noisy.wav --low 1400 --high 2100"
    "levels-stdin|R/baudot.raw|levels -"
    "spectrum||spectrum R/baudot.wav --block 2"
    "bits||bits R/baudot.wav $raster"
    "bits-slant||bits R/noisy.wav --count 90 --offset 300 --slant -0.35 --grid-width 25"
    "bits-soft||bits R/noisy.wav $raster --soft --soft-trim 2"
    "bits-timetrue||bits R/baudot.wav $raster --time-true"
    "bits-nocell||bits R/baudot.wav --grid-width 1"
    "bits-beyond||bits R/baudot.wav --offset 99999999"
    "decode||decode R/baudot.wav $read_opts"
    "decode-showbits||decode R/noisy.wav $read_opts --show-bits"
    "decode-soft||decode R/noisy.wav $read_opts --soft"
    "decode-follow||decode R/noisy.wav $read_opts --follow"
    "decode-follow-soft||decode R/noisy.wav $read_opts --follow --soft --soft-trim 1"
    "decode-follow-stdin|R/baudot.raw|decode - $read_opts --follow"
    "decode-timetrue||decode R/baudot.wav $read_opts --time-true"
    "decode-auto||decode R/baudot.wav --auto"
    "decode-auto-ascii||decode R/ascii.wav --auto"
    "decode-auto-75||decode R/baud75.wav --auto --show-bits"
    "decode-auto-soft||decode R/noisy.wav --auto --soft"
    "decode-auto-raster||decode R/baudot.wav --auto --count 90 --ignore 2"
    "decode-auto-raster-soft||decode R/noisy.wav --auto --soft --slant 0 --soft-trim 1"
    "decode-auto-tones||decode R/baudot.wav --auto --low 1500 --high 2000 --reverse-bits"
    "decode-auto-mm||decode R/mm.wav --auto"
    "decode-auto-parity||decode R/ascii.wav --auto --parity odd"
    "decode-auto-follow||decode R/noisy.wav --auto --follow"
    "decode-auto-follow-soft||decode R/baudot.wav --auto --follow --soft"
    "decode-auto-follow-stdin|R/baudot.raw|decode - --auto --follow"
    "decode-auto-follow-code||decode R/ascii.wav --auto --follow --code ascii7 --parity even"
    "decode-auto-follow-mm||decode R/mm.wav --auto --follow"
    "report||report R/baudot.wav $raster -o page.html"
    "report-soft||report R/noisy.wav $raster --soft -o page.html"
    "report-empty||report R/baudot.wav --offset 99999999 -o page.html"
    "raster||raster R/baudot.wav $raster --size 300x200 -o r.png"
    "raster-timetrue||raster R/baudot.wav $raster --time-true --size 200x120 -o r.png"
    "align||align R/baudot.wav"
    "align-ascii||align R/ascii.wav -o align.txt"
    "align-mm||align R/mm.wav"
    "align-tones||align R/noisy.wav --low 1500"
    "align-empty||align R/empty.wav"
    "align-zero||align R/zero.wav"
    "align-long||align R/long.wav"
    "decode-auto-long||decode R/long.wav --auto"
    "err-count||decode R/baudot.wav --count 1.5"
    "err-parity||decode R/baudot.wav --parity even"
    "err-showbits-follow||decode R/baudot.wav --follow --show-bits"
    "err-missing||decode R/missing.wav"
    "err-norec||bits"
    "err-size||raster R/baudot.wav --size 10x0 -o r.png"
    "err-trim||bits R/baudot.wav --soft --soft-trim 6"
    "err-trim-nosoft||bits R/baudot.wav --soft-trim 1"
    "err-soft-timetrue||decode R/baudot.wav --soft --time-true"
    "err-follow-soft-timetrue||decode R/baudot.wav --follow --soft --time-true"
    "err-auto-soft-timetrue||decode R/baudot.wav --auto --soft --time-true"
    "err-auto-trim||decode R/baudot.wav --auto --soft --soft-trim 1"
    "err-auto-follow-count||decode R/baudot.wav --auto --follow --count 90"
    "err-auto-follow-ignore||decode R/baudot.wav --auto --follow --ignore 1"
    "err-auto-stdin-nothing|/dev/null|decode - --auto --low 1500 --high 2000"
    "err-low||levels R/baudot.wav --low 0"
    "err-high||levels R/baudot.wav --high 30000"
    "err-seconds||levels R/baudot.wav --seconds 3"
    "err-extra||decode R/baudot.wav /s1"
    "err-unknown||decode R/baudot.wav --bogus"
    "help-decode||decode --help"
    "help-bits||bits --help"
    "help-align||align --help"
    "help-levels||levels --help"
    "help-report||report --help"
    "help-raster||raster --help"
    # What the command line now does differently on purpose: these differ.
    "fix-low-subnormal||align R/baudot.wav --low 1e-45"
    "fix-high-small||levels R/baudot.wav --high 0.5"
    "fix-slant-nan||bits R/baudot.wav --count 90 --slant nan"
    "fix-slant-huge||decode R/baudot.wav --count 90 --slant 1e300"
    "fix-parity-code-first||decode R/missing.wav --auto --code baudot --parity even"
    "fix-parity-follow||decode R/baudot.wav --auto --follow --parity even"
    "fix-align-stdin|R/baudot.raw|align -"
    "fix-align-stdin-long|R/long.raw|align -"
    "fix-decode-auto-stdin|R/noisy.raw|decode - --auto"
)

run_case() {  # binary side name input args
    local binary=$1 side=$2 name=$3 input=$4 args=$5
    local dir="$work/$side/$name"
    mkdir -p "$dir"
    ln -s "$rec" "$dir/R"
    [ -n "$input" ] && input=${input/#R\//$rec/} || input=/dev/null
    # shellcheck disable=SC2086
    (cd "$dir" && "$binary" $args < "$input" > stdout 2> stderr; echo $? > status)
    # The program's own name in usage texts is the same for both.
    rm -f "$dir/R"
}

failed=()
fixed=()
for c in "${cases[@]}"; do
    IFS='|' read -r name input args <<< "$c"
    run_case "$ref" ref "$name" "$input" "$args"
    run_case "$new" new "$name" "$input" "$args"
    # Tones are 1 Hz or more now, and the help says so: the one change allowed there.
    case $name in help-*) sed -i 's/HZ, 0 < f <= 24000/HZ, 1 <= f <= 24000/' "$work/ref/$name/stdout" ;; esac
    if ! diff -r "$work/ref/$name" "$work/new/$name" > "$work/$name.diff"; then
        case $name in fix-*) fixed+=("$name"); echo "differs as intended: $name ($args)"; continue ;; esac
        failed+=("$name")
        echo "DIFFERS: $name ($args)"
        head -20 "$work/$name.diff"
    fi
done
echo "cli-regress: ${#cases[@]} cases, ${#failed[@]} differ unexpectedly, ${#fixed[@]} differ as intended"
[ ${#failed[@]} -eq 0 ]
