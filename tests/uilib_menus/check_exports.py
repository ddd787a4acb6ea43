#!/usr/bin/python3
"""Checks that pyraxis.exe exports every member of every exported library class.

Reads the classes declared `class UILIB_API CName` in uilib/*.h, lists their member
functions (constructors, destructors, operators, the members the run-time class and
message-map declarations add) and static data members, and looks each up in the
program's export table as `x86_64-w64-mingw32-objdump -p` prints it, by its mangled
class and member name. An overloaded member needs as many exported forms as it has
declarations. Prints what is missing and exits 1 then; 0 when everything is there.

Usage: check_exports.py SOURCE_DIR PROGRAM [OBJDUMP]
"""

import glob
import os
import re
import subprocess
import sys

# What the framework's declaration macros put into a class.
MACRO_MEMBERS = {
    "DECLARE_DYNAMIC": ["GetThisClass", "GetRuntimeClass", "!class{cls}"],
    "DECLARE_DYNCREATE": ["GetThisClass", "GetRuntimeClass", "CreateObject", "!class{cls}"],
    "DECLARE_SERIAL": ["GetThisClass", "GetRuntimeClass", "CreateObject", "!class{cls}"],
    "DECLARE_MESSAGE_MAP": ["GetThisMessageMap", "GetMessageMap"],
}

# Itanium names of the operators a class may declare.
OPERATOR_CODES = {
    "=": "aS", "==": "eq", "!=": "ne", "<": "lt", ">": "gt", "<=": "le", ">=": "ge",
    "[]": "ix", "()": "cl", "->": "pt", "*": "ml", "+": "pl", "-": "mi", "+=": "pL",
    "-=": "mI", "!": "nt", "new": "nw", "delete": "dl",
}

ACCESS = re.compile(r"^\s*(public|protected|private)\s*:")
SKIPPED_STARTS = ("typedef", "using", "friend", "enum", "struct", "class", "template", "static_assert")


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    return re.sub(r"//[^\n]*", " ", text)


def past_closing_brace(text, position):
    """The position after the brace that closes the one opened just before position."""
    depth = 1
    while depth > 0 and position < len(text):
        if text[position] == "{":
            depth += 1
        elif text[position] == "}":
            depth -= 1
        position += 1
    return position


def class_bodies(text):
    """(class name, body text) of each exported class of a header."""
    for match in re.finditer(r"\bclass\s+UILIB_API\s+(\w+)[^;{]*\{", text):
        end = past_closing_brace(text, match.end())
        yield match.group(1), text[match.end():end - 1]


def statements(body):
    """Top-level declarations of a class body; inline bodies and nested types skipped."""
    current = []
    parens = 0
    position = 0
    while position < len(body):
        ch = body[position]
        if ch == "(":
            parens += 1
        elif ch == ")":
            parens -= 1
        if ch == "{" and parens == 0:
            # An inline function body, a nested type or a brace initializer.
            position = past_closing_brace(body, position + 1)
            yield "".join(current).strip()
            current = []
            continue
        if ch == ";" and parens == 0:
            yield "".join(current).strip()
            current = []
        else:
            current.append(ch)
        position += 1
    if "".join(current).strip():
        yield "".join(current).strip()


def expected_members(cls, body):
    """Pairs (kind, name): kind 'function' (with a count) or 'data'."""
    functions = {}
    data = []
    # The declaration macros end without a semicolon.
    for macro, members in MACRO_MEMBERS.items():
        for _ in re.finditer(r"\b%s\s*\([^)]*\)" % macro, body):
            for member in members:
                if member.startswith("!"):
                    data.append(member[1:].format(cls=cls))
                else:
                    functions[member] = functions.get(member, 0) + 1
        body = re.sub(r"\b%s\s*\([^)]*\)" % macro, ";", body)
    for statement in statements(body):
        while ACCESS.match(statement):
            statement = ACCESS.sub("", statement, count=1).strip()
        statement = re.sub(r"^\s*afx_msg\s+", "", statement)
        if not statement or statement.startswith(SKIPPED_STARTS):
            continue
        if re.search(r"=\s*(0|default|delete)\s*$", statement):
            continue
        if "(" not in statement:
            if re.match(r"^\s*static\b", statement) and not re.search(r"\bconstexpr\b", statement):
                name = re.findall(r"(\w+)\s*(?:=.*)?$", statement)
                if name:
                    data.append(name[0])
            continue
        head = statement[:statement.index("(")]
        operator = re.search(r"\boperator\s*(.*)$", head)
        if operator:
            name = "operator " + operator.group(1).strip()
        else:
            words = re.findall(r"~?\w+", head)
            if not words:
                continue
            name = words[-1]
        functions[name] = functions.get(name, 0) + 1
    return functions, data


def mangled_prefix(cls, name):
    """Regular expression for the exported names of one member."""
    scope = r"_ZNK?%d%s" % (len(cls), cls)
    if name == cls:
        return scope + r"C[12]E"
    if name == "~" + cls:
        return scope + r"D[012]E"
    if name.startswith("operator "):
        symbol = name[len("operator "):]
        return scope + OPERATOR_CODES.get(symbol, "cv")
    return scope + r"%d%sE" % (len(name), name)


def export_names(program, objdump):
    output = subprocess.run([objdump, "-p", program], check=True, capture_output=True, text=True).stdout
    names = []
    in_table = False
    for line in output.splitlines():
        if "[Ordinal/Name Pointer] Table" in line:
            in_table = True
            continue
        if in_table:
            match = re.match(r"^\s*\[\s*\d+\]\s+(\S+)", line)
            if match:
                names.append(match.group(1))
            elif line.strip():
                in_table = False
    return names


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    source_dir, program = sys.argv[1], sys.argv[2]
    objdump = sys.argv[3] if len(sys.argv) > 3 else "x86_64-w64-mingw32-objdump"
    exports = export_names(program, objdump)
    missing = []
    classes = 0
    members = 0
    for header in sorted(glob.glob(os.path.join(source_dir, "uilib", "*.h"))):
        with open(header, encoding="utf-8") as handle:
            text = strip_comments(handle.read())
        for cls, body in class_bodies(text):
            classes += 1
            functions, data = expected_members(cls, body)
            for name, count in sorted(functions.items()):
                members += 1
                pattern = mangled_prefix(cls, name)
                forms = set()
                for export in exports:
                    match = re.match(pattern, export)
                    if match:
                        # Complete and base structors are one form; the rest of the
                        # name tells overloads apart.
                        rest = export[match.end():]
                        forms.add(rest)
                if len(forms) < count:
                    missing.append("%s: %s::%s (%d of %d forms)" % (os.path.basename(header), cls, name,
                                                                     len(forms), count))
            for name in data:
                members += 1
                symbol = "_ZN%d%s%d%sE" % (len(cls), cls, len(name), name)
                if symbol not in exports:
                    missing.append("%s: %s::%s (static data)" % (os.path.basename(header), cls, name))
    if classes == 0:
        print("no exported classes found under %s/uilib" % source_dir)
        return 1
    if missing:
        print("not exported from %s:" % os.path.basename(program))
        for line in missing:
            print("  " + line)
        return 1
    print("%d classes, %d members exported" % (classes, members))
    return 0


if __name__ == "__main__":
    sys.exit(main())
