#!/usr/bin/python3
"""CER table: morvane-cli decode --auto vs minimodem --rx (true tones) on gen.py recordings."""
import argparse, subprocess, os, sys, re

def norm(s):
    s = s.replace('\r', '\n'); s = re.sub(r'\n+', ' ', s); s = re.sub(r'[ \t]+', ' ', s)
    return s.strip().upper()

def edit(a, b):
    prev = list(range(len(b) + 1))
    for i, ca in enumerate(a, 1):
        cur = [i]
        for j, cb in enumerate(b, 1):
            cur.append(min(prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + (ca != cb)))
        prev = cur
    return prev[-1]

def run(cmd):
    try:
        r = subprocess.run(cmd, capture_output=True, timeout=300)
        return r.stdout.decode('utf-8', 'replace')
    except subprocess.TimeoutExpired:
        return ''

TEXT = "CQ CQ DE MORVANE MORVANE PSE K RYRYRYRY THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 40712 WJNYH 1234567890 END"

def main():
    p = argparse.ArgumentParser(); p.add_argument('--cli', default='build/cli/morvane-cli')
    p.add_argument('--seeds', type=int, default=3); p.add_argument('--rows', default='all')
    p.add_argument('--extra', default=''); p.add_argument('--out', default='/tmp/morvane-receiver-cer')
    a = p.parse_args(); os.makedirs(a.out, exist_ok=True)
    rows = [
      # name, gen args, mark, space, baud, minimodem mode args
      ('awgn0 170 45', '--snr 0', 2125, 2295, 45.45),
      ('awgn-6 170 45', '--snr -6', 2125, 2295, 45.45),
      ('fade+10 170 45', '--snr 10 --spread 1 --delay 2', 2125, 2295, 45.45),
      ('fade+3 170 45', '--snr 3 --spread 1 --delay 2', 2125, 2295, 45.45),
      ('fade+10 450 50', '--snr 10 --spread 1 --delay 2 --baud 50', 1275, 1725, 50),
      ('fade+3 450 50', '--snr 3 --spread 1 --delay 2 --baud 50', 1275, 1725, 50),
      ('fade+10 850 50', '--snr 10 --spread 1 --delay 2 --baud 50', 1000, 1850, 50),
      ('fade+3 850 50', '--snr 3 --spread 1 --delay 2 --baud 50', 1000, 1850, 50),
      ('carrier+15 300Hz', '--snr 10 --carrier 2595', 2125, 2295, 45.45),
      ('neighbour+6 400Hz (tones given)', '--snr 10 --neighbour 400', 2125, 2295, 45.45),
      ('lead/tail noise', '--snr 0 --lead 1 --tail 1', 2125, 2295, 45.45),
      ('drift 20Hz/min', '--snr 6 --drift 20', 2125, 2295, 45.45),
      ('awgn-6 1500/2000 50 noise 1s', '--snr -6 --lead 1 --tail 1 --baud 50', 1500, 2000, 50),
      ('awgn-10 1500/2000 50 noise 1s', '--snr -10 --lead 1 --tail 1 --baud 50', 1500, 2000, 50),
    ]
    if a.rows != 'all': rows = [r for r in rows if re.search(a.rows, r[0])]
    tot_m = tot_r = 0.0
    print('| row | CER morvane --auto | CER minimodem (true tones) |'); print('|---|---:|---:|')
    for name, g, mark, space, baud in rows:
        em = er = n = 0
        for seed in range(1, a.seeds + 1):
            wav = os.path.join(a.out, re.sub(r'\W+', '_', name) + f'_{seed}.wav')
            gargs = g.split()
            if '--baud' not in gargs: gargs += ['--baud', str(baud)]
            subprocess.run(['/usr/bin/python3', os.path.join(os.path.dirname(os.path.abspath(__file__)), 'receiver-recordings.py'), '-o', wav, '--text', TEXT, '--mark', str(mark),
                            '--space', str(space), '--seed', str(seed)] + gargs, check=True)
            given = ['--low', str(min(mark, space)), '--high', str(max(mark, space))] if 'given' in name else []
            mine = run([a.cli, 'decode', wav, '--auto'] + given + a.extra.split())
            mm = run(['minimodem', '--rx', '-q', '-f', wav, '-M', str(mark), '-S', str(space), '--baudot',
                      '--stopbits', '1.5', str(baud)])
            ref = norm(TEXT)
            em += edit(norm(mine), ref); er += edit(norm(mm), ref); n += len(ref)
        tot_m += 100.0 * em / n; tot_r += 100.0 * er / n
        print(f'| {name} | {100.0*em/n:.1f} % | {100.0*er/n:.1f} % |'); sys.stdout.flush()
    print(f'| sum | {tot_m:.1f} % | {tot_r:.1f} % |')

if __name__ == '__main__': main()
