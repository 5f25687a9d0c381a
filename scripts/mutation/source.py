"""Reading C++ source well enough to plant one-line faults in it.

The text is masked first (comments, string and character literals and
preprocessor lines become blanks, columns kept), so the fault patterns only
ever see code. A light scan of the braces then tells for each line whether it
starts a statement and which kind of function body holds it, which is what
"drop a call" and "return early" need to stay compilable.
"""

import re


def mask(text):
    """The lines of `text` with everything but code blanked, and for each
    line whether it is a preprocessor line."""
    out = []
    directive = []
    i, n = 0, len(text)
    state = "code"
    raw_end = ""
    line = []
    in_directive = False
    at_line_start = True
    while i < n:
        c = text[i]
        if c == "\n":
            if state == "line-comment":
                state = "code"
            continued = in_directive and line and text[i - 1] == "\\"
            out.append("".join(line))
            directive.append(in_directive)
            line = []
            in_directive = in_directive and continued
            at_line_start = True
            i += 1
            continue
        if state == "code":
            if at_line_start and c == "#":
                in_directive = True
            if not c.isspace():
                at_line_start = False
            nxt = text[i + 1] if i + 1 < n else ""
            if c == "/" and nxt == "/":
                state = "line-comment"
                line.append("  ")
                i += 2
                continue
            if c == "/" and nxt == "*":
                state = "block-comment"
                line.append("  ")
                i += 2
                continue
            if c == '"':
                prefix = re.search(r"\w*$", text[max(0, i - 8):i]).group(0)
                if prefix in ("R", "u8R", "uR", "UR", "LR"):
                    close = text.find("(", i)
                    raw_end = ")" + text[i + 1:close] + '"'
                    state = "raw-string"
                else:
                    state = "string"
                line.append('"')
                i += 1
                continue
            if c == "'":
                prev = text[i - 1] if i else ""
                if prev.isalnum() and nxt.isalnum() and re.match(r"[0-9a-fA-F]", nxt) and _in_number(text, i):
                    line.append(" ")  # a digit separator
                    i += 1
                    continue
                state = "char"
                line.append("'")
                i += 1
                continue
            line.append(" " if in_directive else c)
            i += 1
            continue
        if state in ("line-comment",):
            line.append(" ")
            i += 1
            continue
        if state == "block-comment":
            if text.startswith("*/", i):
                state = "code"
                line.append("  ")
                i += 2
            else:
                line.append(" ")
                i += 1
            continue
        if state in ("string", "char"):
            quote = '"' if state == "string" else "'"
            if c == "\\" and i + 1 < n and text[i + 1] != "\n":
                line.append("  ")
                i += 2
                continue
            if c == quote:
                state = "code"
                line.append(quote)
            else:
                line.append(" ")
            i += 1
            continue
        if state == "raw-string":
            if text.startswith(raw_end, i):
                line.append(" " * (len(raw_end) - 1) + '"')
                i += len(raw_end)
                state = "code"
            else:
                line.append(" ")
                i += 1
            continue
    if line or not text.endswith("\n"):
        out.append("".join(line))
        directive.append(in_directive)
    return out, directive


def _in_number(text, i):
    j = i - 1
    while j >= 0 and (text[j].isalnum() or text[j] in "'."):
        j -= 1
    return text[j + 1].isdigit()


KEYWORDS_CONTROL = ("if", "for", "while", "switch", "catch")
CASE_LABEL = re.compile(r"^(case\b.*|default\s*):$")
LAMBDA_HEAD = re.compile(r"\]\s*(\((?:[^()]|\([^()]*\))*\))?\s*(mutable\s*)?(constexpr\s*)?(noexcept\s*)?(->[^{;]*)?$")
CTOR_COLON = re.compile(r"\)\s*(noexcept\s*)?:(?!:)")
FUNCTION_TAIL = re.compile(r"\)\s*((const|override|final|noexcept|volatile|&|&&)\s*)*(->\s*[\w:<>,\s\*&]+)?(try)?$")
NAME_BEFORE_PAREN = re.compile(r"(?P<name>(?:[A-Za-z_]\w*\s*::\s*)*~?(?:operator\s*\(\s*\)|operator\s*[^\s\w(]+|[A-Za-z_]\w*))\s*\($")
ACCESS = re.compile(r"^((public|private|protected)\s*:\s*)+")
SPECIFIERS = re.compile(r"\b(static|inline|virtual|constexpr|explicit|friend|extern|template\s*<[^{;]*?>)\s*|\[\[[^\]]*\]\]\s*")


class LineInfo:
    """What the brace scan knows about a line at its first code character."""

    __slots__ = ("statement", "function", "in_body", "after_control", "first_in_block")

    def __init__(self):
        self.statement = False    # the line begins a statement
        self.function = None      # "void", "bool" or "value" of the innermost function body
        self.in_body = False      # the innermost body is a function's or a lambda's
        self.after_control = False  # the statement is the lone body of an if/else/for/while
        self.first_in_block = False  # the first statement after an opening brace


def _classify(head, paren):
    """The kind of the brace that follows `head`."""
    h = ACCESS.sub("", " ".join(head.split()))
    if LAMBDA_HEAD.search(h):
        return "lambda"
    if paren > 0:
        return "init"
    if re.match(r"^(inline\s+)?namespace\b", h) or re.match(r'^extern\s*"', h):
        return "ns"
    if re.search(r"\b(class|struct|union|enum)\b", h) and "(" not in h and not h.endswith("="):
        return "class"
    if h == "" or h in ("else", "do", "try") or CASE_LABEL.match(h) or re.match(r"^(public|private|protected)\s*:$", h):
        return "block"
    if FUNCTION_TAIL.search(h) or (CTOR_COLON.search(h) and h.endswith("}")):
        first = re.match(r"^(else\s+)?(\w+)", h)
        if first and first.group(2) in KEYWORDS_CONTROL + ("else", "do", "return"):
            return "block"
        if "=" in _outside_parens(h):
            return "init"
        return "func:" + _return_kind(h)
    if CTOR_COLON.search(h) and re.search(r"\w$", h):
        return "ctor-init"
    return "init"


def _outside_parens(h):
    depth, out = 0, []
    for c in h:
        if c == "(":
            depth += 1
        elif c == ")":
            depth -= 1
        elif depth == 0:
            out.append(c)
    return "".join(out)


def _return_kind(h):
    depth = 0
    for i, c in enumerate(h):
        if c == "<":
            depth += 1
        elif c == ">":
            depth -= 1
        elif c == "(" and depth <= 0:
            m = NAME_BEFORE_PAREN.search(h[:i + 1])
            if not m:
                return "value"
            ret = SPECIFIERS.sub("", h[:m.start()]).strip()
            if ret == "auto":
                arrow = re.search(r"->\s*(.*?)\s*(try)?$", h)
                ret = arrow.group(1) if arrow else "auto"
            if ret in ("", "void"):
                return "void"
            if ret == "bool":
                return "bool"
            return "value"
    return "value"


def scan(masked, directive):
    """A LineInfo per masked line."""
    infos = []
    stack = []           # (kind, saved paren depth)
    head = []
    paren = 0
    last = None          # the last code character, or "}e" after an expression's brace
    for number, text in enumerate(masked):
        info = LineInfo()
        first = text.strip()[:1]
        inner = None
        for kind, _ in reversed(stack):
            if kind != "block":
                inner = kind
                break
        h = " ".join("".join(head).split())
        boundary = last in (None, ";", "{", "}") or bool(CASE_LABEL.match(h))
        info.after_control = (not boundary and paren == 0 and last is not None
                              and (h == "else" or re.match(r"^(else\s+)?(if|for|while)\s*\(.*\)$", h) is not None))
        info.statement = (paren == 0 and (boundary or info.after_control) and first != ""
                          and not directive[number])
        info.first_in_block = info.statement and last == "{"
        if inner and inner.startswith("func:"):
            info.function = inner[5:]
        info.in_body = inner is not None and (inner.startswith("func:") or inner == "lambda")
        infos.append(info)
        if directive[number]:
            continue
        for c in text:
            if c.isspace():
                head.append(c)
                continue
            if c == "(":
                paren += 1
            elif c == ")":
                paren -= 1
            elif c == "{":
                kind = _classify("".join(head), paren)
                stack.append((kind, paren))
                paren = 0
                if kind == "ctor-init":
                    head.append("{")
                else:
                    head = []
                last = "{"
                continue
            elif c == "}":
                kind, paren = stack.pop() if stack else ("block", 0)
                if kind == "ctor-init" or (kind in ("init", "lambda") and paren > 0):
                    head.append("{}")
                else:
                    head = []
                last = "}e" if kind in ("init", "lambda") else "}"
                continue
            elif c == ";" and paren == 0:
                head = []
                last = ";"
                continue
            head.append(c)
            last = c
        head.append("\n")
    return infos
