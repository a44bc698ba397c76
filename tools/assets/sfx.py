"""Recipes of the game's sound effects and ambience: each takes the cue's name (its seed) and its
description's parameters, and returns mono samples before levelling."""
import numpy as np

from . import synth as s


def _r(name):
    return s.rng("sfx", name)


def _tone(freq, duration, shape="sine", decay=None, attack=0.003):
    count = s.seconds(duration)
    tone = s.osc(freq, duration, shape)
    env = s.decay_env(count, decay or duration)
    env[:s.seconds(attack)] *= np.linspace(0, 1, s.seconds(attack))
    return tone * env


def _bell(freq, duration):
    count = s.seconds(duration)
    tone = (s.osc(freq, duration) + 0.45 * s.osc(freq * 2.0, duration) +
            0.2 * s.osc(freq * 3.01, duration) + 0.1 * s.osc(freq * 4.2, duration))
    return tone * s.decay_env(count, duration)


def _sum(*signals):
    """Signals of any lengths added from their starts."""
    out = np.zeros(max(len(x) for x in signals))
    for x in signals:
        out[:len(x)] += x
    return out


def _sequence(parts, total):
    out = np.zeros(s.seconds(total))
    for at, signal, gain in parts:
        s.place(out, signal, s.seconds(at), gain)
    return out


def _hiss(name, duration, low=None, high=None):
    return s.band(s.noise(duration, _r(name)), low, high)


# --- Interface ------------------------------------------------------------------------------

def click(name, p):
    """A short soft click: a tiny noise tap on a rounded pitch blip."""
    duration = 0.06
    tap = _hiss(name, duration, 1500, 9000) * s.decay_env(s.seconds(duration), 0.012)
    blip = _tone(p.get("freq", 1400), duration, decay=0.035)
    return tap * 0.5 + blip


def tick(name, p):
    duration = 0.04
    return _tone(p.get("freq", 2300), duration, decay=0.02) + \
        0.3 * _hiss(name, duration, 4000) * s.decay_env(s.seconds(duration), 0.008)


def chime(name, p):
    """Notes one after another: rising for rewards, falling for refusals."""
    notes, step, ring = p["notes"], p.get("step", 0.09), p.get("ring", 0.5)
    total = step * (len(notes) - 1) + ring
    return _sequence([(i * step, _bell(s.note(n), ring), 1.0) for i, n in enumerate(notes)], total)


def buzz(name, p):
    """A low falling buzz for a missed click."""
    duration = p.get("duration", 0.18)
    count = s.seconds(duration)
    freq = np.linspace(220, 150, count)
    tone = s.band(s.osc(freq, duration, "square"), high=1200)
    return tone * s.envelope(count, attack=0.004, decay=0.05, sustain=0.7, release=0.06)


def sparkle(name, p):
    random = _r(name)
    duration = p.get("duration", 0.6)
    parts = []
    for i in range(p.get("count", 7)):
        at = i * duration / 10 + random.uniform(0, 0.02)
        freq = s.note(p.get("base", "C6")) * 2 ** (random.integers(0, 12) / 12.0)
        parts.append((at, _tone(freq, 0.25, decay=0.2), 0.6))
    return _sequence(parts, duration + 0.3)


def whoosh(name, p):
    duration = p.get("duration", 0.35)
    count = s.seconds(duration)
    return _hiss(name, duration, 400, 5000) * np.sin(np.linspace(0, np.pi, count)) ** 2


def popup(name, p):
    """A window opening: a soft rising sweep and a chime."""
    duration = 0.5
    count = s.seconds(duration)
    sweep = s.osc(np.linspace(300, 900, count), duration) * s.envelope(count, 0.01, 0.1, 0.3, 0.2)
    bells = chime(name, {"notes": p.get("notes", ["E5", "B5"]), "step": 0.1, "ring": 0.4})
    out = np.zeros(max(count, len(bells)))
    out[:count] += 0.3 * sweep
    out[:len(bells)] += bells
    return out


def paper(name, p):
    duration = p.get("duration", 0.22)
    count = s.seconds(duration)
    rustle = _hiss(name, duration, 1800, 9000)
    flutter = 0.6 + 0.4 * np.sign(np.sin(2 * np.pi * 38 * np.arange(count) / s.RATE))
    return rustle * flutter * s.envelope(count, 0.01, 0.05, 0.6, 0.1)


def alarm(name, p):
    """Clock ticks with a warning beep on every second one."""
    duration = p.get("duration", 2.0)
    parts = []
    beat = 0.25
    for i in range(int(duration / beat)):
        parts.append((i * beat, _tone(2000 if i % 2 else 1500, 0.03, decay=0.015), 0.6))
        if i % 4 == 0:
            parts.append((i * beat, _tone(s.note("A5"), 0.18, "triangle", decay=0.15), 0.7))
    return _sequence(parts, duration)


def fanfare(name, p):
    notes = p["notes"]
    step = p.get("step", 0.16)
    parts = []
    for i, n in enumerate(notes):
        length = 0.9 if i == len(notes) - 1 else step * 1.3
        f = s.note(n)
        count = s.seconds(length)
        brass = s.band(s.osc(f, length, "saw") + 0.5 * s.osc(f * 1.005, length, "saw"), high=2800)
        brass *= s.envelope(count, 0.02, 0.1, 0.7, 0.15)
        parts.append((i * step, brass, 0.5))
        parts.append((i * step, _bell(f * 2, 0.5), 0.3))
    return _sequence(parts, step * len(notes) + 1.0)


def coins(name, p):
    random = _r(name)
    parts = []
    for i in range(p.get("count", 3)):
        f = s.note(p.get("base", "E6")) * (1 + 0.07 * i)
        at = i * p.get("step", 0.06) + random.uniform(0, 0.01)
        tone = _sum(_tone(f, 0.3, decay=0.25), 0.5 * _tone(f * 2.7, 0.2, decay=0.1))
        parts.append((at, tone, 0.7))
    return _sequence(parts, 0.5 + p.get("step", 0.06) * p.get("count", 3))


def register(name, p):
    """A cash register: a drawer clunk and a bell."""
    thud = _hiss(name, 0.08, 100, 900) * s.decay_env(s.seconds(0.08), 0.05)
    return _sequence([(0, thud, 0.8), (0.06, _bell(s.note("E6"), 0.7), 0.8),
                      (0.09, _bell(s.note("G#6"), 0.6), 0.5)], 0.8)


def horn(name, p):
    duration = p.get("duration", 0.5)
    count = s.seconds(duration)
    f = p.get("freq", 330)
    tone = s.band(s.osc(f, duration, "square") + s.osc(f * 1.26, duration, "square"), high=1800)
    honk = tone * s.envelope(count, 0.02, 0.05, 0.8, 0.08)
    return _sequence([(0, honk[:s.seconds(0.18)], 0.8), (0.25, honk, 0.8)], duration + 0.3)


def whistle(name, p):
    duration = p.get("duration", 0.6)
    count = s.seconds(duration)
    freq = np.concatenate([np.linspace(1400, 2100, count // 2), np.full(count - count // 2, 2100)])
    trill = 1 + 0.02 * np.sin(2 * np.pi * 30 * np.arange(count) / s.RATE)
    return s.osc(freq * trill, duration) * s.envelope(count, 0.02, 0.1, 0.8, 0.1)


def crack(name, p):
    """Something breaks: a crack and a falling clang."""
    snap = _hiss(name, 0.05, 800) * s.decay_env(s.seconds(0.05), 0.03)
    duration = 0.7
    count = s.seconds(duration)
    clang = s.osc(np.linspace(520, 380, count), duration) + 0.4 * s.osc(np.linspace(1310, 960, count),
                                                                        duration)
    clang *= s.decay_env(count, 0.6)
    return _sequence([(0, snap, 1.0), (0.02, clang, 0.6)], 0.75)


def squelch(name, p):
    duration = 0.45
    count = s.seconds(duration)
    wobble = s.osc(np.linspace(240, 110, count) * (1 + 0.15 * np.sin(np.arange(count) / 300.0)),
                   duration, "triangle")
    return s.band(wobble, high=900) * s.envelope(count, 0.01, 0.1, 0.6, 0.2)


def knock(name, p):
    parts = []
    for i in range(p.get("count", 2)):
        hit = s.band(s.noise(0.06, _r(name + str(i))), 150, 1400) * s.decay_env(s.seconds(0.06), 0.04)
        hit = _sum(hit, 0.5 * _tone(180, 0.08, decay=0.05))
        parts.append((i * 0.13, hit, 0.9))
    return _sequence(parts, 0.13 * p.get("count", 2) + 0.1)


def doorbell(name, p):
    return _sequence([(0, _bell(s.note("E5"), 0.7), 0.8), (0.32, _bell(s.note("C5"), 0.9), 0.8)], 1.2)


# --- World ----------------------------------------------------------------------------------

def engine(name, p):
    """An engine running: a low hum with a rough edge, for buses and cars."""
    duration = p.get("duration", 2.0)
    count = s.seconds(duration)
    random = _r(name)
    rpm = p.get("freq", 42) * (1 + 0.04 * np.sin(2 * np.pi * 0.7 * np.arange(count) / s.RATE))
    hum = s.osc(rpm, duration, "saw") + 0.5 * s.osc(rpm * 2, duration, "square")
    rough = s.band(random.uniform(-1, 1, count), 60, 600) * 0.4
    return s.band(hum, high=700) + rough


def bus(name, p):
    duration = 2.5
    count = s.seconds(duration)
    drive = engine(name, {"duration": duration, "freq": 38})
    drive *= np.concatenate([np.linspace(0.2, 1, count // 3), np.ones(count - count // 3)])
    drive *= s.envelope(count, 0.05, 0.1, 1.0, 0.7)
    hiss = _hiss(name + "brake", 0.6, 2500) * s.envelope(s.seconds(0.6), 0.02, 0.1, 0.6, 0.3)
    return _sequence([(0, drive, 0.8), (1.8, hiss, 0.5)], duration + 0.2)


def helicopter(name, p):
    duration = 3.0
    count = s.seconds(duration)
    t = np.arange(count) / s.RATE
    chop = (0.5 + 0.5 * np.sin(2 * np.pi * 11 * t)) ** 6
    body = _hiss(name, duration, 60, 900) * chop + 0.3 * s.osc(90, duration, "saw") * chop
    return s.band(body, high=1500) * s.envelope(count, 0.6, 0.1, 1.0, 0.9)


def hammering(name, p):
    """A loop of hammer blows on wood with a workman's rhythm."""
    duration = p.get("duration", 2.0)
    random = _r(name)
    parts = []
    for i, at in enumerate((0.0, 0.35, 0.7, 1.2, 1.55)):
        hit = s.band(s.noise(0.09, random), 200, 3000) * s.decay_env(s.seconds(0.09), 0.06)
        hit = _sum(hit, 0.6 * _tone(320 + 40 * (i % 2), 0.12, decay=0.08))
        parts.append((at * duration / 2.0, hit, 0.9))
    if p.get("saw"):
        strokes = np.zeros(s.seconds(duration))
        for at in (0.15, 0.95):
            span = s.seconds(0.45)
            rasp = s.band(s.noise(0.45, random), 1500, 7000)
            rasp *= 0.5 + 0.5 * np.sin(2 * np.pi * 9 * np.arange(span) / s.RATE) ** 2
            s.place(strokes, rasp * s.envelope(span, 0.05, 0.1, 0.8, 0.1), s.seconds(at * duration / 2.0))
        parts.append((0, strokes, 0.35))
    return s.loop_wrap(_sequence(parts, duration + 0.3), s.seconds(duration))


def crumble(name, p):
    duration = 2.0
    count = s.seconds(duration)
    random = _r(name)
    rumble = s.band(random.uniform(-1, 1, count), 40, 500)
    debris = np.zeros(count)
    for _ in range(40):
        at = int(random.uniform(0, 0.75) * count)
        piece = s.band(s.noise(0.05, random), 600, 5000) * s.decay_env(s.seconds(0.05), 0.03)
        s.place(debris, piece, at, random.uniform(0.2, 0.6))
    return (rumble + debris) * s.envelope(count, 0.03, 0.3, 0.7, 1.0)


def scrubbing(name, p):
    duration = 2.0
    count = s.seconds(duration)
    strokes = 0.5 + 0.5 * np.sin(2 * np.pi * 2.0 * np.arange(count) / s.RATE)
    brush = _hiss(name, duration, 2000, 8000) * strokes ** 2
    return s.crossfade_loop(np.concatenate([brush, brush[:s.seconds(0.2)]]), 0.2)


def machine(name, p):
    duration = 2.0
    count = s.seconds(duration)
    hum = s.band(s.osc(55, duration, "saw") + 0.4 * s.osc(110, duration, "square"), high=600)
    clanks = np.zeros(count)
    for at in (0.0, 0.5, 1.0, 1.5):
        clank = _sum(_tone(740, 0.15, "triangle", decay=0.1), _tone(1100, 0.1, decay=0.06))
        s.place(clanks, clank, s.seconds(at))
    return s.loop_wrap(np.concatenate([0.5 * hum + clanks, np.zeros(s.seconds(0.2))]), count)


def typewriter(name, p):
    duration = 2.0
    random = _r(name)
    out = np.zeros(s.seconds(duration))
    at = 0.0
    while at < duration - 0.1:
        key = s.band(s.noise(0.03, random), 1000, 8000) * s.decay_env(s.seconds(0.03), 0.012)
        s.place(out, key, s.seconds(at), random.uniform(0.5, 1.0))
        at += random.uniform(0.07, 0.16)
    s.place(out, _bell(s.note("C7"), 0.3), s.seconds(1.7), 0.4)
    return out


def murmur(name, p):
    """A crowd talking, with a voice through a loudspeaker now and then."""
    duration = 2.0
    count = s.seconds(duration)
    random = _r(name)
    crowd = np.zeros(count)
    for _ in range(8):
        f = random.uniform(140, 260)
        syllables = 0.5 + 0.5 * np.sin(2 * np.pi * random.uniform(3, 6) * np.arange(count) / s.RATE +
                                       random.uniform(0, 6))
        crowd += s.band(s.osc(f, duration, "saw"), 200, 1200) * syllables * 0.2
    loop = np.concatenate([crowd, crowd[:s.seconds(0.25)]])
    return s.crossfade_loop(loop, 0.25)


def register_loop(name, p):
    duration = 2.0
    parts = [(0.1, _tone(1800, 0.08, "square", decay=0.05), 0.3),
             (0.3, _tone(1800, 0.08, "square", decay=0.05), 0.3),
             (1.0, register(name, p), 0.8)]
    return s.loop_wrap(_sequence(parts, duration + 0.6), s.seconds(duration))


def car_pass(name, p):
    """A car driving past (pitch and level rise and fall); `way` "away" or "arrive" keeps one
    half."""
    duration = p.get("duration", 2.0)
    count = s.seconds(duration)
    t = np.linspace(-1, 1, count)
    way = p.get("way", "past")
    if way == "away":
        t = np.linspace(0, 1.5, count)
    elif way == "arrive":
        t = np.linspace(-1.5, 0, count)
    shift = 1 - 0.12 * np.tanh(3 * t)
    level = 1 / (1 + 6 * t * t)
    hum = engine(name, {"duration": duration, "freq": 58}) * 0.6
    tone = s.band(s.osc(120 * shift, duration, "saw"), high=900)
    return (hum + 0.5 * tone) * level


def birds(name, p):
    """Ambience: birds over a soft bed of air and distant traffic, as a seamless loop."""
    duration = p.get("duration", 8.0)
    random = _r(name)
    count = s.seconds(duration + 0.5)
    bed = s.band(random.uniform(-1, 1, count), 80, 1200) * 0.25
    bed += s.band(random.uniform(-1, 1, count), 2000, 6000) * 0.05
    for _ in range(int(duration * 1.5)):
        at = random.uniform(0, duration)
        f = random.uniform(2800, 4200)
        length = random.uniform(0.06, 0.14)
        for k in range(int(random.integers(2, 5))):
            c = s.seconds(length)
            sweep = np.linspace(f, f * random.uniform(1.1, 1.4), c)
            chirp = s.osc(sweep, length) * np.sin(np.linspace(0, np.pi, c)) ** 2
            s.place(bed, chirp, s.seconds(at + k * length * 1.3), 0.25)
    return s.crossfade_loop(bed, 0.5)


def rain(name, p):
    duration = p.get("duration", 6.0)
    random = _r(name)
    count = s.seconds(duration)
    wash = s.band(random.uniform(-1, 1, count), 400, 9000)
    drops = np.zeros(count)
    for _ in range(int(duration * 60)):
        at = int(random.uniform(0, count))
        drop = s.band(s.noise(0.02, random), 2000, 9000) * s.decay_env(s.seconds(0.02), 0.008)
        s.place(drops, drop, at, random.uniform(0.1, 0.5))
    return (wash * 0.6 + drops) * s.envelope(count, 1.0, 0.1, 1.0, 1.5)


RECIPES = {f.__name__: f for f in (
    click, tick, chime, buzz, sparkle, whoosh, popup, paper, alarm, fanfare, coins, register, horn,
    whistle, crack, squelch, knock, doorbell, engine, bus, helicopter, hammering, crumble,
    scrubbing, machine, typewriter, murmur, register_loop, car_pass, birds, rain)}
