#!/usr/bin/env python3
"""Measures how long `morvane-cli decode - --follow` takes to print each
character after the character's last stop bit has gone into its input.

A synthesised 50-baud Baudot transmission (letters and spaces only, so the
n-th code is the n-th character) is fed to standard input at the pace of
real time; every character printed is stamped as it arrives. Prints the
median and the largest delay.

With --auto the program finds the frames itself (`decode - --auto --follow`,
the live text engine); the tones are given (--low 1500 --high 2000) unless
--search-tones is given as well, when they are found from the first seconds
of the input too.

Usage: scripts/follow-latency.py PATH/TO/morvane-cli [--auto [--search-tones]] [--soft]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import threading
import time

parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
parser.add_argument("cli", help="path to morvane-cli")
parser.add_argument("--auto", action="store_true", help="decode --auto --follow (frames found by the program)")
parser.add_argument("--search-tones", action="store_true", help="with --auto: let the program find the tones too")
parser.add_argument("--soft", action="store_true", help="decide the bits soft")
args = parser.parse_args()

text = "RYRY THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG RYRY THE QUICK BROWN FOX"
rate, idle, frame = 48000, 0.5, 7.5 / 50  # seconds of one 1.5-stop-bit frame at 50 baud

if args.auto:
    how = ["--auto"] + ([] if args.search_tones else ["--low", "1500", "--high", "2000"])
else:
    how = ["--count", "90", "--offset", "300", "--reverse-direction", "--ignore", "2"]
if args.soft:
    how.append("--soft")

with tempfile.TemporaryDirectory() as work:
    wav = os.path.join(work, "t.wav")
    subprocess.run([args.cli, "synth", "--text", text, "-o", wav], check=True)
    raw = open(wav, "rb").read()[44:]
    proc = subprocess.Popen([args.cli, "decode", "-", "--follow"] + how,
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    start = time.monotonic()

    def feed():
        chunk = rate // 100 * 2  # 10 ms of samples
        for at in range(0, len(raw), chunk):
            due = start + at / 2 / rate
            pause = due - time.monotonic()
            if pause > 0:
                time.sleep(pause)
            proc.stdin.write(raw[at:at + chunk])
            proc.stdin.flush()
        proc.stdin.close()

    feeder = threading.Thread(target=feed)
    feeder.start()
    arrivals = []
    while True:
        c = proc.stdout.read(1)
        if not c:
            break
        arrivals.append((c, time.monotonic() - start))
    feeder.join()
    proc.wait()

printed = "".join(c.decode() for c, _ in arrivals)
if not printed.startswith(text):
    sys.exit("decoded text differs: " + repr(printed))
delays = [t - (idle + frame * (k + 1)) for k, (_, t) in enumerate(arrivals[:len(text)])]
print(f"{len(delays)} characters: delay after the last stop bit median {statistics.median(delays):.3f} s, "
      f"largest {max(delays):.3f} s, smallest {min(delays):.3f} s")
late = [k for k, d in enumerate(delays) if d >= 1.5]
if late:
    print(f"{len(late)} characters 1.5 s or more late: the first {late[0] + 1} ... {late[-1] + 1} of the text")
