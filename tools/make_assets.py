#!/usr/bin/python3
"""Makes the game's assets: every generator module of tools/assets/, or those named, in their
fixed order. The made files are committed.

    tools/make_assets.py                  # re-make everything into the repository
    tools/make_assets.py fonts atlas.*    # re-make some modules
    tools/make_assets.py --check          # re-make into a scratch folder and compare (the
                                          # folder stays when something differs)
    tools/make_assets.py --check --changed  # only modules whose inputs changed against main
    tools/make_assets.py --preview        # contact sheet of the art: build/assets-preview.png
    tools/make_assets.py --list           # the modules with their inputs and outputs
    tools/make_assets.py --out DIR        # make into another folder (laid out as the repository)

Run it with Debian's Python (python3-pil, python3-cairo, python3-numpy; oggenc from
vorbis-tools; DejaVu from fonts-dejavu-core): scripts/packages.txt lists them.
"""
import argparse
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from assets import check, lint, modules as module_list, registry  # noqa: E402
from assets.common import REPO  # noqa: E402


def write_files(files, root=REPO):
    for path, data in sorted(files.items()):
        full = os.path.join(root, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        old = None
        if os.path.exists(full):
            with open(full, "rb") as existing:
                old = existing.read()
        if old != data:
            with open(full, "wb") as out:
                out.write(data)


def make(modules, checking=None, out=None):
    """Builds the modules; in check mode (`checking` is a scratch folder) writes them there and
    compares them with the repository's; with `out` writes into that folder instead of the
    repository. Returns the problems."""
    problems = []
    for module in modules:
        started = time.monotonic()
        output = module.build()
        made = output.files
        for path in made:
            if not module.owns(path):
                problems.append("%s: makes %s, which it does not declare" % (module.name, path))
        stale = sorted(check.committed_files(module.outputs) - set(made))
        if checking:
            write_files(made, checking)
            for path in sorted(made):
                full = os.path.join(REPO, path)
                committed = None
                if os.path.exists(full):
                    with open(full, "rb") as existing:
                        committed = existing.read()
                difference = check.compare(path, made[path], committed)
                if difference:
                    problems.append("%s: %s: %s" % (module.name, path, difference))
            for path in stale:
                problems.append("%s: %s is committed but no longer made" % (module.name, path))
        elif out:
            write_files(made, out)
        else:
            write_files(made)
            for path in stale:
                os.remove(os.path.join(REPO, path))
        print("%-22s %3d files  %5.1f s" % (module.name, len(made), time.monotonic() - started),
              flush=True)
    return problems


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("modules", nargs="*", help="modules to make (all when none is named)")
    parser.add_argument("--check", action="store_true",
                        help="re-make and compare with the committed files; change nothing")
    parser.add_argument("--changed", action="store_true",
                        help="only the modules whose inputs changed against the merge base "
                             "with main (every module when a shared input changed)")
    parser.add_argument("--base", help="compare with this commit instead of the merge base")
    parser.add_argument("--preview", action="store_true",
                        help="write the contact sheet build/assets-preview.png")
    parser.add_argument("--out", help="write the made files into this folder (laid out as the "
                                      "repository) instead of the repository")
    parser.add_argument("--list", action="store_true", help="list the modules and stop")
    args = parser.parse_args(argv)

    modules = module_list.all_modules()
    if args.list:
        for module in modules:
            print(module.name)
            print("  reads:  " + ", ".join(sorted(module.input_files())))
            print("  writes: " + ", ".join(module.outputs))
        return 0

    chosen = registry.select(modules, args.modules) if args.modules else modules
    if args.changed:
        base = args.base or check.merge_base()
        if base is None:
            print("no main branch to compare with: checking every module")
        else:
            changed = check.changed_paths(base)
            chosen = [m for m in registry.affected(modules, changed) if m in chosen]
            print("changed against %s: %d files; modules: %s"
                  % (base[:12], len(changed), ", ".join(m.name for m in chosen) or "none"))

    started = time.monotonic()
    problems = []
    scratch = tempfile.mkdtemp(prefix="assets-check-") if args.check else None
    if args.check or args.modules or not args.preview:
        problems += make(chosen, scratch, args.out)
    if args.check:
        problems += lint.lint_all()
    if args.preview:
        from assets import preview
        path = preview.write_preview()
        print("contact sheet: " + os.path.relpath(path, REPO))
    elapsed = time.monotonic() - started
    if problems:
        print("\n".join(problems))
        if scratch:
            print("the made files are in " + scratch)
        print("%d problems (%.1f s)" % (len(problems), elapsed))
        return 1
    if scratch:
        shutil.rmtree(scratch)
    if args.check:
        print("assets are up to date (%d modules, %.1f s)" % (len(chosen), elapsed))
    return 0


if __name__ == "__main__":
    sys.exit(main())
