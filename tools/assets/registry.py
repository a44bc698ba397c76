"""The generator modules, in the fixed order in which they run, with their inputs and outputs.

A generator module makes one group of committed files. It declares
- `build`: a function returning an `Output` (files by repository-relative path);
- `inputs`: the data files it reads (repository-relative paths or glob patterns); the Python
  code it runs is found by itself: the module's source file and every package module it imports,
  directly or not;
- `outputs`: glob patterns of the files it owns, so that checking also finds files that are
  committed but no longer made.
"""
import ast
import fnmatch
import functools
import glob
import os

from .common import REPO

# Changing one of these changes what every generator makes (or how it is run).
SHARED_INPUTS = ("tools/make_assets.py", "tools/assets/__init__.py", "tools/assets/registry.py",
                 "tools/assets/modules.py", "scripts/packages.txt")


def repo_path(path):
    """A path as the repository-relative name the registry uses."""
    return os.path.relpath(os.path.abspath(path), REPO).replace(os.sep, "/")


class Module:
    """`code` names further source files the module runs (with their imports); `code_excludes`
    names package files whose imports are not followed (a registry of many parts of which the
    module uses only some, given in `code`)."""

    def __init__(self, name, build, source, inputs=(), outputs=(), code=(), code_excludes=()):
        self.name = name
        self.build = build
        self.source = repo_path(source)
        self.inputs = list(inputs)
        self.outputs = list(outputs)
        self.code = [repo_path(c) for c in code]
        self.code_excludes = frozenset(repo_path(c) for c in code_excludes)

    def input_files(self):
        """The repository-relative files this module reads: data inputs (globs expanded) and its
        code with every package module it imports."""
        files = set(code_closure([self.source] + self.code, self.code_excludes))
        for pattern in self.inputs:
            matches = glob.glob(os.path.join(REPO, pattern), recursive=True)
            files.update(os.path.relpath(m, REPO).replace(os.sep, "/") for m in matches)
            if not matches:
                files.add(pattern)
        return files

    def reads(self, path):
        """Whether a repository-relative path is one of the module's inputs (also when the path
        names a file that no longer exists or does not exist yet)."""
        if path in self.input_files():
            return True
        return any(fnmatch.fnmatchcase(path, pattern) for pattern in self.inputs)

    def owns(self, path):
        return any(fnmatch.fnmatchcase(path, pattern) for pattern in self.outputs)

    def __repr__(self):
        return "Module(%s)" % self.name


def _package_module_path(current, level, name):
    """The file of a relative import `from <level dots><name> import ...` made in `current`."""
    base = os.path.dirname(os.path.join(REPO, current))
    for _ in range(level - 1):
        base = os.path.dirname(base)
    target = os.path.join(base, *name.split(".")) if name else base
    for candidate in (target + ".py", os.path.join(target, "__init__.py")):
        if os.path.isfile(candidate):
            return os.path.relpath(candidate, REPO).replace(os.sep, "/")
    return None


@functools.lru_cache(maxsize=None)
def imports_of(path):
    """Package files imported by one source file (relative imports only)."""
    with open(os.path.join(REPO, path), encoding="utf-8") as source:
        tree = ast.parse(source.read(), path)
    found = set()
    for node in ast.walk(tree):
        if isinstance(node, ast.ImportFrom) and node.level > 0:
            module = _package_module_path(path, node.level, node.module or "")
            if module:
                found.add(module)
            for alias in node.names:  # from . import kit, from .art import skin
                sub = _package_module_path(path, node.level,
                                           ((node.module + ".") if node.module else "") + alias.name)
                if sub:
                    found.add(sub)
    return frozenset(found)


def code_closure(paths, excludes=frozenset()):
    seen = set()
    todo = list(paths)
    while todo:
        current = todo.pop()
        if current in seen:
            continue
        seen.add(current)
        if current not in excludes:
            todo.extend(imports_of(current))
    # A package's __init__ runs whenever one of its modules is imported.
    for file in list(seen):
        folder = os.path.dirname(file)
        while folder.startswith("tools/assets"):
            init = folder + "/__init__.py"
            if os.path.isfile(os.path.join(REPO, init)):
                seen.add(init)
            folder = os.path.dirname(folder)
    return seen


def select(modules, names):
    """The named modules, in the fixed order. A name may end with "*" (atlas.* for all atlases)."""
    chosen = []
    for module in modules:
        if any(fnmatch.fnmatchcase(module.name, name) for name in names):
            chosen.append(module)
    unknown = [n for n in names if not any(fnmatch.fnmatchcase(m.name, n) for m in modules)]
    if unknown:
        raise SystemExit("unknown generator module: " + ", ".join(unknown))
    return chosen


def affected(modules, changed_paths):
    """The modules whose inputs or outputs are among the changed paths; every module when a
    shared input changed."""
    changed = set(changed_paths)
    if changed & set(SHARED_INPUTS):
        return list(modules)
    picked = []
    for module in modules:
        if any(module.reads(p) or module.owns(p) for p in changed):
            picked.append(module)
    return picked
