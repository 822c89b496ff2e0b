#!/usr/bin/env python3
"""Checks the include graph of the rooms.

The rooms, bottom to top: fs, shell, engine, inputs, results, app; beside them the
companion, which stands on fs, shell and engine only and is included by none. A file may
include headers of its own room and of rooms below it, each named by its room
("shell/Prompts.h"); a bare name must be a file beside the including one. The rooms below
inputs, and the companion, stay free of Qt Widgets. Prints every offence and exits 1 when
there is one.

    check-rooms.py REPOSITORY_ROOT [QTWIDGETS_INCLUDE_FOLDER]
"""

import os
import re
import sys

ROOMS = ["fs", "shell", "engine", "inputs", "results", "app"]
FIRST_WIDGET_ROOM = "inputs"
# Rooms off the ladder: what each may include. None includes them.
SIDE_ROOMS = {"companion": ("fs", "shell", "engine")}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def room_files(root):
    for room in ROOMS + list(SIDE_ROOMS):
        for folder, _, names in os.walk(os.path.join(root, room)):
            for name in sorted(names):
                if name.endswith((".h", ".cpp")):
                    yield room, os.path.join(folder, name)


def widget_headers(folder):
    if not folder or not os.path.isdir(folder):
        return set()
    return {name for name in os.listdir(folder) if name.startswith("Q")}


def room_of(include):
    first = include.split("/", 1)[0]
    return first if "/" in include and (first in ROOMS or first in SIDE_ROOMS) else None


def may_include(room, target):
    if target == room:
        return True
    if room in SIDE_ROOMS:
        return target in SIDE_ROOMS[room]
    return target in ROOMS and ROOMS.index(target) < ROOMS.index(room)


def widget_free(room):
    return room in SIDE_ROOMS or ROOMS.index(room) < ROOMS.index(FIRST_WIDGET_ROOM)


def offences_of(root, room, path, widgets):
    below_widgets = widget_free(room)
    where = os.path.relpath(path, root)
    with open(path, encoding="utf-8") as source:
        text = source.read()
    for kind, include in INCLUDE.findall(text):
        if kind == "<":
            name = include.split("/")[-1]
            if below_widgets and (include.startswith("QtWidgets/") or name in widgets):
                yield f"{where}: {room} includes the widget header <{include}>"
            continue
        target = room_of(include)
        if target is None:
            beside = os.path.join(os.path.dirname(path), include)
            if not os.path.exists(beside) and include.endswith(".h"):
                yield f'{where}: "{include}" names no room'
        elif not may_include(room, target):
            yield f'{where}: {room} includes "{include}" from {target}, a room above it or aside'


def cycle_in(edges):
    """A cycle among the rooms as a list of rooms, or None."""
    state = {}

    def visit(room, trail):
        state[room] = "open"
        for target in sorted(edges.get(room, ())):
            if state.get(target) == "open":
                return trail[trail.index(target):] + [target]
            if target not in state:
                found = visit(target, trail + [target])
                if found:
                    return found
        state[room] = "done"
        return None

    for room in sorted(edges):
        if room not in state:
            found = visit(room, [room])
            if found:
                return found
    return None


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    root = argv[1]
    widgets = widget_headers(argv[2] if len(argv) > 2 else "")
    offences = []
    edges = {}
    for room, path in room_files(root):
        offences.extend(offences_of(root, room, path, widgets))
        with open(path, encoding="utf-8") as source:
            for kind, include in INCLUDE.findall(source.read()):
                target = room_of(include) if kind == '"' else None
                if target and target != room:
                    edges.setdefault(room, set()).add(target)
    cycle = cycle_in(edges)
    if cycle:
        offences.append("the rooms include each other in a circle: " + " -> ".join(cycle))
    for offence in offences:
        print(offence)
    return 1 if offences else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
