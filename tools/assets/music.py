"""A small composer for the game's music loops: a chord progression of whole bars in a major key,
with bass, pad, arpeggio, a melody drawn from the chords and light drums, in stereo. The loop is
seamless: whatever rings on past the last bar is folded back into the first.
"""
import numpy as np

from . import synth as s

MAJOR = (0, 2, 4, 5, 7, 9, 11)
ROOTS = {"C": 60, "Db": 61, "D": 62, "Eb": 63, "E": 64, "F": 65, "Gb": 66, "G": 67, "Ab": 68,
         "A": 69, "Bb": 70, "B": 71}

STYLES = {
    # layers and their levels; "swing" delays off-beat eighths
    "bright": {"drums": 1.0, "arp": 0.7, "pad": 0.55, "lead": 0.8, "bass": 0.9, "bells": 0.0},
    "gentle": {"drums": 0.0, "arp": 0.6, "pad": 0.7, "lead": 0.7, "bass": 0.7, "bells": 0.0},
    "playful": {"drums": 0.9, "arp": 0.9, "pad": 0.35, "lead": 0.85, "bass": 0.9, "bells": 0.0},
    "breezy": {"drums": 0.7, "arp": 0.5, "pad": 0.6, "lead": 0.75, "bass": 0.8, "bells": 0.0},
    "warm": {"drums": 0.6, "arp": 0.6, "pad": 0.7, "lead": 0.7, "bass": 0.85, "bells": 0.0},
    "wintry": {"drums": 0.4, "arp": 0.3, "pad": 0.7, "lead": 0.6, "bass": 0.7, "bells": 0.8},
}


def chord(root_midi, degree):
    """MIDI notes of the triad on a scale degree (1 to 7) of a major key."""
    i = degree - 1
    notes = []
    for step in (0, 2, 4):
        j = i + step
        notes.append(root_midi + MAJOR[j % 7] + 12 * (j // 7))
    return notes


def scale_notes(root_midi, low, high):
    return [n for n in range(low, high + 1) if (n - root_midi) % 12 in MAJOR]


def pan(mono, position):
    """Stereo (n x 2) from mono; position -1 (left) .. 1 (right), constant power."""
    angle = (position + 1) * np.pi / 4
    return np.stack([mono * np.cos(angle), mono * np.sin(angle)], axis=1)


class Track:
    def __init__(self, name, key, bpm, bars, progression, style, seconds_tail=2.5):
        self.name = name
        self.root = ROOTS[key]
        self.bpm = bpm
        self.bars = bars
        self.progression = list(progression)
        self.style = STYLES[style]
        self.beat = 60.0 / bpm
        self.length = int(round(bars * 4 * self.beat * s.RATE))
        self.buffer = np.zeros((self.length + s.seconds(seconds_tail), 2))
        self.random = s.rng("music", name)

    def at(self, beat):
        return int(round(beat * self.beat * s.RATE))

    def add(self, stereo, beat, gain=1.0):
        start = self.at(beat)
        end = min(len(self.buffer), start + len(stereo))
        self.buffer[start:end] += gain * stereo[:end - start]

    def chord_at(self, bar):
        return chord(self.root, self.progression[bar % len(self.progression)])

    # instruments
    def pad(self, notes, length_beats, level):
        duration = length_beats * self.beat + 0.6
        tone = np.zeros(s.seconds(duration))
        for index, n in enumerate(notes):
            for detune in (-0.12, 0.12):
                tone += s.soft_saw(s.midi(n + detune / 10.0), duration, harmonics=6)
        tone = s.band(tone, low=120, high=1800)
        env = s.envelope(len(tone), attack=0.35, decay=0.3, sustain=0.8, release=0.6)
        wide = np.stack([tone * env, np.roll(tone, 37) * env], axis=1)
        return wide * level * 0.12

    def pluck(self, freq, duration, brightness=0.5):
        count = s.seconds(duration)
        tone = s.osc(freq, duration, "triangle") * (1 - brightness) + \
            s.osc(freq * 2, duration) * brightness * 0.4
        return tone * s.decay_env(count, duration)

    def bass_note(self, freq, duration):
        count = s.seconds(duration)
        tone = s.osc(freq, duration) + 0.3 * s.osc(freq * 2, duration, "triangle")
        return tone * s.envelope(count, attack=0.008, decay=0.15, sustain=0.55, release=0.08)

    def lead_note(self, freq, duration):
        count = s.seconds(duration)
        vibrato = freq * (1 + 0.004 * np.sin(2 * np.pi * 5.2 * np.arange(count) / s.RATE))
        tone = s.osc(vibrato, duration) + 0.35 * s.osc(vibrato * 2, duration, "triangle") + \
            0.12 * s.osc(vibrato * 3, duration)
        return tone * s.envelope(count, attack=0.015, decay=0.2, sustain=0.5, release=0.12)

    def bell(self, freq, duration):
        count = s.seconds(duration)
        tone = s.osc(freq, duration) + 0.5 * s.osc(freq * 2.76, duration) + \
            0.25 * s.osc(freq * 5.4, duration)
        return tone * s.decay_env(count, duration)

    def kick(self):
        duration = 0.35
        count = s.seconds(duration)
        t = np.arange(count) / s.RATE
        freq = 48 + 90 * np.exp(-t * 28)
        return s.osc(freq, duration) * s.decay_env(count, 0.3)

    def snare(self):
        duration = 0.22
        body = s.band(s.noise(duration, self.random), low=900, high=7000)
        tone = 0.3 * s.osc(190, duration)
        return (body + tone) * s.decay_env(len(body), 0.16)

    def hat(self):
        duration = 0.06
        tick = s.band(s.noise(duration, self.random), low=6000)
        return tick * s.decay_env(len(tick), 0.05)

    # parts
    def render(self):
        st = self.style
        for bar in range(self.bars):
            notes = self.chord_at(bar)
            base = bar * 4
            if st["pad"]:
                self.add(self.pad([n - 12 for n in notes], 4, st["pad"]), base)
            if st["bass"]:
                root = notes[0] - 24
                for beat, length in ((0, 1.4), (2, 1.0), (3.5, 0.45)):
                    n = root if beat != 3.5 else root + 7
                    self.add(pan(self.bass_note(s.midi(n), length * self.beat), 0) * 0.35 * st["bass"],
                             base + beat)
            if st["arp"]:
                pattern = [0, 1, 2, 1, 0, 2, 1, 2]
                for step, which in enumerate(pattern):
                    n = notes[which] + (12 if step % 4 == 3 else 0)
                    side = -0.45 if step % 2 == 0 else 0.45
                    self.add(pan(self.pluck(s.midi(n), 0.35), side) * 0.16 * st["arp"],
                             base + step * 0.5)
            if st["bells"]:
                for beat in (0, 2.5):
                    n = notes[(bar + int(beat)) % 3] + 12
                    self.add(pan(self.bell(s.midi(n), 1.6), 0.3) * 0.09 * st["bells"], base + beat)
            if st["drums"]:
                for beat in (0, 2):
                    self.add(pan(self.kick(), 0) * 0.5 * st["drums"], base + beat)
                for beat in (1, 3):
                    self.add(pan(self.snare(), 0.05) * 0.22 * st["drums"], base + beat)
                for step in range(8):
                    self.add(pan(self.hat(), 0.35) * (0.08 if step % 2 else 0.12) * st["drums"],
                             base + step * 0.5)
        if st["lead"]:
            self.melody(st["lead"])
        stereo = np.stack([s.loop_wrap(self.buffer[:, 0], self.length),
                           s.loop_wrap(self.buffer[:, 1], self.length)], axis=1)
        return stereo

    def melody(self, level):
        """A melody of two-bar phrases: chord tones on strong beats, scale steps between; the
        second half answers the first."""
        rhythms = [[(0, 1), (1, 0.5), (1.5, 0.5), (2, 1.5), (3.5, 0.5)],
                   [(0, 0.5), (0.5, 0.5), (1, 1), (2, 0.5), (2.5, 0.5), (3, 1)],
                   [(0, 1.5), (1.5, 0.5), (2, 2)],
                   [(0, 0.5), (0.5, 1), (1.5, 0.5), (2, 1), (3, 1)]]
        scale = scale_notes(self.root, self.root + 2, self.root + 19)
        previous = self.chord_at(0)[2] + 12
        phrase = []
        half = self.bars // 2
        for bar in range(half):
            rhythm = rhythms[int(self.random.integers(len(rhythms)))]
            notes = []
            for beat, length in rhythm:
                tones = [n + 12 for n in self.chord_at(bar)]
                if beat in (0, 2):
                    candidates = [n for n in scale if (n - tones[0]) % 12 in
                                  ((t - tones[0]) % 12 for t in tones)]
                else:
                    candidates = scale
                candidates = sorted(candidates, key=lambda n: abs(n - previous))[:3]
                n = candidates[int(self.random.integers(len(candidates)))]
                notes.append((beat, length, n))
                previous = n
            phrase.append(notes)
        for bar in range(self.bars):
            notes = phrase[bar % half]
            for beat, length, n in notes:
                if bar >= half and bar == self.bars - 1 and beat >= 2:
                    n = min(scale, key=lambda m: abs(m - (self.root + 12)))  # close on the tonic
                self.add(pan(self.lead_note(s.midi(n), length * self.beat * 0.92), 0.15) *
                         0.2 * level, bar * 4 + beat)


def compose(name, key, bpm, bars, progression, style, level_db=-14.0):
    track = Track(name, key, bpm, bars, progression, style)
    return s.rms_to(track.render(), level_db)
