#!/usr/bin/env python3
"""Keeps the dispatcher's guide (docs/guide-ru.md) and the code in step.

Three checks, each a test case of a JUnit report:
  - every message the panel can show a user is explained in the guide's
    section "Если что-то не так", and every message listed there is one the
    code can show (run-time parts of a message are written "…" in the guide);
  - every picture the guide links exists;
  - the README links the guide on its first screen.
The extraction of the messages is checked on samples first, so that a
change here that stops finding messages fails rather than passes.

    check_guide.py SOURCE_ROOT [--junit FILE]
"""
import os
import re
import sys
from xml.sax.saxutils import escape, quoteattr

PLACEHOLDER = "…"
GUIDE = "docs/guide-ru.md"
TROUBLE_HEADING = "Если что-то не так"
README_FIRST_SCREEN = 30  # lines

# Where the panel's messages are made: the plug-in's own folders.
SOURCE_DIRS = ["com", "core", "panel", "report", "layer", "settings", "server", "state", "plugin"]
# Answers to the container program about the control's properties and saved
# state: the container reads them from the call's error, the panel shows none.
NOT_SHOWN_FILES = ["panel/control/", "panel/form/FormProperties.cpp"]
# Texts made but replaced before anyone sees them, with where they go instead.
NOT_SHOWN_TEXTS = {
    "Клиент программы Карвекс не создан": "the start-up shows «Ошибка запуска ПО Карвекс» instead",
    "\"…\" не является скоростью воспроизведения": "the speed field shows its own message instead",
}
# How a call turns its arguments into the text shown: which argument holds
# the text, and what the callee adds around it ({} is the argument).
MESSAGE_CALLS = {
    "EPanelError": (0, "{}"),
    "Error": (0, "{}"),
    "KarvexError": (0, "{}"),
    "runtime_error": (0, "{}"),
    "RaiseBadData": (0, "{}"),
    "ShowMessage": (1, "{}"),
    "ThrowFileError": (0, "{} " + PLACEHOLDER + ": " + PLACEHOLDER),
}
# Functions whose result is the text of a failure, shown as it is.
TEXT_FUNCTIONS = ["CurrentExceptionText", "SystemText"]

CYRILLIC = re.compile("[\u0400-\u04ff]")


# ---- C++ source reading --------------------------------------------------

def past_literal(text, i):
    """Where the string or character literal that begins at i ends."""
    j = i + 1
    while j < len(text) and text[j] != text[i]:
        j += 2 if text[j] == "\\" else 1
    return j + 1


def strip_comments(text):
    """Comments become blanks (line breaks kept); literals stay as they are."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c in "\"'":
            j = past_literal(text, i)
            out.append(text[i:j])
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


LITERAL = re.compile(r'(?:u8|L|u|U)?"((?:[^"\\\n]|\\.)*)"')


def unescape(body):
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "t": "\t"}.get(m.group(1), m.group(1)), body)


def split_top(expr, sep):
    """Splits at `sep` outside brackets and literals."""
    parts, depth, start, i = [], 0, 0, 0
    while i < len(expr):
        c = expr[i]
        if c in "\"'":
            i = past_literal(expr, i)
            continue
        if c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
        elif depth == 0 and expr.startswith(sep, i) and not (sep == "+" and expr.startswith("+=", i)) and \
                not (sep == ":" and (expr.startswith("::", i) or expr[i - 1:i] == ":")):
            parts.append(expr[start:i])
            start = i + len(sep)
        i += 1
    parts.append(expr[start:])
    return [p.strip() for p in parts]


def only_literals(piece):
    """The text of a piece made of adjacent string literals, else None."""
    rest = LITERAL.sub("", piece).strip()
    if rest or not LITERAL.search(piece):
        return None
    return "".join(unescape(m.group(1)) for m in LITERAL.finditer(piece))


def closing_paren(text, open_paren):
    """Where the parenthesis opened at open_paren closes, or -1."""
    depth, i = 0, open_paren
    while i < len(text):
        c = text[i]
        if c in "\"'":
            i = past_literal(text, i)
            continue
        if c == "(":
            depth += 1
        elif c == ")":
            depth -= 1
            if depth == 0:
                return i
        i += 1
    return -1


def unwrap(piece):
    """Drops parentheses and string conversions around a piece."""
    while True:
        m = re.match(r"(?:std::w?string|kx::ToWide|kx::ToUtf8|W)?\s*\(", piece)
        if not m or closing_paren(piece, m.end() - 1) != len(piece) - 1:
            return piece
        piece = piece[m.end():-1].strip()


def ternary(expr):
    """The two branches of a conditional expression, or None."""
    parts = split_top(expr, "?")
    if len(parts) != 2:
        return None
    branches = split_top(parts[1], ":")
    return branches if len(branches) == 2 else None


def templates_of(expr, variables):
    """The texts an expression can make, run-time parts as PLACEHOLDER."""
    expr = unwrap(expr)
    branches = ternary(expr)
    if branches:
        return templates_of(branches[0], variables) + templates_of(branches[1], variables)
    results = [""]
    for piece in split_top(expr, "+"):
        piece = unwrap(piece)
        text = only_literals(piece)
        if text is not None:
            choices = [text]
        elif piece in variables:
            choices = [t for value in variables[piece] for t in templates_of(value, {})]
        elif ternary(piece):
            choices = templates_of(piece, variables)
        else:
            choices = [PLACEHOLDER]
        results = [r + c for r in results for c in choices]
    return results


def normalise(text):
    text = re.sub(r"\s+", " ", text.replace("...", PLACEHOLDER)).strip()
    return re.sub(PLACEHOLDER + r"(\s*" + PLACEHOLDER + ")+", PLACEHOLDER, text)


def call_arguments(text, open_paren):
    """The top-level arguments of the call whose '(' is at open_paren."""
    close = closing_paren(text, open_paren)
    return split_top(text[open_paren + 1:close], ",") if close > 0 else []


CALL = re.compile(r"\b(" + "|".join(MESSAGE_CALLS) + r")\s*\(")
# A variable's values: its declaration and the assignments to it.
ASSIGNMENT = re.compile(r"\b([A-Za-z_]\w*)\s*=\s*([^;=][^;]*);", re.S)
FUNCTION_START = re.compile(r"^\S[^\n;]*\(", re.M)


def enclosing_function(text, position):
    """Where the function around `position` begins (they start at column 0)."""
    start = 0
    for m in FUNCTION_START.finditer(text, 0, position):
        start = m.start()
    return start


# A text constant of the file, such as `const wchar_t *const kName = L"...";`.
CONSTANT = re.compile(r'\bconst\b[^;=(]*?\b([A-Za-z_]\w*)\s*=\s*(L?"(?:[^"\\]|\\.)*")\s*;')


def variables_before(text, position):
    values = {}
    for m in CONSTANT.finditer(text, 0, position):
        values.setdefault(m.group(1), []).append(m.group(2))
    for m in ASSIGNMENT.finditer(text, enclosing_function(text, position), position):
        values.setdefault(m.group(1), []).append(m.group(2))
    return values


def messages_in_source(text):
    """(template, line) for each message a source text makes."""
    text = strip_comments(text)
    found = []

    def add(expr, shape, position):
        for template in templates_of(expr, variables_before(text, position)):
            template = normalise(shape.format(template))
            if CYRILLIC.search(template):
                found.append((template, text.count("\n", 0, position) + 1))

    for call in CALL.finditer(text):
        index, shape = MESSAGE_CALLS[call.group(1)]
        args = call_arguments(text, call.end() - 1)
        if len(args) > index:
            add(args[index], shape, call.start())
    # What a function that describes a failure returns.
    for function in TEXT_FUNCTIONS:
        for m in re.finditer(r"^\S[^\n;]*\b" + function + r"\s*\([^;{]*\{", text, re.M):
            end = text.find("\n}", m.end())
            for r in re.finditer(r"\breturn\s+([^;]*);", text[m.end():end]):
                add(r.group(1), "{}", m.end() + r.start())
    found.sort(key=lambda f: f[1])
    return found


def code_messages(root):
    """template -> ["file:line", ...] for every message a user can see."""
    messages = {}
    for folder in SOURCE_DIRS:
        for base, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(base, name)
                rel = os.path.relpath(path, root).replace(os.sep, "/")
                if any(rel.startswith(p) for p in NOT_SHOWN_FILES):
                    continue
                with open(path, encoding="utf-8") as f:
                    text = f.read()
                for template, line in messages_in_source(text):
                    messages.setdefault(template, []).append(f"{rel}:{line}")
    return messages


# ---- the guide -----------------------------------------------------------

def section(markdown, heading):
    """The text under a heading (any level) up to the next heading of its level or higher."""
    lines = markdown.splitlines()
    for i, line in enumerate(lines):
        m = re.match(r"(#+)\s+(.*)", line)
        if m and m.group(2).strip() == heading:
            level = len(m.group(1))
            body = []
            for rest in lines[i + 1:]:
                n = re.match(r"(#+)\s", rest)
                if n and len(n.group(1)) <= level:
                    break
                body.append(rest)
            return "\n".join(body)
    return None


def guide_messages(markdown):
    """Every code span of the trouble section is a message."""
    body = section(markdown, TROUBLE_HEADING)
    if body is None:
        return None
    return {normalise(m) for m in re.findall(r"`([^`]+)`", body)}


def linked_pictures(markdown):
    return re.findall(r"!\[[^\]]*\]\(([^)\s]+)", markdown)


# ---- checks ----------------------------------------------------------------

def check_extraction():
    """The extraction on samples of each way the code makes a message."""
    sample = r'''
        // throw EPanelError(L"в комментарии");
        throw EPanelError(L"Нет связи с ПО Карвекс", E_UNEXPECTED);
        throw EPanelError(L"Строки " + std::to_wstring(row + 1) + L" нет в списке", E_FAIL);
        throw kx::Error(std::string("Параметр ") + name +
                        (found ? " в файле настроек пуст" : " отсутствует в файле настроек"));
        const std::string prohibited = "Файл " + kx::ToUtf8(path) + " не прочитан";
        throw kx::Error(prohibited);
        ShowMessage(nullptr, L"Ошибка запуска", L"Ошибка", MB_OK);
        ShowMessage(hwnd_, CurrentExceptionText(), L"", MB_OK);
        ThrowFileError("Не удалось создать файл", temporary);
        throw Error("\"" + std::string(text) + "\" не является числом, а \"a, b\" тем более");
        throw EPanelError(kx::ToWide(e.what()), E_INVALIDARG);
        SetText(label, L"не сообщение");
}
void RaiseFromCall(HRESULT hr)
{
    std::wstring text;
    if (text.empty()) text = SystemText(hr);
    if (gone) text = L"Нет связи: программа закрыта. " + text;
    throw KarvexError(text, hr);
}
std::wstring SystemText(HRESULT hr)
{
    return text.empty() ? std::wstring(L"Ошибка вызова, ") + code : text;
}
'''
    got = [t for t, _ in messages_in_source(sample)]
    want = [
        "Нет связи с ПО Карвекс",
        "Строки … нет в списке",
        "Параметр … в файле настроек пуст",
        "Параметр … отсутствует в файле настроек",
        "Файл … не прочитан",
        "Ошибка запуска",
        "Не удалось создать файл …: …",
        "\"…\" не является числом, а \"a, b\" тем более",
        "Нет связи: программа закрыта. …",
        "Ошибка вызова, …",
    ]
    if got != want:
        return [f"extracted {got!r}, expected {want!r}"]
    return []


def check_messages(root):
    with open(os.path.join(root, GUIDE), encoding="utf-8") as f:
        listed = guide_messages(f.read())
    if listed is None:
        return [f"{GUIDE} has no section «{TROUBLE_HEADING}»"]
    made = code_messages(root)
    code = {t: where for t, where in made.items() if t not in NOT_SHOWN_TEXTS}
    faults = []
    for template, where in sorted(code.items()):
        if template not in listed:
            faults.append(f"not in the guide: «{template}» ({', '.join(where)})")
    for template in sorted(listed - set(code)):
        faults.append(f"in the guide but made nowhere in the code: «{template}»")
    for text in NOT_SHOWN_TEXTS:
        if text not in made:
            faults.append(f"the exception for «{text}» is stale: the code no longer makes it")
    return faults


def check_pictures(root):
    with open(os.path.join(root, GUIDE), encoding="utf-8") as f:
        pictures = linked_pictures(f.read())
    if not pictures:
        return [f"{GUIDE} links no pictures"]
    base = os.path.dirname(os.path.join(root, GUIDE))
    return [f"missing picture: {p}" for p in pictures if not os.path.isfile(os.path.join(base, p))]


def check_readme(root):
    with open(os.path.join(root, "README.md"), encoding="utf-8") as f:
        first = f.readlines()[:README_FIRST_SCREEN]
    if not any(GUIDE in line for line in first):
        return [f"README.md does not link {GUIDE} in its first {README_FIRST_SCREEN} lines"]
    return []


def main(argv):
    root = argv[1] if len(argv) > 1 else "."
    junit = argv[argv.index("--junit") + 1] if "--junit" in argv else None
    cases = [
        ("MessageExtraction", check_extraction),
        ("MessagesMatchTheCode", lambda: check_messages(root)),
        ("PicturesExist", lambda: check_pictures(root)),
        ("ReadmeLinksTheGuide", lambda: check_readme(root)),
    ]
    results = []
    for name, check in cases:
        try:
            faults = check()
        except (OSError, UnicodeError) as e:
            faults = [str(e)]
        results.append((name, faults))
        print(("ok    " if not faults else "FAIL  ") + name)
        for fault in faults:
            print("      " + fault)
    if junit:
        os.makedirs(os.path.dirname(junit) or ".", exist_ok=True)
        with open(junit, "w", encoding="utf-8") as f:
            f.write('<?xml version="1.0" encoding="UTF-8"?>\n<testsuites><testsuite name="Guide">')
            for name, faults in results:
                f.write(f'<testcase name="{name}" classname="Guide">')
                if faults:
                    f.write(f"<failure message={quoteattr(faults[0])}>{escape(chr(10).join(faults))}</failure>")
                f.write("</testcase>")
            f.write("</testsuite></testsuites>\n")
    return 1 if any(faults for _, faults in results) else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
