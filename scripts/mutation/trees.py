"""The runner's own copy of the sources and its two build trees.

Faults are planted in a copy of the working tree (tracked and untracked
files, as they are now, uncommitted changes included), never in the working
tree itself, so neither the developer's files nor build/ are ever touched,
whatever becomes of the runner. The trees sit inside the copy, one level down
as build/ sits in the working tree, so the compiler cache finds the objects
build/ made.
"""

import hashlib
import os
import shutil
import subprocess

TREE_FLAGS = ["-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DVORNHAL_BENCH=OFF"]
# The compiler cache shortens the first builds where it is installed; the
# runner does not need it.
if shutil.which("ccache"):
    TREE_FLAGS += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
# Line counts need no debug information; -O1 keeps them close to the lines.
COVERAGE_FLAGS = [
    "-DCMAKE_CXX_FLAGS=--coverage", "-DCMAKE_C_FLAGS=--coverage",
    "-DCMAKE_EXE_LINKER_FLAGS=--coverage", "-DCMAKE_SHARED_LINKER_FLAGS=--coverage",
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -DNDEBUG", "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -DNDEBUG",
]


def sha1(data):
    return hashlib.sha1(data).hexdigest()


class Workspace:
    def __init__(self, repo, base):
        self.repo = repo
        self.base = os.path.abspath(base)
        self.src = os.path.join(self.base, "src")
        self.build = os.path.join(self.src, "build")
        self.coverage = os.path.join(self.src, "build-coverage")
        self.state = os.path.join(self.base, "state")
        self.copied = None
        os.makedirs(self.state, exist_ok=True)

    def source_files(self):
        # Once copied, the copy's files: the working tree may change while a
        # run goes on.
        if self.copied is not None:
            return self.copied
        out = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                             cwd=self.repo, check=True, capture_output=True).stdout
        names = [n.decode() for n in out.split(b"\0") if n]
        return sorted(n for n in names if os.path.isfile(os.path.join(self.repo, n)))

    def sync(self):
        """Makes the copy hold exactly the working tree's files. A file is
        written only when its bytes differ, with a new time stamp, so the
        trees rebuild what changed and nothing else."""
        names = self.source_files()
        wanted = set(names)
        copied = 0
        for name in names:
            there = os.path.join(self.src, name)
            with open(os.path.join(self.repo, name), "rb") as f:
                data = f.read()
            try:
                with open(there, "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                os.makedirs(os.path.dirname(there), exist_ok=True)
                with open(there, "wb") as f:
                    f.write(data)
                shutil.copymode(os.path.join(self.repo, name), there)
                copied += 1
        for top, dirs, files in os.walk(self.src):
            rel_top = os.path.relpath(top, self.src)
            if rel_top == ".":
                dirs[:] = [d for d in dirs if not d.startswith("build")]
            for f in files:
                rel = os.path.normpath(os.path.join(rel_top, f))
                if rel not in wanted:
                    os.remove(os.path.join(top, f))
        self.copied = names
        return copied

    def configure(self, tree, extra=()):
        if os.path.exists(os.path.join(tree, "build.ninja")):
            return
        subprocess.run(["cmake", "-S", self.src, "-B", tree] + TREE_FLAGS + list(extra),
                       check=True, stdout=subprocess.DEVNULL)

    def build_targets(self, tree, targets, jobs, log):
        """Builds `targets` (all when empty); True when the build succeeded."""
        cmd = ["cmake", "--build", tree, "-j", str(jobs)]
        if targets:
            cmd += ["--target"] + list(targets)
        with open(log, "w") as out:
            return subprocess.run(cmd, stdout=out, stderr=subprocess.STDOUT).returncode == 0

    def read(self, rel):
        with open(os.path.join(self.src, rel), "rb") as f:
            return f.read()

    def write(self, rel, data):
        with open(os.path.join(self.src, rel), "wb") as f:
            f.write(data)
