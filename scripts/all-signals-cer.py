#!/usr/bin/python3
"""CER per signal of `decode --auto --all` on recordings holding three and six
keyed signals at once (mixed rates, shifts, codes and levels; made by
minimodem --tx and morvane-cli synth; each faded on its own, then mixed and
put in noise), against the same signals read one at a time (each alone in
the same fading and noise level, `decode --auto`). Also two stations 400 Hz
apart, the wanted one 6 dB weaker. Beside them minimodem, given each
signal's tones, rate and code, on the same mix ("genie" help: it is told what
the scanner has to find). Fading is summed over two seeds.

    scripts/all-signals-cer.py build/cli/morvane-cli
"""
import array, math, os, re, subprocess, sys, wave

OUT = '/tmp/morvane-all-signals'

WORDS = ('CQ DE MORVANE THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 73 RYRY WEATHER WIND NW 12 KT '
         'PRESSURE 1012 FALLING SEA STATE 4 VISIBILITY GOOD TEST 40712 WJNYH').split()

def text(seed, n):
    out, i = [], seed
    while len(' '.join(out)) < n:
        i = (i * 1103515245 + 12345) % 2**31
        out.append(WORDS[i % len(WORDS)])
    return ' '.join(out)

# name, source (synth|minimodem), low, high, mark is high?, baud, code, level dB, start s, chars
SIX = [
    ('rtty 45 170', 'minimodem', 500, 670, True, 45.45, 'baudot', -6, 0, 90),
    ('baudot 50 450', 'synth', 900, 1350, False, 50, 'baudot', 0, 3, 90),
    ('ascii 100 200', 'synth', 1600, 1800, True, 100, 'ascii7', -3, 0, 180),
    ('ascii 110 200 8N1', 'minimodem', 2100, 2300, True, 110, 'ascii8', -3, 6, 180),
    ('baudot 75 850', 'synth', 2500, 3350, False, 75, 'baudot', -6, 2, 130),
    ('rtty 45 170 high', 'minimodem', 3600, 3770, True, 45.45, 'baudot', -9, 4, 70),
]
THREE = [SIX[0], SIX[1], SIX[2]]

def run(cmd, **kw):
    return subprocess.run(cmd, capture_output=True, timeout=600, **kw)

def read_wav(path):
    with wave.open(path) as w:
        assert w.getframerate() == 48000 and w.getsampwidth() == 2 and w.getnchannels() == 1, path
        a = array.array('h'); a.frombytes(w.readframes(w.getnframes())); return a

def write_wav(path, a):
    with wave.open(path, 'wb') as w:
        w.setnchannels(1); w.setsampwidth(2); w.setframerate(48000); w.writeframes(a.tobytes())

def make_signal(cli, row, i, seconds):
    name, src, low, high, mark_high, baud, code, db, start, chars = row
    mark, space = (high, low) if mark_high else (low, high)
    sent = text(i + 1, chars)
    raw = os.path.join(OUT, f'sig{i}.wav')
    if src == 'minimodem':
        mode = ['rtty'] if baud == 45.45 else [str(baud), '-8' if code == 'ascii8' else '-7']
        run(['minimodem', '--tx', '-R', '48000', '-f', raw, '-M', str(mark), '-S', str(space)] + mode,
            input=sent.encode(), check=True)
    else:
        run([cli, 'synth', '--text', sent, '--mark', str(mark), '--space', str(space), '--baud', str(baud),
             '--code', code, '--stop-bits', '1' if code != 'baudot' else '1.5', '-o', raw], check=True)
    # Placed at its start time in a recording of the common length.
    a = read_wav(raw)
    placed = array.array('h', bytes(2 * int(start * 48000))) + a
    placed += array.array('h', bytes(2 * max(0, int(seconds * 48000) - len(placed))))
    write_wav(raw, placed[:int(seconds * 48000)])
    on = min(len(a), int(seconds * 48000) - int(start * 48000)) / (seconds * 48000)
    return raw, sent, 10 * math.log10(on)

def fade(cli, raw, i, fading):
    out = raw.replace('.wav', '-faded.wav')
    run([cli, 'channel', raw, '--channel', fading, '--seed', str(10 + i), '-o', out], check=True)
    return out

def minimodem_rx(path, row):
    """minimodem told the signal's tones, rate and code, reading `path`."""
    name, src, low, high, mark_high, baud, code, db, start, chars = row
    mark, space = (high, low) if mark_high else (low, high)
    if code == 'baudot':
        mode = ['--baudot', '--stopbits', '1.5', str(baud)]
    else:
        mode = ['-7' if code == 'ascii7' else '-8', '--stopbits', '1', str(baud)]
    r = run(['minimodem', '--rx', '-q', '-f', path, '-M', str(mark), '-S', str(space)] + mode)
    return r.stdout.decode('utf-8', 'replace')

def norm(s):
    s = s.replace('\r', '\n'); s = re.sub(r'\s+', ' ', s); return s.strip().upper()

def edit(a, b):
    prev = list(range(len(b) + 1))
    for i, ca in enumerate(a, 1):
        cur = [i]
        for j, cb in enumerate(b, 1):
            cur.append(min(prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + (ca != cb)))
        prev = cur
    return prev[-1]

def cer(sent, got):
    return edit(norm(sent), norm(got)) / max(1, len(norm(sent)))

def blocks(output):
    """(low tone, text) of every '== ' block."""
    out = []
    for part in re.split(r'^== ', output, flags=re.M)[1:]:
        head, _, body = part.partition('\n')
        m = re.search(r'([\d.]+)/([\d.]+) Hz', head)
        out.append((float(m.group(1)), head.strip(), body))
    return out

def table(cli, rows, snr, fading, label, seeds=(0,)):
    """CER per signal, summed over the seeds (one fading recording is one draw)."""
    seconds = 34
    made = [make_signal(cli, r, i, seconds) for i, r in enumerate(rows)]
    errors = {}
    for seed in seeds:
        for key, value in one_draw(cli, rows, made, snr, fading, seed, seconds).items():
            if key == 'extra':
                errors.setdefault(key, []).extend(value)
            else:
                errors[key] = [a + b for a, b in zip(errors.get(key, [0, 0, 0, 0]), value)]
    print(f'\n{label}: {len(rows)} signals, {fading} fading, SNR of the 0 dB signal {snr} dB (3 kHz); '
          f'seeds {list(seeds)}\n')
    print('| signal | tones | level | CER --all | CER alone | minimodem (told the signal) |')
    print('|---|---|---:|---:|---:|---:|')
    for i, row in enumerate(rows):
        e_all, e_one, e_mm, total = errors[i]
        print(f'| {row[0]} ({row[1]}) | {row[2]}/{row[3]} | {row[7]} dB | {100 * e_all / total:.1f} % | '
              f'{100 * e_one / total:.1f} % | {100 * e_mm / total:.1f} % |')
    for extra in errors.get('extra', []):
        print(f'| (none sent) | {extra} | | | | |')

def one_draw(cli, rows, made, snr, fading, seed, seconds):
    faded = [fade(cli, m[0], i + 10 * seed, fading) if fading != 'none' else m[0] for i, m in enumerate(made)]
    # Levels are the power while a signal is on; the channel's are over the whole recording.
    mean_db = [r[7] + m[2] for r, m in zip(rows, made)]
    ref_db = mean_db[0]
    mix = os.path.join(OUT, f'mix-{len(rows)}-{fading}-{seed}.wav')
    mixes = []
    for i in range(1, len(rows)):
        mixes += ['--mix', f'{faded[i]}:{mean_db[i] - ref_db:.2f}:0']
    run([cli, 'channel', faded[0], '--snr', f'{snr + ref_db:.2f}', '--seed', str(77 + seed), '-o', mix] + mixes, check=True)
    got = blocks(run([cli, 'decode', mix, '--auto', '--all']).stdout.decode('utf-8', 'replace'))
    out = {}
    for i, (row, (raw, sent, _)) in enumerate(zip(rows, made)):
        alone = os.path.join(OUT, f'alone{i}-{fading}-{seed}.wav')
        run([cli, 'channel', faded[i], '--snr', f'{snr + mean_db[i]:.2f}', '--seed', str(100 + i + 10 * seed), '-o', alone], check=True)
        one = run([cli, 'decode', alone, '--auto']).stdout.decode('utf-8', 'replace')
        match = [b for b in got if abs(b[0] - row[2]) < 40]
        n = len(norm(sent))
        e_all = edit(norm(sent), norm(match[0][2])) if match else n
        out[i] = [e_all, edit(norm(sent), norm(one)), edit(norm(sent), norm(minimodem_rx(mix, row))), n]
    out['extra'] = [b[1] for b in got if not any(abs(b[0] - r[2]) < 40 for r in rows)]
    return out

def neighbours(cli):
    """Two stations 400 Hz apart, the wanted one 6 dB weaker."""
    rows = [('wanted 45 170', 'synth', 1200, 1370, True, 45.45, 'baudot', 0, 0, 90),
            ('stronger 45 170', 'minimodem', 1600, 1770, True, 45.45, 'baudot', 6, 0, 110)]
    table(cli, rows, 10, 'none', 'Neighbours 400 Hz apart')

def main():
    cli = sys.argv[1] if len(sys.argv) > 1 else 'build/cli/morvane-cli'
    os.makedirs(OUT, exist_ok=True)
    for rows in (THREE, SIX):
        table(cli, rows, 10, 'none', 'Mixed')
        table(cli, rows, 10, 'moderate', 'Mixed', seeds=(0, 1))
    neighbours(cli)

if __name__ == '__main__':
    main()
