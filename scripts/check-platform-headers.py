#!/usr/bin/env python3
"""Checks that the program's own code includes POSIX-only headers only where Windows
cannot reach them.

MinGW ships a unistd.h of its own, so a cross compile with it passes where Microsoft's
compiler stops at the first POSIX header. This check reads the preprocessor conditions
around every such include instead: with the macros a Windows compiler defines (_WIN32,
_MSC_VER, and Qt's Q_OS_WIN once a Qt header is in), the include must lie in a branch that
is certainly not taken. A condition the check cannot decide (a macro of neither kind) is
an offence too: the guard must say which systems it means.

A Qt Q_OS_ macro is defined only after a Qt header has been included, so a Q_OS_ test
above the first Qt include (directly or through the project's own headers) is an offence:
on Windows it would take the Unix branch.

Prints every offence and exits 1 when there is one.

    check-platform-headers.py REPOSITORY_ROOT [FOLDER...]
"""

import os
import re
import sys

# The program's own code; tests, benchmarks, fuzzers and the sample writer may be
# POSIX-only and are left out of a Windows build by their options.
FOLDERS = ["fs", "shell", "engine", "inputs", "results", "app", "companion"]

POSIX_ONLY = re.compile(
    r"^(unistd|fcntl|pwd|grp|spawn|dirent|dlfcn|poll|termios|pthread|semaphore|sched|"
    r"syslog|libgen|fnmatch|glob|wordexp|langinfo|strings|utmpx?|netdb|ifaddrs|"
    r"sys/(?!types\.h$)[a-z_/]+|linux/[a-z_/]+|mach/[a-z_/]+|netinet/[a-z_]+|arpa/[a-z_]+|"
    r"execinfo|ucontext|aio|mqueue|err|paths)\.h$")

# Macros as a Windows compiler (and Qt on Windows) has them.
WINDOWS_DEFINED = {"_WIN32", "_WIN64", "_MSC_VER", "WIN32", "_WINDOWS"}
WINDOWS_UNDEFINED = {
    "__unix__", "__unix", "unix", "__linux__", "__linux", "linux", "__APPLE__", "__MACH__",
    "__gnu_linux__", "__FreeBSD__", "__NetBSD__", "__OpenBSD__", "__DragonFly__", "__sun",
    "__CYGWIN__", "_POSIX_VERSION", "__ANDROID__", "__HAIKU__",
}
QT_WINDOWS_DEFINED = {"Q_OS_WIN", "Q_OS_WIN32", "Q_OS_WIN64", "Q_OS_WINDOWS", "Q_CC_MSVC"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
DIRECTIVE = re.compile(r"^\s*#\s*(if|ifdef|ifndef|elif|else|endif)\b(.*)$")


class Undecided(Exception):
    pass


def evaluate(expression, qt_seen):
    """True or False for a condition as a Windows compiler sees it; Undecided otherwise."""
    expression = re.sub(r"//.*$|/\*.*?\*/", "", expression).strip()
    tokens = re.findall(r"defined|\w+|&&|\|\||!|\(|\)|\S", expression)
    position = 0

    def peek():
        return tokens[position] if position < len(tokens) else None

    def take():
        nonlocal position
        position += 1
        return tokens[position - 1]

    def macro(name):
        if name.startswith("Q_OS_") or name.startswith("Q_CC_"):
            if not qt_seen:
                raise Undecided(f"{name} is tested before any Qt header is included")
            return name in QT_WINDOWS_DEFINED
        if name in WINDOWS_DEFINED:
            return True
        if name in WINDOWS_UNDEFINED:
            return False
        raise Undecided(f"cannot tell whether {name} is defined on Windows")

    def primary():
        token = take() if peek() is not None else None
        if token == "!":
            return not primary()
        if token == "(":
            value = disjunction()
            if take() != ")":
                raise Undecided("unbalanced parentheses")
            return value
        if token == "defined":
            if peek() == "(":
                take()
                name = take()
                if take() != ")":
                    raise Undecided("unbalanced parentheses")
            else:
                name = take()
            return macro(name)
        if token is not None and re.fullmatch(r"\w+", token):
            if token.isdigit():
                return token != "0"
            # A bare macro in #if: its value, which this check does not know unless the
            # macro is one whose absence it knows (then it reads as 0).
            if token in WINDOWS_UNDEFINED:
                return False
            raise Undecided(f"cannot tell the value of {token} on Windows")
        raise Undecided(f"cannot read the condition {expression!r}")

    def conjunction():
        value = primary()
        while peek() == "&&":
            take()
            right = primary()
            value = value and right
        return value

    def disjunction():
        value = conjunction()
        while peek() == "||":
            take()
            right = conjunction()
            value = value or right
        return value

    value = disjunction()
    if peek() is not None:
        raise Undecided(f"cannot read the condition {expression!r}")
    return value


def decide(expression, qt_seen):
    try:
        return evaluate(expression, qt_seen), None
    except (Undecided, IndexError) as why:
        return None, str(why) if isinstance(why, Undecided) else "cannot read the condition"


def reaches_qt(root, path, seen):
    """Whether the file includes a Qt header, itself or through the project's headers."""
    if path in seen or not os.path.isfile(path):
        return False
    seen.add(path)
    with open(path, encoding="utf-8", errors="replace") as source:
        for line in source:
            match = INCLUDE.match(line)
            if not match:
                continue
            if is_qt_header(match):
                return True
            if match.group(1) == '"' and reaches_qt(root, resolve(root, path, match.group(2)),
                                                    seen):
                return True
    return False


def is_qt_header(match):
    name = match.group(2)
    return match.group(1) == "<" and (re.match(r"^Q[A-Z]\w*$", name) is not None
                                      or name.startswith(("Qt", "qglobal", "qsystemdetection")))


def resolve(root, including, name):
    beside = os.path.join(os.path.dirname(including), name)
    return beside if os.path.isfile(beside) else os.path.join(root, name)


def check_file(root, path):
    offences = []
    relative = os.path.relpath(path, root)
    # Each open conditional: (value of the branch being read, whether an earlier branch
    # was taken, why it is undecided). A value of None is undecided.
    stack = []
    qt_seen = False
    with open(path, encoding="utf-8", errors="replace") as source:
        lines = source.read().split("\n")
    number = 0
    while number < len(lines):
        line = lines[number]
        number += 1
        while line.endswith("\\") and number < len(lines):
            line = line[:-1] + " " + lines[number]
            number += 1
        directive = DIRECTIVE.match(line)
        if directive:
            keyword, rest = directive.group(1), directive.group(2).strip()
            if keyword in ("ifdef", "ifndef"):
                value, why = decide(f"defined({rest.split()[0]})" if rest else "", qt_seen)
                if keyword == "ifndef" and value is not None:
                    value = not value
                stack.append([value, value, why])
            elif keyword == "if":
                value, why = decide(rest, qt_seen)
                stack.append([value, value, why])
            elif keyword == "elif" and stack:
                value, why = decide(rest, qt_seen)
                taken = stack[-1][1]
                if taken is True:
                    stack[-1] = [False, True, None]
                elif taken is False:
                    stack[-1] = [value, value, why]
                else:
                    stack[-1] = [False if value is False else None,
                                 True if value is True else None, stack[-1][2] or why]
            elif keyword == "else" and stack:
                taken = stack[-1][1]
                stack[-1] = [None if taken is None else not taken, True, stack[-1][2]]
            elif keyword == "endif" and stack:
                stack.pop()
            continue
        match = INCLUDE.match(line)
        if not match:
            continue
        if is_qt_header(match) or (match.group(1) == '"' and reaches_qt(
                root, resolve(root, path, match.group(2)), set())):
            qt_seen = True
        name = match.group(2)
        if match.group(1) != "<" or not POSIX_ONLY.match(name):
            continue
        if any(value is False for value, _, _ in stack):
            continue
        reasons = [why for value, _, why in stack if value is None and why]
        if reasons:
            offences.append(f"{relative}:{number}: <{name}> behind a guard that does not "
                            f"shut Windows out: {reasons[0]}")
        else:
            offences.append(f"{relative}:{number}: <{name}> is POSIX-only and reached on "
                            f"Windows: put it inside #if defined(__unix__) || "
                            f"defined(__APPLE__) (or #ifndef _WIN32) with a fallback")
    return offences


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip().splitlines()[-1].strip(), file=sys.stderr)
        return 2
    root = os.path.abspath(sys.argv[1])
    folders = sys.argv[2:] or FOLDERS
    offences = []
    checked = 0
    for folder in folders:
        for directory, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                if name.endswith((".h", ".cpp")):
                    checked += 1
                    offences += check_file(root, os.path.join(directory, name))
    for offence in offences:
        print(offence)
    if checked == 0:
        print("no source files found under " + ", ".join(folders))
        return 1
    return 1 if offences else 0


if __name__ == "__main__":
    sys.exit(main())
