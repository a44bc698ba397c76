"""The same inputs give the same bytes: two runs of every generator, in two processes with
different hash seeds, write identical files."""
import os
import subprocess
import sys
import tempfile
import unittest

from assets.common import REPO

SCRIPT = os.path.join(REPO, "tools", "make_assets.py")


def tree(root):
    files = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            with open(path, "rb") as source:
                files[os.path.relpath(path, root)] = source.read()
    return files


class DeterminismTest(unittest.TestCase):
    def test_two_runs_write_the_same_bytes(self):
        runs = []
        with tempfile.TemporaryDirectory() as first, tempfile.TemporaryDirectory() as second:
            jobs = [subprocess.Popen([sys.executable, SCRIPT, "--out", folder],
                                     env=dict(os.environ, PYTHONHASHSEED=seed),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
                    for folder, seed in ((first, "1"), (second, "4242"))]
            for job in jobs:
                _, errors = job.communicate()
                self.assertEqual(job.returncode, 0, errors.decode())
            runs = [tree(first), tree(second)]
        self.assertGreater(len(runs[0]), 50)
        self.assertEqual(sorted(runs[0]), sorted(runs[1]))
        different = [path for path in runs[0] if runs[0][path] != runs[1][path]]
        self.assertEqual(different, [])


if __name__ == "__main__":
    unittest.main()
