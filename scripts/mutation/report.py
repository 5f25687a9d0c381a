"""The runner's results: one record per planted fault, totals per file and
per folder, and the faults no test caught."""

import json
import os

CAUGHT, TIMED_OUT, BUILD_FAILED = "caught", "caught (hang)", "build failed"
MISSED, UNREACHED = "missed", "missed (no test runs the line)"
EQUIVALENT = "equivalent"
BROKEN = "missed (the tests that run the line fail without a fault)"
COUNTED_CAUGHT = (CAUGHT, TIMED_OUT)
COUNTED_MISSED = (MISSED, UNREACHED, BROKEN)


class Result:
    def __init__(self, fault, outcome, by="", seconds=0.0):
        self.fault, self.outcome, self.by, self.seconds = fault, outcome, by, seconds

    def record(self):
        f = self.fault
        return {"key": f.key(), "path": f.path, "line": f.line, "kind": f.kind, "fault": f.describe(),
                "mutated": f.mutated.strip(), "outcome": self.outcome, "by": self.by,
                "seconds": round(self.seconds, 1)}


def _rate(caught, missed):
    total = caught + missed
    return "%d%%" % round(100.0 * caught / total) if total else "-"


def _counts(records):
    caught = sum(r["outcome"] in COUNTED_CAUGHT for r in records)
    missed = sum(r["outcome"] in (MISSED, BROKEN) for r in records)
    unreached = sum(r["outcome"] == UNREACHED for r in records)
    failed = sum(r["outcome"] == BUILD_FAILED for r in records)
    equivalent = sum(r["outcome"] == EQUIVALENT for r in records)
    return caught, missed, unreached, failed, equivalent


def render(records, groups, moved=()):
    """A plain-text report; `groups` is [(name, [paths])] in the order the
    folders were asked for, `moved` the equivalent-list entries that no
    longer stand where they say."""
    out = []
    by_path = {}
    for r in records:
        by_path.setdefault(r["path"], []).append(r)
    row = "%-58s %6s %6s %6s %6s %6s %6s %5s"
    head = row % ("file", "faults", "caught", "missed", "unrun", "equiv", "nobld", "rate")
    for name, paths in groups:
        _, _, line = name.partition(":")

        def of(path, _line=line):
            return [r for r in by_path.get(path, []) if not _line or r["line"] == int(_line)]

        mine = [r for p in paths for r in of(p)]
        if not mine:
            continue
        out.append("")
        out.append("== %s" % name)
        out.append(head)
        for path in paths:
            rs = of(path)
            if not rs:
                continue
            c, m, u, b, e = _counts(rs)
            out.append(row % (path, len(rs), c, m, u, e, b, _rate(c, m + u)))
        c, m, u, b, e = _counts(mine)
        out.append(row % ("total", len(mine), c, m, u, e, b, _rate(c, m + u)))
    survivors = [r for r in records if r["outcome"] in COUNTED_MISSED]
    if survivors:
        out.append("")
        out.append("== Faults no test caught")
        for r in sorted(survivors, key=lambda r: (r["path"], r["line"])):
            tag = r["outcome"][len(MISSED):]
            out.append("%s:%d  %s%s" % (r["path"], r["line"], r["fault"], tag))
            out.append("    %s" % r["mutated"][:150])
    same = [r for r in records if r["outcome"] == EQUIVALENT]
    if same:
        out.append("")
        out.append("== Faults marked equivalent (not planted, not counted)")
        for r in sorted(same, key=lambda r: (r["path"], r["line"])):
            out.append("%s:%d  %s" % (r["path"], r["line"], r["fault"]))
            out.append("    %s" % r["by"])
    if moved:
        out.append("")
        out.append("== Entries of the equivalent list that moved (mend them: they may no longer match)")
        out.extend(moved)
    failed = [r for r in records if r["outcome"] == BUILD_FAILED]
    if failed:
        out.append("")
        out.append("== Faults that did not build (not counted)")
        for r in failed:
            out.append("%s:%d  %s" % (r["path"], r["line"], r["fault"]))
    return "\n".join(out) + "\n"


class Journal:
    """Results as they come, one JSON line each, so an interrupted run can
    go on where it stopped (--resume)."""

    def __init__(self, path, resume):
        self.path = path
        self.done = {}
        if resume and os.path.exists(path):
            with open(path) as f:
                for line in f:
                    if line.strip():
                        r = json.loads(line)
                        self.done[r["key"]] = r
        elif os.path.exists(path):
            os.remove(path)

    def add(self, record):
        self.done[record["key"]] = record
        with open(self.path, "a") as f:
            f.write(json.dumps(record) + "\n")
