"""The test cases of a build tree, as CTest knows them, and running them."""

import json
import os
import signal
import subprocess
import threading
import time

PASSED, FAILED, TIMED_OUT = "passed", "failed", "timed out"


class Case:
    __slots__ = ("name", "program", "command", "directory", "environment", "labels")

    def __init__(self, name, program, command, directory, environment, labels):
        self.name, self.program, self.command = name, program, command
        self.directory, self.environment, self.labels = directory, environment, labels

    @property
    def slow(self):
        return "e2e" in self.labels


def list_cases(tree):
    """Every CTest test of `tree`, with the program it runs."""
    out = subprocess.run(["ctest", "--test-dir", tree, "--show-only=json-v1"], check=True,
                         capture_output=True, text=True).stdout
    cases = []
    tests_dir = os.path.join(tree, "tests") + os.sep
    for test in json.loads(out)["tests"]:
        command = test.get("command")
        if not command:
            continue
        props = {p["name"]: p["value"] for p in test.get("properties", [])}
        program = test["name"]
        for arg in command:
            if arg.startswith(tests_dir) and os.access(arg, os.X_OK) and os.path.isfile(arg):
                program = os.path.basename(arg)
                break
        environment = dict(e.split("=", 1) for e in props.get("ENVIRONMENT", []))
        cases.append(Case(test["name"], program, command, props.get("WORKING_DIRECTORY", tree),
                          environment, props.get("LABELS", [])))
    return cases


def _descendants(pid):
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                stat = f.read()
        except OSError:
            continue
        parent = int(stat.rsplit(")", 1)[1].split()[1])
        children.setdefault(parent, []).append(int(entry))
    found, todo = [], [pid]
    while todo:
        p = todo.pop()
        for c in children.get(p, []):
            found.append(c)
            todo.append(c)
    return found


def kill_tree(process):
    """Ends a case and whatever it started, also programs that left its
    session (a terminal's child makes a session of its own)."""
    for pid in [process.pid] + _descendants(process.pid):
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass
    process.wait()


class Runner:
    """Runs cases with `jobs` at a time; optionally stops at the first that
    does not pass."""

    def __init__(self, jobs, env, log_dir):
        self.jobs, self.env, self.log_dir = jobs, env, log_dir
        self._live = set()
        self._lock = threading.Lock()
        os.makedirs(log_dir, exist_ok=True)

    def run_one(self, case, timeout, stop=None, log=None):
        """(outcome, seconds) of one run of `case`."""
        env = dict(self.env)
        env.update(case.environment)
        log = log or os.path.join(self.log_dir, "case.log")
        start = time.monotonic()
        with open(log, "wb") as out:
            process = subprocess.Popen(case.command, cwd=case.directory, env=env, stdout=out,
                                       stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                       start_new_session=True)
            with self._lock:
                self._live.add(process)
            try:
                while True:
                    try:
                        rc = process.wait(timeout=0.2)
                        break
                    except subprocess.TimeoutExpired:
                        pass
                    if time.monotonic() - start > timeout:
                        kill_tree(process)
                        return TIMED_OUT, time.monotonic() - start
                    if stop is not None and stop.is_set():
                        kill_tree(process)
                        return None, time.monotonic() - start
            finally:
                with self._lock:
                    self._live.discard(process)
        # Whatever the case left running goes with it.
        for pid in _descendants(process.pid):
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        return (PASSED if rc == 0 else FAILED), time.monotonic() - start

    def run_all(self, cases, timeout_of, stop_at_failure):
        """Runs `cases` in the order given; returns {case name: (outcome,
        seconds)}, without the cases a stop cut short."""
        results = {}
        todo = list(cases)
        stop = threading.Event()
        lock = threading.Lock()

        def work(slot):
            while True:
                with lock:
                    if not todo or (stop_at_failure and stop.is_set()):
                        return
                    case = todo.pop(0)
                log = os.path.join(self.log_dir, "slot%d.log" % slot)
                outcome, seconds = self.run_one(case, timeout_of(case), stop if stop_at_failure else None, log)
                if outcome is None:
                    return
                with lock:
                    results[case.name] = (outcome, seconds)
                if outcome != PASSED:
                    _keep_log(log, os.path.join(self.log_dir, "last-failure.log"), case)
                    if stop_at_failure:
                        stop.set()

        threads = [threading.Thread(target=work, args=(i,)) for i in range(max(1, self.jobs))]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        return results

    def stop_everything(self):
        with self._lock:
            live = list(self._live)
        for process in live:
            kill_tree(process)


def _keep_log(log, keep, case):
    try:
        with open(log, "rb") as f:
            data = f.read()
        with open(keep, "wb") as f:
            f.write(("== %s\n" % case.name).encode() + data[-20000:])
    except OSError:
        pass
