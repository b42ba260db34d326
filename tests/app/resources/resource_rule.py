#!/usr/bin/env python3
"""Keeps the program's texts and ids in app/resources.

Every text a user sees is a row of app/resources/strings_*.inc and every id
is written by its ResourceIds.h name. This scan finds the two ways of
breaking that rule in the program's sources and prints each as file:line:

  text  a string literal that goes straight to the user: an argument of a
        box, window title, menu, label, tooltip, status or dialog-control
        call; a text in a row of a table keyed by an id (ID_*, IDC_*, ...);
        a literal given to a title, caption or filter.
  id    a number that is an id of the resource rows (1000 and above: the
        smaller ids are also everyday sizes, counts and colour levels).

A literal that is no user text (an object name, a file name, a command
mnemonic for a generator, a profile key) or a number that is no id gets the
comment "resource-rule-ok: <why>" on its line, or alone on the line above.

  resource_rule.py [--resources DIR] PATH...   scan files and folders
  resource_rule.py --self-test FIXTURE...      check the scan itself on
        fixtures whose breaking lines end in "// breaks: text" or
        "// breaks: id"
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
    "TransferNameRefused", "NotIncremented", "ReportNotCopied", "TakeNumber",
}

# Calls that only wrap a literal into a string; the call around them counts.
WRAPPERS = {"QStringLiteral", "QString", "fromUtf8", "fromLatin1", "QLatin1String", "QLatin1StringView",
            "QStringView", "tr", "arg", "asprintf"}

# Names a title, caption or filter is assigned to.
TEXT_TARGET = re.compile(r"(?i)(title|caption|filter|text|message)$")

# Rows keyed by an id: {ID_FILE_SAVE, "&Save"}, {IDC_RED, "R"}, {IDOK, "OK"}.
ID_KEY = re.compile(r"^ID[A-Z]*_\w+$|^ID(OK|CANCEL|YES|NO|ABORT|RETRY|IGNORE)$")

# A key sequence ("Ctrl+S", "F12") is a key, not a text.
KEY_SPEC = re.compile(r"^((Ctrl|Shift|Alt|Meta)\+)*(F\d{1,2}|Del|Ins|Esc|Home|End|[A-Z0-9])$")

# Ids below this are also everyday numbers (sizes, counts, levels).
FIRST_CHECKED_ID = 1000

# Files whose numbers are another table's keys that share values with ids.
NUMBERS_NOT_IDS = {
    "FormatErrorTable.cpp": "the generator's format error numbers (10000 and up share values with command ids)",
}

ROW = re.compile(r"^\s*(STRING|RESOURCE_ID)\(\s*(\w+)\s*,\s*(0[xX][0-9A-Fa-f]+|\d+)|^\s*TEXT\(\s*(0[xX][0-9A-Fa-f]+|\d+)")


def resource_ids(folder):
    """Every id of the rows: value -> name (None for an unnamed TEXT row)."""
    ids = {}
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".inc"):
            continue
        with open(os.path.join(folder, name), encoding="utf-8") as f:
            for line in f:
                m = ROW.match(line)
                if not m:
                    continue
                if m.group(1):
                    ids.setdefault(int(m.group(3), 0), m.group(2))
                else:
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
    line = 1
    pos = 0
    for m in TOKEN.finditer(source):
        line += source.count("\n", pos, m.start())
        pos = m.start()
        kind = m.lastgroup if m.lastgroup != "delim" else "raw"
        yield kind, m.group(), line


def literal_text(token):
    body = token[token.index('"') + 1:token.rindex('"')]
    return re.sub(r"\\.", "", body)


def number_value(token):
    text = token.replace("'", "").rstrip("uUlL")
    if "." in text or (not text.lower().startswith("0x") and re.search(r"[eEfF]", text)):
        return None
    if text.lower().startswith("0x"):
        return int(text, 16)
    if len(text) > 1 and text[0] == "0":
        return int(text, 8) if re.fullmatch(r"[0-7]+", text) else None
    return int(text)


class Scope:
    """An open bracket: a call's parenthesis (call is its name), a grouping
    parenthesis, or a brace. id_row: whether its first element is an id name
    (None until that element shows)."""
    __slots__ = ("bracket", "call", "id_row")

    def __init__(self, bracket, call):
        self.bracket = bracket
        self.call = call
        self.id_row = None


def scan_source(source, ids, numbers_are_ids=True):
    """The (line, kind, what) findings of one source text."""
    exempt = set()
    for number, text in enumerate(source.split("\n"), 1):
        if MARKER in text:
            exempt.add(number)
            if text.strip().startswith("//"):
                exempt.add(number + 1)
    findings = []
    scopes = []
    previous = []            # the last two tokens
    statement_target = None  # the name left of '=' in the current statement
    for kind, text, line in tokens(source):
        if kind == "comment":
            continue
        if scopes and scopes[-1].id_row is None and not (kind == "punct" and text in "{}"):
            scopes[-1].id_row = kind == "name" and bool(ID_KEY.match(text))
        if kind == "punct" and text in "({[":
            call = None
            if text == "(" and previous:
                if previous[-1][0] == "name":
                    call = previous[-1][1]
                elif previous[-1][1] == ">" and len(previous) > 1 and previous[-2][0] == "name":
                    call = previous[-2][1]  # AddControl<QLabel>(
            scopes.append(Scope(text, call))
        elif kind == "punct" and text in ")}]":
            if scopes:
                scopes.pop()
        elif kind in ("str", "raw"):
            body = literal_text(text)
            if re.search(r"[A-Za-z]", body) and line not in exempt and user_facing(body, scopes, statement_target):
                findings.append((line, "text", text if len(text) <= 60 else text[:56] + '..."'))
        elif kind == "num" and numbers_are_ids:
            value = number_value(text)
            if value is not None and value >= FIRST_CHECKED_ID and value in ids and line not in exempt:
                findings.append((line, "id", f"{text} ({ids[value] or 'an unnamed row'})"))
        # The name a literal is assigned to (x = "..."); a statement's end forgets it.
        if kind == "punct" and text == "=" and previous:
            if previous[-1][0] == "name":
                statement_target = previous[-1][1]
            elif previous[-1][1] == "+" and len(previous) > 1 and previous[-2][0] == "name":
                statement_target = previous[-2][1]  # text += "..."
        elif kind == "punct" and text in ";{}":
            statement_target = None
        previous = (previous + [(kind, text)])[-2:]
    return findings


def user_facing(body, scopes, target):
    """Whether a literal with this body, inside these brackets, reaches the user."""
    for scope in reversed(scopes):
        if scope.id_row:
            return not KEY_SPEC.match(body)
        if scope.bracket != "(":
            break
        if scope.call is None or scope.call in WRAPPERS:
            continue
        return scope.call in UI_CALLS
    return bool(target and TEXT_TARGET.search(target))


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
    findings = []
    for path in source_files(paths):
        with open(path, encoding="utf-8") as f:
            for line, kind, what in scan_source(f.read(), ids, os.path.basename(path) not in NUMBERS_NOT_IDS):
                findings.append((path, line, kind, what))
    return findings


EXPECTED = re.compile(r"\bbreaks: (text|id)\b")


def self_test(fixtures, ids):
    """Each fixture's findings must be exactly its lines marked "breaks: ..."."""
    ok = True
    for path in fixtures:
        with open(path, encoding="utf-8") as f:
            source = f.read()
        expected = set()
        for number, text in enumerate(source.split("\n"), 1):
            for m in EXPECTED.finditer(text):
                expected.add((number, m.group(1)))
        found = {(line, kind) for line, kind, _ in scan_source(source, ids)}
        for line, kind in sorted(expected - found):
            print(f"{path}:{line}: the scan misses a raw {kind}")
            ok = False
        for line, kind in sorted(found - expected):
            print(f"{path}:{line}: the scan reports a {kind} that keeps the rule")
            ok = False
        print(f"{path}: {len(found & expected)} of {len(expected)} breaking lines found")
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
    findings = scan(args.paths or [os.path.join(top, "app")], ids)
    for path, line, kind, what in findings:
        hint = "a user text outside app/resources" if kind == "text" else "an id written as a number"
        print(f"{path}:{line}: {hint}: {what}")
    if findings:
        texts = sum(1 for f in findings if f[2] == "text")
        print(f"{texts} inline text(s), {len(findings) - texts} raw id(s): every user text is a row of "
              f"app/resources/strings_*.inc and every id its ResourceIds.h name "
              f"(or mark a line that is neither with // {MARKER} <why>)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
