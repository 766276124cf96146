#!/usr/bin/env python3
"""Character error rate of the level reading and of the soft reading through noise.

Synthesises noisy recordings of a known text with `morvane-cli synth --snr --seed`
(50 baud, 1500/2000 Hz, SNR in a 3 kHz bandwidth, fixed seeds), reads each one
both ways under the best framing alignment found by search, and prints a
Markdown table of CER against SNR.

    scripts/soft-cer.py [--build build] [--seeds 20] [--trim N] [--snr 10,6,...]

Builds morvane-cli and morvane_soft_cer in the build folder first (the folder
must be configured).
"""
import argparse
import os
import subprocess
import sys
import tempfile

TEXT = "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 1234567890 RYRYRY SOFT DECISION TEST"
DEFAULT_SNR = "10,6,3,0,-2,-3,-4,-5,-6,-7,-8,-9,-10,-11,-12"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default="build", help="configured build folder (default: build)")
    parser.add_argument("--seeds", type=int, default=20, help="recordings per SNR, seeds 1 ... N (default: 20)")
    parser.add_argument("--trim", type=int, default=None, help="--soft-trim for the soft reading (default: the program's)")
    parser.add_argument("--snr", default=DEFAULT_SNR, help="comma-separated SNRs in dB (default: %(default)s)")
    parser.add_argument("--no-build", action="store_true", help="use the programs as they are")
    args = parser.parse_args()

    if not args.no_build:
        subprocess.run(["cmake", "--build", args.build, "-j2", "--target", "morvane-cli", "morvane_soft_cer"],
                       check=True, stdout=subprocess.DEVNULL)
    cli = os.path.join(args.build, "cli", "morvane-cli")
    cer = os.path.join(args.build, "bench", "morvane_soft_cer")

    print(f"Text: {len(TEXT)} characters, {args.seeds} recordings per SNR (seeds 1 ... {args.seeds}), "
          "50 baud, 1500/2000 Hz, SNR in 3 kHz; alignment by framing search for each reading.\n")
    print("| SNR (dB) | CER levels (default) | CER soft (--soft) |")
    print("|---:|---:|---:|")
    with tempfile.TemporaryDirectory(prefix="morvane-cer-") as folder:
        for snr in [float(s) for s in args.snr.split(",")]:
            files = []
            for seed in range(1, args.seeds + 1):
                path = os.path.join(folder, f"snr{snr:+.1f}-seed{seed}.wav")
                subprocess.run([cli, "synth", "--text", TEXT, "--snr", str(snr), "--seed", str(seed), "-o", path],
                               check=True)
                files.append(path)
            command = [cer, TEXT] + (["--trim", str(args.trim)] if args.trim is not None else []) + files
            lines = subprocess.run(command, check=True, capture_output=True, text=True).stdout.split("\n")
            errors_levels = errors_soft = chars = 0
            for line in filter(None, lines):
                _, e_levels, e_soft, n = line.split()
                errors_levels += int(e_levels)
                errors_soft += int(e_soft)
                chars += int(n)
            for path in files:
                os.remove(path)
            print(f"| {snr:+.0f} | {100.0 * errors_levels / chars:.1f} % | {100.0 * errors_soft / chars:.1f} % |",
                  flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
