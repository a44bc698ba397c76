#!/usr/bin/env python3
"""The layering check passes on the tree and fails, naming the file and line, on includes and
calls placed against its rules in a scratch copy."""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
SCRIPT = os.path.join(ROOT, "scripts", "check-layers")


def run(root):
    return subprocess.run([sys.executable, SCRIPT, "--root", root], capture_output=True, text=True)


class CheckLayers(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp()
        for top in ("engine", "game"):
            shutil.copytree(os.path.join(ROOT, top), os.path.join(cls.scratch, top))

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch)

    def add_line(self, relative, line):
        """Appends the line to a file of the scratch copy; gives its line number and an undo."""
        path = os.path.join(self.scratch, relative)
        with open(path, encoding="utf-8") as handle:
            original = handle.read()
        with open(path, "a", encoding="utf-8") as handle:
            handle.write(("" if original.endswith("\n") else "\n") + line + "\n")
        self.addCleanup(lambda: open(path, "w", encoding="utf-8").write(original))
        return original.count("\n") + (0 if original.endswith("\n") else 1) + 1

    def expect_offence(self, relative, line, words):
        number = self.add_line(relative, line)
        result = run(self.scratch)
        self.assertEqual(result.returncode, 1, result.stdout)
        self.assertIn(f"{relative}:{number}:", result.stdout)
        self.assertIn(words, result.stdout)

    def test_the_tree_passes(self):
        result = run(ROOT)
        self.assertEqual(result.returncode, 0, result.stdout)

    def test_offences(self):
        cases = [
            ("engine/core/CLogger.cpp", '#include "engine/io/CFileSystem.h"', "not below it"),
            ("engine/io/CFileSystem.cpp", '#include "engine/scene/BaseNode.h"', "not below it"),
            ("engine/video/opengl/COpenGLDriver.cpp", '#include "engine/video/d3d9/CD3D9Driver.h"',
             "not below it"),
            ("engine/video/CNullDriver.cpp", '#include "engine/video/render2d/CFont.h"', "not below it"),
            ("engine/scene/BaseNode.cpp", '#include "game/app/GApplication.h"', "the engine includes the game"),
            ("engine/io/CXmlReader.cpp", "#include <unistd.h>", "platform header"),
            ("engine/scene/SceneManager.cpp", "static void* fetched() { return getDevice(); }",
             "fetches the device"),
            ("game/config/IGameServices.cpp", "static void* fetched() { return getDevice(); }",
             "fetches the device"),
            ("game/level/GLevelModifier.cpp", "static void* fetched() { return oskel::getDevice(); }",
             "fetches the device"),
            ("game/config/IGameServices.cpp", '#include "game/app/GApplication.h"', "not below it"),
        ]
        for relative, line, words in cases:
            with self.subTest(file=relative, line=line):
                self.expect_offence(relative, line, words)
                self.doCleanups()

    def test_allowed_includes(self):
        for relative, line in [
            ("engine/scene/BaseNode.cpp", '#include "engine/scene/animation/Animator.h"'),
            ("engine/core/CTimerScheduler.cpp", '#include "engine/core/event/CEvent.h"'),
            ("engine/video/opengl/COpenGLDriver.cpp", "#include <unistd.h>"),
            ("engine/device/CDeviceBase.cpp", "static void* fetched() { return getDevice(); }"),
            ("game/app/GApplication.cpp", "static void* fetched() { return getDevice(); }"),
            ("game/config/GSoundCueIds.cpp", '#include "game/level/GLevelModifier.h"'),
            ("engine/scene/BaseNode.cpp", "// a comment may say getDevice() without calling it"),
        ]:
            with self.subTest(file=relative, line=line):
                self.add_line(relative, line)
                result = run(self.scratch)
                self.assertEqual(result.returncode, 0, result.stdout)
                self.doCleanups()


if __name__ == "__main__":
    unittest.main()
