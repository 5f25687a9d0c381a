"""The list of faults that cannot change what the program does
(mutation/equivalent.txt): which drawn faults it holds, and which of its
entries no longer stand where they say."""

import os

# Optional lines after an entry's four, each a field of it.
FIELDS = {"line:": "line", "above:": "above", "below:": "below"}


class Entry:
    __slots__ = ("path", "original", "mutated", "why", "line", "above", "below")

    def __init__(self, path, original, mutated, why):
        self.path, self.original, self.mutated, self.why = path, original, mutated, why
        self.line = self.above = self.below = None

    def fits(self, lines, index):
        """Whether line `index` (0-based) of `lines` is the entry's line,
        with the lines it has around it when the entry says."""
        if index >= len(lines) or lines[index].strip() != self.original:
            return False
        return ((self.above is None or context(lines, index, -1) == self.above)
                and (self.below is None or context(lines, index, 1) == self.below))


def context(lines, index, step):
    """The nearest line above (step -1) or below (step 1) line `index` that
    is not blank, stripped; "" at either end of the file."""
    j = index + step
    while 0 <= j < len(lines):
        if lines[j].strip():
            return lines[j].strip()
        j += step
    return ""


def read(path):
    """The entries of the list, in its order. Each is four lines: the file,
    the line as it stands, the line as the fault leaves it, and why; then
    optionally "line: N", "above: TEXT" and "below: TEXT"."""
    if not os.path.exists(path):
        return []
    with open(path) as f:
        lines = [l.strip() for l in f if l.strip() and not l.startswith("#")]
    entries = []
    i = 0
    while i + 3 < len(lines):
        entry = Entry(*lines[i:i + 4])
        i += 4
        while i < len(lines):
            key, _, value = lines[i].partition(" ")
            if key not in FIELDS:
                break
            field, value = FIELDS[key], value.strip()
            if field == "line":
                entry.line = int(value) if value.isdigit() else None
            else:
                setattr(entry, field, value)
            i += 1
        entries.append(entry)
    return entries


class Equivalents:
    def __init__(self, path):
        self.entries = read(path)

    def why(self, fault, text):
        """The reason a drawn fault is listed, or None."""
        lines = text.split("\n")
        for e in self.entries:
            if (e.path == fault.path and e.mutated == fault.mutated.strip()
                    and e.fits(lines, fault.line - 1)):
                return e.why
        return None

    def moved(self, texts):
        """["file: what is wrong"] for each entry of a file of `texts` whose
        line is no longer where it says, or no longer there at all."""
        out = []
        for e in self.entries:
            if e.path not in texts:
                continue
            lines = texts[e.path].split("\n")
            found = [i + 1 for i in range(len(lines)) if e.fits(lines, i)]
            what = "`%s`" % e.original
            if not found:
                out.append("%s: %s is no longer found%s" % (e.path, what, " with its lines around it"
                                                            if e.above is not None or e.below is not None else ""))
            elif e.line is not None and found != [e.line]:
                out.append("%s: %s stated at line %d, found at %s"
                           % (e.path, what, e.line, ", ".join(str(n) for n in found)))
        return out
