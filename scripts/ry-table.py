#!/usr/bin/python3
"""The RY tuning pattern read by decode --auto: every code, usual rate and stop
length, made by our synthesiser and by minimodem --tx. A reading is right when
rate, code and the text RYRY… all come out; a wrong one must say so with a low
quality. Usage: scripts/ry-table.py [--cli build/cli/morvane-cli] [--pairs 30]"""
import argparse, os, re, subprocess, tempfile

CODES = ['baudot', 'ascii7', 'ascii8']
RATES = [45.45, 50, 75, 100, 150]
STOPS = ['1', '1.5', '2']
NAMES = {'baudot': 'Baudot', 'ascii7': 'ASCII 7-bit', 'ascii8': 'ASCII 8-bit'}


def make(tool, code, baud, stop, text, path, rate):
    if tool == 'synth':
        args = [CLI, 'synth', '--text', text, '--baud', str(baud), '--stop-bits', stop, '-o', path]
        if code != 'baudot': args += ['--code', code]
        subprocess.run(args, check=True, capture_output=True)
        return
    args = ['minimodem', '--tx', '-q', '-f', path, '-R', str(rate), '--stopbits', stop]
    args += {'baudot': ['--baudot'], 'ascii7': ['-7'], 'ascii8': ['--ascii']}[code]
    args.append(str(baud))
    subprocess.run(args, input=text.encode(), check=True, capture_output=True)


def read(path):
    r = subprocess.run([CLI, 'decode', path, '--auto'], capture_output=True, text=True)
    header = [l for l in r.stderr.splitlines() if ' Bd ' in l]
    return r.returncode, r.stdout, header[0] if header else r.stderr.strip().splitlines()[-1:]


def main():
    global CLI
    p = argparse.ArgumentParser()
    p.add_argument('--cli', default='build/cli/morvane-cli')
    p.add_argument('--pairs', type=int, default=30)
    p.add_argument('--rate', type=int, default=48000, help='minimodem sample rate')
    p.add_argument('--tools', default='synth,minimodem')
    a = p.parse_args()
    CLI = a.cli
    text = 'RY' * a.pairs
    fd, path = tempfile.mkstemp(suffix='.wav'); os.close(fd)
    right = total = sure_wrong = 0
    for tool in a.tools.split(','):
        for code in CODES:
            for baud in RATES:
                for stop in STOPS:
                    make(tool, code, baud, stop, text, path, a.rate)
                    status, out, header = read(path)
                    h = header if isinstance(header, str) else ' '.join(header)
                    m = re.search(r'quality ([0-9.]+)', h)
                    quality = float(m.group(1)) if m else 0.0
                    bd = re.search(r'· ([0-9.]+) Bd', h)
                    ok = (status == 0 and bd and abs(float(bd.group(1)) / baud - 1) < 0.02 and
                          (NAMES[code] + ' ·') in (h + ' ·') and 'RYRYRYRY' in out)
                    total += 1
                    right += bool(ok)
                    wrong_sure = not ok and status == 0 and quality >= 0.8
                    sure_wrong += wrong_sure
                    mark = 'ok ' if ok else ('BAD' if wrong_sure else 'low')
                    shown = out.replace('\r\n', '|')[:40]
                    print(f'{mark} {tool:9} {code:7} {baud:6} {stop:3} {h[13:] if ok or status == 0 else h}  {shown!r}',
                          flush=True)
    os.remove(path)
    print(f'right {right}/{total}; wrong with quality >= 0.8: {sure_wrong}')


if __name__ == '__main__':
    main()
