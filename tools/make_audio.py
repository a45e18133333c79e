#!/usr/bin/env python3
"""Make Orvantis's music and sound effects from code.

Everything the game plays is written here, note by note:

  gamedata/music/title.mid, dungeon.mid       General MIDI, played by a sound font
  gamedata/music/battle.mp3, town.mp3,        synthesised here, encoded with lame
                 levelup.mp3
  gamedata/effects/*.wav                      synthesised here, 22050 Hz 16-bit mono

Only the Python 3 standard library and the `lame` command are needed.  All
randomness comes from fixed seeds, so running the tool again gives the same
sound (byte for byte, for the same Python and lame).

    python3 tools/make_audio.py                 # everything
    python3 tools/make_audio.py battle shot     # only the named pieces

The music loops forever in the game, so every piece is built as a circle:
note tails, echoes and reverb that run past the last bar are folded back onto
the first, and the length is a whole number of bars.  The end then flows into
the beginning with no click and no gap.
"""

import array
import math
import os
import random
import struct
import subprocess
import sys
import tempfile
import time
import wave
from fractions import Fraction
from itertools import accumulate

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MUSIC_DIR = os.path.join(ROOT, "gamedata", "music")
EFFECTS_DIR = os.path.join(ROOT, "gamedata", "effects")

SR = 22050                      # every sample rate in the game's audio
EFFECT_PEAK = 10 ** (-3 / 20)   # effects peak at -3 dBFS
MUSIC_PEAK = 10 ** (-1.5 / 20)  # music leaves room for the MP3 encoder's overshoot
MUSIC_LOUDNESS = 10 ** (-17 / 20)  # RMS level all synthesised music is brought to
MP3_BITRATE = "80"              # kbit/s, stereo 22050 Hz


# ---------------------------------------------------------------------------
# Notes, phrases and chords
# ---------------------------------------------------------------------------

LETTERS = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def note(name):
    """'A4' -> 69, 'C#5' -> 73, 'Bb3' -> 58."""
    i, shift = 1, 0
    while name[i] in "#b":
        shift += 1 if name[i] == "#" else -1
        i += 1
    return 12 * (int(name[i:]) + 1) + LETTERS[name[0]] + shift


def hz(midi_note):
    return 440.0 * 2 ** ((midi_note - 69) / 12)


def phrase(text, start_bar=0, beats_per_bar=4):
    """Read a melody line: 'A4:1 E5:1/2 r:2 | ...' -> [(beat, length, note)].

    Lengths are in beats (fractions allowed, e.g. 1/3 for triplets); 'r' is a
    rest.  A '|' marks a bar line and must fall on one, which catches a
    miscounted bar as soon as the tool runs.
    """
    events = []
    beat = Fraction(start_bar * beats_per_bar)
    for token in text.split():
        if token == "|":
            if beat % beats_per_bar:
                raise ValueError(f"bar line at beat {beat} in: {text[:40]}...")
            continue
        name, length = token.split(":")
        length = Fraction(length)
        if name != "r":
            events.append((beat, length, note(name)))
        beat += length
    return events


CHORD_SHAPES = {
    "": (0, 4, 7), "m": (0, 3, 7), "7": (0, 4, 7, 10), "maj7": (0, 4, 7, 11),
    "m7": (0, 3, 7, 10), "sus4": (0, 5, 7), "sus2": (0, 2, 7),
    "dim": (0, 3, 6), "add9": (0, 4, 7, 14),
}


def _pitch_class(text):
    pc = LETTERS[text[0]]
    rest = text[1:]
    while rest[:1] in ("#", "b") and rest:
        pc += 1 if rest[0] == "#" else -1
        rest = rest[1:]
    return pc % 12, rest


def chord(symbol):
    """'A/C#' -> (root pitch class, bass pitch class, intervals)."""
    main, _, slash = symbol.partition("/")
    root, quality = _pitch_class(main)
    bass = _pitch_class(slash)[0] if slash else root
    return root, bass, CHORD_SHAPES[quality]


def voicing(symbol, low):
    """Close-position chord tones, each the lowest of its kind at or above low."""
    root, _, shape = chord(symbol)
    return sorted(low + (root + iv - low) % 12 for iv in shape)


def bass_note(symbol, low):
    """The chord's bass note in the octave [low, low+12)."""
    return low + (chord(symbol)[1] - low) % 12


# ---------------------------------------------------------------------------
# Standard MIDI files
# ---------------------------------------------------------------------------

PPQ = 480  # ticks per beat


def vlq(value):
    """MIDI variable-length quantity."""
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


class MidiTrack:
    """One track of a format-1 file, on one channel (0-based; 9 is drums)."""

    def __init__(self, name, channel=0):
        self.channel = channel
        self.events = []  # (tick, order, bytes): note-offs sort before anything else
        self.meta(0, 0x03, name.encode("ascii"))

    def meta(self, tick, kind, data):
        self.events.append((tick, 1, bytes([0xFF, kind]) + vlq(len(data)) + data))

    def setup(self, program=None, volume=100, pan=64, reverb=40, chorus=0):
        ch = self.channel
        if program is not None:
            self.events.append((0, 1, bytes([0xC0 | ch, program])))
        for controller, value in ((7, volume), (10, pan), (91, reverb), (93, chorus)):
            self.events.append((0, 1, bytes([0xB0 | ch, controller, value])))

    def note(self, beat, length, key, velocity, gate=0.92):
        """A note starting at a beat, held for gate x its length in beats."""
        on = round(beat * PPQ)
        off = on + max(1, round(length * PPQ * gate))
        ch = self.channel
        self.events.append((on, 2, bytes([0x90 | ch, key, velocity])))
        self.events.append((off, 0, bytes([0x80 | ch, key, 0])))

    def encode(self, end_tick):
        data = bytearray()
        now = 0
        for tick, order, payload in sorted(self.events, key=lambda e: (e[0], e[1])):
            if tick > end_tick:
                if order != 0:
                    raise ValueError(f"event at tick {tick} after the loop end {end_tick}")
                tick = end_tick   # a note still ringing at the loop point is let go on it
            data += vlq(tick - now) + payload
            now = tick
        # End of track exactly on the last bar line, so the player loops on the beat.
        data += vlq(end_tick - now) + b"\xFF\x2F\x00"
        return b"MTrk" + struct.pack(">I", len(data)) + bytes(data)


def replace_when_done(path):
    """Name to write a file under; the finished file is renamed over `path`,
    so nobody (the game, git) ever picks up a half-written one."""
    return path + ".part"


def write_midi(path, bpm, bars, tracks, title, beats_per_bar=4):
    conductor = MidiTrack(title)
    conductor.meta(0, 0x51, struct.pack(">I", round(60_000_000 / bpm))[1:])
    conductor.meta(0, 0x58, bytes([beats_per_bar, 2, 24, 8]))
    end_tick = bars * beats_per_bar * PPQ
    chunks = [conductor.encode(end_tick)] + [t.encode(end_tick) for t in tracks]
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(chunks), PPQ)
    with open(replace_when_done(path), "wb") as f:
        f.write(header + b"".join(chunks))
    os.replace(replace_when_done(path), path)


def read_midi_summary(path):
    """Walk a MIDI file the way a player would and sum up what it found.

    Checks that every note that starts also stops, that each track ends with
    an end-of-track event, and works out the playing time from the tempo.
    """
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"MThd":
        raise ValueError("no MThd header")
    _, fmt, ntracks, ppq = struct.unpack(">IHHH", data[4:14])
    pos = 14
    tempo = 500000
    notes = 0
    channels = set()
    last_tick = 0
    for _ in range(ntracks):
        if data[pos:pos + 4] != b"MTrk":
            raise ValueError(f"no MTrk at byte {pos}")
        length = struct.unpack(">I", data[pos + 4:pos + 8])[0]
        track = data[pos + 8:pos + 8 + length]
        pos += 8 + length
        i = tick = 0
        status = 0
        sounding = {}
        ended = False
        while i < len(track):
            delta = 0
            while True:
                b = track[i]
                i += 1
                delta = (delta << 7) | (b & 0x7F)
                if b < 0x80:
                    break
            tick += delta
            if track[i] >= 0x80:
                status = track[i]
                i += 1
            if status == 0xFF:
                kind = track[i]
                i += 1
                size = 0
                while True:
                    b = track[i]
                    i += 1
                    size = (size << 7) | (b & 0x7F)
                    if b < 0x80:
                        break
                if kind == 0x51:
                    tempo = int.from_bytes(track[i:i + 3], "big")
                if kind == 0x2F:
                    ended = True
                i += size
                continue
            kind = status & 0xF0
            args = 1 if kind in (0xC0, 0xD0) else 2
            params = track[i:i + args]
            i += args
            key = (status & 0x0F, params[0])
            if kind == 0x90 and params[1] > 0:
                sounding[key] = sounding.get(key, 0) + 1
                notes += 1
                channels.add(status & 0x0F)
            elif kind == 0x80 or (kind == 0x90 and params[1] == 0):
                if not sounding.get(key):
                    raise ValueError(f"note-off without note-on {key}")
                sounding[key] -= 1
        if not ended or any(sounding.values()):
            raise ValueError("track without end, or with hanging notes")
        last_tick = max(last_tick, tick)
    return {"format": fmt, "tracks": ntracks, "notes": notes,
            "channels": sorted(c + 1 for c in channels),
            "seconds": last_tick / ppq * tempo / 1e6}


# ---------------------------------------------------------------------------
# Oscillators, envelopes, filters
# ---------------------------------------------------------------------------

TABLE_SIZE = 2048
TABLE_MASK = TABLE_SIZE - 1
_tables = {}
_HARMONIC_STEPS = (1, 2, 3, 4, 6, 8, 12, 16, 24, 32, 48)


def wavetable(shape, max_freq):
    """A one-cycle table with no harmonics above half the sample rate."""
    limit = max(1, int(SR / 2 / max(max_freq, 1.0)))
    harmonics = max(h for h in _HARMONIC_STEPS if h <= limit) if limit > 1 else 1
    key = (shape, harmonics)
    if key not in _tables:
        if shape == "sine":
            partials = [(1, 1.0)]
        elif shape == "saw":
            partials = [(k, 1.0 / k) for k in range(1, harmonics + 1)]
        elif shape == "square":
            partials = [(k, 1.0 / k) for k in range(1, harmonics + 1, 2)]
        elif shape == "triangle":
            partials = [(k, (-1) ** (k // 2) / (k * k)) for k in range(1, harmonics + 1, 2)]
        else:
            raise ValueError(shape)
        table = [0.0] * TABLE_SIZE
        for k, amp in partials:
            w = 2 * math.pi * k / TABLE_SIZE
            for i in range(TABLE_SIZE):
                table[i] += amp * math.sin(w * i)
        peak = max(abs(v) for v in table)
        _tables[key] = [v / peak for v in table]
    return _tables[key]


def osc(shape, freq, n, phase=0.0, vibrato_rate=0.0, vibrato_depth=0.0):
    """n samples of a steady tone; vibrato depth is a fraction of the pitch."""
    table = wavetable(shape, freq * (1 + vibrato_depth))
    step = freq * TABLE_SIZE / SR
    start = phase * TABLE_SIZE
    if not vibrato_depth:
        return [table[int(start + step * i) & TABLE_MASK] for i in range(n)]
    # Phase of a sine-modulated pitch, integrated in closed form.
    w = 2 * math.pi * vibrato_rate / SR
    swing = step * vibrato_depth / w
    cos = math.cos
    return [table[int(start + step * i + swing * (1 - cos(w * i))) & TABLE_MASK]
            for i in range(n)]


def osc_sweep(shape, freqs):
    """A tone following a per-sample list of frequencies (for zaps and drums)."""
    table = wavetable(shape, max(freqs))
    scale = TABLE_SIZE / SR
    return [table[int(p) & TABLE_MASK] for p in accumulate(f * scale for f in freqs)]


def glide(f0, f1, n, curve=1.0):
    """Exponential pitch glide from f0 to f1 over n samples."""
    ratio = f1 / f0
    return [f0 * ratio ** ((i / n) ** curve) for i in range(n)]


def noise(n, rng):
    u = rng.random
    return [2.0 * u() - 1.0 for _ in range(n)]


def adsr(gate, attack, decay, sustain, release):
    """Envelope for a key held `gate` samples; the release then runs down to 0."""
    a = max(1, int(attack * SR))
    d = max(1, int(decay * SR))
    r = max(1, int(release * SR))
    env = [i / a for i in range(a)]
    env += [sustain + (1 - sustain) * math.exp(-5.0 * i / d) for i in range(d)]
    if len(env) < gate:
        env += [sustain] * (gate - len(env))
    env = env[:gate]
    level = env[-1] if env else 0.0
    env += [level * math.exp(-4.0 * i / r) * (1 - i / r) for i in range(r)]
    return env


def decay_env(n, time_constant, attack=0.002):
    """Struck or plucked shape: quick rise, exponential fall, exact zero at n."""
    a = max(1, int(attack * SR))
    k = -1.0 / (time_constant * SR)
    exp = math.exp
    return [min(1.0, i / a) * exp(k * i) * (1 - i / n) for i in range(n)]


def mul(a, b):
    return [x * y for x, y in zip(a, b)]


def mix_add(a, b, level=1.0):
    """a + level * b, both starting together; as long as the longer of the two."""
    out = list(a) + [0.0] * (len(b) - len(a))
    out[:len(b)] = [x + level * y for x, y in zip(out, b)]
    return out


def gain(a, g):
    return [g * x for x in a]


def lowpass(x, cutoff):
    """One-pole low-pass: gentle, for taking the edge off noise and buses."""
    c = 1.0 - math.exp(-2 * math.pi * cutoff / SR)
    y = 0.0
    out = [0.0] * len(x)
    for i, v in enumerate(x):
        y += c * (v - y)
        out[i] = y
    return out


def highpass(x, cutoff):
    return [v - l for v, l in zip(x, lowpass(x, cutoff))]


def svf(x, cutoff, q=0.7, mode="low"):
    """Resonant state-variable filter (trapezoidal, stable at any cutoff).

    cutoff is a number or a per-sample list of Hz; a list is read every 16
    samples, which is plenty for filter sweeps and keeps the loop quick.
    """
    k = 1.0 / q
    sweeping = isinstance(cutoff, list)
    tan, pi, top = math.tan, math.pi, SR * 0.45

    def coeffs(fc):
        g = tan(pi * min(max(fc, 10.0), top) / SR)
        a1 = 1.0 / (1.0 + g * (g + k))
        return a1, g * a1, g * g * a1

    a1, a2, a3 = coeffs(cutoff[0] if sweeping else cutoff)
    ic1 = ic2 = 0.0
    out = [0.0] * len(x)
    want = {"low": 0, "band": 1, "high": 2}[mode]
    for i, v0 in enumerate(x):
        if sweeping and not i & 15:
            a1, a2, a3 = coeffs(cutoff[i])
        v3 = v0 - ic2
        v1 = a1 * ic1 + a2 * v3
        v2 = ic2 + a2 * ic1 + a3 * v3
        ic1 = 2 * v1 - ic1
        ic2 = 2 * v2 - ic2
        out[i] = v2 if want == 0 else v1 if want == 1 else v0 - k * v1 - v2
    return out


def normalise(x, peak):
    top = max(abs(v) for v in x) or 1.0
    return [v * peak / top for v in x]


# ---------------------------------------------------------------------------
# Echo and reverb.  All are feedback delays, worked a block of `delay`
# samples at a time (each block depends only on the block before it), which
# keeps pure Python fast.  With `loop=True` the signal is treated as one turn
# of a circle: it is run twice and the second turn kept, so the tail of the
# last bar is already sounding under the first.
# ---------------------------------------------------------------------------

def _circle(x, loop, tail):
    return x + x if loop else x + [0.0] * tail


def _uncircle(y, n, loop):
    return y[n:] if loop else y


def comb(x, delay, feedback, loop=False, tail=0):
    """y[n] = x[n] + feedback * y[n - delay]."""
    xx = _circle(x, loop, tail)
    y = xx[:delay]
    for k in range(delay, len(xx), delay):
        y.extend([a + feedback * b for a, b in zip(xx[k:k + delay], y[k - delay:k])])
    return _uncircle(y, len(x), loop)


def allpass(x, delay, g, loop=False, tail=0):
    """Schroeder all-pass: smears echoes into a wash without colouring them."""
    xx = _circle(x, loop, tail)
    y = [-g * v for v in xx[:delay]]
    for k in range(delay, len(xx), delay):
        y.extend([-g * a + b + g * c for a, b, c in
                  zip(xx[k:k + delay], xx[k - delay:k], y[k - delay:k])])
    return _uncircle(y, len(x), loop)


def reverb(x, size=1.0, feedback=0.82, loop=False, tail=0, right=False):
    """A small room: four combs in parallel, then two all-passes in series.

    The right channel uses slightly longer delays so the two sides differ
    and the room sounds wide.
    """
    spread = 11 if right else 0
    damped = lowpass(x + x, 3500)[len(x):] if loop else lowpass(x, 3500)
    wet = None
    for d in (557, 593, 641, 677):
        y = comb(damped, int(d * size) + spread, feedback, loop, tail)
        wet = y if wet is None else [a + b for a, b in zip(wet, y)]
    wet = [0.25 * v for v in wet]
    for d in (278, 113):
        wet = allpass(wet, d + spread // 2, 0.5, loop)   # input already has its tail
    return wet


def echo(x, delay, feedback, loop=False, tail=0):
    """Only the repeats of a feedback echo (the dry sound is left out)."""
    y = comb(x, delay, feedback, loop, tail)
    return [a - b for a, b in zip(y, x + [0.0] * (len(y) - len(x)))]


# ---------------------------------------------------------------------------
# Mixing and writing files
# ---------------------------------------------------------------------------

class LoopMix:
    """A stereo loop of n samples with reverb and echo sends.

    Sounds placed near the end wrap round to the start, so the loop closes
    seamlessly.
    """

    def __init__(self, n, echo_delay=None):
        self.n = n
        self.left = [0.0] * n
        self.right = [0.0] * n
        self.rev = [0.0] * n
        self.echo_bus = [0.0] * n
        self.echo_delay = echo_delay

    def _add(self, bus, sig, start, g):
        pos = start % self.n
        i = 0
        while i < len(sig):
            count = min(len(sig) - i, self.n - pos)
            bus[pos:pos + count] = [a + g * b for a, b in
                                    zip(bus[pos:pos + count], sig[i:i + count])]
            i += count
            pos = 0

    def add(self, sig, start, level=1.0, pan=0.0, rev=0.2, echo_send=0.0):
        """pan from -1 (left) to 1 (right), equal power."""
        angle = (pan + 1) * math.pi / 4
        self._add(self.left, sig, start, level * math.cos(angle) * math.sqrt(2))
        self._add(self.right, sig, start, level * math.sin(angle) * math.sqrt(2))
        if rev:
            self._add(self.rev, sig, start, level * rev)
        if echo_send:
            self._add(self.echo_bus, sig, start, level * echo_send)

    def render(self, reverb_level=0.6, reverb_size=1.0, reverb_feedback=0.82):
        left, right = self.left, self.right
        if self.echo_delay and any(self.echo_bus):
            # Repeats alternate sides: the right one is a beat's fraction later.
            el = echo(self.echo_bus, self.echo_delay, 0.35, loop=True)
            er = echo(self.echo_bus, int(self.echo_delay * 1.5), 0.3, loop=True)
            left = [a + b for a, b in zip(left, el)]
            right = [a + b for a, b in zip(right, er)]
        rl = reverb(self.rev, reverb_size, reverb_feedback, loop=True)
        rr = reverb(self.rev, reverb_size, reverb_feedback, loop=True, right=True)
        left = [a + reverb_level * b for a, b in zip(left, rl)]
        right = [a + reverb_level * b for a, b in zip(right, rr)]
        return level_music(left, right)


def level_music(left, right):
    """Bring a piece to the common music loudness, rounding off the few peaks
    (mostly kick drums) that would poke above the ceiling, so that moving
    from town to battle does not jump in volume."""
    power = (sum(v * v for v in left) + sum(v * v for v in right)) / (2 * len(left))
    g = MUSIC_LOUDNESS / math.sqrt(power or 1.0)
    knee = 0.7 * MUSIC_PEAK
    room = MUSIC_PEAK - knee
    tanh = math.tanh

    def limit(v):
        v *= g
        if -knee <= v <= knee:
            return v
        excess = tanh((abs(v) - knee) / room) * room
        return knee + excess if v > 0 else -knee - excess
    return [limit(v) for v in left], [limit(v) for v in right]


def to_pcm16(samples):
    return array.array("h", [max(-32767, min(32767, int(round(v * 32767)))) for v in samples])


def write_wav(path, channels):
    """channels: one list (mono) or two (stereo) of floats in [-1, 1]."""
    pcm = [to_pcm16(c) for c in channels]
    if len(pcm) == 2:
        frames = array.array("h", [0]) * (2 * len(pcm[0]))
        frames[0::2] = pcm[0]
        frames[1::2] = pcm[1]
    else:
        frames = pcm[0]
    if sys.byteorder == "big":
        frames.byteswap()
    with wave.open(replace_when_done(path), "wb") as w:
        w.setnchannels(len(pcm))
        w.setsampwidth(2)
        w.setframerate(SR)
        w.writeframes(frames.tobytes())
    os.replace(replace_when_done(path), path)


def write_mp3(path, left, right, title):
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "music.wav")
        write_wav(wav, [left, right])
        subprocess.run(["lame", "--quiet", "-b", MP3_BITRATE, "-q", "2", "-m", "j",
                        "--tt", title, "--ta", "Orvantis", wav, replace_when_done(path)],
                       check=True)
    os.replace(replace_when_done(path), path)


def cached(fn):
    """Instruments repeat the same notes all song long: make each one once."""
    store = {}

    def wrapper(*args):
        if args not in store:
            store[args] = fn(*args)
        return store[args]
    wrapper.__name__ = fn.__name__
    wrapper.__doc__ = fn.__doc__
    return wrapper


# ---------------------------------------------------------------------------
# Synth instruments.  Each returns a mono list; lengths are in samples.
# ---------------------------------------------------------------------------

@cached
def kick():
    n = int(0.35 * SR)
    body = osc_sweep("sine", [48 + 120 * math.exp(-i / (0.025 * SR)) for i in range(n)])
    click = lowpass(noise(int(0.004 * SR), random.Random(1)), 3000)
    return mix_add(mul(body, decay_env(n, 0.12)), click, 0.5)


@cached
def snare():
    rng = random.Random(2)
    n = int(0.25 * SR)
    rattle = mul(highpass(noise(n, rng), 1200), decay_env(n, 0.06))
    drum = mul(mix_add(osc("sine", 185, n), osc("sine", 330, n), 0.5), decay_env(n, 0.04))
    return mix_add(gain(rattle, 0.8), drum, 0.6)


@cached
def hihat(open_hat=False):
    rng = random.Random(3)
    n = int((0.3 if open_hat else 0.06) * SR)
    hiss = highpass(highpass(noise(n, rng), 6000), 6000)
    return mul(hiss, decay_env(n, 0.09 if open_hat else 0.015, 0.001))


@cached
def crash():
    rng = random.Random(4)
    n = int(1.8 * SR)
    hiss = highpass(noise(n, rng), 4000)
    shimmer = svf(noise(n, rng), 7000, 2.0, "band")
    return mul(mix_add(hiss, shimmer, 0.5), decay_env(n, 0.5, 0.001))


@cached
def tom(pitch):
    n = int(0.4 * SR)
    body = osc_sweep("sine", [pitch * (1 + 0.6 * math.exp(-i / (0.03 * SR))) for i in range(n)])
    thump = lowpass(noise(int(0.01 * SR), random.Random(5)), 1500)
    return mix_add(mul(body, decay_env(n, 0.15)), thump, 0.4)


@cached
def shaker(accent):
    rng = random.Random(6)
    n = int(0.09 * SR)
    hiss = svf(noise(n, rng), 7000, 1.2, "band")
    return gain(mul(hiss, adsr(n // 2, 0.015, 0.03, 0.2, 0.04)[:n]), 1.0 if accent else 0.6)


@cached
def snap():
    """Finger snap for the town's backbeat."""
    rng = random.Random(7)
    n = int(0.12 * SR)
    crack = svf(noise(n, rng), 2200, 3.0, "band")
    return mul(crack, decay_env(n, 0.02, 0.0005))


@cached
def synth_bass(key, gate):
    """Saw plus a square sub, through a filter that snaps shut: the battle's drive."""
    f = hz(key)
    env = adsr(gate, 0.003, 0.15, 0.6, 0.04)
    n = len(env)
    raw = mix_add(osc("saw", f, n), osc("square", f / 2, n), 0.5)
    sweep = [300 + 2200 * math.exp(-i / (0.05 * SR)) for i in range(n)]
    return mul(svf(raw, sweep, 1.4), env)


@cached
def stab(keys, gate):
    """Short chord of detuned saws, for offbeat punches."""
    env = adsr(gate, 0.004, 0.12, 0.35, 0.08)
    n = len(env)
    tone = [0.0] * n
    for k in keys:
        for detune in (0.996, 1.004):
            tone = mix_add(tone, osc("saw", hz(k) * detune, n, phase=detune % 1), 1 / len(keys))
    sweep = [900 + 3000 * math.exp(-i / (0.06 * SR)) for i in range(n)]
    return mul(svf(tone, sweep, 1.0), env)


@cached
def saw_pad(keys, gate):
    """Slow, soft string-like chord."""
    env = adsr(gate, 0.4, 0.5, 0.8, 0.6)
    n = len(env)
    tone = [0.0] * n
    for j, k in enumerate(keys):
        for detune in (0.994, 1.0, 1.006):
            tone = mix_add(tone, osc("saw", hz(k) * detune, n, phase=0.31 * j + detune,
                                     vibrato_rate=0.3 + j * 0.07, vibrato_depth=0.002),
                           1 / (3 * len(keys)))
    return mul(svf(tone, 1400, 0.7), env)


@cached
def lead(key, gate):
    """Bright square-saw lead with a singing vibrato."""
    f = hz(key)
    env = adsr(gate, 0.01, 0.2, 0.75, 0.12)
    n = len(env)
    tone = mix_add(osc("square", f, n, 0, 5.5, 0.006),
                   osc("saw", f * 1.003, n, 0.25, 5.5, 0.006), 0.6)
    sweep = [1800 + 2500 * math.exp(-i / (0.12 * SR)) for i in range(n)]
    return mul(svf(tone, sweep, 1.1), env)


@cached
def epiano(key, gate, velocity):
    """Two-operator FM electric piano: a bell-bright strike that mellows."""
    f = hz(key)
    env = adsr(gate, 0.003, 1.2, 0.25, 0.3)
    n = len(env)
    w = 2 * math.pi * f / SR
    sin, exp = math.sin, math.exp
    k = -1.0 / (0.35 * SR)
    index0 = 1.2 + 1.5 * velocity
    tone = [sin(w * i + (0.25 + index0 * exp(k * i)) * sin(w * i)) for i in range(n)]
    tine = [0.15 * velocity * sin(14 * w * i) * exp(k * 4 * i) for i in range(n)]
    return mul(mix_add(tone, tine), env)


@cached
def pluck_bass(key, gate):
    """Round picked bass: triangle and sine, with a soft thumb attack."""
    f = hz(key)
    env = adsr(gate, 0.005, 0.5, 0.45, 0.1)
    n = len(env)
    tone = mix_add(osc("triangle", f, n), osc("sine", f, n), 0.7)
    return mul(lowpass(tone, 900), env)


@cached
def flute(key, gate):
    """Breathy sine-based flute with a delayed-feeling vibrato."""
    f = hz(key)
    env = adsr(gate, 0.07, 0.2, 0.85, 0.15)
    n = len(env)
    body = mix_add(osc("sine", f, n, 0, 4.8, 0.004), osc("sine", 2 * f, n, 0.1, 4.8, 0.004), 0.18)
    body = mix_add(body, osc("sine", 3 * f, n, 0.2), 0.05)
    breath = svf(noise(n, random.Random(key)), f * 2, 2.0, "band")
    return mul(mix_add(body, breath, 0.12), env)


@cached
def glock(key, length=1.2):
    """Glockenspiel/bell: inharmonic partials that die away at their own speed."""
    f = hz(key)
    n = int(length * SR)
    tone = [0.0] * n
    for ratio, amp, t in ((1.0, 1.0, 0.5), (2.76, 0.35, 0.18), (5.40, 0.15, 0.07), (8.93, 0.06, 0.03)):
        if f * ratio < SR / 2.2:
            tone = mix_add(tone, mul(osc("sine", f * ratio, n), decay_env(n, t, 0.001)), amp)
    return tone


@cached
def brass(key, gate):
    """Brass section voice: detuned saws whose filter swells open on the attack."""
    f = hz(key)
    env = adsr(gate, 0.03, 0.3, 0.8, 0.2)
    n = len(env)
    tone = mix_add(osc("saw", f * 0.997, n, 0, 5.0, 0.004), osc("saw", f * 1.003, n, 0.4, 5.2, 0.004))
    # Filter opens to full brightness over the attack, then relaxes a little.
    a = int(0.06 * SR)
    sweep = [500 + 2800 * (i / a if i < a else 0.55 + 0.45 * math.exp(-(i - a) / (0.2 * SR)))
             for i in range(n)]
    return mul(svf(tone, sweep, 0.9), env)


@cached
def timpani(key, length=1.4):
    f = hz(key)
    n = int(length * SR)
    body = osc_sweep("sine", [f * (1 + 0.05 * math.exp(-i / (0.05 * SR))) for i in range(n)])
    body = mix_add(body, osc("sine", f * 1.5, n), 0.3)
    body = mix_add(body, osc("sine", f * 2.0, n), 0.15)
    thump = lowpass(noise(int(0.03 * SR), random.Random(8)), 600)
    return mix_add(mul(body, decay_env(n, 0.45, 0.003)), thump, 0.6)


# ---------------------------------------------------------------------------
# MIDI music
# ---------------------------------------------------------------------------

def title_theme():
    """Title: D major, 96 bpm, 24 bars (60 s).  Hopeful and wide open.

    Four bars of Lydian shimmer (D to E-over-D), the horn theme, a lifting
    second half where the strings join, and a closing that settles back into
    the shimmer the piece starts with.
    """
    bpm, bars = 96, 24
    chords = ("Dadd9 E/D Dadd9 E/D "              # opening shimmer
              "D A/C# Bm G D A G A "              # theme
              "G A F#m Bm G A Bm A "              # rising answer
              "G A Dadd9 E/D").split()           # settle and loop
    theme = phrase(
        "r:16 | A4:3/2 D5:1/2 F#5:2 | E5:3/2 C#5:1/2 A4:2 | B4:3/2 D5:1/2 F#5:1 B5:1 "
        "| A5:3 G5:1 | F#5:3/2 E5:1/2 D5:1 A4:1 | C#5:3/2 D5:1/2 E5:2 "
        "| D5:1 B4:1 G5:1 F#5:1 | E5:4 "
        "| B5:3/2 A5:1/2 G5:2 | A5:3/2 G5:1/2 E5:2 | F#5:3/2 E5:1/2 C#5:1 A4:1 "
        "| B4:1 D5:1 F#5:2 | G5:3/2 F#5:1/2 G5:1 B5:1 | A5:3 E5:1 "
        "| F#5:3/2 E5:1/2 D5:1 B4:1 | C#5:2 E5:2 | D5:4 | C#5:2 E5:2 | D5:4 | r:4")

    horn = MidiTrack("Horn", 0)
    horn.setup(program=60, volume=90, pan=64, reverb=70)
    strings = MidiTrack("Strings", 1)
    strings.setup(program=48, volume=60, pan=40, reverb=80)
    pad = MidiTrack("Warm pad", 2)
    pad.setup(program=89, volume=92, pan=80, reverb=90, chorus=40)
    harp = MidiTrack("Harp", 3)
    harp.setup(program=46, volume=92, pan=96, reverb=70)
    bass = MidiTrack("Bass", 4)
    bass.setup(program=32, volume=82, pan=64, reverb=30)
    timp = MidiTrack("Timpani", 5)
    timp.setup(program=47, volume=75, pan=56, reverb=60)
    drums = MidiTrack("Drums", 9)
    drums.setup(volume=60, reverb=60)

    for beat, length, key in theme:
        bar = int(beat // 4)
        horn.note(beat, length, key, 92 if bar >= 12 else 88)
        if 12 <= bar < 20:
            strings.note(beat, length, key - 12, 62)   # the strings lift the second half

    for bar, sym in enumerate(chords):
        b = bar * 4
        for key in voicing(sym, note("F#3")):
            pad.note(b, 4, key, 62, gate=0.99)
        if 12 <= bar < 20:                               # strings hold the chord too
            for key in voicing(sym, note("A3")):
                strings.note(b, 4, key, 45, gate=0.99)
        # Harp: an eighth-note wave up and down the chord over two octaves.
        tones = voicing(sym, note("D4"))
        wave_up = tones + [t + 12 for t in tones]
        shape = [0, 1, 2, 3, 4, 3, 2, 1]
        for i, idx in enumerate(shape):
            harp.note(b + i / 2, Fraction(1, 2), wave_up[idx % len(wave_up)],
                      70 if i % 2 == 0 else 58, gate=1.6)
        low = bass_note(sym, note("D2"))
        if bar < 4 or bar >= 22:
            bass.note(b, 4, low, 80)
        elif bar < 12 or bar >= 20:
            bass.note(b, 3, low, 90)
            bass.note(b + 3, 1, low + 7 if low + 7 < note("E3") else low - 5, 80)
        else:
            for at, dur, up in ((0, 1.5, 0), (1.5, 0.5, 0), (2, 1, 7), (3, 1, 12)):
                bass.note(b + at, dur, low + up, 92 if at == 0 else 78)

    # Timpani mark the big arrivals; a soft roll in the last bar leads home.
    for bar in (0, 4, 12, 20):
        timp.note(bar * 4, 2, bass_note(chords[bar], note("D2")), 100)
    for i in range(16):
        timp.note(23 * 4 + i / 4, Fraction(1, 4), note("D2"), 30 + i * 4, gate=1.0)

    for bar in range(bars):
        b = bar * 4
        if bar in (4, 12, 20):
            drums.note(b, 4, 49, 80)                      # crash on each new section
        if bar == 0:
            drums.note(b, 4, 57, 45)
        if 4 <= bar < 12:
            drums.note(b, 1, 36, 75)
            drums.note(b + 2.5, 1, 36, 60)
            for q in range(4):
                drums.note(b + q, 1, 51, 48 if q else 58)
        elif 12 <= bar < 20:
            drums.note(b, 1, 36, 85)
            drums.note(b + 2.5, 1, 36, 70)
            drums.note(b + 1, 1, 38, 62)
            drums.note(b + 3, 1, 38, 66)
            for e in range(8):
                drums.note(b + e / 2, Fraction(1, 2), 51, 50 if e % 2 else 60)
        elif bar in (20, 21):
            drums.note(b, 1, 36, 70)
            drums.note(b + 2, 1, 53, 50)
    for i, t in enumerate((48, 48, 47, 47, 45, 45, 43, 43)):   # fill into the rising answer
        drums.note(11 * 4 + 2 + i / 4, Fraction(1, 4), t, 60 + i * 4)
    for i, t in enumerate((50, 48, 47, 45)):                   # fill into the closing
        drums.note(19 * 4 + 2 + i / 2, Fraction(1, 2), t, 70 + i * 6)

    path = os.path.join(MUSIC_DIR, "title.mid")
    write_midi(path, bpm, bars, [horn, strings, pad, harp, bass, timp, drums], "Orvantis")
    return path


def dungeon_theme():
    """Dungeon: D minor, 80 bpm, 20 bars (60 s).  Something is down here.

    A choir pad leans on the flat second (D minor to E-flat), pizzicato strings
    tick like a clock, a heartbeat on the floor tom; a celesta asks a question
    with a tritone in it, and in the middle a cello answers.
    """
    bpm, bars = 80, 20
    chords = ("Dm Eb Dm Eb Bb Gm Asus4 A "
              "Dm Bb Gm A Dm Eb Gm A7 "
              "Dm Eb C A").split()
    motif = phrase(
        "r:1 D5:1/2 F5:1/2 A5:1 G#5:1 | G5:3/2 F5:1/2 Eb5:2 | r:1 D5:1/2 F5:1/2 A5:1 C#6:1 "
        "| D6:3/2 Bb5:1/2 G5:2 | r:2 F5:1 D5:1 | Bb5:2 A5:1 G5:1 | D5:2 E5:2 | C#5:4 "
        "| r:32 "
        "| r:1 D5:1/2 F5:1/2 A5:1 G#5:1 | G5:3/2 F5:1/2 Eb5:2 | E5:3/2 D5:1/2 C5:2 "
        "| C#5:2 E5:1 A4:1")
    answer = phrase(
        "D4:3 E4:1 | F4:2 D4:1 F4:1 | G4:3 Bb4:1 | A4:2 E4:1 C#4:1 "
        "| D4:2 F4:1 A4:1 | Bb4:3 G4:1 | Bb4:3/2 A4:1/2 G4:2 | E4:2 C#4:2", start_bar=8)

    choir = MidiTrack("Choir pad", 0)
    choir.setup(program=91, volume=110, pan=48, reverb=100, chorus=30)
    pizz = MidiTrack("Pizzicato", 1)
    pizz.setup(program=45, volume=105, pan=84, reverb=60)
    celesta = MidiTrack("Celesta", 2)
    celesta.setup(program=8, volume=115, pan=72, reverb=100)
    cello = MidiTrack("Cello", 3)
    cello.setup(program=42, volume=105, pan=52, reverb=80)
    drone = MidiTrack("Contrabass", 4)
    drone.setup(program=43, volume=110, pan=64, reverb=50)
    air = MidiTrack("Atmosphere", 5)
    air.setup(program=99, volume=80, pan=32, reverb=110)
    drums = MidiTrack("Drums", 9)
    drums.setup(volume=100, reverb=70)

    for beat, length, key in motif:
        celesta.note(beat, length, key, 78, gate=1.0)
    for beat, length, key in answer:
        cello.note(beat, length, key, 84, gate=0.97)

    for bar, sym in enumerate(chords):
        b = bar * 4
        for key in voicing(sym, note("D4") if bar >= 8 else note("A3")):
            choir.note(b, 4, key, 56, gate=0.99)
        root = bass_note(sym, note("D2"))
        drone.note(b, 4, root, 70, gate=0.99)
        low = bass_note(sym, note("A2"))
        if bar < 4:
            for q in range(4):
                pizz.note(b + q, 1, low if q % 2 == 0 else low + 12, 70, gate=0.5)
        else:
            for e, up in enumerate((0, 12, 7, 12, 0, 12, 7, 13 if bar % 4 == 3 else 12)):
                pizz.note(b + e / 2, Fraction(1, 2), low + up, 74 if e % 2 == 0 else 60, gate=0.6)

        # Heartbeat on the low floor tom: lub-dub, once a bar.
        drums.note(b, Fraction(1, 2), 41, 80)
        drums.note(b + Fraction(1, 2), Fraction(1, 2), 41, 58)
        if 8 <= bar < 16:
            for s in range(8):
                drums.note(b + s / 2, Fraction(1, 2), 70, 40 if s % 2 else 52)   # maracas tick
            if bar % 2:
                drums.note(b + 3, 1, 53, 40)                                    # ride bell
        if 16 <= bar:
            drums.note(b + 2, Fraction(1, 2), 41, 70)
            drums.note(b + 2.5, Fraction(1, 2), 41, 52)
    for bar in (0, 8, 16):
        air.note(bar * 4, 8, note("D5"), 70, gate=0.98)
    drums.note(8 * 4, 4, 49, 50)
    drums.note(16 * 4, 4, 49, 50)
    for i in range(8):                                  # low tom rumble back to the top
        drums.note(19 * 4 + 2 + i / 4, Fraction(1, 4), 41 if i % 2 else 43, 50 + i * 5)

    path = os.path.join(MUSIC_DIR, "dungeon.mid")
    write_midi(path, bpm, bars, [choir, pizz, celesta, cello, drone, air, drums], "Orvantis depths")
    return path


# ---------------------------------------------------------------------------
# Synthesised music
# ---------------------------------------------------------------------------

def samples_at(beat, per_beat):
    return int(round(beat * per_beat))


def battle_music():
    """Battle: A minor, 150 bpm, 20 bars (32 s).  Drive and danger.

    Four bars of drums, galloping bass and stabs, then the lead's theme and a
    higher answer; the last bar's tom fill crashes back into the first.
    """
    bpm, bars = 150, 20
    spb = SR * 60 // bpm
    mix = LoopMix(bars * 4 * spb, echo_delay=spb * 3 // 4)
    chords = ("Am Am F G "
              "Am F C G Am F G E "
              "F G Em Am F G E E").split()
    melody = phrase(
        "A4:1 E5:1 D5:1/2 C5:1/2 B4:1/2 C5:1/2 | A4:3/2 F4:1/2 A4:1 C5:1 | G4:1 C5:1 E5:1 G5:1 "
        "| D5:2 B4:1 D5:1 | A5:3/2 G5:1/2 E5:1 C5:1 | F5:3/2 E5:1/2 C5:1 A4:1 "
        "| B4:1 D5:1 G5:1 F5:1/2 E5:1/2 | E5:2 G#5:2 "
        "| C6:3/2 A5:1/2 F5:1 C5:1 | D6:3/2 B5:1/2 G5:1 D5:1 "
        "| E5:1/2 G5:1/2 B5:1 A5:1/2 G5:1/2 E5:1 | A5:3 r:1 "
        "| F5:1/2 G5:1/2 A5:1 C6:1 A5:1 | B5:1/2 A5:1/2 G5:1 D5:1 G5:1 "
        "| G#5:3/2 F#5:1/2 E5:1 B4:1 | E5:2 r:2", start_bar=4)

    def at(beat):
        return samples_at(beat, spb)

    for beat, length, key in melody:
        mix.add(lead(key, at(length * Fraction(9, 10))), at(beat), 0.30, 0.1, rev=0.25, echo_send=0.35)

    for bar, sym in enumerate(chords):
        b = bar * 4
        section = "intro" if bar < 4 else "theme" if bar < 12 else "answer"
        root = bass_note(sym, note("A1"))
        gallop = (0, 0, 12, 0, 0, 12, 0, 7) if bar >= 2 else (0,) * 8
        for e, up in enumerate(gallop):
            mix.add(synth_bass(root + up, at(0.42)), at(b + e / 2), 0.42, 0.0, rev=0.05)

        keys = tuple(voicing(sym, note("G3")))
        hits = (0.5, 1.5, 2.5, 3.5) if section == "theme" else (0, 0.75, 1.5, 2, 2.75, 3.5)
        for i, h in enumerate(hits):
            mix.add(stab(keys, at(0.2)), at(b + h), 0.20, -0.35 if i % 2 else 0.35, rev=0.3)
        if section == "answer":
            mix.add(saw_pad(tuple(voicing(sym, note("C4"))), at(4)), at(b), 0.22, 0.0, rev=0.5)

        # Drums
        kicks = (0, 2) if section == "intro" else (0, 1, 2, 3) if section == "theme" else (0, 1, 1.75, 2, 3)
        for k in kicks:
            mix.add(kick(), at(b + k), 0.95, 0.0, rev=0.02)
        last_bar = bar == bars - 1
        if not last_bar:
            for s in (1, 3):
                mix.add(snare(), at(b + s), 0.55, 0.05, rev=0.25)
        if section == "answer" and not last_bar:
            for s in range(16):
                if s % 4:
                    mix.add(hihat(), at(b + s / 4), 0.14 if s % 2 else 0.2, 0.3, rev=0.05)
        else:
            for e in range(8):
                open_hat = section == "theme" and e == 7
                mix.add(hihat(open_hat), at(b + e / 2), 0.22 if e % 2 else 0.16, 0.3, rev=0.05)
        if bar in (0, 4, 12):
            mix.add(crash(), at(b), 0.32, -0.4, rev=0.3)
        if bar == 11:
            for s in range(4):
                mix.add(snare(), at(b + 3 + s / 4), 0.35 + 0.08 * s, 0.05, rev=0.25)
        if last_bar:   # tom run down the kit into the loop's first crash
            for s, pitch in enumerate((220, 220, 180, 180, 150, 150, 120, 120, 100, 100, 90, 90)):
                mix.add(tom(pitch), at(b + 1 + s / 4), 0.45 + 0.03 * s, 0.4 - 0.07 * s, rev=0.3)
            mix.add(snare(), at(b + 1), 0.55, 0.05, rev=0.25)

    left, right = mix.render(reverb_level=0.5, reverb_size=0.9)
    path = os.path.join(MUSIC_DIR, "battle.mp3")
    write_mp3(path, left, right, "Battle")
    return path, len(left)


def town_music():
    """Town: F major, 100 bpm, 16 bars (38.4 s).  Market stalls and sunlight.

    Electric piano and a picked bass keep an easy bounce; a flute hums the
    tune; a shaker and finger snaps, and a glockenspiel at the phrase ends.
    """
    bpm, bars = 100, 16
    spb = SR * 60 // bpm
    mix = LoopMix(bars * 4 * spb, echo_delay=spb * 3 // 4)
    chords = ("F Am Bb C F Dm Gm7 C "
              "Bb C Am Dm Gm7 C F C7").split()
    melody = phrase(
        "C5:1 A4:1/2 C5:1/2 F5:3/2 E5:1/2 | E5:1 C5:1 A4:2 | D5:1 F5:1/2 D5:1/2 Bb4:3/2 C5:1/2 "
        "| C5:3 r:1 | A4:1 C5:1 F5:1 G5:1 | A5:3/2 F5:1/2 D5:2 | F5:1 Bb4:1 D5:1 F5:1 | E5:3 r:1 "
        "| D5:3/2 F5:1/2 Bb5:2 | G5:3/2 E5:1/2 C5:2 | C5:1 E5:1 A5:1 G5:1 | F5:3 D5:1 "
        "| D5:3/2 F5:1/2 Bb5:1 A5:1 | G5:1 E5:1 C5:1 Bb4:1 | A4:3/2 C5:1/2 F5:2 | r:4")

    def at(beat):
        return samples_at(beat, spb)

    for beat, length, key in melody:
        mix.add(flute(key, at(length * Fraction(19, 20))), at(beat), 0.32, 0.15, rev=0.35, echo_send=0.2)

    for bar, sym in enumerate(chords):
        b = bar * 4
        keys = voicing(sym, note("F3"))
        for h, dur, vel in ((0, 1.5, 0.9), (1.5, 1, 0.6), (3, 1, 0.7)):
            for j, k in enumerate(keys):
                mix.add(epiano(k, at(dur * 0.9), vel), at(b + h) + j * 40, 0.11, -0.3, rev=0.35)
        root = bass_note(sym, note("C2"))
        for h, dur, up in ((0, 1.5, 0), (1.5, 0.5, 0), (2, 1, 7), (3, 1, 12)):
            mix.add(pluck_bass(root + up, at(dur * 0.85)), at(b + h), 0.38, 0.0, rev=0.1)

        for k in (0, 2.5):
            mix.add(kick(), at(b + k), 0.45, 0.0, rev=0.05)
        for s in (1, 3):
            mix.add(snap(), at(b + s), 0.35, -0.15, rev=0.4)
        for e in range(8):
            mix.add(shaker(e % 2 == 1), at(b + e / 2), 0.2, 0.45, rev=0.15)

    # Glockenspiel answers at the end of each half.
    for start, keys in ((7, ("C6", "E6", "G6")), (15, ("G5", "C6", "E6", "G6", "Bb6"))):
        for i, name in enumerate(keys):
            mix.add(glock(note(name)), at(start * 4 + 1 + i / 2), 0.2, 0.35, rev=0.5, echo_send=0.3)

    left, right = mix.render(reverb_level=0.55, reverb_size=1.1, reverb_feedback=0.84)
    path = os.path.join(MUSIC_DIR, "town.mp3")
    write_mp3(path, left, right, "Town")
    return path, len(left)


def levelup_music():
    """Level-up fanfare: C major, 120 bpm, 6 bars (12 s).

    Triplet call, a climb through F, A-flat and B-flat (the borrowed chords
    give it a cinematic lift), a held top C, and a dominant bar whose timpani
    and snare roll carry straight back into the call.
    """
    bpm, bars = 120, 6
    spb = SR * 60 // bpm
    mix = LoopMix(bars * 4 * spb)
    chords = "C F Ab Bb C G7".split()
    melody = phrase(
        "G4:1/3 G4:1/3 G4:1/3 C5:3 | C5:1/3 D5:1/3 E5:1/3 F5:2 A5:1 | Ab5:3/2 G5:1/2 Eb5:2 "
        "| F5:3/2 G5:1/2 Bb5:2 | C6:4 | B5:3/2 A5:1/2 G5:1 r:1")

    def at(beat):
        return samples_at(beat, spb)

    for beat, length, key in melody:
        mix.add(brass(key, at(length * Fraction(9, 10))), at(beat), 0.34, 0.0, rev=0.35)
        mix.add(brass(key - 12, at(length * Fraction(9, 10))), at(beat), 0.16, -0.2, rev=0.35)

    for bar, sym in enumerate(chords):
        b = bar * 4
        for j, k in enumerate(voicing(sym, note("E3"))):
            mix.add(brass(k, at(3.8)), at(b), 0.13, (-0.5, 0.1, 0.5, -0.1)[j % 4], rev=0.4)
        root = bass_note(sym, note("C2"))
        mix.add(brass(root, at(3.8)), at(b), 0.22, 0.0, rev=0.2)
        if bar < 5:
            mix.add(timpani(bass_note(sym, note("G2"))), at(b), 0.6, -0.1, rev=0.3)
    for i in range(16):   # last bar: timpani roll and snare roll swell into the top
        mix.add(timpani(note("G2"), 0.4), at(20 + i / 4), 0.15 + i * 0.02, -0.1, rev=0.3)
        mix.add(snare(), at(20 + i / 4), 0.08 + i * 0.015, 0.2, rev=0.3)
    mix.add(crash(), at(0), 0.3, 0.4, rev=0.4)
    mix.add(crash(), at(16), 0.4, -0.4, rev=0.4)
    for i, name in enumerate(("C6", "E6", "G6", "C7", "G6", "C7")):
        mix.add(glock(note(name)), at(16 + 1 + i / 4), 0.16, 0.5, rev=0.5)

    left, right = mix.render(reverb_level=0.6, reverb_size=1.2, reverb_feedback=0.85)
    path = os.path.join(MUSIC_DIR, "levelup.mp3")
    write_mp3(path, left, right, "Level up")
    return path, len(left)


# ---------------------------------------------------------------------------
# Sound effects: mono, 22050 Hz, peak -3 dBFS
# ---------------------------------------------------------------------------

def finish_effect(name, sig, room=0.0):
    """Add a touch of room if asked, trim the silent tail, fade, normalise, write."""
    if room:
        wet = reverb(sig, 0.8, 0.75, tail=int(0.6 * SR))
        sig = mix_add(sig, wet, room)
    floor = max(abs(v) for v in sig) * 10 ** (-50 / 20)
    end = len(sig)
    while end > 1 and abs(sig[end - 1]) < floor:
        end -= 1
    sig = sig[:end + int(0.01 * SR)]
    fade = min(len(sig), int(0.01 * SR))
    for i in range(fade):
        sig[-1 - i] *= i / fade
    path = os.path.join(EFFECTS_DIR, name + ".wav")
    write_wav(path, [normalise(sig, EFFECT_PEAK)])
    return path, len(sig)


def fx_enter_battle():
    """Alarm siren whooping upward over a rising rush of air."""
    rng = random.Random(11)
    n = int(1.4 * SR)
    base = glide(220, 880, n, 0.8)
    wobble = [f * (1 + 0.06 * math.sin(2 * math.pi * 9 * i / SR)) for i, f in enumerate(base)]
    siren = mix_add(osc_sweep("square", wobble), osc_sweep("saw", [f * 1.5 for f in wobble]), 0.5)
    siren = svf(siren, [f * 4 for f in base], 1.0)
    rush = svf(noise(n, rng), glide(400, 5000, n), 2.0, "band")
    env = adsr(n - int(0.25 * SR), 0.6, 0.1, 1.0, 0.25)
    swell = [min(1.0, 0.3 + i / n) for i in range(n)]
    sig = mul(mix_add(gain(siren, 0.6), rush, 0.8), mul(env, swell))
    return finish_effect("enter_battle", sig, room=0.3)


def fx_shot():
    """Blaster: a square zap diving from high to low, with a spark of noise."""
    rng = random.Random(12)
    n = int(0.28 * SR)
    zap = osc_sweep("square", glide(2400, 180, n, 0.5))
    ring = osc_sweep("sine", glide(1800, 300, n, 0.6))
    spark = highpass(noise(int(0.02 * SR), rng), 3000)
    sig = mix_add(mul(mix_add(zap, ring, 0.6), decay_env(n, 0.07, 0.001)), spark, 0.4)
    return finish_effect("shot", lowpass(sig, 6000), room=0.15)


def fx_punch():
    """Body blow: a low falling thump with a dull slap on top."""
    rng = random.Random(13)
    n = int(0.3 * SR)
    body = osc_sweep("sine", glide(140, 45, n, 0.4))
    slap = lowpass(noise(int(0.05 * SR), rng), 1200)
    slap = mul(slap, decay_env(len(slap), 0.012, 0.0005))
    sig = mix_add(mul(body, decay_env(n, 0.08, 0.001)), slap, 0.8)
    return finish_effect("punch", sig)


def fx_sword():
    """Blade: a quick swish of air, then the steel rings."""
    rng = random.Random(14)
    swish_n = int(0.18 * SR)
    swish = svf(noise(swish_n, rng), glide(800, 5000, swish_n), 2.5, "band")
    swish = mul(swish, [math.sin(math.pi * i / swish_n) ** 2 for i in range(swish_n)])
    ring_n = int(0.9 * SR)
    ring = [0.0] * ring_n
    for ratio, amp, t in ((1.0, 1.0, 0.35), (2.71, 0.6, 0.22), (4.13, 0.4, 0.15), (6.39, 0.25, 0.09)):
        partial = osc("sine", 1150 * ratio, ring_n, ratio % 1, 7.0, 0.002)
        ring = mix_add(ring, mul(partial, decay_env(ring_n, t, 0.001)), amp)
    sig = [0.0] * int(0.12 * SR) + gain(ring, 0.35)
    sig = mix_add(sig, swish, 1.0)
    return finish_effect("sword", sig, room=0.25)


def fx_miss():
    """Whiff: soft air past the ear, rising then falling."""
    rng = random.Random(15)
    n = int(0.38 * SR)
    shape = [math.sin(math.pi * i / n) for i in range(n)]
    cutoff = [400 + 1800 * s for s in shape]
    air = svf(noise(n, rng), cutoff, 1.5, "band")
    return finish_effect("miss", mul(air, [s ** 1.5 for s in shape]))


def fx_spell():
    """Magic: a rising shimmer with sparkles scattered over it."""
    rng = random.Random(16)
    n = int(1.6 * SR)
    shimmer = [0.0] * n
    for k in (note("C5"), note("G5"), note("D6")):
        voice = osc_sweep("sine", glide(hz(k) * 0.7, hz(k), n, 0.5))
        trem = [0.6 + 0.4 * math.sin(2 * math.pi * 7 * i / SR + k) for i in range(n)]
        shimmer = mix_add(shimmer, mul(voice, trem), 0.3)
    shimmer = mul(shimmer, adsr(n - int(0.6 * SR), 0.3, 0.3, 0.8, 0.6))
    sig = gain(shimmer, 0.6)
    pentatonic = [note(x) for x in ("C6", "D6", "E6", "G6", "A6", "C7", "D7", "E7")]
    for _ in range(26):
        start = int(rng.uniform(0.0, 1.25) * SR)
        sparkle = glock(rng.choice(pentatonic), 0.35)
        sig = mix_add(sig, [0.0] * start + gain(sparkle, rng.uniform(0.15, 0.35)))
    return finish_effect("spell", sig, room=0.35)


def fx_battle_win():
    """Victory: a quick triplet climb to a held major chord."""
    n = int(1.9 * SR)
    sig = [0.0] * n
    step = int(0.11 * SR)
    for i, name in enumerate(("G4", "C5", "E5")):
        tone = mul(mix_add(osc("square", hz(note(name)), step), osc("triangle", hz(note(name)), step), 1.0),
                   adsr(step - int(0.02 * SR), 0.004, 0.05, 0.7, 0.02))
        sig = mix_add(sig, [0.0] * (i * step) + gain(lowpass(tone, 3500), 0.5))
    hold = n - 3 * step
    for name, amp in (("G5", 0.5), ("C5", 0.3), ("E5", 0.3), ("C6", 0.4)):
        f = hz(note(name))
        tone = mix_add(osc("square", f, hold, 0, 5.5, 0.004), osc("triangle", f, hold, 0.3), 1.0)
        tone = mul(lowpass(tone, 3000), adsr(hold - int(0.5 * SR), 0.006, 0.3, 0.6, 0.5))
        sig = mix_add(sig, [0.0] * (3 * step) + gain(tone, amp))
    return finish_effect("battle_win", sig, room=0.3)


def fx_level_up():
    """Level up: bells running up a bright major arpeggio."""
    n = int(1.5 * SR)
    sig = [0.0] * n
    for i, name in enumerate(("C5", "E5", "G5", "C6", "E6", "G6", "C7")):
        bell = glock(note(name), 1.0)
        sig = mix_add(sig, [0.0] * int(i * 0.07 * SR) + gain(bell, 0.6 + 0.05 * i))
    sig = sig[:n]
    return finish_effect("level_up", sig, room=0.3)


# ---------------------------------------------------------------------------

PIECES = {
    "title": title_theme,
    "dungeon": dungeon_theme,
    "battle": battle_music,
    "town": town_music,
    "levelup": levelup_music,
    "enter_battle": fx_enter_battle,
    "shot": fx_shot,
    "punch": fx_punch,
    "sword": fx_sword,
    "miss": fx_miss,
    "spell": fx_spell,
    "battle_win": fx_battle_win,
    "level_up": fx_level_up,
}


def check_wav(path):
    with wave.open(path, "rb") as w:
        frames = w.readframes(w.getnframes())
        params = (w.getnchannels(), w.getsampwidth(), w.getframerate())
    pcm = array.array("h", frames)
    if sys.byteorder == "big":
        pcm.byteswap()
    peak = max(abs(v) for v in pcm) / 32768
    if params != (1, 2, SR) or not 0.5 < peak < 0.75:
        raise ValueError(f"{path}: format {params}, peak {peak:.2f}")
    return 20 * math.log10(peak)


def main(argv):
    names = argv or list(PIECES)
    unknown = [n for n in names if n not in PIECES]
    if unknown:
        sys.exit(f"unknown piece(s): {' '.join(unknown)}; choose from {' '.join(PIECES)}")
    try:
        subprocess.run(["lame", "--version"], check=True, capture_output=True)
    except (OSError, subprocess.CalledProcessError):
        sys.exit("make_audio: the `lame` command is needed to encode the MP3 music")
    os.makedirs(MUSIC_DIR, exist_ok=True)
    os.makedirs(EFFECTS_DIR, exist_ok=True)
    for name in names:
        began = time.time()
        result = PIECES[name]()
        took = time.time() - began
        if isinstance(result, str):
            info = read_midi_summary(result)
            detail = (f"{info['seconds']:.1f} s, {info['tracks']} tracks, {info['notes']} notes, "
                      f"channels {info['channels']}")
            path = result
        else:
            path, length = result
            detail = f"{length / SR:.2f} s"
            if path.endswith(".wav"):
                detail += f", peak {check_wav(path):.1f} dBFS"
        size = os.path.getsize(path)
        print(f"{os.path.relpath(path, ROOT):34} {size / 1024:7.1f} KB  {detail}  ({took:.1f} s)")


if __name__ == "__main__":
    main(sys.argv[1:])
