#!/usr/bin/env python3
"""Keeps the program's texts and ids in app/resources.

Every text a user sees is a row of app/resources/strings_*.inc and every id
is written by its ResourceIds.h name. This scan finds the two ways of
breaking that rule in the program's sources and prints each as file:line:

  text  a string literal that goes straight to the user: an argument of a
        box, window title, menu, label, tooltip, status or dialog-control
        call, or of a reader's or writer's refusal (UI_CALLS, also inside a
        braced list given to one), a text in a bracket that begins with an
        id ({ID_FILE_SAVE, "&Save"}, AddToggle(IDC_RED, "R")), a literal
        given to a title, caption,
        filter, text, tip, message or error, or returned by a function named
        for one (MarkTip, GetTypeName, NameProblem). Inserts ("%1", "%3u")
        are no words.
  id    a number that is an id of the resource rows where an id belongs: a
        string id (32768 and up) anywhere, an id given to a name that says
        it is one (IDD = 133, kFirstTextId = ...), or an id in an argument
        that other calls of the same function give by name
        (SetStatus(1029, ...) where the program writes SetStatus(IDC_STATUS1, ...)).

A literal that is no user text (an object name, a file name, a command
mnemonic for a generator, a profile key) or a number that is no id gets the
comment "resource-rule-ok: <why>" on its line, or alone on the line above.
A new helper that shows its text argument to the user belongs in UI_CALLS.

  resource_rule.py [--resources DIR] PATH...   scan files and folders
  resource_rule.py --self-test [--resources DIR] FIXTURE...
        check the scan itself on fixtures whose breaking lines say
        "breaks: text" or "breaks: id" in a comment
"""

import argparse
import os
import re
import sys

MARKER = "resource-rule-ok:"

# Calls whose literal arguments reach the user as they are.
UI_CALLS = {
    # Boxes and prompts
    "PromptText", "MessageBox", "AfxMessageBox", "FormatText",
    # Windows, menus, toolbars, status
    "setWindowTitle", "addMenu", "addAction", "addToolBar", "QMenu", "QToolBar", "QAction",
    "setTitle", "showMessage", "setStatusTip", "setToolTip", "setWhatsThis",
    # Controls
    "AddControl", "QLabel", "QPushButton", "QCheckBox", "QRadioButton", "QGroupBox", "QToolButton",
    "setText", "setPlaceholderText", "setLabelText", "setTabText", "addTab", "insertTab",
    "addItem", "addItems", "insertItem", "setItemText", "setHeaderLabel", "setHeaderLabels",
    "setHorizontalHeaderLabels", "QListWidgetItem", "QTreeWidgetItem",
    # The program's own: dialog and page building, status lines, boxes
    "Static", "Label", "PictureButton", "addSelector", "CFormatPage", "SetValue", "AppendRow",
    "SetStatus", "Status", "Heading", "ImageStatus", "ShowTransferStatus", "YmodemShowStatus", "PercentLine",
    "ShowCannotOpen", "ErrorBox", "ImageRefused", "ImageNameRefused", "NameRefused", "KnobNameRefused",
    "TransferNameRefused", "NotIncremented", "ReportNotCopied", "TakeNumber", "AddMenu",
    # Readers, writers and checks: the reason a box shows for a file, a record or dropped data
    "Fail", "Refuse", "RefuseWrite", "CArchiveException",
}

# Calls one of whose arguments (counted from 0) reaches the user: an editor's first title.
UI_ARGUMENTS = {"CEditorFrame": 2}

# Calls that only wrap a literal into a string; the call around them counts.
WRAPPERS = {"QStringLiteral", "QString", "fromUtf8", "fromLatin1", "QLatin1String", "QLatin1StringView",
            "QStringView", "tr", "arg", "asprintf"}

# Names a title, caption, filter, message or error text is given to (a
# reader's m_lastError, a check's *error); functions whose return value is
# one (MarkTip, NameProblem).
TEXT_TARGET = re.compile(r"(?i)(title|caption|filter|text|message|tip|error|failure)s?$|^whyNot$")
TEXT_FUNCTION = re.compile(r"(?<!Command)(Text|Tip|Title|TypeName|Caption|Message|Heading|Problem)$")
CONTROL = {"if", "for", "while", "switch", "catch"}

# Names of ids: IDS_FORMAT, ID_FILE_SAVE, IDOK; and names that hold one: IDD, kFirstTextId.
ID_NAME = re.compile(r"^ID[A-Z]*_\w+$|^ID(OK|CANCEL|YES|NO|ABORT|RETRY|IGNORE)$")
ID_TARGET = re.compile(r"^ID[A-Z]?$|^ID[A-Z]*_\w+$|I[Dd]s?$")

# A key sequence ("Ctrl+S", "F12") is a key, not a text.
KEY_SPEC = re.compile(r"^((Ctrl|Shift|Alt|Meta)\+)+[A-Z0-9]$|^((Ctrl|Shift|Alt|Meta)\+)*(F\d{1,2}|Del|Ins|Esc|Home|End)$")

# No everyday number lives among the string ids; below them an id is only
# told from a size or a count by where it stands. 0xFFFF is a mask far more
# often than the id it equals.
FIRST_STRING_ID = 0x8000
SMALLEST_ID = 100
NOT_IDS = {0xFFFF}

# Casts carry ids and everyday numbers alike.
CASTS = re.compile(r"^(int|unsigned|long|short|char|bool|auto|u?int\d+_t|q(u)?int\d+|size_t|\w+_cast)$")

ROW = re.compile(r"^\s*(STRING|RESOURCE_ID)\(\s*(\w+)\s*,\s*(0[xX][0-9A-Fa-f]+|\d+)"
                 r"|^\s*TEXT\(\s*(0[xX][0-9A-Fa-f]+|\d+)")


def resource_ids(folder):
    """Every id of the rows: value -> name (None for an unnamed TEXT row)."""
    ids = {}
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".inc"):
            continue
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            for line in f:
                m = ROW.match(line)
                if m and m.group(1):
                    ids.setdefault(int(m.group(3), 0), m.group(2))
                elif m:
                    ids.setdefault(int(m.group(4), 0), None)
    return ids


TOKEN = re.compile(r"""
    (?P<comment>//[^\n]*|/\*.*?\*/)
  | (?P<raw>(?:u8|u|U|L)?R"(?P<delim>[^(\s]*)\(.*?\)(?P=delim)")
  | (?P<str>(?:u8|u|U|L)?"(?:\\.|[^"\\\n])*")
  | (?P<chr>(?:u8|u|U|L)?'(?:\\.|[^'\\\n])+')
  | (?P<num>\b(?:0[xX][0-9A-Fa-f']+|\d[\d']*)(?:\.\d*)?(?:[eE][+-]?\d+)?[uUlLfF]*)
  | (?P<name>[A-Za-z_]\w*)
  | (?P<punct>::|->|[^\s\w])
""", re.VERBOSE | re.DOTALL)


def tokens(source):
    """(kind, text, line) of each token, comments left out."""
    line = 1
    pos = 0
    out = []
    for m in TOKEN.finditer(source):
        line += source.count("\n", pos, m.start())
        pos = m.start()
        kind = "raw" if m.lastgroup == "delim" else m.lastgroup
        if kind != "comment":
            out.append((kind, m.group(), line))
    return out


def literal_text(token):
    return re.sub(r"\\.", "", token[token.index('"') + 1:token.rindex('"')])


# Inserts and printf conversions ("%1", "%3u", "%.3lf") are no words.
INSERT = re.compile(r"%([-+ #0]*\d*(\.\d+)?(hh|h|ll|l|z)?[diouxXeEfgcs]|\d+)")


def has_words(body):
    return bool(re.search(r"[A-Za-z]", INSERT.sub("", body)))


def number_value(token):
    text = token.replace("'", "").rstrip("uUlL")
    if text.lower().startswith("0x"):
        return int(text, 16)
    if not text.isdigit():
        return None  # a floating-point number
    if len(text) > 1 and text[0] == "0":
        return int(text, 8) if re.fullmatch(r"[0-7]+", text) else None
    return int(text)


class Scope:
    """An open bracket: a call's parenthesis (call is its name), a grouping
    parenthesis, or a brace. id_row: whether its first element is an id name
    (None until that element shows); argument: which element is being read."""
    __slots__ = ("bracket", "call", "id_row", "argument", "in_arguments", "function")

    def __init__(self, bracket, call, in_arguments=False, function=None):
        self.bracket = bracket
        self.call = call
        self.id_row = None
        self.argument = 0
        self.in_arguments = in_arguments  # a braced list given to a call: f(x, {"a", "b"})
        self.function = function  # a body: its function's name; "" a block within one; None other braces


def call_name(bracket, previous):
    """The function a parenthesis belongs to, from the tokens before it."""
    if bracket != "(" or not previous:
        return None
    if previous[-1][0] == "name":
        return previous[-1][1]
    if len(previous) > 1 and previous[-1][1] == ">" and previous[-2][0] == "name":
        return previous[-2][1]  # AddControl<QLabel>(
    return None


def walk(toks):
    """Yields (kind, text, line, scopes, target) for each literal and number:
    the open brackets around it and the name it is given to (x = ...)."""
    scopes = []
    previous = []  # the last two tokens
    target = None
    returning = False
    closed_call = None  # the call of the parenthesis closed last
    subscripted = None  # the name before the bracket closed last: kTitles[kCount] = ...
    for kind, text, line in toks:
        if scopes and scopes[-1].id_row is None and not (kind == "punct" and text in "{}"):
            scopes[-1].id_row = kind == "name" and bool(ID_NAME.match(text))
        if kind == "punct" and text == "[":
            scopes.append(Scope(text, previous[-1][1] if previous and previous[-1][0] == "name" else None))
        elif kind == "punct" and text in "({":
            in_arguments = text == "{" and bool(previous) and previous[-1][1] in ("(", ",") \
                and bool(scopes) and scopes[-1].bracket == "("
            scopes.append(Scope(text, call_name(text, previous), in_arguments,
                                body_of(previous, closed_call) if text == "{" else None))
            if text == "{" and not (previous and previous[-1][1] == "="):
                target = None  # a block, not an initialiser
        elif kind == "punct" and text in ")}]":
            if scopes:
                closed = scopes.pop()
                closed_call = closed.call
                if closed.bracket == "[":
                    subscripted = closed.call
            if text == "}":
                returning = False
        elif kind == "punct" and text == "," and scopes:
            scopes[-1].argument += 1
        elif kind == "punct" and text == ";":
            target = None
            returning = False
        elif kind == "name" and text == "return":
            returning = True
        elif kind == "punct" and text == "=" and previous:
            if previous[-1][0] == "name":
                target = previous[-1][1]
            elif previous[-1][1] == "]":
                target = subscripted
            elif previous[-1][1] == "+" and len(previous) > 1 and previous[-2][0] == "name":
                target = previous[-2][1]  # text += "..."
        elif kind in ("str", "raw", "num"):
            yield kind, text, line, scopes, "return" if returning else target
        previous = (previous + [(kind, text)])[-2:]


def body_of(previous, closed_call):
    """What a brace opened after these tokens belongs to (Scope.function)."""
    last = previous[-1][1] if previous else ""
    if last == ")" or last in ("const", "override", "noexcept", "final"):
        if closed_call in CONTROL:
            return ""
        return closed_call  # None after a lambda's parameters
    if last in (";", "{", "}", ":", "else", "do", "try"):
        return ""
    return None


def id_positions(toks):
    """(call, argument) pairs where this source gives an id by name."""
    positions = set()
    scopes = []
    previous = []
    for kind, text, _ in toks:
        if kind == "punct" and text in "({[":
            scopes.append([call_name(text, previous), 0])
        elif kind == "punct" and text in ")}]":
            if scopes:
                scopes.pop()
        elif kind == "punct" and text == "," and scopes:
            scopes[-1][1] += 1
        elif kind == "name" and ID_NAME.match(text) and scopes and scopes[-1][0] \
                and not CASTS.match(scopes[-1][0]) and previous[-1][1] in ("(", ","):
            positions.add(tuple(scopes[-1]))
        previous = (previous + [(kind, text)])[-2:]
    return positions


def user_text(body, scopes, target):
    """Whether a literal with this body, inside these brackets, reaches the user."""
    depth = len(scopes)
    for scope in reversed(scopes):
        depth -= 1
        if scope.id_row:
            return not KEY_SPEC.match(body)
        if scope.bracket == "{" and scope.in_arguments:
            continue
        if scope.bracket != "(":
            break
        if scope.call is None or scope.call in WRAPPERS:
            continue
        if scope.call in UI_ARGUMENTS:
            return scope.argument == UI_ARGUMENTS[scope.call]
        return scope.call in UI_CALLS
    if target == "return":
        return returns_text(scopes[:depth + 1])
    return bool(target and TEXT_TARGET.search(target))


def returns_text(scopes):
    """Whether the function a return statement stands in gives a user text."""
    for scope in reversed(scopes):
        if scope.bracket == "{" and scope.function == "":
            continue  # a block within the function
        return bool(scope.bracket == "{" and scope.function and TEXT_FUNCTION.search(scope.function))
    return False


def raw_id(value, scopes, target, ids, positions):
    """Whether a number stands where the program gives an id by name."""
    if value not in ids or value in NOT_IDS or value < SMALLEST_ID:
        return False
    if value >= FIRST_STRING_ID:
        return True
    if target and ID_TARGET.search(target):
        return True
    return bool(scopes) and (scopes[-1].call, scopes[-1].argument) in positions


def exempt_lines(source):
    lines = set()
    for number, text in enumerate(source.split("\n"), 1):
        if MARKER in text:
            lines.add(number)
            if text.strip().startswith("//"):
                lines.add(number + 1)
    return lines


def findings(source, toks, ids, positions):
    """The (line, kind, what) of one source's breaks of the rule."""
    exempt = exempt_lines(source)
    found = []
    for kind, text, line, scopes, target in walk(toks):
        if line in exempt:
            continue
        if kind == "num":
            value = number_value(text)
            if value is not None and raw_id(value, scopes, target, ids, positions):
                found.append((line, "id", f"{text} ({ids[value] or 'an unnamed row'})"))
        elif has_words(literal_text(text)) and user_text(literal_text(text), scopes, target):
            found.append((line, "text", text if len(text) <= 60 else text[:56] + '..."'))
    return found


def source_files(paths):
    for path in paths:
        if os.path.isfile(path):
            yield path
            continue
        for folder, subfolders, files in os.walk(path):
            subfolders[:] = sorted(d for d in subfolders if d != "resources")
            for name in sorted(files):
                if name.endswith((".cpp", ".h")):
                    yield os.path.join(folder, name)


def scan(paths, ids):
    """Every break of the rule in these files: (path, line, kind, what)."""
    sources = []
    positions = set()
    for path in source_files(paths):
        with open(path, encoding="utf-8") as f:
            source = f.read()
        toks = tokens(source)
        positions |= id_positions(toks)
        sources.append((path, source, toks))
    return [(path, line, kind, what)
            for path, source, toks in sources
            for line, kind, what in findings(source, toks, ids, positions)]


EXPECTED = re.compile(r"\bbreaks: (text|id)\b")


def self_test(fixtures, ids):
    """Each fixture's findings must be exactly its lines marked "breaks: ..."."""
    ok = True
    found = {}
    for path, line, kind, _ in scan(fixtures, ids):
        found.setdefault(path, set()).add((line, kind))
    for path in fixtures:
        with open(path, encoding="utf-8") as f:
            expected = {(number, m.group(1))
                        for number, text in enumerate(f.read().split("\n"), 1)
                        for m in EXPECTED.finditer(text)}
        got = found.get(path, set())
        for line, kind in sorted(expected - got):
            print(f"{path}:{line}: the scan misses {'an id' if kind == 'id' else 'a text'} written in place")
            ok = False
        for line, kind in sorted(got - expected):
            print(f"{path}:{line}: the scan reports {'an id' if kind == 'id' else 'a text'} on a line that keeps the rule")
            ok = False
        print(f"{path}: {len(got & expected)} of {len(expected)} breaking lines found")
    return ok


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    top = os.path.normpath(os.path.join(here, "..", "..", ".."))
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--resources", default=os.path.join(top, "app", "resources"))
    parser.add_argument("--self-test", action="store_true")
    parser.add_argument("paths", nargs="*")
    args = parser.parse_args()
    ids = resource_ids(args.resources)
    if not ids:
        print(f"no resource rows in {args.resources}")
        return 2
    if args.self_test:
        return 0 if self_test(args.paths, ids) else 1
    found = scan(args.paths or [os.path.join(top, "app")], ids)
    for path, line, kind, what in found:
        hint = "a user text outside app/resources" if kind == "text" else "an id written as a number"
        print(f"{path}:{line}: {hint}: {what}")
    if found:
        texts = sum(1 for f in found if f[2] == "text")
        print(f"{texts} inline text(s), {len(found) - texts} raw id(s): every user text is a row of "
              f"app/resources/strings_*.inc and every id its ResourceIds.h name "
              f"(a line that is neither says so with // {MARKER} <why>)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
