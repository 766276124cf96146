#!/usr/bin/env python3
"""Character error rate of SITOR-B / NAVTEX read by morvane-cli, with and
without the DX/RX time diversity, through white noise and the channel
simulator's fading presets, and how far into noise `decode --auto` still
recognises the code.

    scripts/sitor-cer.py --cli build/cli/morvane-cli [--seeds 5] [--fldigi]

Every recording: `synth --code sitor-b --navtex EA01` of the text below
(mark 1785 Hz, space 1615 Hz, 100 baud), through `--channel C --snr S
--seed N`. CER: edit distance between the message decoded (`decode --code
sitor-b --low 1615 --high 1785 --diversity D`) and the message sent, summed
over the seeds, over the characters sent. `--fldigi` adds fldigi's NAVTEX
decoder (scripts/fldigi-rx-modem.py, real time) on the first seed.
`--fldigi-sender` adds rows for a recording of fldigi's own NAVTEX
transmitter (scripts/fldigi-tx-modem.py, which wraps the text in its own
ZCZC header) put through `morvane-cli channel`, against the text fldigi
sends; its clean row shows what the recording itself lost (fldigi's sound
through the private sound server can drop a few words).
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

TEXT = ("NAVAREA III 123/26 WESTERN MEDITERRANEAN. GALE WARNING: NORTHWEST WINDS 8 TO 9, "
        "LOCALLY 10 IN GULF OF LION, VEERING NORTH LATER. SEA VERY ROUGH. "
        "WRECK IN 43-12.5N 005-33.1E, BUOYED. GIVE A WIDE BERTH 0.5 NM.")
SENT = "ZCZC EA01\r\n" + TEXT + "\r\nNNNN\r\n\r\n"


def distance(a, b):
    row = list(range(len(b) + 1))
    for i in range(1, len(a) + 1):
        diag, row[0] = row[0], i
        for j in range(1, len(b) + 1):
            up = row[j]
            row[j] = min(row[j] + 1, row[j - 1] + 1, diag + (a[i - 1] != b[j - 1]))
            diag = up
    return row[len(b)]


class Out:
    def __init__(self, r):
        self.returncode = r.returncode
        self.stdout = r.stdout.decode('utf-8', 'replace')  # line ends as printed
        self.stderr = r.stderr.decode('utf-8', 'replace')


def run(args):
    return Out(subprocess.run(args, capture_output=True))


def sent_recording(cli, tmp, channel, snr):
    def make(seed):
        wav = os.path.join(tmp, 'sent.wav')
        synth = [cli, 'synth', '--code', 'sitor-b', '--navtex', 'EA01', '--text', TEXT, '--snr', str(snr),
                 '--seed', str(seed), '-o', wav]
        if channel != 'none':
            synth += ['--channel', channel]
        subprocess.run(synth, check=True)
        return wav
    return make


def channel_recording(cli, tmp, clean, channel, snr):
    def make(seed):
        wav = os.path.join(tmp, 'through.wav')
        subprocess.run([cli, 'channel', clean, '--channel', channel, '--snr', str(snr), '--seed', str(seed),
                        '-o', wav], check=True)
        return wav
    return make


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument('--cli', default='build/cli/morvane-cli')
    ap.add_argument('--seeds', type=int, default=5)
    ap.add_argument('--fldigi', action='store_true')
    ap.add_argument('--fldigi-sender', action='store_true')
    ap.add_argument('--detect-snr', default='0,-3,-6,-8,-10,-12')
    a = ap.parse_args()
    here = os.path.dirname(os.path.abspath(__file__))
    conditions = [('awgn', 'none', s) for s in (10, 0, -3, -6, -8)] + \
                 [(c, c, s) for c in ('good', 'moderate', 'poor', 'flutter') for s in (10, 3, 0)]
    tmp = tempfile.mkdtemp(prefix='sitor-cer-')
    print('| condition | SNR (dB) | margin (default) | valid copy | first copy only |%s' %
          (' margin, seed 1 | fldigi, seed 1 |' if a.fldigi else ''))
    print('|---|---:|---:|---:|---:|%s' % ('---:|---:|' if a.fldigi else ''))
    rows = [(name, snr, sent_recording(a.cli, tmp, channel, snr), SENT) for name, channel, snr in conditions]
    if a.fldigi_sender:
        clean = os.path.join(tmp, 'fldigi-clean.wav')
        subprocess.run([os.path.join(here, 'fldigi-tx-modem.py'), '--modem', 'NAVTEX', '--carrier', '1700',
                        '--text', TEXT, '-o', clean], check=True)
        # fldigi wraps the text in its own header (ZCZC ZI01 ... NNNN).
        reference = 'ZCZC ZI01\r\n' + TEXT + '\r\nNNNN\r\n\r\n'
        rows.append(('fldigi-sent clean', 99, lambda seed: shutil.copy(clean, os.path.join(tmp, 'copy.wav')), reference))
        for c, snr in [('none', 0), ('none', -6), ('moderate', 3), ('poor', 3), ('flutter', 3)]:
            rows.append(('fldigi-sent ' + (c if c != 'none' else 'awgn'), snr, channel_recording(a.cli, tmp, clean, c, snr),
                         reference))
    for name, snr, make, sent in rows:
        errors = {'margin': 0, 'valid': 0, 'off': 0}
        fl = first = None
        for seed in range(1, a.seeds + 1):
            wav = make(seed)
            for d in errors:
                r = run([a.cli, 'decode', wav, '--code', 'sitor-b', '--low', '1615', '--high', '1785', '--diversity', d])
                e = distance(r.stdout[:-2] if r.returncode == 0 else '', sent)
                errors[d] += e
                if seed == 1 and d == 'margin':
                    first = e / len(sent)
            if a.fldigi and seed == 1:
                r = run([os.path.join(here, 'fldigi-rx-modem.py'), wav, '--mark', '1785', '--space', '1615',
                         '--baud', '100', '--modem', 'NAVTEX'])
                got = r.stdout.replace('\r\n', '\n').replace('\n', '\r\n')
                fl = distance(got, sent) / len(sent)
            os.remove(wav)
        n = a.seeds * len(sent)
        cells = ' | '.join('%.1f %%' % (100.0 * errors[d] / n) for d in ('margin', 'valid', 'off'))
        extra = (' %.1f %% | %.1f %% |' % (100 * first, 100 * fl)) if fl is not None else ''
        print('| %s | %s | %s |%s' % (name, 'clean' if snr == 99 else '%+d' % snr, cells, extra))
        sys.stdout.flush()
    print()
    print('| SNR (dB) | recognised by decode --auto (of %d) |' % a.seeds)
    print('|---:|---:|')
    for snr in [float(s) for s in a.detect_snr.split(',')]:
        found = 0
        for seed in range(1, a.seeds + 1):
            wav = os.path.join(tmp, 'detect.wav')
            subprocess.run([a.cli, 'synth', '--code', 'sitor-b', '--navtex', 'EA01', '--text', TEXT, '--snr',
                            str(snr), '--seed', str(seed), '-o', wav], check=True)
            r = run([a.cli, 'decode', wav, '--auto'])
            found += 'code: sitor-b (' in r.stderr
        print('| %+g | %d |' % (snr, found))
        sys.stdout.flush()
    shutil.rmtree(tmp, ignore_errors=True)


if __name__ == '__main__':
    main()
