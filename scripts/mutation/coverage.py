"""Which test programs run which lines, measured once in a coverage build and
kept: one run of every program, each with its line counts apart (GCOV_PREFIX,
which the programs it starts, such as the server, inherit).

A program is measured again when the files of its test folder or of the test
support change. Lines of source files that changed since they were measured
are found again through a diff against the measured text; a line that is new
since counts as reached by every program that reached its file.
"""

import difflib
import json
import os
import shutil
import subprocess
import tempfile

from mutation import cases as casesmod
from mutation.trees import sha1

SUPPORT = ("tests/support", "tests/support-game", "tests/CMakeLists.txt")

# Preloaded into the coverage runs only. A test that ends a program it
# started (the server, a headless player) with SIGKILL would lose that
# program's line counts, which are written at its exit: the program is asked
# with SIGTERM first and given two seconds.
KILL_SHIM = r"""
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>

int kill(pid_t pid, int sig)
{
    static int (*next)(pid_t, int);
    if (!next)
        next = (int (*)(pid_t, int))dlsym(RTLD_NEXT, "kill");
    if (sig != SIGKILL || pid <= 0 || next(pid, SIGTERM) != 0)
        return next(pid, sig);
    struct timespec pause = {0, 20000000};
    for (int i = 0; i < 100; ++i) {
        siginfo_t info;
        info.si_pid = 0;
        if (waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) == 0) {
            if (info.si_pid == pid)
                return 0;
        } else if (errno != ECHILD) {
            return next(pid, sig);
        } else if (next(pid, 0) != 0) {
            return 0; /* not ours to wait for, and gone */
        }
        nanosleep(&pause, 0);
    }
    return next(pid, sig);
}
"""


def test_folders(program, sources):
    """The source folders behind a test program (`test_game_map` is
    tests/game/world/map)."""
    parts = program.split("_")
    if len(parts) < 3 or parts[0] != "test":
        return []
    area, component = parts[1], "_".join(parts[2:])
    folders = ["tests/%s/%s/" % (area, component)]
    if area == "game":
        folders += ["tests/game/world/%s/" % component, "tests/game/shell/%s/" % component]
    return [f for f in folders if any(s.startswith(f) for s in sources)]


def fingerprint(workspace, program, sources):
    names = [s for s in sources
             if any(s.startswith(f) for f in test_folders(program, sources))
             or s.startswith(SUPPORT)]
    return sha1("".join(n + sha1(workspace.read(n)) for n in sorted(names)).encode())


class Coverage:
    def __init__(self, workspace):
        self.ws = workspace
        self.path = os.path.join(workspace.state, "coverage.json")
        self.snapshots = os.path.join(workspace.state, "snapshots")
        os.makedirs(self.snapshots, exist_ok=True)
        self.programs = {}
        if os.path.exists(self.path):
            with open(self.path) as f:
                self.programs = json.load(f).get("programs", {})
        self._maps = {}
        self._sets = {}
        self._included = None

    def save(self):
        tmp = self.path + ".tmp"
        with open(tmp, "w") as f:
            json.dump({"programs": self.programs}, f)
        os.replace(tmp, self.path)

    def stale(self, programs, sources, force):
        return sorted(p for p in programs
                      if force or p not in self.programs
                      or self.programs[p].get("fingerprint") != fingerprint(self.ws, p, sources))

    def measure(self, stale, all_cases, jobs, env, say):
        """Runs the `stale` programs' cases in the coverage tree and keeps
        what each program reached."""
        sources = self.ws.source_files()
        shim = self._kill_shim()
        prefix_root = tempfile.mkdtemp(prefix="coverage-", dir=self.ws.state)
        try:
            todo = []
            for case in all_cases:
                if case.program in stale:
                    counted = dict(case.environment, GCOV_PREFIX=os.path.join(prefix_root, case.program),
                                   GCOV_PREFIX_STRIP="0",
                                   LD_PRELOAD=" ".join(filter(None, [shim, env.get("LD_PRELOAD")])))
                    todo.append(casesmod.Case(case.name, case.program, case.command, case.directory,
                                              counted, case.labels))
            # The whole matches first: they take longest.
            todo.sort(key=lambda c: not c.slow)
            say("coverage: running %d cases of %d programs" % (len(todo), len(stale)))
            runner = casesmod.Runner(jobs, env, os.path.join(self.ws.state, "logs", "coverage"))
            results = runner.run_all(todo, lambda c: 1800, False)
            failed = sorted(n for n, (o, _) in results.items() if o != casesmod.PASSED)
            if failed:
                say("coverage: %d cases did not pass in the coverage build (their lines count as run): %s"
                    % (len(failed), ", ".join(failed[:8])))
            for program in stale:
                self.programs[program] = {
                    "fingerprint": fingerprint(self.ws, program, sources),
                    "slow": any(c.slow for c in todo if c.program == program),
                    "files": self._read_counts(os.path.join(prefix_root, program)),
                }
            self.save()
        finally:
            shutil.rmtree(prefix_root, ignore_errors=True)
        self._sets = {}

    def _kill_shim(self):
        source = os.path.join(self.ws.state, "kill-shim.c")
        shim = os.path.join(self.ws.state, "kill-shim.so")
        with open(source, "w") as f:
            f.write(KILL_SHIM)
        subprocess.run(["cc", "-shared", "-fPIC", "-O2", "-o", shim, source, "-ldl"], check=True)
        return shim

    def _read_counts(self, prefix):
        """{source: {"sha", "run", "lines"}} from the counts under `prefix`."""
        data_files = []
        for top, _, names in os.walk(prefix):
            for name in names:
                if name.endswith(".gcda"):
                    data = os.path.join(top, name)
                    notes = "/" + os.path.relpath(data, prefix)[:-5] + ".gcno"
                    if os.path.exists(notes):
                        link = data[:-5] + ".gcno"
                        if not os.path.exists(link):
                            os.symlink(notes, link)
                        data_files.append(data)
        run, lines = {}, {}
        for start in range(0, len(data_files), 200):
            out = subprocess.run(["gcov", "-j", "-t"] + data_files[start:start + 200], capture_output=True,
                                 text=True, cwd=prefix).stdout
            for text in out.splitlines():
                if not text.startswith("{"):
                    continue
                record = json.loads(text)
                cwd = record.get("current_working_directory", "")
                for entry in record.get("files", []):
                    path = os.path.normpath(os.path.join(cwd, entry["file"]))
                    rel = os.path.relpath(path, self.ws.src)
                    if rel.startswith("..") or rel.startswith("build"):
                        continue
                    for item in entry.get("lines", []):
                        lines.setdefault(rel, set()).add(item["line_number"])
                        if item["count"] > 0:
                            run.setdefault(rel, set()).add(item["line_number"])
        files = {}
        for rel in lines:
            try:
                data = self.ws.read(rel)
            except OSError:
                continue
            digest = sha1(data)
            snapshot = os.path.join(self.snapshots, digest)
            if not os.path.exists(snapshot):
                with open(snapshot, "wb") as f:
                    f.write(data)
            files[rel] = {"sha": digest, "run": sorted(run.get(rel, ())), "lines": sorted(lines[rel])}
        return files

    def _line_map(self, digest, text):
        """{line now: line then} for the file measured as `digest`."""
        key = (digest, sha1(text.encode()))
        if key not in self._maps:
            if key[0] == key[1]:
                self._maps[key] = None
            else:
                with open(os.path.join(self.snapshots, digest), encoding="utf-8", errors="replace") as f:
                    then = f.read().split("\n")
                now = text.split("\n")
                mapping = {}
                matcher = difflib.SequenceMatcher(None, then, now, autojunk=False)
                for a, b, size in matcher.get_matching_blocks():
                    for k in range(size):
                        mapping[b + k + 1] = a + k + 1
                self._maps[key] = mapping
        return self._maps[key]

    def reach(self, rel, text, line):
        """The programs that run line `line` of `rel` (its text now `text`)."""
        # A line measured nowhere (new, or holding no code of its own, such
        # as a constant's definition or a header's declaration) is reached by
        # whatever reaches its file or a file that includes it.
        measured = self._executable_anywhere(rel, text, line)
        reached = set()
        for program in self.programs:
            entry = self._entry(program, rel)
            if not entry or not entry["run"]:
                continue
            mapping = self._line_map(entry["sha"], text)
            then = line if mapping is None else mapping.get(line)
            if not measured or then in entry["run"]:
                reached.add(program)
        if not measured:
            for source in self._includers().get(rel, ()):
                reached |= {p for p in self.programs if (self._entry(p, source) or {}).get("run")}
        return reached

    def _includers(self):
        """{header: the sources that include it}, from the build tree's
        dependency log."""
        if self._included is None:
            out = subprocess.run(["ninja", "-C", self.ws.build, "-t", "deps"], capture_output=True,
                                 text=True).stdout
            self._included, source = {}, None
            for line in out.splitlines():
                if not line.startswith(" "):
                    source = None  # an object; its source is the first of its files
                    continue
                rel = os.path.relpath(os.path.normpath(os.path.join(self.ws.build, line.strip())), self.ws.src)
                if rel.startswith(".."):
                    continue
                if source is None:
                    source = rel
                else:
                    self._included.setdefault(rel, set()).add(source)
        return self._included

    def _executable_anywhere(self, rel, text, line):
        for program in self.programs:
            entry = self._entry(program, rel)
            if entry:
                mapping = self._line_map(entry["sha"], text)
                then = line if mapping is None else mapping.get(line)
                if then is not None and then in entry["lines"]:
                    return True
        return False

    def _entry(self, program, rel):
        key = (program, rel)
        if key not in self._sets:
            entry = self.programs[program]["files"].get(rel)
            self._sets[key] = entry and {"sha": entry["sha"], "run": set(entry["run"]),
                                         "lines": set(entry["lines"])}
        return self._sets[key]

    def slow(self, program):
        return self.programs.get(program, {}).get("slow", False)

