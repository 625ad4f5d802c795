"""Synthesised wave files: 16-bit mono PCM at 22050 Hz.

Noise comes from a fixed linear congruential generator so the output does not
depend on the Python version. Every file is normalised to a peak well below
full scale, so nothing clips.
"""
import io
import math
import struct
import wave

RATE = 22050
PEAK = 0.8  # of full scale


class Lcg:
    """Numerical Recipes LCG; uniform noise in [-1, 1)."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (1664525 * self.state + 1013904223) & 0xFFFFFFFF
        return self.state / 2147483648.0 - 1.0


def lowpass_loop(samples, alpha):
    """One-pole low-pass run twice round the buffer, so its output is
    periodic over the buffer (the start state is the end state)."""
    y = 0.0
    out = list(samples)
    for _ in range(2):
        for i, x in enumerate(samples):
            y += alpha * (x - y)
            out[i] = y
    return out


def lowpass(samples, alpha):
    y, out = 0.0, []
    for x in samples:
        y += alpha * (x - y)
        out.append(y)
    return out


def engine(seconds=3.0):
    """Turbine whine over a rumble. Every partial completes a whole number of
    cycles in the file and the noise is filtered circularly, so the end joins
    the start without a click."""
    n = int(seconds * RATE)
    rng = Lcg(0x5EED01)
    rumble = lowpass_loop([rng.next() for _ in range(n)], 0.02)
    hiss = lowpass_loop([rng.next() for _ in range(n)], 0.35)
    # (cycles over the file, amplitude): a whine, its harmonic, a low hum.
    partials = [(round(1480 * seconds), 0.22), (round(2960 * seconds), 0.07),
                (round(95 * seconds), 0.25), (round(190 * seconds), 0.12)]
    wobble = round(6 * seconds)  # slow beat, also periodic
    out = []
    for i in range(n):
        t = i / n
        v = sum(a * math.sin(2 * math.pi * k * t) for k, a in partials)
        v *= 1.0 + 0.15 * math.sin(2 * math.pi * wobble * t)
        out.append(v + 2.5 * rumble[i] + 0.12 * hiss[i])
    return out


def _envelope(t, attack, release, total):
    if t < attack:
        return t / attack
    if t > total - release:
        return max(0.0, (total - t) / release)
    return 1.0


def _motor(n, hz_of, seed, grit):
    """An electric motor whose pitch follows hz_of(t): tone, harmonics, grit."""
    rng = Lcg(seed)
    grain = lowpass([rng.next() for _ in range(n)], 0.25)
    phase, out = 0.0, []
    for i in range(n):
        t = i / RATE
        phase += 2 * math.pi * hz_of(t) / RATE
        v = 0.5 * math.sin(phase) + 0.25 * math.sin(2 * phase) + 0.12 * math.sin(3 * phase + 0.5)
        out.append(v + grit * grain[i])
    return out


def _clunk(n, at, seed, strength=1.0):
    """A lock engaging: a thud (decaying low tone) and a short click of noise."""
    rng = Lcg(seed)
    start = int(at * RATE)
    out = [0.0] * n
    for i in range(start, min(n, start + int(0.35 * RATE))):
        t = (i - start) / RATE
        out[i] = strength * (math.exp(-t * 18) * math.sin(2 * math.pi * 70 * t)
                             + 0.8 * math.exp(-t * 120) * rng.next())
    return out


def gear(seconds=5.5):
    """Gear motor running through the cycle, then the down-lock."""
    n = int(seconds * RATE)
    run = 4.6
    motor = _motor(n, lambda t: 210 + 40 * min(t, run) / run, 0x6EA2, 0.35)
    lock = _clunk(n, run + 0.05, 0x10C4)
    return [motor[i] * 0.6 * _envelope(i / RATE, 0.25, 0.3, run) + lock[i] for i in range(n)]


def flaps(seconds=3.0):
    """Flap motor: a higher, thinner whine with a soft stop."""
    n = int(seconds * RATE)
    run = 2.7
    motor = _motor(n, lambda t: 330 + 25 * math.sin(math.pi * min(t, run) / run), 0xF1A9, 0.25)
    stop = _clunk(n, run, 0x570B, 0.4)
    return [motor[i] * 0.6 * _envelope(i / RATE, 0.15, 0.25, run) + stop[i] for i in range(n)]


def wav_bytes(samples):
    peak = max(abs(s) for s in samples)
    scale = PEAK * 32767 / peak
    frames = b"".join(struct.pack("<h", int(round(s * scale))) for s in samples)
    buf = io.BytesIO()
    with wave.open(buf, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames)
    return buf.getvalue()


SOUNDS = {
    "Vantorel-Eng.wav": engine,
    "Vantorel-Gear.wav": gear,
    "Vantorel-Flaps.wav": flaps,
}
