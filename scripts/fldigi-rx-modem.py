#!/usr/bin/env python3
"""fldigi-rx-modem -- decode a WAV recording with fldigi, headless: RTTY as /work/shared/tools/fldigi-rx does,
or another fldigi modem (--modem NAVTEX, SITORB) at the carrier between --mark and --space.

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
    ap = argparse.ArgumentParser(
        prog='fldigi-rx', description=__doc__,
        formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument('wav')
    ap.add_argument('--mark', type=float, required=True, help='mark tone, Hz')
    ap.add_argument('--space', type=float, required=True, help='space tone, Hz')
    ap.add_argument('--baud', type=float, required=True,
                    help='one of fldigi\'s rates: ' + ', '.join('%g' % b for b in FLDIGI_BAUDS))
    ap.add_argument('--stop-bits', type=float, default=1.5, choices=[1.0, 1.5, 2.0])
    ap.add_argument('--timeout', type=float, default=None,
                    help='overall limit in seconds (default: audio length + 90)')
    ap.add_argument('--modem', default='RTTY', help="fldigi modem name (default RTTY; NAVTEX or SITORB read SITOR-B)")
    ap.add_argument('--afc', action='store_true', help='switch fldigi AFC on (default off)')
    ap.add_argument('--squelch', type=float, default=None, metavar='LEVEL',
                    help='switch fldigi squelch on at LEVEL (0-100, fldigi\'s own default is 5); default off')
    ap.add_argument('--lead', type=float, default=1.0, help='silence before the audio, s (default 1)')
    ap.add_argument('--tail', type=float, default=1.5, help='silence after the audio, s (default 1.5)')
    ap.add_argument('--play-latency-ms', type=int, default=2000,
                    help='paplay buffer; large so that a busy CPU cannot starve the playback (default 2000)')
    ap.add_argument('--keep', action='store_true', help='keep the temporary folder (logs) and print its name')
    ap.add_argument('-v', '--verbose', action='store_true', help='progress and settings on stderr')
    a = ap.parse_args()
    VERBOSE = a.verbose

    for tool in ('fldigi', 'Xvfb', 'pulseaudio', 'paplay', 'pactl'):
        if shutil.which(tool) is None:
            die(4, '%s not found in PATH' % tool)
    if not os.path.isfile(a.wav):
        die(2, 'no such file: %s' % a.wav)

    shift = abs(a.space - a.mark)
    if shift < 10:
        die(2, 'shift |space-mark| = %g Hz is too small' % shift)
    centre = int(round((a.mark + a.space) / 2.0))
    reverse = a.mark < a.space      # fldigi (USB, not reversed) expects MARK = upper tone
    baud_idx = min(range(len(FLDIGI_BAUDS)), key=lambda i: abs(FLDIGI_BAUDS[i] - a.baud))
    if abs(FLDIGI_BAUDS[baud_idx] - a.baud) > 0.01 * a.baud:
        die(2, 'fldigi cannot do %g Bd (it offers %s)' % (a.baud, ', '.join('%g' % b for b in FLDIGI_BAUDS)))
    if int(round(shift)) in FLDIGI_SHIFTS and abs(shift - round(shift)) < 1e-6:
        shift_idx, custom = FLDIGI_SHIFTS.index(int(round(shift))), int(round(shift))
    else:
        shift_idx, custom = len(FLDIGI_SHIFTS), int(round(shift))   # "custom"
    stop_idx = FLDIGI_STOPS[a.stop_bits]

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
        play = P('play.wav')
        try:
            dur, _ = pad_wav(a.wav, play, a.lead, a.tail)
        except (wave.Error, EOFError) as e:
            die(2, 'cannot read %s as PCM WAV: %s' % (a.wav, e))
        limit = a.timeout if a.timeout is not None else dur + a.lead + a.tail + 90.0
        deadline = t0 + limit

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
                    'load-module module-null-sink sink_name=%s rate=48000 channels=2 '
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

        rpc.main.rx_only()                  # never transmit into our sink
        rpc.modem.set_by_name(a.modem)
        for _ in range(50):
            if rpc.modem.get_name() == a.modem:
                break
            time.sleep(0.1)
        if rpc.modem.get_name() != a.modem:
            die(4, 'fldigi did not switch to %s' % a.modem)
        time.sleep(0.5)
        rpc.main.set_afc(bool(a.afc))
        if a.squelch is not None:
            rpc.main.set_squelch_level(float(a.squelch))
        rpc.main.set_squelch(a.squelch is not None)
        rpc.main.set_wf_sideband('USB')
        rpc.main.set_reverse(bool(reverse))
        rpc.modem.set_carrier(centre)
        time.sleep(0.5)
        got = dict(mode=rpc.modem.get_name(), status=rpc.main.get_status1(),
                   carrier=rpc.modem.get_carrier(), reverse=rpc.main.get_reverse(),
                   afc=rpc.main.get_afc(), squelch=rpc.main.get_squelch(),
                   squelch_level=rpc.main.get_squelch_level(),
                   sideband=rpc.main.get_wf_sideband())
        log('fldigi settings: %s (shift %d Hz%s, %g Bd, %g stop, mark %s tone)'
            % (got, custom, ' custom' if shift_idx == len(FLDIGI_SHIFTS) else '',
               FLDIGI_BAUDS[baud_idx], a.stop_bits, 'lower' if reverse else 'upper'))
        if got['mode'] != a.modem or got['carrier'] != centre or bool(got['reverse']) != reverse \
                or bool(got['squelch']) != (a.squelch is not None) or bool(got['afc']) != bool(a.afc):
            die(4, 'fldigi did not take the settings: %s' % got)
        rpc.text.clear_rx()
        time.sleep(0.5)

        # --- play the file in real time ---
        tp = time.time()
        player = procs.start('paplay', ['paplay', '-d', SINK, '--latency-msec=%d' % a.play_latency_ms, play],
                             env=env, stdout=subprocess.DEVNULL, stderr=open(P('paplay.log'), 'w'))
        timed_out = False
        while player.poll() is None:
            if time.time() > deadline:
                timed_out = True
                break
            time.sleep(0.2)
        if not timed_out and player.returncode != 0:
            die(4, 'paplay failed (rc %d, see %s)' % (player.returncode, P('paplay.log')))
        log('played %.1f s of audio in %.1f s' % (dur + a.lead + a.tail, time.time() - tp))

        # --- let the decoder drain, then read the RX widget ---
        last, stable_since = -1, time.time()
        while not timed_out:
            n = rpc.text.get_rx_length()
            if n != last:
                last, stable_since = n, time.time()
            elif time.time() - stable_since >= 1.0:
                break
            if time.time() > deadline:
                timed_out = True
                break
            time.sleep(0.2)
        n = rpc.text.get_rx_length()
        raw = rpc.text.get_rx(0, n) if n > 0 else b''
        if isinstance(raw, xmlrpc.client.Binary):
            raw = raw.data
        elif isinstance(raw, str):
            raw = raw.encode('latin-1')
        text = raw.decode('latin-1')
        log('%d characters decoded, total %.1f s' % (len(text), time.time() - t0))
        if timed_out:
            sys.stderr.write('fldigi-rx: timeout after %.0f s; printing partial text\n' % limit)
            rc = 3
        sys.stdout.write(text)          # exactly what fldigi decoded, nothing added
        sys.stdout.flush()
    finally:
        procs.stop_all()
        if a.keep:
            sys.stderr.write('fldigi-rx: kept %s\n' % tmp)
        else:
            shutil.rmtree(tmp, ignore_errors=True)
    return rc


if __name__ == '__main__':
    sys.exit(main())
