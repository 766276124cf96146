#!/usr/bin/env python3
"""Character error rate of the live text (`decode REC --auto --follow`, the
frames found and followed by the program as the stream grows) through noise.

Synthesises recordings of a known 80-character text with `morvane-cli synth
--snr S --seed N` (50 baud, 1500/2000 Hz, SNR in a 3 kHz bandwidth), reads
each with and without --soft, and prints a Markdown table of CER against
SNR. Errors are the edit distance between the text sent and the text printed
(its line breaks, which separate transmissions, left out); a recording where
nothing was found counts every character as an error.

    scripts/live-cer.py PATH/TO/morvane-cli [--seeds 10] [--snr 10,0,-6] [--search-tones]
                        [--code ascii7 --parity even --baud 110 --stop-bits 1]

With --code ascii7 or ascii8 the text has lower case and punctuation too,
and the code is found by the program as well.
"""
import argparse
import os
import subprocess
import sys
import tempfile

TEXT = "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 1234567890 RYRYRY SOFT DECISION TEST"
ASCII_TEXT = "The quick brown fox jumps over the lazy dog; 1234567890 (CQ de Morvane) soft test!"


def edit_distance(a, b):
    row = list(range(len(b) + 1))
    for i in range(1, len(a) + 1):
        diagonal, row[0] = row[0], i
        for j in range(1, len(b) + 1):
            above = row[j]
            row[j] = min(row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1]))
            diagonal = above
    return row[len(b)]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("cli", help="path to morvane-cli")
    parser.add_argument("--seeds", type=int, default=10, help="recordings per SNR, seeds 1 ... N (default: 10)")
    parser.add_argument("--snr", default="10,0,-6", help="comma-separated SNRs in dB (default: %(default)s)")
    parser.add_argument("--search-tones", action="store_true", help="let the program find the tones too")
    parser.add_argument("--code", default="baudot", choices=["baudot", "baudot-us", "ascii7", "ascii8"])
    parser.add_argument("--parity", default="none", choices=["none", "even", "odd"])
    parser.add_argument("--baud", default="50")
    parser.add_argument("--stop-bits", default="1.5")
    args = parser.parse_args()
    text_sent = ASCII_TEXT if args.code.startswith("ascii") else TEXT
    synth_code = ["--code", args.code, "--parity", args.parity, "--baud", args.baud, "--stop-bits", args.stop_bits]
    tones = [] if args.search_tones else ["--low", "1500", "--high", "2000"]

    print(f"Text: {len(text_sent)} characters, {args.seeds} recordings per SNR (seeds 1 ... {args.seeds}), "
          f"{args.code} parity {args.parity}, {args.baud} baud, {args.stop_bits} stop bits, 1500/2000 Hz, "
          f"SNR in 3 kHz; tones {'searched' if args.search_tones else 'given'}.\n")
    print("| SNR (dB) | CER live text | CER live text --soft | not found (of each) |")
    print("|---:|---:|---:|---:|")
    with tempfile.TemporaryDirectory(prefix="morvane-live-cer-") as folder:
        for snr in [float(s) for s in args.snr.split(",")]:
            errors = {False: 0, True: 0}
            missed = {False: 0, True: 0}
            for seed in range(1, args.seeds + 1):
                path = os.path.join(folder, f"snr{snr:+.1f}-seed{seed}.wav")
                subprocess.run([args.cli, "synth", "--text", text_sent, "--snr", str(snr), "--seed", str(seed), "-o", path]
                               + synth_code, check=True)
                for soft in (False, True):
                    command = [args.cli, "decode", path, "--auto", "--follow"] + tones + (["--soft"] if soft else [])
                    run = subprocess.run(command, capture_output=True)
                    if run.returncode not in (0, 3):
                        sys.exit(f"{' '.join(command)} failed: {run.stderr.decode(errors='replace')}")
                    if run.returncode == 3:
                        missed[soft] += 1
                    text = run.stdout.decode(errors="replace").replace("\r", "").replace("\n", "")
                    errors[soft] += edit_distance(text_sent, text)
                os.remove(path)
            chars = len(text_sent) * args.seeds
            print(f"| {snr:+.0f} | {100.0 * errors[False] / chars:.1f} % | {100.0 * errors[True] / chars:.1f} % | "
                  f"{missed[False]} / {missed[True]} |", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
