"""The one-line faults the runner plants, found in a file's masked code."""

import hashlib
import random
import re
from decimal import Decimal, InvalidOperation

from mutation import source

# Lines whose faults nobody would feel or that the tests are not for.
SKIPPED_STATEMENT = re.compile(
    r"\b(assert|static_assert|wxASSERT\w*|wxCHECK\w*|wxFAIL\w*|wxLog\w*|perror|Log)\s*\(|"
    r"\bfprintf\s*\(\s*stderr\b|\bstd::(cerr|clog)\b")

NEGATED = {"==": "!=", "!=": "==", "<": ">=", ">=": "<", ">": "<=", "<=": ">"}
COMPARISON = re.compile(r"(?<![=!<>&|+\-*/%^-])(==|!=|<=|>=)(?![=>])|(?<=\s)(<|>)(?=\s|$)")
LOGICAL = re.compile(r"(?:(?<=\s)|^)(&&|\|\|)(?=\s|$)")
NUMBER = re.compile(r"(?<![\w.'])(0[xX][0-9a-fA-F]+|\d+\.\d*(?:[eE][+-]?\d+)?|\.\d+(?:[eE][+-]?\d+)?|"
                    r"\d+[eE][+-]?\d+|\d+)([uUlLfF]*)(?![\w.'])")
CALL = re.compile(r"(?:::)?[A-Za-z_]\w*(?:\s*(?:\.|->|::)\s*~?[A-Za-z_]\w*)*\s*(?:<[^;()]*>)?\s*\(")
NOT_CALLS = {"return", "delete", "throw", "if", "while", "for", "switch", "sizeof", "new", "case", "goto",
             "else", "do", "static_assert", "using", "typedef", "decltype", "alignof", "typeid", "operator",
             "template", "co_return", "co_await", "co_yield", "alignas", "catch", "try"}
NOT_STATEMENTS = {"else", "case", "default", "public", "private", "protected", "return", "break",
                  "continue", "goto"}


class Fault:
    """One planted fault: line `line` (1-based) of `path` becomes `mutated`."""

    __slots__ = ("path", "line", "column", "kind", "before", "after", "original", "mutated")

    def __init__(self, path, line, column, kind, before, after, original, mutated):
        self.path, self.line, self.column, self.kind = path, line, column, kind
        self.before, self.after = before, after
        self.original, self.mutated = original, mutated

    def key(self):
        return "%s:%d:%d:%s:%s" % (self.path, self.line, self.column, self.kind, self.after)

    def describe(self):
        if not self.before:
            # An insertion: an early return, or a call of several lines
            # dropped by a condition before it.
            what = "dropped by `%s` before it" if self.kind == "call" else "`%s` inserted"
            return "%s: %s" % (self.kind, what % self.after.strip())
        return "%s: %s -> %s" % (self.kind, self.before.strip(), self.after.strip())


def find(path, text):
    """Every fault the runner knows how to plant in `text`, in file order."""
    lines = text.split("\n")
    masked, directive = source.mask(text)
    infos = source.scan(masked, directive)
    skipped = _skipped_lines(masked, directive)
    found = []
    for index, code in enumerate(masked):
        if skipped[index] or not code.strip():
            continue
        original = lines[index]
        number = index + 1
        info = infos[index]

        def add(kind, start, end, after, _original=original, _number=number):
            mutated = _original[:start] + after + _original[end:]
            found.append(Fault(path, _number, start + 1, kind, _original[start:end], after, _original, mutated))

        for m in COMPARISON.finditer(code):
            op = m.group(1) or m.group(2)
            start = m.start(1) if m.group(1) else m.start(2)
            if m.group(1) and re.search(r"operator\s*$", code[:start]):
                continue
            add("comparison", start, start + len(op), NEGATED[op])
        for m in LOGICAL.finditer(code):
            add("logic", m.start(1), m.end(1), "||" if m.group(1) == "&&" else "&&")
        label = re.match(r"\s*case\b[^:]*:", code)
        for m in NUMBER.finditer(code):
            if label and m.start() < label.end():
                continue  # another label may hold the moved value
            for step in (1, -1):
                moved = _moved(m.group(1), step)
                if moved is not None:
                    add("constant", m.start(1), m.end(1), moved)
        if info.statement and info.in_body:
            _drop_call(masked, index, info, add)
        if info.first_in_block and info.function in ("void", "bool"):
            column = len(code) - len(code.lstrip())
            word = re.match(r"[A-Za-z_]\w*", code[column:])
            if code[column] not in "{}[" and not (word and word.group(0) in NOT_STATEMENTS):
                values = ["return;"] if info.function == "void" else ["return false;", "return true;"]
                for value in values:
                    add("return", column, column, value + " ")
    return found


def _skipped_lines(masked, directive):
    """Preprocessor lines and every line of a logging or assert statement."""
    skipped = list(directive)
    index = 0
    while index < len(masked):
        m = SKIPPED_STATEMENT.search(masked[index])
        if m and not directive[index]:
            # The statement runs to the `;` that closes its parentheses.
            depth = 0
            j, col = index, m.start()
            while j < len(masked):
                skipped[j] = True
                done = False
                for c in masked[j][col:]:
                    depth += c == "("
                    depth -= c == ")"
                    if c == ";" and depth <= 0:
                        done = True
                        break
                if done:
                    break
                j, col = j + 1, 0
            index = j + 1
            continue
        index += 1
    return skipped


def _drop_call(masked, index, info, add):
    code = masked[index]
    column = len(code) - len(code.lstrip())
    m = CALL.match(code, column)
    if not m or re.match(r"(::)?([A-Za-z_]\w*)", code[column:]).group(2) in NOT_CALLS:
        return
    # Find the parenthesis that closes the call and the `;` right after it.
    depth, j, col = 0, index, m.end() - 1
    while j < len(masked):
        line = masked[j]
        while col < len(line):
            c = line[col]
            if c == "(":
                depth += 1
            elif c == ")":
                depth -= 1
                if depth == 0:
                    rest = line[col + 1:]
                    if not re.match(r"\s*;", rest):
                        return
                    end = col + 1 + rest.index(";") + 1
                    if j == index:
                        add("call", column, end, "{}")
                    elif not info.after_control and not _next_is_else(masked, j, end):
                        add("call", column, column, "if (false) ")
                    return
            col += 1
        j, col = j + 1, 0
        if j - index > 40:
            return


def _next_is_else(masked, j, end):
    rest = masked[j][end:] + " " + " ".join(masked[j + 1:j + 3])
    return re.match(r"\s*else\b", rest) is not None


def _moved(literal, step):
    """`literal` moved by `step` (1 or -1), written as it was; None when it
    cannot be, or when moving it down would take it below 0 (a minus sign
    where there was none may not even parse)."""
    if re.match(r"0[xX]", literal):
        value = int(literal, 16) + step
        if value < 0:
            return None
        digits = "%x" % value
        return literal[:2] + (digits.upper() if literal[2:].isupper() else digits)
    if re.fullmatch(r"\d+", literal):
        octal = len(literal) > 1 and literal.startswith("0")
        value = int(literal, 8 if octal else 10) + step
        if value < 0:
            return None
        return "0" + "%o" % value if octal else str(value)
    try:
        value = Decimal(literal) + step
    except InvalidOperation:
        return None
    if value < 0:
        return None
    text = format(value, "f")
    if "." not in text:
        text += ".0"
    return text


def sample(faults, count, seed, salt=""):
    """`count` of `faults`, the same ones for the same seed and code."""
    if count is None or count <= 0 or count >= len(faults):
        return list(faults)
    digest = hashlib.sha256(("%s|%s" % (seed, salt)).encode()).hexdigest()
    chosen = random.Random(digest).sample(range(len(faults)), count)
    return [faults[i] for i in sorted(chosen)]
