#!/usr/bin/python3
"""Character error rates of Morvane, minimodem and fldigi through simulated HF channels.

Makes recordings of a few texts of its own (about 200 characters, 5-bit code,
1.5 stop bits), sent by `minimodem --tx` and by `morvane-cli synth`, puts each
through `morvane-cli channel` (fading presets, noise, drift, a carrier, a
neighbour station), and decodes every one

  * with `morvane-cli decode REC --auto` (the program given with --cli),
  * optionally with a second Morvane command line (--extra, REC stands for the file),
  * with `minimodem --rx` given the true tones, rate and stop bits,
  * with fldigi (/work/shared/tools/fldigi-rx; it runs in real time, so by
    default only the first seed of every condition, see --fldigi),
  * and with the "genie": every bit decided by integrate-and-dump at the
    bit positions known from the clean recording and at the known tones
    (offset and drift included), then read as 5-bit code: the limit a
    receiver that knew the timing and the tones could reach.

It prints a Markdown table of character error rates (edit distance over the
characters sent, summed over seeds and senders), one row per condition.

    scripts/cer-table.py [--cli /work/ref/morvane-cli] [--sim build/cli/morvane-cli]
                         [--extra "build/cli/morvane-cli decode REC --auto --soft"]
                         [--seeds 2] [--jobs 2] [--fldigi first|all|none] [--fldigi-jobs 8]
                         [--rows REGEX] [--by-sender] [--keep]

--sim makes the recordings and runs the channel (it needs `channel`); --cli
is the Morvane under test. Texts are compared upper case, with runs of white
space as one space. Needs numpy, minimodem and, for its column, fldigi with
Xvfb and PulseAudio (scripts/install-deps.sh cer).
"""
import argparse
import concurrent.futures
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import threading
import wave

import numpy as np

RATE = 48000
STOP_BITS = 1.5
FLDIGI = "/work/shared/tools/fldigi-rx"

# No figure follows a space after figures: minimodem's and fldigi's receivers
# return to letters on a space, and the table is about reception, not that.
TEXTS = [
    "CQ CQ DE MORVANE TEST STATION. THE WEATHER AT THE COAST IS CLEAR WITH A LIGHT WIND FROM THE NORTH "
    "WEST AT 12 KNOTS. SEA STATE CALM, VISIBILITY GOOD. NEXT REPORT AT 1800 UTC. PLEASE ACKNOWLEDGE BY RADIO.",
    "PACK MY BOX WITH FIVE DOZEN LIQUOR JUGS. SPHINX OF BLACK QUARTZ, JUDGE MY VOW. HOW VEXINGLY QUICK DAFT "
    "ZEBRAS JUMP. THE JOB REQUIRES EXTRA PLUCK AND ZEAL FROM EVERY YOUNG WAGE EARNER (SEE PAGE 4/7).",
    "GALE WARNING FOR AREA NORTH: WIND SOUTHWEST 7 TO SEVERE GALE 9, VEERING WEST LATER. RAIN THEN SHOWERS. "
    "MODERATE OR POOR, OCCASIONALLY GOOD. POSITION 54-30N 012-15E AT 0600. END OF MESSAGE, REPEAT ENDS.",
]

# Mark is the upper tone, as on the air; both tones around 1500 Hz.
TONES = {170: (1585.0, 1415.0), 450: (1725.0, 1275.0)}

# 5-bit code, value = first data bit least significant: letters, figures.
LETTERS = {1: "E", 2: "\n", 3: "A", 4: " ", 5: "S", 6: "I", 7: "U", 8: "\n", 9: "D", 10: "R", 11: "J", 12: "N",
           13: "F", 14: "C", 15: "K", 16: "T", 17: "Z", 18: "L", 19: "W", 20: "H", 21: "Y", 22: "P", 23: "Q",
           24: "O", 25: "B", 26: "G", 28: "M", 29: "X", 30: "V"}
FIGURES = {1: "3", 2: "\n", 3: "-", 4: " ", 5: "'", 6: "8", 7: "7", 8: "\n", 9: "$", 10: "4", 11: "'", 12: ",",
           13: "!", 14: ":", 15: "(", 16: "5", 17: "+", 18: ")", 19: "2", 20: "#", 21: "6", 22: "0", 23: "1",
           24: "9", 25: "?", 26: "&", 28: ".", 29: "/", 30: "="}
FIGS, LTRS, SPACE = 27, 31, 4


def normalise(text):
    return " ".join(text.upper().split())


def edit_distance(a, b):
    previous = list(range(len(b) + 1))
    for i, ca in enumerate(a, 1):
        current = [i]
        for j, cb in enumerate(b, 1):
            current.append(min(previous[j] + 1, current[j - 1] + 1, previous[j - 1] + (ca != cb)))
        previous = current
    return previous[-1]


def read_wav(path):
    with wave.open(path, "rb") as w:
        if w.getsampwidth() != 2 or w.getframerate() != RATE:
            raise RuntimeError(f"{path}: not 16-bit {RATE} Hz")
        data = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2").astype(np.float64)
        return data.reshape(-1, w.getnchannels())[:, 0]


def run(command, stdin=None, timeout=600):
    r = subprocess.run(command, input=stdin, capture_output=True, text=True, timeout=timeout)
    return r.returncode, r.stdout, r.stderr


# --- the genie ---------------------------------------------------------------

def tone_energy_sums(x, hz, offset_hz=0.0, drift_hz_per_s=0.0):
    """Running sums of x mixed down by the tone (with offset and drift), for integrate-and-dump."""
    t = np.arange(len(x)) / RATE
    cycles = (hz + offset_hz) * t + 0.5 * drift_hz_per_s * t * t
    z = x * np.exp(-2j * np.pi * (cycles - np.floor(cycles)))
    return np.concatenate([[0.0], np.cumsum(z)])


def frame_starts(clean, mark, space, baud):
    """Sample positions of the start bits in a clean recording."""
    spb = RATE / baud
    width = max(8, int(spb / 4))
    sums_m, sums_s = tone_energy_sums(clean, mark), tone_energy_sums(clean, space)
    half = width // 2
    idx = np.arange(half, len(clean) - half)
    em = np.abs(sums_m[idx + half] - sums_m[idx - half])
    es = np.abs(sums_s[idx + half] - sums_s[idx - half])
    keying = np.zeros(len(clean), dtype=bool)
    keying[idx] = em > es  # mark
    keying[:half] = keying[half]
    starts, n = [], 1
    while True:
        falls = np.flatnonzero(keying[n:] == False)  # noqa: E712  (first space after n)
        if len(falls) == 0:
            break
        start = n + int(falls[0])
        if not keying[start - 1] or start + int(7 * spb) > len(clean):
            # space from the very beginning, or a frame cut off by the end
            n = start + 1
            if start + int(7 * spb) > len(clean):
                break
            continue
        if keying[start + int(spb / 2)]:  # a glitch, not a start bit
            n = start + 1
            continue
        starts.append(start)
        n = start + int(6.5 * spb)
    return starts


def genie_text(received, starts, pad, mark, space, baud, offset_hz, drift_hz_per_min):
    spb = RATE / baud
    sums_m = tone_energy_sums(received, mark, offset_hz, drift_hz_per_min / 60.0)
    sums_s = tone_energy_sums(received, space, offset_hz, drift_hz_per_min / 60.0)
    text, figures = [], False
    for s in starts:
        value = 0
        for bit in range(5):
            a = pad + s + int(round((bit + 1) * spb))
            b = pad + s + int(round((bit + 2) * spb))
            if b >= len(sums_m):
                return "".join(text)
            if abs(sums_m[b] - sums_m[a]) > abs(sums_s[b] - sums_s[a]):
                value |= 1 << bit
        if value == FIGS:
            figures = True
        elif value == LTRS:
            figures = False
        else:
            text.append((FIGURES if figures else LETTERS).get(value, ""))
            if value == SPACE:
                figures = False  # minimodem's sender counts on this (unshift on space)
    return "".join(text)


# --- conditions --------------------------------------------------------------

class Condition:
    def __init__(self, label, shift, baud, snr, preset="none", extra=(), offset=0.0, drift=0.0, pad=0.0, mix=None):
        self.label, self.shift, self.baud, self.snr = label, shift, baud, snr
        self.preset, self.extra, self.offset, self.drift, self.pad, self.mix = preset, list(extra), offset, drift, pad, mix


def conditions():
    rows = []
    for preset in ("good", "moderate", "poor", "flutter"):
        for snr in (10, 3, 0):
            for shift in (170, 450):
                for baud in (45.45, 50):
                    rows.append(Condition(f"{preset} {snr:+d} dB, {shift} Hz, {baud:g} Bd", shift, baud, snr, preset))
    for shift, baud in ((170, 45.45), (450, 50)):
        for snr in (0, -6, -10):
            rows.append(Condition(f"AWGN {snr:+d} dB, 1 s of noise around, {shift} Hz, {baud:g} Bd", shift, baud, snr,
                                  extra=["--silence", "1"], pad=1.0))
    rows.append(Condition("drift: +37 Hz, +20 Hz/min, +10 dB, 170 Hz, 45.45 Bd", 170, 45.45, 10,
                          extra=["--offset-hz", "37", "--drift-hz-per-min", "20"], offset=37.0, drift=20.0))
    centre = sum(TONES[170]) / 2
    rows.append(Condition("carrier 300 Hz beside, 15 dB above, +10 dB, 170 Hz, 45.45 Bd", 170, 45.45, 10,
                          extra=["--cw", f"{centre + 300:g}:15"]))
    rows.append(Condition("neighbour 400 Hz away, 6 dB stronger, +10 dB, 170 Hz, 45.45 Bd", 170, 45.45, 10,
                          mix=(6.0, 400.0)))
    return rows


# --- the run -----------------------------------------------------------------

class Harness:
    def __init__(self, args, folder):
        self.args, self.folder = args, folder
        self.clean_lock = threading.Lock()
        self.clean_made = {}
        self.starts = {}

    def clean(self, sender, text_index, shift, baud):
        """The clean recording of one text, made once."""
        key = (sender, text_index, shift, baud)
        with self.clean_lock:
            if key not in self.clean_made:
                self.clean_made[key] = threading.Lock()
            lock = self.clean_made[key]
        path = os.path.join(self.folder, f"clean-{sender}-{text_index}-{shift}-{baud:g}.wav")
        with lock:
            if not os.path.exists(path):
                mark, space = TONES[shift]
                if sender == "synth":
                    cmd = [self.args.sim, "synth", "--text", TEXTS[text_index], "--mark", f"{mark:g}",
                           "--space", f"{space:g}", "--baud", f"{baud:g}", "-o", path]
                    status, _, err = run(cmd)
                else:
                    cmd = ["minimodem", "--tx", "--baudot", "--stopbits", f"{STOP_BITS:g}", "-M", f"{mark:g}",
                           "-S", f"{space:g}", "-R", str(RATE), "-f", path, f"{baud:g}"]
                    status, _, err = run(cmd, stdin=TEXTS[text_index])
                if status != 0:
                    raise RuntimeError(f"{' '.join(cmd)}: {err.strip()}")
                self.starts[key] = frame_starts(read_wav(path), mark, space, baud)
        return path, self.starts[key]

    def record(self, row, sender, seed):
        """The channel's output for one recording; returns (path, sent text, genie text)."""
        text_index = (seed - 1 + (sender == "synth")) % len(TEXTS)
        clean, starts = self.clean(sender, text_index, row.shift, row.baud)
        out = os.path.join(self.folder, f"rx-{abs(hash(row.label))}-{sender}-{seed}.wav")
        cmd = [self.args.sim, "channel", clean, "-o", out, "--channel", row.preset, "--snr", f"{row.snr:g}",
               "--seed", str(seed)] + row.extra
        if row.mix:
            neighbour, _ = self.clean(sender, (text_index + 1) % len(TEXTS), row.shift, row.baud)
            cmd += ["--mix", f"{neighbour}:{row.mix[0]:g}:{row.mix[1]:g}"]
        status, _, err = run(cmd)
        if status != 0:
            raise RuntimeError(f"{' '.join(cmd)}: {err.strip()}")
        mark, space = TONES[row.shift]
        genie = genie_text(read_wav(out), starts, int(round(row.pad * RATE)), mark, space, row.baud,
                           row.offset, row.drift)
        return out, TEXTS[text_index], genie

    def decode(self, row, rec):
        mark, space = TONES[row.shift]
        texts = {}
        texts["morvane"] = run([self.args.cli, "decode", rec, "--auto"])[1]
        if self.args.extra:
            texts["extra"] = run([w.replace("REC", rec) for w in shlex.split(self.args.extra)])[1]
        texts["minimodem"] = run(["minimodem", "--rx", "-q", "--baudot", "--stopbits", f"{STOP_BITS:g}",
                                  "-M", f"{mark:g}", "-S", f"{space:g}", "-f", rec, f"{row.baud:g}"])[1]
        return texts

    def fldigi(self, row, rec):
        mark, space = TONES[row.shift]
        return run([FLDIGI, rec, "--mark", f"{mark:g}", "--space", f"{space:g}", "--baud", f"{row.baud:g}",
                    "--stop-bits", f"{STOP_BITS:.1f}"], timeout=900)[1]


def score(sent, got):
    sent, got = normalise(sent), normalise(got)
    return edit_distance(sent, got), len(sent)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cli", default="/work/ref/morvane-cli", help="morvane-cli under test (decode --auto)")
    parser.add_argument("--sim", default="build/cli/morvane-cli", help="morvane-cli with synth and channel")
    parser.add_argument("--extra", default="", help="a second Morvane command line; REC stands for the recording")
    parser.add_argument("--extra-name", default="extra", help="the column title of --extra")
    parser.add_argument("--seeds", type=int, default=2, help="seeds 1 ... N per sender and condition (default 2)")
    parser.add_argument("--senders", default="minimodem,synth", help="comma-separated: minimodem, synth")
    parser.add_argument("--jobs", type=int, default=2, help="recordings made and decoded at once (default 2)")
    parser.add_argument("--fldigi", choices=("first", "all", "none"), default="first",
                        help="fldigi on the first seed of each condition (default), on all, or not at all")
    parser.add_argument("--fldigi-jobs", type=int, default=8, help="fldigi sessions at once (they wait on real time)")
    parser.add_argument("--rows", default="", help="only the conditions whose label matches this regular expression")
    parser.add_argument("--by-sender", action="store_true", help="a row per condition and sender")
    parser.add_argument("--keep", action="store_true", help="keep the recordings and print their folder")
    args = parser.parse_args()
    for program in (args.cli, args.sim):
        if not shutil.which(program):
            sys.exit(f"cer-table.py: no program {program}")
    senders = [s for s in args.senders.split(",") if s]
    rows = [r for r in conditions() if re.search(args.rows, r.label)]
    use_fldigi = args.fldigi != "none" and os.access(FLDIGI, os.X_OK) and shutil.which("fldigi")
    if args.fldigi != "none" and not use_fldigi:
        print("cer-table.py: fldigi not found, its column is left out", file=sys.stderr)

    folder = tempfile.mkdtemp(prefix="cer-table-")
    harness = Harness(args, folder)
    totals = {}  # (row, column) -> [errors, characters]
    lock = threading.Lock()

    def label(row, sender):
        return f"{row.label}, sent by {sender}" if args.by_sender else row.label

    def add(row, sender, column, sent, got):
        e, n = score(sent, got)
        with lock:
            t = totals.setdefault((label(row, sender), column), [0, 0])
            t[0] += e
            t[1] += n

    fldigi_pool = concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.fldigi_jobs))
    fldigi_futures = []

    def one(row, sender, seed):
        rec, sent, genie = harness.record(row, sender, seed)
        add(row, sender, "genie", sent, genie)
        for column, got in harness.decode(row, rec).items():
            add(row, sender, column, sent, got)
        if use_fldigi and (args.fldigi == "all" or (seed == 1 and (sender == senders[0] or args.by_sender))):
            fldigi_futures.append(fldigi_pool.submit(lambda: add(row, sender, "fldigi", sent, harness.fldigi(row, rec))))

    try:
        with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, args.jobs)) as pool:
            work = [pool.submit(one, r, s, seed) for r in rows for s in senders for seed in range(1, args.seeds + 1)]
            for f in work:
                f.result()
        for f in fldigi_futures:
            f.result()
    finally:
        fldigi_pool.shutdown()
        if args.keep:
            print(f"recordings kept in {folder}", file=sys.stderr)
        else:
            shutil.rmtree(folder, ignore_errors=True)

    columns = [("morvane", f"Morvane `{os.path.basename(args.cli)} decode --auto`")]
    if args.extra:
        columns.append(("extra", args.extra_name))
    columns.append(("minimodem", "minimodem --rx"))
    if use_fldigi:
        only = "seed 1" if args.by_sender else f"seed 1, {senders[0]} only"
        columns.append(("fldigi", "fldigi" if args.fldigi == "all" else f"fldigi ({only})"))
    columns.append(("genie", "genie"))
    print(f"CER: edit distance / characters sent, {args.seeds} seed(s) x senders {', '.join(senders)}; "
          f"texts of {min(len(t) for t in TEXTS)} ... {max(len(t) for t in TEXTS)} characters")
    print()
    print("| condition | characters | " + " | ".join(title for _, title in columns) + " |")
    print("|---|---:|" + "---:|" * len(columns))
    for name in [label(r, s) for r in rows for s in (senders if args.by_sender else senders[:1])]:
        chars = totals.get((name, "genie"), [0, 0])[1]
        cells = []
        for key, _ in columns:
            e, n = totals.get((name, key), [0, 0])
            cells.append(f"{100.0 * e / n:.1f} %" if n else "-")
        print(f"| {name} | {chars} | " + " | ".join(cells) + " |")


if __name__ == "__main__":
    main()
