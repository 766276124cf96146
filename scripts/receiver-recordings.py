#!/usr/bin/python3
"""Test recordings: minimodem --tx, then fading, noise, carriers, neighbours (numpy)."""
import argparse, subprocess, wave, numpy as np, os, tempfile

def mm_tx(text, mark, space, baud, mode, stop, rate=48000):
    fd, path = tempfile.mkstemp(suffix='.wav'); os.close(fd)
    args = ['minimodem', '--tx', '-f', path, '-R', str(rate), '-M', str(mark), '-S', str(space)]
    if mode == 'baudot': args += ['--baudot', '--stopbits', str(stop)]
    elif mode == 'ascii8': args += ['--ascii', '--stopbits', str(stop)]
    elif mode == 'ascii7': args += ['-7', '--stopbits', str(stop)]
    args.append(str(baud))
    subprocess.run(args, input=text.encode(), check=True)
    with wave.open(path) as w:
        x = np.frombuffer(w.readframes(w.getnframes()), dtype=np.int16).astype(np.float64) / 32768.0
    os.remove(path)
    return x

def analytic(x):
    n = len(x); X = np.fft.fft(x); h = np.zeros(n); h[0] = 1
    if n % 2 == 0: h[n//2] = 1; h[1:n//2] = 2
    else: h[1:(n+1)//2] = 2
    return np.fft.ifft(X * h)

def tap(n, rate, spread, rng):
    if spread <= 0: return np.ones(n, complex)
    fr = 200.0; m = int(n / rate * fr) + 4
    g = (rng.standard_normal(m) + 1j * rng.standard_normal(m))
    G = np.fft.fft(g); f = np.fft.fftfreq(m, 1 / fr)
    sigma = spread / 2.0
    G *= np.exp(-f**2 / (2 * sigma**2))
    g = np.fft.ifft(G); g /= np.sqrt(np.mean(np.abs(g)**2))
    t = np.arange(n) / rate * fr
    return np.interp(t, np.arange(m), g.real) + 1j * np.interp(t, np.arange(m), g.imag)

def watterson(x, rate, spread, delay_ms, rng):
    a = analytic(x); n = len(x); d = int(round(delay_ms * 1e-3 * rate))
    g1 = tap(n, rate, spread, rng); g2 = tap(n, rate, spread, rng)
    a2 = np.concatenate([np.zeros(d, complex), a[:n - d]]) if d > 0 else a
    return np.real((g1 * a + g2 * a2) / np.sqrt(2.0))

def main():
    p = argparse.ArgumentParser()
    p.add_argument('-o', required=True); p.add_argument('--text', required=True)
    p.add_argument('--mark', type=float, default=2125); p.add_argument('--space', type=float, default=2295)
    p.add_argument('--baud', type=float, default=45.45); p.add_argument('--mode', default='baudot')
    p.add_argument('--stop', type=float, default=1.5)
    p.add_argument('--snr', type=float, default=None); p.add_argument('--seed', type=int, default=1)
    p.add_argument('--spread', type=float, default=0); p.add_argument('--delay', type=float, default=0)
    p.add_argument('--lead', type=float, default=0); p.add_argument('--tail', type=float, default=0)
    p.add_argument('--carrier', type=float, default=None); p.add_argument('--carrier-db', type=float, default=15)
    p.add_argument('--neighbour', type=float, default=None, help='offset Hz of a second FSK signal')
    p.add_argument('--neighbour-db', type=float, default=6)
    p.add_argument('--drift', type=float, default=0, help='Hz per minute')
    p.add_argument('--gap', type=float, default=0, help='seconds of noise between two copies')
    a = p.parse_args(); rate = 48000; rng = np.random.default_rng(a.seed)
    x = mm_tx(a.text, a.mark, a.space, a.baud, a.mode, a.stop)
    if a.gap > 0: x = np.concatenate([x, np.zeros(int(a.gap * rate)), x])
    ps = np.mean(x**2)
    if a.drift:
        t = np.arange(len(x)) / rate; an = analytic(x)
        x = np.real(an * np.exp(2j * np.pi * 0.5 * (a.drift / 60.0) * t**2))
    if a.spread > 0: x = watterson(x, rate, a.spread, a.delay, rng)
    extra = np.zeros(len(x))
    if a.neighbour is not None:
        y = mm_tx(a.text[::-1] + ' ' + a.text, a.mark + a.neighbour, a.space + a.neighbour, a.baud, a.mode, a.stop)
        y = np.resize(y, len(x)) if len(y) < len(x) else y[:len(x)]
        extra += y * np.sqrt(10**(a.neighbour_db / 10))
    if a.carrier is not None:
        t = np.arange(len(x)) / rate
        extra += np.sqrt(2 * ps * 10**(a.carrier_db / 10)) * np.cos(2 * np.pi * a.carrier * t + 0.3)
    x = x + extra
    x = np.concatenate([np.zeros(int(a.lead * rate)), x, np.zeros(int(a.tail * rate))])
    if a.snr is not None:
        x = x + rng.standard_normal(len(x)) * np.sqrt(ps / 10**(a.snr / 10) * (rate / 2) / 3000.0)
    peak = np.max(np.abs(x)); x = x / peak * 0.7 if peak > 0 else x
    with wave.open(a.o, 'wb') as w:
        w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate)
        w.writeframes((np.clip(x, -1, 1) * 32767).astype(np.int16).tobytes())

if __name__ == '__main__': main()
