"""Sound synthesis with numpy: oscillators, envelopes, filtered noise, a small music composer, and
the encoder step (WAV, then oggenc with a serial taken from the file name).

Everything is float64 in -1..1 at 44.1 kHz; a random generator is always seeded from the sound's
name, so the same description gives the same samples.
"""
import math
import os
import subprocess
import tempfile
import wave

import numpy as np

from .common import stable_seed

RATE = 44100


def rng(*parts):
    return np.random.default_rng(stable_seed(*parts))


def seconds(n):
    return int(round(n * RATE))



def db(value):
    return 10.0 ** (value / 20.0)


def note(name):
    """Frequency of a note such as "A4", "C#5", "Bb3"."""
    names = {"C": -9, "D": -7, "E": -5, "F": -4, "G": -2, "A": 0, "B": 2}
    step = names[name[0]]
    rest = name[1:]
    if rest.startswith("#"):
        step, rest = step + 1, rest[1:]
    elif rest.startswith("b"):
        step, rest = step - 1, rest[1:]
    return 440.0 * 2.0 ** ((step + 12 * (int(rest) - 4)) / 12.0)


def midi(number):
    return 440.0 * 2.0 ** ((number - 69) / 12.0)


# --- Oscillators and envelopes --------------------------------------------------------------

def phase_of(freq, count):
    """Phase (in cycles) of a constant or per-sample frequency."""
    if np.isscalar(freq):
        return np.arange(count) * (freq / RATE)
    return np.cumsum(np.asarray(freq, dtype=np.float64)) / RATE


def osc(freq, duration, shape="sine", count=None):
    count = count if count is not None else seconds(duration)
    phase = phase_of(freq, count)
    if shape == "sine":
        return np.sin(2 * np.pi * phase)
    frac = phase - np.floor(phase)
    if shape == "saw":
        return 2.0 * frac - 1.0
    if shape == "square":
        return np.where(frac < 0.5, 1.0, -1.0)
    if shape == "triangle":
        return 1.0 - 4.0 * np.abs(frac - 0.5)
    raise KeyError(shape)


def soft_saw(freq, duration, harmonics=8):
    """A band-limited saw (a sum of sines), warm and free of aliasing."""
    count = seconds(duration)
    phase = 2 * np.pi * phase_of(freq, count)
    out = np.zeros(count)
    for k in range(1, harmonics + 1):
        out += np.sin(k * phase) / k
    return out * 0.6


def envelope(count, attack=0.005, decay=0.1, sustain=0.0, release=0.05, hold=None):
    """An ADSR envelope over `count` samples (times in seconds); without `hold` the sustain lasts
    until the release at the end."""
    env = np.zeros(count)
    a, d, r = seconds(attack), seconds(decay), seconds(release)
    a = max(a, 1)
    env[:a] = np.linspace(0, 1, a, endpoint=False)[:count]
    end_d = min(count, a + d)
    if end_d > a:
        env[a:end_d] = np.linspace(1, sustain, end_d - a, endpoint=False)
    hold_end = count - r if hold is None else min(count, end_d + seconds(hold))
    if hold_end > end_d:
        env[end_d:hold_end] = sustain
    if r and hold_end < count:
        start_level = env[hold_end - 1] if hold_end > 0 else sustain
        env[hold_end:count] = np.linspace(start_level, 0, count - hold_end)
    return env


def decay_env(count, time):
    """An exponential decay to about -60 dB after `time` seconds, with a 2 ms attack."""
    t = np.arange(count) / RATE
    env = np.exp(-6.9 * t / max(time, 1e-4))
    attack = min(count, seconds(0.002))
    env[:attack] *= np.linspace(0, 1, attack, endpoint=False)
    return env


def noise(duration, generator, count=None):
    count = count if count is not None else seconds(duration)
    return generator.uniform(-1.0, 1.0, count)


def band(signal, low=None, high=None):
    """The signal with frequencies below `low` and above `high` removed (gentle slopes)."""
    spectrum = np.fft.rfft(signal)
    freqs = np.fft.rfftfreq(len(signal), 1.0 / RATE)
    gain = np.ones_like(freqs)
    if low:
        gain *= 1.0 / np.sqrt(1.0 + (low / np.maximum(freqs, 1e-3)) ** 4)
    if high:
        gain *= 1.0 / np.sqrt(1.0 + (freqs / high) ** 4)
    return np.fft.irfft(spectrum * gain, len(signal))


def place(target, signal, at, gain=1.0):
    """Adds the signal into target from sample `at` (cut at the end)."""
    start = max(0, at)
    end = min(len(target), at + len(signal))
    if end > start:
        target[start:end] += gain * signal[start - at:end - at]
    return target


def fade_edges(signal, fade_in=0.002, fade_out=0.01):
    a, b = min(len(signal), seconds(fade_in)), min(len(signal), seconds(fade_out))
    if a:
        signal[:a] *= np.linspace(0, 1, a)
    if b:
        signal[-b:] *= np.linspace(1, 0, b)
    return signal


def loop_wrap(signal, length):
    """A seamless loop of `length` samples: what rings on past the end is added to the start."""
    out = np.array(signal[:length], dtype=np.float64)
    tail = signal[length:]
    while len(tail):
        n = min(len(tail), length)
        out[:n] += tail[:n]
        tail = tail[n:]
    return out


def crossfade_loop(signal, overlap):
    """A loop of a steady texture (noise beds): its last `overlap` seconds blend into its start."""
    n = seconds(overlap)
    body = np.array(signal[:-n], dtype=np.float64)
    ramp = np.linspace(0, 1, n)
    body[:n] = body[:n] * ramp + signal[-n:] * (1 - ramp)
    return body


# --- Levels ---------------------------------------------------------------------------------

def peak_to(signal, level_db):
    peak = np.max(np.abs(signal)) or 1.0
    return signal * (db(level_db) / peak)


def rms(signal):
    return float(np.sqrt(np.mean(np.square(signal)))) or 1e-9


def rms_to(signal, level_db, ceiling_db=-1.0):
    """Scales to an RMS level, then keeps peaks below the ceiling with a soft limiter."""
    out = signal * (db(level_db) / rms(signal))
    ceiling = db(ceiling_db)
    over = np.abs(out) > ceiling * 0.8
    if over.any():
        knee = ceiling * 0.8
        excess = np.abs(out[over]) - knee
        out[over] = np.sign(out[over]) * (knee + (ceiling - knee) * np.tanh(excess / (ceiling - knee)))
    return out


# --- Encoding -------------------------------------------------------------------------------

def wav_bytes(samples):
    """16-bit PCM WAV bytes of a mono (n) or stereo (n x 2) signal."""
    data = np.asarray(samples)
    channels = 1 if data.ndim == 1 else data.shape[1]
    pcm = np.clip(np.rint(data * 32767.0), -32768, 32767).astype("<i2")
    with tempfile.SpooledTemporaryFile() as raw:
        with wave.open(raw, "wb") as out:
            out.setnchannels(channels)
            out.setsampwidth(2)
            out.setframerate(RATE)
            out.writeframes(pcm.tobytes())
        raw.seek(0)
        return raw.read()


def ogg_bytes(samples, serial_name, quality=3):
    """Ogg Vorbis bytes made by oggenc; the stream serial comes from `serial_name`, so the same
    samples always give the same file."""
    serial = stable_seed("ogg serial", serial_name) & 0x7FFFFFFF
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, "in.wav")
        target = os.path.join(folder, "out.ogg")
        with open(source, "wb") as out:
            out.write(wav_bytes(samples))
        subprocess.run(["oggenc", "--quiet", "--serial", str(serial), "-q", str(quality),
                        "-o", target, source], check=True)
        with open(target, "rb") as result:
            return result.read()


def decode_ogg(path):
    """Decoded 16-bit samples of an Ogg Vorbis file (interleaved) and its channel count."""
    result = subprocess.run(["oggdec", "--quiet", "-o", "-", path], check=True,
                            capture_output=True)
    with tempfile.SpooledTemporaryFile() as raw:
        raw.write(result.stdout)
        raw.seek(0)
        with wave.open(raw, "rb") as source:
            channels = source.getnchannels()
            frames = source.readframes(source.getnframes())
    return np.frombuffer(frames, "<i2").astype(np.float64) / 32768.0, channels


def level_db(samples):
    return 20.0 * math.log10(rms(samples))
