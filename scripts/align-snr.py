#!/usr/bin/env python3
"""How far into noise `align` still recognises each code.

For every code, synthesises recordings of a known text with `morvane-cli synth
--snr S --seed N` (1500/2000 Hz, SNR in a 3 kHz bandwidth, seeds 1 ... N) and
runs `morvane-cli align` on each: a recording counts as recognised when align
names the code it was sent in and its stop bits (Baudot with US figures counts
as Baudot: the frames cannot tell them apart). Prints a Markdown table of recognised
recordings against SNR and, per code, the lowest SNR at which at least 9 in
10 are recognised (with all higher SNRs of the sweep recognised as well).

    scripts/align-snr.py [--build build] [--seeds 10] [--baud 50] [--snr 6,3,0,...]
"""
import argparse
import os
import subprocess
import sys
import tempfile

ASCII_TEXT = ("The quick brown fox jumps over the lazy dog. 0123456789 (73), de Morvane!\n"
              "Now is the time for all good men to come to the aid of the party: RYRY CQ.\n")
BAUDOT_TEXT = ("RYRY CQ CQ DE MORVANE THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 0123456789\n"
               "NOW IS THE TIME FOR ALL GOOD MEN TO COME TO THE AID OF THE PARTY -/.,:() 73\n")
# (label, synth --code, --parity, --stop-bits, name align should print)
CODES = [
    ("baudot 1.5 stop", "baudot", "none", "1.5", "baudot"),
    ("ascii7 1 stop", "ascii7", "none", "1", "ascii7"),
    ("ascii7 even 1 stop", "ascii7", "even", "1", "ascii7, even parity"),
    ("ascii7 odd 1 stop", "ascii7", "odd", "1", "ascii7, odd parity"),
    ("ascii7 2 stop", "ascii7", "none", "2", "ascii7"),
    ("ascii8 1 stop", "ascii8", "none", "1", "ascii8"),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default="build", help="build folder holding cli/morvane-cli (default: build)")
    parser.add_argument("--seeds", type=int, default=10, help="recordings per SNR and code (default: 10)")
    parser.add_argument("--baud", default="50", help="bit rate (default: 50)")
    parser.add_argument("--snr", default="6,3,0,-2,-4,-5,-6,-7,-8,-9,-10", help="comma-separated SNRs in dB")
    args = parser.parse_args()
    cli = os.path.join(args.build, "cli", "morvane-cli")
    snrs = [float(s) for s in args.snr.split(",")]
    table = {}
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "r.wav")
        for label, code, parity, stop, expected in CODES:
            text = BAUDOT_TEXT if code == "baudot" else ASCII_TEXT
            for snr in snrs:
                hits = 0
                for seed in range(1, args.seeds + 1):
                    subprocess.run([cli, "synth", "--text", text, "--code", code, "--parity", parity, "--stop-bits",
                                    stop, "--baud", args.baud, "--snr", str(snr), "--seed", str(seed), "-o", wav],
                                   check=True)
                    out = subprocess.run([cli, "align", wav], capture_output=True, text=True).stdout
                    lines = out.splitlines()
                    line = next((l for l in lines if l.startswith("code: ")), "")
                    hits += line.startswith("code: " + expected + " (") and ("stop bits: " + stop) in lines
                table[(label, snr)] = hits
                print(f"{label:20} {snr:+5.1f} dB: {hits}/{args.seeds}", file=sys.stderr)
    print("| SNR (dB) | " + " | ".join(c[0] for c in CODES) + " |")
    print("|---:|" + "---:|" * len(CODES))
    for snr in snrs:
        print(f"| {snr:+g} | " + " | ".join(f"{table[(c[0], snr)]}/{args.seeds}" for c in CODES) + " |")
    need = (9 * args.seeds + 9) // 10
    print()
    for label, *_ in CODES:
        lowest = None
        for snr in snrs:  # from high to low: the run of SNRs still recognised
            if table[(label, snr)] < need:
                break
            lowest = snr
        print(f"{label}: lowest SNR recognised in {need} of {args.seeds}: "
              + (f"{lowest:+g} dB" if lowest is not None else "none in the sweep"))


if __name__ == "__main__":
    main()
