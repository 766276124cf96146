#!/usr/bin/env python3
"""fldigi-tx-modem -- make a recording of fldigi transmitting TEXT in one of its modems (NAVTEX, SITORB,
RTTY ...), headless: fldigi plays into a private null sink whose monitor parec records (48 kHz mono).
Built on /work/shared/tools/fldigi-rx (same private Xvfb, PulseAudio and XML-RPC set-up).

    fldigi-tx-modem.py --modem NAVTEX --carrier 1700 --text "ZCZC EA01 ..." -o out.wav


Measurement harness only (reference decoder for CER comparisons).

    fldigi-rx WAV --mark HZ --space HZ --baud B [--stop-bits 1|1.5|2] [--timeout S]

Prints the text fldigi decoded to standard output and exits 0.

What it does, all inside one private temporary folder that is removed at the end:
  * starts its own Xvfb (free display number chosen by Xvfb itself, -displayfd),
  * starts its own PulseAudio server (-n; a null sink 'fldigirx' whose monitor is
    the default source, a second null sink 'fldigiout' as default sink so that
    fldigi's own playback stream can never reach its input; unix socket in the
    temp folder; PULSE_SERVER/PULSE_RUNTIME_PATH/HOME/XDG_* point there, autospawn
    and D-Bus off), so no other sound server is touched,
  * writes a fresh fldigi config (fldigi_def.xml) with the RTTY settings, starts
    fldigi with --config-dir/--home-dir in the temp folder, XML-RPC on a free port,
  * sets the modem over XML-RPC (RTTY, carrier=(mark+space)/2, reverse when the
    mark is the lower tone, AFC off, squelch off, RX only; --afc / --squelch LEVEL
    give fldigi's out-of-the-box behaviour, which is AFC on and squelch on at 5),
  * plays the WAV (with 1 s of silence before and 1.5 s after) into 'fldigirx'
    with paplay (2 s buffer: a small one underruns when the CPU is busy, which
    drops characters); fldigi captures the monitor in real time,
  * reads the RX text widget (text.get_rx) and prints it,
  * stops fldigi, PulseAudio and Xvfb by their pids.

Exit status: 0 ok; 2 bad arguments / unsupported setting; 3 timeout (partial
text is still printed); 4 infrastructure failure (Xvfb/PulseAudio/fldigi).
Needs: fldigi (4.1.x), Xvfb, pulseaudio, paplay/pactl (pulseaudio-utils), python3.

fldigi 4.1.23 RTTY receiver, for the record: mark and space are mixed to baseband
and filtered separately (raised-cosine FFT filters, 512 taps at 8 kHz for <=110 Bd),
then an "optimal ATC" (automatic threshold correction, Kok Chen) decision; that
demodulator is hard-wired in 4.1.23 (the KAHNDEMOD key and the 'Filter Shape
Factor' box exist in the config but the receive code does not read them).
User options that do act: AFC on/off + speed, squelch on/off + level, Decode
Mark-Space / Mark only / Space only, RX unshift-on-space.  This script keeps
fldigi's defaults for all of them except AFC and squelch (off, see above).
"""
import argparse
import os
import random
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import wave
import xmlrpc.client

# fldigi 4.1.23 rtty.cxx tables (index in fldigi_def.xml -> value)
FLDIGI_SHIFTS = [23, 85, 160, 170, 182, 200, 240, 350, 425, 850]   # index 10 = custom
FLDIGI_BAUDS = [45, 45.45, 50, 56, 75, 100, 110, 150, 200, 300]
FLDIGI_STOPS = {1.0: 0, 1.5: 1, 2.0: 2}

SINK = 'fldigirx'          # paplay plays the file here; fldigi records its monitor
OUTSINK = 'fldigiout'      # fldigi's own playback stream goes here, never into SINK
VERBOSE = False


def log(msg):
    if VERBOSE:
        sys.stderr.write('fldigi-rx: %s\n' % msg)
        sys.stderr.flush()


def die(code, msg):
    sys.stderr.write('fldigi-rx: error: %s\n' % msg)
    raise SystemExit(code)


def free_port():
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.bind(('127.0.0.1', 0))
    port = s.getsockname()[1]
    s.close()
    return port


def pad_wav(src, dst, lead_s, tail_s):
    """Copy a PCM WAV with silence before/after; return (duration_s, rate)."""
    with wave.open(src, 'rb') as w:
        nch, sw, rate, n = w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes()
        data = w.readframes(n)
    zero = b'\x80' if sw == 1 else b'\x00' * sw
    lead = zero * nch * int(round(lead_s * rate))
    tail = zero * nch * int(round(tail_s * rate))
    with wave.open(dst, 'wb') as o:
        o.setnchannels(nch)
        o.setsampwidth(sw)
        o.setframerate(rate)
        o.writeframes(lead + data + tail)
    return n / float(rate), rate


class Procs:
    """Processes we started; stopped by pid (and their own process group)."""

    def __init__(self):
        self.items = []   # (name, Popen)

    def start(self, name, argv, **kw):
        log('start %s: %s' % (name, ' '.join(argv)))
        p = subprocess.Popen(argv, start_new_session=True, **kw)
        self.items.append((name, p))
        return p

    def stop_all(self):
        for name, p in reversed(self.items):
            if p.poll() is None:
                log('stop %s (pid %d)' % (name, p.pid))
                try:
                    os.kill(p.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    try:
                        os.kill(p.pid, signal.SIGKILL)
                    except ProcessLookupError:
                        pass
                    p.wait(timeout=5)
            # anything the process left behind in its own session/group
            try:
                os.killpg(p.pid, signal.SIGKILL)
            except (ProcessLookupError, PermissionError):
                pass
        self.items = []


def fldigi_config(pulse_server, shift_idx, custom_shift, baud_idx, stop_idx, centre):
    keys = [
        # no dialogs, no writing back, no network look-ups
        ('CONFIRMEXIT', 0), ('SAVECONFIG', 0), ('CHECK_FOR_UPDATES', 0),
        # audio: PulseAudio, our private server
        ('AUDIOIO', 2), ('PULSESERVER', pulse_server),
        ('RX_PPM', 0), ('TX_PPM', 0),
        # RSID off (it could switch the modem), start where we say
        ('RECEIVERSID', 0), ('TRANSMITRSID', 0),
        ('STARTATSWEETSPOT', 0), ('RTTYSWEETSPOT', centre),
        # RTTY: Baudot, no parity
        ('RTTYSHIFT', shift_idx), ('RTTYCUSTOMSHIFT', custom_shift),
        ('RTTYBAUD', baud_idx), ('RTTYBITS', 0), ('RTTYPARITY', 0),
        ('RTTYSTOP', stop_idx),
        # decoder options: fldigi defaults, written out explicitly
        ('RTTYFILTER', 1.25),   # raised-cosine RX filter shape factor K (default)
        ('RTTYCWI', 0),         # decode mark and space (default)
        ('RTTYAFCSPEED', 1),    # AFC speed normal (AFC itself is switched off below)
        ('UOSRX', 1),           # RX unshift-on-space (default)
        ('RX_LOWERCASE', 0),
    ]
    body = ''.join('<%s>%s</%s>\n' % (k, v, k) for k, v in keys)
    return '<FLDIGI_DEFS>\n\n' + body + '</FLDIGI_DEFS>\n'


def main():
    global VERBOSE
    ap = argparse.ArgumentParser(prog='fldigi-tx-modem', description=__doc__,
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument('--text', required=True, help='text to send (line breaks as \\n)')
    ap.add_argument('--modem', default='NAVTEX')
    ap.add_argument('--carrier', type=int, default=1700, help='audio centre, Hz')
    ap.add_argument('-o', '--output', required=True, help='WAV to write (48 kHz, 16 bit, mono)')
    ap.add_argument('--timeout', type=float, default=300.0)
    ap.add_argument('-v', '--verbose', action='store_true')
    ap.add_argument('--keep', action='store_true', help='keep the temporary folder (logs)')
    a = ap.parse_args()
    VERBOSE = a.verbose
    centre = a.carrier
    shift_idx, custom, baud_idx, stop_idx = 3, 170, 5, 0
    for tool in ('fldigi', 'Xvfb', 'pulseaudio', 'parec', 'pactl'):
        if shutil.which(tool) is None:
            die(4, '%s not found in PATH' % tool)
    tmp = tempfile.mkdtemp(prefix='fldigi-rx.')
    procs = Procs()

    def on_signal(signum, frame):
        raise SystemExit(128 + signum)
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)
    signal.signal(signal.SIGHUP, on_signal)

    rc = 0
    text = ''
    try:
        t0 = time.time()
        P = lambda *x: os.path.join(tmp, *x)
        for d in ('home', 'cfg', 'xdg', 'pulse-run', 'pulse-state'):
            os.makedirs(P(d), mode=0o700)
        deadline = t0 + a.timeout

        sock = P('pulse.sock')
        with open(P('client.conf'), 'w') as f:
            f.write('autospawn = no\n')
        env = dict(os.environ)
        for k in list(env):
            if k.startswith('PULSE_') or k in ('DISPLAY', 'XAUTHORITY', 'ALSA_CONFIG_PATH'):
                del env[k]
        env.update({
            'HOME': P('home'), 'XDG_RUNTIME_DIR': P('xdg'), 'XDG_CONFIG_HOME': P('home', '.config'),
            'PULSE_RUNTIME_PATH': P('pulse-run'), 'PULSE_STATE_PATH': P('pulse-state'),
            'PULSE_CLIENTCONFIG': P('client.conf'), 'PULSE_COOKIE': P('pulse-cookie'),
            'PULSE_SERVER': 'unix:' + sock, 'PULSE_SINK': OUTSINK, 'PULSE_SOURCE': SINK + '.monitor',
            # no D-Bus: nothing to find, and no dbus-launch autostart
            'DBUS_SESSION_BUS_ADDRESS': 'unix:path=' + P('no-dbus'),
            'DBUS_SYSTEM_BUS_ADDRESS': 'unix:path=' + P('no-dbus'),
        })

        # --- Xvfb on a display number it picks itself ---
        rfd, wfd = os.pipe()
        xlog = open(P('xvfb.log'), 'w')
        procs.start('Xvfb', ['Xvfb', '-displayfd', str(wfd), '-nolisten', 'tcp',
                             '-screen', '0', '1024x768x24'],
                    env=env, stdout=xlog, stderr=subprocess.STDOUT, pass_fds=(wfd,))
        os.close(wfd)
        buf = b''
        while time.time() < t0 + 20:
            chunk = os.read(rfd, 64)
            if not chunk:
                break
            buf += chunk
            if buf.endswith(b'\n'):
                break
        os.close(rfd)
        if not buf.strip().isdigit():
            die(4, 'Xvfb did not start (see %s)' % P('xvfb.log'))
        env['DISPLAY'] = ':' + buf.strip().decode()
        log('Xvfb display %s' % env['DISPLAY'])

        # --- private PulseAudio ---
        with open(P('pulse.pa'), 'w') as f:
            f.write('.fail\n'
                    'load-module module-null-sink sink_name=%s rate=48000 channels=1 '
                    'sink_properties=device.description=fldigi-rx\n'
                    'load-module module-null-sink sink_name=%s rate=48000 channels=1 '
                    'sink_properties=device.description=fldigi-rx-out\n'
                    'load-module module-native-protocol-unix auth-anonymous=1 socket=%s\n'
                    'set-default-sink %s\n'
                    'set-default-source %s.monitor\n' % (SINK, OUTSINK, sock, OUTSINK, SINK))
        plog = open(P('pulseaudio.log'), 'w')
        procs.start('pulseaudio', ['pulseaudio', '-n', '--daemonize=no', '--exit-idle-time=-1',
                                   '--use-pid-file=no', '--system=no', '--high-priority=no',
                                   '--realtime=no', '-F', P('pulse.pa'),
                                   '--log-target=stderr'],
                    env=env, stdout=plog, stderr=subprocess.STDOUT)
        ok = False
        while time.time() < t0 + 20:
            if os.path.exists(sock) and subprocess.call(
                    ['pactl', 'info'], env=env, stdout=subprocess.DEVNULL,
                    stderr=subprocess.DEVNULL) == 0:
                ok = True
                break
            time.sleep(0.1)
        if not ok:
            die(4, 'PulseAudio did not start (see %s)' % P('pulseaudio.log'))

        # --- fldigi with a fresh config ---
        with open(P('cfg', 'fldigi_def.xml'), 'w') as f:
            f.write(fldigi_config('unix:' + sock, shift_idx, custom, baud_idx, stop_idx, centre))
        port = free_port()
        flog = open(P('fldigi.log'), 'w')
        procs.start('fldigi', ['fldigi', '--config-dir', P('cfg') + '/', '--home-dir', P('home') + '/',
                               '--xmlrpc-server-address', '127.0.0.1', '--xmlrpc-server-port', str(port),
                               '--arq-server-port', str(free_port()),
                               '--kiss-server-port-io', str(free_port()),
                               '--kiss-server-port-o', str(free_port()),
                               '--rx-ipc-key', str(random.randint(0x10000, 0x7ffffff0)),
                               '--tx-ipc-key', str(random.randint(0x10000, 0x7ffffff0))],
                    env=env, stdout=flog, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        fl = procs.items[-1][1]
        rpc = xmlrpc.client.ServerProxy('http://127.0.0.1:%d/RPC2' % port, allow_none=True)
        ok = False
        while time.time() < t0 + 60:
            if fl.poll() is not None:
                die(4, 'fldigi exited early (rc %s, see %s)' % (fl.returncode, P('fldigi.log')))
            try:
                ver = rpc.fldigi.version()
                ok = True
                break
            except (OSError, xmlrpc.client.Error):
                time.sleep(0.3)
        if not ok:
            die(4, 'fldigi XML-RPC did not come up (see %s)' % P('fldigi.log'))
        log('fldigi %s up after %.1f s' % (ver, time.time() - t0))

        rpc.modem.set_by_name(a.modem)
        for _ in range(50):
            if rpc.modem.get_name() == a.modem:
                break
            time.sleep(0.1)
        if rpc.modem.get_name() != a.modem:
            die(4, 'fldigi did not switch to %s' % a.modem)
        time.sleep(0.5)
        rpc.main.set_afc(False)
        rpc.main.set_wf_sideband('USB')
        rpc.main.set_reverse(False)
        rpc.modem.set_carrier(centre)
        time.sleep(0.5)
        raw = P('tx.raw')
        rec = procs.start('parec', ['parec', '-d', OUTSINK + '.monitor', '--format=s16le', '--rate=48000',
                                    '--channels=1', '--raw', '--latency-msec=100'],
                          env=env, stdout=open(raw, 'wb'), stderr=open(P('parec.log'), 'w'))
        time.sleep(1.0)
        rpc.text.clear_tx()
        rpc.text.add_tx(a.text.replace('\\n', '\n') + '^r')
        rpc.main.tx()
        time.sleep(1.0)
        while rpc.main.get_trx_state() != 'RX':
            if time.time() > deadline:
                die(3, 'timeout while fldigi transmitted')
            time.sleep(0.3)
        time.sleep(3.0)  # the sound server's buffer still holds the last words
        os.kill(rec.pid, signal.SIGTERM)
        rec.wait(timeout=5)
        data = open(raw, 'rb').read()
        with wave.open(a.output, 'wb') as w:
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(48000)
            w.writeframes(data[:len(data) // 2 * 2])
        log('recorded %.1f s' % (len(data) / 96000.0))
    finally:
        procs.stop_all()
        if a.keep:
            sys.stderr.write('fldigi-rx: kept %s\n' % tmp)
        else:
            shutil.rmtree(tmp, ignore_errors=True)
    return rc


if __name__ == '__main__':
    sys.exit(main())
