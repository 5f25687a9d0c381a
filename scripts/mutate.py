#!/usr/bin/env python3
"""Plants one-line faults in the given source files or folders, one at a
time, rebuilds the test programs that run the changed line, runs them and
reports which faults the tests caught and which they missed.

    scripts/mutate.py game/world/objects/Door.cpp
    scripts/mutate.py game/world --sample 200 --seed 41 --report world.txt

Faults are planted in a copy of the working tree under the runner's own
build folder (build-mutate/ by default); the working tree and build/ are
never written to. See the README ("Planted faults") for the options.
"""

import sys

# Byte code beside the runner would leave the working tree unclean.
sys.dont_write_bytecode = True

import argparse
import fcntl
import hashlib
import os
import signal
import subprocess
import time

from mutation import cases as casesmod
from mutation import coverage as coveragemod
from mutation import equivalents as equivalentsmod
from mutation import faults as faultsmod
from mutation import report as reportmod
from mutation.display import OwnDisplay
from mutation.trees import COVERAGE_FLAGS, Workspace

SOURCE_SUFFIXES = (".cpp", ".cc", ".h", ".hpp")
NOT_MEASURED = ("tests/", "fuzz/", "bench/", "build")
# Faults that cannot change what the program does; reasons kept beside them.
EQUIVALENTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "mutation", "equivalent.txt")


class Stopped(Exception):
    pass


def say(text):
    print(text, flush=True)


def parse(argv):
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("paths", nargs="+", metavar="PATH", help="source files or folders, relative to the top")
    p.add_argument("--max-per-file", type=int, default=None, metavar="N",
                   help="at most N faults per file (default 10 when --sample is not given; 0: all)")
    p.add_argument("--sample", type=int, default=None, metavar="N",
                   help="N faults drawn over all the files given")
    p.add_argument("--seed", default="0", help="the draw's seed (default 0)")
    p.add_argument("--jobs", type=int, default=4, help="build jobs and test cases at a time (default 4)")
    p.add_argument("--build-dir", default="build-mutate", help="the runner's folder (default build-mutate)")
    p.add_argument("--timeout-factor", type=float, default=4.0,
                   help="a case taking this many times its clean run is hung (default 4)")
    p.add_argument("--timeout-floor", type=float, default=20.0,
                   help="seconds any case may take whatever its clean run (default 20)")
    p.add_argument("--no-slow", action="store_true", help="leave out the whole-match (e2e) programs")
    p.add_argument("--refresh-coverage", action="store_true", help="measure every program's coverage again")
    p.add_argument("--list", action="store_true", help="only list the faults drawn and who runs their lines")
    p.add_argument("--report", metavar="FILE", help="also write the report to FILE")
    p.add_argument("--resume", action="store_true",
                   help="keep the results of the last run for faults it finished")
    return p.parse_args(argv)


def source_files(ws, paths):
    """[(group, [files])]: the measurable files under each path given."""
    known = ws.source_files()
    groups = []
    for path in paths:
        path, _, line = path.partition(":")
        if line and not line.isdigit():
            raise SystemExit("mutate: %s:%s: a line is a number" % (path, line))
        rel = os.path.normpath(os.path.relpath(os.path.abspath(path), ws.repo))
        if rel.startswith(".."):
            raise SystemExit("mutate: %s is outside the source tree" % path)
        prefix = "" if rel == "." else rel
        files = [f for f in known if (not prefix or f == prefix or f.startswith(prefix + "/"))
                 and f.endswith(SOURCE_SUFFIXES) and not f.startswith(NOT_MEASURED)]
        if not files:
            # A change's list of files may hold any file: only C++ sources
            # outside tests, fuzz and bench are measured.
            say("mutate: nothing to measure in %s" % path)
            continue
        groups.append((rel + (":" + line if line else ""), files))
    return groups


def only_line(group):
    """The line a FILE:LINE argument asks for, or None."""
    _, _, line = group.partition(":")
    return int(line) if line else None


def draw(ws, groups, args):
    """The faults of this run, in file order, and each file's text."""
    texts, found = {}, []
    for group, files in groups:
        line = only_line(group)
        for rel in files:
            if rel in texts and line is None:
                continue
            texts[rel] = ws.read(rel).decode("utf-8", errors="surrogateescape")
            faults = faultsmod.find(rel, texts[rel])
            found.append((rel, [f for f in faults if line is None or f.line == line], line is not None))
    if args.sample is not None:
        everything = [f for _, fs, _ in found for f in fs]
        return faultsmod.sample(everything, args.sample, args.seed, "all"), texts
    chosen = []
    for rel, fs, one_line in found:
        # Every fault of a line asked for by number.
        per_file = args.max_per_file if args.max_per_file is not None else (0 if one_line else 10)
        chosen += faultsmod.sample(fs, per_file, args.seed, rel)
    return chosen, texts


class Session:
    def __init__(self, ws, args, display):
        self.ws, self.args, self.display = ws, args, display
        self.env = dict(os.environ, DISPLAY=display.name)
        self.runner = casesmod.Runner(args.jobs, self.env, os.path.join(ws.state, "logs", "run"))
        self.clean = {}
        self.current = None

    def prepare(self):
        ws, args = self.ws, self.args
        copied = ws.sync()
        say("mutate: copy of the working tree in %s (%d files brought up to date)" % (ws.src, copied))
        ws.configure(ws.build)
        say("mutate: building %s" % ws.build)
        if not ws.build_targets(ws.build, [], args.jobs, os.path.join(ws.state, "build.log")):
            raise SystemExit("mutate: the tree does not build as it is; see %s" % os.path.join(ws.state, "build.log"))
        self.cases = [c for c in casesmod.list_cases(ws.build) if not c.program.startswith("script_")]
        self.coverage = coveragemod.Coverage(ws)
        programs = sorted({c.program for c in self.cases})
        stale = self.coverage.stale(programs, ws.source_files(), args.refresh_coverage)
        for gone in set(self.coverage.programs) - set(programs):
            del self.coverage.programs[gone]
        if stale:
            say("mutate: measuring which lines %d test programs run (once; kept in %s)"
                % (len(stale), self.coverage.path))
            ws.configure(ws.coverage, COVERAGE_FLAGS)
            if not ws.build_targets(ws.coverage, [], args.jobs, os.path.join(ws.state, "coverage-build.log")):
                raise SystemExit("mutate: the coverage build failed; see %s"
                                 % os.path.join(ws.state, "coverage-build.log"))
            covered = [c for c in casesmod.list_cases(ws.coverage) if c.program in stale]
            self.coverage.measure(stale, covered, args.jobs, self.env, say)

    def reach(self, fault, text):
        programs = self.coverage.reach(fault.path, text, fault.line)
        if self.args.no_slow:
            programs = {p for p in programs if not self.coverage.slow(p)}
        return programs

    def run_clean(self, programs):
        """One clean run of the programs' cases: their times, and the cases
        that do not pass as they are, which are left out."""
        todo = [c for c in self.cases if c.program in programs and c.name not in self.clean]
        if not todo:
            return
        say("mutate: clean run of %d cases of %d programs" % (len(todo), len(programs)))
        results = self.runner.run_all(todo, lambda c: 1800, False)
        # Only a case that passes its first run counts: one that fails now
        # and then on a busy machine would count faults caught that it
        # never saw. The whole matches, the likeliest to, run twice more.
        for _ in range(2):
            slow = [c for c in todo if c.slow and results.get(c.name, ("?",))[0] == casesmod.PASSED]
            for name, (outcome, _) in self.runner.run_all(slow, lambda c: 1800, False).items():
                if outcome != casesmod.PASSED:
                    results[name] = (outcome, 0)
        failing = [c for c in todo if results.get(c.name, ("?",))[0] != casesmod.PASSED]
        if failing:
            again = self.runner.run_all(failing, lambda c: 1800, False)
            for c in failing:
                flaky = again.get(c.name, ("?",))[0] == casesmod.PASSED
                say("mutate: left out, failed without a fault%s: %s %s"
                    % (" (passed a second run)" if flaky else "", c.program, c.name))
                results[c.name] = (None, 0)
        self.check_display()
        for c in todo:
            outcome, seconds = results.get(c.name, (None, 0))
            self.clean[c.name] = seconds if outcome == casesmod.PASSED else None

    def check_display(self):
        if not self.display.alive():
            raise SystemExit("mutate: the X server of the run ended; the results so far are in %s"
                             % os.path.join(self.ws.state, "journal.jsonl"))

    def timeout(self, case):
        return max(self.args.timeout_floor, self.args.timeout_factor * (self.clean.get(case.name) or 0))

    def runnable(self, programs):
        """The programs with a case that passes without a fault."""
        return {c.program for c in self.cases if c.program in programs and self.clean.get(c.name) is not None}

    def try_fault(self, fault, text, programs):
        """Plants `fault`, runs the programs in two stages (fast ones, then
        whole matches), restores the file. A Result."""
        programs = self.runnable(programs)
        original = self.ws.read(fault.path)
        lines = text.split("\n")
        lines[fault.line - 1] = fault.mutated
        self.current = (fault.path, original)
        start = time.monotonic()
        try:
            self.ws.write(fault.path, "\n".join(lines).encode("utf-8", errors="surrogateescape"))
            fast = sorted(p for p in programs if not self.coverage.slow(p))
            slow = sorted(p for p in programs if self.coverage.slow(p))
            for stage in (fast, slow):
                if not stage:
                    continue
                log = os.path.join(self.ws.state, "logs", "mutant-build.log")
                if not self.ws.build_targets(self.ws.build, stage, self.args.jobs, log):
                    return reportmod.Result(fault, reportmod.BUILD_FAILED, "", time.monotonic() - start)
                chosen = [c for c in self.cases if c.program in stage and self.clean.get(c.name) is not None]
                chosen.sort(key=lambda c: self.clean[c.name])
                caught = self._run_stage(chosen)
                self.check_display()
                if caught:
                    outcome, case = caught
                    kind = reportmod.TIMED_OUT if outcome == casesmod.TIMED_OUT else reportmod.CAUGHT
                    return reportmod.Result(fault, kind, "%s %s" % (case.program, case.name),
                                            time.monotonic() - start)
            return reportmod.Result(fault, reportmod.MISSED, "", time.monotonic() - start)
        finally:
            self.restore()

    def _run_stage(self, chosen):
        results = self.runner.run_all(chosen, self.timeout, True)
        for case in chosen:
            outcome = results.get(case.name, (casesmod.PASSED,))[0]
            if outcome == casesmod.PASSED:
                continue
            # A case that fails once on a busy machine is asked again alone;
            # a whole match, which fails now and then, twice.
            tries = 2 if case.slow else 1
            if all(self.runner.run_one(case, self.timeout(case))[0] != casesmod.PASSED for _ in range(tries)):
                return outcome, case
            # The others that failed beside it are asked again too.
            rest = [c for c in chosen
                    if c is not case and results.get(c.name, (None,))[0] != casesmod.PASSED]
            return self._run_stage(rest) if rest else None
        return None

    def restore(self):
        if self.current:
            # A second Ctrl+C does not cut the file short.
            signals = {signal.SIGINT, signal.SIGTERM, signal.SIGHUP}
            signal.pthread_sigmask(signal.SIG_BLOCK, signals)
            try:
                path, original = self.current
                self.ws.write(path, original)
                self.current = None
            finally:
                signal.pthread_sigmask(signal.SIG_UNBLOCK, signals)


def main(argv):
    args = parse(argv)
    repo = subprocess.run(["git", "rev-parse", "--show-toplevel"], cwd=os.path.dirname(os.path.abspath(__file__)),
                          check=True, capture_output=True, text=True).stdout.strip()
    os.chdir(repo)
    ws = Workspace(repo, args.build_dir)
    lock = open(os.path.join(ws.state, "lock"), "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        raise SystemExit("mutate: another run uses %s" % ws.base)
    groups = source_files(ws, args.paths)
    if not groups:
        return 0

    def stop(signum, _frame):
        raise Stopped(signal.Signals(signum).name)

    # Also when started in the background, which ignores Ctrl+C otherwise.
    for s in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        signal.signal(s, stop)
    display = OwnDisplay(os.path.join(ws.state, "xvfb.log"))
    session = Session(ws, args, display)
    records = []
    moved = []
    status = 0
    try:
        session.prepare()
        chosen, texts = draw(ws, groups, args)
        reach = {f.key(): session.reach(f, texts[f.path]) for f in chosen}
        say("mutate: %d faults in %d files (seed %s)" % (len(chosen), len({f.path for f in chosen}), args.seed))
        if args.list:
            for f in chosen:
                say("%s:%d  %s  [%s]" % (f.path, f.line, f.describe(), " ".join(sorted(reach[f.key()])) or "no test"))
            return 0
        equivalents = equivalentsmod.Equivalents(EQUIVALENTS)
        moved = equivalents.moved(texts)

        def same(fault):
            return equivalents.why(fault, texts[fault.path])

        journal = reportmod.Journal(os.path.join(ws.state, "journal.jsonl"), args.resume)
        session.run_clean({p for f in chosen if not same(f) for p in reach[f.key()]})
        for number, fault in enumerate(chosen, 1):
            why = same(fault)
            if why:
                records.append(reportmod.Result(fault, reportmod.EQUIVALENT, why).record())
                continue
            digest = hashlib.sha1(texts[fault.path].encode("utf-8", errors="surrogateescape")).hexdigest()
            done = journal.done.get(fault.key())
            if done and done.get("sha") == digest:
                records.append(done)
                continue
            programs = reach[fault.key()]
            print("[%d/%d] %s:%d %s: " % (number, len(chosen), fault.path, fault.line, fault.describe()), end="",
                  flush=True)
            if not programs:
                result = reportmod.Result(fault, reportmod.UNREACHED)
            elif not session.runnable(programs):
                result = reportmod.Result(fault, reportmod.BROKEN)
            else:
                result = session.try_fault(fault, texts[fault.path], programs)
            record = dict(result.record(), sha=digest)
            journal.add(record)
            records.append(record)
            say("%s%s (%.0fs)" % (result.outcome, " by " + result.by if result.by else "", result.seconds))
    except (KeyboardInterrupt, Stopped, SystemExit) as e:
        say("\nmutate: stopped (%s); the report holds the faults finished" % (e or "SIGINT"))
        status = 1
    finally:
        session.runner.stop_everything()
        session.restore()
        display.close()
    text = reportmod.render(records, [(name, files) for name, files in groups], moved)
    sys.stdout.write(text)
    if args.report:
        with open(args.report, "w") as f:
            f.write("scripts/mutate.py %s\n%s" % (" ".join(argv), text))
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
