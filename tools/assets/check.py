"""Comparing made files with the committed ones, and finding what changed against main.

Text files must match byte for byte, pictures pixel for pixel, and sounds by their decoded length
and level (a new point release of the encoder may change an Ogg file's bytes but not its
content).
"""
import io
import os
import subprocess
import tempfile

import numpy as np
from PIL import Image

from .common import REPO
from .synth import decode_ogg, level_db

IMAGE_TYPES = (".png", ".jpg", ".jpeg")
SOUND_TYPES = (".ogg",)
LEVEL_TOLERANCE_DB = 0.5


def same_image(made, committed):
    """None when the two encoded pictures hold the same pixels, else what differs."""
    a, b = Image.open(io.BytesIO(made)), Image.open(io.BytesIO(committed))
    if a.size != b.size:
        return "size %dx%d, committed %dx%d" % (a.size + b.size)
    if a.convert("RGBA").tobytes() != b.convert("RGBA").tobytes():
        diff = np.abs(np.asarray(a.convert("RGBA"), np.int16) - np.asarray(b.convert("RGBA"),
                                                                             np.int16))
        return "%d pixels differ (largest difference %d)" % (int((diff.max(axis=2) > 0).sum()),
                                                             int(diff.max()))
    return None


def same_sound(made, committed):
    with tempfile.TemporaryDirectory() as folder:
        paths = []
        for index, data in enumerate((made, committed)):
            path = os.path.join(folder, "%d.ogg" % index)
            with open(path, "wb") as out:
                out.write(data)
            paths.append(path)
        try:
            (a, ca), (b, cb) = decode_ogg(paths[0]), decode_ogg(paths[1])
        except subprocess.CalledProcessError:
            return "does not decode"
    if ca != cb:
        return "%d channels, committed %d" % (ca, cb)
    if len(a) != len(b):
        return "%d samples, committed %d" % (len(a) // ca, len(b) // cb)
    la, lb = level_db(a), level_db(b)
    if abs(la - lb) > LEVEL_TOLERANCE_DB:
        return "level %.2f dB, committed %.2f dB" % (la, lb)
    return None


def compare(path, made, committed):
    """None when equal by the file kind's rule, else a short description of the difference."""
    if committed is None:
        return "not committed"
    extension = os.path.splitext(path)[1].lower()
    if made == committed:
        return None
    if extension in IMAGE_TYPES:
        return same_image(made, committed)
    if extension in SOUND_TYPES:
        return same_sound(made, committed)
    return "content differs"


def committed_files(patterns):
    """Files on disk under the repository that match one of the output patterns."""
    import fnmatch
    found = set()
    roots = set()
    for pattern in patterns:
        head = pattern.split("*", 1)[0]
        roots.add(os.path.dirname(head) if "*" in pattern else os.path.dirname(pattern))
    for root in roots:
        base = os.path.join(REPO, root)
        if os.path.isfile(base):
            continue
        for folder, _, files in os.walk(base):
            for name in files:
                rel = os.path.relpath(os.path.join(folder, name), REPO).replace(os.sep, "/")
                if any(fnmatch.fnmatchcase(rel, p) for p in patterns):
                    found.add(rel)
    for pattern in patterns:
        if "*" not in pattern and os.path.isfile(os.path.join(REPO, pattern)):
            found.add(pattern)
    return found


# --- Changes against main -------------------------------------------------------------------

def _git(*args):
    return subprocess.run(["git", "-C", REPO] + list(args), check=True, capture_output=True,
                          text=True).stdout


def merge_base(candidates=("main", "origin/main")):
    """The merge base of HEAD with main, or None when there is no main to compare with."""
    for ref in candidates:
        try:
            return _git("merge-base", "HEAD", ref).strip()
        except subprocess.CalledProcessError:
            continue
    return None


def changed_paths(base):
    """Repository-relative paths changed since `base`: commits, staged and unstaged changes, and
    files not yet added."""
    paths = set(_git("diff", "--name-only", "--no-renames", base).split())
    paths.update(_git("ls-files", "--others", "--exclude-standard").split())
    return sorted(paths)
