#!/usr/bin/env python3
"""Compiles every source file of the program for Windows, as far as a syntax check goes.

Runs the MinGW-w64 cross compiler of Debian (x86_64-w64-mingw32-g++, package
g++-mingw-w64-x86-64) with -fsyntax-only over each production source (app, companion,
engine, fs, inputs, results, shell, the two main programs), with the flags CMake gives
it in a configured build (its compile_commands.json) and the Linux Qt, ICU and SQLite
headers on the include path. Those headers describe Linux, but Qt's own tell Windows
from _WIN32, which the cross compiler defines: what reaches Windows-only code of ours
and of Qt is compiled as Windows sees it.

Every production source must be in the build's compile database: a file that cannot be
checked fails the run, named, instead of being left out. MinGW ships a unistd.h of its
own, so POSIX headers pass here; scripts/check-platform-headers.py catches those.

    check-windows-syntax.py [BUILD_DIR]      (default: build/dev)
"""

import concurrent.futures
import json
import os
import shlex
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
FOLDERS = ["app", "companion", "engine", "fs", "inputs", "results", "shell"]
# The libraries' headers the sources include from the system folder, which as a whole
# cannot go on the path (its C library headers are glibc's, not Windows'). The companion
# may link libpq for a direct PostgreSQL route: its headers are here already.
SYSTEM_HEADERS = ["unicode", "sqlite3.h", "sqlite3ext.h", "postgresql"]
# Windows builds of Qt define these for everything that uses it.
WINDOWS_DEFINES = ["-DUNICODE", "-D_UNICODE", "-DWIN32", "-DMINGW_HAS_SECURE_API=1"]


def find_compiler():
    # The posix thread model has std::thread and std::mutex in GCC 12; win32 has not.
    for name in ("x86_64-w64-mingw32-g++-posix", "x86_64-w64-mingw32-g++"):
        found = shutil.which(name)
        if found:
            return found
    return None


def production_sources():
    for folder in FOLDERS:
        for directory, _, names in os.walk(os.path.join(ROOT, folder)):
            for name in sorted(names):
                if name.endswith(".cpp"):
                    yield os.path.realpath(os.path.join(directory, name))


def windows_arguments(entry, headers):
    """The entry's own -D, -I and -isystem flags, less Linux's mkspec, plus Windows'."""
    words = entry.get("arguments") or shlex.split(entry["command"])
    kept = []
    take_next = None
    for word in words[1:]:
        if take_next:
            if "/mkspecs/" not in word:
                kept += [take_next, word]
            take_next = None
            continue
        if word in ("-I", "-isystem", "-D"):
            take_next = word
        elif word.startswith(("-D", "-I")) and "/mkspecs/" not in word:
            kept.append(word)
        elif word.startswith("-isystem") and "/mkspecs/" not in word:
            kept.append(word)
    return kept + ["-isystem", headers]


def check(compiler, source, arguments):
    command = [compiler, "-std=c++20", "-fsyntax-only", "-Wall", "-Wextra"] + \
        WINDOWS_DEFINES + arguments + [source]
    run = subprocess.run(command, capture_output=True, text=True, cwd=ROOT)
    return run.returncode, run.stderr


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build/dev"))
    compiler = find_compiler()
    if compiler is None:
        print("x86_64-w64-mingw32-g++ not found (Debian package g++-mingw-w64-x86-64; "
              "scripts/install-deps.sh installs it)")
        return 1
    database = os.path.join(build, "compile_commands.json")
    if not os.path.isfile(database):
        print(f"{database} not found: configure the build first (cmake --preset dev)")
        return 1
    with open(database) as source:
        entries = {os.path.realpath(entry["file"]): entry for entry in json.load(source)}

    with tempfile.TemporaryDirectory() as headers:
        for name in SYSTEM_HEADERS:
            if os.path.exists(os.path.join("/usr/include", name)):
                os.symlink(os.path.join("/usr/include", name), os.path.join(headers, name))
        sources = list(production_sources())
        unchecked = [path for path in sources if path not in entries]
        jobs = [(path, windows_arguments(entries[path], headers))
                for path in sources if path in entries]
        failed = []
        with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 1) as pool:
            results = pool.map(lambda job: (job[0], *check(compiler, *job)), jobs)
            for path, status, errors in results:
                relative = os.path.relpath(path, ROOT)
                if status != 0:
                    failed.append(relative)
                    print(f"FAILED {relative}\n{errors}")
                elif errors.strip():
                    print(f"warnings {relative}\n{errors}")
    for path in unchecked:
        print(f"NOT CHECKED {os.path.relpath(path, ROOT)}: not in {database} "
              "(a source no target builds, or the build is not configured anew)")
    print(f"{len(jobs) - len(failed)} of {len(sources)} production sources compile for "
          f"Windows ({os.path.basename(compiler)})")
    return 1 if failed or unchecked or not jobs else 0


if __name__ == "__main__":
    sys.exit(main())
